// A monitor: shows the value of its instruction list, evaluated over and
// over by a task of its own while it is active.
#pragma once

#include <cstdint>
#include <string>

#include "project/FontRecord.h"
#include "project/Geometry.h"

class CMonitor {
  public:
    static constexpr const char* kClassName = "CMonitor";

    FontRecord font;
    Colour textColour = kBlack;
    Colour backColour = kWindowColour;
    std::string function;
    int32_t functionValue = 0;  // stored with the list by the set-function operation
    int32_t active = 1;
    int32_t wholeNumbers = 1;
    bool fontSet = false;  // a font chosen explicitly is kept on resizing

    template <typename Self, typename Visitor>
    static void Fields(Self& self, Visitor& v) {
        v.Font(self.font);
        v.Colour(self.textColour);
        v.Colour(self.backColour);
        v.Text(self.function);
        v.Int(self.functionValue);
        v.Int(self.active);
        v.Int(self.wholeNumbers);
    }
};
