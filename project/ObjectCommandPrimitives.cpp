// The primitives that act on the current page objects of their kinds: a
// request to the main thread for what changes the page, a direct read of
// the object's fields (under the document's lock) for what reports. The
// option of a shared handler is its token.
#include <cmath>

#include "LogoCore/Evaluator.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/PrimitiveSupport.h"
#include "platform/Threads.h"
#include "project/KinetraDoc.h"
#include "project/PrimitiveInputs.h"
#include "project/ProjectPrimitiveHandlers.h"
#include "project/ProjectRequests.h"

namespace {

constexpr int32_t kErrorNoObject = -52;
constexpr int32_t kErrorBadRange = -46;
constexpr int32_t kErrorNotForThisObject = -15;
// Between two values of a monitor: its task yields the processor.
constexpr int kMonitorPauseMs = 20;

// The current object (any kind), for the requests every kind takes.
ProjectRequest RequestOnCurrent(CLogoTask* task, CKinetraDoc& doc, const std::string& calledName) {
    ProjectRequest request;
    request.calledName = calledName;
    auto hold = doc.Lock();
    const int32_t serial = task->Selection().currentObject;
    const CPageObject* object = serial ? doc.FindObject(serial) : nullptr;
    if (!object) RaiseError(kErrorNoObject, {calledName});
    request.name = object->Name();
    return request;
}

template <typename T>
const T& Read(const CKinetraDoc& doc, int32_t serial, const char* operation) {
    const CPageObject* object = doc.FindObject(serial);
    if (!object) RaiseError(kErrorNoPageObject, {});
    const T* concrete = object->As<T>();
    if (!concrete) RaiseError(kErrorNotForThisObject, {std::string("**") + operation + "**"});
    return *concrete;
}

template <typename T>
T& Write(CKinetraDoc& doc, int32_t serial, const char* operation) {
    return const_cast<T&>(Read<T>(doc, serial, operation));
}

CHandleData* ColourList(const Colour& c) {
    return NumberList({c.red, c.green, c.blue});
}

void ColourInto(ProjectRequest& request, CHandleData* input, const std::string& calledName) {
    const std::vector<double> rgb = NumbersInput(input, calledName, 3);
    for (int i = 0; i < 3; ++i) {
        if (rgb[i] < 0 || rgb[i] > 255) RaiseWrongInput(calledName, input);
        request.numbers[i] = static_cast<int32_t>(std::lround(rgb[i]));
    }
}

// The text holder's serial: the current text box, monitor or procedures page.
int32_t TextHolder(CLogoTask* task, const std::string& calledName) {
    const int32_t holder = task->Selection().textHolder;
    if (holder == 0) RaiseError(-22, {ObjectKindName(kTextBoxObject), calledName});
    return holder;
}

const FontRecord& HolderFont(CKinetraDoc& doc, int32_t serial) {
    if (doc.IsProceduresPage(serial)) return doc.Procedures().font;
    const CPageObject* object = doc.FindObject(serial);
    if (object)
        if (const CMonitor* monitor = object->As<CMonitor>()) return monitor->font;
    return Read<CTextBox>(doc, serial, "font").font;
}

std::string QuotedText(CHandleData* value) {
    std::string text = GetString(value, false, true);
    if (IsWordValue(value) && (text.empty() || text.front() != '"')) text.insert(0, "\"");
    return text;
}

}  // namespace

CHandleData* ObjectLook(CLogoTask* task, CHandleData** inputs, int32_t option,
                        const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request = RequestOnCurrent(task, *doc, calledName);
    request.flag = option == 180 || option == 181;
    Release(CallProject(option == 172 || option == 180 ? kSetBorder : kShowName, request));
    return nullptr;
}

CHandleData* DeleteObjectPrimitive(CLogoTask* task, CHandleData** inputs, int32_t,
                                   const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const int32_t serial = task->Selection().currentObject;
    ProjectRequest request = RequestOnCurrent(task, *doc, calledName);
    Release(CallProject(kDeleteObject, request));
    task->Selection().Forget(serial);
    return nullptr;
}

CHandleData* ObjectKind(CLogoTask* task, CHandleData** inputs, int32_t,
                        const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    auto hold = doc->Lock();
    const CPageObject* object = doc->FindObject(task->Selection().currentObject);
    if (!object) RaiseError(kErrorNoObject, {calledName});
    return MakeWord(ObjectKindName(object->Type()));
}

CHandleData* BackColour(CLogoTask* task, CHandleData** inputs, int32_t,
                        const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    auto hold = doc->Lock();
    const int32_t serial = task->Selection().colourHolder;
    if (serial == 0) RaiseError(-22, {ObjectKindName(kGraphObject), calledName});
    if (doc->IsProceduresPage(serial)) return ColourList(doc->Settings().proceduresColour);
    const CPageObject* object = doc->FindObject(serial);
    if (!object) RaiseError(kErrorNoPageObject, {});
    if (const CGraph* graph = object->As<CGraph>()) return ColourList(graph->backColour);
    if (const CMonitor* monitor = object->As<CMonitor>()) return ColourList(monitor->backColour);
    return ColourList(Read<CTextBox>(*doc, serial, "color").backColour);
}

CHandleData* SetBackColour(CLogoTask* task, CHandleData** inputs, int32_t,
                           const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request;
    request.calledName = calledName;
    {
        auto hold = doc->Lock();
        const int32_t serial = task->Selection().colourHolder;
        if (serial == 0) RaiseError(-22, {ObjectKindName(kGraphObject), calledName});
        request.name = TargetName(*doc, serial);
        request.text = doc->IsProceduresPage(serial) ? kProceduresTarget : "Object";
    }
    ColourInto(request, in[0], calledName);
    Release(CallProject(kSetColour, request));
    return nullptr;
}

// Text boxes and the procedures page.

CHandleData* InsertPrimitive(CLogoTask* task, CHandleData** inputs, int32_t option,
                             const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    InsertTextRequest request;
    request.target = RequestOn(task, *doc, kTextBoxObject, calledName).name;
    request.text = option == 197 ? QuotedText(in[0]) : GetString(in[0], false);
    if (option == 196) request.text += "\r\n";
    const platform::ThreadId server = MainThread();
    if (server == 0 || server == platform::CurrentThreadId())
        InsertIntoTarget(request.target, request.text);
    else
        Release(CallProjectBlock(kInsertText, &request));
    return nullptr;
}

CHandleData* TextCommand(CLogoTask* task, CHandleData** inputs, int32_t option,
                         const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const bool textBoxOnly = option == 190 || option == 191 || option == 204;
    ProjectRequest request;
    request.calledName = calledName;
    if (textBoxOnly) {
        request = RequestOn(task, *doc, kTextBoxObject, calledName);
    } else {
        const int32_t holder = TextHolder(task, calledName);
        auto hold = doc->Lock();
        request.name = TargetName(*doc, holder);
    }
    uint32_t number = kTopBottom;
    switch (option) {
        case 190:
        case 204:
            request.flag = option == 204;
            break;
        case 191:
            number = kClearText;
            break;
        case 198:
            number = kSetFontFace;
            request.text = WordInput(in[0], calledName);
            break;
        case 199:
            number = kSetFontSize;
            request.numbers[0] = static_cast<int32_t>(NumberInput(in[0], calledName));
            if (request.numbers[0] <= 0) RaiseWrongInput(calledName, in[0]);
            break;
        case 200:
            number = kSetFontStyle;
            request.numbers[0] = static_cast<int32_t>(NumberInput(in[0], calledName));
            break;
        case 201:
            number = kSetTextColour;
            ColourInto(request, in[0], calledName);
            break;
    }
    Release(CallProject(number, request));
    return nullptr;
}

CHandleData* FontReporter(CLogoTask* task, CHandleData** inputs, int32_t option,
                          const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const int32_t holder = TextHolder(task, calledName);
    auto hold = doc->Lock();
    if (option == 203) {
        if (doc->IsProceduresPage(holder)) return ColourList(doc->Procedures().textColour);
        const CPageObject* object = doc->FindObject(holder);
        if (object)
            if (const CMonitor* monitor = object->As<CMonitor>())
                return ColourList(monitor->textColour);
        return ColourList(Read<CTextBox>(*doc, holder, "textcolor").textColour);
    }
    const FontRecord& font = HolderFont(*doc, holder);
    switch (option) {
        case 192:
            return MakeWord(font.FaceName());
        case 193:
            return MakeInteger(
                static_cast<int32_t>(std::lround(std::abs(font.height) * 72.0 / 96.0)));
        default:
            return MakeInteger((font.weight >= 700 ? 1 : 0) | (font.italic ? 2 : 0) |
                               (font.underline ? 4 : 0) | (font.strikeOut ? 8 : 0));
    }
}

// Monitors.

CHandleData* ActivatePrimitive(CLogoTask* task, CHandleData** inputs, int32_t option,
                               const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request = RequestOn(task, *doc, kMonitorObject, calledName);
    request.flag = option == 410;
    Release(CallProject(kActivate, request));
    return nullptr;
}

CHandleData* SetMonitorFunction(CLogoTask* task, CHandleData** inputs, int32_t,
                                const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const int32_t serial = CurrentOfKind(task, kMonitorObject, calledName);
    const std::string list = ListText(in[0]);
    auto hold = doc->Lock();
    Write<CMonitor>(*doc, serial, "setmonitorfunction").function = list;
    doc->SetModified(true);
    return nullptr;
}

CHandleData* UpdateMonitorLoop(CLogoTask* task, CHandleData** inputs, int32_t,
                               const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request;
    request.calledName = calledName;
    request.task = reinterpret_cast<uintptr_t>(task);
    {
        auto hold = doc->Lock();
        const int32_t serial = task->PageObject() ? task->PageObject()
                                                  : CurrentOfKind(task, kMonitorObject, calledName);
        request.name = TargetName(*doc, serial);
    }
    CHandleData* code = task->CompileText("output " + GetString(in[0], false), kStateUser);
    try {
        while (task->StopRequested() == kRunning) {
            CHandleData* value = task->RunCompiled(code, true);
            if (value == OutputSignal()) value = task->TakeOutput();
            request.text = value ? GetString(value, true) : std::string();
            // 1: go on; 0 (or no reply, the main thread being gone): end.
            CHandleData* goOn = CallProject(kUpdateMonitor, request);
            const bool more = IsCell(goOn) && GetInteger(goOn, false) == 1;
            Release(goOn);
            if (!more) break;
            platform::SleepMilliseconds(kMonitorPauseMs);
        }
    } catch (...) {
        Release(code);
        throw;
    }
    Release(code);
    return nullptr;
}

// Buttons.

CHandleData* ButtonSetting(CLogoTask* task, CHandleData** inputs, int32_t option,
                           const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const int32_t serial = CurrentOfKind(task, kButtonObject, calledName);
    const int32_t mode = option == 420 ? static_cast<int32_t>(NumberInput(in[0], calledName)) : 0;
    const std::string list = option == 420 ? std::string() : ListText(in[0]);
    auto hold = doc->Lock();
    CPageButton& button = Write<CPageButton>(*doc, serial, "setbuttonfunction");
    if (option == 420)
        button.mode = mode;
    else
        (option == 421 ? button.firstList : button.secondList) = list;
    doc->SetModified(true);
    return nullptr;
}

// Sliders.

CHandleData* SliderCommand(CLogoTask* task, CHandleData** inputs, int32_t option,
                           const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    if (option == 452) {
        const int32_t serial = CurrentOfKind(task, kSliderObject, calledName);
        const std::string list = ListText(in[0]);
        auto hold = doc->Lock();
        Write<CSlider>(*doc, serial, "setsliderfunction").function = list;
        doc->SetModified(true);
        return nullptr;
    }
    ProjectRequest request = RequestOn(task, *doc, kSliderObject, calledName);
    if (option == 451) {
        const std::vector<double> limits = NumbersInput(in[0], calledName, 2);
        if (!(limits[1] > limits[0])) RaiseError(kErrorBadRange, {});
        request.values[0] = limits[0];
        request.values[1] = limits[1];
    } else {
        request.values[0] = NumberInput(in[0], calledName);
    }
    Release(CallProject(option == 451 ? kSetLimits : kSetValue, request));
    return nullptr;
}

CHandleData* SliderReporter(CLogoTask* task, CHandleData** inputs, int32_t option,
                            const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const int32_t serial = CurrentOfKind(task, kSliderObject, calledName);
    auto hold = doc->Lock();
    const CSlider& slider = Read<CSlider>(*doc, serial, "value");
    if (option == 450) return RealList({slider.minimum, slider.maximum});
    return NormaliseNumber(slider.value);
}

// Shapes and pictures.

CHandleData* ShapePrimitive(CLogoTask* task, CHandleData** inputs, int32_t option,
                            const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    switch (option) {
        case 441: {
            auto hold = doc->Lock();
            return NameList(doc->Pictures().Names());
        }
        case 442: {
            std::vector<std::string> names;
            for (const ButtonShape& shape : ButtonShapes()) names.push_back(shape.name);
            for (const SliderStyle& style : SliderStyles()) names.push_back(style.name);
            return NameList(names);
        }
        case 444: {
            ProjectRequest request;
            request.calledName = calledName;
            request.text = WordInput(in[0], calledName);
            Release(CallProject(kSetWallpaper, request));
            return nullptr;
        }
    }
    ProjectRequest request = RequestOnCurrent(task, *doc, calledName);
    if (option == 443) {
        request.text = WordInput(in[0], calledName);
        Release(CallProject(kSetShape, request));
        return nullptr;
    }
    auto hold = doc->Lock();  // 445: the shape, style or picture shown
    const CPageObject* object = doc->FindObject(request.name);
    if (!object) RaiseError(kErrorNoPageObject, {});
    if (const CPageButton* button = object->As<CPageButton>()) return MakeWord(button->shape);
    if (const CSlider* slider = object->As<CSlider>()) return MakeWord(slider->style);
    if (const CPictureBox* box = object->As<CPictureBox>()) return MakeWord(box->pictureName);
    RaiseError(kErrorNotForThisObject, {"**shape**"});
}
