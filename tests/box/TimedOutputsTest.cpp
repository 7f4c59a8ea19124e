// Timed outputs: switched on by the caller, ended by the frame stream (by
// time or by rotation), and released when the link goes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "BoxTestSupport.h"
#include "box/InputStream.h"
#include "box/TimedOutputs.h"

namespace {

class TimedOutputsTest : public BoxLinkTest {
  protected:
    void TearDown() override {
        EndTimedOutputs();
        if (caller_.joinable()) caller_.join();
        BoxLinkTest::TearDown();
    }

    // Runs the call on a thread of its own, as a Logo task would, and
    // returns once it has sent the bytes that switch the outputs on.
    template <typename Call>
    void StartWaiting(Call call, const std::vector<uint8_t>& onBytes) {
        finished_ = false;
        caller_ = std::thread([this, call] {
            call();
            finished_ = true;
        });
        ASSERT_TRUE(Eventually([&] { return Sent() == onBytes; }));
    }

    // Waits for the caller to return; false if it never does.
    bool CallerReturns() {
        if (!Eventually([&] { return finished_.load(); })) return false;
        caller_.join();
        return true;
    }

    void DecodeAt(uint32_t stamp, const std::vector<uint8_t>& frame = MakeFrame({})) {
        ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), stamp));
    }

    // A frame turning the rotation of the input by 1-17 steps either way.
    void Turn(int input, int steps) {
        const int size = steps < 0 ? -steps : steps;
        InputWord word{.raw = 0x200 | (size - 2), .countUp = steps > 0, .stepCode = 2};
        if (size == 1) word = {.countUp = steps > 0, .stepCode = 1};
        stamp_ += 20;
        DecodeAt(stamp_, FrameWith(input, word));
    }

    std::thread caller_;
    std::atomic<bool> finished_{false};
    uint32_t stamp_ = 1000;
};

TEST_F(TimedOutputsTest, OnForByTimeEndsInTheFirstFrameStampedAtTheDeadline) {
    const uint32_t before = BoxMilliseconds();
    StartWaiting([] { ControlBox_OnFor(0x05, 20); }, Bytes({0x91, 0x05}));
    const uint32_t after = BoxMilliseconds();
    EXPECT_TRUE(ControlBox_TimedOutputActive(0));
    EXPECT_TRUE(ControlBox_TimedOutputActive(2));

    // The deadline lies 2000 ms after a moment between the two readings.
    DecodeAt(before + 1999);
    EXPECT_EQ(Sent(), Bytes({0x91, 0x05}));
    EXPECT_FALSE(finished_);

    DecodeAt(after + 2000);
    EXPECT_EQ(Sent(), Bytes({0x91, 0x05, 0x90, 0x05}));
    EXPECT_TRUE(CallerReturns());
    EXPECT_FALSE(ControlBox_TimedOutputActive(0));
    EXPECT_FALSE(ControlBox_TimedOutputActive(2));
}

TEST_F(TimedOutputsTest, OnForOneByRotationEndsAtEitherBound) {
    ControlBox_SetWaitSource(0, 6);
    Turn(6, 17);
    Turn(6, 17);
    Turn(6, 6);
    ASSERT_EQ(ControlBox_Rotation(6, 0), 40);
    Port().ClearWritten();

    StartWaiting([] { ControlBox_OnForOne(1, 16); }, Bytes({0x28}));
    // A task released when the output ends reads the count that ended it.
    std::atomic<int32_t> readAtTheEnd{0};
    Port().AfterWrite([&] { readAtTheEnd = ControlBox_Rotation(6, 0); });
    Turn(6, 15);  // 55
    Turn(6, -15);
    Turn(6, -15);  // 25
    EXPECT_TRUE(ControlBox_TimedOutputActive(0));
    EXPECT_EQ(Sent(), Bytes({0x28}));
    Turn(6, -1);  // 24: the lower bound
    EXPECT_EQ(Sent(), Bytes({0x28, 0x90, 0x01}));
    EXPECT_EQ(readAtTheEnd.load(), 24);
    EXPECT_TRUE(CallerReturns());

    // From 24 again: the upper bound, 40.
    Port().AfterWrite({});
    Port().ClearWritten();
    StartWaiting([] { ControlBox_OnForOne(1, 16); }, Bytes({0x28}));
    Turn(6, 15);  // 39
    EXPECT_EQ(Sent(), Bytes({0x28}));
    Turn(6, 1);  // 40
    EXPECT_EQ(Sent(), Bytes({0x28, 0x90, 0x01}));
    EXPECT_TRUE(CallerReturns());
}

TEST_F(TimedOutputsTest, EachOutputEndsByItsOwnSourceAndTheWaitLastsForAll) {
    ControlBox_SetWaitSource(1, 4);  // output 2 by input 5's rotation
    const uint32_t after = BoxMilliseconds() + 60000;
    StartWaiting([] { ControlBox_OnFor(0x03, 10); }, Bytes({0x91, 0x03}));

    DecodeAt(after);  // output 1's time is up
    EXPECT_EQ(Sent(), Bytes({0x91, 0x03, 0x90, 0x01}));
    EXPECT_TRUE(ControlBox_TimedOutputActive(1));
    EXPECT_FALSE(finished_);

    stamp_ = after;
    Turn(4, 10);
    EXPECT_EQ(Sent(), Bytes({0x91, 0x03, 0x90, 0x01, 0x90, 0x02}));
    EXPECT_TRUE(CallerReturns());
}

TEST_F(TimedOutputsTest, EndingTheTimedOutputsReleasesTheWaiter) {
    StartWaiting([] { ControlBox_OnFor(0x01, 600); }, Bytes({0x91, 0x01}));
    EndTimedOutputs();
    EXPECT_TRUE(CallerReturns());
    EXPECT_FALSE(ControlBox_TimedOutputActive(0));
    // The close switches the box off itself: nothing more was sent.
    EXPECT_EQ(Sent(), Bytes({0x91, 0x01}));
}

TEST_F(TimedOutputsTest, WaitingWithThePortClosedReturnsAtOnce) {
    Link().portOpen = false;
    ControlBox_OnFor(0x01, 600);
    ControlBox_OnForOne(2, 600);
    EXPECT_FALSE(ControlBox_TimedOutputActive(0));
    EXPECT_FALSE(ControlBox_TimedOutputActive(1));
    EXPECT_TRUE(Sent().empty());
}

TEST_F(TimedOutputsTest, StopCheckEndsTheWaitButNotTheOutputUnlessAllGoOff) {
    int asked = 0;
    ControlBox_OnFor(0x10, 600, [&] { return ++asked == 3; });
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(ControlBox_TimedOutputActive(4));
    DecodeAt(BoxMilliseconds() + 60000);
    EXPECT_FALSE(ControlBox_TimedOutputActive(4));
    EXPECT_EQ(Sent(), Bytes({0x91, 0x10, 0x90, 0x10}));
    // After all-off (stopall) no frame switches the output off again, when
    // it may have been switched on anew.
    Port().ClearWritten();
    ControlBox_OnFor(0x10, 600, [] { return true; });
    ControlBox_AllOff();
    EXPECT_FALSE(ControlBox_TimedOutputActive(4));
    DecodeAt(BoxMilliseconds() + 60000);
    EXPECT_EQ(Sent(), Bytes({0x91, 0x10, 0x90, 0xFF}));
}

// The ninth entry is the spare output's; beyond it nothing is stored.
TEST_F(TimedOutputsTest, WaitSourcesHaveANinthEntryAndResetToTime) {
    ControlBox_SetWaitSource(8, 5);
    ControlBox_SetWaitSource(9, 4);
    EXPECT_EQ(ControlBox_GetWaitSource(8), 5);
    EXPECT_EQ(ControlBox_GetWaitSource(9), kWaitByTime);
    ResetOutputs();
    EXPECT_EQ(ControlBox_GetWaitSource(8), kWaitByTime);
}

}  // namespace
