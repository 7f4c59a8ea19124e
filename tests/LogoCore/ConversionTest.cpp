// Conversions of cells to text, numbers, truth values and lists; printing
// and rounding of reals.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "platform/NumberText.h"

namespace {

// The text of error -4 as a conversion raises it: %1 left for the name of
// the primitive, the input's text as %2.
std::string WrongInputText(const std::string& input) {
    return Filled(20004, {"%1", input}) + "\r\n";
}

void ExpectWrongInput(const std::function<void()>& f, const std::string& input) {
    CellRef error = LogoErrorOf(f);
    ASSERT_TRUE(IsCell(error.get()));
    EXPECT_EQ(error->State(), kStateError);
    EXPECT_EQ(error->Text(), WrongInputText(input));
}

void ExpectTooBig(const std::function<void()>& f) {
    CellRef error = LogoErrorOf(f);
    EXPECT_EQ(error.get(), ErrorHandle(-64));  // a bare number: no argument
}

CellRef ListOf(std::initializer_list<CHandleData*> elements) {
    CellRef cell(new CHandleData("", CHandleData::OfType{kTypeList}, kNoToken));
    for (CHandleData* e : elements) cell->ListValue()->Add(e);
    return cell;
}

TEST(FormatReal, DropsTrailingZerosAndTheSeparator) {
    EXPECT_EQ(FormatReal(2.5), "2.5");
    EXPECT_EQ(FormatReal(7.0), "7");
    EXPECT_EQ(FormatReal(100.0), "100");  // zeros before the point stay
    EXPECT_EQ(FormatReal(-0.125), "-0.125");
    EXPECT_EQ(FormatReal(10.1), "10.1");
    EXPECT_EQ(FormatReal(0.000000001), "0");
    EXPECT_EQ(FormatReal(-0.000000001), "0");
    EXPECT_EQ(FormatReal(-0.0), "0");
    EXPECT_EQ(FormatReal(0.00000001), "0.00000001");
}

TEST(RoundReal, KeepsEightDecimalsRoundingHalvesAwayFromZero) {
    EXPECT_EQ(RoundReal(3.0), 3.0);
    EXPECT_DOUBLE_EQ(RoundReal(1.234567891), 1.23456789);
    EXPECT_DOUBLE_EQ(RoundReal(-1.234567896), -1.2345679);
    // x * 100000000 is exactly n + 0.5 for these
    EXPECT_DOUBLE_EQ(RoundReal(0.000000025), 0.00000003);
    EXPECT_DOUBLE_EQ(RoundReal(-0.000000025), -0.00000003);
    EXPECT_DOUBLE_EQ(RoundReal(2.000000005), 2.00000001);
    EXPECT_EQ(RoundReal(0.000000004), 0.0);
}

TEST(RoundReal, OutOfIntegerRangeRaises64WithTheNumber) {
    EXPECT_EQ(RoundReal(2147483647.0), 2147483647.0);
    EXPECT_EQ(RoundReal(-2147483648.0), -2147483648.0);
    CellRef error = LogoErrorOf([] { RoundReal(2147483648.0); });
    ASSERT_TRUE(IsCell(error.get()));
    EXPECT_EQ(error->Text(), Filled(20064, {"2.1474836e+09"}) + "\r\n");
    // A real cell out of range goes through the same rounding.
    CellRef huge = Real(-5e12);
    error = LogoErrorOf([&] { GetReal(huge.get(), false); });
    ASSERT_TRUE(IsCell(error.get()));
    EXPECT_EQ(error->Text(), Filled(20064, {"-5e+12"}) + "\r\n");
}

TEST(GetString, TextFormOfEachType) {
    EXPECT_EQ(GetString(Int(-42).get(), false), "-42");
    EXPECT_EQ(GetString(Real(2.5).get(), false), "2.5");
    EXPECT_EQ(GetString(Real(0.000000004).get(), false), "0");
    CellRef name(new CHandleData("forward", 70100));
    EXPECT_EQ(GetString(name.get(), false), "forward");
    CellRef yes(new CHandleData("", true, kNoToken));
    CellRef no(new CHandleData("", false, kNoToken));
    EXPECT_EQ(GetString(yes.get(), false), platform::ResourceText(kTextTrue));
    EXPECT_EQ(GetString(no.get(), false), platform::ResourceText(kTextFalse));

    CellRef empty(new CHandleData());
    EXPECT_EQ(InternalErrorOf([&] { GetString(empty.get(), false); }), "Bad Handle in GetString()");
    CellRef variable(new CHandleData(":v", CHandleData::OfType{kTypeVariable}, 70101));
    EXPECT_EQ(InternalErrorOf([&] { GetString(variable.get(), false); }),
              "Bad Handle in GetString()");
}

TEST(GetString, QuotingAddsBarsOnlyAroundBlanks) {
    EXPECT_EQ(GetString(Word("a b").get(), false, true), "\"|a b|");
    EXPECT_EQ(GetString(Word("a\tb").get(), false, true), "\"|a\tb|");
    EXPECT_EQ(GetString(Word("a b").get(), false, false), "a b");
    EXPECT_EQ(GetString(Word("ab").get(), false, true), "ab");
    EXPECT_EQ(GetString(Word("\"|a b|").get(), false, true), "\"|a b|");
    EXPECT_EQ(GetString(Word("a b|").get(), false, true), "a b|");
    EXPECT_EQ(GetString(Word("").get(), false, true), "");
}

TEST(GetString, ListsPrintNestedAndPassQuotingOn) {
    CellRef a = Word("a");
    CellRef bc = Word("b c");
    CellRef inner = ListOf({bc.get(), Int(7).get()});
    CellRef outer = ListOf({a.get(), inner.get()});
    EXPECT_EQ(GetString(outer.get(), false), "[a [b c 7]]");
    EXPECT_EQ(GetString(outer.get(), false, true), "[a [\"|b c| 7]]");
    EXPECT_EQ(outer->ListValue()->Count(), 1);
    EXPECT_EQ(a->Count(), 2);
}

TEST(GetString, ErrorNumbersPrintTheirMessage) {
    EXPECT_EQ(GetString(ErrorHandle(-3), false), platform::ResourceText(20003) + "\r\n");
    EXPECT_EQ(GetString(ErrorHandle(kErrorStopRequest), true), "");
}

TEST(GetInteger, ConversionTable) {
    EXPECT_EQ(GetInteger(Int(-5).get(), false), -5);
    EXPECT_EQ(GetInteger(Real(-2.7).get(), false), -2);
    EXPECT_EQ(GetInteger(Real(2.7).get(), false), 2);
    EXPECT_EQ(GetInteger(Word("42").get(), false), 42);
    EXPECT_EQ(GetInteger(Word("-2147483648").get(), false), -2147483648);
    ExpectTooBig([] { GetInteger(Word("2147483648").get(), false); });
    ExpectTooBig([] { GetInteger(Real(3e9).get(), false); });
    ExpectWrongInput([] { GetInteger(Word("12abc").get(), false); }, "12abc");
    ExpectWrongInput([] { GetInteger(Word("").get(), false); }, "");
    ExpectWrongInput([] { GetInteger(Word("1.5").get(), false); }, "1.5");
    ExpectWrongInput([] { GetInteger(ListOf({Word("a").get()}).get(), false); }, "[a]");
    CellRef yes(new CHandleData("", true, kNoToken));
    ExpectWrongInput([&] { GetInteger(yes.get(), false); }, platform::ResourceText(kTextTrue));
    CellRef name(new CHandleData("fd", 70102));
    EXPECT_EQ(InternalErrorOf([&] { GetInteger(name.get(), false); }),
              "Bad Handle in GetInteger()");
    EXPECT_EQ(InternalErrorOf([] { GetInteger(nullptr, false); }), "Bad Handle in GetInteger()");
}

TEST(GetReal, ConversionTable) {
    EXPECT_EQ(GetReal(Int(3).get(), false), 3.0);
    EXPECT_EQ(GetReal(Real(-0.5).get(), false), -0.5);
    EXPECT_EQ(GetReal(Word("2.5").get(), false), 2.5);
    EXPECT_EQ(GetReal(Word("1e3").get(), false), 1000.0);
    EXPECT_EQ(GetReal(Word("0.000000004").get(), false), 0.0);
    EXPECT_DOUBLE_EQ(GetReal(Real(1.234567891).get(), false), 1.23456789);
    ExpectTooBig([] { GetReal(Word("2147483648").get(), false); });
    ExpectTooBig([] { GetReal(Word("1e400").get(), false); });
    ExpectTooBig([] { GetReal(Word("-inf").get(), false); });
    ExpectWrongInput([] { GetReal(Word("12abc").get(), false); }, "12abc");
    ExpectWrongInput([] { GetReal(Word("").get(), false); }, "");
    ExpectWrongInput([] { GetReal(Word("nan").get(), false); }, "nan");
    ExpectWrongInput([] { GetReal(ListOf({}).get(), false); }, "[]");
    CellRef no(new CHandleData("", false, kNoToken));
    ExpectWrongInput([&] { GetReal(no.get(), false); }, platform::ResourceText(kTextFalse));
    CellRef name(new CHandleData("fd", 70103));
    EXPECT_EQ(InternalErrorOf([&] { GetReal(name.get(), false); }), "Bad Handle in GetReal()");
}

TEST(GetBoolean, ConversionTable) {
    const std::string& word = platform::ResourceText(kTextTrue);
    ASSERT_EQ(word, "true");  // the catalog's word, so the upper-case form below differs
    EXPECT_TRUE(GetBoolean(Word("TRUE").get(), false));
    EXPECT_FALSE(GetBoolean(Word("False").get(), false));
    CellRef yes(new CHandleData("", true, kNoToken));
    EXPECT_TRUE(GetBoolean(yes.get(), false));
    ExpectWrongInput([] { GetBoolean(Word("yes").get(), false); }, "yes");
    ExpectWrongInput([] { GetBoolean(Int(1).get(), false); }, "1");
    ExpectWrongInput([] { GetBoolean(Real(0.5).get(), false); }, "0.5");
    ExpectWrongInput([] { GetBoolean(ListOf({}).get(), false); }, "[]");
    CellRef name(new CHandleData("fd", 70104));
    EXPECT_EQ(InternalErrorOf([&] { GetBoolean(name.get(), false); }),
              "Bad Handle in GetBoolean()");
}

TEST(GetList, ConversionTable) {
    CellRef number = Int(5);
    CLogoList* one = GetList(number.get(), false);
    ASSERT_EQ(one->Size(), 1u);
    EXPECT_EQ(one->ElementAt(0), number.get());
    EXPECT_EQ(number->Count(), 2);
    one->Release();
    EXPECT_EQ(number->Count(), 1);

    // A word becomes a new unnamed TEMP word holding its quoted text form.
    CellRef word = Word("a b", "w", 70105);
    CLogoList* wrapped = GetList(word.get(), false);
    ASSERT_EQ(wrapped->Size(), 1u);
    CHandleData* element = wrapped->ElementAt(0);
    EXPECT_NE(element, word.get());
    EXPECT_EQ(element->Text(), "\"|a b|");
    EXPECT_EQ(element->State(), kStateTemp);
    EXPECT_EQ(element->Name(), "");
    EXPECT_EQ(element->Count(), 1);
    wrapped->Release();

    CellRef list = ListOf({number.get()});
    CLogoList* own = GetList(list.get(), false);
    EXPECT_EQ(own, list->ListValue());
    EXPECT_EQ(own->Count(), 2);
    own->Release();

    CellRef name(new CHandleData("fd", 70106));
    EXPECT_EQ(InternalErrorOf([&] { GetList(name.get(), false); }), "Bad Handle in GetList()");
}

// With the release flag the caller's reference goes, whether the conversion
// succeeds, raises a Logo error or faults.
TEST(ConversionRelease, ReleasesAlsoWhenRaising) {
    CellRef word = Word("abc");
    const auto count = [&] { return word->Count(); };
    Reference(word.get());
    EXPECT_EQ(GetString(word.get(), true), "abc");
    EXPECT_EQ(count(), 1);
    Reference(word.get());
    LogoErrorOf([&] { GetInteger(word.get(), true); });
    EXPECT_EQ(count(), 1);
    Reference(word.get());
    GetList(word.get(), true)->Release();
    EXPECT_EQ(count(), 1);
    LogoErrorOf([&] { GetInteger(word.get(), false); });
    EXPECT_EQ(count(), 1);

    CellRef big = Word("99999999999");
    Reference(big.get());
    ExpectTooBig([&] { GetReal(big.get(), true); });
    EXPECT_EQ(big->Count(), 1);

    CellRef name(new CHandleData("fd", 70107));
    Reference(name.get());
    EXPECT_FALSE(InternalErrorOf([&] { GetInteger(name.get(), true); }).empty());
    EXPECT_EQ(name->Count(), 1);
}

// The decimal separator chosen at run time applies to printing and reading.
class DecimalComma : public ::testing::Test {
  protected:
    void SetUp() override { platform::SetDecimalSeparator(','); }
    void TearDown() override { platform::SetDecimalSeparator('.'); }
};

TEST_F(DecimalComma, PrintsAndReadsWithAComma) {
    EXPECT_EQ(FormatReal(2.5), "2,5");
    EXPECT_EQ(FormatReal(3.0), "3");
    EXPECT_EQ(FormatReal(-0.125), "-0,125");
    EXPECT_EQ(GetReal(Word("2,5").get(), false), 2.5);
    ExpectWrongInput([] { GetReal(Word("2.5").get(), false); }, "2.5");
    EXPECT_EQ(GetString(Real(0.75).get(), false), "0,75");
}

}  // namespace
