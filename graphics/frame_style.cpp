#include "graphics/frame_style.h"

namespace {
// Motif window-manager hint bits.
constexpr long hintsFunctions = 1;
constexpr long hintsDecorations = 2;
constexpr long functionMove = 4;
constexpr long functionMinimise = 8;
constexpr long functionMaximise = 16;
constexpr long functionClose = 32;
constexpr long decorationBorder = 2;
constexpr long decorationTitle = 8;
constexpr long decorationMenu = 16;
constexpr long decorationMinimise = 32;
constexpr long decorationMaximise = 64;

bool hasAll(std::uint32_t style, std::uint32_t bits) { return (style & bits) == bits; }
} // namespace

std::uint32_t chosenFrameStyle(std::uint32_t style, const Text& caption) {
    if (style != 0) return style;
    const std::uint32_t plain =
        frameStylePopup | frameStyleBorder | frameStyleSystemMenu | frameStyleMinimiseBox;
    return caption.empty() ? plain : plain | frameStyleCaption;
}

std::array<long, 5> motifWindowManagerHints(std::uint32_t style) {
    const bool title = hasAll(style, frameStyleCaption);
    long functions = functionMove;
    long decorations = 0;
    if (hasAll(style, frameStyleBorder)) decorations |= decorationBorder;
    if (title) decorations |= decorationTitle;
    if (hasAll(style, frameStyleSystemMenu)) {
        functions |= functionClose;
        if (title) decorations |= decorationMenu;
    }
    if (hasAll(style, frameStyleMinimiseBox)) {
        functions |= functionMinimise;
        decorations |= decorationMinimise;
    }
    if (hasAll(style, frameStyleMaximiseBox)) {
        functions |= functionMaximise;
        decorations |= decorationMaximise;
    }
    return {hintsFunctions | hintsDecorations, functions, decorations, 0, 0};
}

Text latin1ToUtf8(const Text& latin1) {
    Text utf8;
    utf8.reserve(latin1.size());
    for (const char byte : latin1) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x80) {
            utf8 += byte;
        } else {
            utf8 += static_cast<char>(0xC0 | code >> 6);
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}
