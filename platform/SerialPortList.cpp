// The serial ports worth offering to the user, found in /dev and /sys.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>

#include "platform/SerialPort.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The entries of a directory; none when it cannot be read. Never throws.
std::vector<fs::path> Entries(const fs::path& directory) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    return entries;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The tty families that are serial ports; for the built-in UARTs the
// kernel makes a device for every possible port, so those need a look at
// the hardware behind them.
bool IsRealTty(const fs::path& ttyClass, const std::string& name) {
    const fs::path entry = ttyClass / name;
    if (StartsWith(name, "ttyS")) {
        if (!Exists(entry / "device" / "driver")) return false;
        std::ifstream typeFile(entry / "type");
        int type = 0;
        return (typeFile >> type) && type != 0;
    }
    if (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM") || StartsWith(name, "ttyAMA")) {
        std::error_code error;
        return fs::symlink_status(entry / "device", error).type() != fs::file_type::not_found;
    }
    return false;
}

// "ttyS2" before "ttyS10": the family, then the number.
bool TtyBefore(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& name) {
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
        const std::string number = name.substr(digits);
        return std::make_pair(name.substr(0, digits),
                              number.size() < 9 && !number.empty() ? std::stol(number) : -1L);
    };
    return split(a) < split(b);
}

// The path as it is seen from inside the root ("/dev/ttyUSB0").
std::string WithoutRoot(const fs::path& path, const fs::path& root) {
    if (root.empty()) return path.string();
    return "/" + path.lexically_relative(root).string();
}

}  // namespace

std::vector<std::string> ListSerialDevicesUnder(const std::string& rootText) {
    // Resolved, so that the resolved links below can be cut back to it.
    fs::path root;
    if (!rootText.empty()) {
        std::error_code error;
        root = fs::weakly_canonical(rootText, error);
        if (error) return {};
    }
    const fs::path base = root.empty() ? fs::path("/") : root;
    std::vector<std::string> devices;
    // Devices already offered by a by-id name, as their resolved paths.
    std::set<std::string> listed;

    for (const fs::path& link : Entries(base / "dev/serial/by-id")) {
        // The links are relative (../../ttyUSB0), so they resolve inside
        // the root; a dangling one is a device just unplugged.
        std::error_code resolveError;
        const fs::path target = fs::canonical(link, resolveError);
        if (resolveError) continue;
        devices.push_back(WithoutRoot(link, root));
        listed.insert(WithoutRoot(target, root));
    }
    std::sort(devices.begin(), devices.end());

    std::vector<std::string> ttys;
    const fs::path ttyClass = base / "sys/class/tty";
    for (const fs::path& entry : Entries(ttyClass)) {
        const std::string name = entry.filename().string();
        const std::string device = "/dev/" + name;
        if (listed.count(device) || !IsRealTty(ttyClass, name)) continue;
        // The kernel may know ports whose device node this system lacks
        // (a container, say).
        if (!Exists(base / "dev" / name)) continue;
        ttys.push_back(name);
    }
    std::sort(ttys.begin(), ttys.end(), TtyBefore);
    for (const auto& name : ttys) devices.push_back("/dev/" + name);
    return devices;
}

std::vector<std::string> ListSerialDevices() {
    return ListSerialDevicesUnder("");
}

}  // namespace platform
