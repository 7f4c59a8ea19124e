// A processor fault ends the process with a report, never silently.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

#include "platform/FatalSignals.h"

TEST(FatalSignals, ReportsNameTheFaultTheModuleAndTheLine) {
    EXPECT_STREQ(platform::FatalReport(0xC0000005u, "LogoCore/Evaluator", 12),
                 "Access violation in logo core.(LogoCore/Evaluator:12)");
    EXPECT_STREQ(platform::FatalReport(0xC00000FDu, "m", 1), "Stack overflow in logo core.(m:1)");
    EXPECT_STREQ(platform::FatalReport(0x12345678u, "m", 2),
                 "Fatal Error (0x12345678) in logo core.(m:2)");
}

TEST(FatalSignals, AFaultEndsTheProcessWithItsReport) {
    // The system keeps the low eight bits of the exit code 999.
    const int expected = platform::kFatalExitCode & 0xFF;
    const std::pair<int, const char*> faults[] = {{SIGSEGV, "Access violation in logo core"},
                                                  {SIGILL, "Illegal Instruction in logo core"}};
    for (const auto& [signal, report] : faults)
        EXPECT_EXIT(
            {
                platform::InstallFatalSignalHandlers();
                std::raise(signal);
            },
            ::testing::ExitedWithCode(expected), ::testing::HasSubstr(report));
}
