// The Logo primitives of the box, run as Logo over a fake link: the bytes
// each one sends for the task's selection, the readings they report, and
// the checks that come before anything is sent.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

#include "BoxTestSupport.h"
#include "CoreVocabulary.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoTestPrimitives.h"
#include "box/BoxPrimitives.h"
#include "box/InputStream.h"
#include "box/TimedOutputs.h"

namespace {

constexpr int kNoOutputError = -100;

class BoxPrimitivesTest : public BoxLinkTest {
  protected:
    void SetUp() override {
        BoxLinkTest::SetUp();
        UseVocabulary({CorePrimitiveFamily(), BoxPrimitiveFamily()});
    }

    // The bytes the line sent; it must end without an error.
    std::vector<uint8_t> SentBy(const std::string& line) {
        Port().ClearWritten();
        EXPECT_EQ(RunLogo(line), "") << line;
        return Sent();
    }

    // What the line printed or the error that ended it, and that it sent nothing.
    std::string RunSendingNothing(const std::string& line) {
        Port().ClearWritten();
        const std::string shown = RunLogo(line);
        EXPECT_EQ(Sent(), Bytes({})) << line;
        return shown;
    }

    // Runs the line on a task with this selection; the error's text or "".
    static std::string RunWithSelection(const TalkToContext& selection, const std::string& line) {
        CaptureHost host;
        CLogoTask* task = CLogoTask::Create(selection, true);
        std::string error;
        try {
            Release(task->RunText(line));
        } catch (const LogoError& e) {
            error = ErrorText(e.handle);
            Release(e.handle);
        }
        CLogoTask::Destroy(task);
        return error;
    }

    // Frames that turn the rotation sensor on the input by single steps.
    static void Turn(int input, int steps) {
        const InputWord step{.countUp = steps > 0, .stepCode = 1};
        for (int i = 0; i < std::abs(steps); ++i) Decode(input, step);
    }

    static void CloseLink() {
        Link().portOpen = false;
        Link().loggedOn = false;
    }
};

TEST_F(BoxPrimitivesTest, OutputCommandsSendOnceForOneOutputButEveryTimeForAMask) {
    EXPECT_EQ(SentBy("talkto \"c on on"), Bytes({0x2A}));
    EXPECT_EQ(SentBy("talkto \"c off off"), Bytes({0x3A}));
    EXPECT_EQ(SentBy("talkto [a c] on on"), Bytes({0x91, 0x05, 0x91, 0x05}));
    EXPECT_EQ(SentBy("talkto \"b cw ccw rd"), Bytes({0x41, 0x49, 0x21}));
    EXPECT_EQ(SentBy("talkto [b h] cw ccw rd"), Bytes({0x94, 0x82, 0x93, 0x82, 0x95, 0x82}));
    EXPECT_EQ(SentBy("alloff .allon"), Bytes({0x90, 0xFF, 0x91, 0xFF}));
}

TEST_F(BoxPrimitivesTest, ArgumentsAreCheckedInOrderBeforeAnythingIsSent) {
    EXPECT_EQ(RunSendingNothing("talkto \"a setpower 9"), Message(-14, {"9", "0", "8"}));
    EXPECT_EQ(SentBy("talkto \"b setpower 3"), Bytes({0xB2, 0x02}));
    // Several outputs report the power of the lowest numbered.
    EXPECT_EQ(RunLogo("talkto \"e setpower 6 talkto [e b] print power"), "3\r\n");
    // The first pulse parameter is checked first.
    EXPECT_EQ(RunSendingNothing("talkto \"b setpulse 300 -5"), Message(-14, {"300", "0", "255"}));
    EXPECT_EQ(SentBy("talkto \"b setpulse 10 20"), Bytes({0xE1, 20, 0xE9, 10, 0x81, 0x02, 0x29}));
    // The input number before the mode.
    EXPECT_EQ(RunSendingNothing("setsensormode 9 99"), Message(-13, {"9"}));
    EXPECT_EQ(RunSendingNothing("setsensormode 2 16"), Message(-14, {"16", "0", "15"}));
    EXPECT_EQ(SentBy("setsensormode 3 5"), Bytes({0xD5, 0x04}));
}

TEST_F(BoxPrimitivesTest, WithoutAnOutputSelectedNothingReachesTheDriver) {
    for (const char* name :
         {"on", "off", "cw", "ccw", "rd", "power", "setpower 3", "setpulse 1 1", "onfor 5"}) {
        const std::string line = name;
        const std::string called = line.substr(0, line.find(' '));
        EXPECT_EQ(RunSendingNothing(line), Message(kNoOutputError, {called})) << line;
    }
    // A stale id or an empty mask would end the program if it reached the driver.
    TalkToContext stale;
    stale.outputs = 9;
    EXPECT_EQ(RunWithSelection(stale, "rd"), Message(kNoOutputError, {"rd"}));
    TalkToContext emptyMask;
    emptyMask.mode = 1;
    emptyMask.outputs = 0x100;  // no bit of an output
    EXPECT_EQ(RunWithSelection(emptyMask, "off"), Message(kNoOutputError, {"off"}));
    EXPECT_EQ(Sent(), Bytes({}));
}

TEST_F(BoxPrimitivesTest, OnForBelowOneIsAWrongInputAndWithoutABoxItOnlyWaits) {
    EXPECT_EQ(RunSendingNothing("talkto \"a onfor 0"), Message(-4, {"onfor", "0"}));
    CloseLink();
    ControlBox_SetOutputState(1, false);
    EXPECT_EQ(RunSendingNothing("talkto \"a onfor 1 print \"waited"), "waited\r\n");
    EXPECT_EQ(RunSendingNothing("talkto [a b] onfor 1 print \"waited"), "waited\r\n");
    // Not even the driver's memory of the outputs was touched.
    EXPECT_EQ(ControlBox_OutputState(1), kOutputOff);
    EXPECT_FALSE(ControlBox_TimedOutputActive(0));
}

// One output's onfor by rotation is checked end to end with the program,
// and its bytes with the timed outputs.
TEST_F(BoxPrimitivesTest, OnForRunsTheOutputsUntilTheRotationSensorHasTurned) {
    ControlBox_SetWaitSource(0, 4);  // outputs A and B end by input 5
    ControlBox_SetWaitSource(1, 4);
    Port().ClearWritten();
    auto run = std::async(std::launch::async, [] { return RunLogo("talkto [a b] onfor 2"); });
    ASSERT_TRUE(Eventually([&] { return Sent() == Bytes({0x91, 0x03}); }));
    Turn(4, -1);
    EXPECT_EQ(Sent(), Bytes({0x91, 0x03}));  // not yet
    Turn(4, -1);
    EXPECT_EQ(run.get(), "");
    EXPECT_EQ(Sent(), Bytes({0x91, 0x03, 0x90, 0x03}));
}

TEST_F(BoxPrimitivesTest, AStoppedTaskLeavesOnForAndEnds) {
    ControlBox_SetWaitSource(0, 4);
    Port().ClearWritten();
    // The host outlives the task and StopAll, which calls it after the
    // task may already have ended.
    CaptureHost host;
    auto run =
        std::async(std::launch::async, [] { return ErrorOf("talkto \"a onfor 5 print \"after"); });
    ASSERT_TRUE(Eventually([&] { return Sent() == Bytes({0x28}); }));
    StopAll();
    if (run.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        Turn(4, 5);  // let it go before failing
        FAIL() << "onfor did not see the stop request";
    }
    EXPECT_EQ(run.get(), "");  // stopped silently, before the print
    EXPECT_EQ(host.Text(), "");
    // The output itself still ends by the stream.
    EXPECT_TRUE(ControlBox_TimedOutputActive(0));
}

TEST_F(BoxPrimitivesTest, ReadingsConvertTheInputsWords) {
    Decode(0, {.edges = 3});
    EXPECT_EQ(EvalLogo("presses 1"), "2");  // a held press rounds up
    Turn(4, -37);
    EXPECT_EQ(EvalLogo("rotation 5"), "-37");
    EXPECT_EQ(EvalLogo("angle 5"), "112.5");  // the unsigned remainder of the turn
    Decode(1, {.raw = 600});
    EXPECT_EQ(EvalLogo("temperature 2"), "21");
    EXPECT_EQ(EvalLogo("fahrenheit 2"), "69.8");
    Decode(2, {.raw = 700, .digital = false});
    EXPECT_EQ(EvalLogo("light 3"), "50.78");
    EXPECT_EQ(EvalLogo("sensor \"3"), "700");
    EXPECT_EQ(EvalLogo("switch 3"), "true");  // pressed: the digital bit is clear
    EXPECT_EQ(RunLogo("resetcount 1"), "");
    Decode(0, {.raw = 700, .edges = 1, .digital = true});
    EXPECT_EQ(EvalLogo("presses 1"), "1");
}

}  // namespace
