// The variable primitives with the shipped names: setting, reading, local
// variables, erasing, and writing the globals into a text box.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "CoreVocabulary.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/ProjectAccess.h"
#include "LogoTestPrimitives.h"
#include "platform/ThreadQueue.h"

namespace {

class VariablesTest : public ::testing::Test {
  protected:
    void SetUp() override { UseCoreVocabulary(); }
};

}  // namespace

TEST_F(VariablesTest, MakeAndNameSetWhatThingReads) {
    EXPECT_EQ(RunLogo("make \"x 3 print thing \"x name [a b] \"x print :x"), "3\r\n[a b]\r\n");
    EXPECT_EQ(RunLogo("print thing \"nosuchvariable"), Message(-17, {"nosuchvariable"}));
}

// Variables are named with a colon, so they never meet a procedure's name;
// only a colon name that another kind of entry holds is refused.
TEST_F(VariablesTest, MakeRefusesBadNamesAndNamesOfOtherEntries) {
    EXPECT_EQ(RunLogo("make [a] 1"), Message(-4, {"make", "[a]"}));
    EXPECT_EQ(RunLogo("name 1 12"), Message(-4, {"name", "12"}));
    RegisterPrimitive(":taken", PrimitiveNothing, 31101, 0, 0, 0, 0, 0);
    EXPECT_EQ(RunLogo("make \"taken 1"), Message(-4, {"make", "1"}));
    EXPECT_EQ(RunLogo("make \"print 3 print :print"), "3\r\n");
}

TEST_F(VariablesTest, LocalHidesTheGlobalUntilTheProcedureEnds) {
    EXPECT_EQ(RunLogo("local \"x"), Message(-16));
    ASSERT_EQ(Define("to varshide\nlocal [X y]\nmake \"x 5\nprint :x\nend"), "");
    EXPECT_EQ(RunLogo("make \"x 1 varshide print :x"), "5\r\n1\r\n");
}

TEST_F(VariablesTest, NameTestNeedsAVariableWithAValue) {
    EXPECT_EQ(RunLogo("make \"z 1 print name? \"z print name? \"nosuchvariable"),
              "true\r\nfalse\r\n");
    // Reading :neverset declares it without a value; it is still no name.
    EXPECT_EQ(RunLogo("print :neverset"), Message(-17, {":neverset"}));
    EXPECT_EQ(EvalLogo("name? \"neverset"), "false");
    EXPECT_EQ(RunLogo("print name? [z]"), Message(-4, {"name?", "[z]"}));
}

TEST_F(VariablesTest, EraseRemovesTheNearestVariableAndEraseAllEveryGlobal) {
    ASSERT_EQ(Define("to varserase\nlocal \"w\nmake \"w 2\nern \"w\nprint :w\nend"), "");
    EXPECT_EQ(RunLogo("make \"w 1 varserase ern \"w print name? \"w"), "1\r\nfalse\r\n");
    EXPECT_EQ(RunLogo("make \"g 1 erns print name? \"g"), "false\r\n");
}

namespace {

// An open project with one text box, "notes" (id 41), and the procedures
// page under its reserved name.
class NotesProject : public ProjectAccess {
  public:
    std::optional<ProjectName> LookupName(std::string_view lowerName) override {
        if (lowerName == "notes") return ProjectName{0, 7, 41};
        if (lowerName == "procedures") return ProjectName{0, 7, kProcedures};
        return std::nullopt;
    }
    std::vector<std::string> PageObjectNames() override { return {"notes"}; }
    std::string PageObjectName(int32_t object) override { return object == 41 ? "notes" : ""; }
    bool IsProceduresPage(int32_t object) override { return object == kProcedures; }

    static constexpr int32_t kProcedures = 99;
};

// The test's thread plays the main thread and takes every insert request.
class VariablesWritingTest : public VariablesTest {
  protected:
    void SetUp() override {
        VariablesTest::SetUp();
        SetOpenProject(std::make_shared<NotesProject>());
        SetMainThread(platform::CurrentThreadId());
        while (platform::TakeMessage(0)) {
        }
    }
    void TearDown() override {
        SetMainThread(0);
        SetOpenProject(nullptr);
    }

    // Runs the text on another thread while this one answers its requests.
    std::string RunServing(const std::string& text) {
        std::atomic<bool> done{false};
        std::string shown;
        std::thread logo([&] {
            shown = RunLogo(text);
            done = true;
        });
        while (!done) {
            const auto message = platform::TakeMessage(10);
            if (!message) continue;
            auto* caller = reinterpret_cast<CallerRecord*>(message->wParam);
            if (message->number == kInsertText) {
                const auto* block = reinterpret_cast<InsertTextRequest*>(message->lParam);
                targets_.insert(block->target);
                lines_.insert(block->text);
            }
            platform::PostThreadMessage(caller->thread, {kReply, 0, 0});
            delete caller;
        }
        logo.join();
        return shown;
    }

    std::set<std::string> targets_;
    std::set<std::string> lines_;
};

}  // namespace

TEST_F(VariablesWritingTest, EachGlobalBecomesALineThatSetsItAgain) {
    EXPECT_EQ(RunServing("erns make \"n 3 make \"w \"abc make \"l [a b] make \"s \"|a b| "
                         "make \"t name? \"n talkto \"notes pons"),
              "");
    EXPECT_EQ(targets_, std::set<std::string>{"notes"});
    EXPECT_EQ(lines_,
              (std::set<std::string>{"make \"n 3\r\n", "make \"w \"abc\r\n", "make \"l [a b]\r\n",
                                     "make \"s \"|a b|\r\n", "make \"t \"true\r\n"}));
}

TEST_F(VariablesWritingTest, TheProceduresPageIsAddressedByItsOwnName) {
    EXPECT_EQ(RunServing("erns make \"p 1 talkto \"procedures pons"), "");
    EXPECT_EQ(targets_, std::set<std::string>{kProceduresTarget});
    EXPECT_EQ(lines_, std::set<std::string>{"make \"p 1\r\n"});
    lines_.clear();
    EXPECT_EQ(RunServing("pons"), Message(-22, {"textbox", "pons"}));
    SetOpenProject(nullptr);
    EXPECT_EQ(RunServing("pons"), Message(-61, {"pons"}));
    EXPECT_TRUE(lines_.empty());
}
