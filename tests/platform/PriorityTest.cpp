#include "platform/Priority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

using namespace platform;

int ThreadNice() {
    errno = 0;
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
}

// Bit 23 of the effective capability set: CAP_SYS_NICE; bit 24: CAP_SYS_RESOURCE.
bool HasCapability(int bit) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("CapEff:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> bit) & 1;
    }
    return false;
}

// Priorities change the whole process's state, so every case that sets one
// runs in a child process; a failed check ends the child with its line.
#define CHILD_CHECK(condition)                                                                   \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "line %d: %s (nice %d)\n", __LINE__, #condition, ThreadNice()); \
            std::_Exit(1);                                                                       \
        }                                                                                        \
    } while (0)

// Takes away the superuser's rights, leaving the nice limit given.
void DropPrivilegeWithNiceLimit(rlim_t limit) {
    struct rlimit nice {};
    ::getrlimit(RLIMIT_NICE, &nice);
    nice.rlim_cur = limit;
    if (::geteuid() == 0) nice.rlim_max = limit;
    CHILD_CHECK(::setrlimit(RLIMIT_NICE, &nice) == 0);
    if (::geteuid() == 0) CHILD_CHECK(::setresuid(65534, 65534, 65534) == 0);
}

TEST(Priority, ClassCodesMapToNiceValues) {
    EXPECT_EQ(NiceForClass(kIdlePriorityClass), 19);
    EXPECT_EQ(NiceForClass(kBelowNormalPriorityClass), 10);
    EXPECT_EQ(NiceForClass(kNormalPriorityClass), 0);
    EXPECT_EQ(NiceForClass(kAboveNormalPriorityClass), -5);
    EXPECT_EQ(NiceForClass(kHighPriorityClass), -10);
    EXPECT_EQ(NiceForClass(kRealtimePriorityClass), -20);
    for (int32_t code : {0, 1, -1, 31, 33, 65, 255, 512, 16383, 32767}) {
        EXPECT_EQ(NiceForClass(code), std::nullopt) << code;
    }
}

TEST(Priority, ThreadPrioritiesMapToNiceOffsets) {
    EXPECT_EQ(NiceOffsetForThreadPriority(-15), 19);
    EXPECT_EQ(NiceOffsetForThreadPriority(-2), 4);
    EXPECT_EQ(NiceOffsetForThreadPriority(-1), 2);
    EXPECT_EQ(NiceOffsetForThreadPriority(0), 0);
    EXPECT_EQ(NiceOffsetForThreadPriority(1), -2);
    EXPECT_EQ(NiceOffsetForThreadPriority(2), -4);
    EXPECT_EQ(NiceOffsetForThreadPriority(15), -10);
    for (int32_t code : {-16, -14, -3, 3, 14, 16, 31}) {
        EXPECT_EQ(NiceOffsetForThreadPriority(code), std::nullopt) << code;
    }
}

TEST(Priority, UnknownCodesAreRefusedWithoutChange) {
    const int before = ThreadNice();
    EXPECT_FALSE(SetProcessPriorityClass(12345));
    EXPECT_FALSE(SetThreadPriority(7));
    EXPECT_EQ(ThreadNice(), before);
}

TEST(Priority, IdleClassLowersTheThreadAndNewThreadsInheritIt) {
    EXPECT_EXIT(
        {
            CHILD_CHECK(SetProcessPriorityClass(kIdlePriorityClass));
            CHILD_CHECK(ThreadNice() == 19);
            int inherited = 0;
            std::thread([&inherited] { inherited = ThreadNice(); }).join();
            CHILD_CHECK(inherited == 19);
            CHILD_CHECK(SetThreadPriority(-15));  // 19 + 19 stays at the lowest
            CHILD_CHECK(ThreadNice() == 19);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Priority, ThreadPriorityIsAnOffsetFromTheClass) {
    EXPECT_EXIT(
        {
            CHILD_CHECK(SetProcessPriorityClass(kBelowNormalPriorityClass));
            CHILD_CHECK(ThreadNice() == 10);
            CHILD_CHECK(SetThreadPriority(-2));
            CHILD_CHECK(ThreadNice() == 14);
            CHILD_CHECK(SetThreadPriority(-1));
            CHILD_CHECK(ThreadNice() == 12);
            CHILD_CHECK(SetThreadPriority(0));
            CHILD_CHECK(ThreadNice() == 10);
            // A second thread takes its own priority, the first keeps its own.
            int other = 0;
            std::thread([&other] {
                if (SetThreadPriority(-15)) other = ThreadNice();
            }).join();
            CHILD_CHECK(other == 19);
            CHILD_CHECK(ThreadNice() == 10);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Priority, PrivilegedProcessGetsTheRealtimeClass) {
    if (!HasCapability(23)) GTEST_SKIP() << "needs the right to raise priorities";
    EXPECT_EXIT(
        {
            CHILD_CHECK(SetProcessPriorityClass(kRealtimePriorityClass));
            CHILD_CHECK(ThreadNice() == -20);
            CHILD_CHECK(SetThreadPriority(15));  // beyond the highest: clamped
            CHILD_CHECK(ThreadNice() == -20);
            CHILD_CHECK(SetThreadPriority(-2));
            CHILD_CHECK(ThreadNice() == -16);
            CHILD_CHECK(SetProcessPriorityClass(kHighPriorityClass));
            CHILD_CHECK(ThreadNice() == -10);
            CHILD_CHECK(SetThreadPriority(15));
            CHILD_CHECK(ThreadNice() == -20);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Priority, UnprivilegedRequestIsGrantedAsFarAsTheNiceLimitAllows) {
    struct rlimit nice {};
    ::getrlimit(RLIMIT_NICE, &nice);
    if (::geteuid() != 0 || (nice.rlim_max < 25 && !HasCapability(24)))
        GTEST_SKIP() << "needs the superuser, free to set the nice limit";
    EXPECT_EXIT(
        {
            DropPrivilegeWithNiceLimit(25);  // nice values down to -5
            CHILD_CHECK(SetProcessPriorityClass(kRealtimePriorityClass));
            CHILD_CHECK(ThreadNice() == -5);
            CHILD_CHECK(SetThreadPriority(15));
            CHILD_CHECK(ThreadNice() == -5);
            // Offsets count from what the class got, not from -20.
            CHILD_CHECK(SetThreadPriority(-2));
            CHILD_CHECK(ThreadNice() == -1);
            CHILD_CHECK(SetThreadPriority(0));
            CHILD_CHECK(ThreadNice() == -5);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Priority, UnprivilegedThreadCannotComeBackFromIdle) {
    EXPECT_EXIT(
        {
            const int start = ThreadNice();
            DropPrivilegeWithNiceLimit(0);  // no lowering at all
            CHILD_CHECK(SetProcessPriorityClass(kRealtimePriorityClass));
            CHILD_CHECK(ThreadNice() == start);
            const int idle = std::min(19, start + 19);
            CHILD_CHECK(SetThreadPriority(-15));
            CHILD_CHECK(ThreadNice() == idle);
            CHILD_CHECK(SetThreadPriority(15));  // refused, so it stays where it is
            CHILD_CHECK(ThreadNice() == idle);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
