// Making page objects from Logo, and naming, moving and sizing the current
// one: the main thread does the work (requests 0x7231-0x7236).
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/PrimitiveSupport.h"
#include "platform/Utf8.h"
#include "project/KinetraDoc.h"
#include "project/PrimitiveInputs.h"
#include "project/ProjectPrimitiveHandlers.h"
#include "project/ProjectRequests.h"

namespace {

constexpr int32_t kErrorNoObject = -52;

// A name an object of the type may take: sliders and text boxes become
// words, so theirs must pass the interpreter's check; others must not be
// empty. Raises -4, or -21 for a name the project has.
void CheckNewName(CKinetraDoc& doc, int32_t type, const std::string& name,
                  const std::string& calledName) {
    const bool word = type == kSliderObject || type == kTextBoxObject;
    if (word ? !IsValidName(name) : name.empty()) RaiseWrongInput(calledName, name);
    if (doc.LookupName(platform::LowerCase(name))) RaiseError(kErrorNameInUse, {name});
    if (doc.InterpreterHolds(name)) RaiseWrongInput(calledName, name);
}

// The task's current object, named for a request.
const CPageObject& CurrentObject(CLogoTask* task, const CKinetraDoc& doc,
                                 const std::string& calledName) {
    const CPageObject* object = doc.FindObject(task->Selection().currentObject);
    if (!object || task->Selection().currentObject == 0) RaiseError(kErrorNoObject, {calledName});
    return *object;
}

}  // namespace

CHandleData* NewObjectPrimitive(CLogoTask* task, CHandleData** inputs, int32_t,
                                const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const std::string kind = WordInput(in[0], calledName);
    const int32_t type = ObjectTypeOfKind(kind);
    if (type == kNoObject) RaiseWrongInput(calledName, kind);
    ProjectRequest request;
    request.calledName = calledName;
    request.text = kind;
    request.name = WordInput(in[1], calledName);
    CheckNewName(*doc, type, request.name, calledName);
    const auto [x, y] = NumberPair(in[2], calledName);
    const auto [width, height] = NumberPair(in[3], calledName);
    request.numbers[0] = x;
    request.numbers[1] = y;
    request.numbers[2] = width;
    request.numbers[3] = height;
    CHandleData* serial = CallProject(kCreateObject, request);
    // The task that made it goes on with it as well.
    if (IsCell(serial)) task->Selection().Store(type, GetInteger(serial, false));
    Release(serial);
    return nullptr;
}

CHandleData* SetObjectName(CLogoTask* task, CHandleData** inputs, int32_t,
                           const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request;
    request.calledName = calledName;
    request.text = WordInput(in[0], calledName);
    {
        auto hold = doc->Lock();
        const CPageObject& object = CurrentObject(task, *doc, calledName);
        request.name = object.Name();
        const bool word = object.Type() == kSliderObject || object.Type() == kTextBoxObject;
        if (word ? !IsValidName(request.text) : request.text.empty())
            RaiseWrongInput(calledName, request.text);
    }
    Release(CallProject(kRenameObject, request));
    return nullptr;
}

namespace {

// Moves (178) or sizes (179) the current object to the input's two numbers.
void PlaceCurrent(CLogoTask* task, CHandleData* input, uint32_t number,
                  const std::string& calledName) {
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request;
    request.calledName = calledName;
    request.name = CurrentObject(task, *doc, calledName).Name();
    const auto [a, b] = NumberPair(input, calledName);
    request.numbers[0] = a;
    request.numbers[1] = b;
    Release(CallProject(number, request));
}

}  // namespace

CHandleData* SetObjectPosition(CLogoTask* task, CHandleData** inputs, int32_t,
                               const std::string& calledName) {
    HandlerInputs in(inputs);
    PlaceCurrent(task, in[0], kMoveObject, calledName);
    return nullptr;
}

CHandleData* SetObjectSize(CLogoTask* task, CHandleData** inputs, int32_t,
                           const std::string& calledName) {
    HandlerInputs in(inputs);
    PlaceCurrent(task, in[0], kResizeObject, calledName);
    return nullptr;
}

CHandleData* ObjectPosition(CLogoTask* task, CHandleData** inputs, int32_t,
                            const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    auto hold = doc->Lock();
    const PagePoint at = CurrentObject(task, *doc, calledName).Position();
    return NumberList({at.x, at.y});
}

CHandleData* ObjectSize(CLogoTask* task, CHandleData** inputs, int32_t,
                        const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    auto hold = doc->Lock();
    const PageSize size = CurrentObject(task, *doc, calledName).Size();
    return NumberList({size.width, size.height});
}
