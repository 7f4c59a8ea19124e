// A button: runs its first or its second instruction list when pressed,
// momentarily (mode 0) or as a toggle.
#pragma once

#include <cstdint>
#include <string>

#include "project/ShapeLists.h"

// Which instruction list a press, a release or the end of the button's task
// asks to be started.
enum class ButtonList { kNone, kFirst, kSecond };

class CPageButton {
  public:
    static constexpr const char* kClassName = "CPageButton";

    // The mouse (or a test) pressing a button that is not selected: it goes
    // down (mode 0) or flips, and starts the list of its new state unless a
    // task of its own still runs.
    ButtonList Press();
    // A momentary button runs its second list after the first has ended
    // and comes up after that.
    ButtonList Release();
    // A task started by the button has ended.
    ButtonList TaskFinished();

    std::string firstList;
    std::string secondList;
    int32_t mode = 1;
    std::string shape = DefaultButtonShape();  // kept as read, even when unknown
    bool running = false;
    bool down = false;
    bool released = true;
    bool secondStarted = false;  // in the current momentary press

    template <typename Self, typename Visitor>
    static void Fields(Self& self, Visitor& v) {
        v.Text(self.firstList);
        v.Text(self.secondList);
        v.Int(self.mode);
        v.Text(self.shape);
    }

  private:
    ButtonList ReleaseStep();
    ButtonList Start(ButtonList list);
};
