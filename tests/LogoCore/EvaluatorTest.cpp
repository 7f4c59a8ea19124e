// Running compiled Logo: procedures, scopes, inputs, output and stop,
// parenthesised calls, infix nodes and the errors they raise.
#include <gtest/gtest.h>

#include "LogoCore/Evaluator.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoProcedure.h"
#include "LogoCore/NameTable.h"
#include "LogoTestPrimitives.h"

namespace {

#define DEFINE(text) ASSERT_EQ(Define(text), "")

class EvaluatorTest : public ::testing::Test {
  protected:
    void SetUp() override { RegisterTestPrimitives(); }

    // Runs text and gives what it printed.
    std::string Printed(const std::string& text) {
        host_.Clear();
        Release(RunHere(text));
        return host_.Text();
    }
    std::string ValueOf(const std::string& text) {
        CHandleData* value = RunHere(text);
        std::string result = value ? GetString(value, false) : "<nothing>";
        Release(value);
        return result;
    }

    CaptureHost host_;
};

}  // namespace

TEST_F(EvaluatorTest, ASingleExpressionIsTheBodysValueAndAnUnusedValueIsAnError) {
    EXPECT_EQ(ValueOf("3 + 4"), "7");
    EXPECT_EQ(ValueOf("(3 + 4) * 2"), "14");
    EXPECT_EQ(ValueOf("(sum 1 2 3 4 5 6 7 8 9 10)"), "55") << "more inputs than are kept in place";
    EXPECT_EQ(ValueOf("3 + 4 * 2"), "11");
    EXPECT_EQ(ErrorOf("sum 3 4"), Message(-1, {"7"}));
    EXPECT_EQ(ErrorOf("undefinedprocedure 5"), Message(-1, {"undefinedprocedure"}));
}

TEST_F(EvaluatorTest, InputsBindDynamicallyAndSettingFindsTheNearestScope) {
    DEFINE(
        "to outer :a :b\ninner\nprint :a\nend\n"
        "to inner\nprint :a + :b\nmake \"a 10\nend\n"
        "to setsglobal\nmake \"fresh 42\nend\n");
    EXPECT_EQ(Printed("outer 1 2"), "3\r\n10\r\n");
    // inner's make changed outer's :a, not a global one.
    EXPECT_EQ(ErrorOf("print :a"), Message(-17, {":a"}));
    EXPECT_EQ(Printed("setsglobal print :fresh"), "42\r\n");
}

TEST_F(EvaluatorTest, SettingAVariableLeavesOtherHoldersOfItsValueAlone) {
    EXPECT_EQ(Printed("make \"l [1 2] make \"m :l make \"l 5 print :m print :l"), "[1 2]\r\n5\r\n");
}

TEST_F(EvaluatorTest, OutputAndStopLeaveTheEnclosingProcedure) {
    DEFINE(
        "to pick :x\nif :x < 5 [output \"small]\noutput \"big\nend\n"
        "to early\nprint 1\nstop\nprint 2\nend\n"
        "to silent\nend\n");
    EXPECT_EQ(Printed("print pick 3 print pick 7"), "small\r\nbig\r\n");
    EXPECT_EQ(ErrorOf("pick 3"), Message(-1, {"small"})) << "an output nobody uses";
    EXPECT_EQ(Printed("early"), "1\r\n");
    EXPECT_EQ(ErrorOf("output 5"), "") << "at top level the signal ends the run silently";
    // An input that outputs nothing is named, whoever wants it.
    DEFINE("to takes :x\nend\nto silent\nend\n");
    EXPECT_EQ(ErrorOf("print silent"), Message(-18, {"silent", "print"}));
    EXPECT_EQ(ErrorOf("(sum 1 silent)"), Message(-18, {"silent", "sum"}));
    EXPECT_EQ(ErrorOf("takes silent"), Message(-18, {"silent", "takes"}));
    // A list run as an input that stops instead of outputting.
    EXPECT_EQ(ErrorOf("print run [stop]"), Message(-18, {"run", "print"}));
}

TEST_F(EvaluatorTest, ParenthesisedCallsCheckTheirInputCounts) {
    EXPECT_EQ(ErrorOf("(sum)"), Message(-3, {"sum"}));
    EXPECT_EQ(ErrorOf("(difference 1 2 3)"), Message(-74));
    EXPECT_EQ(ErrorOf("(difference 1)"), Message(-3, {"difference"}));
    DEFINE("to two :a :b\noutput :a * :b\nend\n");
    EXPECT_EQ(ValueOf("(two 3 4)"), "12");
    EXPECT_EQ(ErrorOf("(two 3 4 5)"), Message(-74));
}

TEST_F(EvaluatorTest, AnErrorLeavingAProcedureNamesTheInnermostOnce) {
    DEFINE("to inner\nprint sum \"x 1\nend\nto outer\ninner\nend\n");
    const std::string wrong = Message(-4, {"sum", "x"});
    const std::string expected =
        Message(-23, {wrong.substr(0, wrong.size() - 3), "inner"});  // less ".\r\n"
    EXPECT_EQ(ErrorOf("outer"), expected);
}

// As the input of output too; the last call of such a chain must output.
TEST_F(EvaluatorTest, ASelfCallInLastPositionRunsInConstantStack) {
    DEFINE(
        "to countdown :n\nif :n = 0 [stop]\ncountdown :n - 1\nend\n"
        "to down :n\nif :n = 0 [output \"done]\noutput down :n - 1\nend\n"
        "to silent :n\nif :n = 0 [stop]\nop silent :n - 1\nend\n"
        "to early :n\nif :n = 0 [stop]\noutput early :n - 1 print 1\nend\n");
    EXPECT_EQ(ErrorOf("countdown 1000000"), "");
    EXPECT_EQ(ErrorOf("print down 3"), "");
    EXPECT_EQ(ErrorOf("print down 1000000"), "");
    const std::string none = Message(-18, {"silent", "op"});
    EXPECT_EQ(ErrorOf("print silent 1000"),
              Message(-23, {none.substr(0, none.size() - 3), "silent"}));  // less ".\r\n"
    const std::string early = Message(-18, {"early", "output"});
    EXPECT_EQ(ErrorOf("print early 2"), Message(-23, {early.substr(0, early.size() - 3), "early"}));
}

TEST_F(EvaluatorTest, RunawayRecursionIsAnErrorNotACrash) {
    DEFINE("to deep :n\ndeep :n + 1\nprint :n\nend\n");
    const std::string error = ErrorOf("deep 1");
    EXPECT_NE(error.find(Message(-67).substr(0, 20)), std::string::npos) << error;
}

// An infix chain or an argument list nests as deep as its line is long:
// a line of any length runs and is freed, a procedure made of one is let
// go of when the page is read again, and later lines run.
TEST_F(EvaluatorTest, ALineOfAnyLengthEndsInAValue) {
    constexpr int kTerms = 200000;
    std::string sum = "1", ones = "1";
    for (int i = 1; i < kTerms; ++i) {
        sum += " + 1";
        ones += " 1";
    }
    const std::string total = std::to_string(kTerms) + "\r\n";
    EXPECT_EQ(Printed("print " + sum + " print 2 * 3 - 1"), total + "5\r\n");
    EXPECT_EQ(Printed("print (sum " + ones + ")"), total);
    DEFINE("to long\noutput " + sum + "\nend\n");
    DEFINE("to short\nend\n");
    EXPECT_EQ(Printed("print 2 * 3 - 1"), "5\r\n");
}

TEST_F(EvaluatorTest, ARedefinedProcedureKeepsCallersCompiledBeforeAndGoesWithThem) {
    // The old greet calls itself, so its body holds its own entry: once the
    // code that still calls it is gone, nothing but that cycle holds it.
    DEFINE("to greet\noutput 1\ngreet\nend\n");
    CHandleData* entry = FindName("greet");
    ASSERT_TRUE(IsCell(entry));
    CHandleData* one = entry->Procedure()->Body()[1];
    Reference(one);
    Release(entry);
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
    CHandleData* code = task->CompileText("print greet", kStateUser);
    DEFINE("to greet\noutput 2\nend\n");
    host_.Clear();
    Release(task->RunCompiled(code));
    EXPECT_EQ(host_.Text(), "1\r\n");
    Release(code);
    CLogoTask::Destroy(task);
    EXPECT_EQ(one->Count(), 1) << "the old body was freed with its last caller";
    Release(one);
}
