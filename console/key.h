#pragma once
#include "text/text.h"

// A key as the console reports it: no key (nothing was waiting), the character a key produced,
// or a key that produces none (cursor keys, Home, End, Page Up, Page Down, Insert, Delete, F1 to
// F12, and Alt with a letter), named by its scan code in the PC keyboard's set 1.
class Key {
public:
    constexpr Key() = default;
    static constexpr Key character(unsigned char c) { return Key(Kind::character, c); }
    static constexpr Key named(unsigned char scanCode) { return Key(Kind::named, scanCode); }

    constexpr bool isNone() const { return kind_ == Kind::none; }
    constexpr bool isCharacter() const { return kind_ == Kind::character; }
    // The character of a character key, the scan code of a named one.
    constexpr unsigned char code() const { return code_; }

    // The key as text: empty for no key, its character alone, or byte 0 followed by its scan code.
    Text text() const;

    friend constexpr bool operator==(const Key&, const Key&) = default;

private:
    enum class Kind : unsigned char { none, character, named };
    constexpr Key(Kind kind, unsigned char code) : kind_(kind), code_(code) {}

    Kind kind_ = Kind::none;
    unsigned char code_ = 0;
};

// The set 1 scan codes of the keys that produce no character.
namespace scanCode {
inline constexpr unsigned char escape = 1, f1 = 59, f6 = 64, home = 71, up = 72, pageUp = 73, left = 75,
                               right = 77, end = 79, down = 80, pageDown = 81, insert = 82, del = 83, f11 = 87,
                               f12 = 88;
} // namespace scanCode
