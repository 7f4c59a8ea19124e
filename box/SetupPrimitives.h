// The dot-primitives through which Logo (and the setup page's own code)
// changes the project's sensor setup. Each raises -61 with the called name
// when no project is open, and -14 for a port outside its range.
#pragma once

#include <cstdint>
#include <string>

class CHandleData;
class CLogoTask;

// ".setboxname" port (0-16), name: gives the port the name (an empty word
// removes it); a name in use raises -21.
CHandleData* SetBoxName(CLogoTask* task, CHandleData** inputs, int32_t option,
                        const std::string& calledName);
// ".setboxtype" port (0-17), type: the device plugged into the port.
CHandleData* SetBoxType(CLogoTask* task, CHandleData** inputs, int32_t option,
                        const std::string& calledName);
// ".setonfor" port (8-17), source (4-7 or 15): what ends a timed output of
// the output, in the setup and in the driver.
CHandleData* SetOnFor(CLogoTask* task, CHandleData** inputs, int32_t option,
                      const std::string& calledName);

// Two more for the terminal, which has no setup page:
// ".setboxunit" port (0-7), unit: the unit the input is read in (a unit
// text of a settings dialog, or its first word), and the device it implies.
CHandleData* SetBoxUnit(CLogoTask* task, CHandleData** inputs, int32_t option,
                        const std::string& calledName);
// ".setboxaction" port (0-3), pressed, released: the instructions (lists)
// a touch sensor starts when it closes and when it opens.
CHandleData* SetBoxAction(CLogoTask* task, CHandleData** inputs, int32_t option,
                          const std::string& calledName);
