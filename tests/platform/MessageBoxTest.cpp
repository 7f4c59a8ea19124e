#include "platform/MessageBox.h"

#include "platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using platform::MessageKind;
using platform::ShowMessage;

// The default sink's output, taken from standard error.
std::string DefaultSinkOutput(MessageKind kind, std::string_view text) {
    platform::SetMessageSink({});
    ::testing::internal::CaptureStderr();
    ShowMessage(kind, text);
    return ::testing::internal::GetCapturedStderr();
}

TEST(MessageBox, DefaultSinkWritesOneLineNamedByKind) {
    EXPECT_EQ(DefaultSinkOutput(MessageKind::Error, "Port busy"), "error: Port busy\n");
    EXPECT_EQ(DefaultSinkOutput(MessageKind::Warning, "Low"), "warning: Low\n");
    EXPECT_EQ(DefaultSinkOutput(MessageKind::Information, "Done"), "information: Done\n");
    EXPECT_EQ(DefaultSinkOutput(MessageKind::Error, ""), "error: \n");
}

TEST(MessageBox, DefaultSinkKeepsTheMessageOnOneLine) {
    EXPECT_EQ(DefaultSinkOutput(MessageKind::Error, "first\nsecond\r\n"), "error: first second\n");
    EXPECT_EQ(DefaultSinkOutput(MessageKind::Warning, "a\r\nb\rc"), "warning: a  b c\n");
    EXPECT_EQ(DefaultSinkOutput(MessageKind::Warning, "ends with LF\n"), "warning: ends with LF\n");
    EXPECT_EQ(DefaultSinkOutput(MessageKind::Information, "two breaks\n\n"),
              "information: two breaks \n");
}

TEST(MessageBox, InstalledSinkReceivesMessagesUntilRemoved) {
    std::vector<std::pair<MessageKind, std::string>> seen;
    platform::SetMessageSink([&seen](MessageKind kind, std::string_view text) {
        seen.emplace_back(kind, std::string(text));
    });
    ::testing::internal::CaptureStderr();
    ShowMessage(MessageKind::Warning, "one\ntwo");
    ShowMessage(MessageKind::Error, "three");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    platform::SetMessageSink({});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].first, MessageKind::Warning);
    EXPECT_EQ(seen[0].second, "one\ntwo");  // a sink gets the text as it was given
    EXPECT_EQ(seen[1].first, MessageKind::Error);
    EXPECT_EQ(seen[1].second, "three");
    EXPECT_EQ(DefaultSinkOutput(MessageKind::Error, "back"), "error: back\n");
}

TEST(MessageBox, SinkMayShowAnotherMessage) {
    std::vector<std::string> seen;
    platform::SetMessageSink([&seen](MessageKind, std::string_view text) {
        seen.emplace_back(text);
        if (seen.size() == 1) ShowMessage(MessageKind::Information, "nested");
    });
    ShowMessage(MessageKind::Error, "outer");
    platform::SetMessageSink({});
    EXPECT_EQ(seen, (std::vector<std::string>{"outer", "nested"}));
}

TEST(MessageBoxDeathTest, ExitProcessFlushesAndEndsWithTheCode) {
    // Standard output to a file is fully buffered: the text reaches the file
    // only if the exit flushes it.
    platform_test::TempDirectory temp;
    const std::string file = (temp.Path() / "out.txt").string();
    EXPECT_EXIT(
        {
            if (!std::freopen(file.c_str(), "w", stdout)) std::_Exit(100);
            std::fputs("buffered text", stdout);
            std::fputs("last words", stderr);
            platform::ExitProcess(3);
        },
        ::testing::ExitedWithCode(3), "last words");
    std::ifstream in(file);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "buffered text");
    EXPECT_EXIT(platform::ExitProcess(0), ::testing::ExitedWithCode(0), "");
}

}  // namespace
