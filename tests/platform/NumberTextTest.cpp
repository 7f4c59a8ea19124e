#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace platform;

// Every test starts and ends with the point, whatever it changes.
class NumberText : public ::testing::Test {
  protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { SetDecimalSeparator('.'); }
};

template <typename Parse>
void Expect(Parse parse, std::string_view text, double value, std::size_t used,
            bool outOfRange = false) {
    const auto r = parse(text);
    EXPECT_EQ(r.value, value) << text;
    EXPECT_EQ(r.used, used) << text;
    EXPECT_EQ(r.outOfRange, outOfRange) << text;
}

TEST_F(NumberText, PrintingFollowsTheSeparatorBothWays) {
    EXPECT_EQ(FormatFixed8(-0.125), "-0.12500000");
    EXPECT_EQ(FormatGeneral8(123456789.0), "1.2345679e+08");
    // The largest double has 309 digits before the point: no fixed buffer.
    EXPECT_EQ(FormatFixed8(std::numeric_limits<double>::max()).size(), 309u + 9u);
    SetDecimalSeparator(';');  // only ',' selects the comma
    EXPECT_EQ(DecimalSeparator(), '.');

    SetDecimalSeparator(',');
    EXPECT_EQ(FormatFixed8(-0.125), "-0,12500000");
    EXPECT_EQ(FormatGeneral8(1.0 / 3.0), "0,33333333");
    EXPECT_EQ(FormatGeneral(1234567.0), "1,23457e+06");
    EXPECT_EQ(FormatFixed8(-std::numeric_limits<double>::infinity()), "-inf");
    SetDecimalSeparator('.');
    EXPECT_EQ(FormatGeneral8(2.5), "2.5");
}

TEST_F(NumberText, ReadingTakesTheLongestNumberWithTheCurrentSeparator) {
    // Callers tell a whole-text number from one with leftovers by `used`.
    Expect(ParseReal, "12abc", 12.0, 2);
    Expect(ParseReal, "1e", 1.0, 1);  // an exponent without digits is not read
    Expect(ParseReal, "2,5", 2.0, 1);
    Expect(ParseReal, std::string_view("1234").substr(0, 2), 12.0, 2);  // not past the view
    SetDecimalSeparator(',');
    Expect(ParseReal, "2,5", 2.5, 3);
    Expect(ParseReal, "2.5", 2.0, 1);
    Expect(ParseReal, "-0,125e1;", -1.25, 8);
    Expect(ParseReal, "0x1,8p1", 3.0, 7);
    SetDecimalSeparator('.');
    Expect(ParseReal, "2.5", 2.5, 3);
    Expect(ParseReal, "-Infinity!", -HUGE_VAL, 9);

    Expect(ParseInteger, "  -42.5", -42, 5);
    Expect(ParseInteger, "0x10", 0, 1);  // base 10: only the 0
    Expect(ParseInteger, "+", 0, 0);

    // Out of range is reported, and does not leak into the next read.
    Expect(ParseReal, "1e999", HUGE_VAL, 5, true);
    EXPECT_TRUE(ParseReal("1e-999").outOfRange);
    Expect(ParseReal, "7", 7.0, 1);
    Expect(ParseInteger, "-2147483648", -2147483648.0, 11);
    Expect(ParseInteger, "2147483648", 2147483647, 10, true);
    Expect(ParseInteger, "-99999999999999999999999", -2147483648.0, 24, true);
    Expect(ParseInteger, "7", 7, 1);
}

}  // namespace
