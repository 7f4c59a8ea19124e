#include "platform/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::CountCharacters;
using platform::EqualsIgnoringCase;
using platform::FirstCharacters;
using platform::LowerCase;

// The UTF-8 form of one code point, written out independently of the code
// under test.
std::string Utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

TEST(Utf8LowerCase, AsciiAndLatin1) {
    EXPECT_EQ(LowerCase("Hello, WORLD 123 [@]"), "hello, world 123 [@]");
    EXPECT_EQ(LowerCase("ÆØÅ"), "æøå");
    EXPECT_EQ(LowerCase("ÀÉÎÕÜÞ"), "àéîõüþ");
    EXPECT_EQ(LowerCase("×"), "×");  // the multiplication sign has no small form
    EXPECT_EQ(LowerCase("ß÷ÿ"), "ß÷ÿ");
}

TEST(Utf8LowerCase, LatinExtendedAPairs) {
    EXPECT_EQ(LowerCase("ĀĂĄĆĈĊČĎĐĒĖĘĚĜĞĠĢĤĦĨĪĬĮ"), "āăąćĉċčďđēėęěĝğġģĥħĩīĭį");
    EXPECT_EQ(LowerCase("ĲĴĶ"), "ĳĵķ");
    EXPECT_EQ(LowerCase("ĹĻĽĿŁŃŅŇ"), "ĺļľŀłńņň");  // capitals on odd code points
    EXPECT_EQ(LowerCase("ŊŌŎŐŒŔŖŘŚŜŞŠŢŤŦŨŪŬŮŰŲŴŶ"), "ŋōŏőœŕŗřśŝşšţťŧũūŭůűųŵŷ");
    EXPECT_EQ(LowerCase("ŸŹŻŽ"), "ÿźżž");
    EXPECT_EQ(LowerCase("İ"), "i");
    // Small letters and the letters without a pair stay as they are.
    EXPECT_EQ(LowerCase("ıĸŉſāĺŋź"), "ıĸŉſāĺŋź");
}

TEST(Utf8LowerCase, EveryLatinExtendedACapitalMapsToItsSmallLetter) {
    // Each capital's small letter must itself be unchanged by lower case,
    // and no two capitals may share one small letter.
    std::string seen;
    for (char32_t c = 0x100; c <= 0x17F; ++c) {
        const std::string lower = LowerCase(Utf8(c));
        EXPECT_EQ(LowerCase(lower), lower) << std::hex << static_cast<unsigned>(c);
        if (lower != Utf8(c)) {
            EXPECT_EQ(seen.find("|" + lower + "|"), std::string::npos)
                << std::hex << static_cast<unsigned>(c);
            seen += "|" + lower + "|";
        }
    }
}

TEST(Utf8LowerCase, GreekAndCyrillic) {
    EXPECT_EQ(LowerCase("ΑΒΓΔΩ"), "αβγδω");
    EXPECT_EQ(LowerCase(Utf8(0x3A2)), Utf8(0x3A2));  // unassigned, not a capital
    EXPECT_EQ(LowerCase("АБВЯ"), "абвя");
    EXPECT_EQ(LowerCase("ЀЁЂЏ"), "ѐёђџ");
    EXPECT_EQ(LowerCase("Москва"), "москва");
}

TEST(Utf8LowerCase, MalformedBytesPassUnchanged) {
    const std::string bad = std::string("A\xC3") + "B" + "\xFF\x80" + "\xC0\x81" + "\xED\xA0\x80" +
                            "\xF4\x90\x80\x80" + "\xE2\x82";
    EXPECT_EQ(LowerCase(bad), std::string("a\xC3") + "b" + "\xFF\x80" + "\xC0\x81" +
                                  "\xED\xA0\x80" + "\xF4\x90\x80\x80" + "\xE2\x82");
    // A capital straight after a broken sequence is still lowered.
    EXPECT_EQ(LowerCase("\xC3Æ"), "\xC3æ");
    EXPECT_EQ(LowerCase(std::string("x\0Y", 3)), std::string("x\0y", 3));
}

TEST(Utf8EqualsIgnoringCase, AsciiAndMixedTexts) {
    EXPECT_TRUE(EqualsIgnoringCase("Abc", "aBC"));
    EXPECT_TRUE(EqualsIgnoringCase("", ""));
    EXPECT_FALSE(EqualsIgnoringCase("abc", "abcd"));
    EXPECT_FALSE(EqualsIgnoringCase("abcd", "abc"));
    EXPECT_FALSE(EqualsIgnoringCase("abc", "abd"));
    // Letters differ from neighbouring punctuation by 0x20 too.
    EXPECT_FALSE(EqualsIgnoringCase("@", "`"));
    EXPECT_FALSE(EqualsIgnoringCase("[", "{"));
    EXPECT_TRUE(EqualsIgnoringCase("ÆØÅ", "æøå"));
    EXPECT_TRUE(EqualsIgnoringCase("Blåbær-SAFT", "BLÅBÆR-saft"));
    EXPECT_FALSE(EqualsIgnoringCase("blåbær", "blabar"));
    EXPECT_TRUE(EqualsIgnoringCase("ΣΩΜΑ", "σωμα"));
    EXPECT_TRUE(EqualsIgnoringCase("Ёлка", "ёЛКА"));
}

TEST(Utf8EqualsIgnoringCase, CharactersWhoseLowerCaseIsShorter) {
    EXPECT_TRUE(EqualsIgnoringCase("İx", "ix"));
    EXPECT_TRUE(EqualsIgnoringCase("Ix", "İX"));
    EXPECT_FALSE(EqualsIgnoringCase("İ", "ı"));
}

TEST(Utf8EqualsIgnoringCase, MalformedBytesCompareExactly) {
    EXPECT_TRUE(EqualsIgnoringCase("A\xFF", "a\xFF"));
    EXPECT_FALSE(EqualsIgnoringCase("a\xFE", "a\xFF"));
    EXPECT_FALSE(EqualsIgnoringCase("\xC3", "\xC3\xA6"));
    // A broken lead byte followed by a capital against the same with a small.
    EXPECT_TRUE(EqualsIgnoringCase("\xC3Æ", "\xC3æ"));
    EXPECT_FALSE(EqualsIgnoringCase("\xC3", "\xC2"));
}

TEST(Utf8EqualsIgnoringCase, AgreesWithComparingLowerCase) {
    const std::string texts[] = {
        "",  "a",  "A",  "æ", "Æ", "İ", "i", "ı",        "\xC3",         "\xC3\xA6", "Ÿ",
        "ÿ", "ŹA", "źa", "Ω", "ω", "Ѐ", "ѐ", "\xE2\x82", "\xED\xA0\x80", "x\xFF",    "X\xFF"};
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            EXPECT_EQ(EqualsIgnoringCase(a, b), LowerCase(a) == LowerCase(b))
                << '"' << a << "\" vs \"" << b << '"';
        }
    }
}

TEST(Utf8Length, CountsCharactersNotBytes) {
    EXPECT_EQ(CountCharacters(""), 0u);
    EXPECT_EQ(CountCharacters("abc"), 3u);
    EXPECT_EQ(CountCharacters("æøå"), 3u);
    EXPECT_EQ(CountCharacters("a€𝄞"), 3u);
    EXPECT_EQ(CountCharacters("\xC3\xFF\x80"), 3u);  // each malformed byte counts as one
    EXPECT_EQ(CountCharacters("\xE2\x82"), 2u);      // a sequence cut short
}

TEST(Utf8Length, FirstCharactersNeverCutsASequence) {
    EXPECT_EQ(FirstCharacters("æøå", 2), "æø");
    EXPECT_EQ(FirstCharacters("abc", 0), "");
    EXPECT_EQ(FirstCharacters("abc", 10), "abc");
    EXPECT_EQ(FirstCharacters("a€𝄞b", 3), "a€𝄞");

    // A 300-character name cut to 255 characters, with the 255th being two bytes.
    std::string name(254, 'n');
    name += "å";
    for (int i = 0; i < 45; ++i) name += "ø";
    ASSERT_EQ(CountCharacters(name), 300u);
    const std::string_view cut = FirstCharacters(name, 255);
    EXPECT_EQ(CountCharacters(cut), 255u);
    EXPECT_EQ(cut.size(), 256u);
    EXPECT_EQ(cut.substr(254), "å");
}

}  // namespace
