// The user's choice between a decimal comma and a decimal point: switched
// by Logo, kept in the user profile, and applied again at the next start.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

inline constexpr std::string_view kNumberFormatSection = "Settings";
inline constexpr std::string_view kNumberFormatName = "NumberFormat";
inline constexpr int32_t kNumberFormatComma = 0;
inline constexpr int32_t kNumberFormatPoint = 1;

// Sets the process's decimal separator (',' or '.') and stores the choice.
// False when the profile could not be written; the separator is set anyway.
bool ChooseDecimalSeparator(char separator);

// The separator stored in the profile; nothing when no valid choice is
// stored there.
std::optional<char> StoredDecimalSeparator();
