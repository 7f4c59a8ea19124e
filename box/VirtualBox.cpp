#include "box/VirtualBox.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kLogon[] = "###Hello there, are you ready$$$";
constexpr int kLogonBytes = sizeof kLogon - 1;
constexpr char kAnswer[] = "###Now take a short breather$$$";
constexpr int kAnswerBytes = sizeof kAnswer - 1;

constexpr int kFrameBytes = 19;
// 19 bytes of ten bits each at 9600 baud: the box sends frames back to
// back, so this is its pace.
constexpr std::chrono::microseconds kFramePeriod{19800};
// Where each input's word sits in a frame, by input index.
constexpr int kWordOffset[8] = {14, 10, 6, 2, 16, 12, 8, 4};
constexpr int kFirstRotationInput = 4;
constexpr int kMostEdgesPerFrame = 3;
constexpr int kMostStepsPerFrame = 17;
constexpr int kMaxReading = 1023;

// Output A's motor turns the angle sensor on input 5; output B's lamp
// lights the sensor on input 6, by this much of the reading per power
// level.
constexpr int kMotorOutput = 0;
constexpr int kAngleInput = 4;
constexpr int kLampOutput = 1;
constexpr int kLightInput = 5;
constexpr int kLampReadingPerPower = 80;

// More unsent bytes than this and the host is not reading: the frame is
// dropped whole rather than cut, so the stream stays aligned.
constexpr size_t kMostQueued = 2 * kFrameBytes;

constexpr uint8_t kRelease = 0x00;
constexpr uint8_t kLinkEnd = 0x70;

bool TwoByteCommand(uint8_t b) {
    return b == 0x80 || b == 0x81 || (b >= 0x90 && b <= 0x95) || (b >= 0xB0 && b <= 0xB7) ||
           (b >= 0xD0 && b <= 0xEF);
}

void SetRaw9600(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(fd, TCSANOW, &t);
}

void CloseOnExec(int fd) {
    fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

struct Output {
    bool on = false;
    int power = 8;
    int direction = 1;
    bool pulse = false;
    int pulseA = 0;
    int pulseB = 0;
};

struct Input {
    int raw = kMaxReading;
    bool pressed = false;
    int pendingEdges = 0;  // edges not yet reported in a frame
    int pendingSteps = 0;  // signed rotation steps not yet reported
    int rotation = 0;
    int setting = 0;
    // For the time the frame with the latest press went out: the edges ever
    // put in frames, the press's edge by its number among them and the
    // queue position where the frame carrying it ends (for both, 0 while
    // none is pending), and the time that position was written.
    int64_t edgesQueued = 0;
    int64_t pressEdge = 0;
    uint64_t pressFrameEnd = 0;
    std::optional<Clock::time_point> pressFrameAt;
};

class PtyBox final : public VirtualBox {
  public:
    PtyBox(const Options& options, int master, int slave, int stopRead, int stopWrite,
           std::string path)
        : options_(options),
          master_(master),
          slave_(slave),
          stopRead_(stopRead),
          stopWrite_(stopWrite),
          path_(std::move(path)) {
        thread_ = std::thread([this] { Run(); });
    }

    ~PtyBox() override {
        stop_.store(true);
        Wake();
        thread_.join();
        close(master_);
        close(slave_);
        close(stopRead_);
        close(stopWrite_);
    }

    const std::string& DevicePath() const override { return path_; }

    void Press(int input) override { SetContact(input, true); }
    void Release(int input) override { SetContact(input, false); }

    void SetReading(int input, int raw) override {
        if (!ValidIndex(input)) return;
        std::lock_guard<std::mutex> hold(lock_);
        inputs_[input - 1].raw = std::clamp(raw, 0, kMaxReading);
    }

    void Turn(int input, int steps) override {
        if (input <= kFirstRotationInput || input > 8) return;
        std::lock_guard<std::mutex> hold(lock_);
        Input& in = inputs_[input - 1];
        in.pendingSteps += steps;
        in.rotation += steps;
    }

    bool OutputOn(int output) const override {
        if (!ValidIndex(output)) return false;
        std::lock_guard<std::mutex> hold(lock_);
        return outputs_[output - 1].on;
    }
    int OutputPower(int output) const override {
        if (!ValidIndex(output)) return 0;
        std::lock_guard<std::mutex> hold(lock_);
        return outputs_[output - 1].power;
    }
    int OutputDirection(int output) const override {
        if (!ValidIndex(output)) return 0;
        std::lock_guard<std::mutex> hold(lock_);
        return outputs_[output - 1].direction;
    }

    std::vector<uint8_t> ReceivedBytes() const override {
        std::lock_guard<std::mutex> hold(lock_);
        std::vector<uint8_t> bytes;
        bytes.reserve(received_.size());
        for (const TimedByte& received : received_) bytes.push_back(received.byte);
        return bytes;
    }

    std::vector<TimedByte> ReceivedLog(size_t from) const override {
        std::lock_guard<std::mutex> hold(lock_);
        if (from >= received_.size()) return {};
        return {received_.begin() + static_cast<std::ptrdiff_t>(from), received_.end()};
    }

    std::optional<Clock::time_point> LastPressFrameTime(int input) const override {
        if (!ValidIndex(input)) return std::nullopt;
        std::lock_guard<std::mutex> hold(lock_);
        return inputs_[input - 1].pressFrameAt;
    }

    void SetSilent(bool silent) override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            replugAfter_ = 0;
            SetSilentHeld(silent);
        }
        Wake();
    }

    void ReplugAfter(size_t hostBytes) override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            SetSilentHeld(true);
            replugAfter_ = std::max<size_t>(hostBytes, 1);
        }
        Wake();
    }

    Status CurrentStatus() const override {
        std::lock_guard<std::mutex> hold(lock_);
        Status status;
        status.loggedOn = loggedOn_;
        status.silent = silent_;
        status.framesSent = framesSent_;
        for (int i = 0; i < 8; ++i) {
            const Output& out = outputs_[i];
            status.outputs[i] = {out.on,    out.power,  out.direction,
                                 out.pulse, out.pulseA, out.pulseB};
            const Input& in = inputs_[i];
            status.inputs[i] = {ReadingOf(i), in.pressed, in.rotation, in.setting};
        }
        return status;
    }

  private:
    static bool ValidIndex(int number) { return number >= 1 && number <= 8; }

    void Wake() {
        const uint8_t byte = 1;
        // A full pipe already holds a wake-up.
        [[maybe_unused]] const ssize_t written = write(stopWrite_, &byte, 1);
    }

    void SetContact(int input, bool pressed) {
        if (!ValidIndex(input)) return;
        std::lock_guard<std::mutex> hold(lock_);
        Input& in = inputs_[input - 1];
        if (in.pressed == pressed) return;
        in.pressed = pressed;
        ++in.pendingEdges;
        if (pressed) {
            in.pressEdge = in.edgesQueued + in.pendingEdges;
            in.pressFrameEnd = 0;
            in.pressFrameAt.reset();
        }
    }

    // The reading the box sends for the input, with the lamp's light.
    int ReadingOf(int index) const {
        const int raw = inputs_[index].raw;
        if (!options_.couple || index != kLightInput || !outputs_[kLampOutput].on) return raw;
        return std::max(0, raw - kLampReadingPerPower * outputs_[kLampOutput].power);
    }

    bool Sending() const { return loggedOn_ && !silent_; }

    void SetSilentHeld(bool silent) {
        if (silent_ == silent) return;
        silent_ = silent;
        // What was on the wire when the cable was pulled is lost, a command
        // cut in two as well.
        pendingCommand_ = -1;
        if (silent) ClearQueue();
    }

    // The simulator's thread: the host's bytes as they come, a frame at
    // every deadline while logged on.
    void Run() {
        Clock::time_point firstFrame{};
        int64_t frameNumber = 0;
        bool wasSending = false;
        while (!stop_.load()) {
            bool sending;
            bool queued;
            {
                std::lock_guard<std::mutex> hold(lock_);
                sending = Sending();
                queued = !queue_.empty() && !silent_;
            }
            if (sending && !wasSending) {
                // Pacing starts one frame after the answer (or after the
                // cable comes back), on a grid that never drifts.
                firstFrame = Clock::now() + kFramePeriod;
                frameNumber = 0;
            }
            wasSending = sending;

            timespec wait{};
            timespec* timeout = nullptr;
            if (sending) {
                const auto left = std::max(Clock::duration::zero(),
                                           firstFrame + frameNumber * kFramePeriod - Clock::now());
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
                wait.tv_sec = static_cast<time_t>(ns / 1000000000);
                wait.tv_nsec = static_cast<long>(ns % 1000000000);
                timeout = &wait;
            }
            pollfd fds[2] = {{master_, static_cast<short>(POLLIN | (queued ? POLLOUT : 0)), 0},
                             {stopRead_, POLLIN, 0}};
            const int ready = ppoll(fds, 2, timeout, nullptr);
            if (ready < 0 && errno != EINTR) break;
            if (stop_.load()) break;
            if (ready > 0 && (fds[1].revents & POLLIN)) DrainWakeUps();
            if (ready > 0 && (fds[0].revents & POLLIN)) ReadHost();

            const auto now = Clock::now();
            {
                std::lock_guard<std::mutex> hold(lock_);
                if (wasSending && Sending() && now >= firstFrame + frameNumber * kFramePeriod) {
                    QueueFrame();
                    ++frameNumber;
                    // A box cannot send faster than its line: frames the
                    // thread was too late for are skipped, not sent in a
                    // burst.
                    const auto behind = now - (firstFrame + frameNumber * kFramePeriod);
                    if (behind > kFramePeriod) frameNumber += behind / kFramePeriod;
                }
                Flush();
            }
        }
    }

    void DrainWakeUps() {
        uint8_t bytes[64];
        while (read(stopRead_, bytes, sizeof bytes) > 0) {
        }
    }

    void ReadHost() {
        uint8_t bytes[256];
        const ssize_t n = read(master_, bytes, sizeof bytes);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (n <= 0) {
            // Only when no one holds the other side open, which this box
            // prevents by holding it itself; don't spin if it happens.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return;
        }
        const Clock::time_point at = Clock::now();
        std::lock_guard<std::mutex> hold(lock_);
        for (ssize_t i = 0; i < n; ++i) Receive(bytes[i], at);
    }

    // One byte from the host. Logged even when the cable is pulled, so that
    // what the host sent can be checked; obeyed only otherwise.
    void Receive(uint8_t b, Clock::time_point at) {
        received_.push_back({b, at});
        if (silent_) {
            // Plugged back in once the last byte it misses has gone by.
            if (replugAfter_ > 0 && --replugAfter_ == 0) SetSilentHeld(false);
            return;
        }
        if (!loggedOn_) {
            AwaitLogon(b);
            return;
        }
        if (pendingCommand_ >= 0) {
            const auto command = static_cast<uint8_t>(pendingCommand_);
            pendingCommand_ = -1;
            Obey(command, b);
            return;
        }
        if (b == kRelease) {
            // The host logs on afresh: the box stops talking and listens.
            loggedOn_ = false;
            released_ = true;
            matched_ = 0;
            ClearQueue();
            return;
        }
        if (TwoByteCommand(b)) {
            pendingCommand_ = b;
            return;
        }
        Obey(b);
    }

    // The logon string counts only right after a RELEASE.
    void AwaitLogon(uint8_t b) {
        if (released_ && b == static_cast<uint8_t>(kLogon[matched_])) {
            if (++matched_ < kLogonBytes) return;
            released_ = false;
            matched_ = 0;
            pendingCommand_ = -1;
            loggedOn_ = true;
            // The host counts from its logon: edges and steps from before
            // it are not news to it.
            for (Input& in : inputs_) {
                in.pendingEdges = 0;
                in.pendingSteps = 0;
                in.pressEdge = 0;
            }
            Queue(reinterpret_cast<const uint8_t*>(kAnswer), kAnswerBytes);
            return;
        }
        released_ = b == kRelease;
        matched_ = 0;
    }

    // A one-byte command.
    void Obey(uint8_t b) {
        const int n = b & 7;
        switch (b & 0xF8) {
            case 0x20:
                outputs_[n].direction ^= 1;
                return;
            case 0x28:
                outputs_[n].on = true;
                return;
            case 0x30:
                outputs_[n].power = 0;
                return;
            case 0x38:
                outputs_[n].on = false;
                return;
            case 0x40:
                outputs_[n].direction = 1;
                return;
            case 0x48:
                outputs_[n].direction = 0;
                return;
            default:
                break;
        }
        if (b == kLinkEnd) {
            loggedOn_ = false;
            released_ = false;
            matched_ = 0;
            ClearQueue();
        }
        // SYNC (0x02) and bytes that are no command: nothing to do.
    }

    // A two-byte command.
    void Obey(uint8_t command, uint8_t argument) {
        auto forMask = [&](auto&& act) {
            for (int n = 0; n < 8; ++n)
                if (argument & (1u << n)) act(outputs_[n]);
        };
        if (command >= 0xB0 && command <= 0xB7) {
            forMask([&](Output& out) { out.power = command - 0xB0 + 1; });
            return;
        }
        if (command >= 0xD0 && command <= 0xDF) {
            for (int i = 0; i < 8; ++i)
                if (argument & (1u << i)) inputs_[i].setting = command - 0xD0;
            return;
        }
        if (command >= 0xE0 && command <= 0xE7) {
            outputs_[command - 0xE0].pulseB = argument;
            return;
        }
        if (command >= 0xE8 && command <= 0xEF) {
            outputs_[command - 0xE8].pulseA = argument;
            return;
        }
        switch (command) {
            case 0x80:
                forMask([](Output& out) { out.pulse = false; });
                break;
            case 0x81:
                forMask([](Output& out) { out.pulse = true; });
                break;
            case 0x90:
                forMask([](Output& out) { out.on = false; });
                break;
            case 0x91:
                forMask([](Output& out) { out.on = true; });
                break;
            case 0x92:
                forMask([](Output& out) { out.power = 0; });
                break;
            case 0x93:
                forMask([](Output& out) { out.direction = 0; });
                break;
            case 0x94:
                forMask([](Output& out) { out.direction = 1; });
                break;
            case 0x95:
                forMask([](Output& out) { out.direction ^= 1; });
                break;
            default:
                break;
        }
    }

    void QueueFrame() {
        // Drop the frame whole while the host is not reading.
        if (queue_.size() > kMostQueued) return;
        const Output& motor = outputs_[kMotorOutput];
        if (options_.couple && motor.on && motor.power > 0) {
            const int steps = motor.direction ? motor.power : -motor.power;
            inputs_[kAngleInput].pendingSteps += steps;
            inputs_[kAngleInput].rotation += steps;
        }
        uint8_t frame[kFrameBytes] = {};
        frame[0] = 0x80;  // ready
        bool carriesPress[8] = {};
        for (int i = 0; i < 8; ++i) {
            Input& in = inputs_[i];
            int raw = ReadingOf(i);
            const int edges = std::min(in.pendingEdges, kMostEdgesPerFrame);
            in.pendingEdges -= edges;
            in.edgesQueued += edges;
            if (in.pressEdge != 0 && in.edgesQueued >= in.pressEdge) {
                in.pressEdge = 0;
                carriesPress[i] = true;
            }
            int code = 0;
            bool up = false;
            if (i >= kFirstRotationInput && in.pendingSteps != 0) {
                up = in.pendingSteps > 0;
                const int size = std::min(std::abs(in.pendingSteps), kMostStepsPerFrame);
                if (size == 1) {
                    code = 1;
                } else {
                    // A larger step carries its size, less 2, in the
                    // reading's low four bits.
                    code = 2;
                    raw = (raw & 0x3F0) | (size - 2);
                }
                in.pendingSteps -= up ? size : -size;
            }
            const unsigned word = (static_cast<unsigned>(raw) << 6) | (edges << 4) |
                                  (in.pressed ? 0 : 8) | (up ? 4 : 0) | code;
            frame[kWordOffset[i]] = static_cast<uint8_t>(word >> 8);
            frame[kWordOffset[i] + 1] = static_cast<uint8_t>(word & 0xFF);
        }
        unsigned sum = 0;
        for (int i = 0; i < kFrameBytes - 1; ++i) sum += frame[i];
        frame[kFrameBytes - 1] = static_cast<uint8_t>(0xFF - (sum & 0xFF));
        Queue(frame, kFrameBytes);
        for (int i = 0; i < 8; ++i)
            if (carriesPress[i]) inputs_[i].pressFrameEnd = queuedTotal_;
        ++framesSent_;
    }

    void Queue(const uint8_t* bytes, int n) {
        queue_.insert(queue_.end(), bytes, bytes + n);
        queuedTotal_ += static_cast<uint64_t>(n);
    }

    // Bytes that will never be written; a press whose frame was among them
    // never reaches the host.
    void ClearQueue() {
        leftTotal_ += queue_.size();
        queue_.clear();
        for (Input& in : inputs_) in.pressFrameEnd = 0;
    }

    // Writes what the pty takes now; the rest waits for room.
    void Flush() {
        if (silent_) return;
        while (!queue_.empty()) {
            // Stamped before the write: the host may read the frame before
            // this thread runs again, and its reaction must not look shorter.
            const Clock::time_point writing = Clock::now();
            const ssize_t n = write(master_, queue_.data(), queue_.size());
            if (n > 0) {
                queue_.erase(queue_.begin(), queue_.begin() + n);
                leftTotal_ += static_cast<uint64_t>(n);
                StampWrittenPresses(writing);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            return;
        }
    }

    void StampWrittenPresses(Clock::time_point writing) {
        for (Input& in : inputs_) {
            if (in.pressFrameEnd == 0 || leftTotal_ < in.pressFrameEnd) continue;
            in.pressFrameEnd = 0;
            in.pressFrameAt = writing;
        }
    }

    const Options options_;
    const int master_;
    const int slave_;  // held so that the pty lives between the host's opens
    const int stopRead_;
    const int stopWrite_;
    const std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;

    mutable std::mutex lock_;
    Output outputs_[8];
    Input inputs_[8];
    std::vector<TimedByte> received_;
    std::vector<uint8_t> queue_;  // bytes for the host not yet written
    // Bytes ever put in the queue, and ever taken out (written or dropped):
    // positions in the stream to the host.
    uint64_t queuedTotal_ = 0;
    uint64_t leftTotal_ = 0;
    bool loggedOn_ = false;
    bool released_ = false;  // a RELEASE came; the logon string may follow
    int matched_ = 0;        // bytes of the logon string matched so far
    int pendingCommand_ = -1;
    bool silent_ = false;
    size_t replugAfter_ = 0;  // host bytes still to miss before speaking again
    uint64_t framesSent_ = 0;
};

}  // namespace

bool IsVirtualPortName(const std::string& name) {
    static constexpr char kName[] = "virtual";
    if (name.size() != sizeof kName - 1) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != kName[i]) return false;
    return true;
}

std::unique_ptr<VirtualBox> VirtualBox::Start(const Options& options) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return nullptr;
    SetRaw9600(slave);
    SetRaw9600(master);
    CloseOnExec(master);
    CloseOnExec(slave);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    int stop[2];
    if (pipe2(stop, O_CLOEXEC | O_NONBLOCK) != 0) {
        close(master);
        close(slave);
        return nullptr;
    }
    return std::make_unique<PtyBox>(options, master, slave, stop[0], stop[1], name);
}
