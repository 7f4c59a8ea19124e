#include "platform/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace platform;

TEST(Utf8, LowerCaseLowersCapitalsAndKeepsMalformedBytes) {
    EXPECT_EQ(LowerCase("Hello, WORLD [@]"), "hello, world [@]");
    EXPECT_EQ(LowerCase("ÆØÅ ÀÉÎÕÜÞ × ß"), "æøå àéîõüþ × ß");
    // Latin Extended-A pairs sit on even, then odd, then even code points.
    EXPECT_EQ(LowerCase("ĀĮĲĹŁŇŊŶŸŹŽİ"), "āįĳĺłňŋŷÿźži");
    EXPECT_EQ(LowerCase("ıĸŉſ"), "ıĸŉſ");
    EXPECT_EQ(LowerCase("ΑΩ ЀЏ АЯ"), "αω ѐџ ая");

    // Malformed bytes are kept; a capital right after a broken lead byte is lowered.
    const std::string bad =
        std::string("A\xC3") + "B\xFF\x80\xC0\x81\xED\xA0\x80\xF4\x90\x80\x80" + "\xE2\x82";
    EXPECT_EQ(LowerCase(bad),
              std::string("a\xC3") + "b\xFF\x80\xC0\x81\xED\xA0\x80" + "\xF4\x90\x80\x80\xE2\x82");
    EXPECT_EQ(LowerCase("\xC3Æ"), "\xC3æ");
}

TEST(Utf8, EqualsIgnoringCaseComparesLowerCaseAndMalformedBytesExactly) {
    EXPECT_TRUE(EqualsIgnoringCase("Blåbær-SAFT", "BLÅBÆR-saft"));
    EXPECT_TRUE(EqualsIgnoringCase("ŸΩЀ", "ÿωѐ"));
    EXPECT_TRUE(EqualsIgnoringCase("İx", "IX"));  // lower case shorter than the capital
    EXPECT_FALSE(EqualsIgnoringCase("İ", "ı"));
    EXPECT_FALSE(EqualsIgnoringCase("@[", "`{"));  // 0x20 apart, but not letters
    EXPECT_FALSE(EqualsIgnoringCase("abc", "abcd"));
    EXPECT_TRUE(EqualsIgnoringCase("\xC3Æ\xFF", "\xC3æ\xFF"));
    EXPECT_FALSE(EqualsIgnoringCase("\xC3", "\xC3\xA6"));
    EXPECT_FALSE(EqualsIgnoringCase("\xC3", "\xC2"));
}

TEST(Utf8, LengthsCountCharactersAndNeverCutOne) {
    EXPECT_EQ(CountCharacters("a€𝄞"), 3u);
    EXPECT_EQ(CountCharacters("\xC3\xFF\x80"), 3u);  // each malformed byte is one
    EXPECT_EQ(CountCharacters("\xE2\x82"), 2u);      // a sequence cut short
    EXPECT_EQ(FirstCharacters("a€𝄞b", 3), "a€𝄞");
    EXPECT_EQ(FirstCharacters("æø", 10), "æø");
}

}  // namespace
