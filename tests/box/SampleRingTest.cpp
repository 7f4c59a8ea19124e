// The sample ring: finding the slot in force at a time, and the readers and
// conversions on it, with the port open and closed; the generated
// thermistor table the temperatures come from.
#include <gtest/gtest.h>

#include <array>

#include "BoxTestSupport.h"
#include "box/InputStream.h"
#include "box/SampleRing.h"
#include "box/Thermistor.h"

namespace {

class SampleRingTest : public BoxLinkTest {
  protected:
    void Decode(const std::vector<uint8_t>& frame, uint32_t stamp) {
        ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), stamp));
    }

    // Fills every slot: frame k (from 0) is stamped 1000 + 20 k.
    void FillRing(int frames) {
        const auto frame = MakeFrame({});
        for (int k = 0; k < frames; ++k) Decode(frame, 1000 + 20 * k);
    }

    static uint32_t StampOf(uint32_t slot) { return TheSampleRing().slots[slot].stamp.load(); }
};

TEST_F(SampleRingTest, TimeFindsTheSlotInForceWalkingBackFromBeforeTheNewest) {
    FillRing(kSampleSlots);
    // Older than every stamp: the newest, after a full walk.
    EXPECT_EQ(ControlBox_SampleIndexAt(0), 0u);
    EXPECT_EQ(ControlBox_SampleIndexAt(999), 0u);
    // Slot 6 holds the sixth frame (stamp 1100), slot 7 the next (1120).
    ASSERT_EQ(StampOf(6), 1100u);
    EXPECT_EQ(ControlBox_SampleIndexAt(1107), 6u);
    EXPECT_EQ(ControlBox_SampleIndexAt(1120), 7u);
    EXPECT_EQ(ControlBox_SampleIndexAt(1119), 6u);

    FillRing(kSampleSlots + 2);  // the newest is slot 2; the walk wraps
    ASSERT_EQ(ControlBox_SampleIndexAt(0), 2u);
    const uint32_t stamp1022 = StampOf(1022);
    ASSERT_LT(stamp1022, StampOf(1023));
    EXPECT_EQ(ControlBox_SampleIndexAt(stamp1022 + 5), 1022u);
    EXPECT_EQ(ControlBox_SampleIndexAt(StampOf(0)), 0u);
    // The walk starts before the newest, so a later time gives the slot
    // before it.
    EXPECT_EQ(ControlBox_SampleIndexAt(StampOf(2) + 1000), 1u);
}

TEST_F(SampleRingTest, ReadersUseTheSampleInForceAtTheTime) {
    Decode(FrameWith(2, {.raw = 100}), 5000);
    Decode(FrameWith(2, {.raw = 900}), 5020);
    Decode(FrameWith(2, {.raw = 600}), 5040);
    int32_t value = -1;
    EXPECT_EQ(ControlBox_Input(2, 5025, &value, nullptr, nullptr, nullptr), kInputOk);
    EXPECT_EQ(value, 900);
    EXPECT_EQ(ControlBox_Input(2, 0, &value, nullptr, nullptr, nullptr), kInputOk);
    EXPECT_EQ(value, 600);
    // A time before the first frame since the open reads a frame, never a
    // slot no frame has filled, whatever stamp it kept.
    EXPECT_EQ(ControlBox_Input(2, 4000, &value, nullptr, nullptr, nullptr), kInputOk);
    EXPECT_EQ(value, 600);
}

TEST_F(SampleRingTest, InputReportsTheFlagInvertedEveryRequestedValueAndNoRotationOrInput) {
    std::array<InputWord, 8> words{};
    words[5] = {.raw = 321, .edges = 2, .digital = false, .countUp = true, .stepCode = 1};
    words[1] = {.raw = 77, .edges = 1};
    Decode(MakeFrame(words), 100);
    int32_t value = -1, counter = -1, rotation = -1, flag = -1;
    EXPECT_EQ(ControlBox_Input(5, 0, &value, &counter, &rotation, &flag), kInputOk);
    EXPECT_EQ((std::array{value, counter, rotation, flag}), (std::array{321, 2, 1, 1}));
    EXPECT_EQ(ControlBox_Input(0, 0, nullptr, nullptr, nullptr, &flag), kInputOk);
    EXPECT_EQ(flag, 0);  // the default word has its digital bit set

    // A plain input fills the rest, then says it has no rotation.
    rotation = -1;
    EXPECT_EQ(ControlBox_Input(1, 0, &value, &counter, &rotation, nullptr), kInputNoRotation);
    EXPECT_EQ((std::array{value, counter, rotation}), (std::array{77, 1, -1}));
    EXPECT_EQ(ControlBox_Rotation(1, 0), 0);

    // Input 8 and above, or below 0, fills nothing.
    value = flag = -7;
    EXPECT_EQ(ControlBox_Input(8, 0, &value, nullptr, nullptr, &flag), kInputNoSuchInput);
    EXPECT_EQ(ControlBox_Input(-1, 0, &value, nullptr, nullptr, &flag), kInputNoSuchInput);
    EXPECT_EQ((std::array{value, flag}), (std::array{-7, -7}));
    EXPECT_EQ(ControlBox_Rotation(8, 0), 0);
    EXPECT_EQ(ControlBox_LightPercent(8, 0), 0.0);
    EXPECT_EQ(ControlBox_TemperatureC(8, 0), 0.0);
}

TEST_F(SampleRingTest, ClosedPortReadsAsNoLightNoHeatAndAClearInput) {
    Decode(FrameWith(3, {.raw = 800, .edges = 3, .digital = true}), 100);
    Link().portOpen = false;
    EXPECT_EQ(ControlBox_LightPercent(3, 0), 100.0);
    EXPECT_EQ(ControlBox_TemperatureC(3, 0), 150.0);
    int32_t value = -1, counter = -1, rotation = -1, flag = -1;
    EXPECT_EQ(ControlBox_Input(3, 0, &value, &counter, nullptr, &flag), kInputOk);
    EXPECT_EQ((std::array{value, counter, flag}), (std::array{0, 0, 1}));
    EXPECT_EQ(ControlBox_Input(3, 0, nullptr, nullptr, &rotation, nullptr), kInputNoRotation);
    EXPECT_EQ(ControlBox_Input(6, 0, nullptr, nullptr, &rotation, nullptr), kInputOk);
    EXPECT_EQ(rotation, 0);
    EXPECT_TRUE(ControlBox_IsNotReady());
}

TEST_F(SampleRingTest, LightFallsFromFullAt387ToNoneAt1023AndTemperatureFollowsTheTable) {
    const std::pair<int, double> cases[] = {{0, 100.0},   {386, 100.0}, {387, 100.0},
                                            {700, 50.78}, {1000, 3.61}, {1023, 0.0}};
    for (auto [raw, percent] : cases) {
        Decode(FrameWith(0, {.raw = raw}), 100);
        EXPECT_DOUBLE_EQ(ControlBox_LightPercent(0, 0), percent) << raw;
    }
    // Temperature takes the table, and its ends outside it.
    const std::pair<int, double> heat[] = {{0, 150.0},  {196, 150.0},  {197, 150.0},
                                           {500, 32.2}, {1020, -77.0}, {1023, -77.0}};
    for (auto [raw, celsius] : heat) {
        Decode(FrameWith(7, {.raw = raw}), 100);
        EXPECT_DOUBLE_EQ(ControlBox_TemperatureC(7, 0), celsius) << raw;
    }
}

TEST_F(SampleRingTest, ResetCounterAndRotationCountFromZeroAgain) {
    const auto twoEdges = FrameWith(1, {.edges = 2});
    Decode(twoEdges, 100);
    Decode(twoEdges, 120);
    int32_t counter = 0;
    ControlBox_Input(1, 0, nullptr, &counter, nullptr, nullptr);
    ASSERT_EQ(counter, 4);
    ControlBox_ResetCounter(1);
    ControlBox_Input(1, 0, nullptr, &counter, nullptr, nullptr);
    EXPECT_EQ(counter, 0);
    Decode(FrameWith(1, {.edges = 3}), 140);
    ControlBox_Input(1, 0, nullptr, &counter, nullptr, nullptr);
    EXPECT_EQ(counter, 3);

    // Resetting the rotation restarts its count and ignores plain inputs.
    const auto stepUp = FrameWith(6, {.countUp = true, .stepCode = 1});
    for (int k = 0; k < 5; ++k) Decode(stepUp, 200 + 20 * k);
    ASSERT_EQ(ControlBox_Rotation(6, 0), 5);
    ControlBox_ResetRotation(2);  // no rotation store: nothing to do
    EXPECT_EQ(ControlBox_Rotation(6, 0), 5);
    ControlBox_ResetRotation(6);
    Decode(stepUp, 300);
    EXPECT_EQ(ControlBox_Rotation(6, 0), 1);
}

TEST_F(SampleRingTest, OpenResetZeroesReadingsKeepsStampsAndRestartsAtSlotOne) {
    Decode(FrameWith(4, {.raw = 999, .edges = 1, .countUp = true, .stepCode = 1}), 4321);
    ASSERT_EQ(ControlBox_SampleIndexAt(0), 1u);
    ResetSampleRing();
    const SampleSlot& slot = TheSampleRing().slots[1];
    EXPECT_EQ(slot.raw[4].load(), 0);
    EXPECT_EQ(slot.counter[4].load(), 0);
    EXPECT_EQ(slot.rotation[0].load(), 0);
    EXPECT_EQ(slot.digital[0].load(), 0);
    EXPECT_EQ(slot.stamp.load(), 4321u);
    EXPECT_EQ(TheSampleRing().writeIndex.load(), 1u);
}

// The readings outside the table are checked with the temperatures above.
TEST(SampleRingThermistor, PassesThroughEveryKnownPointAndFallsSmoothly) {
    const std::pair<int, int> known[] = {
        {197, 1500}, {200, 1400}, {210, 1200}, {250, 864},  {300, 668},   {350, 548},  {400, 458},
        {450, 386},  {500, 322},  {550, 264},  {600, 210},  {650, 156},   {700, 104},  {750, 50},
        {800, -6},   {850, -70},  {900, -148}, {950, -250}, {1000, -446}, {1020, -770}};
    for (auto [raw, tenths] : known)
        EXPECT_EQ(kThermistorTable[raw - kThermistorFirstRaw], tenths) << "raw " << raw;
    EXPECT_EQ(kThermistorEntries, 824);
    // The steepest known stretch (197-200) falls 33 tenths per reading; a
    // jump well beyond that is an interpolation gone wrong.
    for (int i = 1; i < kThermistorEntries; ++i) {
        const int fall = kThermistorTable[i - 1] - kThermistorTable[i];
        EXPECT_TRUE(fall >= 0 && fall <= 40) << "raw " << kThermistorFirstRaw + i << ": " << fall;
    }
}

}  // namespace
