// The command bytes sent for each output call, byte for byte, and the
// per-output memory that spares the box repeated ones.
#include <gtest/gtest.h>

#include "BoxTestSupport.h"
#include "box/OutputCommands.h"

namespace {

class OutputCommandsTest : public BoxLinkTest {
  protected:
    // The bytes sent by the call, and nothing before it.
    template <typename Call>
    std::vector<uint8_t> SentBy(Call call) {
        Port().ClearWritten();
        call();
        return Sent();
    }
};

TEST_F(OutputCommandsTest, SwitchingOnTwiceSendsOnceAndTheOpenResetForgetsTheState) {
    EXPECT_EQ(SentBy([] { EXPECT_TRUE(ControlBox_SetOutputState(3, true)); }), Bytes({0x2A}));
    EXPECT_EQ(SentBy([] { EXPECT_FALSE(ControlBox_SetOutputState(3, true)); }), Bytes({}));
    EXPECT_EQ(SentBy([] { EXPECT_TRUE(ControlBox_SetOutputState(3, false)); }), Bytes({0x3A}));
    EXPECT_EQ(SentBy([] { EXPECT_FALSE(ControlBox_SetOutputState(3, false)); }), Bytes({}));
    EXPECT_EQ(ControlBox_OutputState(3), kOutputOff);
    ControlBox_SetOutputState(6, true);
    ControlBox_SetPower(6, 2);
    ResetOutputs();
    EXPECT_EQ(ControlBox_OutputState(6), kOutputUnknown);
    EXPECT_EQ(ControlBox_GetPower(6), 8);
}

TEST_F(OutputCommandsTest, PowerZeroStopsAndTheNextPowerRestartsOnlyARunningOutput) {
    // Outside 0-8 the power is ignored.
    EXPECT_EQ(SentBy([] { ControlBox_SetPower(1, 9); }), Bytes({}));
    EXPECT_EQ(SentBy([] { ControlBox_SetPower(1, -1); }), Bytes({}));
    EXPECT_EQ(SentBy([] { ControlBox_SetPowerMask(0x03, 9); }), Bytes({}));
    EXPECT_EQ(ControlBox_GetPower(1), 8);
    // Power 0 on an off output keeps it off.
    ControlBox_SetOutputState(2, false);
    EXPECT_EQ(SentBy([] { ControlBox_SetPower(2, 0); }), Bytes({0x31}));
    EXPECT_EQ(ControlBox_OutputState(2), kOutputOff);
    EXPECT_EQ(SentBy([] { ControlBox_SetPower(2, 5); }), Bytes({0xB4, 0x02}));
    EXPECT_EQ(ControlBox_OutputState(2), kOutputOff);
    EXPECT_EQ(ControlBox_GetPower(2), 5);
    // On a running output, the power after 0 switches it on again.
    ControlBox_SetOutputState(2, true);
    EXPECT_EQ(SentBy([] { ControlBox_SetPower(2, 0); }), Bytes({0x31}));
    EXPECT_EQ(ControlBox_OutputState(2), kOutputPowerZero);
    EXPECT_EQ(SentBy([] { ControlBox_SetPower(2, 5); }), Bytes({0xB4, 0x02, 0x29}));
    EXPECT_EQ(ControlBox_OutputState(2), kOutputOn);
    // Power was not 0 this time: no switching on.
    EXPECT_EQ(SentBy([] { ControlBox_SetPower(2, 8); }), Bytes({0xB7, 0x02}));
}

TEST_F(OutputCommandsTest, PowerMaskAppliesTheSingleOutputRulesByIncreasingIndex) {
    ControlBox_SetOutputState(2, true);
    ControlBox_SetOutputState(3, false);
    EXPECT_EQ(SentBy([] { ControlBox_SetPowerMask(0x86, 0); }), Bytes({0x92, 0x86}));
    EXPECT_EQ(ControlBox_OutputState(2), kOutputPowerZero);
    EXPECT_EQ(ControlBox_OutputState(3), kOutputOff);
    EXPECT_EQ(ControlBox_OutputState(8), kOutputPowerZero);
    // Outputs 2 and 8 were stopped by power 0, output 3 is off.
    EXPECT_EQ(SentBy([] { ControlBox_SetPowerMask(0x86, 3); }), Bytes({0xB2, 0x86, 0x29, 0x2F}));
    for (int id : {2, 3, 8}) EXPECT_EQ(ControlBox_GetPower(id), 3);
    EXPECT_EQ(ControlBox_GetPower(1), 8);
}

TEST_F(OutputCommandsTest, PulseSendsBThenAThenStartsAndAZeroParameterStops) {
    EXPECT_EQ(SentBy([] { ControlBox_SetPulse(1, 10, 0); }), Bytes({0x80, 0x01, 0x38}));
    // Already off: only the stop.
    EXPECT_EQ(SentBy([] { ControlBox_SetPulse(1, 0, 7); }), Bytes({0x80, 0x01}));
    EXPECT_EQ(SentBy([] { ControlBox_SetPulse(2, 10, 20); }),
              Bytes({0xE1, 20, 0xE9, 10, 0x81, 0x02, 0x29}));
    EXPECT_EQ(SentBy([] { ControlBox_SetPulseMask(0x05, 255, 1); }),
              Bytes({0xE0, 1, 0xE8, 255, 0x81, 0x01, 0x28, 0xE2, 1, 0xEA, 255, 0x81, 0x04, 0x2A}));
}

// Each sends its bytes; a mask command makes the memory forget every
// output's state, a direction command its output's, so that the next
// switch on is sent.
TEST_F(OutputCommandsTest, MaskAndDirectionCommandsSendTheirBytesAndForgetTheStates) {
    struct Case {
        std::function<void()> call;
        std::vector<uint8_t> bytes;
        bool forgets;  // output 4's state
    };
    const Case cases[] = {
        {[] { ControlBox_AllOff(); }, {0x90, 0xFF}, true},
        {[] { ControlBox_AllOn(); }, {0x91, 0xFF}, true},
        {[] { ControlBox_OutputsOnOff(0x41, true); }, {0x91, 0x41}, true},
        {[] { ControlBox_OutputsOnOff(0x41, false); }, {0x90, 0x41}, true},
        {[] { ControlBox_SetDirection(3, 1); }, {0x42}, false},
        {[] { ControlBox_SetDirection(3, 0); }, {0x4A}, false},
        {[] { ControlBox_SetDirection(4, 0); }, {0x4B}, true},
        {[] { ControlBox_SetDirectionMask(0x81, 1); }, {0x94, 0x81}, true},
        {[] { ControlBox_SetDirectionMask(0x81, 0); }, {0x93, 0x81}, true},
        {[] { ControlBox_OutputReverse(8); }, {0x27}, false},
        {[] { ControlBox_OutputReverse(4); }, {0x23}, true},
        {[] { ControlBox_ReverseMask(0x30); }, {0x95, 0x30}, true},
        {[] { ControlBox_SetInputSetting(2, 7); }, {0xD7, 0x04}, false},
        {[] { ControlBox_SetInputSetting(7, 15); }, {0xDF, 0x80}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.bytes[0]));
        ControlBox_SetOutputState(4, true);
        EXPECT_EQ(SentBy(c.call), c.bytes);
        EXPECT_EQ(ControlBox_OutputState(4), c.forgets ? kOutputUnknown : kOutputOn);
        EXPECT_EQ(SentBy([] { ControlBox_SetOutputState(4, true); }),
                  c.forgets ? Bytes({0x2B}) : Bytes({}));
    }
}

TEST_F(OutputCommandsTest, CommandsAreDroppedSilentlyWhileNotLoggedOnButARawByteGoesOut) {
    Link().loggedOn = false;
    EXPECT_TRUE(ControlBox_SetOutputState(5, true));  // the state still follows
    ControlBox_AllOn();
    ControlBox_SetPower(5, 3);
    ControlBox_SetPulse(5, 1, 1);
    ControlBox_SetInputSetting(0, 1);
    EXPECT_FALSE(ControlBox_SendCommand(0x02));
    EXPECT_FALSE(ControlBox_SendPair(0x90, 0xFF));
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ControlBox_GetPower(5), 3);

    Link().loggedOn = true;
    Link().portOpen = false;
    ControlBox_AllOff();
    EXPECT_TRUE(Sent().empty());
    // A raw byte goes out before the logon.
    Link().loggedOn = false;
    Link().portOpen = true;
    EXPECT_TRUE(ControlBox_SendByte(0x00));
    EXPECT_EQ(Sent(), Bytes({0x00}));
    // A command racing with the close, which took the port before the
    // flags follow, is lost quietly.
    Link().loggedOn = true;
    Link().port.reset();
    EXPECT_FALSE(ControlBox_SendCommand(0x02));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(OutputCommandsTest, FailedWriteTellsTheUserAndReportsFalse) {
    Port().FailWrites(true);
    EXPECT_FALSE(ControlBox_SendCommand(0x02));
    EXPECT_FALSE(ControlBox_SendPair(0x90, 0x01));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Can't send output command to the box!",
                                                    "Can't send output command to the box!"}));
}

TEST_F(OutputCommandsTest, BadOutputIdEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The message goes to standard error, as it does without a front end.
    for (int id : {9, 0})
        EXPECT_EXIT(
            {
                platform::SetMessageSink({});
                if (id == 9)
                    ControlBox_SetOutputState(id, true);
                else
                    ControlBox_OutputReverse(id);
            },
            ::testing::ExitedWithCode(1), "Bad output ID \\(" + std::to_string(id) + "\\)");
}

}  // namespace
