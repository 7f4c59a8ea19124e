// Opening and closing the serial link to the box, the messages for a
// failed open, and the list of ports the preferences offer.
//
// The open and the close are serialised: ReconnectThread opens too, and the
// user may close (or change ports) while it does.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SerialPort.h"

class VirtualBox;

// Results of ControlBox_Open.
inline constexpr int32_t kOpenOk = 0;
inline constexpr int32_t kOpenCannotOpen = 1;
inline constexpr int32_t kOpenAlreadyOpen = 2;
inline constexpr int32_t kOpenNoThreads = 4;
inline constexpr int32_t kOpenCannotConfigure = 11;
// Never produced here: termios settings are set field by field, not parsed
// from a device string that could be refused. Its message stays reportable.
inline constexpr int32_t kOpenSettingsRefused = 12;
inline constexpr int32_t kOpenCannotPurge = 13;
// The device is there but this user may not open it (not in its group).
inline constexpr int32_t kOpenNoPermission = 14;
inline constexpr int32_t kOpenBadName = 20;

// Opens the named port (a device path, "COM1".., or "virtual" for the
// simulated box) and starts the link threads, which log on. 0 on success,
// else one of the codes above. The name is kept even when the open fails.
// The first caller becomes the thread the link's notices go to.
int32_t ControlBox_Open(const std::string& portName);

// The same over a port that is already open (the simulated box's own
// port, tests): the port takes the place of the named one.
int32_t ControlBox_OpenPort(const std::string& portName,
                            std::unique_ptr<platform::SerialPort> port);

// Tells the box the link ends, stops the link threads, closes the port and
// forgets the port name, so that nothing reopens it. Returns within about
// half a second; every wait for a timed output ends at once.
void ControlBox_Close();

// Shows the message for a nonzero result of ControlBox_Open, naming the
// port the open was given. On the main thread it is shown at once; another
// thread hands it to the main thread.
void ControlBox_ReportOpenError(int32_t code);

// The message for a port that opened but on which no box ever answered
// the logon: the port by its name and device, the serial ports there are
// (ListSerialDevices), and how to choose one.
std::string NoBoxAnswerText(const std::string& portName, const std::vector<std::string>& ports);

// What start-up and the preferences do: unless the name means "no box",
// open and report a failure.
void OpenBoxAndReport(const std::string& portName);

// The port name that means "work without a box" (resource 1002).
std::string NoPortEntry();

// The choices of the preferences' port list: the machine's serial devices,
// the simulated box, then NoPortEntry; and the index of the entry naming
// the current port (0 when none does).
struct SerialPortChoices {
    std::vector<std::string> entries;
    std::size_t selected = 0;
};
SerialPortChoices ListSerialPorts(const std::string& currentName);

// The simulated box the link runs, or null. Valid until the close.
VirtualBox* ControlBox_VirtualBox();

// The port name the link keeps (empty after a close).
std::string ControlBox_PortName();

// What the link is doing, for a status display.
enum class LinkStatus {
    kNoBox,         // no port named, or "(none)"
    kConnected,     // a box answered the logon on the port
    kVirtual,       // the simulated box answered
    kLost,          // a box answered once; the port is being reopened
    kNotAnswering,  // no box has answered on the port yet
};
struct LinkReport {
    LinkStatus status = LinkStatus::kNoBox;
    std::string port;
};
LinkReport ControlBox_LinkReport();

// For ReconnectThread: reopens the kept port when the link is closed and
// the name is neither empty nor NoPortEntry. The open's result; none when
// nothing was tried, also when an open or a close is under way.
std::optional<int32_t> ReopenLostLink();

// The port's end, shared by the close and a lost link: the port closed,
// the events closed, every timed wait ended. The link threads other than
// the caller must have stopped.
void ReleaseLinkPort();
