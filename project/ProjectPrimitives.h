// The project's family of primitive rows: page objects, the procedures page
// and text boxes, graphs, sliders, monitors and buttons, pages, project files
// and printing.
#pragma once

#include "LogoCore/Primitives.h"

PrimitiveFamily ProjectPrimitiveFamily();
