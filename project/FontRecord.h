// A font as the project file keeps it: the 60 bytes of the Windows LOGFONT
// layout. The face name's 32 bytes are kept as read, so that a font saves
// back byte for byte whatever follows its terminating zero.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {
class ArchiveReader;
class ArchiveWriter;
}  // namespace platform

struct FontRecord {
    static constexpr std::size_t kFaceBytes = 32;
    static constexpr std::size_t kRecordBytes = 60;

    int32_t height = -13;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 400;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    std::array<uint8_t, kFaceBytes> face{'S', 'a', 'n', 's'};

    bool operator==(const FontRecord&) const = default;

    // The face name up to its zero, as UTF-8.
    std::string FaceName() const;
    // At most 31 characters; the rest of the bytes become zeros.
    void SetFaceName(std::string_view utf8);

    void Write(platform::ArchiveWriter& out) const;
    static FontRecord Read(platform::ArchiveReader& in);
};
