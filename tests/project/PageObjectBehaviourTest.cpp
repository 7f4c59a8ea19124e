// Buttons, sliders, monitors and text boxes as the window and Logo use
// them, and the page-object primitives with their errors.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "LogoCore/LogoTask.h"
#include "LogoTestPrimitives.h"
#include "ProjectTestSupport.h"
#include "project/ObjectActions.h"

namespace {

TEST(SliderBehaviour, RoundsHalvesAwayFromZeroAndClamps) {
    struct Case {
        int whole;
        double value, shown;
    };
    const Case cases[] = {{1, 9.7, 8},   {1, 3.6, 4}, {1, 2.5, 3}, {1, -2.5, 0},
                          {0, 2.5, 2.5}, {1, 7.5, 8}, {0, 8.1, 8}};
    for (const Case& c : cases) {
        CSlider slider;
        slider.wholeNumbers = c.whole;
        EXPECT_FALSE(slider.SetValue(c.value)) << "no list, no task";
        EXPECT_EQ(slider.value, c.shown) << c.value;
    }
    CSlider slider;
    slider.function = "setpower speed";
    EXPECT_TRUE(slider.SetValue(2.5));
    EXPECT_TRUE(slider.SetValue(3)) << "the list runs even when the value stays";
    EXPECT_TRUE(slider.SetLimits(5, 8));
    EXPECT_EQ(slider.value, 5);
    EXPECT_FALSE(slider.SetLimits(4.6, 7.6)) << "the value is within the rounded limits";
    EXPECT_EQ(slider.minimum, 5);
    EXPECT_EQ(slider.maximum, 8);
}

TEST(ButtonBehaviour, MomentaryAndToggleModes) {
    CPageButton button;
    button.mode = 0;
    button.firstList = "on wait 100";
    button.secondList = "off";
    // The first list outlasts the press: the second starts when it ends.
    EXPECT_EQ(button.Press(), ButtonList::kFirst);
    EXPECT_EQ(button.Release(), ButtonList::kNone);
    EXPECT_TRUE(button.down);
    EXPECT_EQ(button.TaskFinished(), ButtonList::kSecond);
    EXPECT_EQ(button.TaskFinished(), ButtonList::kNone);
    EXPECT_FALSE(button.down);
    // Held down after the first list: the release starts the second.
    EXPECT_EQ(button.Press(), ButtonList::kFirst);
    EXPECT_EQ(button.TaskFinished(), ButtonList::kNone);
    EXPECT_TRUE(button.down);
    EXPECT_EQ(button.Release(), ButtonList::kSecond);
    EXPECT_EQ(button.Press(), ButtonList::kNone) << "its task still runs";
    EXPECT_EQ(button.Release(), ButtonList::kNone);
    EXPECT_EQ(button.TaskFinished(), ButtonList::kNone);
    EXPECT_FALSE(button.down);

    CPageButton toggle;  // mode 1, no lists: flips and starts nothing
    for (const bool down : {true, false, true}) {
        EXPECT_EQ(toggle.Press(), ButtonList::kNone);
        EXPECT_EQ(toggle.Release(), ButtonList::kNone);
        EXPECT_EQ(toggle.down, down);
        EXPECT_FALSE(toggle.running);
    }
    toggle.secondList = "off";
    EXPECT_EQ(toggle.Press(), ButtonList::kSecond);
}

TEST(MonitorBehaviour, TaskRuleAndDisplay) {
    struct Case {
        const char* text;
        bool whole;
        const char* shown;
    };
    const Case cases[] = {{"3.7", true, "4"},   {"0", true, "0"},         {"0.0", true, "0.0"},
                          {"-2.5", true, "-3"}, {"3.7", false, "3.7"},    {"dark", true, "dark"},
                          {"", true, ""},       {"12abc", true, "12abc"}, {"1e3", true, "1000"}};
    for (const Case& c : cases)
        EXPECT_EQ(CMonitor::DisplayText(c.text, c.whole), c.shown) << c.text;

    CMonitor monitor;
    EXPECT_FALSE(monitor.Activate(true)) << "an empty list starts no task";
    monitor.function = "sensor 6";
    EXPECT_TRUE(monitor.Activate(true));
    EXPECT_FALSE(monitor.Activate(true)) << "one task is enough";
    EXPECT_TRUE(monitor.Update(100, "3.7"));
    EXPECT_EQ(monitor.shown, "4");
    EXPECT_FALSE(monitor.Update(200, "5")) << "another task ends";
    EXPECT_FALSE(monitor.Activate(false));
    EXPECT_FALSE(monitor.Update(100, "6")) << "made inactive, its task ends";
    EXPECT_EQ(monitor.shown, "4");
}

TEST(TextBoxBehaviour, TextGoesInAtTheCaret) {
    CTextBox box;
    box.text = "middle";
    box.InsertText(" end");
    box.TopBottom(true);
    box.InsertText("start ");
    EXPECT_EQ(box.text, "start middle end");
    box.TopBottom(false);
    box.InsertText("!");
    EXPECT_EQ(box.text, "start middle end!");
    box.ClearText();
    box.InsertText("new");
    EXPECT_EQ(box.text, "new");
}

TEST_F(ProjectTest, PageObjectPrimitivesAndTheirErrors) {
    struct Case {
        const char* line;
        std::string result;
    };
    const Case cases[] = {
        {"activate", Message(-22, {"monitor", "activate"})},
        {"setvalue 3", Message(-22, {"slider", "setvalue"})},
        {"newobject \"slider \"speed [0 0] [100 10] setvalue 9.7 print value print speed",
         "8\r\n8\r\n"},
        {"setvalue 2.5 setlimits [5 8] print value print limits", "5\r\n[5 8]\r\n"},
        {"setlimits [8 8]", Message(-46)},
        {"newobject \"graph \"chart [0 0] [300 200] setinterval 0.1", Message(-51)},
        {"setyaxis [5 5]", Message(-46)},
        {"setyaxis [-100000 5]", Message(-14, {"[-100000 5]", "-99999", "999999"})},
        {"setcurve 2 [1 2.5 3] print curve 2 print curve 1", "[1 2.5 3]\r\n[]\r\n"},
        {"setcurve 5 [1]", Message(-4, {"setcurve", "5"})},
        {"setinterval 2 print interval print curve 2", "2\r\n[]\r\n"},
        {"newobject \"textbox \"notes [0 0] [100 50] insert \"hello insertline \"| world| top "
         "insertquoted \"A print notes",
         "\"Ahello world\r\n\r\n"},
        {"cleartext insert 7 print text print kind", "7\r\ntextbox\r\n"},
        {"setstyle 3 print style setfontsize 12 print fontsize setfont \"Courier print font",
         "3\r\n12\r\nCourier\r\n"},
        {"setcolor [1 2 3] print color hideborder hidename", "[1 2 3]\r\n"},
        {"newobject \"button \"go [0 0] [60 20] setshape \"nosuch", Message(-28, {"nosuch"})},
        {"setbuttonmode 0 setbuttonfunction [on] setbuttonfunction2 [off] print kind",
         "button\r\n"},
        {"newobject \"monitor \"m [0 0] [50 20] activate deactivate deleteobject print objects",
         "[chart go notes speed]\r\n"},
        {"talkto \"procedures settextcolor [4 5 6] setstyle 3 print textcolor", "[4 5 6]\r\n"},
        {"newpage newobject \"graph \"g2 [0 0] [300 200] startsample clearpage print objects "
         "setcurve 1 [1]",
         "[chart go notes speed]\r\n" + Message(-22, {"graph", "setcurve"})},
    };
    for (const Case& c : cases) EXPECT_EQ(RunLogo(c.line), c.result) << c.line;

    const CPageObject& notes = *doc_->FindObject("notes");
    const FontRecord& font = notes.As<CTextBox>()->font;
    EXPECT_EQ(font.weight, 700);
    EXPECT_EQ(font.italic, 1);
    EXPECT_EQ(font.underline, 0);
    EXPECT_EQ(font.strikeOut, 0);
    EXPECT_FALSE(notes.Border());
    EXPECT_FALSE(notes.NameShown());
    // The procedures page took the text colour and the style, no object.
    EXPECT_EQ(doc_->Procedures().textColour, (Colour{4, 5, 6}));
    EXPECT_EQ(doc_->Procedures().font.weight, 700);
    EXPECT_EQ(notes.As<CTextBox>()->textColour, kBlack);
    const CPageButton& go = *doc_->FindObject("go")->As<CPageButton>();
    EXPECT_EQ(go.mode, 0);
    EXPECT_EQ(go.firstList, "on");
    EXPECT_EQ(go.secondList, "off");
}

// A momentary button pressed and released: its second list starts when the
// first has ended, then it comes up.
TEST_F(ProjectTest, APressedButtonRunsItsListsAsItsTasksEnd) {
    ASSERT_EQ(RunLogo("newobject \"button \"go [0 0] [60 20] setbuttonmode 0 "
                      "setbuttonfunction [make \"a 1] setbuttonfunction2 [make \"b 2]"),
              "");
    CPageObject& object = *doc_->FindObject("go");
    const CPageButton& button = *object.As<CPageButton>();
    PressButton(*doc_, object);
    ASSERT_TRUE(WaitForAllTasks(5000));
    ReleaseButton(*doc_, object);  // the end of the first is not yet heard of
    EXPECT_EQ(RunLogo("print :a print name? \"b"), "1\r\nfalse\r\n");
    ObjectTaskFinished(object.Serial());
    ASSERT_TRUE(WaitForAllTasks(5000));
    EXPECT_EQ(RunLogo("print :b"), "2\r\n");
    EXPECT_TRUE(button.down);
    ObjectTaskFinished(object.Serial());
    EXPECT_FALSE(button.down);
    EXPECT_EQ(DefaultSelection().button, object.Serial());
}

// The monitor's own task shows its list's value until the monitor is made
// inactive, which ends the task.
TEST_F(ProjectTest, AMonitorTaskShowsItsValueUntilDeactivated) {
    ASSERT_EQ(RunLogo("newobject \"monitor \"m [0 0] [50 20] setmonitorfunction [1.5 + 2.2]"), "");
    CPageObject& object = *doc_->FindObject("m");
    ActivateObject(*doc_, object, true);
    const auto shown = [&] {
        auto hold = doc_->Lock();
        return object.As<CMonitor>()->shown;
    };
    for (int i = 0; i < 500 && shown().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(shown(), "4");
    EXPECT_EQ(ListedTaskCount(), 1);
    ActivateObject(*doc_, object, false);
    EXPECT_TRUE(WaitForAllTasks(5000));
}

}  // namespace
