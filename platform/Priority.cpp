#include "platform/Priority.h"

#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace platform {

namespace {

constexpr int kHighestNice = -20;
constexpr int kLowestNice = 19;

// The nice value the process class was given; thread priorities are offsets
// from it. Threads started before any class is set count from normal.
std::atomic<int> gClassNice{0};

int ClampNice(int nice) {
    return std::clamp(nice, kHighestNice, kLowestNice);
}

// The lowest nice value the thread could take without privilege: it may
// always keep or raise its own, and lower it only as far as RLIMIT_NICE says.
std::optional<int> LowestPermittedNice(pid_t thread) {
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    if (current == -1 && errno != 0) return std::nullopt;
    int lowest = current;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NICE, &limit) == 0) {
        if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 40)
            lowest = kHighestNice;
        else
            lowest = std::min(current, 20 - static_cast<int>(limit.rlim_cur));
    }
    return ClampNice(lowest);
}

// Sets the calling thread's nice value; the value it got, or none.
std::optional<int> ApplyNice(int nice) {
    nice = ClampNice(nice);
    const pid_t thread = ::gettid();
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice) == 0) return nice;
    if (errno != EPERM && errno != EACCES) return std::nullopt;
    // Refused for lack of privilege: as close to the request as allowed.
    const std::optional<int> lowest = LowestPermittedNice(thread);
    if (!lowest) return std::nullopt;
    const int granted = std::max(nice, *lowest);
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(thread), granted) != 0) return std::nullopt;
    return granted;
}

}  // namespace

std::optional<int> NiceForClass(int32_t priorityClass) {
    switch (priorityClass) {
        case kIdlePriorityClass:
            return 19;
        case kBelowNormalPriorityClass:
            return 10;
        case kNormalPriorityClass:
            return 0;
        case kAboveNormalPriorityClass:
            return -5;
        case kHighPriorityClass:
            return -10;
        case kRealtimePriorityClass:
            return -20;
        default:
            return std::nullopt;
    }
}

std::optional<int> NiceOffsetForThreadPriority(int32_t threadPriority) {
    switch (threadPriority) {
        case -15:
            return 19;  // idle: as low as the class allows
        case -2:
            return 4;
        case -1:
            return 2;
        case 0:
            return 0;
        case 1:
            return -2;
        case 2:
            return -4;
        case 15:
            return -10;  // time-critical
        default:
            return std::nullopt;
    }
}

bool SetProcessPriorityClass(int32_t priorityClass) {
    const std::optional<int> nice = NiceForClass(priorityClass);
    if (!nice) return false;
    const std::optional<int> granted = ApplyNice(*nice);
    if (!granted) return false;
    // Offsets count from what the class really got, so that an unprivileged
    // idle thread still ends up below the others.
    gClassNice.store(*granted, std::memory_order_relaxed);
    return true;
}

bool SetThreadPriority(int32_t threadPriority) {
    const std::optional<int> offset = NiceOffsetForThreadPriority(threadPriority);
    if (!offset) return false;
    return ApplyNice(gClassNice.load(std::memory_order_relaxed) + *offset).has_value();
}

}  // namespace platform
