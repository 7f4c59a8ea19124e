// The primitives of the MIDI note.
#include "LogoCore/PrimitiveFamilies.h"

namespace {

constexpr PrimitiveRow kRows[] = {
    FixedRow(PrimitiveNotAvailable, 51, 0, 2),
};

}  // namespace

PrimitiveFamily SoundPrimitives() {
    return {kRows, {}};
}
