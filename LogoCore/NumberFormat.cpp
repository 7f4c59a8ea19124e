#include "LogoCore/NumberFormat.h"

#include "platform/ConfigStore.h"
#include "platform/NumberText.h"

bool ChooseDecimalSeparator(char separator) {
    const bool comma = separator == ',';
    platform::SetDecimalSeparator(comma ? ',' : '.');
    return platform::UserProfile().WriteNumber(kNumberFormatSection, kNumberFormatName,
                                               comma ? kNumberFormatComma : kNumberFormatPoint);
}

std::optional<char> StoredDecimalSeparator() {
    // Any number other than the two choices reads as nothing stored.
    constexpr int32_t kNothing = -1;
    switch (platform::UserProfile().GetNumber(kNumberFormatSection, kNumberFormatName, kNothing)) {
        case kNumberFormatComma:
            return ',';
        case kNumberFormatPoint:
            return '.';
        default:
            return std::nullopt;
    }
}
