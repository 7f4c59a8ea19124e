// The byte stream of the project file: little-endian integers and doubles,
// and texts with a length prefix in the 8-bit character set of the file.
// Whoever saves writes into an ArchiveWriter; whoever loads reads from an
// ArchiveReader, which refuses to read past the end instead of guessing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// A read ran past the end of the data (a truncated or damaged file).
class ArchiveEnded : public std::runtime_error {
  public:
    ArchiveEnded() : std::runtime_error("the file ends early") {}
};

class ArchiveWriter {
  public:
    void Int32(int32_t value);
    void Byte(uint8_t value);
    void Double(double value);
    void Doubles(std::span<const double> values);  // one after another
    // The text, UTF-8 here, is written in the file's 8-bit character set:
    // a length prefix (one byte below 255; 0xFF and 16 bits up to 65533;
    // 0xFF, 0xFFFF and 32 bits beyond), then the bytes.
    void Text(std::string_view utf8);
    // Bytes as they are (bitmaps, the font's face name).
    void Raw(std::span<const uint8_t> bytes);
    void Reserve(std::size_t bytes) { bytes_.reserve(bytes); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> TakeBytes() { return std::move(bytes_); }

  private:
    std::vector<uint8_t> bytes_;
};

class ArchiveReader {
  public:
    explicit ArchiveReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    // Each raises ArchiveEnded when the data ends before the item does.
    int32_t Int32();
    uint8_t Byte();
    double Double();
    void Doubles(std::span<double> values);
    std::string Text();  // as UTF-8
    // The next count bytes as they are.
    std::span<const uint8_t> Raw(std::size_t count) { return Take(count); }
    std::size_t Offset() const { return offset_; }
    // What is left to read: a count read from the data is judged against it
    // before anything is made for it.
    std::size_t Remaining() const { return bytes_.size() - offset_; }
    bool AtEnd() const { return offset_ == bytes_.size(); }

  private:
    std::span<const uint8_t> Take(std::size_t count);

    std::span<const uint8_t> bytes_;
    std::size_t offset_ = 0;
};

// The file's 8-bit character set is Windows-1252. A character it lacks is
// written as '?'; bytes it leaves undefined read as the same code point.
std::string ToWindows1252(std::string_view utf8);
std::string FromWindows1252(std::string_view bytes);

}  // namespace platform
