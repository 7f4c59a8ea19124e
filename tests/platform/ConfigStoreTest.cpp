#include "platform/ConfigStore.h"

#include "platform/PlatformTestSupport.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using platform::ConfigStore;

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
}

std::vector<std::string> Entries(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    return names;
}

// Each test gets a configuration directory of its own.
class ConfigStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.Path().empty());
        dir_ = temp_.Path();
        platform::SetConfigDirectory(dir_);
    }
    void TearDown() override { platform::SetConfigDirectory({}); }
    fs::path StoreFile() const { return dir_ / "test.ini"; }

    platform_test::TempDirectory temp_;
    fs::path dir_;
};

TEST_F(ConfigStoreTest, FirstReadWritesTheDefaultAndTheSecondReadsIt) {
    int32_t number = 0;
    EXPECT_FALSE(platform::ReadMachineNumber("Priority Class", 256, &number));
    EXPECT_EQ(number, 256);
    EXPECT_TRUE(platform::ReadMachineNumber("Priority Class", 7, &number));
    EXPECT_EQ(number, 256);

    std::string text;
    EXPECT_FALSE(platform::ReadMachineText("ControlBox_Port", "COM1", &text));
    EXPECT_EQ(text, "COM1");
    EXPECT_TRUE(platform::ReadMachineText("ControlBox_Port", "COM9", &text));
    EXPECT_EQ(text, "COM1");

    EXPECT_EQ(platform::MachineStore().File(), dir_ / "machine.ini");
    EXPECT_EQ(ReadFile(dir_ / "machine.ini"),
              "[Software\\Tavi\\Kinetra]\nPriority Class=256\nControlBox_Port=\"COM1\"\n");
}

TEST_F(ConfigStoreTest, PlainReadsWriteNothing) {
    ConfigStore store(StoreFile());
    EXPECT_EQ(store.GetNumber("S", "N", 5), 5);
    EXPECT_EQ(store.GetText("S", "T", "x"), "x");
    EXPECT_FALSE(fs::exists(StoreFile()));
}

TEST_F(ConfigStoreTest, ValueOfAnotherTypeIsReplacedByTheDefault) {
    ConfigStore store(StoreFile());
    ASSERT_TRUE(store.WriteText("S", "Value", "12"));
    int32_t number = 0;
    EXPECT_FALSE(store.ReadNumber("S", "Value", 3, &number));
    EXPECT_EQ(number, 3);
    EXPECT_EQ(store.GetNumber("S", "Value", 0), 3);

    std::string text;
    EXPECT_FALSE(store.ReadText("S", "Value", "back", &text));
    EXPECT_EQ(text, "back");
    EXPECT_EQ(store.GetText("S", "Value", ""), "back");
    EXPECT_EQ(ReadFile(StoreFile()), "[S]\nValue=\"back\"\n");
}

TEST_F(ConfigStoreTest, NumbersAreSignedDecimalThirtyTwoBitValues) {
    WriteFile(StoreFile(),
              "[S]\nA=12\nB = -7 \nC=+3\nD=1.5\nE=2147483648\nF=-2147483648\nG=12abc\nH=\n"
              "I=\"4\"\nJ=0x10\nK=-\n");
    ConfigStore store(StoreFile());
    EXPECT_EQ(store.GetNumber("S", "A", 0), 12);
    EXPECT_EQ(store.GetNumber("S", "B", 0), -7);
    EXPECT_EQ(store.GetNumber("S", "C", 0), 3);
    EXPECT_EQ(store.GetNumber("S", "D", 99), 99);
    EXPECT_EQ(store.GetNumber("S", "E", 99), 99);
    EXPECT_EQ(store.GetNumber("S", "F", 99), INT32_MIN);
    EXPECT_EQ(store.GetNumber("S", "G", 99), 99);
    EXPECT_EQ(store.GetNumber("S", "H", 99), 99);
    EXPECT_EQ(store.GetNumber("S", "I", 99), 99);
    EXPECT_EQ(store.GetNumber("S", "J", 99), 99);
    EXPECT_EQ(store.GetNumber("S", "K", 99), 99);
    EXPECT_EQ(store.GetText("S", "A", "none"), "none");

    ASSERT_TRUE(store.WriteNumber("S", "Min", INT32_MIN));
    EXPECT_EQ(store.GetNumber("S", "Min", 0), INT32_MIN);
}

TEST_F(ConfigStoreTest, TextsKeepEveryEscapedCharacter) {
    ConfigStore store(StoreFile());
    const std::string awkward = "say \"hi\"\\ there\nline two\r\tend = [x] ; #";
    ASSERT_TRUE(store.WriteText("S", "T", awkward));
    EXPECT_EQ(store.GetText("S", "T", ""), awkward);
    EXPECT_EQ(ReadFile(StoreFile()),
              "[S]\nT=\"say \\\"hi\\\"\\\\ there\\nline two\\r\\tend = [x] ; #\"\n");
    ASSERT_TRUE(store.WriteText("S", "Empty", ""));
    std::string text = "x";
    EXPECT_TRUE(store.ReadText("S", "Empty", "d", &text));
    EXPECT_EQ(text, "");
}

TEST_F(ConfigStoreTest, BrokenTextsAreOfAnotherType) {
    WriteFile(StoreFile(), "[S]\nA=\"open\nB=\"a\"b\nC=\"\\q\"\nD=plain\nE=\"x\\\"\nF=\"ok\"  \n");
    ConfigStore store(StoreFile());
    EXPECT_EQ(store.GetText("S", "A", "-"), "-");
    EXPECT_EQ(store.GetText("S", "B", "-"), "-");
    EXPECT_EQ(store.GetText("S", "C", "-"), "-");
    EXPECT_EQ(store.GetText("S", "D", "-"), "-");
    EXPECT_EQ(store.GetText("S", "E", "-"), "-");
    EXPECT_EQ(store.GetText("S", "F", "-"), "ok");
}

TEST_F(ConfigStoreTest, TextsOf256BytesOrMoreAreNotReadBack) {
    ConfigStore store(StoreFile());
    const std::string fits(255, 'a');
    const std::string tooLong(256, 'b');
    ASSERT_TRUE(store.WriteText("S", "Fits", fits));
    ASSERT_TRUE(store.WriteText("S", "Long", tooLong));

    std::string text;
    EXPECT_TRUE(store.ReadText("S", "Fits", "d", &text));
    EXPECT_EQ(text, fits);
    // The plain read has no size limit.
    EXPECT_EQ(store.GetText("S", "Long", "d"), tooLong);
    EXPECT_FALSE(store.ReadText("S", "Long", "d", &text));
    EXPECT_EQ(text, "d");
    EXPECT_EQ(store.GetText("S", "Long", ""), "d");
}

TEST_F(ConfigStoreTest, RewritingKeepsCommentsAndUnknownLines) {
    WriteFile(StoreFile(),
              "; written by hand\n"
              "# another comment\n"
              "[General]\n"
              "Single Page=0\n"
              "a line nobody understands\n"
              "; Single Page=5\n"
              "\n"
              "[Pagesetup]\n"
              "TopMargin=6\n");
    ConfigStore store(StoreFile());
    ASSERT_TRUE(store.WriteNumber("General", "Single Page", 1));
    ASSERT_TRUE(store.WriteNumber("General", "New", 5));
    ASSERT_TRUE(store.WriteText("Settings\\Tools", "State", "x"));
    ASSERT_TRUE(store.WriteNumber("Pagesetup", "TopMargin", 8));
    EXPECT_EQ(ReadFile(StoreFile()),
              "; written by hand\n"
              "# another comment\n"
              "[General]\n"
              "Single Page=1\n"
              "a line nobody understands\n"
              "; Single Page=5\n"
              "New=5\n"
              "\n"
              "[Pagesetup]\n"
              "TopMargin=8\n"
              "\n"
              "[Settings\\Tools]\n"
              "State=\"x\"\n");
}

TEST_F(ConfigStoreTest, NamesAndSectionsMatchIgnoringCase) {
    WriteFile(StoreFile(), "[general]\n  single page = 3\n[Other]\nSingle Page=4\n");
    ConfigStore store(StoreFile());
    EXPECT_EQ(store.GetNumber("General", "Single Page", 0), 3);
    EXPECT_EQ(store.GetNumber("OTHER", "single PAGE", 0), 4);
    ASSERT_TRUE(store.WriteNumber("GENERAL", "SINGLE PAGE", 9));
    EXPECT_EQ(ReadFile(StoreFile()), "[general]\nsingle page=9\n[Other]\nSingle Page=4\n");
}

TEST_F(ConfigStoreTest, NamesThatWouldCorruptTheFileAreRefused) {
    ConfigStore store(StoreFile());
    for (const char* name : {"a=b", "a\nb", "a\rb", "[x", "", " lead", "trail ", ";x", "#x"}) {
        EXPECT_FALSE(store.WriteNumber("S", name, 1)) << name;
        EXPECT_FALSE(store.WriteText("S", name, "v")) << name;
        int32_t number = 0;
        EXPECT_FALSE(store.ReadNumber("S", name, 4, &number)) << name;
        EXPECT_EQ(number, 4);
    }
    for (const char* section : {"a]b", "a\nb", "", " s"}) {
        EXPECT_FALSE(store.WriteNumber(section, "N", 1)) << section;
    }
    EXPECT_FALSE(fs::exists(StoreFile()));
    // Brackets and backslashes inside a name are fine.
    EXPECT_TRUE(store.WriteNumber("S", "Tasking\\Box [In]", 15));
    EXPECT_EQ(store.GetNumber("S", "Tasking\\Box [In]", 0), 15);
}

TEST_F(ConfigStoreTest, WriteMakesTheDirectory) {
    const fs::path nested = dir_ / "a" / "b";
    platform::SetConfigDirectory(nested);
    EXPECT_TRUE(platform::WriteMachineNumber("Priority Version", 5));
    EXPECT_EQ(platform::MachineStore().GetNumber(platform::kMachineSection, "Priority Version", 0),
              5);
    EXPECT_TRUE(fs::is_regular_file(nested / "machine.ini"));
}

TEST_F(ConfigStoreTest, WriteToReadOnlyDirectoryFailsAndLeavesTheStoreUntouched) {
    ConfigStore store(StoreFile());
    ASSERT_TRUE(store.WriteNumber("S", "N", 1));
    const std::string before = ReadFile(StoreFile());
    // Permissions do not bind the superuser, so the write is tried by an
    // ordinary user that owns the directory.
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(dir_.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown(StoreFile().c_str(), kNobody, kNobody), 0);
    }
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setresuid(kNobody, kNobody, kNobody) != 0) std::_Exit(2);
            std::_Exit(store.WriteNumber("S", "N", 2) ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(ReadFile(StoreFile()), before);
    EXPECT_EQ(Entries(dir_), std::vector<std::string>{"test.ini"});
}

TEST_F(ConfigStoreTest, WriteCutShortByAFileSizeLimitLeavesTheStoreUntouched) {
    // The file size limit binds the superuser too; set it in a child
    // process so that the test program keeps its own limits.
    ConfigStore store(StoreFile());
    ASSERT_TRUE(store.WriteText("S", "T", "short"));
    const std::string before = ReadFile(StoreFile());
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit {};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 64;
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const bool written = store.WriteText("S", "T", std::string(200, 'x'));
            std::_Exit(written ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile(StoreFile()), before);
    EXPECT_EQ(Entries(dir_), std::vector<std::string>{"test.ini"});
}

TEST_F(ConfigStoreTest, StoreThatIsNotAFileIsNotReplaced) {
    fs::create_directory(StoreFile());
    ConfigStore store(StoreFile());
    EXPECT_FALSE(store.WriteNumber("S", "N", 1));
    int32_t number = 0;
    EXPECT_FALSE(store.ReadNumber("S", "N", 2, &number));
    EXPECT_EQ(number, 2);
    EXPECT_TRUE(fs::is_directory(StoreFile()));
    EXPECT_EQ(Entries(dir_), std::vector<std::string>{"test.ini"});
}

TEST_F(ConfigStoreTest, ConcurrentWritersLoseNoValue) {
    constexpr int kThreads = 6;
    constexpr int kKeys = 15;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int k = 0; k < kKeys; ++k) {
                const std::string name = "T" + std::to_string(t) + "K" + std::to_string(k);
                if (k % 3 == 0) {
                    int32_t ignored = 0;
                    platform::ReadMachineNumber(name, t * 100 + k, &ignored);
                } else {
                    platform::WriteMachineNumber(name, t * 100 + k);
                }
                platform::UserProfile().WriteText("General", name, name);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        for (int k = 0; k < kKeys; ++k) {
            const std::string name = "T" + std::to_string(t) + "K" + std::to_string(k);
            int32_t number = -1;
            EXPECT_TRUE(platform::ReadMachineNumber(name, -1, &number)) << name;
            EXPECT_EQ(number, t * 100 + k);
            EXPECT_EQ(platform::UserProfile().GetText("General", name, ""), name);
        }
    }
    EXPECT_EQ(Entries(dir_).size(), 2u);
}

TEST(ConfigDirectory, ChosenInOrderOfPrecedence) {
    platform::SetConfigDirectory({});
    platform_test::ScopedEnv config("KINETRA_CONFIG_DIR", "/cfg/override");
    platform_test::ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
    platform_test::ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(platform::ConfigDirectory(), fs::path("/cfg/override"));
    platform::SetConfigDirectory("/from/option");
    EXPECT_EQ(platform::ConfigDirectory(), fs::path("/from/option"));
    platform::SetConfigDirectory({});
    ::unsetenv("KINETRA_CONFIG_DIR");
    EXPECT_EQ(platform::ConfigDirectory(), fs::path("/xdg/kinetra"));
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(platform::ConfigDirectory(), fs::path("/home/someone/.config/kinetra"));
}

TEST(ConfigDirectory, StoresFollowTheDirectory) {
    platform::SetConfigDirectory("/first");
    ConfigStore& first = platform::MachineStore();
    EXPECT_EQ(first.File(), fs::path("/first/machine.ini"));
    EXPECT_EQ(platform::UserProfile().File(), fs::path("/first/profile.ini"));
    platform::SetConfigDirectory("/second");
    EXPECT_EQ(platform::MachineStore().File(), fs::path("/second/machine.ini"));
    EXPECT_EQ(platform::UserProfile().File(), fs::path("/second/profile.ini"));
    // A store taken earlier stays usable and keeps its file.
    EXPECT_EQ(first.File(), fs::path("/first/machine.ini"));
    platform::SetConfigDirectory("/first");
    EXPECT_EQ(&platform::MachineStore(), &first);
    platform::SetConfigDirectory({});
}

}  // namespace
