// The primitives of printing, time, the keyboard and mouse, the computer and the windows.
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/PrimitiveFamilies.h"
#include "LogoCore/PrimitiveSupport.h"

namespace {

// Print (option 1) ends the line; type (option 0) does not.
CHandleData* Print(CLogoTask*, CHandleData** inputs, int32_t option, const std::string&) {
    HandlerInputs in(inputs);
    std::string text = GetString(in[0], false);
    if (option == 1) text += "\r\n";
    CurrentTaskHost().Print(text);
    return nullptr;
}

constexpr PrimitiveRow kRows[] = {
    FixedRow(Print, 20, 1, 1),
    FixedRow(Print, 21, 0, 1),
    FixedRow(PrimitiveNotAvailable, 50, 1, 1),
    FixedRow(PrimitiveNotAvailable, 52, 3, 0),
    FixedRow(PrimitiveNotAvailable, 53, 2, 0),
    FixedRow(PrimitiveNotAvailable, 54, 1, 0),
    FixedRow(PrimitiveNotAvailable, 55, 0, 0),
    FixedRow(PrimitiveNotAvailable, 56, 3, 0),
    FixedRow(PrimitiveNotAvailable, 57, 2, 0),
    FixedRow(PrimitiveNotAvailable, 58, 1, 0),
    FixedRow(PrimitiveNotAvailable, 59, 0, 0),
    FixedRow(PrimitiveNotAvailable, 78, 78, 0),
    FixedRow(PrimitiveNotAvailable, 79, 79, 0),
    FixedRow(PrimitiveNotAvailable, 155, 155, 0),
    FixedRow(PrimitiveNotAvailable, 156, 156, 0),
    FixedRow(PrimitiveNotAvailable, 157, 157, 0),
    FixedRow(PrimitiveNotAvailable, 161, 161, 0),
    FixedRow(PrimitiveNotAvailable, 166, 166, 0),
    FixedRow(PrimitiveNotAvailable, 490, 0, 0),
    FixedRow(PrimitiveNotAvailable, 491, 0, 0),
    FixedRow(PrimitiveNotAvailable, 540, 540, 0),
    FixedRow(PrimitiveNotAvailable, 560, 560, 0),
    FixedRow(PrimitiveNotAvailable, 561, 561, 0),
    FixedRow(PrimitiveNotAvailable, 562, 0, 0),
    FixedRow(PrimitiveNotAvailable, 563, 563, 0),
    FixedRow(PrimitiveNotAvailable, 564, 1, 0),
};

}  // namespace

PrimitiveFamily ComputerPrimitives() {
    return {kRows, {}};
}
