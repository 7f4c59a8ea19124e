#include "project/ProjectFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "LogoCore/LogoErrors.h"

namespace {

constexpr std::string_view kExtension = ".KXP";
constexpr int32_t kErrorCannotRead = -42;
constexpr int32_t kErrorDamaged = -45;
constexpr int32_t kErrorNotSaved = -50;
// Far beyond a project of 100 pages with full graphs and pictures; a file
// larger than this is not read into memory.
constexpr uintmax_t kLargestProject = uintmax_t{1} << 30;

// The name and why, as the messages show them.
std::string WithReason(const std::string& name, int error) {
    return name + " (" + std::strerror(error) + ")";
}

// Closes the descriptor when it goes, unless released.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now; the error of close counts for a file being written.
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string WithProjectExtension(const std::string& name) {
    if (name.size() >= kExtension.size() &&
        name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) == 0)
        return name;
    return name + std::string(kExtension);
}

std::string WithDefaultExtension(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    const std::string_view file = slash == std::string::npos
                                      ? std::string_view(name)
                                      : std::string_view(name).substr(slash + 1);
    // A leading dot names a hidden file; it is no extension.
    const std::size_t dot = file.rfind('.');
    if (dot != std::string_view::npos && dot > 0) return name;
    return name + std::string(kExtension);
}

std::vector<uint8_t> ReadProjectFile(const std::string& path) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) RaiseError(kErrorCannotRead, {WithReason(path, errno)});
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) RaiseError(kErrorCannotRead, {WithReason(path, errno)});
    if (S_ISDIR(info.st_mode)) RaiseError(kErrorCannotRead, {WithReason(path, EISDIR)});
    if (static_cast<uintmax_t>(info.st_size) > kLargestProject) RaiseError(kErrorDamaged, {path});
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    uint8_t chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd.Get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            RaiseError(kErrorCannotRead, {WithReason(path, errno)});
        }
        if (got == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > kLargestProject) RaiseError(kErrorDamaged, {path});
    }
    return bytes;
}

namespace {

// A new file beside the target, made with the usual permissions (0666 less
// the umask); its name is returned in *name.
int CreateBeside(const std::string& folder, const std::string& file, std::string* name) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = folder + "/." + file + "." + std::to_string(random()) + ".tmp";
        const int fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

void SaveFileSafely(const std::string& path, std::span<const uint8_t> bytes) {
    const std::string folder = FolderOf(AbsolutePath(path));
    std::string temporary;
    Descriptor fd(
        CreateBeside(folder, std::filesystem::path(path).filename().string(), &temporary));
    if (fd.Get() < 0) RaiseError(kErrorNotSaved, {WithReason(path, errno)});
    const auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        RaiseError(kErrorNotSaved, {WithReason(path, error)});
    };
    // A file saved over keeps its permissions.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && ::fchmod(fd.Get(), old.st_mode & 07777) != 0)
        fail(errno);
    if (!WriteAll(fd.Get(), bytes)) fail(errno);
    if (::fsync(fd.Get()) != 0) fail(errno);
    if (fd.Close() != 0) fail(errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) fail(errno);
    // The rename itself reaches the disk with the folder.
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) ::fsync(dir.Get());
}

std::string AbsolutePath(const std::string& path) {
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.lexically_normal().string();
}

std::string FolderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}
