// Decoding the box's frames into the sample ring, and the frame loop over
// the port.
#include <gtest/gtest.h>

#include "BoxTestSupport.h"
#include "box/InputStream.h"
#include "box/SampleRing.h"

namespace {

class InputStreamTest : public BoxLinkTest {
  protected:
    static int32_t Counter(int input) {
        int32_t counter = -1;
        ControlBox_Input(input, 0, nullptr, &counter, nullptr, nullptr);
        return counter;
    }
    static int32_t Flag(int input) {
        int32_t flag = -1;
        ControlBox_Input(input, 0, nullptr, nullptr, nullptr, &flag);
        return flag;
    }
};

const std::vector<uint8_t> kReadyFrame =
    Bytes({0x80, 0x00, 0x80, 0x08, 0x80, 0x08, 0x80, 0x08, 0x80, 0x08, 0x80, 0x08, 0x80, 0x08, 0x80,
           0x08, 0x80, 0x08, 0x3F});

TEST_F(InputStreamTest, ReadyFrameGivesEveryInputAt512AndHeaderBit4SaysNotReady) {
    ASSERT_TRUE(ControlBox_ValidFrame(kReadyFrame.data()));
    ASSERT_TRUE(ControlBox_DecodeFrame(kReadyFrame.data()));
    for (int input = 0; input < 8; ++input) {
        EXPECT_EQ(InputValue(input), 512) << input;
        EXPECT_EQ(Counter(input), 0) << input;
        EXPECT_EQ(Flag(input), 0) << input;
    }
    for (int input = 4; input < 8; ++input) EXPECT_EQ(ControlBox_Rotation(input, 0), 0);
    EXPECT_FALSE(ControlBox_IsNotReady());
    EXPECT_TRUE(TakeNotices().empty());

    // Header bit 4 says the box is not ready.
    auto frame = kReadyFrame;
    frame[0] = 0x90;
    frame[18] = 0x2F;
    ASSERT_TRUE(ControlBox_ValidFrame(frame.data()));
    Link().notReady = false;
    ASSERT_TRUE(ControlBox_DecodeFrame(frame.data()));
    EXPECT_TRUE(ControlBox_IsNotReady());
    ASSERT_TRUE(ControlBox_DecodeFrame(kReadyFrame.data()));
    EXPECT_FALSE(ControlBox_IsNotReady());

    // Word FFC0: full scale, no edges, the digital bit clear.
    Decode(0, {.raw = 1023, .edges = 0, .digital = false});
    EXPECT_EQ(InputValue(0), 1023);
    EXPECT_EQ(Counter(0), 0);
    EXPECT_EQ(Flag(0), 1);
    EXPECT_TRUE(TakeNotices().empty());
}

TEST_F(InputStreamTest, StepCodesCountOneOrTheReadingsLowBitsPlusTwoOrNothing) {
    struct Step {
        InputWord word;
        int rotation, reading;
    };
    const Step steps[] = {
        {{.raw = 0x2A5, .countUp = true, .stepCode = 2}, 7, 0x2A0},  // 5 + 2 up
        {{.raw = 0x2A5, .stepCode = 2}, 0, 0x2A0},
        {{.raw = 0x2A5, .stepCode = 2}, -7, 0x2A0},
        {{.countUp = true, .stepCode = 1}, -6, 512},
        {{.stepCode = 1}, -7, 512},
        {{.raw = 0x2A5, .countUp = true, .stepCode = 3}, -7, 0x2A5},  // no step: the reading whole
    };
    for (const Step& step : steps) {
        Decode(4, step.word);
        EXPECT_EQ(ControlBox_Rotation(4, 0), step.rotation);
        EXPECT_EQ(InputValue(4), step.reading);
    }
}

TEST_F(InputStreamTest, MissedFramesAreTheLargestGapInFramesLessOne) {
    const auto frame = MakeFrame({});
    ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), 1000));  // slot 1
    ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), 1020));  // slot 2
    ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), 1120));  // slot 3
    EXPECT_EQ(ControlBox_TakeMissedFrames(), 4);
    EXPECT_EQ(ControlBox_TakeMissedFrames(), 0);
    // The count keeps the largest gap, and 40 ms is none.
    ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), 1160));
    EXPECT_EQ(ControlBox_TakeMissedFrames(), 0);
    ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), 1260));  // 100 ms: 4
    ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), 1320));  // 60 ms: 2
    EXPECT_EQ(ControlBox_TakeMissedFrames(), 4);
}

TEST_F(InputStreamTest, FirstFramesAfterTheOpenAreNotCheckedForMissedOnes) {
    const auto frame = MakeFrame({});
    // Slot 0 keeps the stamp of an earlier run; slots 0 and 1 are skipped.
    TheSampleRing().slots[0].stamp = 5;
    ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), 900000));  // slot 1
    TheSampleRing().writeIndex = 0;
    ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), 990000));  // slot 0
    EXPECT_EQ(ControlBox_TakeMissedFrames(), 0);
}

TEST_F(InputStreamTest, ChangedTouchInputsPostTheirMasksToTheMainThread) {
    std::array<InputWord, 8> inputs{};
    inputs[0].digital = true;
    inputs[1] = {.edges = 1, .digital = false};
    inputs[2].digital = false;
    inputs[3].digital = true;
    ASSERT_TRUE(ControlBox_DecodeFrame(MakeFrame(inputs).data()));
    auto notices = TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].number, kInputEvents);
    EXPECT_EQ(notices[0].wParam, 0x09u);
    EXPECT_EQ(notices[0].lParam, 0x02);
    // Edges on inputs 5-8 post nothing.
    ASSERT_TRUE(ControlBox_DecodeFrame(FrameWith(5, {.edges = 3}).data()));
    EXPECT_TRUE(TakeNotices().empty());
}

TEST_F(InputStreamTest, FrameLoopDecodesUntilTheStreamStopsAndPulsesEachFrame) {
    for (int raw : {100, 200, 300}) Port().Feed(FrameWith(2, {.raw = raw}));
    auto last = FrameWith(2, {.raw = 400});
    last.resize(12);  // the box stopped in the middle of it
    Port().Feed(last);
    const uint64_t pulses = Link().frameEvent.Generation();
    RunFrameLoop();
    EXPECT_EQ(Link().frameEvent.Generation() - pulses, 3u);
    EXPECT_EQ(InputValue(2), 300);
    EXPECT_EQ(ControlBox_SampleIndexAt(0), 3u);
    EXPECT_EQ(Port().Unread(), 0u);
}

TEST_F(InputStreamTest, FrameLoopEndsAtACheckByteOffByOneWithCheckSumError) {
    Port().Feed(FrameWith(2, {.raw = 100}));
    auto bad = FrameWith(2, {.raw = 200});
    --bad[18];  // the bytes add up to 0xFE
    Port().Feed(bad);
    Port().Feed(FrameWith(2, {.raw = 300}));
    RunFrameLoop();
    EXPECT_EQ(InputValue(2), 100);
    EXPECT_EQ(ControlBox_SampleIndexAt(0), 1u);
    EXPECT_EQ(Port().Unread(), 19u);
    auto notices = TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].number, kBoxText);
    EXPECT_EQ(notices[0].wParam, kErrorStyle);
    EXPECT_EQ(notices[0].text, "Check sum error");
}

}  // namespace
