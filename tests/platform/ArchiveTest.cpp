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

TEST(Archive, Int32IsLittleEndianTwosComplement) {
    ArchiveWriter out;
    out.Int32(0x12345678);
    out.Int32(-2);
    out.Int32(std::numeric_limits<int32_t>::min());
    EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF,
                                                 0x00, 0x00, 0x00, 0x80}));
    ArchiveReader in(out.Bytes());
    EXPECT_EQ(in.Int32(), 0x12345678);
    EXPECT_EQ(in.Int32(), -2);
    EXPECT_EQ(in.Int32(), std::numeric_limits<int32_t>::min());
    EXPECT_TRUE(in.AtEnd());
}

TEST(Archive, DoubleIsLittleEndianBinary64) {
    ArchiveWriter out;
    out.Double(1.0);
    out.Double(-0.1);
    // 1.0 is 0x3FF0000000000000.
    EXPECT_EQ(Prefix(out.Bytes(), 8), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    ArchiveReader in(out.Bytes());
    EXPECT_EQ(in.Double(), 1.0);
    EXPECT_EQ(in.Double(), -0.1);
    EXPECT_EQ(in.Offset(), 16u);
}

// The prefix of a text of the length, as written.
std::vector<uint8_t> PrefixOfLength(std::size_t length) {
    ArchiveWriter out;
    out.Text(std::string(length, 'x'));
    EXPECT_EQ(out.Bytes().size() - length, length < 255 ? 1u : (length <= 65533 ? 3u : 7u));
    return Prefix(out.Bytes(), out.Bytes().size() - length);
}

TEST(Archive, TextLengthPrefixTakesItsThreeFormsAtTheirBoundaries) {
    EXPECT_EQ(PrefixOfLength(0), (std::vector<uint8_t>{0x00}));
    EXPECT_EQ(PrefixOfLength(254), (std::vector<uint8_t>{0xFE}));
    EXPECT_EQ(PrefixOfLength(255), (std::vector<uint8_t>{0xFF, 0xFF, 0x00}));
    EXPECT_EQ(PrefixOfLength(65533), (std::vector<uint8_t>{0xFF, 0xFD, 0xFF}));
    EXPECT_EQ(PrefixOfLength(65534),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(PrefixOfLength(70000),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
}

TEST(Archive, TextsOfEveryLengthFormReadBack) {
    ArchiveWriter out;
    const std::vector<std::size_t> lengths = {0, 1, 254, 255, 256, 65533, 65534, 100000};
    for (std::size_t length : lengths)
        out.Text(std::string(length, static_cast<char>('a' + length % 26)));
    out.Int32(7);
    ArchiveReader in(out.Bytes());
    for (std::size_t length : lengths)
        EXPECT_EQ(in.Text(), std::string(length, static_cast<char>('a' + length % 26)));
    EXPECT_EQ(in.Int32(), 7);
    EXPECT_TRUE(in.AtEnd());
}

TEST(Archive, TextLengthCountsBytesOfTheFileNotOfUtf8) {
    ArchiveWriter out;
    // 127 two-byte characters: 254 bytes of UTF-8 here, 127 in the file.
    std::string text;
    for (int i = 0; i < 127; ++i) text += "é";
    out.Text(text);
    ASSERT_EQ(out.Bytes().size(), 128u);
    EXPECT_EQ(out.Bytes()[0], 127);
    EXPECT_EQ(out.Bytes()[1], 0xE9);
    ArchiveReader in(out.Bytes());
    EXPECT_EQ(in.Text(), text);
}

TEST(Archive, ReadingAcceptsA16BitLengthBelow255) {
    const std::vector<uint8_t> bytes = {0xFF, 0x02, 0x00, 'o', 'k'};
    ArchiveReader in(bytes);
    EXPECT_EQ(in.Text(), "ok");
    EXPECT_TRUE(in.AtEnd());
}

TEST(Archive, TruncatedItemsRaiseArchiveEnded) {
    const std::vector<uint8_t> three = {1, 2, 3};
    ArchiveReader int32(three);
    EXPECT_THROW(int32.Int32(), ArchiveEnded);

    const std::vector<uint8_t> seven = {1, 2, 3, 4, 5, 6, 7};
    ArchiveReader real(seven);
    EXPECT_THROW(real.Double(), ArchiveEnded);

    ArchiveReader empty(std::span<const uint8_t>{});
    EXPECT_THROW(empty.Text(), ArchiveEnded);

    ArchiveWriter out;
    out.Text(std::string(300, 'q'));
    for (std::size_t cut = 0; cut < out.Bytes().size(); ++cut) {
        const std::vector<uint8_t> part = Prefix(out.Bytes(), cut);
        ArchiveReader in(part);
        EXPECT_THROW(in.Text(), ArchiveEnded) << "cut at " << cut;
    }
}

TEST(Archive, HostileTextLengthsRaiseWithoutReading) {
    // The longest and a negative 32-bit length, followed by a few bytes.
    const std::vector<uint8_t> longest = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'};
    ArchiveReader a(longest);
    EXPECT_THROW(a.Text(), ArchiveEnded);

    const std::vector<uint8_t> negative = {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'a', 'b'};
    ArchiveReader b(negative);
    EXPECT_THROW(b.Text(), ArchiveEnded);

    const std::vector<uint8_t> sixteen = {0xFF, 0x00, 0x01, 'a'};
    ArchiveReader c(sixteen);
    EXPECT_THROW(c.Text(), ArchiveEnded);
}

TEST(Archive, TextsAreWrittenInWindows1252) {
    ArchiveWriter out;
    out.Text("€ é ™ Ÿ");
    EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{7, 0x80, ' ', 0xE9, ' ', 0x99, ' ', 0x9F}));
}

TEST(Archive, CharactersTheSetLacksAndBrokenUtf8BecomeQuestionMarks) {
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

TEST(Archive, EveryByteReadsAsItsCharacter) {
    EXPECT_EQ(platform::FromWindows1252("\x80\x8A\x91\x92\x96\x97"), "€Š‘’–—");
    EXPECT_EQ(platform::FromWindows1252("\xE9\xFF\xA0"), "éÿ\xC2\xA0");
    // The five bytes the set leaves undefined read as the same code point.
    EXPECT_EQ(platform::FromWindows1252("\x81\x8D\x8F\x90\x9D"),
              "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
}

TEST(Archive, AllBytesSurviveAReadAndAWrite) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = platform::FromWindows1252(all);
    EXPECT_EQ(platform::ToWindows1252(utf8), all);
}

}  // namespace
