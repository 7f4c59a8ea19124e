// Arithmetic, comparison and random numbers with the shipped vocabulary.
#include <gtest/gtest.h>

#include <string>

#include "CoreVocabulary.h"
#include "LogoCore/Evaluator.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoTask.h"
#include "LogoTestPrimitives.h"

namespace {

struct Case {
    const char* logo;
    std::string shown;
};

void ExpectValues(std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(EvalLogo(c.logo), c.shown) << c.logo;
}

// Whole results must come back as integers, and some whole results as
// reals, which their texts hide.
int32_t TypeOf(const std::string& expression) {
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
    CHandleData* code = task->CompileText(expression, kStateUser);
    CHandleData* value = EvaluateExpression(code->Procedure(), task, expression);
    const int32_t type = value->Type();
    Release(value);
    Release(code);
    CLogoTask::Destroy(task);
    return type;
}

class ArithmeticTest : public ::testing::Test {
  protected:
    void SetUp() override { UseCoreVocabulary(); }
};
class ComparisonTest : public ArithmeticTest {};
class RandomTest : public ArithmeticTest {};

}  // namespace

TEST_F(ArithmeticTest, WholeResultsBelowTheLimitAreIntegersAndFractionsKeep8Decimals) {
    ExpectValues({{"7 / 2", "3.5"},
                  {"6 / 3", "2"},
                  {"1 / 3", "0.33333333"},
                  {"quotient -2 3", "-0.66666667"},
                  {"2147483646 + 1", "2147483647"}});
    EXPECT_EQ(TypeOf("6 / 3"), kTypeInteger);
    EXPECT_EQ(TypeOf("7 / 2"), kTypeReal);
    EXPECT_EQ(TypeOf("2147483645 + 1"), kTypeInteger);
    EXPECT_EQ(TypeOf("2147483646 + 1"), kTypeReal);
    EXPECT_EQ(TypeOf("-2147483647 - 1"), kTypeReal);
    // Trigonometry outputs reals even when whole.
    EXPECT_EQ(TypeOf("sin 0"), kTypeReal);
}

TEST_F(ArithmeticTest, OutOfRangeResultsAndDivisionByZeroRaise) {
    ExpectValues({{"2147483647 + 1", Message(-64, {"2.1474836e+09"})},
                  {"product 65536 65536", Message(-64, {"4.2949673e+09"})},
                  {"1 / 0", Message(-5)},
                  {"remainder 5 0", Message(-5)}});
}

TEST_F(ArithmeticTest, PrefixAndInfixFormsComputeTheSame) {
    ExpectValues({{"(sum 1 2 3 4)", "10"},
                  {"(sum 5)", "5"},
                  {"(product 2 3 -4.5)", "-27"},
                  {"(sum 2147483647 1 -2)", "2147483646"},  // only the total is range-checked
                  {"sum 3 4.5", "7.5"},
                  {"3 + 4.5", "7.5"},
                  {"difference 3 4.5", "-1.5"},
                  {"3 - 4.5", "-1.5"},
                  {"product 3 4.5", "13.5"},
                  {"3 * 4.5", "13.5"},
                  {"quotient 7 2", "3.5"},
                  {"remainder -7 2", "-1"},
                  {"remainder 7 -2", "1"}});
}

TEST_F(ArithmeticTest, ANonNumberInputNamesThePrimitiveAndTheInput) {
    ExpectValues({{"sum 1 \"abc", Message(-4, {"sum", "abc"})},
                  {"\"abc + 1", Message(-4, {"+", "abc"})},
                  {"sqrt -4", Message(-4, {"sqrt", "-4"})}});
}

TEST_F(ArithmeticTest, OneNumberPrimitives) {
    ExpectValues({{"abs -3.5", "3.5"},
                  {"int -2.7", "-2"},
                  {"round 2.5", "3"},
                  {"round -2.5", "-3"},
                  {"minus 4", "-4"},
                  {"sqrt 2", "1.41421356"}});
}

TEST_F(ArithmeticTest, TrigonometryInDegreesWithItsPoles) {
    ExpectValues({{"sin 30", "0.5"},
                  {"cos 420", "0.5"},
                  {"tan 45", "1"},
                  {"arctan -1", "-45"},
                  {"tan 90", Message(-4, {"tan", "90"})},
                  {"tan -270", Message(-4, {"tan", "-270"})},
                  {"tan 450", Message(-4, {"tan", "450"})}});
}

TEST_F(ArithmeticTest, AverageLargestAndSmallestOfAList) {
    ExpectValues({{"average [1 2 3 4]", "2.5"},
                  {"largest [3 -1 7.5]", "7.5"},
                  {"smallest [3 -1 7.5]", "-1"},
                  {"largest 5", "5"},
                  {"average []", Message(-4, {"average", "[]"})},
                  {"largest [1 a 3]", Message(-4, {"largest", "a"})}});
}

TEST_F(ComparisonTest, EqualityComparesTextsAndIdenticalCountsCase) {
    ExpectValues({{"equal? \"abc \"ABC", "true"},
                  {"\"abc = \"ABC", "true"},
                  {"identical? \"abc \"ABC", "false"},
                  {"\"abc <> \"ABC", "false"},
                  {"\"abc <> \"abd", "true"},
                  {"2 = 2.0", "true"},
                  {"7 = 7", "true"},
                  {"7 <> 7", "false"},
                  {"identical? 7 8", "false"},
                  {"equal? [a [b]] [A [B]]", "true"},
                  {"equal? 2 \"02", "false"}});
}

TEST_F(ComparisonTest, OrderingComparesNumbers) {
    ExpectValues({{"10 > 9", "true"},
                  {"greater? 10 9", "true"},
                  {"\"10 < \"9", "false"},
                  {"less? 9 10", "true"},
                  {"2 < 2", "false"},
                  {"2 <= 2", "true"},
                  {"3 >= 3", "true"},
                  {"2 >= 3", "false"},
                  {"\"a < 1", Message(-4, {"<", "a"})},
                  {"greater? 1 [2]", Message(-4, {"greater?", "[2]"})}});
}

// seed = ((seed * 131073 + 41) AND 0x7FFFFFFF) >> 2, output seed mod n; from seed 1:
//   1 * 131073 + 41 = 131114; >> 2 = 32778; mod 100 = 78 (mod 9999 = 2781)
//   32778 * 131073 + 41 = 4296310835; AND 0x7FFFFFFF = 1343539; >> 2 = 335884; mod 100 = 84
//   335884 * 131073 + 41 = 44025323573; AND 0x7FFFFFFF = 1075650613; >> 2 = 268912653 -> 53
TEST_F(RandomTest, RerandomRestartsTheSequenceAnd0And1LeaveItAlone) {
    EXPECT_EQ(RunLogo("rerandom print random 100 print random 100 print random 100"),
              "78\r\n84\r\n53\r\n");
    EXPECT_EQ(RunLogo("rerandom print random 1 print random 0 print random 9999"),
              "0\r\n0\r\n2781\r\n");
    ExpectValues({{"random 10000", Message(-4, {"random", "10000"})},
                  {"random -1", Message(-4, {"random", "-1"})}});
}
