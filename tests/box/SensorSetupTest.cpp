// The sensor setup: port names that become words and project names, the
// readings by tool type (the words, the live text, the graphs' readings by
// name), motor direction words, the dot-primitives, touch actions and the
// wait sources handed to the driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "LinkTestSupport.h"
#include "LogoCore/LogoTask.h"
#include "SetupTestSupport.h"
#include "box/SetupDevices.h"
#include "box/Thermistor.h"
#include "box/TimedOutputs.h"

namespace {

TEST_F(SetupTest, NamedInputsAreWordsInAnyCaseAndRenamingMovesWordAndProjectName) {
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolRaw));
    ASSERT_TRUE(TheSetup().SetPortName(2, "Knob"));
    ASSERT_TRUE(TheSetup().SetPortName(16, "Spare"));
    Decode(2, {.raw = 700});
    EXPECT_EQ(EvalLogo("KNOB"), "700");
    EXPECT_FALSE(IsDefined("spare"));  // an output has no word
    EXPECT_EQ(names_.All(), (NameMap{{"knob", 3}, {"spare", 17}}));

    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));  // respelt: the word stays
    EXPECT_EQ(EvalLogo("knob"), "700");
    ASSERT_TRUE(TheSetup().SetPortName(2, "dial"));
    EXPECT_FALSE(IsDefined("knob"));
    EXPECT_EQ(EvalLogo("dial"), "700");
    EXPECT_EQ(names_.All(), (NameMap{{"dial", 3}, {"spare", 17}}));
    ASSERT_TRUE(TheSetup().SetPortName(2, ""));
    EXPECT_FALSE(IsDefined("dial"));
    EXPECT_EQ(names_.All(), (NameMap{{"spare", 17}}));
}

TEST_F(SetupTest, ATakenNameRaises21AndChangesNothing) {
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    names_.EnterPortName("Button1", 0);  // a page object
    ASSERT_EQ(Define("to door\r\nprint 1\r\nend\r\n"), "");
    for (const char* taken : {"button1", "door", "Print", "KNOB"})
        EXPECT_EQ(ErrorTextOf([&] { TheSetup().SetPortName(3, taken); }), Message(-21, {taken}));
    EXPECT_EQ(ErrorTextOf([&] { TheSetup().SetPortName(2, "door"); }), Message(-21, {"door"}));

    EXPECT_EQ(TheSetup().GetPortName(2), "knob");
    EXPECT_EQ(TheSetup().GetPortName(3), "");
    EXPECT_TRUE(IsDefined("knob"));
    EXPECT_EQ(names_.All(), (NameMap{{"button1", 0}, {"knob", 3}}));
    EXPECT_EQ(RunLogo("door print 2"), "1\r\n2\r\n");
}

TEST_F(SetupTest, ASetupGoingTakesItsWordsButNotThoseANewerOneTookOver) {
    auto old = std::make_unique<CSetupData>(nullptr);
    ASSERT_TRUE(old->SetPortName(0, "door"));
    ASSERT_TRUE(old->SetPortName(2, "knob"));
    ASSERT_TRUE(old->SetDirectionName1(8, "open"));
    ASSERT_TRUE(old->SetDirectionName0(8, "shut"));
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    ASSERT_TRUE(TheSetup().SetDirectionName1(8, "open"));
    old.reset();
    EXPECT_FALSE(IsDefined("door") || IsDefined("shut"));
    EXPECT_TRUE(IsDefined("knob") && IsDefined("open"));
}

TEST_F(SetupTest, ReadingsByToolTypeInTheWordTheLiveTextAndByName) {
    struct Case {
        int32_t tool;
        double offset;
        InputWord input;
        std::string word, text;
        double byName;
    };
    const Case cases[] = {
        {kToolNone, 0, {.raw = 400}, Message(-1, {"probe"}), "", 0},
        {kToolRaw, 1.5, {.raw = 700}, "700", "701.5", 700},  // the offset only shown
        {kToolPercent, 0.5, {.raw = 700}, "51.28", "51.28", 51.28},
        {kToolCelsius, -1, {.raw = 600}, "20", "20", 20},                // 21.0 C
        {kToolFahrenheit, 0.25, {.raw = 600}, "70.05", "70.05", 70.05},  // 69.8 F
        {kToolBoolean, 0, {.digital = false}, "true", "true", 1},        // closed: the flag is 0
        {kToolBoolean, 0, {.digital = true}, "false", "false", 0},
        {kToolCount, 0, {.edges = 3}, "1", "1", 1},  // the counter halved
    };
    ASSERT_TRUE(TheSetup().SetPortName(2, "probe"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        ASSERT_TRUE(TheSetup().SetToolType(2, c.tool));
        ASSERT_TRUE(TheSetup().SetOffset(2, c.offset));
        Decode(2, c.input);
        EXPECT_EQ(EvalLogo("probe"), c.word);
        EXPECT_EQ(TheSetup().ReadingText(2), c.text);
        EXPECT_DOUBLE_EQ(TheSetup().ReadingByName("PROBE", 0), c.byName);
    }
    // Degrees keep the sign of the turn in the word only.
    ASSERT_TRUE(TheSetup().SetToolType(4, kToolDegrees));
    ASSERT_TRUE(TheSetup().SetPortName(4, "arm"));
    for (int step = 0; step < 37; ++step) Decode(4, {.countUp = false, .stepCode = 1});
    EXPECT_EQ(EvalLogo("arm"), "-112.5");
    EXPECT_EQ(TheSetup().ReadingText(4), "112.5");
    EXPECT_EQ(TheSetup().ReadingByName("arm", 0), 112.5);
}

TEST(FahrenheitCut, CutsToTenthsTowardZeroButKeepsEveryWholeTenthOfTheSensorTable) {
    EXPECT_DOUBLE_EQ(FahrenheitCutToTenths(21.07), 69.9);  // 69.926
    EXPECT_DOUBLE_EQ(FahrenheitCutToTenths(21.0), 69.8);
    EXPECT_DOUBLE_EQ(FahrenheitCutToTenths(-20.07), -4.1);  // -4.126
    // A whole number of tenths is kept though its binary value may lie just below.
    for (int tenths = -600; tenths <= 1600; tenths += 5) {
        const int fahrenheitTenths = tenths * 18 / 10 + 320;  // exact for multiples of 5
        EXPECT_DOUBLE_EQ(FahrenheitCutToTenths(tenths / 10.0), fahrenheitTenths / 10.0)
            << tenths / 10.0 << " C";
    }
}

TEST_F(SetupTest, ByNameADotReadsTheRawValueAtTheTimeAndOtherNamesReadZero) {
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolCelsius));
    ASSERT_TRUE(TheSetup().SetOffset(2, 3.0));
    ASSERT_TRUE(TheSetup().SetPortName(2, "Heat"));
    ASSERT_TRUE(TheSetup().SetPortName(9, "fan"));
    for (const auto& [raw, stamp] : {std::pair{300, 5000u}, {800, 5020u}, {500, 5040u}})
        ASSERT_TRUE(ControlBox_DecodeFrameAt(FrameWith(2, {.raw = raw}).data(), stamp));
    EXPECT_EQ(TheSetup().ReadingByName(".heat", 5005), 300.0);
    EXPECT_EQ(TheSetup().ReadingByName(".HEAT", 5025), 800.0);
    EXPECT_EQ(TheSetup().ReadingByName(".heat", 0), 500.0);
    EXPECT_DOUBLE_EQ(TheSetup().ReadingByName("heat", 5005), ThermistorCelsius(300) + 3.0);
    for (const char* name : {"", ".", "nothing", "fan", ".fan"})
        EXPECT_EQ(TheSetup().ReadingByName(name, 0), 0.0) << name;
}

TEST_F(SetupTest, DirectionWordsSetTheirOutputsDirectionAndMoveWhenRenamed) {
    ASSERT_TRUE(TheSetup().SetDirectionName1(9, "Forth"));
    ASSERT_TRUE(TheSetup().SetDirectionName0(9, "back"));
    const auto sent = [&](auto call) {
        Port().ClearWritten();
        call();
        return Sent();
    };
    const auto direction1 = sent([] { ControlBox_SetDirection(2, 1); });
    const auto direction0 = sent([] { ControlBox_SetDirection(2, 0); });
    ASSERT_NE(direction1, direction0);
    EXPECT_EQ(sent([] { EXPECT_EQ(RunLogo("forth"), ""); }), direction1);
    EXPECT_EQ(sent([] { EXPECT_EQ(RunLogo("BACK"), ""); }), direction0);

    ASSERT_TRUE(TheSetup().SetDirectionName1(9, "raise"));
    EXPECT_FALSE(IsDefined("forth"));
    EXPECT_EQ(ErrorTextOf([&] { TheSetup().SetDirectionName1(9, "back"); }),
              Message(-21, {"back"}));
    EXPECT_EQ(TheSetup().GetDirectionName1(9), "raise");
    // Port 17 keeps direction names but has no output to send to.
    ASSERT_TRUE(TheSetup().SetDirectionName1(17, "nowhere"));
    EXPECT_EQ(sent([] { EXPECT_EQ(RunLogo("nowhere"), ""); }), Bytes({}));
}

TEST_F(SetupTest, TheDotPrimitivesChangeTheSetupFromLogo) {
    ASSERT_TRUE(TheSetup().SetToolType(3, kToolRaw));
    EXPECT_EQ(RunLogo(".setboxname 3 \"Lever"), "");
    Decode(3, {.raw = 42});
    EXPECT_EQ(EvalLogo("lever"), "42");
    EXPECT_EQ(RunLogo(".setboxname 2 \"print"), Message(-21, {"print"}));

    EXPECT_EQ(RunLogo(".setonfor 9 5"), "");
    EXPECT_EQ(ControlBox_GetWaitSource(1), 5);
    EXPECT_EQ(RunLogo(".setonfor 9 3"), Message(-14, {"3", "4", "7"}));
    EXPECT_EQ(RunLogo(".setonfor 9 15"), "");
    EXPECT_EQ(ControlBox_GetWaitSource(1), kWaitByTime);

    EXPECT_EQ(RunLogo(".setboxunit 2 \"raw .setboxunit 1 \"Fahrenheit"), "");
    EXPECT_EQ(TheSetup().GetToolType(2), kToolRaw);
    EXPECT_EQ(TheSetup().GetPortType(2), kPortLight);
    EXPECT_EQ(TheSetup().GetToolType(1), kToolFahrenheit);
    EXPECT_EQ(RunLogo(".setboxunit 1 \"kelvin"), Message(-4, {".setboxunit", "kelvin"}));

    EXPECT_EQ(RunLogo(".setboxaction 3 [print \"a] [print \"b]"), "");
    EXPECT_EQ(TheSetup().GetActionA(3), "print \"a");
    EXPECT_EQ(TheSetup().GetActionB(3), "print \"b");
    EXPECT_EQ(RunLogo(".setboxaction 4 [] []"), Message(-14, {"4", "0", "3"}));

    SetActiveSetup(nullptr);
    EXPECT_EQ(EvalLogo("lever"), Message(-61, {"lever"}));
    EXPECT_EQ(RunLogo(".setonfor 9 5"), Message(-61, {".setonfor"}));
}

// The setup page plugs devices in: each brings its unit, a zero offset and
// a default name, numbered on when the name is taken.
TEST_F(SetupTest, APluggedDeviceBringsItsUnitAndAFreeDefaultName) {
    ASSERT_TRUE(TheSetup().SetOffset(0, 2.5));
    ASSERT_EQ(Define("to touch2\r\nend\r\n"), "");
    ASSERT_TRUE(TheSetup().SetDirectionName1(9, "forth"));
    const struct {
        int port;
        int32_t device;
        const char* name;
        int32_t tool;
    } cases[] = {
        {0, kPortTemperature, "temperature1", kToolCelsius},
        {1, kPortTouch, "touch2_2", kToolBoolean},
        {5, kPortAngle, "angle6", kToolRotation},
        {9, kPortLamp, "lampB", kToolNone},
    };
    for (const auto& [port, device, name, tool] : cases) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(PlugDevice(TheSetup(), port, device));
        EXPECT_EQ(TheSetup().GetPortType(port), device);
        EXPECT_EQ(TheSetup().GetPortName(port), name);
        if (port < kSetupInputs) {
            EXPECT_EQ(TheSetup().GetToolType(port), tool);
        }
    }
    EXPECT_EQ(TheSetup().GetOffset(0), 0.0);
    EXPECT_EQ(TheSetup().GetDirectionName1(9), "");
    EXPECT_FALSE(PlugDevice(TheSetup(), 0, kPortLight));  // light sensors go on inputs 5-8
    EXPECT_FALSE(PlugDevice(TheSetup(), 9, kPortTouch));

    ASSERT_TRUE(PlugDevice(TheSetup(), 1, kPortNothing));
    EXPECT_EQ(TheSetup().GetPortName(1), "");
    EXPECT_EQ(TheSetup().GetPortType(1), kPortNothing);
    EXPECT_EQ(TheSetup().GetToolType(1), kToolNone);
    EXPECT_FALSE(IsDefined("touch2_2"));
}

TEST_F(SetupTest, AnInputsActionStartsOncePerCounterChangeByItsState) {
    for (int input = 0; input < kSetupInputs; ++input) {
        const std::string n = std::to_string(input);
        ASSERT_TRUE(TheSetup().SetActionA(input, "print \"a" + n));
        ASSERT_TRUE(TheSetup().SetActionB(input, input == 3 ? "" : "print \"b" + n));
    }
    // What the actions started so far printed, sorted: they run side by side.
    CaptureHost host;
    const auto printed = [&] {
        EXPECT_TRUE(WaitForAllTasks(10000));
        std::vector<std::string> lines;
        std::istringstream text(host.Text());
        for (std::string line; std::getline(text, line);)
            lines.push_back(line.substr(0, line.find('\r')));
        std::sort(lines.begin(), lines.end());
        host.Clear();
        return lines;
    };
    TakeNotices();
    const auto frame = [&](InputWord word) {
        Decode(2, word);
        for (const Notice& notice : TakeNotices())
            if (notice.number == kInputEvents)
                TheSetup().RunInputEvents(static_cast<uint32_t>(notice.wParam),
                                          static_cast<uint32_t>(notice.lParam));
        return printed();
    };
    using Lines = std::vector<std::string>;
    EXPECT_EQ(frame({.edges = 1, .digital = false}), Lines{"a2"});
    EXPECT_EQ(frame({.edges = 0, .digital = true}), Lines{});  // the flag alone changed
    EXPECT_EQ(frame({.edges = 1, .digital = true}), Lines{"b2"});
    // Several inputs at once; input 4's empty action and inputs 5-8 start nothing.
    TheSetup().RunInputEvents(0b1101, 0xFF);
    EXPECT_EQ(printed(), (Lines{"a1", "b0", "b2"}));
}

// The link's open puts the driver's wait sources back to time; the open
// project's choices are handed to it again.
class SetupAcrossAnOpen : public LinkFixture {};

TEST_F(SetupAcrossAnOpen, TheActiveSetupsWaitSourcesSurviveTheOpensReset) {
    auto setup = std::make_shared<CSetupData>(nullptr);
    ASSERT_TRUE(setup->SetWaitSource(10, 6));
    ASSERT_TRUE(setup->SetWaitSource(15, 4));
    SetActiveSetup(setup);
    OpenFake();
    EXPECT_EQ(ControlBox_GetWaitSource(2), 6);
    EXPECT_EQ(ControlBox_GetWaitSource(7), 4);
    ControlBox_Close();

    SetActiveSetup(nullptr);
    OpenFake();
    EXPECT_EQ(ControlBox_GetWaitSource(2), kWaitByTime);
    ResetOutputs();
}

}  // namespace
