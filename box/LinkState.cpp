#include "box/LinkState.h"

#include "LogoCore/MainThreadCall.h"

LinkState& Link() {
    // Never destroyed: link threads may still look at it while the process
    // exits.
    static LinkState* link = new LinkState;
    return *link;
}

bool PostErrorText(const std::string& text) {
    auto owned = std::make_unique<std::string>(text);
    const platform::ThreadMessage notice{kBoxText, kErrorStyle,
                                         reinterpret_cast<intptr_t>(owned.get())};
    if (!platform::PostThreadMessage(Link().mainThread.load(), notice)) return false;
    owned.release();
    return true;
}
