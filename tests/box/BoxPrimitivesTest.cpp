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

    void TearDown() override {
        ControlBox_SetDelayMonitor(0);
        BoxLinkTest::TearDown();
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

    static void Decode(int input, InputWord word) {
        ASSERT_TRUE(ControlBox_DecodeFrame(FrameWith(input, word).data()));
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

    // Waits until the bytes were sent; false when they never came.
    bool WaitForSent(const std::vector<uint8_t>& bytes) {
        for (int i = 0; i < 100000; ++i) {
            if (Sent() == bytes) return true;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        return false;
    }
};

// ---- Outputs ----

TEST_F(BoxPrimitivesTest, OnTwiceSendsOnceForOneOutputButEveryTimeForSeveral) {
    EXPECT_EQ(SentBy("talkto \"c on on"), Bytes({0x2A}));
    EXPECT_EQ(SentBy("talkto \"c off off"), Bytes({0x3A}));
    EXPECT_EQ(SentBy("talkto [a c] on on"), Bytes({0x91, 0x05, 0x91, 0x05}));
    EXPECT_EQ(SentBy("talkto [a c] off"), Bytes({0x90, 0x05}));
}

TEST_F(BoxPrimitivesTest, DirectionsAndReverseGoToTheSelectedOutputs) {
    EXPECT_EQ(SentBy("talkto \"b cw ccw rd"), Bytes({0x41, 0x49, 0x21}));
    EXPECT_EQ(SentBy("talkto [b h] cw ccw rd"), Bytes({0x94, 0x82, 0x93, 0x82, 0x95, 0x82}));
}

TEST_F(BoxPrimitivesTest, AllOffAndAllOnNeedNoSelection) {
    EXPECT_EQ(SentBy("alloff"), Bytes({0x90, 0xFF}));
    EXPECT_EQ(SentBy(".allon"), Bytes({0x91, 0xFF}));
}

TEST_F(BoxPrimitivesTest, PowerLevelOutsideZeroToEightIsRefusedBeforeSending) {
    EXPECT_EQ(RunSendingNothing("talkto \"a setpower 9"), Message(-14, {"9", "0", "8"}));
    EXPECT_EQ(RunSendingNothing("talkto [a b] setpower -1"), Message(-14, {"-1", "0", "8"}));
    EXPECT_EQ(SentBy("talkto \"b setpower 3"), Bytes({0xB2, 0x02}));
    EXPECT_EQ(SentBy("talkto [b c] setpower 0"), Bytes({0x92, 0x06}));
}

TEST_F(BoxPrimitivesTest, PowerOfSeveralOutputsIsThatOfTheLowestNumbered) {
    EXPECT_EQ(RunLogo("talkto \"d print power"), "8\r\n");
    EXPECT_EQ(RunLogo("talkto \"c setpower 2 talkto \"e setpower 6 talkto [e c] print power"),
              "2\r\n");
}

TEST_F(BoxPrimitivesTest, PulseParametersAreCheckedAThenBBeforeSending) {
    EXPECT_EQ(RunSendingNothing("talkto \"b setpulse 300 -5"), Message(-14, {"300", "0", "255"}));
    EXPECT_EQ(RunSendingNothing("talkto \"b setpulse 10 256"), Message(-14, {"256", "0", "255"}));
    EXPECT_EQ(SentBy("talkto \"b setpulse 10 20"), Bytes({0xE1, 20, 0xE9, 10, 0x81, 0x02, 0x29}));
    EXPECT_EQ(SentBy("talkto [a b] setpulse 0 20"), Bytes({0x80, 0x01, 0x38, 0x80, 0x02, 0x39}));
}

TEST_F(BoxPrimitivesTest, NumberInputsMayBeRealsOrNumericWords) {
    EXPECT_EQ(SentBy("talkto \"a setpower \"4"), Bytes({0xB3, 0x01}));
    EXPECT_EQ(SentBy("talkto \"a setpower 2.5"), Bytes({0xB1, 0x01}));
    EXPECT_EQ(RunSendingNothing("talkto \"a setpower \"high"), Message(-4, {"setpower", "high"}));
}

TEST_F(BoxPrimitivesTest, WithoutAnOutputSelectedTheOutputCommandsRaiseAndSendNothing) {
    for (const char* name :
         {"on", "off", "cw", "ccw", "rd", "power", "setpower 3", "setpulse 1 1", "onfor 5"}) {
        const std::string line = name;
        const std::string called = line.substr(0, line.find(' '));
        EXPECT_EQ(RunSendingNothing(line), Message(kNoOutputError, {called})) << line;
    }
}

TEST_F(BoxPrimitivesTest, AStaleOrEmptySelectionIsNeverPassedToTheDriver) {
    // Each would end the program if its id reached the driver.
    TalkToContext stale;
    stale.outputs = 9;
    EXPECT_EQ(RunWithSelection(stale, "on"), Message(kNoOutputError, {"on"}));
    EXPECT_EQ(RunWithSelection(stale, "rd"), Message(kNoOutputError, {"rd"}));
    TalkToContext emptyMask;
    emptyMask.mode = 1;
    emptyMask.outputs = 0x100;  // no bit of an output
    EXPECT_EQ(RunWithSelection(emptyMask, "off"), Message(kNoOutputError, {"off"}));
    TalkToContext first;
    first.outputs = 1;
    EXPECT_EQ(RunWithSelection(first, "rd"), "");
    EXPECT_EQ(Sent(), Bytes({0x20}));
}

// ---- Timed switch-on ----

TEST_F(BoxPrimitivesTest, OnForBelowOneIsAWrongInput) {
    EXPECT_EQ(RunSendingNothing("talkto \"a onfor 0"), Message(-4, {"onfor", "0"}));
    EXPECT_EQ(RunSendingNothing("talkto \"a onfor 0.5"), Message(-4, {"onfor", "0.5"}));
}

TEST_F(BoxPrimitivesTest, OnForWithoutABoxWaitsInsteadOfSwitching) {
    CloseLink();
    ControlBox_SetOutputState(1, false);
    EXPECT_EQ(RunSendingNothing("talkto \"a onfor 1 print \"waited"), "waited\r\n");
    // Not even the driver's memory of the output was touched.
    EXPECT_EQ(ControlBox_OutputState(1), kOutputOff);
    EXPECT_EQ(RunSendingNothing("talkto [a b] onfor 1 print \"waited"), "waited\r\n");
    EXPECT_EQ(ControlBox_OutputState(1), kOutputOff);
    EXPECT_FALSE(ControlBox_TimedOutputActive(0));
}

TEST_F(BoxPrimitivesTest, OnForRunsTheOutputUntilTheRotationSensorHasTurned) {
    ControlBox_SetWaitSource(0, 4);  // output A ends by input 5
    ControlBox_SetWaitSource(1, 4);
    Port().ClearWritten();
    auto run = std::async(std::launch::async, [] { return RunLogo("talkto \"a onfor 3"); });
    ASSERT_TRUE(WaitForSent(Bytes({0x28})));
    Turn(4, 2);
    EXPECT_EQ(Sent(), Bytes({0x28}));  // not yet
    Turn(4, 1);
    EXPECT_EQ(run.get(), "");
    EXPECT_EQ(Sent(), Bytes({0x28, 0x90, 0x01}));

    Port().ClearWritten();
    run = std::async(std::launch::async, [] { return RunLogo("talkto [a b] onfor 2"); });
    ASSERT_TRUE(WaitForSent(Bytes({0x91, 0x03})));
    Turn(4, -2);
    EXPECT_EQ(run.get(), "");
    EXPECT_EQ(Sent(), Bytes({0x91, 0x03, 0x90, 0x03}));
}

TEST_F(BoxPrimitivesTest, AStoppedTaskLeavesOnForAndEnds) {
    ControlBox_SetWaitSource(0, 4);
    Port().ClearWritten();
    auto run =
        std::async(std::launch::async, [] { return RunLogo("talkto \"a onfor 5 print \"after"); });
    ASSERT_TRUE(WaitForSent(Bytes({0x28})));
    StopAll();
    if (run.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        Turn(4, 5);  // let it go before failing
        FAIL() << "onfor did not see the stop request";
    }
    EXPECT_EQ(run.get(), "");  // stopped silently, before the print
    // The output itself still ends by the stream.
    EXPECT_TRUE(ControlBox_TimedOutputActive(0));
}

// ---- Inputs ----

TEST_F(BoxPrimitivesTest, PressesRoundAHeldPressUp) {
    Decode(0, {.edges = 3});
    EXPECT_EQ(EvalLogo("presses 1"), "2");
    Decode(0, {.edges = 1});
    EXPECT_EQ(EvalLogo("presses 1"), "2");
}

TEST_F(BoxPrimitivesTest, AngleIsTheUnsignedRemainderOfTheTurn) {
    Turn(4, -37);
    EXPECT_EQ(EvalLogo("rotation 5"), "-37");
    EXPECT_EQ(EvalLogo("angle 5"), "112.5");
    Turn(6, 20);
    EXPECT_EQ(EvalLogo("angle 7"), "90");
    // Inputs 1-4 have no rotation store.
    EXPECT_EQ(EvalLogo("rotation 1"), "0");
    EXPECT_EQ(EvalLogo("angle 4"), "0");
}

TEST_F(BoxPrimitivesTest, TemperatureInCelsiusAndFahrenheit) {
    Decode(1, {.raw = 600});
    ASSERT_DOUBLE_EQ(ControlBox_TemperatureC(1, 0), 21.0);
    EXPECT_EQ(EvalLogo("temperature 2"), "21");
    EXPECT_EQ(EvalLogo("fahrenheit 2"), "69.8");
}

TEST_F(BoxPrimitivesTest, LightRawReadingAndSwitch) {
    Decode(2, {.raw = 700, .digital = false});
    EXPECT_EQ(EvalLogo("light 3"), "50.78");
    EXPECT_EQ(EvalLogo("sensor \"3"), "700");
    EXPECT_EQ(EvalLogo("switch 3"), "true");  // pressed: the digital bit is clear
    Decode(2, {.raw = 700, .digital = true});
    EXPECT_EQ(EvalLogo("switch 3"), "false");
}

TEST_F(BoxPrimitivesTest, ResetsStartCountingAgain) {
    Decode(0, {.edges = 3});
    Turn(5, 4);
    EXPECT_EQ(RunLogo("resetcount 1 resetrotation 6"), "");
    EXPECT_EQ(EvalLogo("presses 1"), "0");
    EXPECT_EQ(EvalLogo("rotation 6"), "0");
    Decode(0, {.edges = 1});
    EXPECT_EQ(EvalLogo("presses 1"), "1");
}

TEST_F(BoxPrimitivesTest, WithoutABoxReadingsAreTheClosedPortValues) {
    Decode(0, {.raw = 700, .edges = 3, .digital = true});
    Turn(4, 3);
    CloseLink();
    EXPECT_EQ(EvalLogo("sensor 1"), "0");
    EXPECT_EQ(EvalLogo("switch 1"), "true");
    EXPECT_EQ(EvalLogo("presses 1"), "0");
    EXPECT_EQ(EvalLogo("rotation 5"), "0");
    EXPECT_EQ(EvalLogo("light 1"), "100");
    EXPECT_EQ(EvalLogo("temperature 1"), "150");
}

TEST_F(BoxPrimitivesTest, InputNumbersAreCheckedFirstThenTheirSettings) {
    for (const char* name : {"switch", "angle", "temperature", "presses", "fahrenheit", "light",
                             "sensor", "rotation"}) {
        EXPECT_EQ(EvalLogo(std::string(name) + " 9"), Message(-13, {"9"})) << name;
        EXPECT_EQ(EvalLogo(std::string(name) + " 0"), Message(-13, {"0"})) << name;
    }
    EXPECT_EQ(RunLogo("resetcount 9"), Message(-14, {"9", "1", "8"}));
    EXPECT_EQ(RunLogo("resetrotation 0"), Message(-14, {"0", "1", "8"}));
    EXPECT_EQ(RunSendingNothing("setsensormode 9 99"), Message(-13, {"9"}));
    EXPECT_EQ(RunSendingNothing("setsensormode 2 16"), Message(-14, {"16", "0", "15"}));
    EXPECT_EQ(SentBy("setsensormode 3 5"), Bytes({0xD5, 0x04}));
}

// ---- Diagnostics ----

TEST_F(BoxPrimitivesTest, DelayMonitorIgnoresANegativeThreshold) {
    EXPECT_EQ(RunLogo(".setdelaymonitor 40"), "");
    EXPECT_EQ(ControlBox_DelayMonitor(), 40);
    EXPECT_EQ(RunLogo(".setdelaymonitor -1"), "");
    EXPECT_EQ(ControlBox_DelayMonitor(), 40);
}

TEST_F(BoxPrimitivesTest, ResyncCountIsTakenAndStartsAgain) {
    TheSampleRing().resyncCount = 3;
    EXPECT_EQ(EvalLogo(".resynccount"), "3");
    EXPECT_EQ(EvalLogo(".resynccount"), "0");
}

}  // namespace
