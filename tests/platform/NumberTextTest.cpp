#include "platform/NumberText.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <cmath>
#include <limits>

namespace {

using platform::DecimalSeparator;
using platform::FormatFixed8;
using platform::FormatGeneral;
using platform::FormatGeneral8;
using platform::ParseInteger;
using platform::ParseReal;
using platform::SetDecimalSeparator;

// Every test starts and ends with the point, whatever it changes.
class NumberTextTest : public ::testing::Test {
  protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { SetDecimalSeparator('.'); }
};

TEST_F(NumberTextTest, SeparatorSwitchesBothWaysAndOnlyCommaSelectsComma) {
    EXPECT_EQ(DecimalSeparator(), '.');
    SetDecimalSeparator(',');
    EXPECT_EQ(DecimalSeparator(), ',');
    SetDecimalSeparator('.');
    EXPECT_EQ(DecimalSeparator(), '.');
    SetDecimalSeparator(',');
    SetDecimalSeparator(';');
    EXPECT_EQ(DecimalSeparator(), '.');
}

TEST_F(NumberTextTest, FixedFormatHasEightDecimalsWithTheCurrentSeparator) {
    EXPECT_EQ(FormatFixed8(2.5), "2.50000000");
    EXPECT_EQ(FormatFixed8(-0.125), "-0.12500000");
    EXPECT_EQ(FormatFixed8(1e-9), "0.00000000");
    EXPECT_EQ(FormatFixed8(2147483647.0), "2147483647.00000000");
    EXPECT_EQ(FormatFixed8(1e20), "100000000000000000000.00000000");
    // The largest double has 309 digits before the point.
    EXPECT_EQ(FormatFixed8(std::numeric_limits<double>::max()).size(), 309u + 9u);

    SetDecimalSeparator(',');
    EXPECT_EQ(FormatFixed8(2.5), "2,50000000");
    EXPECT_EQ(FormatFixed8(-0.125), "-0,12500000");
    SetDecimalSeparator('.');
    EXPECT_EQ(FormatFixed8(2.5), "2.50000000");
}

TEST_F(NumberTextTest, GeneralFormatsFollowTheCLibrary) {
    EXPECT_EQ(FormatGeneral8(3e9), "3e+09");
    EXPECT_EQ(FormatGeneral8(1.0 / 3.0), "0.33333333");
    EXPECT_EQ(FormatGeneral8(123456789.0), "1.2345679e+08");
    EXPECT_EQ(FormatGeneral(2.5), "2.5");
    EXPECT_EQ(FormatGeneral(1234567.0), "1.23457e+06");
    SetDecimalSeparator(',');
    EXPECT_EQ(FormatGeneral8(1.0 / 3.0), "0,33333333");
    EXPECT_EQ(FormatGeneral(1234567.0), "1,23457e+06");
    EXPECT_EQ(FormatGeneral(100.0), "100");
}

TEST_F(NumberTextTest, InfinityAndNanPrintAsTheCLibraryPrintsThem) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FormatFixed8(inf), "inf");
    EXPECT_EQ(FormatFixed8(-inf), "-inf");
    EXPECT_EQ(FormatGeneral8(std::numeric_limits<double>::quiet_NaN()), "nan");
    SetDecimalSeparator(',');
    EXPECT_EQ(FormatGeneral(inf), "inf");
}

TEST_F(NumberTextTest, ParseRealReportsHowMuchItRead) {
    auto r = ParseReal("12abc");
    EXPECT_EQ(r.value, 12.0);
    EXPECT_EQ(r.used, 2u);
    EXPECT_FALSE(r.outOfRange);

    r = ParseReal("");
    EXPECT_EQ(r.used, 0u);
    EXPECT_EQ(r.value, 0.0);

    r = ParseReal(" 12");
    EXPECT_EQ(r.value, 12.0);
    EXPECT_EQ(r.used, 3u);

    r = ParseReal("+5");
    EXPECT_EQ(r.value, 5.0);
    EXPECT_EQ(r.used, 2u);

    r = ParseReal("-");
    EXPECT_EQ(r.used, 0u);

    r = ParseReal("2.5e3x");
    EXPECT_EQ(r.value, 2500.0);
    EXPECT_EQ(r.used, 5u);

    r = ParseReal("1e");  // an exponent without digits is not part of the number
    EXPECT_EQ(r.value, 1.0);
    EXPECT_EQ(r.used, 1u);
}

TEST_F(NumberTextTest, ParseRealOnlyReadsView) {
    // The view ends before the digits that follow it in memory.
    const std::string_view text = std::string_view("1234").substr(0, 2);
    const auto r = ParseReal(text);
    EXPECT_EQ(r.value, 12.0);
    EXPECT_EQ(r.used, 2u);
}

TEST_F(NumberTextTest, ParseRealHonoursTheSeparator) {
    auto r = ParseReal("2,5");
    EXPECT_EQ(r.value, 2.0);
    EXPECT_EQ(r.used, 1u);

    SetDecimalSeparator(',');
    r = ParseReal("2,5");
    EXPECT_EQ(r.value, 2.5);
    EXPECT_EQ(r.used, 3u);
    r = ParseReal("2.5");
    EXPECT_EQ(r.value, 2.0);
    EXPECT_EQ(r.used, 1u);
    r = ParseReal("-0,125e1;");
    EXPECT_EQ(r.value, -1.25);
    EXPECT_EQ(r.used, 8u);

    SetDecimalSeparator('.');
    r = ParseReal("2.5");
    EXPECT_EQ(r.value, 2.5);
    EXPECT_EQ(r.used, 3u);
}

TEST_F(NumberTextTest, ParseRealReportsOverflowAndUnderflow) {
    auto r = ParseReal("1e999");
    EXPECT_TRUE(r.outOfRange);
    EXPECT_EQ(r.used, 5u);
    EXPECT_TRUE(std::isinf(r.value));

    r = ParseReal("1e-999");
    EXPECT_TRUE(r.outOfRange);
    EXPECT_EQ(r.used, 6u);

    // A range error earlier must not leak into the next conversion.
    r = ParseReal("7");
    EXPECT_FALSE(r.outOfRange);
}

TEST_F(NumberTextTest, ParseRealAcceptsHexadecimalInfinityAndNan) {
    auto r = ParseReal("0x1.8p1");
    EXPECT_EQ(r.value, 3.0);
    EXPECT_EQ(r.used, 7u);

    SetDecimalSeparator(',');
    r = ParseReal("0x1,8p1");
    EXPECT_EQ(r.value, 3.0);
    EXPECT_EQ(r.used, 7u);
    r = ParseReal("0x1.8p1");
    EXPECT_EQ(r.value, 1.0);
    EXPECT_EQ(r.used, 3u);
    SetDecimalSeparator('.');

    r = ParseReal("inf");
    EXPECT_TRUE(std::isinf(r.value));
    EXPECT_EQ(r.used, 3u);
    EXPECT_FALSE(r.outOfRange);

    r = ParseReal("-Infinity!");
    EXPECT_TRUE(std::isinf(r.value));
    EXPECT_LT(r.value, 0.0);
    EXPECT_EQ(r.used, 9u);

    r = ParseReal("nanx");
    EXPECT_TRUE(std::isnan(r.value));
    EXPECT_EQ(r.used, 3u);
}

TEST_F(NumberTextTest, ParseIntegerHasThirtyTwoBitRange) {
    auto r = ParseInteger("2147483647");
    EXPECT_EQ(r.value, 2147483647);
    EXPECT_FALSE(r.outOfRange);

    r = ParseInteger("-2147483648");
    EXPECT_EQ(r.value, -2147483648LL);
    EXPECT_FALSE(r.outOfRange);

    r = ParseInteger("2147483648");
    EXPECT_TRUE(r.outOfRange);
    EXPECT_EQ(r.value, 2147483647);
    EXPECT_EQ(r.used, 10u);

    r = ParseInteger("-2147483649");
    EXPECT_TRUE(r.outOfRange);
    EXPECT_EQ(r.value, -2147483648LL);

    r = ParseInteger("99999999999999999999999");
    EXPECT_TRUE(r.outOfRange);
    EXPECT_EQ(r.value, 2147483647);
    EXPECT_EQ(r.used, 23u);
}

TEST_F(NumberTextTest, ParseIntegerStopsAtTheFirstNonDigit) {
    auto r = ParseInteger("  -42.5");
    EXPECT_EQ(r.value, -42);
    EXPECT_EQ(r.used, 5u);

    r = ParseInteger("+7x");
    EXPECT_EQ(r.value, 7);
    EXPECT_EQ(r.used, 2u);

    r = ParseInteger("0x10");  // base 10: only the 0 is read
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(r.used, 1u);

    r = ParseInteger("-");
    EXPECT_EQ(r.used, 0u);
    r = ParseInteger("");
    EXPECT_EQ(r.used, 0u);
    EXPECT_FALSE(r.outOfRange);
}

TEST_F(NumberTextTest, ThreadLocaleWithDecimalCommaDoesNotChangeResults) {
    // Another part of the program may select the user's locale; the
    // separator must still be only the one chosen here.
    locale_t comma = static_cast<locale_t>(0);
    for (const char* name : {"da_DK.UTF-8", "da_DK.utf8", "de_DE.UTF-8", "de_DE.utf8"}) {
        comma = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(0));
        if (comma != static_cast<locale_t>(0)) break;
    }
    if (comma == static_cast<locale_t>(0)) GTEST_SKIP() << "no locale with a decimal comma";
    const locale_t previous = uselocale(comma);
    const std::string fixed = FormatFixed8(2.5);
    const auto parsed = ParseReal("2.5");
    uselocale(previous);
    freelocale(comma);
    EXPECT_EQ(fixed, "2.50000000");
    EXPECT_EQ(parsed.value, 2.5);
    EXPECT_EQ(parsed.used, 3u);
}

}  // namespace
