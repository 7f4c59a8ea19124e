#include "project/RecordFields.h"

#include <algorithm>

#include "platform/Archive.h"
#include "project/FormatError.h"

namespace {

constexpr int32_t kFirstCurveRecordVersion = 11;
constexpr std::size_t kDoubleBytes = 8;

}  // namespace

std::size_t ReadCount(platform::ArchiveReader& in, std::size_t itemBytes) {
    const int32_t count = in.Int32();
    if (count < 0) throw ProjectFormatError("negative count");
    if (static_cast<std::size_t>(count) > in.Remaining() / itemBytes)
        throw platform::ArchiveEnded();
    return static_cast<std::size_t>(count);
}

void FileFieldWriter::Int(int32_t value) {
    out_.Int32(value);
}

void FileFieldWriter::Double(double value) {
    out_.Double(value);
}

void FileFieldWriter::Text(const std::string& text) {
    out_.Text(text);
}

void FileFieldWriter::Colour(const ::Colour& colour) {
    out_.Int32(colour.red);
    out_.Int32(colour.green);
    out_.Int32(colour.blue);
}

void FileFieldWriter::Font(const FontRecord& font) {
    font.Write(out_);
}

void FileFieldWriter::Curves(const CurveSet& curves) {
    for (const std::vector<double>& curve : curves) {
        out_.Int32(static_cast<int32_t>(curve.size()));
        out_.Doubles(curve);
    }
}

void FileFieldReader::Int(int32_t& value) {
    value = in_.Int32();
}

void FileFieldReader::Double(double& value) {
    value = in_.Double();
}

void FileFieldReader::Text(std::string& text) {
    text = in_.Text();
}

void FileFieldReader::Colour(::Colour& colour) {
    colour.red = in_.Int32();
    colour.green = in_.Int32();
    colour.blue = in_.Int32();
}

void FileFieldReader::Font(FontRecord& font) {
    font = FontRecord::Read(in_);
}

void FileFieldReader::Constant(int32_t) {
    in_.Int32();
}

void FileFieldReader::Curves(CurveSet& curves) {
    for (std::vector<double>& curve : curves) curve.clear();
    if (version_ < kFirstCurveRecordVersion) {
        const std::size_t rows = ReadCount(in_, 4 * kDoubleBytes);
        for (std::vector<double>& curve : curves) curve.reserve(std::min(rows, kMaxCurveSamples));
        for (std::size_t row = 0; row < rows; ++row) {
            for (std::vector<double>& curve : curves) {
                const double sample = in_.Double();
                if (curve.size() < kMaxCurveSamples) curve.push_back(sample);
            }
        }
        return;
    }
    for (std::vector<double>& curve : curves) {
        const std::size_t count = ReadCount(in_, kDoubleBytes);
        const std::size_t kept = std::min(count, kMaxCurveSamples);
        curve.resize(kept);
        in_.Doubles(curve);
        in_.Raw((count - kept) * kDoubleBytes);  // the rest is dropped unread
    }
}
