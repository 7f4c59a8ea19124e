// The primitives that read the box's inputs, given as numbers 1-8. They read
// the newest sample; with no box the readers give their closed-port values,
// and a read that fails gives the neutral value of its kind.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "LogoCore/PrimitiveSupport.h"
#include "box/BoxPrimitiveHandlers.h"
#include "box/OutputCommands.h"
#include "box/SampleRing.h"
#include "box/SensorSetup.h"

namespace {

constexpr uint32_t kNewest = 0;

int32_t Raw(int index) {
    int32_t raw = 0;
    if (ControlBox_Input(index, kNewest, &raw, nullptr, nullptr, nullptr) != kInputOk) return 0;
    return raw;
}

int32_t Counter(int index) {
    int32_t counter = 0;
    if (ControlBox_Input(index, kNewest, nullptr, &counter, nullptr, nullptr) != kInputOk) return 0;
    return counter;
}

}  // namespace

// True while the input's digital state bit is clear (a touch sensor pressed).
CHandleData* BoxSwitch(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    const int index = InputIndex(in[0]);
    int32_t flag = 0;
    const bool read =
        ControlBox_Input(index, kNewest, nullptr, nullptr, nullptr, &flag) == kInputOk;
    return BooleanValue(read && flag != 0);
}

// Degrees within one turn, never negative; % keeps the count's sign, which
// the absolute value then drops.
CHandleData* BoxAngle(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    const int32_t count = ControlBox_Rotation(InputIndex(in[0]), kNewest);
    return NormaliseNumber(std::fabs(TurnDegrees(count)));
}

CHandleData* BoxTemperature(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    return NormaliseNumber(ControlBox_TemperatureC(InputIndex(in[0]), kNewest));
}

// Each press and release adds 2 to the counter; a press still held counts.
CHandleData* BoxPresses(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    const int64_t counter = Counter(InputIndex(in[0]));
    return MakeInteger(static_cast<int32_t>((counter + 1) / 2));
}

CHandleData* BoxFahrenheit(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    const double celsius = ControlBox_TemperatureC(InputIndex(in[0]), kNewest);
    return NormaliseNumber(celsius * 9 / 5 + 32);
}

CHandleData* BoxLight(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    return NormaliseNumber(ControlBox_LightPercent(InputIndex(in[0]), kNewest));
}

CHandleData* BoxSensor(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    return MakeInteger(Raw(InputIndex(in[0])));
}

CHandleData* BoxResetCount(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    ControlBox_ResetCounter(IntegerInRange(in[0], 1, kBoxInputs) - 1);
    return nullptr;
}

CHandleData* BoxResetRotation(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    ControlBox_ResetRotation(IntegerInRange(in[0], 1, kBoxInputs) - 1);
    return nullptr;
}

// Inputs 1-4 have no rotation store: their count reads 0.
CHandleData* BoxRotation(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    return MakeInteger(ControlBox_Rotation(InputIndex(in[0]), kNewest));
}

// The input is checked before the setting, so a bad input is reported
// whatever the setting.
CHandleData* BoxSetSensorMode(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    const int index = InputIndex(in[0]);
    const int32_t setting = IntegerInRange(in[1], 0, 15);
    ControlBox_SetInputSetting(index, setting);
    return nullptr;
}
