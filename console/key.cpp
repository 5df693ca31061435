// Keys as texts, and the lower case that the program compares keys and texts in.
#include "console/console.h"
#include "console/key.h"

#include "runtime/errors.h"

namespace {

unsigned char smallLetter(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + ('a' - 'A'));
    // The capitals of code page 437 that have a small letter in it.
    switch (c) {
    case 128: return 135;
    case 142: return 132;
    case 143: return 134;
    case 144: return 130;
    case 153: return 148;
    case 154: return 129;
    case 165: return 164;
    default: return c;
    }
}

} // namespace

// One or two bytes stay inside the text itself: nothing is allocated.
Text Key::text() const {
    switch (kind_) {
    case Kind::none: return Text();
    case Kind::character: return Text(1, static_cast<char>(code_));
    case Kind::named: break;
    }
    return Text{'\0', static_cast<char>(code_)};
}

Text lowerCase(const Text& text) {
    return orNoMemory([&text] {
        Text result(text);
        for (char& c : result) c = static_cast<char>(smallLetter(static_cast<unsigned char>(c)));
        return result;
    });
}

Key lowerCase(Key key) { return key.isCharacter() ? Key::character(smallLetter(key.code())) : key; }
