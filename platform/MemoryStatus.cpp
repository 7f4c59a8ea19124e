#include "platform/MemoryStatus.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace platform {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::optional<std::string> ReadWhole(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return text.str();
}

constexpr double kKbPerMb = 1024.0;

}  // namespace

std::optional<uint64_t> KilobyteField(std::string_view text, std::string_view name) {
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.size() <= name.size() || line.substr(0, name.size()) != name ||
            line[name.size()] != ':')
            continue;
        line.remove_prefix(name.size() + 1);
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
        uint64_t value = 0;
        const auto [rest, error] = std::from_chars(line.data(), line.data() + line.size(), value);
        if (error != std::errc() || rest == line.data()) return std::nullopt;
        line.remove_prefix(static_cast<std::size_t>(rest - line.data()));
        while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r'))
            line.remove_suffix(1);
        if (line.empty() || !IsBlank(line.front())) return std::nullopt;
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
        if (line != "kB") return std::nullopt;
        return value;
    }
    return std::nullopt;
}

std::optional<MemoryStatus> ParseMeminfo(std::string_view text) {
    const auto total = KilobyteField(text, "MemTotal");
    const auto available = KilobyteField(text, "MemAvailable");
    const auto swap = KilobyteField(text, "SwapFree");
    if (!total || !available || !swap || *total == 0 || *available > *total) return std::nullopt;
    MemoryStatus status;
    status.totalPhysicalKb = *total;
    status.availablePhysicalKb = *available;
    status.availableSwapKb = *swap;
    return status;
}

std::optional<MemoryStatus> ReadMemoryStatus(std::string* badFile) {
    auto fail = [badFile](const char* file) {
        if (badFile) *badFile = file;
        return std::nullopt;
    };
    const auto meminfo = ReadWhole(kMeminfoFile);
    std::optional<MemoryStatus> status = meminfo ? ParseMeminfo(*meminfo) : std::nullopt;
    if (!status) return fail(kMeminfoFile);
    const auto processStatus = ReadWhole(kProcessStatusFile);
    const auto used = processStatus ? KilobyteField(*processStatus, "VmSize") : std::nullopt;
    if (!used) return fail(kProcessStatusFile);
    status->usedVirtualKb = *used;
    return status;
}

double AvailableMegabytes(const MemoryStatus& status) {
    // In whole hundredths first, so that the cut is exact.
    const uint64_t hundredths = (status.availablePhysicalKb + status.availableSwapKb) * 100 / 1024;
    return static_cast<double>(hundredths) / 100.0;
}

double UsedVirtualMegabytes(const MemoryStatus& status) {
    return static_cast<double>(status.usedVirtualKb) / kKbPerMb;
}

int32_t MemoryLoadPercent(const MemoryStatus& status) {
    if (status.availablePhysicalKb >= status.totalPhysicalKb) return 0;
    const uint64_t used = status.totalPhysicalKb - status.availablePhysicalKb;
    return static_cast<int32_t>(used * 100 / status.totalPhysicalKb);
}

}  // namespace platform
