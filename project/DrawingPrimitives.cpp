// The primitives that draw in the current picture box and export the page.
// What changes pixels goes to the main thread as a request; the pen's
// colour and size and the drawing position are fields read and set under
// the document's lock. The option of a shared handler is its token.
#include <cmath>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/PrimitiveSupport.h"
#include "project/KinetraDoc.h"
#include "project/PrimitiveInputs.h"
#include "project/ProjectPrimitiveHandlers.h"
#include "project/ProjectRequests.h"

namespace {

constexpr int32_t kErrorNotForThisObject = -15;
constexpr int32_t kLargestPen = 255;

CPictureBox& CurrentBox(CLogoTask* task, CKinetraDoc& doc, const std::string& calledName) {
    const int32_t serial = CurrentOfKind(task, kPictureBoxObject, calledName);
    CPageObject* object = doc.FindObject(serial);
    if (!object) RaiseError(kErrorNoPageObject, {});
    CPictureBox* box = object->As<CPictureBox>();
    if (!box) RaiseError(kErrorNotForThisObject, {"**" + calledName + "**"});
    return *box;
}

}  // namespace

CHandleData* DrawingCommand(CLogoTask* task, CHandleData** inputs, int32_t option,
                            const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request = RequestOn(task, *doc, kPictureBoxObject, calledName);
    uint32_t number = kClearDrawing;
    switch (option) {
        case 434:
        case 436: {
            number = kDrawTo;
            const auto [x, y] = NumberPair(in[0], calledName);
            request.numbers[0] = x;
            request.numbers[1] = y;
            request.flag = option == 434;
            break;
        }
        case 439:
            number = kResetSize;
            break;
        case 440:
            number = kDrawLabel;
            request.text = GetString(in[0], false);
            break;
    }
    Release(CallProject(number, request));
    return nullptr;
}

CHandleData* PenSetting(CLogoTask* task, CHandleData** inputs, int32_t option,
                        const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    if (option == 431) {
        const std::vector<double> rgb = NumbersInput(in[0], calledName, 3);
        Colour colour;
        int32_t* parts[] = {&colour.red, &colour.green, &colour.blue};
        for (int i = 0; i < 3; ++i) {
            if (rgb[i] < 0 || rgb[i] > 255) RaiseWrongInput(calledName, in[0]);
            *parts[i] = static_cast<int32_t>(std::lround(rgb[i]));
        }
        auto hold = doc->Lock();
        CurrentBox(task, *doc, calledName).penColour = colour;
        return nullptr;
    }
    const double size = NumberInput(in[0], calledName);  // 437
    if (!(size >= 1 && size <= kLargestPen)) RaiseWrongInput(calledName, in[0]);
    auto hold = doc->Lock();
    CurrentBox(task, *doc, calledName).penSize = static_cast<int32_t>(std::lround(size));
    return nullptr;
}

CHandleData* DrawingReporter(CLogoTask* task, CHandleData** inputs, int32_t option,
                             const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    auto hold = doc->Lock();
    const CPictureBox& box = CurrentBox(task, *doc, calledName);
    switch (option) {
        case 432:
            return NumberList({box.penColour.red, box.penColour.green, box.penColour.blue});
        case 433:
            return NumberList({box.drawingPosition.x, box.drawingPosition.y});
        default:  // 438
            return MakeInteger(box.penSize);
    }
}

CHandleData* ExportPagePrimitive(CLogoTask*, CHandleData** inputs, int32_t,
                                 const std::string& calledName) {
    HandlerInputs in(inputs);
    OpenDocumentFor(calledName);
    ProjectRequest request;
    request.calledName = calledName;
    request.text = WordInput(in[0], calledName);
    Release(CallProject(kExportPage, request));
    return nullptr;
}

CHandleData* PrintPrimitive(CLogoTask*, CHandleData**, int32_t option,
                            const std::string& calledName) {
    OpenDocumentFor(calledName);
    ProjectRequest request;
    request.calledName = calledName;
    request.numbers[0] = option;
    Release(CallProject(kPrintPages, request));
    return nullptr;
}
