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
    // The task of a monitor that has started one which has not shown a
    // value yet; a real task id is never this.
    static constexpr uintptr_t kTaskStarting = 1;

    // True when the monitoring task is to be started: made active with a
    // list and no task of its own. Made inactive it forgets its task, whose
    // next update then ends it.
    bool Activate(bool on);
    // The value the task evaluated. False tells the task to end: the
    // monitor is inactive or has another task.
    bool Update(uintptr_t task, const std::string& text);
    void TaskFinished() { task = 0; }
    // What the monitor shows for a value: with whole numbers, a number other
    // than 0 is rounded; anything else as it came.
    static std::string DisplayText(const std::string& text, bool whole);
    // The text the Logo task runs to keep the monitor current.
    std::string TaskText() const;

    FontRecord font;
    Colour textColour = kBlack;
    Colour backColour = kWindowColour;
    std::string function;
    int32_t functionValue = 0;  // stored with the list by the set-function operation
    int32_t active = 1;
    int32_t wholeNumbers = 1;
    bool fontSet = false;  // a font chosen explicitly is kept on resizing
    uintptr_t task = 0;    // the monitoring task's id, 0 when none runs
    std::string shown;     // the display

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
