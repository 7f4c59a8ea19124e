#include "platform/DataFiles.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <system_error>

#ifndef KINETRA_DATA_DIR
#define KINETRA_DATA_DIR "/usr/local/share/kinetra"
#endif

namespace platform {

namespace fs = std::filesystem;

std::vector<fs::path> DataSearchPath() {
    std::vector<fs::path> path;
    const auto add = [&path](fs::path directory) {
        if (directory.empty()) return;
        if (std::find(path.begin(), path.end(), directory) == path.end())
            path.push_back(std::move(directory));
    };
    if (const char* dir = std::getenv("KINETRA_DATA_DIR")) add(dir);
    add(ProgramDirectory());
    std::error_code error;
    add(fs::current_path(error));
    add(KINETRA_DATA_DIR);
    return path;
}

std::optional<fs::path> FindDataFile(std::string_view name) {
    if (name.empty()) return std::nullopt;
    for (const fs::path& directory : DataSearchPath()) {
        const fs::path file = directory / name;
        std::error_code error;
        if (fs::is_regular_file(file, error)) return file;
    }
    return std::nullopt;
}

fs::path ProgramDirectory() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) return fs::path();
    return program.parent_path();
}

}  // namespace platform
