// The project from Logo: a project built with the primitives saves and opens
// again; file names, pages and objects; and the open project stays as it
// was whenever opening or saving fails.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "LogoCore/NameTable.h"
#include "LogoTestPrimitives.h"
#include "ProjectTestSupport.h"
#include "project/ProjectFiles.h"

namespace {

namespace fs = std::filesystem;

// Each test works in a scratch directory of its own.
class ProjectPrimitives : public ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        home_ = fs::current_path();
        dir_ = fs::temp_directory_path() / ("kinetra-projects-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(home_);
        fs::remove_all(dir_);
        ProjectTest::TearDown();
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path home_, dir_;
};

constexpr const char* kBuild =
    "newobject \"slider \"speed [10 10] [150 18]\n"
    "newobject \"graph \"chart [10 40] [100 100]\n"
    "newobject \"textbox \"notes [250 40] [150 100]\n"
    "newpage\n"
    "newobject \"button \"go [5 5] [60 20]\n"
    "setpos [30 35]\n"
    ".setboxname 0 \"door\n";

TEST_F(ProjectPrimitives, AProjectBuiltFromLogoSavesAndOpensAgain) {
    ASSERT_EQ(RunLogo(kBuild), "");
    ASSERT_EQ(RunLogo("saveprojectas \"robot"), "");
    EXPECT_EQ(Files(), std::vector<std::string>{"robot.KXP"});
    EXPECT_EQ(RunLogo("print projectname"), (dir_ / "robot.KXP").string() + "\r\n");
    EXPECT_EQ(RunLogo("saveprojectas \"robot.KXP"), Message(-62, {"robot.KXP"}));
    EXPECT_EQ(RunLogo("saveprojectas \"robot.kxp"), "");  // lower case is no extension
    EXPECT_EQ(Files(), (std::vector<std::string>{"robot.KXP", "robot.kxp.KXP"}));
    EXPECT_EQ(RunLogo("print projects"), "[robot robot.kxp]\r\n");

    ASSERT_EQ(RunLogo("closeproject"), "");
    EXPECT_FALSE(IsDefined("speed"));
    EXPECT_EQ(RunLogo("print pages"), Message(-61, {"pages"}));
    fs::current_path(home_);
    ASSERT_EQ(RunLogo("openproject \"" + (dir_ / "robot").string()), "");
    EXPECT_EQ(fs::current_path(), dir_);  // the project's folder
    EXPECT_EQ(RunLogo("print pages print objects print speed"),
              "[page1 page2]\r\n[chart go notes speed]\r\n4\r\n");
    EXPECT_EQ(RunLogo("talkto \"go print objpos print objsize"), "[30 35]\r\n[60 20]\r\n");
    EXPECT_EQ(RunLogo("talkto \"chart print objsize"), "[210 180]\r\n");
    EXPECT_EQ(CKinetraDoc::Current()->Setup().GetPortName(0), "door");
    EXPECT_FALSE(CKinetraDoc::Current()->Modified());
}

TEST_F(ProjectPrimitives, AFailedOpenLeavesTheOpenProjectAsItWas) {
    ASSERT_EQ(RunLogo(kBuild), "");
    std::ofstream("broken.KXP", std::ios::binary) << "Kimx\x0D\0\0\0garbage";
    {
        // A file that fails late: all of it reads but a name taken twice.
        const auto other = CKinetraDoc::NewProject();
        ASSERT_EQ(RunLogo(kBuild), "");
        std::vector<uint8_t> bytes = Replaced(other->Write(), "notes", "SPEED");
        std::ofstream("twice.KXP", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    // The open project: saved once, then changed.
    const auto doc = CKinetraDoc::NewProject();
    ASSERT_EQ(RunLogo("saveprojectas \"current"), "");
    ASSERT_EQ(RunLogo(kBuild), "");
    const std::vector<uint8_t> before = doc->Write();

    EXPECT_EQ(RunLogo("switchproject \"missing"), Message(-63, {"missing.KXP"}));
    EXPECT_EQ(RunLogo("switchproject \"twice"), Message(-21, {"SPEED"}));
    EXPECT_EQ(RunLogo("switchproject \"broken"), Message(-45, {"broken.KXP"}));
    EXPECT_TRUE(doc->Modified());
    // openproject saves the open project first, then fails as well.
    EXPECT_EQ(RunLogo("openproject \"broken"), Message(-45, {"broken.KXP"}));
    EXPECT_FALSE(doc->Modified());
    EXPECT_EQ(ReadProjectFile("current.KXP"), before);

    EXPECT_EQ(CKinetraDoc::Current(), doc);
    EXPECT_EQ(doc->Write(), before);
    EXPECT_EQ(RunLogo("print speed print objects"), "4\r\n[chart go notes speed]\r\n");
    EXPECT_TRUE(IsDefined("door"));
    EXPECT_TRUE(doc->LookupName("door"));
}

TEST_F(ProjectPrimitives, AFailedSaveLeavesTheOldFileAndSaysWhy) {
    ASSERT_EQ(RunLogo("saveprojectas \"robot"), "");
    const std::vector<uint8_t> old = ReadProjectFile("robot.KXP");
    ASSERT_EQ(RunLogo(kBuild), "");
    for (int i = 0; i < 30; ++i) ASSERT_EQ(RunLogo("newpage"), "");

    // The disk takes no more than the old file's size.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = old.size();
    ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string result = RunLogo("saveproject");
    setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, SIG_DFL);

    EXPECT_EQ(result, Message(-50, {(dir_ / "robot.KXP").string() + " (File too large)"}));
    EXPECT_EQ(ReadProjectFile("robot.KXP"), old);
    EXPECT_EQ(Files(), std::vector<std::string>{"robot.KXP"});  // no half-written file left
    EXPECT_TRUE(CKinetraDoc::Current()->Modified());
}

TEST_F(ProjectPrimitives, ObjectsAndTheirErrors) {
    struct Case {
        const char* line;
        std::string result;
    };
    const Case cases[] = {
        {"newobject \"robot \"r [0 0] [10 10]", Message(-4, {"newobject", "robot"})},
        {"newobject \"slider \"2fast [0 0] [10 10]", Message(-4, {"newobject", "2fast"})},
        {"newobject \"monitor \"print [0 0] [10 10]", Message(-4, {"newobject", "print"})},
        {"newobject \"monitor \"m [0] [10 10]", Message(-4, {"newobject", "[0]"})},
        {"setpos [1 2]", Message(-52, {"setpos"})},
        {"newobject \"button \"b1 [0 0] [10 10] setname \"B2 print objects", "[b2]\r\n"},
        {"newobject \"picturebox \"B2 [0 0] [10 10]", Message(-21, {"B2"})},
    };
    for (const Case& c : cases) EXPECT_EQ(RunLogo(c.line), c.result) << c.line;
    // A button of a fixed-size shape keeps its size.
    CKinetraDoc::Current()->FindObject("b2")->As<CPageButton>()->shape = "round";
    EXPECT_EQ(RunLogo("talkto \"b2 setsize [40 40]"), Message(-75, {"B2"}));
    EXPECT_EQ(RunLogo("setsize [32 32] print objsize"), "[32 32]\r\n");
}

TEST_F(ProjectPrimitives, PagesFromLogo) {
    EXPECT_EQ(RunLogo("newpage namepage \"|my robot| print pages"), "[page1 |my robot|]\r\n");
    EXPECT_EQ(RunLogo("namepage \"page1"), Message(-4, {"namepage", "page1"}));
    EXPECT_EQ(RunLogo("getpage \"page1 newobject \"monitor \"m [0 0] [9 9] print pages"),
              "[page1 |my robot|]\r\n");
    EXPECT_EQ(CKinetraDoc::Current()->CurrentPage()->Name(), "page1");
    EXPECT_EQ(RunLogo("getpage \"nowhere"), Message(-4, {"getpage", "nowhere"}));
    EXPECT_EQ(RunLogo("removepage \"page1 print pages print objects"), "[|my robot|]\r\n[]\r\n");
    // The only page is emptied and named as a first page.
    EXPECT_EQ(RunLogo("newobject \"monitor \"m [0 0] [9 9] removepage \"|my robot| print pages"),
              "[page1]\r\n");
    EXPECT_EQ(RunLogo("print objects"), "[]\r\n");
    EXPECT_EQ(RunLogo("repeat 99 [newpage] print count pages"), "100\r\n");
    EXPECT_EQ(RunLogo("newpage"), Message(-25, {"100"}));
}

TEST_F(ProjectPrimitives, AnotherProjectsProceduresAndPicturesAreTakenIn) {
    doc_->SetProceduresText("to one\r\nend\r\n");
    doc_->Pictures().Add(DotPicture("dot"));
    doc_->Pictures().Add(DotPicture("Star"));
    ASSERT_EQ(RunLogo("lockproject \"pw saveprojectas \"other"), "");
    EXPECT_EQ(CKinetraDoc::Read(ReadProjectFile("other.KXP"), "")->Settings().locked, 1);

    const auto doc = CKinetraDoc::NewProject();
    doc->SetProceduresText("to two\r\nend\r\n");
    doc->Pictures().Add(DotPicture("DOT"));
    ASSERT_EQ(RunLogo("importprocedures \"other importpictures \"other.KXP"), "");
    EXPECT_EQ(doc->ProceduresText(), "to one\r\nend\r\nto two\r\nend\r\n");
    // The library's entry of the same name is replaced; the built-in
    // pictures come first, the blank one before all.
    std::vector<std::string> names = doc->Pictures().Names();
    ASSERT_EQ(names.size(), kBuiltInPictures + 2);
    EXPECT_EQ(names.front(), "blank");
    EXPECT_EQ(names[1], "sun");
    EXPECT_EQ(std::vector<std::string>(names.end() - 2, names.end()),
              (std::vector<std::string>{"dot", "Star"}));
    EXPECT_EQ(CPictureLibrary::BuiltIns()[1]->width, 32);
    EXPECT_EQ(RunLogo("importpictures \"nothing"),
              Message(-42, {"nothing.KXP (No such file or directory)"}));
}

TEST_F(ProjectPrimitives, FilesAndDirectories) {
    std::ofstream("notes.txt") << "x";
    fs::create_directory("sub");
    EXPECT_EQ(RunLogo("print files"), "[notes]\r\n");
    EXPECT_EQ(RunLogo("erasefile \"notes.txt print files"), "[]\r\n");
    EXPECT_EQ(RunLogo("erasefile \"notes.txt"), Message(-30, {"notes.txt"}));
    EXPECT_EQ(RunLogo("eraseproject \"robot"), Message(-30, {"robot.KXP"}));
    EXPECT_EQ(RunLogo("setdirectory \"sub print directory"), (dir_ / "sub").string() + "/\r\n");
    EXPECT_EQ(RunLogo("cd \"nowhere"), Message(-4, {"cd", "nowhere"}));
    EXPECT_EQ(RunLogo("newobject \"monitor \"m [0 0] [9 9] newproject"), Message(-60));
    EXPECT_EQ(RunLogo("saveproject"), Message(-60));
}

}  // namespace
