// The setup's block of the project file: what version 4 writes byte for
// byte, what reading versions 4 and 3 gives back (the words included), an
// unknown version, and blocks that end early.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SetupTestSupport.h"
#include "box/TimedOutputs.h"
#include "platform/Archive.h"

namespace {

using platform::ArchiveEnded;
using platform::ArchiveReader;
using platform::ArchiveWriter;

// A setup with every saved field set, each to a value of its own.
void Fill(CSetupData& setup) {
    for (int input = 0; input < kSetupInputs; ++input) {
        const std::string n = std::to_string(input);
        ASSERT_TRUE(setup.SetPortType(input, 1 + input % 4));
        ASSERT_TRUE(setup.SetToolType(input, 1 + input));
        ASSERT_TRUE(setup.SetOffset(input, input - 3.25));
        ASSERT_TRUE(setup.SetPortName(input, "Sensor" + n));
        ASSERT_TRUE(setup.SetActionA(input, "print \"a" + n));
        ASSERT_TRUE(setup.SetActionB(input, input == 3 ? "" : "print \"b" + n));
    }
    for (int j = 0; j < 8; ++j) {
        const int port = kFirstOutputPort + j;
        const std::string n = std::to_string(j);
        ASSERT_TRUE(setup.SetPortType(port, 5 + j % 4));
        ASSERT_TRUE(setup.SetWaitSource(port, j % 2 ? 4 + j / 2 : kWaitByTime));
        ASSERT_TRUE(setup.SetPortName(port, "Motor" + n));
        ASSERT_TRUE(setup.SetDirectionName1(port, "Forth" + n));
        ASSERT_TRUE(setup.SetDirectionName0(port, j == 5 ? "" : "Back" + n));
    }
    ASSERT_TRUE(setup.SetPortType(kSpareOutputPort, 6));
    ASSERT_TRUE(setup.SetPortName(kSpareOutputPort, "Lamp"));
}

std::vector<uint8_t> Saved(const CSetupData& setup) {
    ArchiveWriter out;
    setup.Serialize(out);
    return out.Bytes();
}

// Every word a filled setup makes.
std::vector<std::string> FilledWords() {
    std::vector<std::string> words;
    for (int i = 0; i < 8; ++i) {
        words.push_back("sensor" + std::to_string(i));
        words.push_back("forth" + std::to_string(i));
        if (i != 5) words.push_back("back" + std::to_string(i));
    }
    return words;
}

using SetupFileTest = SetupTest;

TEST_F(SetupFileTest, ASavedSetupReadsBackWithEveryFieldAndItsWords) {
    Fill(TheSetup());
    const std::vector<uint8_t> bytes = Saved(TheSetup());
    const NameMap names = names_.All();
    SetActiveSetup(nullptr);
    setup_.reset();
    for (const std::string& word : FilledWords()) ASSERT_FALSE(IsDefined(word)) << word;
    ResetOutputs();

    FakeSetupNames otherNames;  // a project opened anew
    auto loaded = std::make_shared<CSetupData>(&otherNames);
    ArchiveReader in(bytes);
    ASSERT_TRUE(loaded->Serialize(in));
    EXPECT_TRUE(in.AtEnd());
    // The writer is pinned byte for byte below: a field read into the wrong
    // place writes other bytes.
    EXPECT_EQ(Saved(*loaded), bytes);
    EXPECT_EQ(otherNames.All(), names);
    for (int j = 0; j < 8; ++j)
        EXPECT_EQ(ControlBox_GetWaitSource(j), j % 2 ? 4 + j / 2 : kWaitByTime) << j;

    // The loaded words read their inputs and set their directions.
    for (const std::string& word : FilledWords()) EXPECT_TRUE(IsDefined(word)) << word;
    SetActiveSetup(loaded);
    Decode(2, {.raw = 333});  // tool type 3: raw
    EXPECT_EQ(EvalLogo("SENSOR2"), "333");
    Port().ClearWritten();
    EXPECT_EQ(RunLogo("forth2"), "");
    EXPECT_FALSE(Sent().empty());
    SetActiveSetup(nullptr);  // before the name table goes
}

// The exact block of a setup with one named input and one named output.
TEST_F(SetupFileTest, Version4IsWrittenByteForByte) {
    ASSERT_TRUE(TheSetup().SetPortName(0, "ab"));
    ASSERT_TRUE(TheSetup().SetPortType(0, 1));
    ASSERT_TRUE(TheSetup().SetToolType(0, 5));
    ASSERT_TRUE(TheSetup().SetOffset(0, 0.5));
    ASSERT_TRUE(TheSetup().SetActionA(0, "x"));
    ASSERT_TRUE(TheSetup().SetPortName(8, "m\xC3\xA9"));  // "mé"
    ASSERT_TRUE(TheSetup().SetPortType(8, 5));
    ASSERT_TRUE(TheSetup().SetWaitSource(8, 6));
    ASSERT_TRUE(TheSetup().SetDirectionName1(8, "f"));
    ASSERT_TRUE(TheSetup().SetPortType(16, 7));
    ASSERT_TRUE(TheSetup().SetPortType(17, 8));          // not saved
    ASSERT_TRUE(TheSetup().SetWaitSource(17, 4));        // not saved
    ASSERT_TRUE(TheSetup().SetDirectionName1(17, "g"));  // not saved

    std::vector<uint8_t> expected = {4, 0, 0, 0};
    const auto add = [&](std::initializer_list<int> bytes) {
        for (int b : bytes) expected.push_back(static_cast<uint8_t>(b));
    };
    // Input 0: name, port type, tool type, offset 0.5, action A, action B.
    add({2, 'a', 'b', 1, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F, 1, 'x', 0});
    for (int input = 1; input < 8; ++input)
        add({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    // Output 0: name, port type, wait source, direction 1, direction 0.
    add({2, 'm', 0xE9, 5, 0, 0, 0, 6, 0, 0, 0, 1, 'f', 0});
    for (int j = 1; j < 8; ++j) add({0, 0, 0, 0, 0, 15, 0, 0, 0, 0, 0});
    // Port 16: name, port type.
    add({0, 7, 0, 0, 0});
    EXPECT_EQ(Saved(TheSetup()), expected);
}

// A version-3 block by hand: names and types of every port, no offsets,
// actions or direction names, and a text after each output to be dropped.
std::vector<uint8_t> Version3Block() {
    ArchiveWriter out;
    out.Int32(3);
    for (int input = 0; input < 8; ++input) {
        out.Text(input == 1 ? "Glow" : "");
        out.Int32(input == 1 ? 3 : 0);
        out.Int32(input == 1 ? 4 : 0);
    }
    for (int j = 0; j < 8; ++j) {
        out.Text(j == 2 ? "Winch" : "");
        out.Int32(j == 2 ? 5 : 0);
        out.Int32(j == 2 ? 6 : 5);
        out.Text("dropped");
    }
    out.Text("Extra");
    out.Int32(7);
    return out.Bytes();
}

TEST_F(SetupFileTest, Version3LoadsNamesAndTypesButSendsNoWaitSources) {
    const std::vector<uint8_t> bytes = Version3Block();
    ArchiveReader in(bytes);
    ASSERT_TRUE(TheSetup().Serialize(in));
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(names_.All(), (NameMap{{"extra", 17}, {"glow", 2}, {"winch", 11}}));
    EXPECT_EQ(TheSetup().GetPortType(1), 3);
    EXPECT_EQ(TheSetup().GetToolType(1), 4);
    EXPECT_EQ(TheSetup().GetPortType(10), 5);
    EXPECT_EQ(TheSetup().GetPortType(16), 7);
    EXPECT_TRUE(IsDefined("glow"));
    EXPECT_FALSE(IsDefined("dropped"));
    for (int j = 0; j < 8; ++j) EXPECT_EQ(ControlBox_GetWaitSource(j), kWaitByTime) << j;

    // They are kept, and reach the driver when the link opens again.
    TheSetup().ApplyWaitSources();
    EXPECT_EQ(ControlBox_GetWaitSource(2), 6);
    EXPECT_EQ(ControlBox_GetWaitSource(0), 5);
}

TEST_F(SetupFileTest, AnUnknownVersionIsShownAndNothingMoreIsRead) {
    for (int32_t version : {0, 2, 5, -4}) {
        ArchiveWriter out;
        out.Int32(version);
        out.Text("Sensor");
        ArchiveReader in(out.Bytes());
        EXPECT_FALSE(TheSetup().Serialize(in));
        EXPECT_EQ(in.Offset(), 4u);
    }
    EXPECT_EQ(Messages(), std::vector<std::string>(4, "**** unknown setupdata version ****"));
    EXPECT_TRUE(names_.All().empty());
}

TEST_F(SetupFileTest, ABlockCutAnywhereRaisesArchiveEndedAndLeavesNothingBehind) {
    Fill(TheSetup());
    const std::vector<uint8_t> full = Saved(TheSetup());
    SetActiveSetup(nullptr);
    setup_.reset();

    for (const std::vector<uint8_t>& block : {full, Version3Block()}) {
        for (std::size_t cut = 0; cut < block.size(); ++cut) {
            const std::vector<uint8_t> part(block.begin(),
                                            block.begin() + static_cast<std::ptrdiff_t>(cut));
            FakeSetupNames names;
            {
                CSetupData setup(&names);
                ArchiveReader in(part);
                EXPECT_THROW(setup.Serialize(in), ArchiveEnded) << "cut at " << cut;
            }
            // Whatever was applied went with the setup.
            EXPECT_TRUE(names.All().empty()) << "cut at " << cut;
        }
    }
    for (const std::string& word : FilledWords()) EXPECT_FALSE(IsDefined(word)) << word;
    EXPECT_FALSE(IsDefined("glow"));
}

TEST_F(SetupFileTest, ANameTakenInTheProjectFailsTheLoad) {
    names_.EnterPortName("glow", 0);  // a page object of that name
    const std::vector<uint8_t> bytes = Version3Block();
    ArchiveReader in(bytes);
    EXPECT_EQ(ErrorTextOf([&] { TheSetup().Serialize(in); }), Message(-21, {"Glow"}));
    EXPECT_EQ(TheSetup().GetPortName(1), "");
    EXPECT_FALSE(IsDefined("glow"));
}

}  // namespace
