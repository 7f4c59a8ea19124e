// Interpreter start-up: the primitive tables, LogoCore.dat, priorities,
// the output-name map and the box seam.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/NameTable.h"
#include "platform/ConfigStore.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"

namespace fs = std::filesystem;

namespace {

CHandleData* Mark(CLogoTask*, CHandleData**, int32_t option, const std::string&) {
    return ErrorHandle(-1000 - option);  // tells the tests which row's handler is registered
}

constexpr PrimitiveRow kRows[] = {
    {Mark, 20, 0, 1, 1, 1, 1},
    {Mark, 23, 0, 23, 1, 1, 1},
    {Mark, 36, 0, 36, 1, 2, kUnlimitedInputs},
};
constexpr NamedPrimitiveRow kNamed[] = {
    {Mark, 88, "+", 4, 60, 2, 2, 2},
    {Mark, 0, nullptr, 0, 0, 0, 0, 0},
    {Mark, 89, "startupafterend", 4, 61, 2, 2, 2},  // after the terminator: never registered
};

std::vector<VocabularyEntry> Read(const std::string& text) {
    std::istringstream in(text);
    return ReadVocabulary(in);
}

// A scratch directory for the stores and the vocabulary of one test.
class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kinetra-startup-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        platform::SetConfigDirectory(dir_);
        setup_.families = {{kRows, kNamed}};
        setup_.openBox = [this](const std::string& port) { openedPorts_.push_back(port); };
    }
    void TearDown() override { fs::remove_all(dir_); }

    void WriteVocabulary(const std::string& text) {
        setup_.vocabularyFile = dir_ / "LogoCore.dat";
        std::ofstream(setup_.vocabularyFile, std::ios::binary) << text;
    }

    static int32_t MachineNumber(const char* name) {
        int32_t value = 0;
        EXPECT_TRUE(platform::ReadMachineNumber(name, -999, &value)) << name;
        return value;
    }

    fs::path dir_;
    LogoCoreSetup setup_;
    std::vector<std::string> openedPorts_;
};

// Which row a registered name calls: the option its handler reports.
int32_t OptionOf(const char* name) {
    CHandleData* cell = FindName(name);
    if (!cell) return -1;
    EXPECT_EQ(cell->Type(), kTypePrimitive);
    EXPECT_EQ(cell->State(), kStateKeyword);
    const int32_t option = cell->Primitive().option;
    Release(cell);
    return option;
}

}  // namespace

// Names are split at the first blank, before any tab: the number is then
// read from the text after it. A line longer than 255 characters goes on
// as the next line.
TEST(VocabularyTest, ReadsNamesAndNumbersWhateverTheSpacing) {
    const auto entries = Read(
        "  Forward 23\n"
        "Back\t20\n"
        "print 20 and more words\n"
        "pr 20\r\n"
        "# show 99\n"
        "\n"
        "   \n"
        "lonelyname\n"
        "name\t23 7\n" +
        std::string(255, 'x') + "tail 36");
    std::vector<std::pair<std::string, int32_t>> read;
    for (const VocabularyEntry& entry : entries) read.emplace_back(entry.name, entry.token);
    EXPECT_EQ(
        read,
        (std::vector<std::pair<std::string, int32_t>>{
            {"forward", 23}, {"back", 20}, {"print", 20}, {"pr", 20}, {"name", 7}, {"tail", 36}}));
}

TEST(PrimitiveTableTest, AssemblesInTokenOrderAndReportsRepeatedTokens) {
    constexpr PrimitiveRow kHigh[] = {{Mark, 50, 0, 0, 0, 0, 0}, {Mark, 5, 0, 0, 0, 0, 0}};
    constexpr PrimitiveRow kLow[] = {{Mark, 5, 0, 1, 0, 0, 0}, {Mark, 7, 0, 0, 0, 0, 0}};
    std::vector<std::string> messages;
    platform::SetMessageSink(
        [&](platform::MessageKind, std::string_view text) { messages.emplace_back(text); });
    const auto table = AssembleNumberedTable({{kHigh, {}}, {kLow, {}}});
    platform::SetMessageSink({});

    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].token, 5);
    EXPECT_EQ(table[1].token, 5);
    EXPECT_EQ(table[2].token, 7);
    EXPECT_EQ(table[3].token, 50);
    EXPECT_EQ(messages, std::vector<std::string>{"Token 5 out of sequence (comes after token 5)"});
    EXPECT_EQ(FindPrimitiveRow(table, 7), &table[2]);
    EXPECT_EQ(FindPrimitiveRow(table, 6), nullptr);
}

TEST_F(StartupTest, RegistersNamedRowsAndEveryNameOfTheVocabulary) {
    WriteVocabulary(
        "  StartupForward 23\nStartupPrint\t20\nstartupshow 20 words\nstartuppr 20\r\n"
        "startuptwice 20\nstartuptwice 23\n");
    ASSERT_EQ(InitLogoCore(setup_), 1);

    EXPECT_EQ(OptionOf("startupforward"), 23);
    EXPECT_EQ(OptionOf("startuptwice"), 23);  // the later line
    EXPECT_EQ(OptionOf("STARTUPPRINT"), 1);
    EXPECT_EQ(OptionOf("startupshow"), 1);
    EXPECT_EQ(OptionOf("startuppr"), 1);
    EXPECT_EQ(OptionOf("startupafterend"), -1);  // lies beyond the named table's terminator

    CHandleData* plus = FindName("+");
    ASSERT_NE(plus, nullptr);
    EXPECT_EQ(plus->Token(), 88);
    EXPECT_EQ(plus->Primitive().precedence, 4);
    EXPECT_EQ(plus->Primitive().option, 60);
    EXPECT_EQ(plus->Primitive().defaultInputs, 2);
    Release(plus);
}

TEST_F(StartupTest, AnUnknownTokenEndsTheProcessNamingTheLine) {
    WriteVocabulary("startupfine 20\nstartupbogus 999\n");
    const std::string message = platform::FormatResource(2101, {"startupbogus", "999"});
    ASSERT_FALSE(message.empty());
    EXPECT_EXIT(InitLogoCore(setup_), ::testing::ExitedWithCode(1), ::testing::HasSubstr(message));
}

TEST_F(StartupTest, AMissingVocabularyEndsTheProcess) {
    setup_.vocabularyFile = dir_ / "no-such-file.dat";
    EXPECT_EXIT(InitLogoCore(setup_), ::testing::ExitedWithCode(1),
                ::testing::HasSubstr(platform::ResourceText(2100)));
}

TEST_F(StartupTest, AFirstRunWritesThePriorityDefaultsOpensTheBoxOnCom1AndNamesTheOutputs) {
    WriteVocabulary("startupfirst 20\n");
    ASSERT_EQ(InitLogoCore(setup_), 1);

    const std::pair<const char*, int32_t> defaults[] = {
        {"Priority Version", 5},     {"Priority Class", 128},   {"Tasking\\Box Input", 15},
        {"Tasking\\Main Thread", 0}, {"Tasking\\Box Sync", -2}, {"Tasking\\Logo", 0},
        {"Tasking\\Loop Pause", 5}};
    for (const auto& [name, value] : defaults) EXPECT_EQ(MachineNumber(name), value) << name;
    EXPECT_EQ(LoopPauseMilliseconds(), 5);
    std::string port;
    EXPECT_TRUE(platform::ReadMachineText("ControlBox_Port", "", &port));
    EXPECT_EQ(port, "COM1");
    EXPECT_EQ(openedPorts_, std::vector<std::string>{"COM1"});

    const auto& outputs = OutputNameMap();
    for (int i = 0; i < 8; ++i) {
        for (char first : {'A', 'a'}) {
            const std::string letter(1, static_cast<char>(first + i));
            for (int id = 1104; id <= 1107; ++id) {
                const std::string name = platform::FormatResource(id, {letter});
                ASSERT_TRUE(outputs.count(name)) << name;
                EXPECT_EQ(outputs.at(name), i + 9) << name;
            }
        }
    }
    EXPECT_EQ(outputs.size(), 64u) << "the four output-name texts must give distinct names";
}

TEST_F(StartupTest, StoredPrioritiesAndPortAreLeftAsTheUserSetThem) {
    WriteVocabulary("startupkeep 20\n");
    platform::WriteMachineNumber("Priority Version", 5);
    platform::WriteMachineNumber("Priority Class", 32);
    platform::WriteMachineNumber("Tasking\\Logo", -1);
    platform::WriteMachineNumber("Tasking\\Loop Pause", 0);
    platform::WriteMachineText("ControlBox_Port", platform::ResourceText(1002));
    ASSERT_EQ(InitLogoCore(setup_), 1);
    EXPECT_TRUE(openedPorts_.empty()) << "the no-port entry opens no box";
    EXPECT_EQ(MachineNumber("Priority Class"), 32);
    EXPECT_EQ(MachineNumber("Tasking\\Logo"), -1);
    EXPECT_EQ(LoopPauseMilliseconds(), 0) << "a user's loop pause is read";
    EXPECT_EQ(MachineNumber("Tasking\\Loop Pause"), 0);
}

TEST_F(StartupTest, AnUnknownPriorityClassEndsTheProcess) {
    WriteVocabulary("startupclass 20\n");
    platform::WriteMachineNumber("Priority Version", 5);
    platform::WriteMachineNumber("Priority Class", 12345);
    EXPECT_EXIT(InitLogoCore(setup_), ::testing::ExitedWithCode(1),
                ::testing::HasSubstr(platform::ResourceText(2104)));
}
