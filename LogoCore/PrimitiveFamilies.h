// The families of the interpreter core, one for each file of handlers.
// CorePrimitiveFamily() joins them into the core's one family.
#pragma once

#include "LogoCore/Primitives.h"

PrimitiveFamily ControlPrimitives();
PrimitiveFamily VariablePrimitives();
PrimitiveFamily TalkToPrimitives();
PrimitiveFamily ArithmeticPrimitives();
PrimitiveFamily WordListPrimitives();
PrimitiveFamily ComputerPrimitives();
PrimitiveFamily SoundPrimitives();
