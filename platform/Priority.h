// Process and thread priorities, given in the codes the stores hold
// (priority classes 64, 16384, 32, 32768, 128, 256; thread priorities
// -15, -2, -1, 0, 1, 2, 15) and carried out with Linux nice values.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

inline constexpr int32_t kIdlePriorityClass = 64;
inline constexpr int32_t kBelowNormalPriorityClass = 16384;
inline constexpr int32_t kNormalPriorityClass = 32;
inline constexpr int32_t kAboveNormalPriorityClass = 32768;
inline constexpr int32_t kHighPriorityClass = 128;
inline constexpr int32_t kRealtimePriorityClass = 256;

// The nice value a class stands for; none for an unknown code.
std::optional<int> NiceForClass(int32_t priorityClass);
// The nice offset a thread priority stands for, relative to the process's
// class; none for an unknown code.
std::optional<int> NiceOffsetForThreadPriority(int32_t threadPriority);

// Sets the nice value of the calling thread (threads made later inherit it)
// to the class's. A request refused for lack of privilege is granted as far
// as the system allows (the lowest nice value this user may take) and counts
// as success; false only for an unknown code or another system failure.
bool SetProcessPriorityClass(int32_t priorityClass);

// Sets the calling thread's nice value to the process class's plus the
// priority's offset, with the same rule for privilege.
bool SetThreadPriority(int32_t threadPriority);

}  // namespace platform
