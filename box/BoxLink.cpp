#include "box/BoxLink.h"

#include <mutex>
#include <utility>

#include "LogoCore/MainThreadCall.h"
#include "box/InputStream.h"
#include "box/LinkState.h"
#include "box/LinkThreads.h"
#include "box/OutputCommands.h"
#include "box/SampleRing.h"
#include "box/SensorSetup.h"
#include "box/TimedOutputs.h"
#include "box/VirtualBox.h"
#include "platform/ConfigStore.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "platform/ThreadQueue.h"

namespace {

constexpr int32_t kTextNoPort = 1002;
constexpr int32_t kTextNoBoxAnswered = 1503;
constexpr int32_t kTextNoSerialPorts = 1504;
constexpr uint8_t kLinkEnd = 0x70;
constexpr const char* kVirtualEntry = "virtual";

struct OpenCloseState {
    // Held for the whole of every open and close.
    std::mutex lock;
    // The simulated box, from the first open of "virtual" to the close; a
    // lost link keeps it for the reconnect.
    std::unique_ptr<VirtualBox> virtualBox;
};

OpenCloseState& State() {
    // Never destroyed, like the link itself.
    static OpenCloseState* state = new OpenCloseState;
    return *state;
}

void SetPortName(const std::string& name) {
    LinkState& link = Link();
    std::lock_guard<std::mutex> hold(link.nameLock);
    link.portName = name;
}

int32_t CodeFor(platform::SerialOpenError error) {
    switch (error) {
        case platform::SerialOpenError::kNone:
            return kOpenOk;
        case platform::SerialOpenError::kCannotOpen:
            return kOpenCannotOpen;
        case platform::SerialOpenError::kNoPermission:
            return kOpenNoPermission;
        case platform::SerialOpenError::kCannotConfigure:
            return kOpenCannotConfigure;
        case platform::SerialOpenError::kCannotPurge:
            return kOpenCannotPurge;
    }
    return kOpenCannotOpen;
}

// A name with a zero byte in it could never reach the system whole.
bool Readable(const std::string& name) {
    return name.find('\0') == std::string::npos;
}

// The open, under the open/close lock. A given port takes the place of the
// named one. A fresh open (the user's) starts the outputs' memory afresh; a
// reopen after a lost link keeps what the program set, for the logon to
// restore.
int32_t OpenHeld(const std::string& name, std::unique_ptr<platform::SerialPort> given, bool fresh) {
    if (!Readable(name)) return kOpenBadName;
    LinkState& link = Link();
    if (link.portOpen.load()) return kOpenAlreadyOpen;
    // A ReadThread that ended after a lost link is joined before its
    // successor starts.
    StopLinkThreads();

    platform::ThreadId none = 0;
    link.mainThread.compare_exchange_strong(none, platform::CurrentThreadId());

    std::lock_guard<std::recursive_mutex> hold(link.linkLock);
    SetPortName(name);
    link.notReady = true;
    // Left set by a lost link; no command may go out before the new logon.
    link.loggedOn = false;
    ResetSampleRing();
    if (fresh) {
        link.everLoggedOn = false;
        ResetOutputs();
        // The reset put every wait source back to time: the open project's
        // choices.
        if (auto setup = ActiveSetup()) setup->ApplyWaitSources();
    }

    if (!given) {
        if (name.empty() || name == NoPortEntry()) return kOpenCannotOpen;
        std::string device = name;
        if (IsVirtualPortName(name)) {
            OpenCloseState& state = State();
            if (!state.virtualBox) state.virtualBox = VirtualBox::Start();
            if (!state.virtualBox) return kOpenCannotOpen;
            device = state.virtualBox->DevicePath();
        }
        platform::SerialOpenError error = platform::SerialOpenError::kNone;
        given = platform::OpenSerialPort(device, &error);
        if (!given)
            return CodeFor(error == platform::SerialOpenError::kNone
                               ? platform::SerialOpenError::kCannotOpen
                               : error);
    }

    link.port = std::move(given);
    link.eventsOpen = true;
    link.portOpen = true;
    if (!StartLinkThreads()) {
        ReleaseLinkPort();
        return kOpenNoThreads;
    }
    // ReadThread waits for LinkLock until this open has returned.
    if (!ReconnectThreadRunning()) StartReconnectThread();
    return kOpenOk;
}

// The resource of each open result's message; those that name the port
// have a place for it (%1).
struct OpenErrorText {
    int32_t code;
    int32_t resource;
};
constexpr OpenErrorText kOpenErrorTexts[] = {
    {1, 21000},  {2, 21001},  {3, 21002},  {4, 21003},  {10, 21004},
    {11, 21005}, {12, 21006}, {13, 21007}, {14, 21008},
};
// Serial devices belong to this group on most distributions.
constexpr const char* kUsualSerialGroup = "dialout";

}  // namespace

int32_t ControlBox_Open(const std::string& portName) {
    std::lock_guard<std::mutex> hold(State().lock);
    return OpenHeld(portName, nullptr, true);
}

int32_t ControlBox_OpenPort(const std::string& portName,
                            std::unique_ptr<platform::SerialPort> port) {
    std::lock_guard<std::mutex> hold(State().lock);
    if (!port) return kOpenCannotOpen;
    return OpenHeld(portName, std::move(port), true);
}

std::optional<int32_t> ReopenLostLink() {
    // An open or close under way wins; the next round looks again.
    std::unique_lock<std::mutex> hold(State().lock, std::try_to_lock);
    if (!hold.owns_lock()) return std::nullopt;
    if (Link().portOpen.load()) return std::nullopt;
    const std::string name = ControlBox_PortName();
    if (name.empty() || name == NoPortEntry()) return std::nullopt;
    return OpenHeld(name, nullptr, false);
}

void ReleaseLinkPort() {
    LinkState& link = Link();
    {
        std::lock_guard<std::recursive_mutex> hold(link.linkLock);
        link.portOpen = false;
        if (link.port) {
            // The receive side only: the link-end command may still be
            // on its way to the box.
            link.port->PurgeInput();
            link.port.reset();
        }
    }
    link.eventsOpen = false;
    // Every Logo task waiting for a timed output goes on.
    EndTimedOutputs();
}

void ControlBox_Close() {
    OpenCloseState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    LinkState& link = Link();
    const bool wasOpen = InterruptLinkThreads();
    // Emptied first, so that nothing reopens a port the user gave up.
    SetPortName("");
    if (wasOpen) {
        link.notReady = true;
        {
            std::lock_guard<std::recursive_mutex> port(link.linkLock);
            if (link.port) link.port->SendImmediately(kLinkEnd);
        }
        StopLinkThreads();
        StopReconnectThread();
        ReleaseLinkPort();
    } else {
        // A lost link closed the port already; its ReadThread may still be
        // on its way out.
        StopLinkThreads();
        StopReconnectThread();
        link.eventsOpen = false;
        EndTimedOutputs();
    }
    state.virtualBox.reset();
}

void ControlBox_ReportOpenError(int32_t code) {
    int32_t resource = 0;
    for (const OpenErrorText& text : kOpenErrorTexts)
        if (text.code == code) resource = text.resource;
    if (resource == 0) return;
    // The name the open was given: a port named for this run only is not
    // the stored one.
    std::string name = ControlBox_PortName();
    if (name.empty()) platform::ReadMachineText("ControlBox_Port", "COM1", &name);
    std::string group;
    if (code == kOpenNoPermission) {
        group = platform::DeviceGroup(platform::SerialDevicePath(name));
        if (group.empty()) group = kUsualSerialGroup;
    }
    std::string text = platform::FormatResource(resource, {name, group});

    const platform::ThreadId main = Link().mainThread.load();
    if (main != 0 && platform::CurrentThreadId() != main && PostErrorText(text)) return;
    platform::ShowMessage(platform::MessageKind::Error, text);
}

std::string NoBoxAnswerText(const std::string& portName, const std::vector<std::string>& ports) {
    const std::string device = platform::SerialDevicePath(portName);
    const std::string port = device == portName ? device : portName + " (" + device + ")";
    std::string list;
    for (const std::string& entry : ports) list += (list.empty() ? "" : ", ") + entry;
    if (list.empty()) list = platform::ResourceText(kTextNoSerialPorts);
    return platform::FormatResource(kTextNoBoxAnswered, {port, list});
}

void OpenBoxAndReport(const std::string& portName) {
    if (portName.empty() || portName == NoPortEntry()) return;
    const int32_t code = ControlBox_Open(portName);
    if (code != kOpenOk) ControlBox_ReportOpenError(code);
}

std::string NoPortEntry() {
    return platform::ResourceText(kTextNoPort);
}

SerialPortChoices ListSerialPorts(const std::string& currentName) {
    SerialPortChoices choices;
    choices.entries = platform::ListSerialDevices();
    choices.entries.push_back(kVirtualEntry);
    choices.entries.push_back(NoPortEntry());

    // "COM1" names the same device as /dev/ttyS0, "Virtual" the same box as
    // "virtual".
    const std::string device = platform::SerialDevicePath(currentName);
    for (std::size_t i = 0; i < choices.entries.size(); ++i) {
        const std::string& entry = choices.entries[i];
        if (entry == currentName) {
            choices.selected = i;
            return choices;
        }
    }
    for (std::size_t i = 0; i < choices.entries.size(); ++i) {
        const std::string& entry = choices.entries[i];
        const bool same = IsVirtualPortName(entry) ? IsVirtualPortName(currentName)
                                                   : platform::SerialDevicePath(entry) == device;
        if (same) {
            choices.selected = i;
            break;
        }
    }
    return choices;
}

VirtualBox* ControlBox_VirtualBox() {
    return State().virtualBox.get();
}

std::string ControlBox_PortName() {
    LinkState& link = Link();
    std::lock_guard<std::mutex> hold(link.nameLock);
    return link.portName;
}

LinkReport ControlBox_LinkReport() {
    LinkReport report;
    report.port = ControlBox_PortName();
    LinkState& link = Link();
    if (report.port.empty() || report.port == NoPortEntry())
        report.status = LinkStatus::kNoBox;
    else if (link.portOpen.load() && link.loggedOn.load())
        report.status =
            IsVirtualPortName(report.port) ? LinkStatus::kVirtual : LinkStatus::kConnected;
    else if (link.everLoggedOn.load())
        report.status = LinkStatus::kLost;
    else
        report.status = LinkStatus::kNotAnswering;
    return report;
}
