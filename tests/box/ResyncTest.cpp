// Finding the frames again after a line error: sliding through the stream,
// giving up after 8 attempts, and what the user is told.
#include <gtest/gtest.h>

#include "BoxTestSupport.h"
#include "box/InputStream.h"
#include "box/SampleRing.h"

namespace {

using platform::kLineFraming;
using platform::kLineOverrun;
using platform::kLineReceiveOverrun;

class ResyncTest : public BoxLinkTest {
  protected:
    static std::vector<uint8_t> Frame(int raw) { return FrameWith(2, {.raw = raw, .edges = 0}); }
    static std::vector<uint8_t> Tail(const std::vector<uint8_t>& frame, int from) {
        return std::vector<uint8_t>(frame.begin() + from, frame.end());
    }
};

TEST_F(ResyncTest, StreamShiftedBySevenBytesIsFoundWithinOneAttempt) {
    // The stream goes on 7 bytes into a frame: 12 slides bring the next one.
    Port().Feed(Tail(Frame(222), 7));
    Port().Feed(Frame(333));
    Port().Feed(Frame(444));
    uint8_t buffer[kFrameBytes] = {};
    ASSERT_TRUE(ControlBox_Resync(buffer, kLineFraming));
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + kFrameBytes), Frame(333));
    EXPECT_EQ(Port().Consumed(), 12u + 19u);
    EXPECT_EQ(ControlBox_TakeResyncCount(), 1);
    EXPECT_TRUE(ControlBox_TakeResyncMark());
    EXPECT_TRUE(TakeNotices().empty());
}

TEST_F(ResyncTest, FrameLoopGoesOnAfterALineErrorWithTheNextWholeFrame) {
    Port().Feed(Frame(111));
    Port().LineErrorAt(18, kLineOverrun);  // while the first frame came in
    Port().Feed(Tail(Frame(222), 7));
    Port().Feed(Frame(333));
    Port().Feed(Frame(444));
    RunFrameLoop();
    // The frame read with the error is dropped; the two after it count.
    EXPECT_EQ(ControlBox_SampleIndexAt(0), 2u);
    EXPECT_EQ(InputValue(2), 444);
    EXPECT_EQ(TheSampleRing().slots[1].raw[2].load(), 333);
    EXPECT_EQ(ControlBox_TakeResyncCount(), 1);
    EXPECT_TRUE(TakeNotices().empty());
}

TEST_F(ResyncTest, EightFailedAttemptsPostTheErrorText) {
    // Zeros never add up to a frame: each attempt reads 19 bytes and
    // slides 19 times.
    Port().Feed(std::vector<uint8_t>(8 * 38 + 19, 0));
    uint8_t buffer[kFrameBytes] = {};
    EXPECT_FALSE(ControlBox_Resync(buffer, kLineFraming));
    EXPECT_EQ(Port().Consumed(), 8u * 38u);
    EXPECT_EQ(ControlBox_TakeResyncCount(), 0);
    EXPECT_FALSE(ControlBox_TakeResyncMark());
    auto notices = TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].number, kBoxText);
    EXPECT_EQ(notices[0].wParam, kErrorStyle);
    EXPECT_EQ(notices[0].text, "Comms Error: Framing Error");
}

TEST_F(ResyncTest, FramesReadWithALineErrorAreNeverTrusted) {
    for (int k = 0; k < 9; ++k) Port().Feed(Frame(500 + k));
    Port().AlwaysLineErrors(kLineReceiveOverrun);
    uint8_t buffer[kFrameBytes] = {};
    EXPECT_FALSE(ControlBox_Resync(buffer, kLineReceiveOverrun));
    // Each attempt ends right after its 19-byte read.
    EXPECT_EQ(Port().Consumed(), 8u * 19u);
    auto notices = TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, "Comms Error: receive character-buffer overrun");
}

TEST_F(ResyncTest, LineErrorWhileSlidingEndsTheAttemptAndTheNextOneFinds) {
    // Garbage, an error on its 5th byte, then a clean stream.
    Port().Feed(std::vector<uint8_t>(19 + 5, 0x55));
    Port().LineErrorAt(19 + 4, kLineFraming);
    Port().Feed(Frame(321));
    uint8_t buffer[kFrameBytes] = {};
    ASSERT_TRUE(ControlBox_Resync(buffer, kLineFraming));
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + kFrameBytes), Frame(321));
    EXPECT_EQ(Port().Consumed(), 19u + 5u + 19u);
}

TEST_F(ResyncTest, StreamThatStopsLosesTheLinkWithoutAText) {
    Port().Feed(std::vector<uint8_t>(30, 0));
    uint8_t buffer[kFrameBytes] = {};
    EXPECT_FALSE(ControlBox_Resync(buffer, kLineFraming));
    EXPECT_TRUE(TakeNotices().empty());
}

TEST_F(ResyncTest, ErrorTextNamesTheWorstErrorOrShowsTheBits) {
    EXPECT_EQ(CommsErrorText(kLineFraming), "Comms Error: Framing Error");
    EXPECT_EQ(CommsErrorText(kLineFraming | kLineOverrun),
              "Comms Error: (CE_OVERRUN) A character-buffer overrun has occurred.  The next "
              "character is lost.");
    EXPECT_EQ(CommsErrorText(kLineFraming | kLineOverrun | kLineReceiveOverrun),
              "Comms Error: receive character-buffer overrun");
    EXPECT_EQ(CommsErrorText(0x4), "Comms error 0x4");
    EXPECT_EQ(CommsErrorText(0x1F0), "Comms error 0x1F0");
}

TEST_F(ResyncTest, ValidFrameTestsHeaderZeroByteStepBitsAndSum) {
    auto frame = Frame(512);
    EXPECT_TRUE(ControlBox_ValidFrame(frame.data()));

    // A header is good with its top bits 100 or its low four bits clear.
    auto refit = [](std::vector<uint8_t> bytes) {
        unsigned sum = 0;
        for (int i = 0; i < 18; ++i) sum += bytes[i];
        bytes[18] = static_cast<uint8_t>(0xFF - (sum & 0xFF));
        return bytes;
    };
    auto header = [&](uint8_t value) {
        auto bytes = frame;
        bytes[0] = value;
        return refit(bytes);
    };
    EXPECT_TRUE(ControlBox_ValidFrame(header(0x9F).data()));
    EXPECT_TRUE(ControlBox_ValidFrame(header(0x20).data()));
    EXPECT_FALSE(ControlBox_ValidFrame(header(0xA1).data()));
    EXPECT_FALSE(ControlBox_ValidFrame(header(0x01).data()));

    auto zeroByte = frame;
    zeroByte[1] = 0x04;
    EXPECT_FALSE(ControlBox_ValidFrame(refit(zeroByte).data()));

    // Inputs 1-4 never carry step codes; inputs 5-8 may.
    for (int low : {3, 7, 11, 15}) {
        auto bytes = frame;
        bytes[low] |= 0x01;
        EXPECT_FALSE(ControlBox_ValidFrame(refit(bytes).data())) << low;
    }
    for (int low : {5, 9, 13, 17}) {
        auto bytes = frame;
        bytes[low] |= 0x03;
        EXPECT_TRUE(ControlBox_ValidFrame(refit(bytes).data())) << low;
    }

    auto badSum = frame;
    badSum[18] ^= 0x10;
    EXPECT_FALSE(ControlBox_ValidFrame(badSum.data()));
}

}  // namespace
