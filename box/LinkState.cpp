#include "box/LinkState.h"

LinkState& Link() {
    // Never destroyed: link threads may still look at it while the process
    // exits.
    static LinkState* link = new LinkState;
    return *link;
}
