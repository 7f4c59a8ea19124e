// Talking to outputs and page objects with the shipped names: what the
// task's selection holds afterwards, and the page-object name list.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CoreVocabulary.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/ProjectAccess.h"
#include "LogoTestPrimitives.h"

namespace {

constexpr int32_t kNotes = 41;  // a text box
constexpr int32_t kGauge = 42;  // a monitor
constexpr int32_t kPlot = 43;   // a graph
constexpr int32_t kMyBox = 44;  // a picture box whose name has a blank
constexpr int32_t kProcedures = 99;

class ClassroomProject : public ProjectAccess {
  public:
    std::optional<ProjectName> LookupName(std::string_view lowerName) override {
        if (lowerName == "notes") return ProjectName{0, 7, kNotes};
        if (lowerName == "gauge") return ProjectName{0, 6, kGauge};
        if (lowerName == "plot") return ProjectName{0, 2, kPlot};
        if (lowerName == "my box") return ProjectName{0, 1, kMyBox};
        if (lowerName == "procedures") return ProjectName{0, 7, kProcedures};
        return std::nullopt;
    }
    std::vector<std::string> PageObjectNames() override {
        return {"notes", "Procedures", "gauge", "plot", "my box"};
    }
    bool IsProceduresPage(int32_t object) override { return object == kProcedures; }
};

// The selection a task is left with after running the text (from the given
// one), and the text of the error that ended it.
struct Outcome {
    TalkToContext selection;
    std::string error;
};

Outcome RunFrom(const std::string& text, const TalkToContext& start = {}) {
    CaptureHost host;
    CLogoTask* task = CLogoTask::Create(start, true);
    Outcome out;
    try {
        Release(task->RunText(text));
    } catch (const LogoError& e) {
        out.error = ErrorText(e.handle);
        Release(e.handle);
    }
    out.selection = task->Selection();
    CLogoTask::Destroy(task);
    return out;
}

// What the selection was each time the probe ran.
std::vector<TalkToContext> probed;

CHandleData* Probe(CLogoTask* task, CHandleData**, int32_t, const std::string&) {
    probed.push_back(task->Selection());
    return nullptr;
}

class TalkToTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseCoreVocabulary();
        RegisterPrimitive("probeselection", Probe, 31201, 0, 0, 0, 0, 0);
        probed.clear();
    }
    void TearDown() override { SetOpenProject(nullptr); }
    void OpenClassroom() { SetOpenProject(std::make_shared<ClassroomProject>()); }
};

}  // namespace

TEST_F(TalkToTest, OneOutputIsSelectedAloneAndSeveralAsASet) {
    const Outcome one = RunFrom("talkto \"c");
    EXPECT_EQ(one.error, "");
    EXPECT_EQ(one.selection, (TalkToContext{.mode = 0, .outputs = 3}));
    EXPECT_EQ(RunFrom("talkto [a lampc]").selection, (TalkToContext{.mode = 1, .outputs = 0b101}));
}

TEST_F(TalkToTest, UnknownNameIsRefusedWithItsNameAndTheOutputsStay) {
    const TalkToContext start{0, 2};
    const Outcome out = RunFrom("talkto [a nosuchname]", start);
    EXPECT_EQ(out.error, Message(-4, {"talkto", "nosuchname"}));
    EXPECT_EQ(out.selection, start);
    // Output names count case; without a project page objects are unknown.
    EXPECT_EQ(RunLogo("talkto \"MotorB"), Message(-4, {"talkto", "MotorB"}));
    EXPECT_EQ(RunLogo("talkto \"notes"), Message(-4, {"talkto", "notes"}));
}

TEST_F(TalkToTest, PageObjectsFillTheirSlotsAndKeepTheOutputs) {
    OpenClassroom();
    const Outcome out = RunFrom("talkto \"b talkto [Notes plot gauge] talkto \"|my box|");
    EXPECT_EQ(out.error, "");
    EXPECT_EQ(out.selection, (TalkToContext{.outputs = 2,
                                            .pictureBox = kMyBox,
                                            .textBox = kNotes,
                                            .graph = kPlot,
                                            .monitor = kGauge,
                                            .textHolder = kGauge,
                                            .colourHolder = kGauge,
                                            .currentObject = kMyBox}));
    EXPECT_EQ(RunFrom("talkto \"procedures").selection,
              (TalkToContext{
                  .textBox = kProcedures, .textHolder = kProcedures, .colourHolder = kProcedures}));
}

TEST_F(TalkToTest, AskRestoresTheWholeSelectionEvenAfterTalkTo) {
    OpenClassroom();
    const TalkToContext start{0, 2};
    const Outcome out =
        RunFrom("ask \"c [probeselection talkto [a b notes] probeselection]", start);
    EXPECT_EQ(out.error, "");
    EXPECT_EQ(out.selection, start);
    ASSERT_EQ(probed.size(), 2u);
    EXPECT_EQ(probed[0].outputs, 3);
    EXPECT_EQ(probed[1].outputs, 0b11);
    EXPECT_EQ(probed[1].textBox, kNotes);

    const Outcome failed = RunFrom("ask \"a [talkto \"c print thing \"nosuchvariable]", start);
    EXPECT_EQ(failed.error, Message(-17, {"nosuchvariable"}));
    EXPECT_EQ(failed.selection, start);
}

TEST_F(TalkToTest, AskOutputsWhatItsListOutputs) {
    EXPECT_EQ(EvalLogo("ask \"a [\"done]"), "done");
    EXPECT_EQ(RunLogo("ask \"a []"), Message(-4, {"ask", "[]"}));
    EXPECT_EQ(RunLogo("ask \"a \"b"), Message(-4, {"ask", "b"}));
}

TEST_F(TalkToTest, ObjectsListsThePageObjectsWithoutTheProceduresPage) {
    EXPECT_EQ(RunLogo("print objects"), Message(-61, {"objects"}));
    OpenClassroom();
    EXPECT_EQ(EvalLogo("objects"), "[notes gauge plot |my box|]");
}
