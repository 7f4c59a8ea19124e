// Control primitives with the shipped names: conditionals, running lists,
// output, waiting, loops, the error trap, logic, launching and stopping.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "CoreVocabulary.h"
#include "LogoCore/BoxSeam.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/ProjectAccess.h"
#include "LogoTestPrimitives.h"
#include "platform/Threads.h"

namespace {

#define DEFINE(text) ASSERT_EQ(Define(text), "")

// The message as errormessage gives it: without its line end.
std::string Trapped(int n, const std::vector<std::string>& args) {
    return WithoutLineEnd(Message(n, args));
}

// Runs text on a task that is not among the hundred, as the launchers of
// the command centre and of page objects are; the error's text or "".
// pageObject is the task's page object before the run and after it.
std::string RunUnlisted(const std::string& text, int32_t* pageObject = nullptr) {
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), false);
    task->SetPageObject(pageObject ? *pageObject : 0);
    std::string error;
    try {
        Release(task->RunText(text));
    } catch (const LogoError& e) {
        error = ErrorText(e.handle);
        if (!error.empty()) error = WithLineEnd(error);
        Release(e.handle);
    }
    if (pageObject) *pageObject = task->PageObject();
    task->SetPageObject(0);
    CLogoTask::Destroy(task);
    return error;
}

class ControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseCoreVocabulary();
        ASSERT_TRUE(WaitForAllTasks(10000)) << "a task of an earlier test is still running";
    }
    void TearDown() override {
        StopAll();
        EXPECT_TRUE(WaitForAllTasks(10000));
    }
};
using LoopsTest = ControlTest;
using ErrorTrapTest = ControlTest;
using LogicTest = ControlTest;
using LaunchTest = ControlTest;
using ConcurrencyControlTest = ControlTest;

// Counts what tasks and stopping ask of the application and the project.
class CountingHost : public CaptureHost, public ProjectAccess {
  public:
    void AllOutputsOff() override { ++outputsOff; }
    void PageObjectTaskFinished(int32_t) override { ++objectReports; }
    std::optional<ProjectName> LookupName(std::string_view) override { return std::nullopt; }
    std::vector<std::string> PageObjectNames() override { return {}; }
    void RefreshMonitors() override { ++monitorRefreshes; }
    std::atomic<int> outputsOff{0}, objectReports{0}, monitorRefreshes{0};
};

}  // namespace

TEST_F(ControlTest, ConditionalsRunOnlyTheChosenList) {
    EXPECT_EQ(RunLogo("if \"true [type 1] if \"false [type 2] if 1 = 1 [type 3]"), "13");
    EXPECT_EQ(RunLogo("ifelse 1 < 2 [type \"a] [type \"b] ifelse \"FALSE [type \"c] [type \"d]"),
              "ad");
    EXPECT_EQ(RunLogo("if 3 [print 1]"), Message(-4, {"if", "3"}));
    EXPECT_EQ(RunLogo("ifelse \"true 5 [print 1]"), Message(-4, {"ifelse", "5"}));
    EXPECT_EQ(RunLogo("if \"true [3]"), Message(-47, {"3"}));
    EXPECT_EQ(RunLogo("ifelse \"false [1] [2]"), Message(-47, {"2"}));
}

TEST_F(ControlTest, OutputInsideAListLeavesTheEnclosingProcedure) {
    DEFINE(
        "to loops\ndotimes [i 5] [repeat 2 [if :i = 3 [output :i]]]\noutput 0\nend\n"
        "to forever.out\nloop [output 8]\nend");
    EXPECT_EQ(EvalLogo("loops"), "3");
    EXPECT_EQ(EvalLogo("forever.out"), "8");
    EXPECT_EQ(RunLogo("type 1 output 3 type 4"), "1");  // at top level: the run ends
}

TEST_F(ControlTest, RunOutputsWhatItsListOrWordOutputs) {
    DEFINE("to greet\ntype \"hello\nend");
    EXPECT_EQ(EvalLogo("run [1 + 2]"), "3");
    EXPECT_EQ(EvalLogo("run 7"), "7");
    EXPECT_EQ(RunLogo("run [type 5] run \"greet"), "5hello");
    EXPECT_EQ(RunLogo("print run []"), Message(-18, {"run", "print"}));
    // A list read once is not read again; each round's new list is, even
    // where it takes the place of the last one freed.
    EXPECT_EQ(RunLogo("dotimes [i 3] [run list \"type :i]"), "123");
}

TEST_F(ControlTest, WaitUntilTestsAfterEachBoxFrameAndSeesTheStopRequest) {
    EXPECT_EQ(RunLogo("waituntil [1 = 1] type \"done"), "done");
    EXPECT_EQ(RunLogo("waituntil []"), Message(-17, {"waituntil", "[]"}));
    EXPECT_EQ(RunLogo("waituntil [3]"), Message(-4, {"waituntil", "3"}));
    std::atomic<int> frames{0}, longest{0};
    SetFrameWaiter([&](int milliseconds) {
        longest = std::max(longest.load(), milliseconds);
        if (++frames == 3) StopAll();
    });
    const std::string shown = RunLogo("waituntil [\"false] print \"never");
    SetFrameWaiter(nullptr);
    EXPECT_EQ(shown, "");
    EXPECT_EQ(frames, 3);
    EXPECT_EQ(longest, 19);
}

TEST_F(LoopsTest, RepeatAndLoopRunTheirListUntilDoneOrStopped) {
    EXPECT_EQ(RunLogo("repeat 3 [type \"a] repeat 0 [type \"b] loop [type \"x stopme] type 1"),
              "aaax");
    EXPECT_EQ(RunLogo(".loop [type \"y stopme]"), "y");
    EXPECT_EQ(RunLogo("repeat -1 [print 1]"), Message(-4, {"repeat", "-1"}));
    EXPECT_EQ(RunLogo("repeat -1.5 [print 1]"), Message(-4, {"repeat", "-1.5"}));
    EXPECT_EQ(RunLogo("repeat 0 []"), Message(-4, {"repeat", "[]"}));
    EXPECT_EQ(RunLogo("repeat 2 \"abc"), Message(-4, {"repeat", "abc"}));
    EXPECT_EQ(RunLogo("repeat 2 [5]"), Message(-47, {"5"}));
}

TEST_F(LoopsTest, DotimesAndDolistGiveTheirVariableEachValueAndThenDropIt) {
    EXPECT_EQ(RunLogo("dotimes [i 1 + 2] [type :i] dotimes [i 0] [type \"z] print :i"),
              "123" + Message(-17, {":i"}));
    EXPECT_EQ(RunLogo("dotimes [Count 2] [type :count]"), "12");
    EXPECT_EQ(RunLogo("dolist [w [a [b c] 4]] [type :w] dolist [w []] [type \"z]"), "a[b c]4");
    // Were the loop's scope left behind when the body raises, :i would be 2.
    DEFINE("to f :i\ncarefully [dotimes [i 3] [if :i = 2 [repeat -1 []]]] []\ntype :i\nend");
    EXPECT_EQ(RunLogo("f 9"), "9");
}

TEST_F(LoopsTest, ALoopsFirstInputAndBodyAreChecked) {
    EXPECT_EQ(RunLogo("dotimes [i] [print 1]"), Message(-4, {"dotimes", "[i]"}));
    EXPECT_EQ(RunLogo("dotimes \"i [print 1]"), Message(-4, {"dotimes", "i"}));
    EXPECT_EQ(RunLogo("dotimes [3d 2] [print 1]"), Message(-4, {"dotimes", "3d"}));
    EXPECT_EQ(RunLogo("dotimes [i -2] [print 1]"), Message(-4, {"dotimes", "-2"}));
    EXPECT_EQ(RunLogo("dotimes [i 0 - 1.5] [print 1]"), Message(-4, {"dotimes", "-1.5"}));
    EXPECT_EQ(RunLogo("dolist [w 5] [print 1]"), Message(-4, {"dolist", "5"}));
    EXPECT_EQ(RunLogo("dotimes [i 2] [:i]"), Message(-1, {"1"}));
}

TEST_F(ErrorTrapTest, CarefullyKeepsTheLastErrorsTextForErrormessage) {
    EXPECT_EQ(EvalLogo("errormessage"), "");
    EXPECT_EQ(RunLogo("carefully [repeat -1 []] [type errormessage]"),
              Trapped(-4, {"repeat", "-1"}));
    EXPECT_EQ(EvalLogo("carefully [repeat -1 []] [42]"), "42");
    EXPECT_EQ(EvalLogo("carefully [3] [4]"), "3");
    EXPECT_EQ(RunLogo("carefully [repeat -1 []] [] carefully [type 1] [] type errormessage"), "1");
    EXPECT_EQ(RunLogo("carefully [print 1] 5"), Message(-4, {"carefully", "5"}));
    EXPECT_EQ(RunLogo("carefully [] [type 1] type 2"), "2");
}

TEST_F(ErrorTrapTest, OutputStopAndTheStopRequestPassThroughCarefully) {
    DEFINE(
        "to f\ncarefully [output 3] [type errormessage type \"caught]\noutput 4\nend\n"
        "to g\ncarefully [if \"true [output 5]] [type \"caught]\noutput 6\nend\n"
        "to h\ncarefully [stop] [type \"caught]\ntype \"after\nend");
    EXPECT_EQ(EvalLogo("f"), "3");
    EXPECT_EQ(EvalLogo("g"), "5");
    EXPECT_EQ(RunLogo("h type \"next"), "next");
    EXPECT_EQ(RunLogo("carefully [stopme type 1] [type 2] type 3"), "");
}

TEST_F(LogicTest, AndOrNotConvertEveryInput) {
    DEFINE("to t\ntype \"t\noutput \"true\nend");
    EXPECT_EQ(EvalLogo("and \"true \"false"), "false");
    EXPECT_EQ(EvalLogo("or \"false \"TRUE"), "true");
    EXPECT_EQ(EvalLogo("(and \"true \"true \"true \"false)"), "false");
    EXPECT_EQ(EvalLogo("(or \"false \"false \"true)"), "true");
    EXPECT_EQ(EvalLogo("(and \"true)"), "true");
    EXPECT_EQ(EvalLogo("not (1 = 1)"), "false");
    EXPECT_EQ(EvalLogo("and \"false t"), "tfalse");  // no short cut
    EXPECT_EQ(EvalLogo("or \"true [x]"), Message(-4, {"or", "[x]"}));
    EXPECT_EQ(EvalLogo("not \"yes"), Message(-4, {"not", "yes"}));
}

TEST_F(LaunchTest, LaunchAndForeverStartTasksOfTheirOwn) {
    DEFINE("to hello\ntype \"hello\nend");
    CountingHost host;
    int32_t pageObject = 7;
    EXPECT_EQ(RunUnlisted("launch [type \"hi]", &pageObject), "");
    ASSERT_TRUE(WaitForAllTasks(10000));
    EXPECT_EQ(ErrorOf("launch \"hello"), "");
    ASSERT_TRUE(WaitForAllTasks(10000));
    EXPECT_EQ(ErrorOf("forever [type \"x stopme]"), "");
    ASSERT_TRUE(WaitForAllTasks(10000));
    EXPECT_EQ(host.Text(), "hihellox");
    // The launched task was not the page object's, and the launcher's is back.
    EXPECT_EQ(host.objectReports, 0);
    EXPECT_EQ(pageObject, 7);
    EXPECT_EQ(RunLogo("launch []"), Message(-4, {"launch", "[]"}));
    EXPECT_EQ(RunLogo("forever []"), Message(-4, {"forever", "[]"}));
}

// Except for the line typed in the command centre: whatever the count, the
// user can stop. Its own launches still count.
TEST_F(LaunchTest, TheHundredAndFirstTaskIsRefusedButNotTheUsersStop) {
    EXPECT_EQ(RunUnlisted("repeat 101 [launch [waituntil [\"false]]] print \"never"),
              Message(kErrorTooManyTasks));
    EXPECT_EQ(ListedTaskCount(), kMaxTasks);
    CaptureHost host;
    EXPECT_EQ(RunForCommandCentre("launch [type \"never]"), "");
    ASSERT_TRUE(host.WaitForEnded(1));
    EXPECT_EQ(host.Text(), Message(kErrorTooManyTasks));
    EXPECT_EQ(RunForCommandCentre("stopall"), "");
    EXPECT_TRUE(WaitForAllTasks(10000));
}

TEST_F(LaunchTest, StopmeEndsOnlyItsOwnTaskAndStopallEndsEvery) {
    CountingHost host;
    SetOpenProject(std::shared_ptr<ProjectAccess>(&host, [](ProjectAccess*) {}));
    EXPECT_EQ(ErrorOf("launch [waituntil [\"false]] type 1 stopme type 2"), "");
    EXPECT_EQ(ListedTaskCount(), 1);
    EXPECT_EQ(ErrorOf("launch [loop [if \"false [stopme]]] stopall type 3"), "");
    EXPECT_TRUE(WaitForAllTasks(10000));
    SetOpenProject(nullptr);
    EXPECT_EQ(host.Text(), "1");
    EXPECT_EQ(host.outputsOff, 1);
    EXPECT_EQ(host.monitorRefreshes, 1);
}

TEST_F(ConcurrencyControlTest, LoopingTasksStopWhileAnotherThreadStopsAllAgainAndAgain) {
    CaptureHost host;
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        for (; !done; platform::SleepMilliseconds(2)) StopAll();
    });
    for (int round = 0; round < 30; ++round, platform::SleepMilliseconds(3)) {
        try {
            RunForObject(
                "launch [loop [carefully [repeat -1 []] [type errormessage]]] "
                "launch [dotimes [i 50] [carefully [if :i = 10 [stopme]] [type \"s]]] "
                "forever [dolist [w [a b]] [carefully [type :w] []]]",
                0);
        } catch (const LogoError& e) {
            // Stopped before it started.
            EXPECT_EQ(e.handle, ErrorHandle(kErrorTooManyTasks));
            Release(e.handle);
        }
    }
    done = true;
    stopper.join();
    StopAll();
    EXPECT_TRUE(WaitForAllTasks(20000));
    // Nothing but the trapped texts, the loop items and the refusal of a
    // task stopped before it started was printed.
    std::string text = host.Text();
    for (const std::string& piece : {Message(kErrorTooManyTasks), Trapped(-4, {"repeat", "-1"}),
                                     std::string("a"), std::string("b"), std::string("s")})
        for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece))
            text.erase(at, piece.size());
    EXPECT_EQ(text, "");
}
