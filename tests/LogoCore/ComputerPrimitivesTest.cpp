// Timers, waiting, the number format and the reporters about the computer,
// with the shipped vocabulary. The requests to the main thread are tested
// with the application, which serves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "CoreVocabulary.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/NumberFormat.h"
#include "LogoTestPrimitives.h"
#include "platform/ConfigStore.h"
#include "platform/FontFamilies.h"
#include "platform/NumberText.h"
#include "platform/Threads.h"

namespace {

class ComputerTest : public ::testing::Test {
  protected:
    void SetUp() override { UseCoreVocabulary(); }
    void TearDown() override {
        StopAll();
        EXPECT_TRUE(WaitForAllTasks(5000));
        platform::SetDecimalSeparator('.');
    }
};
using TimersTest = ComputerTest;
using WaitTest = ComputerTest;

class PointerHost : public CaptureHost {
  public:
    ScreenPoint PointerPosition() override { return {12, -3}; }
};

}  // namespace

TEST_F(TimersTest, ATimerReadAfterAResetIsSmallAndGrowsAndTheOthersRunOn) {
    ASSERT_EQ(RunLogo("resett2 resett1"), "");
    const int first = std::stoi(EvalLogo("timer1"));
    EXPECT_LT(first, 50) << "tenths of a second since the reset";
    platform::SleepMilliseconds(300);
    ASSERT_EQ(RunLogo("resett2"), "");
    EXPECT_GE(std::stoi(EvalLogo("timer1")), first + 3);
    const int second = std::stoi(EvalLogo("timer2"));
    EXPECT_LT(second, std::stoi(EvalLogo("timer1")));
}

TEST_F(WaitTest, AWaitOfLessThanATenthIsAWrongInput) {
    EXPECT_EQ(RunLogo("wait 0"), Message(-4, {"wait", "0"}));
    EXPECT_EQ(RunLogo("wait 0.5"), Message(-4, {"wait", "0.5"}));
    EXPECT_EQ(RunLogo("wait 1 print \"done wait -5"), "done\r\n" + Message(-4, {"wait", "-5"}));
}

TEST_F(ComputerTest, DecimalCommaPrintsACommaAndIsStoredAndDecimalPointUndoesIt) {
    auto stored = [] {
        return platform::UserProfile().GetNumber(kNumberFormatSection, kNumberFormatName, -1);
    };
    // A line is read before it runs: its 2.5 is read with the point.
    EXPECT_EQ(RunLogo("decimalcomma print 2.5"), "2,5\r\n");
    EXPECT_EQ(stored(), kNumberFormatComma);
    EXPECT_EQ(StoredDecimalSeparator(), ',');
    EXPECT_EQ(RunLogo("decimalpoint print 2,5"), "2.5\r\n");
    EXPECT_EQ(stored(), kNumberFormatPoint);
    EXPECT_EQ(StoredDecimalSeparator(), '.');
}

TEST_F(ComputerTest, MousePositionIsThePointerOfTheFrontEnd) {
    EXPECT_EQ(EvalLogo("mousepos"), "[0 0]") << "a front end without a pointer";
    PointerHost host;
    EXPECT_EQ(GetString(RunHere("mousepos"), true), "[12 -3]");
}

TEST_F(ComputerTest, MemoryAndFontsAreListsAndIgnoreDoesNothing) {
    const std::string memory = EvalLogo("memory");
    EXPECT_EQ(memory.front(), '[') << memory;
    EXPECT_EQ(std::count(memory.begin(), memory.end(), ' '), 2) << memory;
    const std::string fonts = EvalLogo("fonts");
    EXPECT_EQ(fonts.front(), '[');
    for (const std::string& family : platform::FontFamilies()) {
        if (family.find(' ') != std::string::npos) {
            EXPECT_NE(fonts.find("|" + family + "|"), std::string::npos) << family;
        }
    }
    EXPECT_EQ(RunLogo("ignore"), "");
}
