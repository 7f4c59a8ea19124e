// The primitives of arithmetic, comparison and random numbers.
#include "LogoCore/PrimitiveFamilies.h"

namespace {

constexpr PrimitiveRow kRows[] = {
    FixedRow(PrimitiveNotAvailable, 28, 28, 2),  FixedRow(PrimitiveNotAvailable, 31, 31, 2),
    GatheringRow(PrimitiveNotAvailable, 60, 60), FixedRow(PrimitiveNotAvailable, 61, 61, 2),
    GatheringRow(PrimitiveNotAvailable, 62, 62), FixedRow(PrimitiveNotAvailable, 63, 63, 2),
    FixedRow(PrimitiveNotAvailable, 64, 64, 2),  FixedRow(PrimitiveNotAvailable, 65, 65, 1),
    FixedRow(PrimitiveNotAvailable, 66, 66, 1),  FixedRow(PrimitiveNotAvailable, 67, 67, 1),
    FixedRow(PrimitiveNotAvailable, 68, 68, 1),  FixedRow(PrimitiveNotAvailable, 69, 69, 2),
    FixedRow(PrimitiveNotAvailable, 70, 70, 1),  FixedRow(PrimitiveNotAvailable, 71, 71, 2),
    FixedRow(PrimitiveNotAvailable, 72, 72, 1),  FixedRow(PrimitiveNotAvailable, 73, 73, 1),
    FixedRow(PrimitiveNotAvailable, 74, 74, 1),  FixedRow(PrimitiveNotAvailable, 75, 0, 1),
    FixedRow(PrimitiveNotAvailable, 76, 0, 0),   FixedRow(PrimitiveNotAvailable, 77, 77, 1),
    FixedRow(PrimitiveNotAvailable, 80, 80, 1),  FixedRow(PrimitiveNotAvailable, 81, 81, 1),
    FixedRow(PrimitiveNotAvailable, 82, 82, 1),
};

constexpr NamedPrimitiveRow kNamedRows[] = {
    {PrimitiveNotAvailable, 88, "+", 4, 60, 2, 2, 2},
    {PrimitiveNotAvailable, 89, "-", 4, 61, 2, 2, 2},
    {PrimitiveNotAvailable, 90, "*", 5, 62, 2, 2, 2},
    {PrimitiveNotAvailable, 91, "/", 5, 63, 2, 2, 2},
    {PrimitiveNotAvailable, 92, "<", 1, 92, 2, 2, 2},
    {PrimitiveNotAvailable, 93, ">", 1, 93, 2, 2, 2},
    {PrimitiveNotAvailable, 94, "=", 1, 94, 2, 2, 2},
    {PrimitiveNotAvailable, 95, "<=", 1, 95, 2, 2, 2},
    {PrimitiveNotAvailable, 96, ">=", 1, 96, 2, 2, 2},
    {PrimitiveNotAvailable, 97, "<>", 1, 97, 2, 2, 2},
};

}  // namespace

PrimitiveFamily ArithmeticPrimitives() {
    return {kRows, kNamedRows};
}
