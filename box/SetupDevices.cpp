#include "box/SetupDevices.h"

#include <algorithm>
#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "box/SensorSetup.h"
#include "box/SetupUnits.h"
#include "box/TimedOutputs.h"
#include "platform/TextCatalog.h"

namespace {

// Default names: resource text with %1 the port's label.
constexpr int32_t kTextTemperatureName = 1100;
constexpr int32_t kTextTouchName = 1101;
constexpr int32_t kTextLightName = 1102;
constexpr int32_t kTextAngleName = 1103;
constexpr int32_t kTextMotorName = 1104;  // 1105 lamp, 1106 sound, 1107 second motor
constexpr int kFirstAngleInput = 4;
constexpr int kMaxVariants = 99;

bool IsOutputPort(int port) {
    return port >= kFirstOutputPort && port < kSetupPorts;
}

int32_t DefaultNameText(int port, int32_t device) {
    switch (device) {
        case kPortTemperature:
            return kTextTemperatureName;
        case kPortTouch:
            return kTextTouchName;
        case kPortLight:
            return kTextLightName;
        case kPortAngle:
            return kTextAngleName;
        default:
            // The spare port has no default name.
            return port == kSpareOutputPort ? 0 : kTextMotorName + (device - kPortMotor);
    }
}

// Gives the port the name, or the name followed by _2, _3.. when it is
// taken (by a procedure, a page object or another port).
void GiveDefaultName(CSetupData& setup, int port, const std::string& base) {
    for (int n = 1;; ++n) {
        const std::string name = n == 1 ? base : base + "_" + std::to_string(n);
        try {
            setup.SetPortName(port, name);
            return;
        } catch (const LogoError& error) {
            Release(error.handle);  // the name is taken: the next one
            if (n >= kMaxVariants) return;
        }
    }
}

}  // namespace

std::string PortLabel(int port) {
    if (port >= 0 && port < kSetupInputs) return std::to_string(port + 1);
    if (IsOutputPort(port)) return std::string(1, static_cast<char>('A' + port - kFirstOutputPort));
    return {};
}

std::vector<int32_t> DevicesForPort(int port) {
    if (port >= 0 && port < kFirstAngleInput) return {kPortNothing, kPortTemperature, kPortTouch};
    if (port >= kFirstAngleInput && port < kSetupInputs)
        return {kPortNothing, kPortLight, kPortAngle};
    if (IsOutputPort(port)) return {kPortNothing, kPortMotor, kPortMotor2, kPortLamp, kPortSound};
    return {};
}

bool PlugDevice(CSetupData& setup, int port, int32_t device) {
    const std::vector<int32_t> devices = DevicesForPort(port);
    if (std::find(devices.begin(), devices.end(), device) == devices.end()) return false;
    if (device == kPortNothing) {
        setup.SetPortName(port, "");
        setup.SetPortType(port, kPortNothing);
        if (port < kSetupInputs) setup.SetToolType(port, kToolNone);
        if (IsOutputPort(port)) setup.SetWaitSource(port, kWaitByTime);
        return true;
    }
    setup.SetPortName(port, "");
    setup.SetPortType(port, device);
    if (port < kSetupInputs) {
        for (const SetupUnit& unit : SetupUnits()) {
            if (unit.portType != device) continue;
            setup.SetToolType(port, unit.toolType);  // the dialog's own unit comes first
            break;
        }
        if (device == kPortLight || device == kPortTemperature) setup.SetOffset(port, 0.0);
    } else {
        setup.SetDirectionName1(port, "");
        setup.SetDirectionName0(port, "");
    }
    if (const int32_t text = DefaultNameText(port, device))
        GiveDefaultName(setup, port, platform::FormatResource(text, {PortLabel(port)}));
    return true;
}
