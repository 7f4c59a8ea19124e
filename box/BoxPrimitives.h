// The box driver's family of primitive rows: switching and setting the
// outputs, reading the inputs, and the dot-primitives the setup page uses.
#pragma once

#include "LogoCore/Primitives.h"

PrimitiveFamily BoxPrimitiveFamily();
