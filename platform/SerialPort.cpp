// The serial port on POSIX termios (Linux).
#include "platform/SerialPort.h"

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds from now until the deadline, at least 0; -1 (poll's "no
// limit") when there is none.
int MillisecondsUntil(std::optional<Clock::time_point> deadline) {
    if (!deadline) return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

std::optional<Clock::time_point> DeadlineAfter(Clock::time_point start, int milliseconds) {
    if (milliseconds < 0) return std::nullopt;
    return start + std::chrono::milliseconds(milliseconds);
}

std::optional<Clock::time_point> Earlier(std::optional<Clock::time_point> a,
                                         std::optional<Clock::time_point> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

// Line-error counters of the driver; only real UARTs (and some USB
// adapters) keep them.
std::optional<serial_icounter_struct> ReadErrorCounts(int fd) {
    serial_icounter_struct counts{};
    if (ioctl(fd, TIOCGICOUNT, &counts) != 0) return std::nullopt;
    return counts;
}

class PosixSerialPort final : public SerialPort {
  public:
    PosixSerialPort(int fd, int cancelFd) : fd_(fd), cancelFd_(cancelFd) {
        counts_ = ReadErrorCounts(fd_);
    }
    ~PosixSerialPort() override;

    int Read(uint8_t* buffer, int n, int intervalMs, int totalMs) override;
    bool Write(const uint8_t* bytes, int n, int timeoutMs) override;
    bool SendImmediately(uint8_t byte) override;
    bool Purge() override;
    bool PurgeInput() override;
    uint32_t TakeLineErrors() override;
    void CancelReads() override;

  private:
    // Writes without waiting for the bytes to leave.
    bool WriteAll(const uint8_t* bytes, int n, int timeoutMs);

    const int fd_;
    const int cancelFd_;  // an eventfd that becomes readable on CancelReads
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> failed_{false};
    // Guards the decoder, which Read uses and Purge resets.
    std::mutex decoderLock_;
    LineMarkDecoder decoder_;
    std::atomic<uint32_t> markErrors_{0};
    // The driver's counters at the last TakeLineErrors; none when the
    // driver keeps none.
    std::mutex countsLock_;
    std::optional<serial_icounter_struct> counts_;
};

PosixSerialPort::~PosixSerialPort() {
    // close() waits for unsent output to drain, for up to half a minute on
    // a serial driver. Give the few bytes that may be queued (the link's
    // last command) a moment, then drop what is still there. Only then: on
    // a pseudo-terminal the queue reads empty while the bytes are still on
    // their way to the other side, and a flush would drop them there.
    const auto giveUp = Clock::now() + std::chrono::milliseconds(100);
    int queued = 0;
    while (ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (queued > 0) tcflush(fd_, TCOFLUSH);
    // The exclusive flag outlives this descriptor while anyone else holds
    // the tty open.
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    close(fd_);
    close(cancelFd_);
}

int PosixSerialPort::Read(uint8_t* buffer, int n, int intervalMs, int totalMs) {
    if (cancelled_.load() || failed_.load()) return -1;
    if (n <= 0) return 0;
    const auto start = Clock::now();
    const auto totalDeadline = DeadlineAfter(start, totalMs);
    std::optional<Clock::time_point> intervalDeadline;  // set by the first byte
    bool hungUp = false;
    int got = 0;
    const auto fail = [&] {
        failed_.store(true);
        return got > 0 ? got : -1;
    };

    while (got < n) {
        // A steady stream would otherwise keep a cancelled read going.
        if (cancelled_.load()) return got > 0 ? got : -1;
        uint8_t raw[256];
        const int want = std::min<int>(n - got, sizeof raw);
        const ssize_t r = read(fd_, raw, want);
        if (r > 0) {
            std::lock_guard<std::mutex> lock(decoderLock_);
            got += decoder_.Decode(raw, static_cast<int>(r), buffer + got);
            markErrors_.fetch_or(decoder_.TakeErrors());
            intervalDeadline = DeadlineAfter(Clock::now(), intervalMs);
            continue;
        }
        // A tty reads 0 only once its other side has hung up.
        if (r == 0) return fail();
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return fail();
        if (hungUp) return fail();

        const int timeout = MillisecondsUntil(Earlier(totalDeadline, intervalDeadline));
        if (timeout == 0) break;
        pollfd fds[2] = {{fd_, POLLIN, 0}, {cancelFd_, POLLIN, 0}};
        const int ready = poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return fail();
        }
        if (fds[1].revents != 0 || cancelled_.load()) return got > 0 ? got : -1;
        if (fds[0].revents & (POLLERR | POLLNVAL)) return fail();
        // Bytes that arrived before the hang-up are still read; then fail.
        if (fds[0].revents & POLLHUP) hungUp = true;
    }
    return got;
}

bool PosixSerialPort::WriteAll(const uint8_t* bytes, int n, int timeoutMs) {
    const auto deadline = DeadlineAfter(Clock::now(), timeoutMs);
    int done = 0;
    while (done < n) {
        const ssize_t w = write(fd_, bytes + done, n - done);
        if (w > 0) {
            done += static_cast<int>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN) return false;
        const int timeout = MillisecondsUntil(deadline);
        if (timeout == 0) return false;
        pollfd fds[1] = {{fd_, POLLOUT, 0}};
        const int ready = poll(fds, 1, timeout);
        if (ready < 0 && errno != EINTR) return false;
        if (ready > 0 && (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))) return false;
    }
    return true;
}

bool PosixSerialPort::Write(const uint8_t* bytes, int n, int timeoutMs) {
    if (n <= 0) return true;
    if (!WriteAll(bytes, n, timeoutMs)) return false;
    // Without flow control the UART always empties its queue, so this
    // wait is bounded by the bytes just written.
    while (tcdrain(fd_) != 0)
        if (errno != EINTR) return false;
    return true;
}

bool PosixSerialPort::SendImmediately(uint8_t byte) {
    // One byte takes about a millisecond to leave; the time-out only
    // guards against a driver that takes nothing.
    return WriteAll(&byte, 1, 160);
}

bool PosixSerialPort::Purge() {
    std::lock_guard<std::mutex> lock(decoderLock_);
    decoder_.Reset();
    return tcflush(fd_, TCIOFLUSH) == 0;
}

bool PosixSerialPort::PurgeInput() {
    std::lock_guard<std::mutex> lock(decoderLock_);
    decoder_.Reset();
    return tcflush(fd_, TCIFLUSH) == 0;
}

uint32_t PosixSerialPort::TakeLineErrors() {
    uint32_t errors = markErrors_.exchange(0);
    std::lock_guard<std::mutex> lock(countsLock_);
    if (counts_) {
        if (auto now = ReadErrorCounts(fd_)) {
            if (now->frame != counts_->frame) errors |= kLineFraming;
            if (now->overrun != counts_->overrun) errors |= kLineOverrun;
            if (now->buf_overrun != counts_->buf_overrun) errors |= kLineReceiveOverrun;
            counts_ = now;
        }
    }
    return errors;
}

void PosixSerialPort::CancelReads() {
    cancelled_.store(true);
    const uint64_t one = 1;
    // The eventfd stays readable from now on, so every later wait ends too.
    while (write(cancelFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

// 9600 baud, 8 data bits, no parity, one stop bit, raw, no flow control;
// damaged bytes marked in the data (see LineMarkDecoder).
bool Configure(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    if (cfsetispeed(&t, B9600) != 0 || cfsetospeed(&t, B9600) != 0) return false;
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~(IXON | IXOFF | IXANY | IGNPAR | ISTRIP | IGNBRK | BRKINT);
    t.c_iflag |= INPCK | PARMRK;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) != 0) return false;
    // tcsetattr succeeds when any part was taken; check the parts that matter.
    termios check{};
    if (tcgetattr(fd, &check) != 0) return false;
    return cfgetispeed(&check) == B9600 && cfgetospeed(&check) == B9600 &&
           (check.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS)) == CS8 &&
           (check.c_iflag & (IXON | IXOFF | PARMRK | INPCK)) == (PARMRK | INPCK);
}

}  // namespace

int LineMarkDecoder::Decode(const uint8_t* raw, int n, uint8_t* out) {
    int count = 0;
    for (int i = 0; i < n; ++i) {
        const uint8_t byte = raw[i];
        switch (state_) {
            case State::kData:
                if (byte == 0xFF)
                    state_ = State::kAfterMark;
                else
                    out[count++] = byte;
                break;
            case State::kAfterMark:
                if (byte == 0x00) {
                    state_ = State::kAfterMarkZero;
                } else if (byte == 0xFF) {
                    out[count++] = 0xFF;
                    state_ = State::kData;
                } else {
                    // Not a mark the driver makes. Keep the byte but not
                    // the lone 0xFF, so that no byte in gives two out.
                    out[count++] = byte;
                    state_ = State::kData;
                }
                break;
            case State::kAfterMarkZero:
                // The damaged byte (0 for a break) is passed on.
                errors_ |= kLineFraming;
                out[count++] = byte;
                state_ = State::kData;
                break;
        }
    }
    return count;
}

uint32_t LineMarkDecoder::TakeErrors() {
    const uint32_t errors = errors_;
    errors_ = 0;
    return errors;
}

std::string SerialDevicePath(const std::string& name) {
    if (name.size() >= 4 && name.size() <= 6 && std::toupper(name[0]) == 'C' &&
        std::toupper(name[1]) == 'O' && std::toupper(name[2]) == 'M' && name[3] != '0') {
        int number = 0;
        bool digits = true;
        for (std::size_t i = 3; i < name.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(name[i]))) digits = false;
            number = number * 10 + (name[i] - '0');
        }
        if (digits && number >= 1 && number <= 256) return "/dev/ttyS" + std::to_string(number - 1);
    }
    return name;
}

std::string DeviceGroup(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {};
    return found->gr_name;
}

std::unique_ptr<SerialPort> OpenSerialPort(const std::string& name, SerialOpenError* error) {
    SerialOpenError ignored;
    if (!error) error = &ignored;
    *error = SerialOpenError::kCannotOpen;

    const std::string path = SerialDevicePath(name);
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM) *error = SerialOpenError::kNoPermission;
        return nullptr;
    }
    // The lock comes before TIOCEXCL: a port another program holds must not
    // be left exclusive by a failed attempt.
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return nullptr;
    }
    // Keeps out other openers that do not take the lock (except root).
    ioctl(fd, TIOCEXCL);
    const int cancelFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (cancelFd < 0) {
        ioctl(fd, TIOCNXCL);
        close(fd);
        return nullptr;
    }
    // From here the port owns both descriptors and its destructor undoes
    // the lock and the exclusive flag.
    auto port = std::make_unique<PosixSerialPort>(fd, cancelFd);

    if (!Configure(fd)) {
        *error = SerialOpenError::kCannotConfigure;
        return nullptr;
    }
    // A pseudo-terminal has no modem lines and refuses this; it needs none.
    const int rts = TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &rts);
    if (tcflush(fd, TCIOFLUSH) != 0) {
        *error = SerialOpenError::kCannotPurge;
        return nullptr;
    }
    // Errors from before the port was set up (line noise while the speed
    // changed) are no errors of the link.
    port->TakeLineErrors();
    *error = SerialOpenError::kNone;
    return port;
}

}  // namespace platform
