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
#include "LogoCore/MainThreadCall.h"
#include "LogoTestPrimitives.h"
#include "SetupTestSupport.h"
#include "box/Thermistor.h"
#include "box/TimedOutputs.h"
#include "platform/TextCatalog.h"

namespace {

// Frames that turn the rotation sensor on the input by single steps.
void Turn(int input, int steps) {
    const InputWord step{.countUp = steps > 0, .stepCode = 1};
    for (int i = 0; i < std::abs(steps); ++i)
        ASSERT_TRUE(ControlBox_DecodeFrame(FrameWith(input, step).data()));
}

// The bytes the call sends.
template <typename Call>
std::vector<uint8_t> SentBy(FakePort& port, Call call) {
    port.ClearWritten();
    call();
    return port.Written();
}

TEST_F(SetupTest, StartsEmptyWithEveryWaitSourceByTime) {
    for (int port = 0; port < kSetupPorts; ++port) EXPECT_EQ(TheSetup().GetPortName(port), "");
    for (int port = 0; port <= kSetupPorts; ++port) EXPECT_EQ(TheSetup().GetPortType(port), 0);
    for (int input = 0; input < kSetupInputs; ++input) {
        EXPECT_EQ(TheSetup().GetToolType(input), 0);
        EXPECT_EQ(TheSetup().GetOffset(input), 0.0);
    }
    for (int port = kFirstOutputPort; port <= kLastWaitPort; ++port)
        EXPECT_EQ(TheSetup().GetWaitSource(port), kWaitByTime);
    EXPECT_TRUE(names_.All().empty());
}

TEST_F(SetupTest, RefusesPortsOutOfRange) {
    EXPECT_FALSE(TheSetup().SetPortName(17, "x"));
    EXPECT_FALSE(TheSetup().SetPortName(-1, "x"));
    EXPECT_EQ(TheSetup().GetPortName(17), "");
    EXPECT_TRUE(TheSetup().SetPortType(17, 5));  // the 18th slot
    EXPECT_EQ(TheSetup().GetPortType(17), 5);
    EXPECT_FALSE(TheSetup().SetPortType(18, 5));
    EXPECT_EQ(TheSetup().GetPortType(18), 0);
    EXPECT_FALSE(TheSetup().SetToolType(8, 3));
    EXPECT_FALSE(TheSetup().SetOffset(8, 1.0));
    EXPECT_FALSE(TheSetup().SetActionA(8, "x"));
    EXPECT_FALSE(TheSetup().SetActionB(-1, "x"));
    EXPECT_FALSE(TheSetup().SetWaitSource(7, 4));
    EXPECT_FALSE(TheSetup().SetWaitSource(18, 4));
    EXPECT_EQ(TheSetup().GetWaitSource(7), kNoWaitSource);
    EXPECT_EQ(TheSetup().GetWaitSource(18), kNoWaitSource);
    EXPECT_FALSE(TheSetup().SetDirectionName1(7, "x"));
    EXPECT_FALSE(TheSetup().SetDirectionName0(18, "x"));
    EXPECT_FALSE(IsDefined("x"));
    EXPECT_TRUE(names_.All().empty());
}

TEST_F(SetupTest, ANamedInputIsAWordInAnyCaseAndAProjectNameOfValuePortPlusOne) {
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolRaw));
    ASSERT_TRUE(TheSetup().SetPortName(2, "Knob"));
    Decode(2, {.raw = 700});
    EXPECT_EQ(EvalLogo("knob"), "700");
    EXPECT_EQ(EvalLogo("KNOB"), "700");
    EXPECT_EQ(names_.ValueOf("knob"), 3);
    EXPECT_EQ(TheSetup().GetPortName(2), "Knob");
}

TEST_F(SetupTest, ANamedOutputIsAProjectNameButNoWord) {
    ASSERT_TRUE(TheSetup().SetPortName(9, "Fan"));
    ASSERT_TRUE(TheSetup().SetPortName(16, "Spare"));
    EXPECT_EQ(names_.ValueOf("fan"), 10);
    EXPECT_EQ(names_.ValueOf("spare"), 17);
    EXPECT_FALSE(IsDefined("fan"));
    EXPECT_FALSE(IsDefined("spare"));
}

TEST_F(SetupTest, RenamingMovesTheWordAndTheProjectName) {
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolRaw));
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    ASSERT_TRUE(TheSetup().SetPortName(2, "dial"));
    EXPECT_FALSE(IsDefined("knob"));
    EXPECT_FALSE(names_.ValueOf("knob"));
    EXPECT_EQ(names_.ValueOf("dial"), 3);
    Decode(2, {.raw = 10});
    EXPECT_EQ(EvalLogo("dial"), "10");

    ASSERT_TRUE(TheSetup().SetPortName(2, ""));
    EXPECT_FALSE(IsDefined("dial"));
    EXPECT_TRUE(names_.All().empty());
    EXPECT_EQ(TheSetup().GetPortName(2), "");
}

TEST_F(SetupTest, RespellingTheSameNameKeepsTheWordAndTheEntry) {
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolRaw));
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    ASSERT_TRUE(TheSetup().SetPortName(2, "KNOB"));
    EXPECT_EQ(TheSetup().GetPortName(2), "KNOB");
    EXPECT_TRUE(IsDefined("knob"));
    EXPECT_EQ(names_.ValueOf("knob"), 3);
}

TEST_F(SetupTest, ATakenNameRaises21AndChangesNothing) {
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolRaw));
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    names_.EnterPortName("Button1", 0);  // a page object
    ASSERT_EQ(Define("to door\r\nprint 1\r\nend\r\n"), "");

    EXPECT_EQ(LogoErrorOf([&] { TheSetup().SetPortName(2, "button1"); }),
              Message(-21, {"button1"}));
    EXPECT_EQ(LogoErrorOf([&] { TheSetup().SetPortName(2, "door"); }), Message(-21, {"door"}));
    EXPECT_EQ(LogoErrorOf([&] { TheSetup().SetPortName(2, "Print"); }), Message(-21, {"Print"}));
    EXPECT_EQ(LogoErrorOf([&] { TheSetup().SetPortName(3, "KNOB"); }), Message(-21, {"KNOB"}));

    EXPECT_EQ(TheSetup().GetPortName(2), "knob");
    EXPECT_EQ(TheSetup().GetPortName(3), "");
    EXPECT_TRUE(IsDefined("knob"));
    EXPECT_EQ(names_.All(), (std::map<std::string, int32_t>{{"button1", 0}, {"knob", 3}}));
    EXPECT_EQ(RunLogo("door"), "1\r\n");
    EXPECT_EQ(RunLogo("print 2"), "2\r\n");
}

TEST_F(SetupTest, ANameRefusedByTheTableAfterTheCheckLeavesTheOldState) {
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolRaw));
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    names_.RefuseNextEnter();
    EXPECT_EQ(LogoErrorOf([&] { TheSetup().SetPortName(2, "dial"); }), Message(-21, {"dial"}));
    EXPECT_EQ(TheSetup().GetPortName(2), "knob");
    EXPECT_TRUE(IsDefined("knob"));
    EXPECT_FALSE(IsDefined("dial"));
    EXPECT_EQ(names_.All(), (std::map<std::string, int32_t>{{"knob", 3}}));
}

TEST_F(SetupTest, WithoutAProjectTableTwoInputsStillCannotShareAWord) {
    CSetupData bare(nullptr);
    ASSERT_TRUE(bare.SetPortName(1, "left"));
    EXPECT_EQ(LogoErrorOf([&] { bare.SetPortName(2, "LEFT"); }), Message(-21, {"LEFT"}));
    EXPECT_EQ(bare.GetPortName(2), "");
    ASSERT_TRUE(TheSetup().SetToolType(1, kToolRaw));
    Decode(1, {.raw = 77});
    ASSERT_TRUE(bare.SetToolType(1, kToolRaw));  // the word reads the active setup
    EXPECT_EQ(EvalLogo("left"), "77");
}

TEST_F(SetupTest, ASetupThatGoesTakesItsWordsAndNamesAlong) {
    ASSERT_TRUE(TheSetup().SetPortName(0, "door"));
    ASSERT_TRUE(TheSetup().SetPortName(8, "motor"));
    ASSERT_TRUE(TheSetup().SetDirectionName1(8, "open"));
    ASSERT_TRUE(TheSetup().SetDirectionName0(8, "shut"));
    ASSERT_TRUE(IsDefined("door") && IsDefined("open") && IsDefined("shut"));
    SetActiveSetup(nullptr);
    setup_.reset();
    EXPECT_FALSE(IsDefined("door"));
    EXPECT_FALSE(IsDefined("open"));
    EXPECT_FALSE(IsDefined("shut"));
    EXPECT_TRUE(names_.All().empty());
}

TEST_F(SetupTest, AnOldSetupGoingLaterLeavesTheWordsANewOneTookOver) {
    auto old = std::make_unique<CSetupData>(nullptr);
    ASSERT_TRUE(old->SetPortName(2, "knob"));
    ASSERT_TRUE(old->SetDirectionName1(8, "open"));
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    ASSERT_TRUE(TheSetup().SetDirectionName1(8, "open"));
    old.reset();
    EXPECT_TRUE(IsDefined("knob"));
    EXPECT_TRUE(IsDefined("open"));
}

TEST_F(SetupTest, WordOfAnInputWithoutToolTypeRaisesError1) {
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    EXPECT_EQ(EvalLogo("knob"), Message(-1, {"knob"}));
}

TEST_F(SetupTest, WordWithAnUnknownToolTypeIsAnInternalError) {
    ASSERT_TRUE(TheSetup().SetToolType(2, 9));
    EXPECT_THROW(Release(TheSetup().ReadInputWord(2)), InternalError);
}

TEST_F(SetupTest, WordWithoutAnOpenProjectRaises61) {
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolRaw));
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    SetActiveSetup(nullptr);
    EXPECT_EQ(EvalLogo("knob"), Message(-61, {"knob"}));
}

TEST_F(SetupTest, DegreesKeepTheSignInTheWordButNotInTheTextOrByName) {
    ASSERT_TRUE(TheSetup().SetToolType(4, kToolDegrees));
    ASSERT_TRUE(TheSetup().SetPortName(4, "arm"));
    Turn(4, -37);
    EXPECT_EQ(EvalLogo("arm"), "-112.5");
    EXPECT_EQ(TheSetup().ReadingText(4), "112.5");
    EXPECT_EQ(TheSetup().ReadingByName("arm", 0), 112.5);
    ASSERT_TRUE(TheSetup().SetToolType(4, kToolRotation));
    EXPECT_EQ(EvalLogo("arm"), "-37");
    EXPECT_EQ(TheSetup().ReadingText(4), "-37");
    EXPECT_EQ(TheSetup().ReadingByName("ARM", 0), -37.0);
}

TEST_F(SetupTest, RawReadingsTakeTheOffsetOnlyInTheLiveText) {
    ASSERT_TRUE(TheSetup().SetToolType(5, kToolRaw));
    ASSERT_TRUE(TheSetup().SetOffset(5, 1.5));
    ASSERT_TRUE(TheSetup().SetPortName(5, "eye"));
    Decode(5, {.raw = 700});
    EXPECT_EQ(EvalLogo("eye"), "700");
    EXPECT_EQ(TheSetup().ReadingText(5), "701.5");
    EXPECT_EQ(TheSetup().ReadingByName("eye", 0), 700.0);
}

TEST_F(SetupTest, ReadingAnInputTheBoxLacksRaises13) {
    EXPECT_EQ(LogoErrorOf([&] { Release(TheSetup().ReadInputWord(8)); }), Message(-13, {"9"}));
    EXPECT_EQ(LogoErrorOf([&] { Release(TheSetup().ReadInputWord(-1)); }), Message(-13, {"0"}));
}

TEST_F(SetupTest, LightAndCelsiusAddTheOffset) {
    ASSERT_TRUE(TheSetup().SetToolType(5, kToolPercent));
    ASSERT_TRUE(TheSetup().SetOffset(5, 0.5));
    ASSERT_TRUE(TheSetup().SetPortName(5, "eye"));
    ASSERT_TRUE(TheSetup().SetToolType(1, kToolCelsius));
    ASSERT_TRUE(TheSetup().SetOffset(1, -1.0));
    ASSERT_TRUE(TheSetup().SetPortName(1, "heat"));
    std::array<InputWord, 8> inputs{};
    inputs[5].raw = 700;
    inputs[1].raw = 600;
    ASSERT_TRUE(ControlBox_DecodeFrame(MakeFrame(inputs).data()));

    const double light = ControlBox_LightPercent(5, 0) + 0.5;  // 50.78 + 0.5
    EXPECT_EQ(EvalLogo("eye"), FormatReal(light));
    EXPECT_EQ(TheSetup().ReadingText(5), "51.28");
    EXPECT_DOUBLE_EQ(TheSetup().ReadingByName("eye", 0), light);

    const double celsius = ThermistorCelsius(600) - 1.0;
    EXPECT_EQ(EvalLogo("heat"), FormatReal(celsius));
    EXPECT_EQ(TheSetup().ReadingText(1), FormatReal(celsius));
    EXPECT_DOUBLE_EQ(TheSetup().ReadingByName("heat", 0), celsius);
}

TEST(FahrenheitCut, CutsToTenthsWithoutRounding) {
    EXPECT_DOUBLE_EQ(FahrenheitCutToTenths(21.07), 69.9);  // 69.926
    EXPECT_DOUBLE_EQ(FahrenheitCutToTenths(21.0), 69.8);
    EXPECT_DOUBLE_EQ(FahrenheitCutToTenths(21.1), 69.9);  // 69.98
    EXPECT_DOUBLE_EQ(FahrenheitCutToTenths(-20.0), -4.0);
    EXPECT_DOUBLE_EQ(FahrenheitCutToTenths(-20.07), -4.1);  // -4.126 toward zero
}

TEST(FahrenheitCut, KeepsEveryWholeTenthOfTheSensorTable) {
    // Each Celsius tenth whose Fahrenheit value is a whole number of tenths
    // keeps it, though the binary value may lie just below.
    for (int tenths = -600; tenths <= 1600; tenths += 5) {
        const int fahrenheitTenths = tenths * 18 / 10 + 320;  // exact for multiples of 5
        EXPECT_DOUBLE_EQ(FahrenheitCutToTenths(tenths / 10.0), fahrenheitTenths / 10.0)
            << tenths / 10.0 << " C";
    }
}

TEST_F(SetupTest, FahrenheitIsCutThenTheOffsetAdded) {
    ASSERT_TRUE(TheSetup().SetToolType(1, kToolFahrenheit));
    ASSERT_TRUE(TheSetup().SetOffset(1, 0.25));
    ASSERT_TRUE(TheSetup().SetPortName(1, "heat"));
    Decode(1, {.raw = 600});
    const double expected = FahrenheitCutToTenths(ThermistorCelsius(600)) + 0.25;
    EXPECT_EQ(EvalLogo("heat"), FormatReal(expected));
    EXPECT_EQ(TheSetup().ReadingText(1), FormatReal(expected));
    EXPECT_DOUBLE_EQ(TheSetup().ReadingByName("heat", 0), expected);
}

TEST_F(SetupTest, BooleanShowsTheTrueTextWhileTheStoredFlagIsZero) {
    ASSERT_TRUE(TheSetup().SetToolType(0, kToolBoolean));
    ASSERT_TRUE(TheSetup().SetPortName(0, "touch"));
    Decode(0, {.digital = false});
    EXPECT_EQ(EvalLogo("touch"), platform::ResourceText(1000));
    EXPECT_EQ(TheSetup().ReadingText(0), platform::ResourceText(1000));
    EXPECT_EQ(TheSetup().ReadingByName("touch", 0), 1.0);
    Decode(0, {.digital = true});
    EXPECT_EQ(EvalLogo("touch"), platform::ResourceText(1001));
    EXPECT_EQ(TheSetup().ReadingText(0), platform::ResourceText(1001));
    EXPECT_EQ(TheSetup().ReadingByName("touch", 0), 0.0);
}

TEST_F(SetupTest, CountIsTheCounterHalved) {
    ASSERT_TRUE(TheSetup().SetToolType(0, kToolCount));
    ASSERT_TRUE(TheSetup().SetPortName(0, "clicks"));
    Decode(0, {.edges = 3});
    EXPECT_EQ(EvalLogo("clicks"), "1");
    EXPECT_EQ(TheSetup().ReadingText(0), "1");
    Decode(0, {.edges = 2});
    EXPECT_EQ(EvalLogo("clicks"), "2");
    EXPECT_EQ(TheSetup().ReadingByName("clicks", 0), 2.0);
}

TEST_F(SetupTest, NoToolTypeGivesAnEmptyTextAndZeroByName) {
    ASSERT_TRUE(TheSetup().SetPortName(0, "gadget"));
    Decode(0, {.raw = 400});
    EXPECT_EQ(TheSetup().ReadingText(0), "");
    EXPECT_EQ(TheSetup().ReadingByName("gadget", 0), 0.0);
    EXPECT_EQ(TheSetup().ReadingText(8), "");
}

TEST_F(SetupTest, ByNameADotReadsTheRawValueAtTheTimeWhateverTheToolType) {
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolCelsius));
    ASSERT_TRUE(TheSetup().SetOffset(2, 3.0));
    ASSERT_TRUE(TheSetup().SetPortName(2, "Heat"));
    Decode(2, {.raw = 300}, 5000);
    Decode(2, {.raw = 800}, 5020);
    Decode(2, {.raw = 500}, 5040);
    EXPECT_EQ(TheSetup().ReadingByName(".heat", 5005), 300.0);
    EXPECT_EQ(TheSetup().ReadingByName(".HEAT", 5025), 800.0);
    EXPECT_EQ(TheSetup().ReadingByName(".heat", 0), 500.0);
    EXPECT_DOUBLE_EQ(TheSetup().ReadingByName("heat", 5005), ThermistorCelsius(300) + 3.0);
}

TEST_F(SetupTest, ByNameAnUnknownEmptyOrOutputNameReadsZero) {
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolRaw));
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    ASSERT_TRUE(TheSetup().SetPortName(9, "fan"));
    Decode(2, {.raw = 600});
    EXPECT_EQ(TheSetup().ReadingByName("knob", 0), 600.0);
    EXPECT_EQ(TheSetup().ReadingByName("", 0), 0.0);
    EXPECT_EQ(TheSetup().ReadingByName(".", 0), 0.0);
    EXPECT_EQ(TheSetup().ReadingByName("nothing", 0), 0.0);
    EXPECT_EQ(TheSetup().ReadingByName("fan", 0), 0.0);
    EXPECT_EQ(TheSetup().ReadingByName(".fan", 0), 0.0);
}

TEST_F(SetupTest, DirectionWordsSetTheirOutputsDirection) {
    ASSERT_TRUE(TheSetup().SetDirectionName1(9, "Forth"));
    ASSERT_TRUE(TheSetup().SetDirectionName0(9, "back"));
    EXPECT_EQ(TheSetup().GetDirectionName1(9), "Forth");
    const auto direction1 = SentBy(Port(), [] { ControlBox_SetDirection(2, 1); });
    const auto direction0 = SentBy(Port(), [] { ControlBox_SetDirection(2, 0); });
    ASSERT_NE(direction1, direction0);
    EXPECT_EQ(SentBy(Port(), [] { EXPECT_EQ(RunLogo("forth"), ""); }), direction1);
    EXPECT_EQ(SentBy(Port(), [] { EXPECT_EQ(RunLogo("BACK"), ""); }), direction0);
}

TEST_F(SetupTest, RenamingADirectionMovesItsWordAndARefusedNameChangesNothing) {
    ASSERT_TRUE(TheSetup().SetDirectionName1(8, "open"));
    ASSERT_TRUE(TheSetup().SetDirectionName0(8, "shut"));
    ASSERT_TRUE(TheSetup().SetDirectionName1(8, "raise"));
    EXPECT_FALSE(IsDefined("open"));
    EXPECT_TRUE(IsDefined("raise"));

    // The other direction's word, another output's word, a primitive.
    EXPECT_EQ(LogoErrorOf([&] { TheSetup().SetDirectionName1(8, "shut"); }),
              Message(-21, {"shut"}));
    ASSERT_TRUE(TheSetup().SetDirectionName1(10, "lift"));
    EXPECT_EQ(LogoErrorOf([&] { TheSetup().SetDirectionName1(8, "lift"); }),
              Message(-21, {"lift"}));
    EXPECT_EQ(LogoErrorOf([&] { TheSetup().SetDirectionName1(8, "print"); }),
              Message(-21, {"print"}));
    EXPECT_EQ(TheSetup().GetDirectionName1(8), "raise");
    EXPECT_TRUE(IsDefined("raise"));
    EXPECT_TRUE(IsDefined("lift"));

    // The same name again, in any case, keeps the word.
    ASSERT_TRUE(TheSetup().SetDirectionName1(8, "RAISE"));
    EXPECT_TRUE(IsDefined("raise"));
    ASSERT_TRUE(TheSetup().SetDirectionName1(8, ""));
    EXPECT_FALSE(IsDefined("raise"));
}

TEST_F(SetupTest, DirectionNamesOfPorts16And17ExistButSendNothing) {
    ASSERT_TRUE(TheSetup().SetDirectionName1(17, "nowhere"));
    EXPECT_EQ(TheSetup().GetDirectionName1(17), "nowhere");
    EXPECT_EQ(SentBy(Port(), [] { EXPECT_EQ(RunLogo("nowhere"), ""); }), Bytes({}));
}

TEST_F(SetupTest, WaitSourcesGoToTheDriverExceptPort17s) {
    ASSERT_TRUE(TheSetup().SetWaitSource(10, 6));
    EXPECT_EQ(ControlBox_GetWaitSource(2), 6);
    EXPECT_EQ(TheSetup().GetWaitSource(10), 6);
    ASSERT_TRUE(TheSetup().SetWaitSource(17, 5));
    EXPECT_EQ(TheSetup().GetWaitSource(17), kWaitByTime);
    // A value no byte holds runs by time.
    ASSERT_TRUE(TheSetup().SetWaitSource(11, 260));
    EXPECT_EQ(ControlBox_GetWaitSource(3), kWaitByTime);

    ResetOutputs();
    EXPECT_EQ(ControlBox_GetWaitSource(2), kWaitByTime);
    TheSetup().ApplyWaitSources();
    EXPECT_EQ(ControlBox_GetWaitSource(2), 6);
}

TEST_F(SetupTest, SetBoxNameNamesAPortFromLogo) {
    ASSERT_TRUE(TheSetup().SetToolType(3, kToolRaw));
    EXPECT_EQ(RunLogo(".setboxname 3 \"Lever"), "");
    EXPECT_EQ(TheSetup().GetPortName(3), "Lever");
    Decode(3, {.raw = 42});
    EXPECT_EQ(EvalLogo("lever"), "42");
    EXPECT_EQ(RunLogo(".setboxname 16 \"spare"), "");
    EXPECT_EQ(names_.ValueOf("spare"), 17);
    EXPECT_EQ(RunLogo(".setboxname 3 \"||"), "");
    EXPECT_FALSE(IsDefined("lever"));
}

TEST_F(SetupTest, SetBoxNameRefusesABadPortATakenNameAndAList) {
    EXPECT_EQ(RunLogo(".setboxname 17 \"x"), Message(-14, {"17", "0", "16"}));
    EXPECT_EQ(RunLogo(".setboxname -1 \"x"), Message(-14, {"-1", "0", "16"}));
    EXPECT_EQ(RunLogo(".setboxname 2 \"print"), Message(-21, {"print"}));
    EXPECT_EQ(RunLogo(".setboxname 2 [a b]"), Message(-4, {".setboxname", "[a b]"}));
    EXPECT_EQ(TheSetup().GetPortName(2), "");
}

TEST_F(SetupTest, SetBoxTypeStoresTypesOfPorts0To17) {
    EXPECT_EQ(RunLogo(".setboxtype 17 8"), "");
    EXPECT_EQ(RunLogo(".setboxtype 0 2"), "");
    EXPECT_EQ(TheSetup().GetPortType(17), 8);
    EXPECT_EQ(TheSetup().GetPortType(0), 2);
    EXPECT_EQ(RunLogo(".setboxtype 18 1"), Message(-14, {"18", "0", "17"}));
}

TEST_F(SetupTest, SetOnForTakesARotationInputOrTime) {
    EXPECT_EQ(RunLogo(".setonfor 9 5"), "");
    EXPECT_EQ(TheSetup().GetWaitSource(9), 5);
    EXPECT_EQ(ControlBox_GetWaitSource(1), 5);
    EXPECT_EQ(RunLogo(".setonfor 9 15"), "");
    EXPECT_EQ(ControlBox_GetWaitSource(1), kWaitByTime);
    EXPECT_EQ(RunLogo(".setonfor 9 3"), Message(-14, {"3", "4", "7"}));
    EXPECT_EQ(RunLogo(".setonfor 9 8"), Message(-14, {"8", "4", "7"}));
    EXPECT_EQ(RunLogo(".setonfor 7 15"), Message(-14, {"7", "8", "17"}));
    EXPECT_EQ(RunLogo(".setonfor 18 15"), Message(-14, {"18", "8", "17"}));
    EXPECT_EQ(ControlBox_GetWaitSource(1), kWaitByTime);
}

TEST_F(SetupTest, SetupPrimitivesWithoutAProjectRaise61) {
    SetActiveSetup(nullptr);
    EXPECT_EQ(RunLogo(".setboxname 2 \"x"), Message(-61, {".setboxname"}));
    EXPECT_EQ(RunLogo(".setboxtype 2 1"), Message(-61, {".setboxtype"}));
    EXPECT_EQ(RunLogo(".setonfor 9 5"), Message(-61, {".setonfor"}));
}

// Touch actions run as tasks of their own; these wait for them to end.
class SetupActions : public SetupTest {
  protected:
    void SetUp() override {
        SetupTest::SetUp();
        host_ = std::make_unique<CaptureHost>();
    }
    void TearDown() override {
        ASSERT_TRUE(WaitForAllTasks(10000));
        host_.reset();
        SetupTest::TearDown();
    }

    // The lines the tasks started so far printed, in sorted order (tasks
    // run side by side).
    std::vector<std::string> Printed() {
        EXPECT_TRUE(WaitForAllTasks(10000));
        std::vector<std::string> lines;
        std::istringstream text(host_->Text());
        for (std::string line; std::getline(text, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        host_->Clear();
        return lines;
    }

    std::unique_ptr<CaptureHost> host_;
};

TEST_F(SetupActions, EachChangedInputOfTheFirstFourRunsTheActionOfItsState) {
    for (int input = 0; input < kSetupInputs; ++input) {
        ASSERT_TRUE(TheSetup().SetActionA(input, "print \"a" + std::to_string(input)));
        ASSERT_TRUE(TheSetup().SetActionB(input, "print \"b" + std::to_string(input)));
    }
    TheSetup().RunInputEvents(0b0000, 0b0100);
    EXPECT_EQ(Printed(), (std::vector<std::string>{"a2"}));
    TheSetup().RunInputEvents(0b0101, 0b0111);
    EXPECT_EQ(Printed(), (std::vector<std::string>{"a1", "b0", "b2"}));
    // Inputs 5-8 report no edges; their actions never run.
    TheSetup().RunInputEvents(0xFF, 0xF0);
    TheSetup().RunInputEvents(0xFF, 0x00);
    EXPECT_EQ(Printed(), std::vector<std::string>{});
}

TEST_F(SetupActions, AnEmptyActionStartsNothing) {
    ASSERT_TRUE(TheSetup().SetActionB(1, "print \"b1"));
    TheSetup().RunInputEvents(0b0000, 0b0010);
    TheSetup().RunInputAction(1, 1);
    TheSetup().RunInputAction(4, 1);
    EXPECT_EQ(Printed(), (std::vector<std::string>{"b1"}));
}

TEST_F(SetupActions, AFrameWhoseCounterChangedRunsItsActionOnce) {
    ASSERT_TRUE(TheSetup().SetActionA(2, "print \"pressed"));
    ASSERT_TRUE(TheSetup().SetActionB(2, "print \"released"));
    TakeNotices();
    const auto deliver = [&] {
        for (const Notice& notice : TakeNotices())
            if (notice.number == kInputEvents)
                TheSetup().RunInputEvents(static_cast<uint32_t>(notice.wParam),
                                          static_cast<uint32_t>(notice.lParam));
    };
    Decode(2, {.edges = 1, .digital = false});
    deliver();
    EXPECT_EQ(Printed(), (std::vector<std::string>{"pressed"}));
    // The flag changes, the counter does not: nothing runs.
    Decode(2, {.edges = 0, .digital = true});
    deliver();
    EXPECT_EQ(Printed(), std::vector<std::string>{});
    Decode(2, {.edges = 1, .digital = true});
    deliver();
    EXPECT_EQ(Printed(), (std::vector<std::string>{"released"}));
}

TEST_F(SetupActions, AnActionThatCannotBeReadIsReportedOnce) {
    ASSERT_TRUE(TheSetup().SetActionA(0, "print )"));
    TheSetup().RunInputAction(0, 0);
    ASSERT_TRUE(WaitForAllTasks(10000));
    const std::string reported = host_->Text();
    EXPECT_NE(reported, "");
    host_->Clear();
    EXPECT_EQ(reported, ErrorOf("print )"));
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
    EXPECT_EQ(ControlBox_GetWaitSource(0), kWaitByTime);
    ControlBox_Close();

    SetActiveSetup(nullptr);
    OpenFake();
    EXPECT_EQ(ControlBox_GetWaitSource(2), kWaitByTime);
    ResetOutputs();
}

}  // namespace
