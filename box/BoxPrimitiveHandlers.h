// What the files of the box primitives share: the handlers the rows in
// BoxPrimitives.cpp name, and the checks of their number inputs. Private to
// box/.
#pragma once

#include <cstdint>
#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"

class CLogoTask;

inline constexpr int32_t kErrorNoSuchInput = -13;
inline constexpr int32_t kErrorOutOfRange = -14;

// A whole-number input that must lie in low..high; -14 names it as the user
// gave it, with the range. A non-number raises -4 in the conversion.
inline int32_t IntegerInRange(CHandleData* input, int32_t low, int32_t high) {
    const int32_t value = GetInteger(input, false);
    if (value < low || value > high)
        RaiseError(kErrorOutOfRange,
                   {GetString(input, false), std::to_string(low), std::to_string(high)});
    return value;
}

// The index 0-7 of an input number 1-8; any other number raises -13.
inline int InputIndex(CHandleData* input) {
    const int32_t number = GetInteger(input, false);
    if (number < 1 || number > 8) RaiseError(kErrorNoSuchInput, {GetString(input, false)});
    return number - 1;
}

// Outputs (OutputPrimitives.cpp). All-off takes option 1 for all-on; the
// output command tells on, off, the directions and reverse apart by token.
CHandleData* BoxAllOutputs(CLogoTask* task, CHandleData** inputs, int32_t option,
                           const std::string& calledName);
CHandleData* BoxOutputCommand(CLogoTask* task, CHandleData** inputs, int32_t option,
                              const std::string& calledName);
CHandleData* BoxSetPower(CLogoTask* task, CHandleData** inputs, int32_t option,
                         const std::string& calledName);
CHandleData* BoxPower(CLogoTask* task, CHandleData** inputs, int32_t option,
                      const std::string& calledName);
CHandleData* BoxOnFor(CLogoTask* task, CHandleData** inputs, int32_t option,
                      const std::string& calledName);
CHandleData* BoxSetPulse(CLogoTask* task, CHandleData** inputs, int32_t option,
                         const std::string& calledName);

// Inputs (InputPrimitives.cpp).
CHandleData* BoxSwitch(CLogoTask* task, CHandleData** inputs, int32_t option,
                       const std::string& calledName);
CHandleData* BoxAngle(CLogoTask* task, CHandleData** inputs, int32_t option,
                      const std::string& calledName);
CHandleData* BoxTemperature(CLogoTask* task, CHandleData** inputs, int32_t option,
                            const std::string& calledName);
CHandleData* BoxPresses(CLogoTask* task, CHandleData** inputs, int32_t option,
                        const std::string& calledName);
CHandleData* BoxFahrenheit(CLogoTask* task, CHandleData** inputs, int32_t option,
                           const std::string& calledName);
CHandleData* BoxLight(CLogoTask* task, CHandleData** inputs, int32_t option,
                      const std::string& calledName);
CHandleData* BoxSensor(CLogoTask* task, CHandleData** inputs, int32_t option,
                       const std::string& calledName);
CHandleData* BoxResetCount(CLogoTask* task, CHandleData** inputs, int32_t option,
                           const std::string& calledName);
CHandleData* BoxResetRotation(CLogoTask* task, CHandleData** inputs, int32_t option,
                              const std::string& calledName);
CHandleData* BoxRotation(CLogoTask* task, CHandleData** inputs, int32_t option,
                         const std::string& calledName);
CHandleData* BoxSetSensorMode(CLogoTask* task, CHandleData** inputs, int32_t option,
                              const std::string& calledName);

// The link's diagnostics (DiagnosticPrimitives.cpp).
CHandleData* BoxSetDelayMonitor(CLogoTask* task, CHandleData** inputs, int32_t option,
                                const std::string& calledName);
CHandleData* BoxResyncCount(CLogoTask* task, CHandleData** inputs, int32_t option,
                            const std::string& calledName);
