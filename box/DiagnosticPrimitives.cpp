// The dot-primitives that watch the link's health: how late frames may be
// before the monitor sounds, and how often the reader lost its place.
#include <cstdint>
#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/PrimitiveSupport.h"
#include "box/BoxPrimitiveHandlers.h"
#include "box/SampleRing.h"

// A negative threshold leaves the one in force.
CHandleData* BoxSetDelayMonitor(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    ControlBox_SetDelayMonitor(GetInteger(in[0], false));
    return nullptr;
}

// Counting starts again from 0 with every ask.
CHandleData* BoxResyncCount(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    return MakeInteger(ControlBox_TakeResyncCount());
}
