// The project file's byte stream: little-endian numbers, texts with their
// three length forms, the 8-bit character set, and reads that run out.
#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using platform::ArchiveEnded;
using platform::ArchiveReader;
using platform::ArchiveWriter;

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, std::size_t count) {
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count)};
}

TEST(Archive, NumbersAreLittleEndian) {
    ArchiveWriter out;
    out.Int32(0x12345678);
    out.Int32(std::numeric_limits<int32_t>::min());
    out.Double(1.0);  // 0x3FF0000000000000
    EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0x80, 0, 0, 0, 0,
                                                 0, 0, 0xF0, 0x3F}));
    ArchiveReader in(out.Bytes());
    EXPECT_EQ(in.Int32(), 0x12345678);
    EXPECT_EQ(in.Int32(), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(in.Double(), 1.0);
    EXPECT_TRUE(in.AtEnd());

    // A block of doubles is the same bytes as the doubles one by one.
    const std::vector<double> samples = {1.0, -2.5, 1e300};
    ArchiveWriter one, block;
    for (double sample : samples) one.Double(sample);
    block.Doubles(samples);
    EXPECT_EQ(block.Bytes(), one.Bytes());
    std::vector<double> back(3);
    ArchiveReader all(block.Bytes());
    all.Doubles(back);
    EXPECT_EQ(back, samples);
    ArchiveReader cut(Prefix(block.Bytes(), 23));
    EXPECT_THROW(cut.Doubles(back), ArchiveEnded);
    // None at all: an empty vector, whose data may be null, copies nothing.
    std::vector<double> none;
    block.Doubles(none);
    cut.Doubles(none);
    EXPECT_EQ(block.Bytes().size(), 24u);
}

TEST(Archive, TextLengthPrefixTakesItsThreeFormsAtTheirBoundariesAndReadsBack) {
    const std::pair<std::size_t, std::vector<uint8_t>> cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    ArchiveWriter all;
    for (const auto& [length, prefix] : cases) {
        const std::string text(length, static_cast<char>('a' + length % 26));
        ArchiveWriter out;
        out.Text(text);
        EXPECT_EQ(out.Bytes().size(), prefix.size() + length);
        EXPECT_EQ(Prefix(out.Bytes(), prefix.size()), prefix) << length;
        all.Text(text);
    }
    ArchiveReader in(all.Bytes());
    for (const auto& [length, prefix] : cases)
        EXPECT_EQ(in.Text(), std::string(length, static_cast<char>('a' + length % 26)));
    EXPECT_TRUE(in.AtEnd());

    // A 16-bit length below 255 is read too.
    const std::vector<uint8_t> sixteen = {0xFF, 0x02, 0x00, 'o', 'k'};
    EXPECT_EQ(ArchiveReader(sixteen).Text(), "ok");
}

TEST(Archive, TruncatedItemsAndHostileTextLengthsRaiseArchiveEnded) {
    const std::vector<uint8_t> seven = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_THROW(ArchiveReader(Prefix(seven, 3)).Int32(), ArchiveEnded);
    EXPECT_THROW(ArchiveReader(seven).Double(), ArchiveEnded);

    ArchiveWriter out;
    out.Text(std::string(300, 'q'));
    for (std::size_t cut = 0; cut < out.Bytes().size(); ++cut) {
        const std::vector<uint8_t> part = Prefix(out.Bytes(), cut);
        ArchiveReader in(part);
        EXPECT_THROW(in.Text(), ArchiveEnded) << "cut at " << cut;
    }
    // Lengths beyond the bytes there are raise without reading.
    const std::vector<uint8_t> hostile[] = {
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'},  // the longest 32-bit length
        {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'a', 'b'},  // a negative one
        {0xFF, 0x00, 0x01, 'a'},
    };
    for (const std::vector<uint8_t>& bytes : hostile) {
        ArchiveReader in(bytes);
        EXPECT_THROW(in.Text(), ArchiveEnded);
    }
}

TEST(Archive, TextsAreWrittenInWindows1252WithQuestionMarksForWhatTheSetLacks) {
    ArchiveWriter out;
    out.Text("€ é ™ Ÿ");  // 13 bytes of UTF-8, 7 in the file
    EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{7, 0x80, ' ', 0xE9, ' ', 0x99, ' ', 0x9F}));
    EXPECT_EQ(platform::ToWindows1252("Ω→😀"), "???");
    // U+0080 and U+009F are not in the set (their bytes mean € and Ÿ).
    EXPECT_EQ(platform::ToWindows1252("\xC2\x80\xC2\x9F"), "??");
    // A stray continuation byte, a lead byte without its continuation, an
    // overlong form and an encoded surrogate: one '?' per byte.
    EXPECT_EQ(platform::ToWindows1252("a\x80"
                                      "b\xC3"
                                      "c"),
              "a?b?c");
    EXPECT_EQ(platform::ToWindows1252("\xC0\xAF"), "??");
    EXPECT_EQ(platform::ToWindows1252("\xED\xA0\x80"), "???");
}

TEST(Archive, EveryByteReadsAsItsCharacterAndIsWrittenBackTheSame) {
    EXPECT_EQ(platform::FromWindows1252("\x80\x8A\x91\x92\x96\x97"), "€Š‘’–—");
    EXPECT_EQ(platform::FromWindows1252("\xE9\xFF\xA0"), "éÿ\xC2\xA0");
    // The five bytes the set leaves undefined read as the same code point.
    EXPECT_EQ(platform::FromWindows1252("\x81\x8D\x8F\x90\x9D"),
              "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(platform::ToWindows1252(platform::FromWindows1252(all)), all);
}

}  // namespace
