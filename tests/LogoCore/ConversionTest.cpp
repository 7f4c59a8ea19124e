// Conversions of cells to text, numbers, truth values and lists; printing
// and rounding of reals.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "platform/NumberText.h"

namespace {

// Error -4 as a conversion raises it: "%1" kept for the name of the
// primitive, the input's text as the second argument.
void ExpectWrongInput(const std::function<void()>& f, const std::string& input) {
    CellRef error = LogoErrorOf(f);
    ASSERT_TRUE(IsCell(error.get()));
    EXPECT_EQ(error->Text(), Filled(20004, {"%1", input}) + "\r\n");
}

// The number's text goes with -64, so the message never shows a bare "%1".
void ExpectTooBig(const std::function<void()>& f, const std::string& number) {
    CellRef error = LogoErrorOf(f);
    ASSERT_TRUE(IsCell(error.get()));
    EXPECT_EQ(error->Text(), Filled(20064, {number}) + "\r\n");
}

// Printed without trailing zeros and never as -0; kept to 8 decimals, halves
// going away from zero, within the range of an int32.
TEST(Reals, PrintingAndRounding) {
    EXPECT_EQ(FormatReal(2.5), "2.5");
    EXPECT_EQ(FormatReal(7.0), "7");
    EXPECT_EQ(FormatReal(100.0), "100");
    EXPECT_EQ(FormatReal(-0.125), "-0.125");
    EXPECT_EQ(FormatReal(0.00000001), "0.00000001");
    EXPECT_EQ(FormatReal(-0.000000001), "0");

    EXPECT_DOUBLE_EQ(RoundReal(1.234567891), 1.23456789);
    EXPECT_DOUBLE_EQ(RoundReal(0.000000025), 0.00000003);  // exactly n + 0.5 times 10^-8
    EXPECT_DOUBLE_EQ(RoundReal(-0.000000025), -0.00000003);
    CellRef error = LogoErrorOf([] { RoundReal(2147483648.0); });
    ASSERT_TRUE(IsCell(error.get()));
    EXPECT_EQ(error->Text(), Filled(20064, {"2.1474836e+09"}) + "\r\n");
}

TEST(GetString, TextFormsAndQuoting) {
    EXPECT_EQ(GetString(Value(0.000000004).get(), false), "0");
    EXPECT_EQ(GetString(Value(false).get(), false), platform::ResourceText(kTextFalse));
    EXPECT_EQ(GetString(ErrorHandle(-3), false), platform::ResourceText(20003) + "\r\n");
    CellRef variable(new CHandleData(":v", CHandleData::OfType{kTypeVariable}, 70101));
    EXPECT_EQ(InternalErrorOf([&] { GetString(variable.get(), false); }),
              "Bad Handle in GetString()");

    EXPECT_EQ(GetString(Word("a b").get(), false, true), "\"|a b|");
    EXPECT_EQ(GetString(Word("a\tb").get(), false, true), "\"|a\tb|");
    EXPECT_EQ(GetString(Word("a b").get(), false, false), "a b");
    EXPECT_EQ(GetString(Word("ab").get(), false, true), "ab");
    EXPECT_EQ(GetString(Word("\"|a b|").get(), false, true), "\"|a b|");
    EXPECT_EQ(GetString(Word("a b|").get(), false, true), "a b|");
    CellRef a = Word("a"), bc = Word("b c");
    CellRef outer = ListOf({a.get(), ListOf({bc.get(), Value(7).get()}).get()});
    EXPECT_EQ(GetString(outer.get(), false), "[a [b c 7]]");
    EXPECT_EQ(GetString(outer.get(), false, true), "[a [\"|b c| 7]]");
}

TEST(GetNumberOrBoolean, ConversionTable) {
    EXPECT_EQ(GetInteger(Value(-2.7).get(), false), -2);
    EXPECT_DOUBLE_EQ(GetReal(Value(1.234567891).get(), false), 1.23456789);
    ExpectTooBig([] { GetInteger(Word("2147483648").get(), false); }, "2147483648");
    ExpectTooBig([] { GetReal(Word("2147483648").get(), false); }, "2147483648");
    ExpectWrongInput([] { GetInteger(Word("1.5").get(), false); }, "1.5");
    ExpectWrongInput([] { GetReal(Word("12abc").get(), false); }, "12abc");
    ExpectWrongInput([] { GetReal(Word("").get(), false); }, "");
    ExpectWrongInput([] { GetReal(Word("nan").get(), false); }, "nan");
    ExpectWrongInput([] { GetReal(Value(false).get(), false); }, "false");

    ASSERT_EQ(platform::ResourceText(kTextTrue), "true");  // so TRUE below differs in case
    EXPECT_TRUE(GetBoolean(Word("TRUE").get(), false));
    EXPECT_FALSE(GetBoolean(Word("False").get(), false));
    ExpectWrongInput([] { GetBoolean(Word("yes").get(), false); }, "yes");
    ExpectWrongInput([] { GetBoolean(Value(1).get(), false); }, "1");
}

TEST(GetList, ConversionTable) {
    CellRef list = ListOf({Value(5).get()});
    CLogoList* own = GetList(list.get(), false);
    EXPECT_EQ(own, list->ListValue());
    EXPECT_EQ(own->Count(), 2);
    own->Release();
    // A word becomes a new TEMP word holding its quoted text form.
    CLogoList* wrapped = GetList(Word("a b").get(), false);
    EXPECT_EQ(wrapped->ElementAt(0)->Text(), "\"|a b|");
    EXPECT_EQ(wrapped->ElementAt(0)->State(), kStateTemp);
    wrapped->Release();
}

// With the release flag the caller's reference goes, whether the conversion
// succeeds, raises a Logo error or faults.
TEST(ConversionRelease, ReleasesAlsoWhenRaising) {
    CellRef word = Word("12abc");
    Reference(word.get());
    ExpectWrongInput([&] { GetInteger(word.get(), true); }, "12abc");
    EXPECT_EQ(word->Count(), 1);
    // Given the last reference, the message still gets the input's text.
    ExpectWrongInput([] { GetBoolean(Word("maybe").release(), true); }, "maybe");
    ExpectTooBig([] { GetReal(Word("99999999999").release(), true); }, "99999999999");
    CellRef name(new CHandleData("fd", 70107));
    Reference(name.get());
    EXPECT_EQ(InternalErrorOf([&] { GetBoolean(name.get(), true); }), "Bad Handle in GetBoolean()");
    EXPECT_EQ(name->Count(), 1);
}

// The decimal separator chosen at run time applies to printing and reading.
TEST(DecimalSeparator, ACommaPrintsAndReadsWithAComma) {
    platform::SetDecimalSeparator(',');
    EXPECT_EQ(FormatReal(2.5), "2,5");
    EXPECT_EQ(FormatReal(3.0), "3");
    EXPECT_EQ(GetReal(Word("2,5").get(), false), 2.5);
    ExpectWrongInput([] { GetReal(Word("2.5").get(), false); }, "2.5");
    platform::SetDecimalSeparator('.');
}

}  // namespace
