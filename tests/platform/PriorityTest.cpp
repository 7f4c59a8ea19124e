#include "platform/Priority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

namespace {

using namespace platform;

int ThreadNice() {
    errno = 0;
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
}

// What a step returned and the nice value it left, as the children report them.
std::string Step(bool ok) {
    return (ok ? "ok " : "failed ") + std::to_string(ThreadNice()) + "; ";
}

TEST(Priority, CodesMapToNiceValuesAndUnknownCodesChangeNothing) {
    const std::pair<int32_t, int> classes[] = {{64, 19},    {16384, 10}, {32, 0},
                                               {32768, -5}, {128, -10},  {256, -20}};
    for (const auto& [code, nice] : classes) EXPECT_EQ(NiceForClass(code), nice) << code;
    const std::pair<int32_t, int> threads[] = {{-15, 19}, {-2, 4}, {-1, 2},  {0, 0},
                                               {1, -2},   {2, -4}, {15, -10}};
    for (const auto& [code, offset] : threads)
        EXPECT_EQ(NiceOffsetForThreadPriority(code), offset) << code;
    const int before = ThreadNice();
    EXPECT_FALSE(SetProcessPriorityClass(33));
    EXPECT_FALSE(SetThreadPriority(3));
    EXPECT_EQ(ThreadNice(), before);
}

// Priorities are process-wide state, so the cases that set one run in a
// child process, which writes its steps to standard error.
TEST(Priority, ThreadPriorityIsAnOffsetFromTheClassAndNewThreadsInherit) {
    EXPECT_EXIT(
        {
            std::string seen = Step(SetProcessPriorityClass(kBelowNormalPriorityClass));
            seen += Step(SetThreadPriority(-2));
            std::thread([&seen] {
                seen += "new " + std::to_string(ThreadNice()) + "; ";
                seen += Step(SetThreadPriority(-15));  // 10 + 19, clamped
            }).join();
            seen += Step(true);  // the other thread's change is its own
            seen += Step(SetThreadPriority(0));
            std::fputs(seen.c_str(), stderr);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "ok 10; ok 14; new 14; ok 19; ok 14; ok 10; ");
}

TEST(Priority, RequestRefusedForPrivilegeIsGrantedAsFarAsAllowed) {
    const int start = ThreadNice();
    const int idle = std::min(19, start + 19);
    EXPECT_EXIT(
        {
            // No lowering of the nice value at all, even for the superuser.
            const struct rlimit none {};  // both limits 0
            if (::setrlimit(RLIMIT_NICE, &none) != 0) std::_Exit(2);
            if (::geteuid() == 0 && ::setresuid(65534, 65534, 65534) != 0) std::_Exit(2);
            std::string seen = Step(SetProcessPriorityClass(kRealtimePriorityClass));
            seen += Step(SetThreadPriority(-15));
            seen += Step(SetThreadPriority(15));  // cannot come back from idle
            std::fputs(seen.c_str(), stderr);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0),
        "ok " + std::to_string(start) + "; ok " + std::to_string(idle) + "; ok " +
            std::to_string(idle) + "; ");
}

}  // namespace
