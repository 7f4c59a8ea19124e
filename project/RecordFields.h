// The fields of a page object's record, walked in the order of the project
// file by a visitor: each object class lists its fields once (a static
// template Fields(self, visitor)), and the visitors below write them to the
// file, read them back at a given file version, or put them into a
// clipboard record.
//
// A visitor has Int, Double, Text, Colour, Font, Curves (the graph's four
// curves), Constant (a value always written the same and dropped when read)
// and Has(version): whether the fields of that file version are present.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/FontRecord.h"
#include "project/Geometry.h"

namespace platform {
class ArchiveReader;
class ArchiveWriter;
}  // namespace platform

// The file format version this program writes.
inline constexpr int32_t kProjectVersion = 13;

// A graph curve keeps at most this many samples; further ones are dropped.
inline constexpr std::size_t kMaxCurveSamples = 3000;
using CurveSet = std::array<std::vector<double>, 4>;

class FileFieldWriter {
  public:
    explicit FileFieldWriter(platform::ArchiveWriter& out) : out_(out) {}
    void Int(int32_t value);
    void Double(double value);
    void Text(const std::string& text);
    void Colour(const ::Colour& colour);
    void Font(const FontRecord& font);
    void Curves(const CurveSet& curves);
    void Constant(int32_t value) { Int(value); }
    bool Has(int32_t) const { return true; }

  private:
    platform::ArchiveWriter& out_;
};

class FileFieldReader {
  public:
    FileFieldReader(platform::ArchiveReader& in, int32_t version) : in_(in), version_(version) {}
    void Int(int32_t& value);
    void Double(double& value);
    void Text(std::string& text);
    void Colour(::Colour& colour);
    void Font(FontRecord& font);
    // Versions 5-10: rows of the four curves' samples at one index; from 11
    // on, each curve's count and samples.
    void Curves(CurveSet& curves);
    void Constant(int32_t);
    bool Has(int32_t version) const { return version_ >= version; }

  private:
    platform::ArchiveReader& in_;
    int32_t version_;
};

// Reads a count of items of the given size each: a negative count is a
// format error, one the bytes left cannot hold ends the data.
std::size_t ReadCount(platform::ArchiveReader& in, std::size_t itemBytes);
