#include "project/ObjectWords.h"

#include <cmath>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/PrimitiveSupport.h"
#include "box/SetupWords.h"
#include "project/KinetraDoc.h"

namespace {

constexpr int32_t kErrorNoProject = -61;
constexpr int32_t kErrorNoSuchObject = -40;
constexpr int32_t kErrorNoCurrentObject = -22;

PrimitiveHandler HandlerOf(int32_t type) {
    switch (type) {
        case kSliderObject:
            return SliderValue;
        case kTextBoxObject:
            return TextBoxText;
        default:
            return nullptr;
    }
}

std::shared_ptr<CKinetraDoc> OpenDocument(const std::string& calledName) {
    std::shared_ptr<CKinetraDoc> doc = CKinetraDoc::Current();
    if (!doc) RaiseError(kErrorNoProject, {calledName});
    return doc;
}

}  // namespace

void RegisterObjectWord(int32_t type, const std::string& name) {
    const PrimitiveHandler handler = HandlerOf(type);
    if (!handler) return;
    const int32_t token = type == kSliderObject ? kSliderWordToken : kTextToken;
    if (IsErrorNumber(RegisterUserWord(name, handler, token, 0, 0))) RaiseError(kErrorNoMemory);
}

void EraseObjectWord(int32_t type, const std::string& name) {
    if (const PrimitiveHandler handler = HandlerOf(type)) EraseUserWord(name, handler);
}

bool IsObjectWord(const CHandleData* cell) {
    if (cell->Type() != kTypePrimitive) return false;
    const PrimitiveHandler handler = cell->Primitive().handler;
    return handler == SliderValue || handler == TextBoxText;
}

bool IsProjectWord(const CHandleData* cell) {
    if (cell->Type() != kTypePrimitive) return false;
    const PrimitiveHandler handler = cell->Primitive().handler;
    return IsObjectWord(cell) || handler == ReadNamedInput || handler == SetNamedDirection1 ||
           handler == SetNamedDirection0;
}

CHandleData* TextBoxText(CLogoTask* task, CHandleData** inputs, int32_t,
                         const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::shared_ptr<CKinetraDoc> doc = OpenDocument(calledName);
    auto hold = doc->Lock();
    const CPageObject* object = doc->FindObject(calledName);
    if (!object || !object->As<CTextBox>()) {
        const int32_t current = task->Selection().textBox;
        if (doc->IsProceduresPage(current)) return MakeWord(doc->ProceduresText());
        if (current == 0)
            RaiseError(kErrorNoCurrentObject, {ObjectKindName(kTextBoxObject), calledName});
        object = doc->FindObject(current);
    }
    const CTextBox* box = object ? object->As<CTextBox>() : nullptr;
    if (!box) RaiseError(kErrorNoSuchObject, {calledName});
    return MakeWord(box->text);
}

CHandleData* SliderValue(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::shared_ptr<CKinetraDoc> doc = OpenDocument(calledName);
    auto hold = doc->Lock();
    const CPageObject* object = doc->FindObject(calledName);
    const CSlider* slider = object ? object->As<CSlider>() : nullptr;
    if (!slider) RaiseError(kErrorNoSuchObject, {calledName});
    return NormaliseNumber(slider->wholeNumbers ? std::round(slider->value) : slider->value);
}
