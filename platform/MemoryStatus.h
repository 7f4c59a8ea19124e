// How much memory the machine and this process have, read from the
// kernel's text files. The parsers take the files' texts, so that any text
// can be tried without the machine having it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr const char* kMeminfoFile = "/proc/meminfo";
inline constexpr const char* kProcessStatusFile = "/proc/self/status";

struct MemoryStatus {
    uint64_t totalPhysicalKb = 0;
    uint64_t availablePhysicalKb = 0;
    uint64_t availableSwapKb = 0;
    uint64_t usedVirtualKb = 0;  // the process's address space in use
};

// The number of kilobytes of a "Name:   1234 kB" line; nothing when the
// line is missing or its number is not whole kilobytes.
std::optional<uint64_t> KilobyteField(std::string_view text, std::string_view name);

// The machine's figures from the text of the meminfo file: MemTotal,
// MemAvailable and SwapFree (usedVirtualKb stays 0). Nothing when one is
// missing, or the total is 0 or below what is available.
std::optional<MemoryStatus> ParseMeminfo(std::string_view text);

// Reads the two files. Nothing when one cannot be read or its text does not
// parse; *badFile then names the file that failed.
std::optional<MemoryStatus> ReadMemoryStatus(std::string* badFile = nullptr);

// What is free, physical memory and swap together, in megabytes, cut
// (not rounded) to two decimals.
double AvailableMegabytes(const MemoryStatus& status);
// The address space in use, in megabytes.
double UsedVirtualMegabytes(const MemoryStatus& status);
// The physical memory in use, as a whole percentage of the total (cut).
int32_t MemoryLoadPercent(const MemoryStatus& status);

}  // namespace platform
