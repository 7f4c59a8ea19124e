#include "project/Slider.h"

#include <algorithm>
#include <cmath>

bool CSlider::SetValue(double v) {
    if (wholeNumbers) v = std::round(v);  // halves away from zero
    value = std::clamp(v, minimum, std::max(minimum, maximum));
    if (function.empty()) return false;
    running = true;
    return true;
}

bool CSlider::SetLimits(double min, double max) {
    if (wholeNumbers) {
        min = std::round(min);
        max = std::round(max);
    }
    if (min == minimum && max == maximum) return false;
    minimum = min;
    maximum = max;
    if (value > maximum) return SetValue(maximum);
    if (value < minimum) return SetValue(minimum);
    return false;
}
