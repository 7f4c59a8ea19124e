// Tasks: launching, the hundred-task limit, stopping, end-of-task reports
// and the selection tasks pass on.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoProcedure.h"
#include "LogoCore/NameTable.h"
#include "LogoTestPrimitives.h"
#include "platform/TextCatalog.h"

namespace {

#define DEFINE(text) ASSERT_EQ(Define(text), "")

class TaskTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterTestPrimitives();
        ASSERT_TRUE(WaitForAllTasks(5000)) << "a task of an earlier test is still running";
    }
    void TearDown() override {
        StopAll();
        EXPECT_TRUE(WaitForAllTasks(5000));
    }

    // Runs a command as the command centre does and waits for its end.
    std::string Command(const std::string& text) {
        host_.Clear();
        const std::string error = RunForCommandCentre(text);
        if (!error.empty()) return "returned: " + error;
        EXPECT_TRUE(host_.WaitForEnded(1));
        EXPECT_TRUE(WaitForAllTasks(5000));
        return host_.Text();
    }

    CaptureHost host_;
};

}  // namespace

TEST_F(TaskTest, TheEndOfACommandReportsAnUnusedValueOrAnErrorAndNothingElse) {
    EXPECT_EQ(Command("print 5"), "5\r\n");
    EXPECT_EQ(Command("2 + 3"), platform::FormatResource(20047, {"5"}) + "\r\n");
    EXPECT_EQ(Command("print sum \"a 1"), Message(-4, {"sum", "a"}));
    EXPECT_EQ(Command("print 1 stop print 2"), "1\r\n");
    EXPECT_EQ(Command(""), "") << "an empty command only ends";
    EXPECT_EQ(Command(" \t; a note"), "") << "and so do blanks and comments";
}

// The page defined again while stopped tasks still unwind from a procedure
// that calls itself: its entry, held by its own body, goes once they end.
TEST_F(TaskTest, ConcurrencyOfRedefiningWhileTasksUnwindFreesTheOldProcedure) {
    for (int round = 0; round < 20; ++round) {
        DEFINE("to spin\nif 1 = 2 [print 0]\nspin\nend\n");
        CHandleData* entry = FindName("spin");
        ASSERT_TRUE(IsCell(entry));
        CHandleData* literal = entry->Procedure()->Body()[2];  // [print 0]
        Reference(literal);
        Release(entry);
        // Started from here: a task started by a task may be listed only
        // after the stop has gone out.
        for (int i = 0; i < 3; ++i) ASSERT_EQ(RunForCommandCentre("spin"), "");
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 4));
        DefineProcedures("", true);  // stops every task and removes spin at once
        EXPECT_TRUE(WaitForAllTasks(5000));
        EXPECT_EQ(literal->Count(), 1) << "round " << round << ": the old body is still held";
        Release(literal);
    }
}

// Shown by the reader before anything runs, and not raised again.
TEST_F(TaskTest, ASyntaxErrorIsShownOnceWhenItIsRead) {
    const std::string shown = Command("print (");
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(shown.find("returned"), std::string::npos) << shown;

    host_.Clear();
    EXPECT_NO_THROW(RunForObject("print )", 0));  // a page object's
    const std::string object = host_.Text();
    EXPECT_TRUE(EndsWithLineEnd(object)) << object;
    EXPECT_TRUE(WaitForAllTasks(5000));
    EXPECT_EQ(host_.Text(), object);
}

TEST_F(TaskTest, AStoppedTaskEndsSoonAndSilently) {
    host_.Clear();
    ASSERT_EQ(RunForCommandCentre("wait 600 print \"late"), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(ListedTaskCount(), 1);
    const auto asked = std::chrono::steady_clock::now();
    StopAll();
    ASSERT_TRUE(WaitForAllTasks(5000));
    const auto took = std::chrono::steady_clock::now() - asked;
    EXPECT_LT(took, std::chrono::milliseconds(500)) << "a waiting task checks every 100 ms";
    EXPECT_EQ(host_.Text(), "");
}

TEST_F(TaskTest, TheHundredAndFirstTaskIsRefused) {
    // The command's own task counts: its hundredth launch is one too many.
    std::string launches;
    for (int i = 0; i < kMaxTasks; ++i) launches += "launch [wait 600] ";
    host_.Clear();
    ASSERT_EQ(RunForCommandCentre(launches), "");
    ASSERT_TRUE(host_.WaitForEnded(1));
    // The command's task tells of its end just before it leaves the list.
    for (int i = 0; i < 200 && ListedTaskCount() != kMaxTasks - 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ListedTaskCount(), kMaxTasks - 1);
    EXPECT_EQ(host_.Text(), Message(kErrorTooManyTasks));
}

TEST_F(TaskTest, CommandsPassTheirSelectionOnAndForgottenObjectsLeaveIt) {
    TalkToContext selection;
    selection.button = 7;
    selection.currentObject = 7;
    selection.monitor = 9;
    SetDefaultSelection(selection);
    Command("print 1");
    EXPECT_EQ(DefaultSelection(), selection) << "a command copies its selection back";
    ForgetObject(7);
    EXPECT_EQ(DefaultSelection().button, 0);
    EXPECT_EQ(DefaultSelection().currentObject, 0);
    EXPECT_EQ(DefaultSelection().monitor, 9);
    SetDefaultSelection({});
}

TEST_F(TaskTest, ConcurrencyOfTasksSharingGlobalsLosesNoUpdateToTheirOwn) {
    DEFINE(
        "to bump :name :n\nif :n = 0 [stop]\nmake :name (thing :name) + 1\nbump :name :n - "
        "1\nend\n");
    std::string command;
    for (int i = 0; i < 4; ++i)
        command +=
            "make \"c" + std::to_string(i) + " 0 launch [bump \"c" + std::to_string(i) + " 300] ";
    EXPECT_EQ(Command(command), "");
    ASSERT_TRUE(WaitForAllTasks(10000));
    for (int i = 0; i < 4; ++i) {
        CHandleData* value = RunHere(":c" + std::to_string(i));
        EXPECT_EQ(GetString(value, true), "300");
    }
}
