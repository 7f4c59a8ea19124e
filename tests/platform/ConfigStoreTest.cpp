#include "platform/ConfigStore.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file) {
    std::ostringstream out;
    out << std::ifstream(file, std::ios::binary).rdbuf();
    return out.str();
}

// Each test gets a configuration directory of its own (ctest runs each
// test in a process of its own, side by side).
class ConfigStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        platform::SetConfigDirectory(dir_);
    }
    void TearDown() override {
        platform::SetConfigDirectory({});
        fs::remove_all(dir_);
    }
    long Entries() const { return std::distance(fs::directory_iterator(dir_), {}); }

    const fs::path dir_ =
        fs::path(::testing::TempDir()) / ("kinetra-" + std::to_string(::getpid()));
    const fs::path file_ = dir_ / "test.ini";
    platform::ConfigStore store_{file_};
};

TEST_F(ConfigStoreTest, FirstReadOrValueOfAnotherTypeWritesTheDefaultBack) {
    const fs::path nested = dir_ / "a" / "b";  // a fresh machine has no directory yet
    platform::SetConfigDirectory(nested);
    int32_t number = 0;
    EXPECT_FALSE(platform::ReadMachineNumber("Priority Class", 256, &number));
    EXPECT_EQ(number, 256);
    EXPECT_TRUE(platform::ReadMachineNumber("Priority Class", 7, &number));
    EXPECT_EQ(number, 256);
    EXPECT_EQ(ReadFile(nested / "machine.ini"), "[Software\\Tavi\\Kinetra]\nPriority Class=256\n");

    // A value of another type is overwritten the same way.
    EXPECT_EQ(store_.GetNumber("S", "Value", 5), 5);
    EXPECT_FALSE(fs::exists(file_));  // plain reads write nothing
    ASSERT_TRUE(store_.WriteText("S", "Value", "12"));
    EXPECT_FALSE(store_.ReadNumber("S", "Value", 3, &number));
    EXPECT_EQ(number, 3);
    std::string text;
    EXPECT_FALSE(store_.ReadText("S", "Value", "back", &text));
    EXPECT_EQ(ReadFile(file_), "[S]\nValue=\"back\"\n");
}

TEST_F(ConfigStoreTest, ValuesMustHaveTheirTypesFormAndTextsFitIn256Bytes) {
    // A text read back must fit 256 bytes with its terminating zero.
    std::string text;
    ASSERT_TRUE(store_.WriteText("S", "Fits", std::string(255, 'a')));
    ASSERT_TRUE(store_.WriteText("S", "Long", std::string(256, 'b')));
    EXPECT_TRUE(store_.ReadText("S", "Fits", "d", &text) && text == std::string(255, 'a'));
    EXPECT_FALSE(store_.ReadText("S", "Long", "d", &text));
    EXPECT_EQ(text, "d");
    EXPECT_EQ(store_.GetText("S", "Long", ""), "d");

    std::ofstream(file_) << "[S]\nA = -7 \nB=-2147483648\nC=2147483648\nD=1.5\nE=12abc\nF=\n"
                            "G=\"4\"\nH=\"open\nI=\"a\"b\nJ=\"\\q\"\nK=plain\nL=\"x\\\"\n";
    EXPECT_EQ(store_.GetNumber("S", "A", 0), -7);
    EXPECT_EQ(store_.GetNumber("S", "B", 0), INT32_MIN);
    for (const char* name : {"C", "D", "E", "F", "G"}) EXPECT_EQ(store_.GetNumber("S", name, 9), 9);
    for (const char* name : {"A", "H", "I", "J", "K", "L"})
        EXPECT_EQ(store_.GetText("S", name, "-"), "-") << name;
    const std::string awkward = "say \"hi\"\\ there\nline two\r\tend = [x] ; #";
    ASSERT_TRUE(store_.WriteText("T", "T", awkward));
    EXPECT_EQ(store_.GetText("T", "T", ""), awkward);
}

TEST_F(ConfigStoreTest, RewritingKeepsCommentsAndOtherLines) {
    std::ofstream(file_) << "; by hand\n[General]\nSingle Page=0\nnot understood\n; Single Page=5\n"
                            "\n[Pagesetup]\nTopMargin=6\n";
    ASSERT_TRUE(store_.WriteNumber("general", "SINGLE PAGE", 1));  // names ignore case
    ASSERT_TRUE(store_.WriteNumber("General", "New", 5));
    ASSERT_TRUE(store_.WriteText("Settings\\Tools", "State", "x"));
    EXPECT_EQ(ReadFile(file_),
              "; by hand\n[General]\nSingle Page=1\nnot understood\n; Single Page=5\nNew=5\n"
              "\n[Pagesetup]\nTopMargin=6\n\n[Settings\\Tools]\nState=\"x\"\n");
}

TEST_F(ConfigStoreTest, WriteCutShortLeavesTheOldStoreAndNoTemporaryFile) {
    ASSERT_TRUE(store_.WriteText("S", "T", "short"));
    const std::string before = ReadFile(file_);
    // A file size limit binds the superuser too; set it in a child process.
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit small {};
            small.rlim_cur = small.rlim_max = 64;
            ::setrlimit(RLIMIT_FSIZE, &small);
            std::_Exit(store_.WriteText("S", "T", std::string(200, 'x')) ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile(file_), before);
    EXPECT_EQ(Entries(), 1);
}

using ConfigStoreConcurrency = ConfigStoreTest;

TEST_F(ConfigStoreConcurrency, WritersOnManyThreadsLoseNoValue) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([t] {
            for (int32_t v = t, ignored = 0; v < 96; v += 6) {
                const std::string name = "K" + std::to_string(v);
                platform::ReadMachineNumber(name, v, &ignored);  // writes the default back
                platform::UserProfile().WriteText("General", name, name);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int32_t v = 0; v < 96; ++v) {
        const std::string name = "K" + std::to_string(v);
        EXPECT_EQ(platform::MachineStore().GetNumber(platform::kMachineSection, name, -1), v);
        EXPECT_EQ(platform::UserProfile().GetText("General", name, ""), name);
    }
    EXPECT_EQ(Entries(), 2);  // no temporary files left
}

}  // namespace
