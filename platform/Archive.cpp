#include "platform/Archive.h"

#include "platform/Utf8.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace platform {

namespace {

// Text length prefixes: one byte up to 254; the byte 0xFF then 16 bits up
// to 65533; 0xFF, 0xFFFF, then 32 bits beyond.
constexpr uint8_t kLongLength = 0xFF;
constexpr uint16_t kLongerLength = 0xFFFF;
constexpr std::size_t kLongestShortLength = 254;
constexpr std::size_t kLongest16BitLength = 65533;

// The characters of bytes 0x80-0x9F; 0 marks the five bytes the character
// set leaves undefined, which stand for the same code point.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char32_t CharacterOf(uint8_t byte) {
    if (byte < 0x80 || byte > 0x9F) return byte;
    const char32_t mapped = kHighControls[byte - 0x80];
    return mapped != 0 ? mapped : byte;
}

// The byte of a character, or '?' when the character set has none.
uint8_t ByteOf(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<uint8_t>(code);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        const char32_t mapped = kHighControls[i];
        if (mapped == code || (mapped == 0 && code == 0x80 + i))
            return static_cast<uint8_t>(0x80 + i);
    }
    return '?';
}

}  // namespace

std::string ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const Utf8Unit unit = DecodeUtf8(utf8, at);
        out += unit.valid ? static_cast<char>(ByteOf(unit.code)) : '?';
        at += unit.length;
    }
    return out;
}

std::string FromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) AppendUtf8(out, CharacterOf(static_cast<uint8_t>(c)));
    return out;
}

void ArchiveWriter::Byte(uint8_t value) {
    bytes_.push_back(value);
}

void ArchiveWriter::Raw(std::span<const uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void ArchiveWriter::Int32(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        bytes_.push_back(static_cast<uint8_t>(bits >> shift));
}

void ArchiveWriter::Double(double value) {
    uint64_t bits;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 0; shift < 64; shift += 8)
        bytes_.push_back(static_cast<uint8_t>(bits >> shift));
}

void ArchiveWriter::Doubles(std::span<const double> values) {
    if (values.empty()) return;  // an empty vector's data may be null
    if constexpr (std::endian::native == std::endian::little) {
        // The file's order is the machine's: the samples of a graph go as
        // one block.
        const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
        bytes_.insert(bytes_.end(), bytes, bytes + values.size_bytes());
    } else {
        for (const double value : values) Double(value);
    }
}

void ArchiveWriter::Text(std::string_view utf8) {
    const std::string text = ToWindows1252(utf8);
    const std::size_t length = text.size();
    if (length <= kLongestShortLength) {
        Byte(static_cast<uint8_t>(length));
    } else {
        Byte(kLongLength);
        if (length <= kLongest16BitLength) {
            Byte(static_cast<uint8_t>(length));
            Byte(static_cast<uint8_t>(length >> 8));
        } else {
            Byte(static_cast<uint8_t>(kLongerLength));
            Byte(static_cast<uint8_t>(kLongerLength >> 8));
            // A text beyond 2 GB cannot be said in the file; such a project
            // could never have been built.
            if (length > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
                throw std::length_error("text too long for the file");
            Int32(static_cast<int32_t>(length));
        }
    }
    bytes_.insert(bytes_.end(), text.begin(), text.end());
}

std::span<const uint8_t> ArchiveReader::Take(std::size_t count) {
    // Compared with what is left, so that a damaged length never gets as far
    // as an allocation or an addition that could wrap.
    if (count > bytes_.size() - offset_) throw ArchiveEnded();
    const std::span<const uint8_t> taken = bytes_.subspan(offset_, count);
    offset_ += count;
    return taken;
}

uint8_t ArchiveReader::Byte() {
    return Take(1)[0];
}

int32_t ArchiveReader::Int32() {
    const std::span<const uint8_t> b = Take(4);
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | b[i];
    return static_cast<int32_t>(bits);
}

double ArchiveReader::Double() {
    const std::span<const uint8_t> b = Take(8);
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | b[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void ArchiveReader::Doubles(std::span<double> values) {
    if (values.size() > Remaining() / sizeof(double)) throw ArchiveEnded();
    if (values.empty()) return;  // an empty vector's data may be null
    if constexpr (std::endian::native == std::endian::little) {
        const std::span<const uint8_t> bytes = Take(values.size_bytes());
        std::memcpy(values.data(), bytes.data(), bytes.size());
    } else {
        for (double& value : values) value = Double();
    }
}

std::string ArchiveReader::Text() {
    std::size_t length = Byte();
    if (length == kLongLength) {
        const std::span<const uint8_t> b = Take(2);
        length = static_cast<std::size_t>(b[0] | (b[1] << 8));
        if (length == kLongerLength) {
            const int32_t longer = Int32();
            if (longer < 0) throw ArchiveEnded();
            length = static_cast<std::size_t>(longer);
        }
    }
    const std::span<const uint8_t> text = Take(length);
    return FromWindows1252(
        std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

}  // namespace platform
