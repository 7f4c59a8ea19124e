// Rows of the box primitives, in ascending token order.
#include "box/BoxPrimitives.h"

#include "box/BoxPrimitiveHandlers.h"
#include "box/SetupPrimitives.h"

namespace {

// clang-format off
constexpr PrimitiveRow kBoxRows[] = {
    // Outputs. All-off has option 0 because ".allon" reuses its handler with
    // option 1; the commands 132-135 and 137 are told apart by their token.
    FixedRow(BoxAllOutputs, 130, 0, 0),
    FixedRow(BoxOutputCommand, 132, 132, 0),
    FixedRow(BoxOutputCommand, 133, 133, 0),
    FixedRow(BoxOutputCommand, 134, 134, 0),
    FixedRow(BoxOutputCommand, 135, 135, 0),
    FixedRow(BoxSetPower, 136, 136, 1),
    FixedRow(BoxOutputCommand, 137, 137, 0),
    FixedRow(BoxPower, 138, 0, 0),
    FixedRow(BoxOnFor, 139, 0, 1),
    FixedRow(BoxSetPulse, 140, 140, 2),

    // Inputs: each takes an input number 1-8, the mode setter also the mode.
    FixedRow(BoxSwitch, 150, 0, 1),
    FixedRow(BoxAngle, 151, 0, 1),
    FixedRow(BoxTemperature, 152, 0, 1),
    FixedRow(BoxPresses, 153, 0, 1),
    FixedRow(BoxFahrenheit, 154, 0, 1),
    FixedRow(BoxLight, 159, 0, 1),
    FixedRow(BoxSensor, 160, 0, 1),
    FixedRow(BoxResetCount, 162, 0, 1),
    FixedRow(BoxResetRotation, 163, 0, 1),
    FixedRow(BoxRotation, 164, 0, 1),
    FixedRow(BoxSetSensorMode, 165, 0, 2),
};

// The setup writers keep the options of one shared handler, though each
// has its own. The last two stand in for the setup page in the terminal.
constexpr NamedPrimitiveRow kBoxNamedRows[] = {
    {BoxAllOutputs, 32001, ".allon", 0, 1, 0, 0, 0},
    {SetBoxName, 32002, ".setboxname", 0, 65536, 2, 2, 2},
    {SetBoxType, 32003, ".setboxtype", 0, 65537, 2, 2, 2},
    {SetOnFor, 32004, ".setonfor", 0, 65538, 2, 2, 2},
    {BoxSetDelayMonitor, 32005, ".setdelaymonitor", 0, 0, 1, 1, 1},
    {BoxResyncCount, 32006, ".resynccount", 0, 0, 0, 0, 0},
    {SetBoxUnit, 32008, ".setboxunit", 0, 0, 2, 2, 2},
    {SetBoxAction, 32009, ".setboxaction", 0, 0, 3, 3, 3},
};
// clang-format on

}  // namespace

PrimitiveFamily BoxPrimitiveFamily() {
    return {kBoxRows, kBoxNamedRows};
}
