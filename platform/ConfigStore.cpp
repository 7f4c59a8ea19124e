#include "platform/ConfigStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/Utf8.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

// The registry limit the stores stand in for: a text read back must fit a
// 256-byte buffer with its terminating zero.
constexpr std::size_t kMaxTextBytes = 256;

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Names that could not be read back as written, or would be taken for a
// section header, a comment or part of the value, are refused.
bool IsValidSection(std::string_view section) {
    return !section.empty() && Trim(section) == section && !HasLineBreak(section) &&
           section.find(']') == std::string_view::npos;
}

bool IsValidName(std::string_view name) {
    return !name.empty() && Trim(name) == name && !HasLineBreak(name) &&
           name.find('=') == std::string_view::npos && name.front() != '[' && name.front() != ';' &&
           name.front() != '#';
}

std::optional<int32_t> ParseNumber(std::string_view value) {
    std::size_t at = 0;
    bool negative = false;
    if (at < value.size() && (value[at] == '+' || value[at] == '-')) negative = value[at++] == '-';
    if (at == value.size()) return std::nullopt;
    int64_t n = 0;
    for (; at < value.size(); ++at) {
        const char c = value[at];
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
        if (n > int64_t{INT32_MAX} + 1) return std::nullopt;
    }
    if (negative) n = -n;
    if (n > INT32_MAX || n < INT32_MIN) return std::nullopt;
    return static_cast<int32_t>(n);
}

std::optional<std::string> ParseText(std::string_view value) {
    if (value.size() < 2 || value.front() != '"') return std::nullopt;
    std::string text;
    std::size_t at = 1;
    for (; at < value.size(); ++at) {
        char c = value[at];
        if (c == '"') break;
        if (c == '\\') {
            if (++at == value.size()) return std::nullopt;
            switch (value[at]) {
                case '"':
                    c = '"';
                    break;
                case '\\':
                    c = '\\';
                    break;
                case 'n':
                    c = '\n';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 't':
                    c = '\t';
                    break;
                default:
                    return std::nullopt;
            }
        }
        text.push_back(c);
    }
    if (at + 1 != value.size()) return std::nullopt;  // no closing quote, or more after it
    return text;
}

std::string QuoteText(std::string_view text) {
    // A text ends at its first zero, as a stored string does.
    text = text.substr(0, text.find('\0'));
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out.push_back(c);
        }
    }
    out.push_back('"');
    return out;
}

// The file as its lines, kept verbatim so that comments and lines this
// program does not understand survive a rewrite.
struct Lines {
    std::vector<std::string> lines;
};

enum class LoadResult { Loaded, Missing, Failed };

LoadResult Load(const fs::path& file, Lines* out) {
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (status.type() == fs::file_type::not_found) return LoadResult::Missing;
    if (error || status.type() != fs::file_type::regular) return LoadResult::Failed;
    std::ifstream in(file, std::ios::binary);
    if (!in) return LoadResult::Failed;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return LoadResult::Failed;
    const std::string text = content.str();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        out->lines.emplace_back(text, start, end - start);
        start = end + 1;
    }
    return LoadResult::Loaded;
}

struct Position {
    std::optional<std::size_t> valueLine;   // the line holding the value
    std::optional<std::size_t> insertLine;  // where a new value of the section goes
    std::string_view name;                  // the name as the file spells it
    std::string_view value;                 // trimmed text after '='
};

Position Find(const Lines& file, std::string_view section, std::string_view name) {
    Position found;
    bool inSection = false;
    bool inFirstSection = false;
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const std::string_view line = Trim(file.lines[i]);
        if (line.empty()) continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            inSection = EqualsIgnoringCase(Trim(line.substr(1, line.size() - 2)), section);
            inFirstSection = inSection && !found.insertLine;
            if (inFirstSection) found.insertLine = i + 1;
            continue;
        }
        if (!inSection) continue;
        // New values go after the last non-blank line of the first section
        // of that name, so blank lines before the next header stay there.
        if (inFirstSection) found.insertLine = i + 1;
        if (found.valueLine || line.front() == ';' || line.front() == '#') continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        if (const std::string_view key = Trim(line.substr(0, equals));
            EqualsIgnoringCase(key, name)) {
            found.valueLine = i;
            found.name = key;
            found.value = Trim(line.substr(equals + 1));
        }
    }
    return found;
}

void Put(Lines* file, std::string_view section, std::string_view name, const std::string& value) {
    const Position at = Find(*file, section, name);
    // A value written again keeps the name as it was first spelt.
    std::string entry(at.valueLine ? at.name : name);
    entry += '=';
    entry += value;
    if (at.valueLine) {
        file->lines[*at.valueLine] = std::move(entry);
    } else if (at.insertLine) {
        file->lines.insert(file->lines.begin() + static_cast<std::ptrdiff_t>(*at.insertLine),
                           std::move(entry));
    } else {
        if (!file->lines.empty() && !Trim(file->lines.back()).empty()) file->lines.emplace_back();
        file->lines.push_back("[" + std::string(section) + "]");
        file->lines.push_back(std::move(entry));
    }
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A temporary file beside the store, synced, then renamed over it: readers
// and a crash see either the old store or the new one, never a mixture.
bool Save(const fs::path& file, const Lines& content) {
    std::string data;
    for (const std::string& line : content.lines) {
        data += line;
        data += '\n';
    }
    const fs::path directory = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) return false;

    std::string temporary = (directory / ("." + file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    struct stat old {};
    const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temporary.c_str(), file.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; the store is already correct if this fails.
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

// The value under the name, or none when it is missing or the store cannot be read.
std::optional<std::string> RawValue(const fs::path& file, std::string_view section,
                                    std::string_view name) {
    Lines content;
    if (!IsValidSection(section) || !IsValidName(name)) return std::nullopt;
    if (Load(file, &content) != LoadResult::Loaded) return std::nullopt;
    const Position at = Find(content, section, name);
    if (!at.valueLine) return std::nullopt;
    return std::string(at.value);
}

bool Store(const fs::path& file, std::string_view section, std::string_view name,
           const std::string& value) {
    if (!IsValidSection(section) || !IsValidName(name)) return false;
    Lines content;
    if (Load(file, &content) == LoadResult::Failed) return false;
    Put(&content, section, name, value);
    return Save(file, content);
}

std::string NumberValue(int32_t value) {
    return std::to_string(value);
}

}  // namespace

ConfigStore::ConfigStore(fs::path file) : file_(std::move(file)) {}

bool ConfigStore::ReadNumber(std::string_view section, std::string_view name, int32_t fallback,
                             int32_t* out) {
    std::lock_guard<std::mutex> hold(lock_);
    if (const auto raw = RawValue(file_, section, name)) {
        if (const auto number = ParseNumber(*raw)) {
            *out = *number;
            return true;
        }
    }
    *out = fallback;
    Store(file_, section, name, NumberValue(fallback));
    return false;
}

bool ConfigStore::ReadText(std::string_view section, std::string_view name,
                           std::string_view fallback, std::string* out) {
    std::lock_guard<std::mutex> hold(lock_);
    if (const auto raw = RawValue(file_, section, name)) {
        if (auto text = ParseText(*raw); text && text->size() < kMaxTextBytes) {
            *out = std::move(*text);
            return true;
        }
    }
    *out = std::string(fallback);
    Store(file_, section, name, QuoteText(fallback));
    return false;
}

int32_t ConfigStore::GetNumber(std::string_view section, std::string_view name,
                               int32_t fallback) const {
    std::lock_guard<std::mutex> hold(lock_);
    if (const auto raw = RawValue(file_, section, name)) {
        if (const auto number = ParseNumber(*raw)) return *number;
    }
    return fallback;
}

std::string ConfigStore::GetText(std::string_view section, std::string_view name,
                                 std::string_view fallback) const {
    std::lock_guard<std::mutex> hold(lock_);
    if (const auto raw = RawValue(file_, section, name)) {
        if (auto text = ParseText(*raw)) return std::move(*text);
    }
    return std::string(fallback);
}

bool ConfigStore::WriteNumber(std::string_view section, std::string_view name, int32_t value) {
    std::lock_guard<std::mutex> hold(lock_);
    return Store(file_, section, name, NumberValue(value));
}

bool ConfigStore::WriteText(std::string_view section, std::string_view name,
                            std::string_view value) {
    std::lock_guard<std::mutex> hold(lock_);
    return Store(file_, section, name, QuoteText(value));
}

namespace {

std::mutex gDirectoryLock;
std::optional<fs::path> gDirectory;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

fs::path HomeDirectory() {
    if (std::string home = Environment("HOME"); !home.empty()) return home;
    struct passwd entry {};
    struct passwd* result = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir && *result->pw_dir)
        return result->pw_dir;
    return fs::path(".");
}

ConfigStore& StoreNamed(const char* fileName) {
    // Stores are kept for the life of the process: a caller may still hold
    // the store of a directory that has since been replaced.
    static std::mutex lock;
    static auto* stores = new std::map<fs::path, std::unique_ptr<ConfigStore>>();
    const fs::path file = (ConfigDirectory() / fileName).lexically_normal();
    std::lock_guard<std::mutex> hold(lock);
    auto& store = (*stores)[file];
    if (!store) store = std::make_unique<ConfigStore>(file);
    return *store;
}

}  // namespace

void SetConfigDirectory(const fs::path& directory) {
    std::lock_guard<std::mutex> hold(gDirectoryLock);
    if (directory.empty())
        gDirectory.reset();
    else
        gDirectory = directory;
}

fs::path ConfigDirectory() {
    {
        std::lock_guard<std::mutex> hold(gDirectoryLock);
        if (gDirectory) return *gDirectory;
    }
    if (std::string dir = Environment("KINETRA_CONFIG_DIR"); !dir.empty()) return dir;
    if (std::string dir = Environment("XDG_CONFIG_HOME"); !dir.empty())
        return fs::path(dir) / "kinetra";
    return HomeDirectory() / ".config" / "kinetra";
}

ConfigStore& MachineStore() {
    return StoreNamed("machine.ini");
}
ConfigStore& UserProfile() {
    return StoreNamed("profile.ini");
}

bool ReadMachineNumber(std::string_view name, int32_t fallback, int32_t* out) {
    return MachineStore().ReadNumber(kMachineSection, name, fallback, out);
}

bool ReadMachineText(std::string_view name, std::string_view fallback, std::string* out) {
    return MachineStore().ReadText(kMachineSection, name, fallback, out);
}

bool WriteMachineNumber(std::string_view name, int32_t value) {
    return MachineStore().WriteNumber(kMachineSection, name, value);
}

bool WriteMachineText(std::string_view name, std::string_view value) {
    return MachineStore().WriteText(kMachineSection, name, value);
}

}  // namespace platform
