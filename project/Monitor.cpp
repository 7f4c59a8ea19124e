#include "project/Monitor.h"

#include <cmath>
#include <cstdlib>

bool CMonitor::Activate(bool on) {
    active = on;
    if (!on) {
        task = 0;
        return false;
    }
    if (task != 0 || function.empty()) return false;
    task = kTaskStarting;
    return true;
}

bool CMonitor::Update(uintptr_t from, const std::string& text) {
    if (!active) return false;
    if (task == 0 || task == kTaskStarting) task = from;
    if (task != from) return false;
    shown = DisplayText(text, wholeNumbers != 0);
    return true;
}

std::string CMonitor::DisplayText(const std::string& text, bool whole) {
    if (!whole || text.empty()) return text;
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (*end != '\0' || number == 0 || !std::isfinite(number)) return text;
    return std::to_string(std::lround(number));
}

std::string CMonitor::TaskText() const {
    return ".updatemonitor \"|" + function + "|\n";
}
