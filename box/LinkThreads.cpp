#include "box/LinkThreads.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "LogoCore/MainThreadCall.h"
#include "box/BoxLink.h"
#include "box/InputStream.h"
#include "box/LinkState.h"
#include "box/Logon.h"
#include "box/OutputCommands.h"
#include "box/SampleRing.h"
#include "platform/ConfigStore.h"
#include "platform/FatalSignals.h"
#include "platform/MessageBox.h"
#include "platform/Priority.h"
#include "platform/ThreadQueue.h"

namespace {

constexpr int kSyncMilliseconds = 2000;
constexpr int kMonitorMilliseconds = 1000;
constexpr int kReconnectMilliseconds = 3000;
constexpr uint8_t kSyncCommand = 0x02;
constexpr int32_t kTextLinkLost = 1502;
constexpr int32_t kNormalPriority = 0;
constexpr int32_t kMostBells = 20;

// A thread that sleeps between its rounds and is stopped by waking it.
// Start and Stop belong to the threads that own it (under the open/close
// lock, or the link's teardown); the body calls the rest.
class SleepingThread {
  public:
    // False when the system could not make the thread. A held thread's
    // WaitForResume waits until Resume.
    bool Start(std::function<void()> body, bool held = false) {
        if (thread_.joinable()) Stop();
        {
            std::lock_guard<std::mutex> hold(lock_);
            stop_ = false;
            resumed_ = !held;
        }
        try {
            thread_ = std::thread(std::move(body));
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    bool Running() const { return thread_.joinable(); }

    void Resume() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            resumed_ = true;
        }
        wake_.notify_all();
    }

    // Wakes the thread and waits for it to end.
    void Stop() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    // The body's: false once the thread is to stop.
    bool WaitForResume() {
        std::unique_lock<std::mutex> hold(lock_);
        wake_.wait(hold, [&] { return stop_ || resumed_; });
        return !stop_;
    }
    bool Sleep(int milliseconds) {
        std::unique_lock<std::mutex> hold(lock_);
        return !wake_.wait_for(hold, std::chrono::milliseconds(milliseconds),
                               [&] { return stop_; });
    }
    bool Stopping() {
        std::lock_guard<std::mutex> hold(lock_);
        return stop_;
    }

  private:
    std::thread thread_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    bool resumed_ = false;
};

struct LinkThreads {
    // Held for the whole of the link-lost path, and while the close decides
    // whether the port is still open: one of the two closes the port, never
    // both.
    std::mutex teardown;
    // Set under teardown; cleared by the open, before any ReadThread runs.
    std::atomic<bool> closing{false};

    // Joined by the close, or by the next open after a lost link: a
    // ReadThread cannot join itself.
    std::thread read;
    SleepingThread sync;
    SleepingThread monitor;
    SleepingThread reconnect;

    std::atomic<int32_t> inputPriority{kDefaultInputPriority};
    std::atomic<int32_t> syncPriority{kDefaultSyncPriority};
};

LinkThreads& Threads() {
    // Never destroyed: a thread still running at exit must find it.
    static LinkThreads* threads = new LinkThreads;
    return *threads;
}

void RingBell(int times) {
    const std::string bells(static_cast<std::size_t>(times), '\a');
    std::fwrite(bells.data(), 1, bells.size(), stderr);
    std::fflush(stderr);
}

void ReadThreadBody() {
    platform::PrepareThreadForFaults();
    try {
        LinkThreads& threads = Threads();
        // A priority the system refuses leaves the thread as it is.
        platform::SetThreadPriority(threads.inputPriority.load());
        if (ControlBox_Logon()) {
            Link().everLoggedOn = true;
            Link().errorReported = false;
            threads.sync.Resume();
            RunFrameLoop();
        }
        ControlBox_LinkLost();
    } catch (...) {
        platform::SetThreadPriority(kNormalPriority);
        platform::ShowMessage(platform::MessageKind::Error, "Fatal error in ReadThread");
        platform::ExitProcess(1);
    }
}

void SyncThreadBody() {
    SleepingThread& self = Threads().sync;
    platform::SetThreadPriority(Threads().syncPriority.load());
    if (!self.WaitForResume()) return;
    while (self.Sleep(kSyncMilliseconds)) {
        const LinkState& link = Link();
        if (!link.loggedOn.load() || !link.portOpen.load()) continue;
        if (ControlBox_SendCommand(kSyncCommand)) continue;
        const int error = errno;
        // A close that took the port between the test and the send is no
        // failure.
        if (self.Stopping() || !link.portOpen.load()) continue;
        platform::ShowMessage(
            platform::MessageKind::Error,
            "Can't send SYNC command to the box!  Error = " + std::to_string(error));
    }
}

void MonitorThreadBody() {
    SleepingThread& self = Threads().monitor;
    platform::SetThreadPriority(kIdleThreadPriority);
    while (self.Sleep(kMonitorMilliseconds)) MonitorRound();
}

void ReconnectThreadBody() {
    // Left at the priority it was made with, not idle: the link threads it
    // starts inherit its priority, and without privilege they could never
    // climb back from idle. It sleeps nearly all the time anyway.
    SleepingThread& self = Threads().reconnect;
    do {
        const std::optional<int32_t> code = ReopenLostLink();
        // One message for a box that stays away, until a logon succeeds.
        if (code && *code != kOpenOk && !Link().errorReported.exchange(true))
            ControlBox_ReportOpenError(*code);
    } while (self.Sleep(kReconnectMilliseconds));
}

}  // namespace

bool StartLinkThreads() {
    LinkThreads& threads = Threads();
    int32_t priority = 0;
    platform::ReadMachineNumber("Tasking\\Box Input", kDefaultInputPriority, &priority);
    threads.inputPriority = priority;
    platform::ReadMachineNumber("Tasking\\Box Sync", kDefaultSyncPriority, &priority);
    threads.syncPriority = priority;
    // Not under teardown: the open holds LinkLock, which teardown precedes.
    threads.closing = false;

    // ReadThread last: until the open returns it waits for LinkLock, which
    // the open holds, so it could not be stopped if a later thread failed.
    if (!threads.sync.Start(SyncThreadBody, true)) return false;
    if (!threads.monitor.Start(MonitorThreadBody)) {
        threads.sync.Stop();
        return false;
    }
    try {
        threads.read = std::thread(ReadThreadBody);
    } catch (const std::system_error&) {
        threads.sync.Stop();
        threads.monitor.Stop();
        return false;
    }
    return true;
}

bool InterruptLinkThreads() {
    LinkThreads& threads = Threads();
    std::lock_guard<std::mutex> hold(threads.teardown);
    LinkState& link = Link();
    if (!link.port) return false;
    threads.closing = true;
    link.port->CancelReads();
    return true;
}

void StopLinkThreads() {
    LinkThreads& threads = Threads();
    if (threads.read.joinable()) threads.read.join();
    threads.sync.Stop();
    threads.monitor.Stop();
}

void StartReconnectThread() {
    // Without it a lost link stays lost until the user opens again.
    Threads().reconnect.Start(ReconnectThreadBody);
}

void StopReconnectThread() {
    Threads().reconnect.Stop();
}

bool ReconnectThreadRunning() {
    return Threads().reconnect.Running();
}

void ControlBox_LinkLost() {
    LinkThreads& threads = Threads();
    std::lock_guard<std::mutex> hold(threads.teardown);
    LinkState& link = Link();
    if (threads.closing || !link.port) return;
    if (!link.errorReported.load()) {
        ControlBox_SendLinkEnd();
        link.notReady = true;
        link.errorReported = true;
        // A box that never answered since the user chose the port was not
        // lost: the user learns which ports there are instead.
        if (link.everLoggedOn.load())
            platform::PostThreadMessage(link.mainThread.load(),
                                        {kBoxMessage, kErrorStyle, kTextLinkLost});
        else
            PostErrorText(NoBoxAnswerText(ControlBox_PortName(), platform::ListSerialDevices()));
    }
    ControlBox_SendLinkEnd();
    link.notReady = true;
    threads.sync.Stop();
    threads.monitor.Stop();
    ReleaseLinkPort();
}

void MonitorRound() {
    const int32_t missed = ControlBox_TakeMissedFrames();
    const bool resynchronised = ControlBox_TakeResyncMark();
    const int32_t threshold = ControlBox_DelayMonitor();
    if (missed > 0 && threshold > 0 && missed >= threshold && !resynchronised)
        RingBell(std::min(missed, kMostBells));
    if (resynchronised && threshold > 0) RingBell(1);
}
