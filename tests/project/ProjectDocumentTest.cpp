// The project's name table and the document that joins it to the box setup
// and to talkto.
#include <gtest/gtest.h>

#include <string>

#include "CoreVocabulary.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "LogoTestPrimitives.h"
#include "ProjectTestSupport.h"
#include "box/BoxPrimitives.h"
#include "project/KinetraDoc.h"
#include "project/ProjectNames.h"
#include "project/ProjectPrimitives.h"

namespace {

ProjectName Port(int32_t value) {
    ProjectName entry;
    entry.portValue = value;
    return entry;
}

TEST(ProjectNames, AreKeptLowerCasedAndFoundInAnyCase) {
    CProjectNames names;
    names.Enter("Door", Port(3));
    ASSERT_TRUE(names.Lookup("DOOR"));
    EXPECT_EQ(names.Lookup("dOoR")->portValue, 3);
    EXPECT_EQ(names.NamesWhere([](const ProjectName&) { return true; }),
              std::vector<std::string>{"door"});
}

TEST(ProjectNames, RefuseADuplicateInAnyCaseAndKeepTheFirst) {
    CProjectNames names;
    names.Enter("lamp", Port(10));
    EXPECT_EQ(ErrorTextOf([&] { names.Enter("LAMP", Port(11)); }), Message(-21, {"LAMP"}));
    EXPECT_EQ(names.Lookup("lamp")->portValue, 10);
}

TEST(ProjectNames, RemovingAnAbsentNameFails) {
    CProjectNames names;
    names.Enter("lamp", Port(10));
    names.Remove("LAMP");
    EXPECT_FALSE(names.Has("lamp"));
    EXPECT_EQ(WithLineEnd(ErrorTextOf([&] { names.Remove("lamp"); })), Message(-19));
}

class ProjectDocument : public ProjectTest {};

TEST_F(ProjectDocument, ReservesProceduresForTheProceduresPage) {
    const auto found = doc_->LookupName("procedures");
    ASSERT_TRUE(found);
    EXPECT_TRUE(doc_->IsProceduresPage(found->object));
    EXPECT_TRUE(doc_->PageObjectNames().empty());
    EXPECT_EQ(RunLogo("print objects"), "[]\r\n");
}

TEST_F(ProjectDocument, ANewProjectReplacesTheOpenOneAndItsWords) {
    ASSERT_TRUE(doc_->Setup().SetPortName(0, "door"));
    EXPECT_TRUE(IsDefined("door"));
    doc_ = CKinetraDoc::NewProject();
    EXPECT_FALSE(IsDefined("door"));
    EXPECT_FALSE(doc_->LookupName("door"));
}

TEST_F(ProjectDocument, ANamedOutputPortSelectsItsOutputInTalkto) {
    ASSERT_TRUE(doc_->Setup().SetPortName(9, "Fan"));  // output B
    ASSERT_TRUE(doc_->LookupName("fan"));
    EXPECT_EQ(doc_->LookupName("fan")->portValue, 10);
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
    CHandleData* result = task->RunText("talkto \"FAN");
    Release(result);
    EXPECT_EQ(task->Selection().mode, 0);
    EXPECT_EQ(task->Selection().outputs, 2);
    Release(task->RunText("talkto [a fan]"));
    EXPECT_EQ(task->Selection().mode, 1);
    EXPECT_EQ(task->Selection().outputs, 0b11);
    CLogoTask::Destroy(task);
}

TEST_F(ProjectDocument, ANamedInputPortSelectsNoOutput) {
    ASSERT_TRUE(doc_->Setup().SetPortName(2, "button"));
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
    Release(task->RunText("talkto \"c"));
    Release(task->RunText("talkto \"button"));
    EXPECT_EQ(task->Selection().outputs, 3);
    CLogoTask::Destroy(task);
}

TEST_F(ProjectDocument, APortNameCannotTakeAProceduresName) {
    ASSERT_EQ(Define("to door\r\nprint 1\r\nend\r\n"), "");
    EXPECT_EQ(ErrorTextOf([&] { doc_->Setup().SetPortName(0, "door"); }), Message(-21, {"door"}));
    EXPECT_FALSE(doc_->LookupName("door"));
    EXPECT_EQ(RunLogo("door"), "1\r\n");
}

}  // namespace
