// The units an input can be read in: each settings dialog of a sensor
// offers two, by their texts in the resource library, and choosing one
// sets the input's tool type and the device it implies. The setup page and
// the ".setboxunit" primitive both go through here.
#pragma once

#include <cstdint>
#include <span>
#include <string>

class CSetupData;

struct SetupUnit {
    int32_t text;      // resource id of the unit's name
    int32_t toolType;  // ToolType
    int32_t portType;  // PortType of the device read in that unit
};

// The eight units, two per sensor, the dialog's own unit first.
std::span<const SetupUnit> SetupUnits();
// The unit a word names: its whole text, or its first word ("raw" for "Raw
// reading"), in any letter case; null for none.
const SetupUnit* FindSetupUnit(const std::string& word);
// The unit an input is read in by its tool type; null for none.
const SetupUnit* UnitOfToolType(int32_t toolType);
// Reads the input (0-7) in the unit: its tool type and port type; false
// for an input out of range.
bool ApplySetupUnit(CSetupData& setup, int input, const SetupUnit& unit);
