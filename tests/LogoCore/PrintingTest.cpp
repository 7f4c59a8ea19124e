// Printing with the shipped vocabulary: the command centre gets the value's
// text, with a line end for print only.
#include <gtest/gtest.h>

#include "CoreVocabulary.h"

class PrintingTest : public ::testing::Test {
  protected:
    void SetUp() override { UseCoreVocabulary(); }
};

TEST_F(PrintingTest, PrintEndsTheLineAndTypeDoesNot) {
    EXPECT_EQ(RunLogo("type \"a print [b [c]] pr 2.5"), "a[b [c]]\r\n2.5\r\n");
}

TEST_F(PrintingTest, AnExpressionsValueComesBackAsItsText) {
    EXPECT_EQ(EvalLogo("[x y]"), "[x y]");
    EXPECT_EQ(EvalLogo("\"word"), "word");
}
