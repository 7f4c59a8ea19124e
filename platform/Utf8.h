// UTF-8 helpers for names: case-insensitive comparison and lengths counted
// in characters, never cutting a character in two.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// One step through a text: a code point with the bytes it took, or a
// malformed byte (valid == false), which always takes one byte. Decoding is
// strict: overlong forms, surrogates and values above U+10FFFF are
// malformed, so every byte of such a sequence passes on its own.
struct Utf8Unit {
    char32_t code = 0;
    std::size_t length = 1;
    bool valid = false;
};
Utf8Unit DecodeUtf8(std::string_view text, std::size_t at);
// Appends the code point's UTF-8 bytes.
void AppendUtf8(std::string& out, char32_t code);

// Lower case of every character that has one (ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic capitals); other bytes pass unchanged.
// Malformed sequences are kept byte for byte.
std::string LowerCase(std::string_view text);

// True when the two texts are equal after LowerCase().
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Number of characters (code points); a malformed byte counts as one.
std::size_t CountCharacters(std::string_view text);

// The first maxCharacters characters of text.
std::string_view FirstCharacters(std::string_view text, std::size_t maxCharacters);

}  // namespace platform
