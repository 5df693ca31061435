#pragma once
#include <array>
#include <cstdint>

#include "text/text.h"

// Frame style bits, as openWindow's style argument carries them.
inline constexpr std::uint32_t frameStylePopup = 0x80000000;
inline constexpr std::uint32_t frameStyleCaption = 0x00C00000; // title bar, includes the border
inline constexpr std::uint32_t frameStyleBorder = 0x00800000;
inline constexpr std::uint32_t frameStyleSystemMenu = 0x00080000;
inline constexpr std::uint32_t frameStyleMinimiseBox = 0x00020000;
inline constexpr std::uint32_t frameStyleMaximiseBox = 0x00010000;

// Style 0 selects a bordered, movable, minimisable frame with a close box, and a title bar only
// when there is a caption to show in it.
std::uint32_t chosenFrameStyle(std::uint32_t style, const Text& caption);

// The five words of the window manager's Motif hints property (flags, functions, decorations,
// input mode, status) that give a frame of this style its decorations and actions. The size is
// fixed whatever the style says, so resizing is never offered.
std::array<long, 5> motifWindowManagerHints(std::uint32_t style);

// Window names are taken as Latin-1 bytes; the EWMH name property wants UTF-8.
Text latin1ToUtf8(const Text& latin1);
