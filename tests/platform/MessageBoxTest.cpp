#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::MessageKind;

std::string StandardErrorOf(MessageKind kind, std::string_view text) {
    ::testing::internal::CaptureStderr();
    platform::ShowMessage(kind, text);
    return ::testing::internal::GetCapturedStderr();
}

TEST(MessageBox, DefaultSinkWritesOneLineNamedByKindAndAnInstalledOneGetsTheText) {
    EXPECT_EQ(StandardErrorOf(MessageKind::Error, "Port busy"), "error: Port busy\n");
    // One line end at the end is dropped; the others become blanks.
    EXPECT_EQ(StandardErrorOf(MessageKind::Information, "a\nb\r\n"), "information: a b\n");
    EXPECT_EQ(StandardErrorOf(MessageKind::Warning, "a\r\nb\rc\n\n"), "warning: a  b c \n");

    std::string seen;
    platform::SetMessageSink([&seen](MessageKind kind, std::string_view text) {
        seen += (kind == MessageKind::Warning ? "W:" : "?:") + std::string(text);
    });
    EXPECT_EQ(StandardErrorOf(MessageKind::Warning, "one\ntwo"), "");
    EXPECT_EQ(seen, "W:one\ntwo");
    platform::SetMessageSink({});  // the default again
    EXPECT_EQ(StandardErrorOf(MessageKind::Error, "back"), "error: back\n");
}

}  // namespace
