#include "tests/support/terminal_screen.h"

#include <vterm.h>

namespace {

// A character beyond ASCII shows as '?': enough to see that something stands there.
std::string rowText(VTermScreen* screen, int row, int columns) {
    std::string text;
    for (int column = 0; column < columns; ++column) {
        VTermScreenCell cell = {};
        vterm_screen_get_cell(screen, VTermPos{row, column}, &cell);
        const uint32_t c = cell.chars[0];
        if (c == static_cast<uint32_t>(-1)) continue; // the second half of a wide character
        text += c == 0 ? ' ' : c < 0x80 ? static_cast<char>(c) : '?';
    }
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

// The rows down to the cursor's (a row below the last shown one is empty) end in `rows`, and the
// cursor stands behind the last of them.
bool endsAtCursor(const ScreenPicture& picture, const Rows& rows) {
    const int first = picture.cursorRow + 1 - static_cast<int>(rows.size());
    if (first < 0 || picture.cursorColumn != static_cast<int>(rows.back().size())) return false;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const std::size_t row = static_cast<std::size_t>(first) + k;
        if ((row < picture.rows.size() ? picture.rows[row] : "") != rows[k]) return false;
    }
    return true;
}

} // namespace

void TerminalScreen::Free::operator()(VTerm* terminal) const { vterm_free(terminal); }

TerminalScreen::TerminalScreen(int rows, int columns) : terminal_(vterm_new(rows, columns)), rows_(rows), columns_(columns) {
    vterm_set_utf8(terminal_.get(), 1);
    vterm_screen_reset(vterm_obtain_screen(terminal_.get()), 1);
}

TerminalScreen::~TerminalScreen() = default;

void TerminalScreen::catchUp(const std::string& written) {
    if (written.size() <= played_) return;
    vterm_input_write(terminal_.get(), written.data() + played_, written.size() - played_);
    played_ = written.size();
}

ScreenPicture TerminalScreen::picture() const {
    VTermScreen* screen = vterm_obtain_screen(terminal_.get());
    ScreenPicture picture;
    for (int row = 0; row < rows_; ++row) picture.rows.push_back(rowText(screen, row, columns_));
    while (!picture.rows.empty() && picture.rows.back().empty()) picture.rows.pop_back();
    VTermPos cursor = {};
    vterm_state_get_cursorpos(vterm_obtain_state(terminal_.get()), &cursor);
    picture.cursorRow = cursor.row;
    picture.cursorColumn = cursor.col;
    return picture;
}

std::string shown(const ScreenPicture& screen) {
    std::string text;
    for (const std::string& row : screen.rows) text += row + "\n";
    return text + "(cursor at row " + std::to_string(screen.cursorRow + 1) + ", column " +
           std::to_string(screen.cursorColumn + 1) + ")";
}

Rows rowsOf(const std::string& text) {
    Rows rows;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        rows.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size()) rows.push_back(text.substr(start));
    return rows;
}

Rows operator+(Rows rows, const Rows& more) {
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
}

bool ScreenWatch::await(const std::function<bool(const ScreenPicture&)>& condition, std::chrono::milliseconds timeout) {
    return program_.waitFor(
        [&](const std::string& written) {
            screen_.catchUp(written);
            return condition(screen_.picture());
        },
        timeout);
}

bool ScreenWatch::shows(const Rows& rows, std::chrono::milliseconds timeout) {
    return await(
        [&](const ScreenPicture& picture) {
            return picture.rows == rows && picture.cursorRow + 1 == static_cast<int>(rows.size()) && endsAtCursor(picture, rows);
        },
        timeout);
}

bool ScreenWatch::showsAtCursor(const Rows& rows, std::chrono::milliseconds timeout) {
    return await([&](const ScreenPicture& picture) { return endsAtCursor(picture, rows); }, timeout);
}
