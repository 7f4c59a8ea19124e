// Numbers as text, with the process's own decimal separator.
//
// The interpreter never calls setlocale() for numbers: a fresh machine may
// have no locale but "C", and the separator must be switchable at run time
// by a Logo primitive. These functions give the results the C library gives
// under a locale whose decimal point is the current separator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// '.' or ','; process-wide, '.' at start.
char DecimalSeparator();
// Any character other than ',' selects '.'.
void SetDecimalSeparator(char separator);

std::string FormatFixed8(double x);    // "%1.8f"
std::string FormatGeneral8(double x);  // "%1.8g"
std::string FormatGeneral(double x);   // "%g"

struct ParsedReal {
    double value = 0;
    std::size_t used = 0;     // characters consumed, 0 when no number was read
    bool outOfRange = false;  // the C library reported ERANGE (overflow or underflow)
};
// strtod() under the current separator: leading white space, sign, digits,
// the separator, exponent, and also "inf", "nan" and hexadecimal forms.
ParsedReal ParseReal(std::string_view text);

struct ParsedInteger {
    int64_t value = 0;
    std::size_t used = 0;
    bool outOfRange = false;  // outside the 32-bit integer range
};
// strtol(text, &end, 10) with a 32-bit long: leading white space and a sign.
ParsedInteger ParseInteger(std::string_view text);

// A GUI application object sets the C library to the user's locale, where
// a German one prints and reads "3,5". The functions above hold on to the C
// locale anyway, but other number text (read-outs, the stores) goes straight
// through the C library: call this once the application object exists.
void UseCNumbersInTheCLibrary();

}  // namespace platform
