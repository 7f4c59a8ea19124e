// UTF-8 helpers for names: case-insensitive comparison and lengths counted
// in characters, never cutting a character in two.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

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
