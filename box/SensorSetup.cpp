// The project's sensor setup.
//
// Locks: every field is guarded by the setup's own (re-entrant) lock, which
// is held across a whole change, calls into the name tables included, so
// that a rename is seen whole or not at all. The order is: setup lock, then
// the project's name table, then the interpreter's name table. Neither name
// table calls back into the setup. Starting a Logo task and showing a
// message, which may wait, happen outside the setup lock; the driver's wait
// sources are plain atomic stores and are written under it.
#include "box/SensorSetup.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/PrimitiveSupport.h"
#include "box/SampleRing.h"
#include "box/SetupWords.h"
#include "box/TimedOutputs.h"
#include "platform/Archive.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

constexpr int32_t kBlockVersion = 4;
constexpr int32_t kOldBlockVersion = 3;
constexpr int kActionInputs = 4;  // only inputs 1-4 report edges
constexpr int kSetupOutputs = 8;  // ports 8-15, the outputs the driver knows
constexpr int kDirectionSlots = kLastWaitPort - kFirstOutputPort + 1;

bool IsInput(int port) {
    return port >= 0 && port < kSetupInputs;
}
bool IsNamedPort(int port) {
    return port >= 0 && port < kSetupPorts;
}
bool IsTypedPort(int port) {
    return port >= 0 && port <= kSetupPorts;
}
bool IsWaitPort(int port) {
    return port >= kFirstOutputPort && port <= kLastWaitPort;
}

// A Logo error the caller has no use for.
void Drop(const LogoError& error) {
    Release(error.handle);
}

// Who holds each word the setups registered, by lower-cased name. A project
// being closed may still be alive while the next one registers the same
// names; only the setup that holds a word may erase it. Never destroyed: a
// setup may go during the process's exit.
struct WordOwner {
    const CSetupData* setup = nullptr;
    PrimitiveHandler handler = nullptr;
    int32_t token = 0;
    int32_t option = 0;
};

struct WordOwners {
    std::mutex lock;  // taken inside the interpreter's name-table lock only
    std::map<std::string, WordOwner> byName;
};

WordOwners& Owners() {
    static WordOwners* owners = new WordOwners;
    return *owners;
}

// Whether the name is a word of the handler for the option.
bool IsWord(const std::string& name, PrimitiveHandler handler, int32_t option) {
    CHandleData* found = FindName(name);
    if (!found) return false;
    const bool same = found->Type() == kTypePrimitive && found->Primitive().handler == handler &&
                      found->Primitive().option == option;
    Release(found);
    return same;
}

// A registration, and the holder it took the word from, so that a change
// that fails later can give the word back.
struct Claim {
    bool made = false;
    std::optional<WordOwner> previous;
};

// Registers the word for the setup. The same setup's word of another port
// or output is refused with -21, as is every name RegisterUserWord refuses;
// a word another setup holds passes to this one. Nothing is made when the
// interpreter has no memory for it.
Claim ClaimWord(const CSetupData* setup, const std::string& name, PrimitiveHandler handler,
                int32_t token, int32_t option) {
    Guard table(NameTable().Lock());
    WordOwners& owners = Owners();
    const std::string key = platform::LowerCase(name);
    Claim claim;
    {
        std::lock_guard<std::mutex> hold(owners.lock);
        const auto it = owners.byName.find(key);
        if (it != owners.byName.end()) {
            const WordOwner& holder = it->second;
            if (holder.setup == setup && holder.handler == handler && holder.option != option)
                RaiseError(kErrorNameInUse, {name});
            if (holder.handler == handler) claim.previous = holder;
        }
    }
    // A word that already does what this one would is left as it is:
    // registering it again would rewrite a primitive that tasks may be
    // calling at this moment.
    if (!IsWord(name, handler, option) &&
        IsErrorNumber(RegisterUserWord(name, handler, token, option, 0)))
        return {};
    std::lock_guard<std::mutex> hold(owners.lock);
    owners.byName[key] = {setup, handler, token, option};
    claim.made = true;
    return claim;
}

// Erases the word while the setup holds it.
void ReleaseWord(const CSetupData* setup, const std::string& name, PrimitiveHandler handler) {
    Guard table(NameTable().Lock());
    WordOwners& owners = Owners();
    {
        std::lock_guard<std::mutex> hold(owners.lock);
        const auto it = owners.byName.find(platform::LowerCase(name));
        if (it == owners.byName.end() || it->second.setup != setup || it->second.handler != handler)
            return;
        owners.byName.erase(it);
    }
    EraseUserWord(name, handler);
}

// Takes back a claim whose change failed: the word goes, or returns to the
// setup that held it.
void UndoClaim(const CSetupData* setup, const std::string& name, PrimitiveHandler handler,
               const Claim& claim) {
    if (!claim.made) return;
    if (!claim.previous) {
        ReleaseWord(setup, name, handler);
        return;
    }
    Guard table(NameTable().Lock());
    const WordOwner& holder = *claim.previous;
    try {
        RegisterUserWord(name, holder.handler, holder.token, holder.option, 0);
    } catch (const LogoError& error) {
        // The error that made the change fail is the one to report.
        Drop(error);
        return;
    }
    std::lock_guard<std::mutex> hold(Owners().lock);
    Owners().byName[platform::LowerCase(name)] = holder;
}

// The driver keeps a byte per output; a value no byte can hold means time.
uint8_t DriverWaitSource(int32_t source) {
    return source >= 0 && source <= 255 ? static_cast<uint8_t>(source) : kWaitByTime;
}

CHandleData* MakeReal(double value) {
    return DefineReal("", value, kStateTemp);
}

// A reading as graphs and the live displays take it: the angle without its
// sign, the raw reading without offset; 0.0 for no or an unknown tool type.
double Reading(int input, int32_t tool, double offset, uint32_t time) {
    int32_t value = 0, counter = 0, flag = 0;
    switch (tool) {
        case kToolRotation:
            return ControlBox_Rotation(input, time);
        case kToolDegrees:
            return std::fabs(TurnDegrees(ControlBox_Rotation(input, time)));
        case kToolRaw:
            ControlBox_Input(input, time, &value, nullptr, nullptr, nullptr);
            return value;
        case kToolPercent:
            return ControlBox_LightPercent(input, time) + offset;
        case kToolCelsius:
            return ControlBox_TemperatureC(input, time) + offset;
        case kToolFahrenheit:
            return FahrenheitCutToTenths(ControlBox_TemperatureC(input, time)) + offset;
        case kToolBoolean:
            ControlBox_Input(input, time, nullptr, nullptr, nullptr, &flag);
            return flag == 1 ? 1.0 : 0.0;
        case kToolCount:
            ControlBox_Input(input, time, nullptr, &counter, nullptr, nullptr);
            return counter / 2;
        default:
            return 0.0;
    }
}

// Starts the text as a task of its own, as a page object's action starts,
// without waiting for it. An error that keeps it from starting goes to the
// command centre.
void StartAction(const std::string& text) {
    try {
        RunForObject(text, 0);
    } catch (const LogoError& error) {
        CurrentTaskHost().Print(ErrorText(error.handle));
        Drop(error);
    }
}

// Never destroyed: the setup it holds at the process's exit would otherwise
// go after the interpreter's name table.
struct ActiveSlot {
    std::mutex lock;
    std::shared_ptr<CSetupData> setup;
};

ActiveSlot& Active() {
    static ActiveSlot* slot = new ActiveSlot;
    return *slot;
}

}  // namespace

double TurnDegrees(int32_t rotationCount) {
    constexpr int32_t kStepsPerTurn = 16;
    constexpr double kDegreesPerStep = 22.5;
    return (rotationCount % kStepsPerTurn) * kDegreesPerStep;
}

double FahrenheitCutToTenths(double celsius) {
    double tenths = (celsius * 9.0 / 5.0 + 32.0) * 10.0;
    // A value that is a whole number of tenths keeps it: 69.8 must not
    // become 69.7 because its binary form lies a hair below.
    const double nearest = std::round(tenths);
    if (std::fabs(tenths - nearest) < 1e-6) tenths = nearest;
    return std::trunc(tenths) / 10.0;
}

CSetupData::CSetupData(SetupNames* names) : names_(names) {
    waitSource_.fill(kWaitByTime);
}

CSetupData::~CSetupData() {
    Guard hold(lock_);
    // Each step on its own: one that fails must not keep the others from
    // cleaning up.
    const auto quietly = [](auto step) {
        try {
            step();
        } catch (const LogoError& error) {
            Drop(error);
        } catch (const std::exception&) {
        }
    };
    for (int port = 0; port < kSetupPorts; ++port) {
        const std::string& name = portName_[port];
        if (name.empty()) continue;
        if (names_) quietly([&] { names_->RemovePortName(name); });
        if (IsInput(port)) quietly([&] { ReleaseWord(this, name, ReadNamedInput); });
    }
    for (int i = 0; i < kDirectionSlots; ++i) {
        if (!direction1_[i].empty())
            quietly([&] { ReleaseWord(this, direction1_[i], SetNamedDirection1); });
        if (!direction0_[i].empty())
            quietly([&] { ReleaseWord(this, direction0_[i], SetNamedDirection0); });
    }
}

std::string CSetupData::GetPortName(int port) const {
    if (!IsNamedPort(port)) return {};
    Guard hold(lock_);
    return portName_[port];
}

bool CSetupData::SetPortName(int port, const std::string& name) {
    if (!IsNamedPort(port)) return false;
    Guard hold(lock_);
    const std::string old = portName_[port];
    if (name == old) return true;
    // Another spelling of the port's own name is no clash; the word, kept
    // lower-cased, stays as it is.
    const bool respelt = !name.empty() && platform::EqualsIgnoringCase(name, old);
    if (!name.empty() && !respelt && names_ && names_->HasName(name))
        RaiseError(kErrorNameInUse, {name});

    // The new word first: it is the step most likely refused, and nothing
    // has changed yet when it is.
    Claim word;
    if (IsInput(port) && !name.empty() && !respelt) {
        word = ClaimWord(this, name, ReadNamedInput, kInputWordToken + port, port);
        if (!word.made) return false;
    }

    bool oldRemoved = false;
    try {
        if (names_ && !old.empty()) {
            try {
                names_->RemovePortName(old);
                oldRemoved = true;
            } catch (const LogoError& error) {
                // Already gone from the table: nothing to remove.
                Drop(error);
            }
        }
        if (names_ && !name.empty()) names_->EnterPortName(name, port + 1);
    } catch (...) {
        if (oldRemoved) {
            try {
                names_->EnterPortName(old, port + 1);
            } catch (const LogoError& error) {
                Drop(error);
            }
        }
        UndoClaim(this, name, ReadNamedInput, word);
        throw;
    }

    if (IsInput(port) && !old.empty() && !respelt) ReleaseWord(this, old, ReadNamedInput);
    portName_[port] = name;
    return true;
}

int32_t CSetupData::GetPortType(int port) const {
    if (!IsTypedPort(port)) return 0;
    Guard hold(lock_);
    return portType_[port];
}

bool CSetupData::SetPortType(int port, int32_t type) {
    if (!IsTypedPort(port)) return false;
    Guard hold(lock_);
    portType_[port] = type;
    return true;
}

int32_t CSetupData::GetToolType(int input) const {
    if (!IsInput(input)) return 0;
    Guard hold(lock_);
    return toolType_[input];
}

bool CSetupData::SetToolType(int input, int32_t type) {
    if (!IsInput(input)) return false;
    Guard hold(lock_);
    toolType_[input] = type;
    return true;
}

double CSetupData::GetOffset(int input) const {
    if (!IsInput(input)) return 0.0;
    Guard hold(lock_);
    return offset_[input];
}

bool CSetupData::SetOffset(int input, double offset) {
    if (!IsInput(input)) return false;
    Guard hold(lock_);
    offset_[input] = offset;
    return true;
}

bool CSetupData::SetWaitSource(int port, int32_t source) {
    if (!IsWaitPort(port)) return false;
    Guard hold(lock_);
    waitSource_[port - kFirstOutputPort] = source;
    // The driver's table has no place for port 17; it ignores that index.
    ControlBox_SetWaitSource(port - kFirstOutputPort, DriverWaitSource(source));
    return true;
}

int32_t CSetupData::GetWaitSource(int port) const {
    if (!IsWaitPort(port)) return kNoWaitSource;
    return ControlBox_GetWaitSource(port - kFirstOutputPort);
}

std::string CSetupData::GetActionA(int input) const {
    if (!IsInput(input)) return {};
    Guard hold(lock_);
    return actionA_[input];
}

bool CSetupData::SetActionA(int input, const std::string& action) {
    if (!IsInput(input)) return false;
    Guard hold(lock_);
    actionA_[input] = action;
    return true;
}

std::string CSetupData::GetActionB(int input) const {
    if (!IsInput(input)) return {};
    Guard hold(lock_);
    return actionB_[input];
}

bool CSetupData::SetActionB(int input, const std::string& action) {
    if (!IsInput(input)) return false;
    Guard hold(lock_);
    actionB_[input] = action;
    return true;
}

std::string CSetupData::GetDirectionName1(int port) const {
    if (!IsWaitPort(port)) return {};
    Guard hold(lock_);
    return direction1_[port - kFirstOutputPort];
}

std::string CSetupData::GetDirectionName0(int port) const {
    if (!IsWaitPort(port)) return {};
    Guard hold(lock_);
    return direction0_[port - kFirstOutputPort];
}

namespace {

// The shared step of both direction setters: the new word is registered
// before the old one goes, so that a refused name changes nothing.
bool RenameDirection(const CSetupData* setup, std::string& stored, const std::string& name,
                     PrimitiveHandler handler, int32_t token, int32_t index) {
    if (!name.empty() && !ClaimWord(setup, name, handler, token, index).made) return false;
    if (!stored.empty() && !platform::EqualsIgnoringCase(stored, name))
        ReleaseWord(setup, stored, handler);
    stored = name;
    return true;
}

}  // namespace

bool CSetupData::SetDirectionName1(int port, const std::string& name) {
    if (!IsWaitPort(port)) return false;
    const int index = port - kFirstOutputPort;
    Guard hold(lock_);
    return RenameDirection(this, direction1_[index], name, SetNamedDirection1,
                           kDirection1Token + index, index);
}

bool CSetupData::SetDirectionName0(int port, const std::string& name) {
    if (!IsWaitPort(port)) return false;
    const int index = port - kFirstOutputPort;
    Guard hold(lock_);
    return RenameDirection(this, direction0_[index], name, SetNamedDirection0,
                           kDirection0Token + index, index);
}

std::string CSetupData::ReadingText(int input) const {
    if (!IsInput(input)) return {};
    int32_t tool;
    double offset;
    {
        Guard hold(lock_);
        tool = toolType_[input];
        offset = offset_[input];
    }
    switch (tool) {
        case kToolRotation:
        case kToolCount:
            return std::to_string(static_cast<int32_t>(Reading(input, tool, offset, 0)));
        case kToolDegrees:
        case kToolPercent:
        case kToolCelsius:
        case kToolFahrenheit:
            return FormatReal(Reading(input, tool, offset, 0));
        case kToolRaw:
            // The display shows the raw reading calibrated; graphs do not.
            return FormatReal(Reading(input, tool, offset, 0) + offset);
        case kToolBoolean:
            return platform::ResourceText(Reading(input, tool, offset, 0) != 0.0 ? kTextTrue
                                                                                 : kTextFalse);
        default:
            return {};
    }
}

double CSetupData::ReadingByName(const std::string& name, uint32_t time) const {
    std::string_view wanted = name;
    const bool raw = !wanted.empty() && wanted.front() == '.';
    if (raw) wanted.remove_prefix(1);
    if (wanted.empty()) return 0.0;
    int port = -1;
    int32_t tool = kToolNone;
    double offset = 0.0;
    {
        Guard hold(lock_);
        for (int p = 0; p < kSetupPorts && port < 0; ++p)
            if (platform::EqualsIgnoringCase(portName_[p], wanted)) port = p;
        if (!IsInput(port)) return 0.0;  // none, or a port that is no input
        tool = toolType_[port];
        offset = offset_[port];
    }
    return Reading(port, raw ? kToolRaw : tool, offset, time);
}

CHandleData* CSetupData::ReadInputWord(int input) const {
    if (!IsInput(input)) RaiseError(-13, {std::to_string(input + 1)});
    int32_t tool;
    double offset;
    std::string name;
    {
        Guard hold(lock_);
        tool = toolType_[input];
        offset = offset_[input];
        name = portName_[input];
    }
    int32_t value = 0, counter = 0, flag = 0;
    switch (tool) {
        case kToolNone:
            // The word exists but says nothing yet: no unit was chosen.
            RaiseError(-1, {name});
        case kToolRotation:
            return MakeInteger(ControlBox_Rotation(input, 0));
        case kToolDegrees:
            return MakeReal(TurnDegrees(ControlBox_Rotation(input, 0)));
        case kToolRaw:
            if (ControlBox_Input(input, 0, &value, nullptr, nullptr, nullptr) != kInputOk)
                value = 1023;
            return MakeInteger(value);
        case kToolPercent:
            return MakeReal(ControlBox_LightPercent(input, 0) + offset);
        case kToolCelsius:
            return MakeReal(ControlBox_TemperatureC(input, 0) + offset);
        case kToolFahrenheit:
            return MakeReal(FahrenheitCutToTenths(ControlBox_TemperatureC(input, 0)) + offset);
        case kToolBoolean:
            if (ControlBox_Input(input, 0, nullptr, nullptr, nullptr, &flag) != kInputOk) flag = 0;
            return BooleanValue(flag == 1);
        case kToolCount:
            if (ControlBox_Input(input, 0, nullptr, &counter, nullptr, nullptr) != kInputOk)
                counter = 0;
            return MakeInteger(counter / 2);
        default:
            RaiseInternal("Bad setup tool type");
    }
}

SetupBlock CSetupData::Block() const {
    Guard hold(lock_);
    SetupBlock block;
    block.portName = portName_;
    std::copy_n(portType_.begin(), kSetupPorts, block.portType.begin());
    block.toolType = toolType_;
    block.offset = offset_;
    block.actionA = actionA_;
    block.actionB = actionB_;
    for (int j = 0; j < kSetupOutputs; ++j) {
        block.waitSource[j] = waitSource_[j];
        block.direction1[j] = direction1_[j];
        block.direction0[j] = direction0_[j];
    }
    return block;
}

void CSetupData::WriteBlock(platform::ArchiveWriter& out, const SetupBlock& block) {
    out.Int32(kBlockVersion);
    for (int input = 0; input < kSetupInputs; ++input) {
        out.Text(block.portName[input]);
        out.Int32(block.portType[input]);
        out.Int32(block.toolType[input]);
        out.Double(block.offset[input]);
        out.Text(block.actionA[input]);
        out.Text(block.actionB[input]);
    }
    for (int j = 0; j < kSetupOutputs; ++j) {
        const int port = kFirstOutputPort + j;
        out.Text(block.portName[port]);
        out.Int32(block.portType[port]);
        out.Int32(block.waitSource[j]);
        out.Text(block.direction1[j]);
        out.Text(block.direction0[j]);
    }
    out.Text(block.portName[kSpareOutputPort]);
    out.Int32(block.portType[kSpareOutputPort]);
}

void CSetupData::Serialize(platform::ArchiveWriter& out) const {
    WriteBlock(out, Block());
}

std::optional<SetupBlock> CSetupData::ReadBlock(platform::ArchiveReader& in) {
    const int32_t version = in.Int32();
    if (version != kBlockVersion && version != kOldBlockVersion) return std::nullopt;
    SetupBlock block;
    block.current = version == kBlockVersion;
    for (int input = 0; input < kSetupInputs; ++input) {
        block.portName[input] = in.Text();
        block.portType[input] = in.Int32();
        block.toolType[input] = in.Int32();
        if (block.current) {
            block.offset[input] = in.Double();
            block.actionA[input] = in.Text();
            block.actionB[input] = in.Text();
        }
    }
    for (int j = 0; j < kSetupOutputs; ++j) {
        const int port = kFirstOutputPort + j;
        block.portName[port] = in.Text();
        block.portType[port] = in.Int32();
        block.waitSource[j] = in.Int32();
        if (block.current) {
            block.direction1[j] = in.Text();
            block.direction0[j] = in.Text();
        } else {
            in.Text();
        }
    }
    block.portName[kSpareOutputPort] = in.Text();
    block.portType[kSpareOutputPort] = in.Int32();
    return block;
}

void CSetupData::Apply(const SetupBlock& block) {
    const bool current = block.current;
    // A name that cannot be given fails the load; so does one the
    // interpreter has no room for.
    const auto name = [&](int port) {
        if (!SetPortName(port, block.portName[port])) RaiseError(kErrorNoMemory);
    };

    Guard hold(lock_);
    for (int input = 0; input < kSetupInputs; ++input) {
        portType_[input] = block.portType[input];
        toolType_[input] = block.toolType[input];
        if (current) offset_[input] = block.offset[input];
        name(input);
        if (current) {
            actionA_[input] = block.actionA[input];
            actionB_[input] = block.actionB[input];
        }
    }
    for (int j = 0; j < kSetupOutputs; ++j) {
        const int port = kFirstOutputPort + j;
        portType_[port] = block.portType[port];
        if (current) {
            SetWaitSource(port, block.waitSource[j]);
        } else {
            // Older files held sources the driver of their day ignored.
            waitSource_[j] = block.waitSource[j];
        }
        name(port);
        if (current) {
            const std::string& direction1 = block.direction1[j];
            if (!direction1.empty() && !SetDirectionName1(port, direction1))
                RaiseError(kErrorNoMemory);
            const std::string& direction0 = block.direction0[j];
            if (!direction0.empty() && !SetDirectionName0(port, direction0))
                RaiseError(kErrorNoMemory);
        }
    }
    portType_[kSpareOutputPort] = block.portType[kSpareOutputPort];
    name(kSpareOutputPort);
}

bool CSetupData::Serialize(platform::ArchiveReader& in) {
    // Read and judged before the lock: the message may wait for the user.
    const std::optional<SetupBlock> block = ReadBlock(in);
    if (!block) {
        platform::ShowMessage(platform::MessageKind::Information,
                              "**** unknown setupdata version ****");
        return false;
    }
    Apply(*block);
    return true;
}

void CSetupData::RunInputEvents(uint32_t digitalMask, uint32_t changedMask) const {
    for (int input = 0; input < kActionInputs; ++input)
        if (changedMask & (1u << input)) RunInputAction(input, (digitalMask >> input) & 1u);
}

void CSetupData::RunInputAction(int input, int state) const {
    if (input < 0 || input >= kActionInputs) return;
    std::string action;
    {
        Guard hold(lock_);
        action = state == 0 ? actionA_[input] : actionB_[input];
    }
    if (!action.empty()) StartAction(action);
}

void CSetupData::ApplyWaitSources() const {
    Guard hold(lock_);
    for (int j = 0; j < kSetupOutputs; ++j)
        ControlBox_SetWaitSource(j, DriverWaitSource(waitSource_[j]));
}

void SetActiveSetup(std::shared_ptr<CSetupData> setup) {
    ActiveSlot& active = Active();
    std::shared_ptr<CSetupData> previous;
    {
        std::lock_guard<std::mutex> hold(active.lock);
        previous = std::exchange(active.setup, std::move(setup));
    }
    // The old setup may go with this last reference: its words leave the
    // interpreter outside this lock.
}

std::shared_ptr<CSetupData> ActiveSetup() {
    ActiveSlot& active = Active();
    std::lock_guard<std::mutex> hold(active.lock);
    return active.setup;
}
