// The primitives of variables: setting, declaring, reading and erasing them.
#include "LogoCore/PrimitiveFamilies.h"

namespace {

constexpr PrimitiveRow kRows[] = {
    FixedRow(PrimitiveNotAvailable, 10, 1, 2),  FixedRow(PrimitiveNotAvailable, 11, 0, 1),
    FixedRow(PrimitiveNotAvailable, 12, 0, 0),  FixedRow(PrimitiveNotAvailable, 13, 0, 1),
    FixedRow(PrimitiveNotAvailable, 14, 14, 2), FixedRow(PrimitiveNotAvailable, 15, 15, 1),
    FixedRow(PrimitiveNotAvailable, 16, 0, 0),  FixedRow(PrimitiveNotAvailable, 17, 17, 1),
};

}  // namespace

PrimitiveFamily VariablePrimitives() {
    return {kRows, {}};
}
