#include "project/FontRecord.h"

#include <algorithm>

#include "platform/Archive.h"

std::string FontRecord::FaceName() const {
    const auto end = std::find(face.begin(), face.end(), uint8_t{0});
    return platform::FromWindows1252(
        std::string_view(reinterpret_cast<const char*>(face.data()), end - face.begin()));
}

void FontRecord::SetFaceName(std::string_view utf8) {
    const std::string bytes = platform::ToWindows1252(utf8);
    face.fill(0);
    std::copy_n(bytes.begin(), std::min(bytes.size(), kFaceBytes - 1), face.begin());
}

void FontRecord::Write(platform::ArchiveWriter& out) const {
    for (const int32_t value : {height, width, escapement, orientation, weight}) out.Int32(value);
    for (const uint8_t value : {italic, underline, strikeOut, charSet, outPrecision, clipPrecision,
                                quality, pitchAndFamily})
        out.Byte(value);
    out.Raw(face);
}

FontRecord FontRecord::Read(platform::ArchiveReader& in) {
    FontRecord f;
    for (int32_t* value : {&f.height, &f.width, &f.escapement, &f.orientation, &f.weight})
        *value = in.Int32();
    for (uint8_t* value : {&f.italic, &f.underline, &f.strikeOut, &f.charSet, &f.outPrecision,
                           &f.clipPrecision, &f.quality, &f.pitchAndFamily})
        *value = in.Byte();
    const auto bytes = in.Raw(kFaceBytes);
    std::copy(bytes.begin(), bytes.end(), f.face.begin());
    return f;
}
