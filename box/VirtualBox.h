// A simulated box behind a pseudo-terminal: it answers the logon, sends a
// frame every 19.8 ms once logged on, obeys the output commands and has
// sensors that can be moved. The link opens the pseudo-terminal's other
// side like any serial port, so every byte takes the same road as with a
// real box. Used for the port name "virtual" and by kinetra-boxsim.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The port name that means the simulated box (any letter case).
bool IsVirtualPortName(const std::string& name);

class VirtualBox {
  public:
    struct Options {
        // A running motor on output A turns the angle sensor on input 5, a
        // lamp on output B lights the light sensor on input 6.
        bool couple = true;
    };

    // Starts the simulator's thread; null when no pseudo-terminal could be made.
    static std::unique_ptr<VirtualBox> Start(const Options& options);
    static std::unique_ptr<VirtualBox> Start() { return Start(Options{}); }
    virtual ~VirtualBox() = default;

    // The device path the link opens.
    virtual const std::string& DevicePath() const = 0;

    // Sensors, inputs numbered 1-8 as the user sees them.
    virtual void Press(int input) = 0;                // a touch sensor closes (one edge)
    virtual void Release(int input) = 0;              // and opens again (one edge)
    virtual void SetReading(int input, int raw) = 0;  // raw reading 0-1023
    virtual void Turn(int input, int steps) = 0;      // rotation, inputs 5-8; negative: down

    // Output state as the box sees it, outputs numbered 1-8.
    virtual bool OutputOn(int output) const = 0;
    virtual int OutputPower(int output) const = 0;
    virtual int OutputDirection(int output) const = 0;

    // Every byte the host sent, in order (logon included).
    virtual std::vector<uint8_t> ReceivedBytes() const = 0;

    // The same with the moment each byte was read from the pseudo-terminal,
    // from the byte numbered `from` (0: the first) on; for measuring how
    // fast the host reacts.
    struct TimedByte {
        uint8_t byte = 0;
        std::chrono::steady_clock::time_point at;
    };
    virtual std::vector<TimedByte> ReceivedLog(size_t from = 0) const = 0;

    // When the write of the first frame that reports the input's latest
    // press began (it then went out whole). None until it has gone out, and
    // none for a press the host never hears of (made before the logon, or
    // lost while the box was silent).
    virtual std::optional<std::chrono::steady_clock::time_point> LastPressFrameTime(
        int input) const = 0;

    // A silent box sends nothing (a pulled cable); it answers a new logon
    // again once it speaks.
    virtual void SetSilent(bool silent) = 0;
    // The cable pulled now and plugged back in after the host has sent this
    // many more bytes (at least 1), which the box misses: for timing the
    // return at any byte of the host's next logon.
    virtual void ReplugAfter(size_t hostBytes) = 0;

    // Everything the box holds, taken at one moment (for status displays
    // and tests).
    struct OutputStatus {
        bool on = false;
        int power = 8;
        int direction = 1;
        bool pulse = false;  // pulse mode started
        int pulseA = 0;      // the pulse mode's first and second parameter
        int pulseB = 0;
    };
    struct InputStatus {
        int raw = 1023;        // as the next frame sends it, a lamp's light included
        bool pressed = false;  // digital state bit clear (a closed contact)
        int rotation = 0;      // steps turned in all, sent or still to send (inputs 5-8)
        int setting = 0;       // the last input setting the host sent
    };
    struct Status {
        bool loggedOn = false;  // logon answered, frames flowing unless silent
        bool silent = false;
        uint64_t framesSent = 0;
        std::array<OutputStatus, 8> outputs{};  // by output index
        std::array<InputStatus, 8> inputs{};    // by input index
    };
    virtual Status CurrentStatus() const = 0;
};
