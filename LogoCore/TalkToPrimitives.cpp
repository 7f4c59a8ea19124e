// The primitives of talking to outputs and page objects.
#include "LogoCore/PrimitiveFamilies.h"

namespace {

constexpr PrimitiveRow kRows[] = {
    FixedRow(PrimitiveNotAvailable, 120, 0, 1),
    FixedRow(PrimitiveNotAvailable, 121, 0, 2),
    FixedRow(PrimitiveNotAvailable, 122, 0, 0),
};

}  // namespace

PrimitiveFamily TalkToPrimitives() {
    return {kRows, {}};
}
