#include "project/ProjectRequests.h"

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/PrimitiveSupport.h"
#include "platform/MessageBox.h"
#include "platform/ThreadQueue.h"
#include "project/KinetraDoc.h"
#include "project/PagePrinting.h"
#include "project/ProceduresEditor.h"

namespace {

constexpr int32_t kErrorNoProject = -61;
constexpr int32_t kErrorNoPath = -60;
constexpr int32_t kErrorNoSuchPage = -39;

constexpr uint32_t kNumbers[] = {
    kCreateObject,      kResizeObject,     kMoveObject,    kRenameObject,
    kClearPage,         kActivatePage,     kDeletePage,    kNewPage,
    kRenamePage,        kCloseProject,     kSaveProjectAs, kOpenProject,
    kNewProjectRequest, kInsertProcedures, kActivate,      kUpdateMonitor,
    kSetShape,          kSetWallpaper,     kSetLimits,     kSetValue,
    kSetYAxis,          kSetInterval,      kStartSample,   kClearCurve,
    kSetGrid,           kAddPoint,         kFillCurve,     kShiftX,
    kSetBorder,         kShowName,         kDeleteObject,  kSetColour,
    kTopBottom,         kClearText,        kSetFontFace,   kSetFontSize,
    kSetFontStyle,      kSetTextColour,    kClearDrawing,  kDrawTo,
    kDrawLabel,         kExportPage,       kResetSize,     kPrintPages};

std::shared_ptr<CKinetraDoc> Document(const ProjectRequest& request) {
    std::shared_ptr<CKinetraDoc> doc = CKinetraDoc::Current();
    if (!doc) RaiseError(kErrorNoProject, {request.calledName});
    return doc;
}

CPageObject& Object(CKinetraDoc& doc, const ProjectRequest& request) {
    CPageObject* object = doc.FindObject(request.name);
    if (!object) RaiseError(kErrorNoPageObject, {});
    return *object;
}

CPage& Page(CKinetraDoc& doc, const ProjectRequest& request) {
    CPage* page = doc.FindPage(request.name);
    if (!page) RaiseError(kErrorNoSuchPage, {request.name});
    return *page;
}

CHandleData* CreateObject(const ProjectRequest& request) {
    const auto doc = Document(request);
    auto hold = doc->Lock();
    const int32_t type = ObjectTypeOfKind(request.text);
    CPageObject& object =
        doc->NewObject(type, request.name, {request.numbers[0], request.numbers[1]},
                       {request.numbers[2], request.numbers[3]});
    // The new object is the current one of the global talk-to record.
    TalkToContext selection = DefaultSelection();
    selection.Store(type, object.Serial());
    SetDefaultSelection(selection);
    return MakeInteger(object.Serial());
}

CHandleData* PageRequest(uint32_t number, ProjectRequest& request) {
    const auto doc = Document(request);
    auto hold = doc->Lock();
    switch (number) {
        case kClearPage:
            doc->ClearPage(Page(*doc, request));
            break;
        case kActivatePage:
            doc->ActivatePage(Page(*doc, request));
            break;
        case kDeletePage:
            doc->RemovePage(Page(*doc, request));
            break;
        case kNewPage:
            doc->ActivatePage(doc->NewPage());
            break;
        case kRenamePage: {
            CPage* page = request.name.empty() ? doc->CurrentPage() : &Page(*doc, request);
            if (!page) RaiseError(kErrorNoSuchPage, {request.name});
            page->SetName(request.text);
            doc->SetModified(true);
            break;
        }
    }
    return nullptr;
}

CHandleData* ProjectFileRequest(uint32_t number, ProjectRequest& request) {
    switch (number) {
        case kCloseProject: {
            const auto doc = Document(request);
            if (request.flag) {
                if (doc->Path().empty()) RaiseError(kErrorNoPath, {});
                doc->SaveAs(doc->Path());
            }
            doc->SetModified(false);
            CKinetraDoc::CloseProject();
            return nullptr;
        }
        case kSaveProjectAs:
            Document(request)->SaveAs(request.name);
            return nullptr;
        case kOpenProject:
            if (const auto doc = CKinetraDoc::Current(); doc && request.flag && doc->Modified()) {
                if (doc->Path().empty()) RaiseError(kErrorNoPath, {});
                doc->SaveAs(doc->Path());
            }
            CKinetraDoc::OpenFile(request.name);
            return nullptr;
        case kNewProjectRequest:
            if (const auto doc = CKinetraDoc::Current(); doc && doc->Modified()) {
                if (doc->Path().empty()) RaiseError(kErrorNoPath, {});
                doc->SaveAs(doc->Path());
            }
            CKinetraDoc::NewProject();
            return nullptr;
        case kInsertProcedures: {
            const auto doc = Document(request);
            const std::string text = request.text + doc->ProceduresText();
            if (ProceduresEditor* editor = CurrentProceduresEditor())
                editor->Load(text);
            else
                doc->SetProceduresText(text);
            doc->SetModified(true);
            return nullptr;
        }
    }
    return nullptr;
}

}  // namespace

std::span<const uint32_t> ProjectRequestNumbers() {
    return kNumbers;
}

CHandleData* ServeProjectRequest(uint32_t number, ProjectRequest& request) {
    if (IsObjectRequest(number)) return ServeObjectRequest(number, request);
    switch (number) {
        case kCreateObject:
            return CreateObject(request);
        case kResizeObject:
        case kMoveObject:
        case kRenameObject: {
            const auto doc = Document(request);
            auto hold = doc->Lock();
            CPageObject& object = Object(*doc, request);
            if (number == kRenameObject)
                doc->Rename(object, request.text);
            else if (number == kMoveObject)
                doc->Move(object, {request.numbers[0], request.numbers[1]});
            else
                doc->Resize(object, {request.numbers[0], request.numbers[1]}, true);
            return nullptr;
        }
        case kClearPage:
        case kActivatePage:
        case kDeletePage:
        case kNewPage:
        case kRenamePage:
            return PageRequest(number, request);
        case kPrintPages: {
            // Without a printer of its own (the terminal), the job is a PDF
            // file, and the user is told where.
            const auto doc = Document(request);
            const PrintJob job = PrintJobOfToken(request.numbers[0]);
            const std::string path = PrintJobPdfName(*doc, job);
            PrintJobToPdf(*doc, job, path);
            platform::ShowMessage(platform::MessageKind::Information, "printed to " + path);
            return nullptr;
        }
        default:
            return ProjectFileRequest(number, request);
    }
}

CHandleData* CallProject(uint32_t number, ProjectRequest& request) {
    const platform::ThreadId server = MainThread();
    if (server == 0 || server == platform::CurrentThreadId())
        return ServeProjectRequest(number, request);
    return CallProjectBlock(number, &request);
}

CHandleData* CallProjectBlock(uint32_t number, void* block) {
    CHandleData* result = CallMainThread(number, block);
    if (IsError(result)) throw LogoError{result};
    return result;
}
