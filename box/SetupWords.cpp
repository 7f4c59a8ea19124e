#include "box/SetupWords.h"

#include "LogoCore/LogoErrors.h"
#include "LogoCore/PrimitiveSupport.h"
#include "box/OutputCommands.h"
#include "box/SensorSetup.h"

CHandleData* ReadNamedInput(CLogoTask*, CHandleData** inputs, int32_t option,
                            const std::string& calledName) {
    HandlerInputs in(inputs);
    // Held for the read: closing the project meanwhile cannot pull the
    // setup away under it.
    const std::shared_ptr<CSetupData> setup = ActiveSetup();
    if (!setup) RaiseError(-61, {calledName});
    return setup->ReadInputWord(option);
}

CHandleData* SetNamedDirection1(CLogoTask*, CHandleData** inputs, int32_t option,
                                const std::string&) {
    HandlerInputs in(inputs);
    ControlBox_SetDirection(option + 1, 1);
    return nullptr;
}

CHandleData* SetNamedDirection0(CLogoTask*, CHandleData** inputs, int32_t option,
                                const std::string&) {
    HandlerInputs in(inputs);
    ControlBox_SetDirection(option + 1, 0);
    return nullptr;
}
