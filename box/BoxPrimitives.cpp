// Rows of the box primitives, in ascending token order.
#include "box/BoxPrimitives.h"

namespace {

constexpr PrimitiveRow Fixed(int32_t token, int32_t option, int32_t inputs) {
    return {PrimitiveNotAvailable, token, 0, option, inputs, inputs, inputs};
}

constexpr PrimitiveRow kBoxRows[] = {
    // Outputs. All-off has option 0 because ".allon" reuses its handler with
    // option 1; the commands 132-137 and 140 are told apart by their token.
    Fixed(130, 0, 0),
    Fixed(132, 132, 0),
    Fixed(133, 133, 0),
    Fixed(134, 134, 0),
    Fixed(135, 135, 0),
    Fixed(136, 136, 1),
    Fixed(137, 137, 0),
    // Power reading and timed switch-on have no option of their own yet: 0.
    Fixed(138, 0, 0),
    Fixed(139, 0, 1),
    Fixed(140, 140, 2),

    // Inputs: each takes an input number 1-8, the mode setter also the mode.
    // None of them has an option of its own yet: 0 throughout.
    Fixed(150, 0, 1),
    Fixed(151, 0, 1),
    Fixed(152, 0, 1),
    Fixed(153, 0, 1),
    Fixed(154, 0, 1),
    Fixed(159, 0, 1),
    Fixed(160, 0, 1),
    Fixed(162, 0, 1),
    Fixed(163, 0, 1),
    Fixed(164, 0, 1),
    Fixed(165, 0, 2),
};

// The three setup writers share one handler told apart by option.
constexpr NamedPrimitiveRow kBoxNamedRows[] = {
    {PrimitiveNotAvailable, 32001, ".allon", 0, 1, 0, 0, 0},
    {PrimitiveNotAvailable, 32002, ".setboxname", 0, 65536, 2, 2, 2},
    {PrimitiveNotAvailable, 32003, ".setboxtype", 0, 65537, 2, 2, 2},
    {PrimitiveNotAvailable, 32004, ".setonfor", 0, 65538, 2, 2, 2},
    {PrimitiveNotAvailable, 32005, ".setdelaymonitor", 0, 0, 1, 1, 1},
    {PrimitiveNotAvailable, 32006, ".resynccount", 0, 0, 0, 0, 0},
};

}  // namespace

PrimitiveFamily BoxPrimitiveFamily() {
    return {kBoxRows, kBoxNamedRows};
}
