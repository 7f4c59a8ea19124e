#include "platform/TextCatalog.h"

#include "platform/DataFiles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

using platform::FormatMessageText;
using platform::TextCatalog;

TEST(TextCatalog, ParsesIdsTextsAndEscapesSkippingCommentsAndBlankLines) {
    const std::string_view text =
        "\xEF\xBB\xBF# a comment after the byte order mark\n\n   \t \n"
        "20004\t\t%1 doesn't like %2 as input.\n"
        "  # an indented comment\r\n"
        "7   blanks   inside and after  \r\n"
        "5 #1 a\\r\\nb\\tc\\\\n C:\\x\\\n"
        "6 escaped\\r\r\n"
        "2147483647 °C — æøå";  // the largest id; no final line feed
    TextCatalog catalog;
    std::string error;
    ASSERT_TRUE(catalog.LoadFromString(text, "test.txt", &error)) << error;
    EXPECT_EQ(catalog.Size(), 5u);
    EXPECT_EQ(catalog.Text(20004), "%1 doesn't like %2 as input.");
    EXPECT_EQ(catalog.Text(7), "blanks   inside and after  ");
    EXPECT_EQ(catalog.Text(5), "#1 a\r\nb\tc\\n C:\\x\\");  // unknown escapes stay
    EXPECT_EQ(catalog.Text(6), "escaped\r");
    EXPECT_EQ(catalog.Text(2147483647), "°C — æøå");
    EXPECT_TRUE(!catalog.Has(2) && catalog.Text(2).empty());
}

TEST(TextCatalog, RefusesMalformedLinesNamingTheLineAndKeepsOldContents) {
    TextCatalog catalog;
    std::string error;
    ASSERT_TRUE(catalog.LoadFromString("1 old\n", "old.txt", &error));
    const std::pair<std::string, std::string> cases[] = {
        {"1 ok\nabc no id\n", "bad.txt:2: "},
        {"1 ok\r\n\r\n12x text\r\n", "bad.txt:3: "},
        {"1 ok\n12   \n", "bad.txt:2: "},  // no text after the id
        {"0 zero\n", "bad.txt:1: "},
        {"2147483648 too big\n", "bad.txt:1: "},
        {"1 caf\xE9 in Latin-1\n", "bad.txt:1: "},
        {"1 overlong \xC0\xAF\n", "bad.txt:1: "},
        {"# head\n10 first\n\n10 second\n", "bad.txt:4: "},
    };
    for (const auto& [text, start] : cases) {
        EXPECT_FALSE(catalog.LoadFromString(text, "bad.txt", &error)) << text;
        EXPECT_EQ(error.rfind(start, 0), 0u) << text << " gave: " << error;
        EXPECT_GT(error.size(), start.size()) << "no reason given for " << text;
    }
    EXPECT_EQ(catalog.Size(), 1u);
    EXPECT_EQ(catalog.Text(1), "old");
    ASSERT_TRUE(catalog.LoadFromString("3 new\n", "good.txt", &error)) << error;
    EXPECT_FALSE(catalog.Has(1));  // a good load replaces everything
}

TEST(FormatMessageText, FillsPlaceholdersAndLeavesTheRest) {
    EXPECT_EQ(FormatMessageText("%2 needs a %1%1", {"x", "y"}), "y needs a xx");
    EXPECT_EQ(FormatMessageText("%1 and %2 and %3", {"a"}), "a and %2 and %3");
    EXPECT_EQ(FormatMessageText("100%% %%1 %%%1 50% %0 %a %05 ends in %", {"x"}),
              "100% %1 %x 50% %0 %a %05 ends in %");
    // Arguments are not scanned again, so a later step may fill a %1 left in on purpose.
    EXPECT_EQ(FormatMessageText("%1 in <%2>", {"%2", "100%%"}), "%2 in <100%%>");
    const std::string once = FormatMessageText("%1 doesn't like %2.", {"%1", "motorz"});
    EXPECT_EQ(FormatMessageText(once, {"talkto"}), "talkto doesn't like motorz.");

    std::vector<std::string> many(99);
    many[9] = "tenth";
    many[98] = "last";
    EXPECT_EQ(FormatMessageText("%10x %100 %99 %999", many), "tenthx tenth0 last last9");
    EXPECT_EQ(FormatMessageText("%10", {"x"}), "%10");  // two digits, even when missing
}

// How many arguments a text takes, reading placeholders as the formatter
// does; -1 when they are not numbered from 1 without gaps.
int Arguments(std::string_view t) {
    std::set<int> found;
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i] != '%' || t[++i] < '1' || t[i] > '9') continue;  // skips both of "%%"
        int index = t[i] - '0';
        if (i + 1 < t.size() && std::isdigit(static_cast<unsigned char>(t[i + 1])))
            index = index * 10 + (t[++i] - '0');
        found.insert(index);
    }
    const int n = static_cast<int>(found.size());
    return n == 0 || *found.rbegin() == n ? n : -1;
}

// Guards the shipped resource file against lost texts and wrong placeholders.
TEST(ShippedCatalog, HasEveryTextWithTheArgumentsTheProgramPasses) {
    const auto file = platform::FindDataFile(platform::kResourceFileName);
    ASSERT_TRUE(file.has_value()) << "KinxRes.txt not found on the data search path";
    std::string error;
    ASSERT_TRUE(platform::ResourceLibrary().Load(*file, &error)) << error;
    const TextCatalog& library = platform::ResourceLibrary();

    // Indexed by the number of arguments the callers pass.
    const std::vector<std::vector<int32_t>> required = {
        {1000,  1001,  1002,  1502,  2001,  2002,  2021,  2100,  2102,  2103,  2104,  2105,  2106,
         2107,  2121,  3100,  3101,  3102,  3103,  3104,  3105,  3150,  3151,  3152,  3153,  3154,
         3155,  3200,  3201,  3202,  3203,  3204,  3205,  3206,  3207,  7100,  8100,  9000,  20002,
         20005, 20006, 20007, 20012, 20016, 20019, 20046, 20051, 20060, 20067, 20070, 20073, 20074,
         20077, 20078, 21002, 21003, 21004, 21005, 21007, 25011, 25012},
        {1100,  1101,  1102,  1103,  1104,  1105,  1106,  1107,  2003,  2190,  20001, 20003,
         20010, 20013, 20015, 20017, 20020, 20021, 20025, 20027, 20028, 20030, 20031, 20047,
         20061, 20062, 20063, 20064, 20071, 20072, 20075, 21000, 21001, 21006},
        {1401, 2101, 2120, 20004, 20018, 20022, 20023},
        {20014}};
    for (int arguments = 0; arguments < 4; ++arguments) {
        for (int32_t id : required[arguments]) {
            ASSERT_TRUE(library.Has(id)) << "missing text " << id;
            EXPECT_EQ(Arguments(library.Text(id)), arguments) << id << ": " << library.Text(id);
        }
    }
    // Every error number has a one-line message (the error machinery adds the line end).
    for (int32_t id = 20001; id <= 20098; ++id) {
        ASSERT_TRUE(library.Has(id)) << "missing error message " << id;
        EXPECT_EQ(library.Text(id).find_first_of("\r\n"), std::string::npos) << id;
        EXPECT_GE(Arguments(library.Text(id)), 0) << id << ": " << library.Text(id);
    }
    // The shorthands read the process's library.
    EXPECT_EQ(platform::ResourceText(1000), "true");
    EXPECT_EQ(platform::FormatResource(1401, {"\"speed", "5"}), "make \"speed 5\r\n");
}

}  // namespace
