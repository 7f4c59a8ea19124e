// The command centre's view: running a line, the marker, type-ahead and
// the bound on its text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandCentre.h"

namespace {

class CommandCentreTest : public ::testing::Test {
  protected:
    CommandCentre centre_{[this](std::string_view command) {
                              commands_.emplace_back(command);
                              return error_;
                          },
                          [this](std::string_view text) { shown_ += text; }};
    std::vector<std::string> commands_;
    std::string error_;
    std::string shown_;
};

}  // namespace

TEST_F(CommandCentreTest, ALineRunsWithTheMarkerUntilItsCommandEnds) {
    centre_.Type("print 1\r");
    ASSERT_EQ(commands_, std::vector<std::string>{"print 1"});
    EXPECT_TRUE(centre_.Running());
    EXPECT_EQ(centre_.Text(), "print 1" + std::string(CommandCentre::kMarker) + "\r\n");
    centre_.Print("1\r\n");
    centre_.CommandEnded();
    EXPECT_FALSE(centre_.Running());
    EXPECT_EQ(centre_.Text(), "print 1\r\n1\r\n");
    EXPECT_EQ(shown_, "1\r\n");
}

TEST_F(CommandCentreTest, TypeAheadRunsLineByLineAsCommandsEnd) {
    centre_.Type("first\r");
    centre_.Type("secondx\x7f\rthird\r");
    EXPECT_EQ(commands_.size(), 1u) << "typed while running: held back";
    centre_.CommandEnded();
    ASSERT_EQ(commands_.size(), 2u);
    EXPECT_EQ(commands_[1], "second");
    EXPECT_TRUE(centre_.TypeAheadPending());
    centre_.CommandEnded();
    ASSERT_EQ(commands_.size(), 3u);
    EXPECT_EQ(commands_[2], "third");
    centre_.CommandEnded();
    EXPECT_FALSE(centre_.Running());
    EXPECT_FALSE(centre_.TypeAheadPending());
}

TEST_F(CommandCentreTest, AnErrorOfLaunchingEndsTheCommandAtOnceOnALineOfItsOwn) {
    for (const std::string error : {"Too many programs.\r\n", "Too many programs."}) {
        centre_.Clear();
        shown_.clear();
        error_ = error;
        centre_.Type("launch [x]\r");
        EXPECT_FALSE(centre_.Running());
        EXPECT_EQ(shown_, "Too many programs.\r\n");
        EXPECT_EQ(centre_.Text(), "launch [x]\r\nToo many programs.\r\n");
    }
}

TEST_F(CommandCentreTest, AnEmptyLineRunsAnEmptyCommand) {
    centre_.Type("\r");
    ASSERT_EQ(commands_, std::vector<std::string>{""});
    centre_.CommandEnded();
    EXPECT_FALSE(centre_.Running());
}

TEST_F(CommandCentreTest, TheTextKeepsWholeLinesWithinItsBound) {
    const std::string line(38, 'x');
    for (int i = 0; i < 1000; ++i) centre_.Print(line + "\r\n");  // 40000 characters
    const std::string text = centre_.Text();
    EXPECT_LE(text.size(), CommandCentre::kMaxText);
    EXPECT_EQ(text.substr(0, line.size() + 2), line + "\r\n") << "the first line is whole";
    centre_.Type("\f");
    EXPECT_EQ(centre_.Text(), "");
}

// Output left without a line end (type) stays on the line the next typed
// line runs from, as in a window; a terminal starts the typed line afresh,
// also for a line typed ahead, and shows that new line only where typed
// lines are seen: piped output is what Logo printed.
TEST_F(CommandCentreTest, ATerminalStartsATypedLineAfterOpenOutputOnANewLine) {
    centre_.Type("type 123\r");
    centre_.Print("123");
    centre_.CommandEnded();
    centre_.Type("print 4\r");
    EXPECT_EQ(commands_.back(), "123print 4") << "the window's way";

    centre_.StartTypedLinesOnNewLine(true);
    centre_.Print("5");
    centre_.CommandEnded();
    centre_.Type("print 6\r");
    EXPECT_EQ(commands_.back(), "print 6");
    centre_.Type("print 7\r");  // typed ahead while print 6 runs
    centre_.Print("8");
    centre_.CommandEnded();
    EXPECT_EQ(commands_.back(), "print 7");
    EXPECT_EQ(shown_, "1235\r\n8\r\n");

    centre_.CommandEnded();
    centre_.StartTypedLinesOnNewLine(true, false);
    centre_.Type("type 9\r");
    centre_.Print("9");
    centre_.CommandEnded();
    centre_.Type("type 0\r");
    EXPECT_EQ(commands_.back(), "type 0");
    EXPECT_EQ(shown_, "1235\r\n8\r\n9");
}
