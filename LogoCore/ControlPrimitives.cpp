// The primitives of control: conditionals, loops, waiting, running lists, tasks, the error trap and
// logic.
#include "LogoCore/PrimitiveFamilies.h"

namespace {

constexpr PrimitiveRow kRows[] = {
    FixedRow(PrimitiveNotAvailable, 100, 0, 1),    FixedRow(PrimitiveNotAvailable, 101, 1, 1),
    FixedRow(PrimitiveNotAvailable, 102, 0, 2),    FixedRow(PrimitiveNotAvailable, 103, 1, 3),
    FixedRow(PrimitiveNotAvailable, 104, 0, 0),    FixedRow(PrimitiveNotAvailable, 105, 1, 0),
    FixedRow(PrimitiveNotAvailable, 106, 106, 1),  GatheringRow(PrimitiveNotAvailable, 107, 107),
    FixedRow(PrimitiveNotAvailable, 108, 0, 2),    FixedRow(PrimitiveNotAvailable, 109, 0, 0),
    FixedRow(PrimitiveNotAvailable, 110, 110, 1),  FixedRow(PrimitiveNotAvailable, 111, 0, 1),
    GatheringRow(PrimitiveNotAvailable, 112, 112), FixedRow(PrimitiveNotAvailable, 113, 113, 1),
    FixedRow(PrimitiveNotAvailable, 114, 114, 2),  FixedRow(PrimitiveNotAvailable, 115, 0, 1),
    FixedRow(PrimitiveNotAvailable, 117, 117, 2),  FixedRow(PrimitiveNotAvailable, 118, 118, 2),
};

constexpr NamedPrimitiveRow kNamedRows[] = {
    {PrimitiveNotAvailable, 106, ".loop", 0, 106, 1, 1, 1},
};

}  // namespace

PrimitiveFamily ControlPrimitives() {
    return {kRows, kNamedRows};
}
