#include "platform/TextCatalog.h"

#include "platform/DataFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

using platform::FormatMessageText;
using platform::TextCatalog;

TextCatalog Loaded(std::string_view text) {
    TextCatalog catalog;
    std::string error;
    EXPECT_TRUE(catalog.LoadFromString(text, "test.txt", &error)) << error;
    return catalog;
}

// Loads text that must be refused and returns the error message.
std::string Refusal(TextCatalog& catalog, std::string_view text) {
    std::string error;
    EXPECT_FALSE(catalog.LoadFromString(text, "bad.txt", &error)) << "accepted: " << text;
    return error;
}

// ---------------------------------------------------------------------------
// Parsing

TEST(TextCatalogParsing, ReadsIdsAndTextsSkippingCommentsAndBlankLines) {
    const TextCatalog catalog = Loaded(
        "# a comment\n"
        "\n"
        "   \t \n"
        "1000 true\n"
        "  # an indented comment\n"
        "20004\t\t%1 doesn't like %2 as input.\n"
        "7   several   blanks inside  \n");
    EXPECT_EQ(catalog.Size(), 3u);
    EXPECT_EQ(catalog.Text(1000), "true");
    EXPECT_EQ(catalog.Text(20004), "%1 doesn't like %2 as input.");
    // Only the blanks between id and text go; the rest of the line is the text.
    EXPECT_EQ(catalog.Text(7), "several   blanks inside  ");
    EXPECT_TRUE(catalog.Has(7));
}

TEST(TextCatalogParsing, MissingIdGivesEmptyText) {
    const TextCatalog catalog = Loaded("1 one\n");
    EXPECT_FALSE(catalog.Has(2));
    EXPECT_EQ(catalog.Text(2), "");
    EXPECT_EQ(catalog.Text(-1), "");
}

TEST(TextCatalogParsing, HashInsideTextIsKept) {
    const TextCatalog catalog = Loaded("5 #1 in the charts\n");
    EXPECT_EQ(catalog.Text(5), "#1 in the charts");
}

TEST(TextCatalogParsing, LastLineWithoutLineFeed) {
    const TextCatalog catalog = Loaded("1 one\n2 two");
    EXPECT_EQ(catalog.Text(2), "two");
}

TEST(TextCatalogParsing, CrLfLineEndsAreNotPartOfTheText) {
    const TextCatalog catalog = Loaded("# comment\r\n\r\n1 one\r\n2 two \r\n3 three\r");
    EXPECT_EQ(catalog.Size(), 3u);
    EXPECT_EQ(catalog.Text(1), "one");
    EXPECT_EQ(catalog.Text(2), "two ");
    EXPECT_EQ(catalog.Text(3), "three");
}

TEST(TextCatalogParsing, ByteOrderMarkIsSkipped) {
    const TextCatalog catalog = Loaded(
        "\xEF\xBB\xBF"
        "1 one\n");
    EXPECT_EQ(catalog.Text(1), "one");
}

TEST(TextCatalogParsing, KeepsUtf8Text) {
    const TextCatalog catalog = Loaded("1 temperatur i °C — æøå\n");
    EXPECT_EQ(catalog.Text(1), "temperatur i °C — æøå");
}

TEST(TextCatalogEscapes, StandForControlCharactersAndBackslash) {
    const TextCatalog catalog = Loaded(R"(1 a\r\nb\tc\\d
2 \\n is not a line feed
3 C:\path\x stays
4 ends in a backslash\
5 line\r\n
)");
    EXPECT_EQ(catalog.Text(1), "a\r\nb\tc\\d");
    EXPECT_EQ(catalog.Text(2), "\\n is not a line feed");
    EXPECT_EQ(catalog.Text(3), "C:\\path\\x stays");
    EXPECT_EQ(catalog.Text(4), "ends in a backslash\\");
    EXPECT_EQ(catalog.Text(5), "line\r\n");
}

TEST(TextCatalogEscapes, EscapedCarriageReturnSurvivesCrLfFile) {
    const TextCatalog catalog = Loaded("1 text\\r\r\n");
    EXPECT_EQ(catalog.Text(1), "text\r");
}

// ---------------------------------------------------------------------------
// Refused catalogs

TEST(TextCatalogErrors, DuplicateIdNamesBothLines) {
    TextCatalog catalog;
    const std::string error = Refusal(catalog, "# head\n10 first\n\n10 second\n");
    EXPECT_NE(error.find("bad.txt:4: "), std::string::npos) << error;
    EXPECT_NE(error.find("10"), std::string::npos) << error;
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
}

TEST(TextCatalogErrors, MalformedLinesAreReportedWithTheirLineNumber) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1 ok\nabc no id\n", "bad.txt:2: "},
        {"1 ok\n2 ok\n12x text\n", "bad.txt:3: "},
        {"12\n", "bad.txt:1: "},                   // no text at all
        {"1 ok\n12   \n", "bad.txt:2: "},          // only blanks after the id
        {"0 zero is not an id\n", "bad.txt:1: "},  // ids are positive
        {"-5 negative\n", "bad.txt:1: "},
        {"2147483648 too big\n", "bad.txt:1: "},
        {"99999999999999999999 far too big\n", "bad.txt:1: "},
        {"1 ok\r\n\r\nx\r\n", "bad.txt:3: "},
        {"1 caf\xE9 in Latin-1\n", "bad.txt:1: "},  // not UTF-8
        {"1 cut \xC3\n", "bad.txt:1: "},            // sequence cut short
        {"1 overlong \xC0\xAF\n", "bad.txt:1: "},
    };
    for (const auto& [text, where] : cases) {
        TextCatalog catalog;
        const std::string error = Refusal(catalog, text);
        EXPECT_EQ(error.rfind(where, 0), 0u) << "for " << text << " got: " << error;
        EXPECT_GT(error.size(), where.size()) << "no reason given for " << text;
    }
}

TEST(TextCatalogErrors, LargestIdIsAccepted) {
    const TextCatalog catalog = Loaded("2147483647 max\n");
    EXPECT_EQ(catalog.Text(2147483647), "max");
}

TEST(TextCatalogErrors, FailedLoadKeepsOldContents) {
    TextCatalog catalog = Loaded("1 old\n");
    Refusal(catalog, "1 new\n2 new\n2 again\n");
    EXPECT_EQ(catalog.Size(), 1u);
    EXPECT_EQ(catalog.Text(1), "old");
    EXPECT_FALSE(catalog.Has(2));
}

TEST(TextCatalogErrors, SuccessfulLoadReplacesContents) {
    TextCatalog catalog = Loaded("1 old\n2 old\n");
    std::string error;
    ASSERT_TRUE(catalog.LoadFromString("3 new\n", "x", &error)) << error;
    EXPECT_EQ(catalog.Size(), 1u);
    EXPECT_FALSE(catalog.Has(1));
    EXPECT_EQ(catalog.Text(3), "new");
}

TEST(TextCatalogFile, LoadsFileAndNamesItInErrors) {
    const std::filesystem::path dir = testing::TempDir();
    const std::filesystem::path good = dir / "TextCatalogTest_good.txt";
    const std::filesystem::path bad = dir / "TextCatalogTest_bad.txt";
    std::ofstream(good, std::ios::binary) << "1 one\r\n2 two\r\n";
    std::ofstream(bad, std::ios::binary) << "1 one\n1 again\n";

    TextCatalog catalog;
    std::string error;
    ASSERT_TRUE(catalog.Load(good, &error)) << error;
    EXPECT_EQ(catalog.Text(2), "two");

    EXPECT_FALSE(catalog.Load(bad, &error));
    EXPECT_EQ(error.rfind(bad.string() + ":2: ", 0), 0u) << error;
    EXPECT_EQ(catalog.Text(1), "one");

    const std::filesystem::path missing = dir / "TextCatalogTest_missing.txt";
    EXPECT_FALSE(catalog.Load(missing, &error));
    EXPECT_NE(error.find(missing.string()), std::string::npos) << error;
    EXPECT_EQ(catalog.Size(), 2u);

    std::filesystem::remove(good);
    std::filesystem::remove(bad);
}

// ---------------------------------------------------------------------------
// Formatting

TEST(FormatMessageText, ReplacesPlaceholdersInAnyOrder) {
    EXPECT_EQ(FormatMessageText("%1 doesn't like %2 as input.", {"forward", "hello"}),
              "forward doesn't like hello as input.");
    EXPECT_EQ(FormatMessageText("%2 needs a %1", {"monitor", "activate"}),
              "activate needs a monitor");
    EXPECT_EQ(FormatMessageText("%1%1-%1", {"ab"}), "abab-ab");
    EXPECT_EQ(FormatMessageText("no placeholders", {"x"}), "no placeholders");
    EXPECT_EQ(FormatMessageText("", {"x"}), "");
    EXPECT_EQ(FormatMessageText("%1", {""}), "");
}

TEST(FormatMessageText, MissingArgumentsStayAsPlaceholders) {
    EXPECT_EQ(FormatMessageText("Not enough inputs to %1.", {}), "Not enough inputs to %1.");
    EXPECT_EQ(FormatMessageText("%1 and %2 and %3", {"a"}), "a and %2 and %3");
}

TEST(FormatMessageText, TwoDigitsAreTakenGreedily) {
    std::vector<std::string> ten;
    for (int i = 1; i <= 10; ++i) ten.push_back("a" + std::to_string(i));
    EXPECT_EQ(FormatMessageText("%10", ten), "a10");
    EXPECT_EQ(FormatMessageText("%100", ten), "a100");  // %10, then the digit 0
    EXPECT_EQ(FormatMessageText("%1 0", ten), "a1 0");
    // With one argument %10 is placeholder 10, not %1 followed by 0.
    EXPECT_EQ(FormatMessageText("%10", {"x"}), "%10");

    std::vector<std::string> many(99);
    many[98] = "last";
    many[9] = "tenth";
    EXPECT_EQ(FormatMessageText("[%99]", many), "[last]");
    EXPECT_EQ(FormatMessageText("[%999]", many), "[last9]");
    EXPECT_EQ(FormatMessageText("%10x", many), "tenthx");
}

TEST(FormatMessageText, PercentSignsThatAreNotPlaceholders) {
    EXPECT_EQ(FormatMessageText("100%%", {}), "100%");
    EXPECT_EQ(FormatMessageText("%%1", {"x"}), "%1");
    EXPECT_EQ(FormatMessageText("%%%1", {"x"}), "%x");
    EXPECT_EQ(FormatMessageText("50% off", {"x"}), "50% off");
    EXPECT_EQ(FormatMessageText("%0 and %a", {"x"}), "%0 and %a");
    EXPECT_EQ(FormatMessageText("%05", {"x"}), "%05");
    EXPECT_EQ(FormatMessageText("ends in %", {"x"}), "ends in %");
}

TEST(FormatMessageText, ArgumentsAreNotScannedAgain) {
    EXPECT_EQ(FormatMessageText("%1 in %2", {"%2", "square"}), "%2 in square");
    EXPECT_EQ(FormatMessageText("<%1>", {"100%%"}), "<100%%>");
}

TEST(FormatMessageText, LeftOverPlaceholderCanBeFilledLater) {
    // An error text keeps its unfilled placeholder so that a later step can
    // name the command.
    const std::string once = FormatMessageText("%1 doesn't like %2 as input.", {"%1", "motorz"});
    EXPECT_EQ(once, "%1 doesn't like motorz as input.");
    EXPECT_EQ(FormatMessageText(once, {"talkto"}), "talkto doesn't like motorz as input.");
}

// ---------------------------------------------------------------------------
// The process's library and the shipped catalog

// Indices of the placeholders in a text, read as the formatter reads them.
std::set<int> Placeholders(std::string_view text) {
    std::set<int> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (text[i + 1] == '%') {
            ++i;
            continue;
        }
        if (text[i + 1] < '1' || text[i + 1] > '9') continue;
        int index = text[i + 1] - '0';
        if (i + 2 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 2])))
            index = index * 10 + (text[i + 2] - '0');
        found.insert(index);
    }
    return found;
}

std::set<int> OneTo(int n) {
    std::set<int> all;
    for (int i = 1; i <= n; ++i) all.insert(i);
    return all;
}

class ShippedCatalog : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        const auto file = platform::FindDataFile(platform::kResourceFileName);
        ASSERT_TRUE(file.has_value()) << "KinxRes.txt not found on the data search path";
        std::string error;
        ASSERT_TRUE(platform::ResourceLibrary().Load(*file, &error)) << error;
    }
    static const TextCatalog& Library() { return platform::ResourceLibrary(); }
};

TEST_F(ShippedCatalog, LibraryIsOneInstance) {
    EXPECT_EQ(&platform::ResourceLibrary(), &platform::ResourceLibrary());
    EXPECT_EQ(&platform::ResourceText(1000), &Library().Text(1000));
}

TEST_F(ShippedCatalog, ShorthandsReadTheLibrary) {
    EXPECT_EQ(platform::ResourceText(1000), "true");
    EXPECT_EQ(platform::FormatResource(20004, {"forward", "hello"}),
              "forward doesn't like hello as input.");
    EXPECT_EQ(platform::FormatResource(20020, {"Bad Handle in GetString()"}),
              "Bad Handle in GetString()");
    EXPECT_EQ(platform::FormatResource(1, {"x"}), "");  // no such text
}

TEST_F(ShippedCatalog, HasEveryTextWithItsPlaceholders) {
    // Id and the number of arguments the program passes to it.
    const std::vector<std::pair<int32_t, int>> required = {
        {1000, 0},
        {1001, 0},
        {1002, 0},
        {1100, 1},
        {1101, 1},
        {1102, 1},
        {1103, 1},
        {1104, 1},
        {1105, 1},
        {1106, 1},
        {1107, 1},
        {1401, 2},
        {1502, 0},
        {2001, 0},
        {2002, 0},
        {2003, 1},
        {2021, 0},
        {2100, 0},
        {2101, 2},
        {2102, 0},
        {2103, 0},
        {2104, 0},
        {2105, 0},
        {2106, 0},
        {2107, 0},
        {2190, 1},
        {3100, 0},
        {3101, 0},
        {3102, 0},
        {3103, 0},
        {3104, 0},
        {3105, 0},
        {3150, 0},
        {3151, 0},
        {3152, 0},
        {3153, 0},
        {3154, 0},
        {3155, 0},
        {3200, 0},
        {3201, 0},
        {3202, 0},
        {3203, 0},
        {3204, 0},
        {3205, 0},
        {3206, 0},
        {3207, 0},
        {7100, 0},
        {8100, 0},
        {9000, 0},
        {21000, 1},
        {21001, 1},
        {21002, 0},
        {21003, 0},
        {21004, 0},
        {21005, 0},
        {21006, 1},
        {21007, 0},
        {25011, 0},
        {25012, 0},
        // Logo errors whose arguments are fixed by the callers.
        {20001, 1},
        {20002, 0},
        {20003, 1},
        {20004, 2},
        {20005, 0},
        {20006, 0},
        {20007, 0},
        {20010, 1},
        {20012, 0},
        {20013, 1},
        {20014, 3},
        {20015, 1},
        {20016, 0},
        {20017, 1},
        {20018, 2},
        {20019, 0},
        {20020, 1},
        {20021, 1},
        {20022, 2},
        {20023, 2},
        {20025, 1},
        {20027, 1},
        {20028, 1},
        {20030, 1},
        {20031, 1},
        {20046, 0},
        {20047, 1},
        {20051, 0},
        {20060, 0},
        {20061, 1},
        {20062, 1},
        {20063, 1},
        {20064, 1},
        {20067, 0},
        {20070, 0},
        {20071, 1},
        {20072, 1},
        {20073, 0},
        {20074, 0},
        {20075, 1},
        {20077, 0},
        {20078, 0},
    };
    for (const auto& [id, arguments] : required) {
        ASSERT_TRUE(Library().Has(id)) << "missing text " << id;
        EXPECT_FALSE(Library().Text(id).empty()) << id;
        EXPECT_EQ(Placeholders(Library().Text(id)), OneTo(arguments))
            << "text " << id << ": " << Library().Text(id);
    }
}

TEST_F(ShippedCatalog, HasAMessageForEveryErrorNumber) {
    for (int32_t id = 20001; id <= 20098; ++id) {
        ASSERT_TRUE(Library().Has(id)) << "missing error message " << id;
        const std::string& text = Library().Text(id);
        EXPECT_FALSE(text.empty()) << id;
        // The error machinery appends the line end itself.
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << id;
        // Placeholders are numbered from 1 without gaps.
        const std::set<int> used = Placeholders(text);
        EXPECT_EQ(used, OneTo(static_cast<int>(used.size()))) << id << ": " << text;
    }
}

TEST_F(ShippedCatalog, ErrorInsideAProcedureReadsWell) {
    EXPECT_EQ(Library().Text(20020), "%1");
    const std::string inner = platform::FormatResource(20003, {"forward"});
    ASSERT_FALSE(inner.empty());
    ASSERT_EQ(inner.back(), '.');
    EXPECT_EQ(platform::FormatResource(20023, {inner.substr(0, inner.size() - 1), "square"}),
              "Not enough inputs to forward in square.");
}

TEST_F(ShippedCatalog, OnlyTheVariableLineEndsInALineEnd) {
    for (int32_t id : {1000, 1001, 1002, 1502, 2003, 2190, 21000, 25011}) {
        const std::string& text = Library().Text(id);
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << id;
    }
    EXPECT_EQ(platform::FormatResource(1401, {"\"speed", "5"}), "make \"speed 5\r\n");
}

TEST_F(ShippedCatalog, LogoWordsAreLowerCaseWithoutBlanks) {
    EXPECT_EQ(Library().Text(1000), "true");
    EXPECT_EQ(Library().Text(1001), "false");
    EXPECT_EQ(Library().Text(2002), "procedures");

    // Output names and object kinds are typed by students as single words.
    std::set<std::string> outputNames;
    for (int32_t id = 1104; id <= 1107; ++id) {
        const std::string name = platform::FormatResource(id, {"a"});
        outputNames.insert(name);
        EXPECT_EQ(name.find_first_of(" \t"), std::string::npos) << id;
        EXPECT_TRUE(std::none_of(name.begin(), name.end(), [](unsigned char c) {
            return std::isupper(c);
        })) << id;
    }
    EXPECT_EQ(outputNames.size(), 4u) << "output names must differ";

    std::set<std::string> kinds;
    for (int32_t id = 3100; id <= 3105; ++id) {
        const std::string& kind = Library().Text(id);
        kinds.insert(kind);
        EXPECT_EQ(kind.find_first_of(" \t"), std::string::npos) << id;
    }
    EXPECT_EQ(kinds.size(), 6u) << "kind names must differ";
}

TEST_F(ShippedCatalog, FirstUnitOfEachPairIsTheSettingsOwnUnit) {
    EXPECT_EQ(Library().Text(3200), "Rotation");
    EXPECT_EQ(Library().Text(3202), "Percent");
    EXPECT_EQ(Library().Text(3204), "Celsius");
    EXPECT_EQ(Library().Text(3206), "Boolean");
    for (int32_t id : {3201, 3203, 3205, 3207})
        EXPECT_NE(Library().Text(id), Library().Text(id - 1)) << id;
}

TEST_F(ShippedCatalog, ProjectExtension) {
    EXPECT_EQ(Library().Text(2107), ".KXP");
}

}  // namespace
