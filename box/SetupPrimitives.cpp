#include "box/SetupPrimitives.h"

#include <memory>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/PrimitiveSupport.h"
#include "box/BoxPrimitiveHandlers.h"
#include "box/SensorSetup.h"
#include "box/SetupUnits.h"
#include "box/TimedOutputs.h"

namespace {

constexpr int32_t kErrorNoProject = -61;
constexpr int kActionInputs = 4;  // only inputs 1-4 report presses

std::shared_ptr<CSetupData> RequireSetup(const std::string& calledName) {
    std::shared_ptr<CSetupData> setup = ActiveSetup();
    if (!setup) RaiseError(kErrorNoProject, {calledName});
    return setup;
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
    const SetupUnit* unit = IsWordValue(in[1]) ? FindSetupUnit(GetString(in[1], false)) : nullptr;
    if (!unit) RaiseWrongInput(calledName, in[1]);
    ApplySetupUnit(*setup, port, *unit);
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
