#include "box/SetupUnits.h"

#include "box/SensorSetup.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

constexpr SetupUnit kUnits[] = {
    {3200, kToolRotation, kPortAngle},      {3201, kToolDegrees, kPortAngle},
    {3202, kToolPercent, kPortLight},       {3203, kToolRaw, kPortLight},
    {3204, kToolCelsius, kPortTemperature}, {3205, kToolFahrenheit, kPortTemperature},
    {3206, kToolBoolean, kPortTouch},       {3207, kToolCount, kPortTouch},
};

}  // namespace

std::span<const SetupUnit> SetupUnits() {
    return kUnits;
}

const SetupUnit* FindSetupUnit(const std::string& word) {
    for (const SetupUnit& unit : kUnits) {
        const std::string& text = platform::ResourceText(unit.text);
        const std::string first = text.substr(0, text.find(' '));
        if (platform::EqualsIgnoringCase(word, text) || platform::EqualsIgnoringCase(word, first))
            return &unit;
    }
    return nullptr;
}

const SetupUnit* UnitOfToolType(int32_t toolType) {
    for (const SetupUnit& unit : kUnits)
        if (unit.toolType == toolType) return &unit;
    return nullptr;
}

bool ApplySetupUnit(CSetupData& setup, int input, const SetupUnit& unit) {
    return setup.SetToolType(input, unit.toolType) && setup.SetPortType(input, unit.portType);
}
