// The primitives of words and lists.
#include "LogoCore/PrimitiveFamilies.h"

namespace {

constexpr PrimitiveRow kRows[] = {
    FixedRow(PrimitiveNotAvailable, 22, 22, 1),  FixedRow(PrimitiveNotAvailable, 23, 23, 1),
    FixedRow(PrimitiveNotAvailable, 24, 24, 1),  FixedRow(PrimitiveNotAvailable, 25, 0, 1),
    FixedRow(PrimitiveNotAvailable, 26, 26, 1),  FixedRow(PrimitiveNotAvailable, 27, 27, 1),
    FixedRow(PrimitiveNotAvailable, 29, 29, 1),  FixedRow(PrimitiveNotAvailable, 30, 30, 2),
    FixedRow(PrimitiveNotAvailable, 32, 32, 3),  FixedRow(PrimitiveNotAvailable, 33, 33, 2),
    FixedRow(PrimitiveNotAvailable, 34, 34, 2),  FixedRow(PrimitiveNotAvailable, 35, 35, 1),
    GatheringRow(PrimitiveNotAvailable, 36, 36), FixedRow(PrimitiveNotAvailable, 37, 37, 1),
    FixedRow(PrimitiveNotAvailable, 38, 38, 2),  FixedRow(PrimitiveNotAvailable, 39, 39, 2),
    FixedRow(PrimitiveNotAvailable, 40, 40, 1),  FixedRow(PrimitiveNotAvailable, 41, 41, 1),
    FixedRow(PrimitiveNotAvailable, 42, 0, 2),   FixedRow(PrimitiveNotAvailable, 43, 43, 3),
    GatheringRow(PrimitiveNotAvailable, 44, 44), GatheringRow(PrimitiveNotAvailable, 45, 45),
    FixedRow(PrimitiveNotAvailable, 46, 46, 1),
};

}  // namespace

PrimitiveFamily WordListPrimitives() {
    return {kRows, {}};
}
