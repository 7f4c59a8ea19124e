#include "box/SetupPrimitives.h"

#include <memory>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/PrimitiveSupport.h"
#include "box/BoxPrimitiveHandlers.h"
#include "box/SensorSetup.h"
#include "box/TimedOutputs.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

constexpr int32_t kErrorNoProject = -61;
constexpr int kActionInputs = 4;  // only inputs 1-4 report presses

std::shared_ptr<CSetupData> RequireSetup(const std::string& calledName) {
    std::shared_ptr<CSetupData> setup = ActiveSetup();
    if (!setup) RaiseError(kErrorNoProject, {calledName});
    return setup;
}

// The units a settings dialog offers, by their texts in the resource
// library, with the tool type each gives and the device it belongs to.
struct Unit {
    int32_t text;
    int32_t toolType;
    int32_t portType;
};
constexpr Unit kUnits[] = {
    {3200, kToolRotation, kPortAngle},      {3201, kToolDegrees, kPortAngle},
    {3202, kToolPercent, kPortLight},       {3203, kToolRaw, kPortLight},
    {3204, kToolCelsius, kPortTemperature}, {3205, kToolFahrenheit, kPortTemperature},
    {3206, kToolBoolean, kPortTouch},       {3207, kToolCount, kPortTouch},
};

// The unit a word names: its whole text, or its first word ("raw" for "Raw
// reading"), in any letter case.
const Unit* FindUnit(const std::string& word) {
    for (const Unit& unit : kUnits) {
        const std::string& text = platform::ResourceText(unit.text);
        const std::string first = text.substr(0, text.find(' '));
        if (platform::EqualsIgnoringCase(word, text) || platform::EqualsIgnoringCase(word, first))
            return &unit;
    }
    return nullptr;
}

// A list input as the instructions it holds; an empty list: none.
std::string Instructions(CHandleData* input, const std::string& calledName) {
    if (!IsListValue(input)) RaiseWrongInput(calledName, input);
    return std::string(WithoutBrackets(GetString(input, false, true)));
}

}  // namespace

CHandleData* SetBoxName(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::shared_ptr<CSetupData> setup = RequireSetup(calledName);
    const int32_t port = IntegerInRange(in[0], 0, kSetupPorts - 1);
    if (!IsWordValue(in[1])) RaiseWrongInput(calledName, in[1]);
    if (!setup->SetPortName(port, GetString(in[1], false)))
        RaiseError(kErrorOutOfRange,
                   {GetString(in[0], false), "0", std::to_string(kSetupPorts - 1)});
    return nullptr;
}

CHandleData* SetBoxType(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::shared_ptr<CSetupData> setup = RequireSetup(calledName);
    const int32_t port = IntegerInRange(in[0], 0, kSetupPorts);
    setup->SetPortType(port, GetInteger(in[1], false));
    return nullptr;
}

CHandleData* SetOnFor(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::shared_ptr<CSetupData> setup = RequireSetup(calledName);
    const int32_t port = IntegerInRange(in[0], kFirstOutputPort, kLastWaitPort);
    const int32_t source = GetInteger(in[1], false);
    // A rotation sensor on inputs 5-8, or time (15).
    if (source != kWaitByTime && (source < 4 || source > 7))
        RaiseError(kErrorOutOfRange, {GetString(in[1], false), "4", "7"});
    setup->SetWaitSource(port, source);
    return nullptr;
}

CHandleData* SetBoxUnit(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::shared_ptr<CSetupData> setup = RequireSetup(calledName);
    const int32_t port = IntegerInRange(in[0], 0, kSetupInputs - 1);
    const Unit* unit = IsWordValue(in[1]) ? FindUnit(GetString(in[1], false)) : nullptr;
    if (!unit) RaiseWrongInput(calledName, in[1]);
    setup->SetToolType(port, unit->toolType);
    setup->SetPortType(port, unit->portType);
    return nullptr;
}

CHandleData* SetBoxAction(CLogoTask*, CHandleData** inputs, int32_t,
                          const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::shared_ptr<CSetupData> setup = RequireSetup(calledName);
    const int32_t port = IntegerInRange(in[0], 0, kActionInputs - 1);
    const std::string pressed = Instructions(in[1], calledName);
    const std::string released = Instructions(in[2], calledName);
    setup->SetActionA(port, pressed);
    setup->SetActionB(port, released);
    return nullptr;
}
