// The main thread's side of the page-object requests: each finds its target
// by name and does the operation, or raises -15 naming the operation when
// the object is of a kind that has none such.
#include <algorithm>
#include <cmath>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/PrimitiveSupport.h"
#include "project/KinetraDoc.h"
#include "project/ObjectActions.h"
#include "project/PageExport.h"
#include "project/ProceduresEditor.h"
#include "project/ProjectRequests.h"
#include "project/TextDrawing.h"

namespace {

constexpr int32_t kErrorNoOpenProject = -61;
constexpr int32_t kErrorNotForThisObject = -15;
constexpr int32_t kErrorNoSuchPicture = -28;
constexpr double kPointsPerInch = 72;
constexpr double kPixelsPerInch = 96;

[[noreturn]] void CannotDo(const char* operation) {
    RaiseError(kErrorNotForThisObject, {std::string("**") + operation + "**"});
}

template <typename T>
T& As(CPageObject& object, const char* operation) {
    T* concrete = object.As<T>();
    if (!concrete) CannotDo(operation);
    return *concrete;
}

Colour ColourOf(const ProjectRequest& request) {
    return {request.numbers[0], request.numbers[1], request.numbers[2]};
}

// The font a font request changes: the procedures page's, a monitor's or a
// text box's.
FontRecord& FontOf(CKinetraDoc& doc, CPageObject* object) {
    if (!object) return doc.Procedures().font;
    if (CMonitor* monitor = object->As<CMonitor>()) {
        monitor->fontSet = true;
        return monitor->font;
    }
    return As<CTextBox>(*object, "setfont").font;
}

CHandleData* TextRequest(CKinetraDoc& doc, uint32_t number, ProjectRequest& request) {
    const bool procedures = request.name == kProceduresTarget;
    CPageObject* object = procedures ? nullptr : doc.FindObject(request.name);
    if (!procedures && !object) RaiseError(kErrorNoPageObject, {});
    switch (number) {
        case kTopBottom:
            if (object) As<CTextBox>(*object, "top").TopBottom(request.flag);
            return nullptr;
        case kClearText:
            if (object) {
                As<CTextBox>(*object, "cleartext").ClearText();
            } else if (ProceduresEditor* editor = CurrentProceduresEditor()) {
                editor->Load("");
            } else {
                doc.SetProceduresText("");
            }
            doc.SetModified(true);
            return nullptr;
        case kSetFontFace:
            FontOf(doc, object).SetFaceName(request.text);
            return nullptr;
        case kSetFontSize:
            FontOf(doc, object).height = -static_cast<int32_t>(
                std::lround(request.numbers[0] * kPixelsPerInch / kPointsPerInch));
            return nullptr;
        case kSetFontStyle: {
            FontRecord& font = FontOf(doc, object);
            const int32_t style = request.numbers[0];
            font.weight = style & 1 ? 700 : 400;
            font.italic = (style >> 1) & 1;
            font.underline = (style >> 2) & 1;
            font.strikeOut = (style >> 3) & 1;
            return nullptr;
        }
        case kSetTextColour:
            if (!object)
                doc.Procedures().textColour = ColourOf(request);
            else if (CMonitor* monitor = object->As<CMonitor>())
                monitor->textColour = ColourOf(request);
            else
                As<CTextBox>(*object, "settextcolor").textColour = ColourOf(request);
            return nullptr;
    }
    return nullptr;
}

void SetColour(CKinetraDoc& doc, ProjectRequest& request) {
    if (request.text != "Object") {
        doc.Settings().proceduresColour = ColourOf(request);
        doc.Settings().proceduresColourFollowsSystem = 0;
        return;
    }
    CPageObject* object = doc.FindObject(request.name);
    if (!object) RaiseError(kErrorNoPageObject, {});
    if (CGraph* graph = object->As<CGraph>()) {
        auto data = graph->DataLock();
        graph->backColour = ColourOf(request);
    } else if (CMonitor* monitor = object->As<CMonitor>()) {
        monitor->backColour = ColourOf(request);
    } else {
        As<CTextBox>(*object, "setcolor").backColour = ColourOf(request);
    }
}

// Drawing in a picture box: only here, on the main thread, do its pixels change.
void DrawingRequest(CKinetraDoc& doc, uint32_t number, ProjectRequest& request,
                    CPageObject& object) {
    CPictureBox& box = As<CPictureBox>(object, "draw");
    const PagePoint point{request.numbers[0], request.numbers[1]};
    switch (number) {
        case kClearDrawing:
            box.Clear(object.Size());
            break;
        case kDrawTo:
            if (request.flag)
                box.LineTo(object.Size(), point);
            else
                box.MoveTo(point);
            break;
        case kDrawLabel:
            RequireTextDrawing();
            box.Label(object.Size(), request.text, FontOf(FontRecord{}));
            break;
        case kResetSize:
            if (box.picture && box.picture->width > 0 && box.picture->height > 0) {
                // What was drawn stays where it is, cropped or with white added.
                doc.Resize(object, {box.picture->width, box.picture->height}, true);
                ++box.changes;
            }
            break;
    }
}

CHandleData* GraphRequest(uint32_t number, ProjectRequest& request, CGraph& graph) {
    switch (number) {
        case kSetYAxis:
            graph.SetYAxis(request.values[0], request.values[1]);
            break;
        case kSetInterval:
            graph.SetInterval(request.values[0]);
            break;
        case kClearCurve:
            for (int c = 0; c < 4; ++c)
                if (request.numbers[0] < 0 || request.numbers[0] == c) graph.ClearCurve(c);
            break;
        case kSetGrid: {
            auto data = graph.DataLock();
            graph.displayFlags[1] = request.flag;
            break;
        }
        case kAddPoint:
            if (request.flag)
                graph.AddPoint(request.numbers[0], request.values[0]);
            else
                graph.FitX();
            break;
        case kFillCurve:
            graph.FillCurve(request.numbers[0], request.list);
            break;
        case kShiftX:
            graph.ShiftX(request.numbers[0]);
            break;
    }
    return nullptr;
}

}  // namespace

bool IsObjectRequest(uint32_t number) {
    return (number >= kActivate && number <= kShiftX) ||
           (number >= kSetBorder && number <= kSetColour && number != kRenameObject) ||
           (number >= kTopBottom && number <= kSetTextColour);
}

CHandleData* ServeObjectRequest(uint32_t number, ProjectRequest& request) {
    const std::shared_ptr<CKinetraDoc> doc = CKinetraDoc::Current();
    // A monitor's task outlives a closed project quietly.
    if (!doc && number == kUpdateMonitor) return MakeInteger(0);
    if (!doc) RaiseError(kErrorNoOpenProject, {request.calledName});
    auto hold = doc->Lock();
    if (number >= kTopBottom && number <= kSetTextColour) return TextRequest(*doc, number, request);
    if (number == kSetColour) {
        SetColour(*doc, request);
        return nullptr;
    }
    if (number == kSetWallpaper) {
        CPage* page = doc->CurrentPage();
        if (!request.text.empty() && !doc->Pictures().Find(request.text))
            RaiseError(kErrorNoSuchPicture, {request.text});
        if (page) page->SetWallpaper(request.text);
        doc->SetModified(true);
        return nullptr;
    }
    if (number == kExportPage) {
        const CPage* page = doc->CurrentPage();
        if (!page) RaiseError(kErrorNoOpenProject, {request.calledName});
        ExportPage(*doc, *page, request.text);
        return nullptr;
    }
    CPageObject* found = doc->FindObject(request.name);
    if (!found) {
        // A monitor deleted under its task: the task ends.
        if (number == kUpdateMonitor) return MakeInteger(0);
        RaiseError(kErrorNoPageObject, {});
    }
    CPageObject& object = *found;
    switch (number) {
        case kActivate:
            if (!object.As<CMonitor>() && !object.As<CGraph>()) CannotDo("activate");
            ActivateObject(*doc, object, request.flag);
            return nullptr;
        case kStartSample:
            As<CGraph>(object, "startsample");
            ActivateObject(*doc, object, request.flag);
            return nullptr;
        case kUpdateMonitor:
            return MakeInteger(
                As<CMonitor>(object, ".updatemonitor").Update(request.task, request.text) ? 1 : 0);
        case kClearDrawing:
        case kDrawTo:
        case kDrawLabel:
        case kResetSize:
            DrawingRequest(*doc, number, request, object);
            return nullptr;
        case kSetShape:
            SetObjectShape(*doc, object, request.text);
            doc->SetModified(true);
            return nullptr;
        case kSetLimits:
            As<CSlider>(object, "setlimits");
            SetSliderLimits(*doc, object, request.values[0], request.values[1]);
            return nullptr;
        case kSetValue:
            As<CSlider>(object, "setvalue");
            SetSliderValue(*doc, object, request.values[0]);
            return nullptr;
        case kSetBorder:
            object.SetBorder(request.flag);
            doc->SetModified(true);
            return nullptr;
        case kShowName:
            object.ShowName(request.flag);
            doc->SetModified(true);
            return nullptr;
        case kDeleteObject: {
            const int32_t serial = object.Serial();
            doc->Delete(object);
            ForgetObject(serial);
            return nullptr;
        }
        default:
            return GraphRequest(number, request, As<CGraph>(object, "graph"));
    }
}

void InsertIntoTarget(const std::string& target, const std::string& text) {
    const std::shared_ptr<CKinetraDoc> doc = CKinetraDoc::Current();
    if (!doc) RaiseError(kErrorNoPageObject);  // no project, no text box
    auto hold = doc->Lock();
    if (target == kProceduresTarget) {
        doc->SetProceduresText(doc->ProceduresText() + text);
        return;
    }
    CPageObject* object = doc->FindObject(target);
    if (!object) RaiseError(kErrorNoPageObject, {});
    As<CTextBox>(*object, "insert").InsertText(text);
}
