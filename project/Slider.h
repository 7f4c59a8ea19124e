// A slider: a value between its limits that Logo reads by the slider's
// name, and an instruction list run whenever the value is set.
#pragma once

#include <cstdint>
#include <string>

#include "project/ShapeLists.h"

class CSlider {
  public:
    static constexpr const char* kClassName = "CSlider";

    // Whole numbers are rounded (halves away from zero) and the value kept
    // within the limits. True when the instruction list is to run, which it
    // does whether or not the value changed.
    bool SetValue(double v);
    // The limits, rounded like the value; a value outside them moves to the
    // nearer one through SetValue (whose answer this gives).
    bool SetLimits(double min, double max);

    int32_t orientation = 1;  // 0 upright, 1 lying
    int32_t wholeNumbers = 1;
    double maximum = 8;
    double minimum = 0;
    double value = 4;
    std::string function;
    std::string style = DefaultSliderStyle();
    bool running = false;  // never saved: the file always holds 0

    template <typename Self, typename Visitor>
    static void Fields(Self& self, Visitor& v) {
        v.Int(self.orientation);
        v.Constant(0);
        v.Int(self.wholeNumbers);
        v.Double(self.maximum);
        v.Double(self.minimum);
        v.Double(self.value);
        v.Text(self.function);
        v.Text(self.style);
    }
};
