// The program run with piped input: the input's characters are the keys a
// task waits for, the window commands run quietly, and the decimal
// separator chosen in Logo holds at the next start.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ProgramRun.h"

#include "platform/DataFiles.h"

namespace fs = std::filesystem;

namespace {

class ComputerEndToEnd : public ProgramTest {};

}  // namespace

TEST_F(ComputerEndToEnd, ReadcharTakesTheNextCharacterOfTheInputAndEndsWithIt) {
    const RunResult run = Kinetra("print readchar\nx\nprint \"next\n");
    EXPECT_EQ(run.out, "x\nnext\n") << "the x is a key, not a command";
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Kinetra("print readchar\n").status, 0) << "no key can come any more";
}

TEST_F(ComputerEndToEnd, TheWindowCommandsRunWithoutAWord) {
    EXPECT_EQ(Kinetra("print 1\ncc\nhidecc showcc hidetools showtools\nprint 2\n").out, "1\n2\n");
}

TEST_F(ComputerEndToEnd, TheChosenSeparatorHoldsAtTheNextStartWhateverTheLocale) {
    // Nothing chosen yet: the locale's comma. A line is read with the
    // separator of the moment, so 2,5 is one number here.
    EXPECT_EQ(Kinetra("print 2,5\n", "", "LC_ALL=da_DK.UTF-8").out, "2,5\n");
    EXPECT_EQ(Kinetra("decimalpoint\n", "", "LC_ALL=da_DK.UTF-8").out, "");
    EXPECT_EQ(Kinetra("print 2.5\n", "", "LC_ALL=da_DK.UTF-8").out, "2.5\n");
    EXPECT_EQ(Kinetra("decimalcomma\n").out, "");
    EXPECT_EQ(Kinetra("print 2,5\n").out, "2,5\n");
}
