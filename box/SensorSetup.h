// The project's sensor setup: what is plugged into each port of the box,
// what the ports are called, in which unit each input is read, calibration
// offsets, the Logo instructions a touch input starts, the names of the
// motor directions, and what ends a timed output of each output.
//
// Ports 0-7 are the inputs 1-8 (input index = port); ports 8-15 are the
// outputs A-H (output index = port - 8); port 16 is one more named port.
// Setting a name has effects beyond the data: a named port enters the
// project's name table (value port + 1, so that outputs A-H give 9-16), a
// named input and a named direction become Logo words, and wait sources go
// to the output driver.
//
// Every operation may be called from any thread: the main thread loads and
// edits the setup, Logo tasks read inputs by name and set it through the
// dot-primitives, graphs read by name.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "LogoCore/Primitives.h"

namespace platform {
class ArchiveReader;
class ArchiveWriter;
}  // namespace platform

// The project's name table as the setup uses it. Names are looked up
// without regard to case.
class SetupNames {
  public:
    virtual ~SetupNames() = default;
    // Raises -21 with the name when the name is in the table.
    virtual void EnterPortName(const std::string& name, int32_t portValue) = 0;
    // Raises -19 when the name is not in the table.
    virtual void RemovePortName(const std::string& name) = 0;
    virtual bool HasName(const std::string& name) = 0;
};

inline constexpr int kSetupPorts = 17;  // 0-16
inline constexpr int kSetupInputs = 8;
inline constexpr int kFirstOutputPort = 8;
inline constexpr int kSpareOutputPort = 16;
inline constexpr int kLastWaitPort = 17;  // wait sources and direction names: ports 8-17

// Port types: the device plugged into a port.
enum PortType : int32_t {
    kPortNothing = 0,
    kPortTemperature = 1,
    kPortTouch = 2,
    kPortLight = 3,
    kPortAngle = 4,
    kPortMotor = 5,
    kPortLamp = 6,
    kPortSound = 7,
    kPortMotor2 = 8,
};

// Tool types: how an input is read.
enum ToolType : int32_t {
    kToolNone = 0,
    kToolRotation = 1,
    kToolDegrees = 2,
    kToolRaw = 3,
    kToolPercent = 4,
    kToolCelsius = 5,
    kToolFahrenheit = 6,
    kToolBoolean = 7,
    kToolCount = 8,
};

// Tool type 2: the angle within one turn of 16 steps, 22.5 degrees each. The
// remainder keeps the count's sign (-37 gives -112.5); the displays and
// the angle primitive take its absolute value.
double TurnDegrees(int32_t rotationCount);

// Tool type 6: degrees Fahrenheit of the Celsius value, cut (not rounded)
// to tenths toward zero.
double FahrenheitCutToTenths(double celsius);

// Tokens of the words the setup registers.
inline constexpr int32_t kDirection1Token = 4900;  // + output index
inline constexpr int32_t kDirection0Token = 4910;  // + output index
inline constexpr int32_t kInputWordToken = 5000;   // + input port

// The setup block of the project file as read, before any of it takes
// effect: a project being loaded must not touch the open project's names,
// words or the driver until the whole file has been read.
struct SetupBlock {
    bool current = true;  // version 4; version 3 has no offsets, actions or directions
    std::array<std::string, kSetupPorts> portName{};
    std::array<int32_t, kSetupPorts> portType{};
    std::array<int32_t, kSetupInputs> toolType{};
    std::array<double, kSetupInputs> offset{};
    std::array<std::string, kSetupInputs> actionA{};
    std::array<std::string, kSetupInputs> actionB{};
    std::array<int32_t, 8> waitSource{};  // outputs A-H
    std::array<std::string, 8> direction1{};
    std::array<std::string, 8> direction0{};
};

// GetWaitSource out of range.
inline constexpr int32_t kNoWaitSource = 2147483647;

class CSetupData {
  public:
    static constexpr const char* kClassName = "CSetupData";

    // names: the project's name table; null when there is none (tests).
    explicit CSetupData(SetupNames* names);
    // The words of named inputs and directions go with the setup.
    ~CSetupData();
    CSetupData(const CSetupData&) = delete;
    CSetupData& operator=(const CSetupData&) = delete;

    // Out-of-range ports and indexes are refused: false, or 0 / empty.
    std::string GetPortName(int port) const;
    // Renames the port: the old name leaves the name table (and its word the
    // interpreter), the new one is entered and, for an input, registered as
    // a word that reads the input. Raises -21 with the name, changing
    // nothing, when the name is taken (by another port, a page object, a
    // procedure or a primitive). An empty name only removes.
    bool SetPortName(int port, const std::string& name);
    int32_t GetPortType(int port) const;  // ports 0-17
    bool SetPortType(int port, int32_t type);
    int32_t GetToolType(int input) const;  // inputs 0-7
    bool SetToolType(int input, int32_t type);
    double GetOffset(int input) const;
    bool SetOffset(int input, double offset);
    // Ports 8-17. The setter also hands the source to the output driver; the
    // getter reads the driver's value back (kNoWaitSource out of range).
    bool SetWaitSource(int port, int32_t source);
    int32_t GetWaitSource(int port) const;
    std::string GetActionA(int input) const;  // inputs 0-7
    bool SetActionA(int input, const std::string& action);
    std::string GetActionB(int input) const;
    bool SetActionB(int input, const std::string& action);
    // Ports 8-17: the word that sets direction 1 (or 0) of output port - 8.
    // The old word is unregistered, the new one registered; raises -21 with
    // the name, changing nothing, when the name is taken.
    std::string GetDirectionName1(int port) const;
    bool SetDirectionName1(int port, const std::string& name);
    std::string GetDirectionName0(int port) const;
    bool SetDirectionName0(int port, const std::string& name);

    // The live text of an input (0-7) for the setup's displays.
    std::string ReadingText(int input) const;
    // The reading of the port of that name (any case) at the time, for
    // graphs; ".name" reads the raw value. 0.0 when no port has the name.
    double ReadingByName(const std::string& name, uint32_t time) const;
    // What the word of an input (token 5000 + input) reports: raises -1 for
    // tool type 0. The caller owns the value.
    CHandleData* ReadInputWord(int input) const;

    // The setup block of the project file: writes version 4; reads version
    // 3 or 4 and applies it as it goes. An unknown version is shown to the
    // user and nothing more is read: false. Raises platform::ArchiveEnded
    // when the block ends early, and a Logo error when a name read cannot be
    // given (the load then fails).
    void Serialize(platform::ArchiveWriter& out) const;
    bool Serialize(platform::ArchiveReader& in);
    // The halves of reading and writing: the block alone, without effects
    // (empty for an unknown version; raises platform::ArchiveEnded when it
    // ends early), giving it to this setup (raises as Serialize does), the
    // setup's block and writing one.
    static std::optional<SetupBlock> ReadBlock(platform::ArchiveReader& in);
    void Apply(const SetupBlock& block);
    SetupBlock Block() const;
    static void WriteBlock(platform::ArchiveWriter& out, const SetupBlock& block);

    // The input-event notice (main thread): for inputs 0-3 whose bit of the
    // changed mask is set, in that order, starts action A (state bit 0) or B
    // (state bit 1) as a new task.
    void RunInputEvents(uint32_t digitalMask, uint32_t changedMask) const;
    // Starts the action of input 0-3 for the state; an empty one starts nothing.
    void RunInputAction(int input, int state) const;

    // Hands every stored wait source to the output driver again (after the
    // link's open reset the driver's table).
    void ApplyWaitSources() const;

  private:
    // ... fields under lock_
    mutable std::recursive_mutex lock_;
    SetupNames* names_;
    std::array<std::string, kSetupPorts> portName_{};
    std::array<int32_t, kSetupPorts + 1> portType_{};
    std::array<int32_t, kSetupInputs> toolType_{};
    std::array<int32_t, kLastWaitPort - kFirstOutputPort + 1> waitSource_{};
    std::array<double, kSetupInputs> offset_{};
    std::array<std::string, kSetupInputs> actionA_{};
    std::array<std::string, kSetupInputs> actionB_{};
    std::array<std::string, kLastWaitPort - kFirstOutputPort + 1> direction1_{};
    std::array<std::string, kLastWaitPort - kFirstOutputPort + 1> direction0_{};
};

// The setup of the open project, which the words of named inputs and the
// box's dot-primitives act on; null while no project is open.
void SetActiveSetup(std::shared_ptr<CSetupData> setup);
std::shared_ptr<CSetupData> ActiveSetup();
