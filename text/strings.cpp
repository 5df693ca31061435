#include "text/strings.h"

#include <cstring>

#include "runtime/errors.h"

namespace {

// Byte offset of the next delimiter at or after `from`, or npos. An empty delimiter never
// matches, so it leaves the text one field.
std::size_t nextDelimiter(const Text& text, const Text& delimiter, std::size_t from) {
    if (delimiter.empty()) return Text::npos;
    return text.find(delimiter, from);
}

std::int64_t countDelimiters(const Text& text, const Text& delimiter) {
    std::int64_t count = 0;
    for (std::size_t at = nextDelimiter(text, delimiter, 0); at != Text::npos;
         at = nextDelimiter(text, delimiter, at + delimiter.size())) {
        ++count;
    }
    return count;
}

Text fieldAt(const Text& text, const Text& delimiter, std::int64_t position) {
    std::size_t begin = 0;
    for (std::int64_t skipped = 1; skipped < position; ++skipped) {
        const std::size_t at = nextDelimiter(text, delimiter, begin);
        if (at == Text::npos) return Text();
        begin = at + delimiter.size();
    }
    const std::size_t end = nextDelimiter(text, delimiter, begin);
    return text.substr(begin, end == Text::npos ? Text::npos : end - begin);
}

} // namespace

std::int32_t findText(std::int32_t start, const Text& text, const Text& pattern) {
    // A start below 1 searches from the beginning rather than before it.
    const std::size_t from = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
    if (from >= text.size()) return 0;
    if (pattern.empty()) return static_cast<std::int32_t>(from + 1);
    const std::size_t at = text.find(pattern, from);
    return at == Text::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

Text field(const Text& text, const Text& delimiter, std::int32_t n) {
    const std::int64_t position = n >= 0 ? n : countDelimiters(text, delimiter) + n + 2;
    if (position <= 0) return Text();
    return orNoMemory([&] { return fieldAt(text, delimiter, position); });
}

int compareText(const Text& a, const Text& b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    // memcmp compares as unsigned char, which is the order wanted.
    if (const int order = common ? std::memcmp(a.data(), b.data(), common) : 0; order != 0) return order;
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

Text concat(const Text& a, const Text& b) {
    return orNoMemory([&] {
        Text result;
        result.reserve(a.size() + b.size());
        result.append(a).append(b);
        return result;
    });
}

void storeText(Text& variable, const Text& value) {
    if (variable.size() == value.size()) {
        // memmove: the value may be the variable itself.
        if (!value.empty()) std::memmove(variable.data(), value.data(), value.size());
        return;
    }
    // A copy that cannot be made leaves the variable empty.
    Text copy = orNoMemory([&value] { return Text(value); });
    variable.swap(copy);
}

void storeText(Text& variable, Text&& value) { variable = std::move(value); }
