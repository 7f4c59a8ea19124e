#include "project/PageButton.h"

ButtonList CPageButton::Start(ButtonList list) {
    const std::string& text = list == ButtonList::kFirst ? firstList : secondList;
    if (text.empty()) return ButtonList::kNone;
    running = true;
    return list;
}

ButtonList CPageButton::Press() {
    released = false;
    if (running) return ButtonList::kNone;
    down = mode == 0 ? true : !down;
    return Start(down ? ButtonList::kFirst : ButtonList::kSecond);
}

ButtonList CPageButton::Release() {
    released = true;
    if (mode != 0 || running) return ButtonList::kNone;
    return ReleaseStep();
}

ButtonList CPageButton::TaskFinished() {
    running = false;
    // Held down, the button waits for the release to go on.
    if (mode != 0 || !released) return ButtonList::kNone;
    return ReleaseStep();
}

ButtonList CPageButton::ReleaseStep() {
    if (!down) return ButtonList::kNone;
    if (!secondStarted && !secondList.empty()) {
        secondStarted = true;
        return Start(ButtonList::kSecond);
    }
    down = false;
    secondStarted = false;
    return ButtonList::kNone;
}
