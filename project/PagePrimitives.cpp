// Pages from Logo: making, naming, showing, removing and listing them, and
// taking the procedures or pictures of another project file.
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/PrimitiveSupport.h"
#include "platform/TextCatalog.h"
#include "project/KinetraDoc.h"
#include "project/PrimitiveInputs.h"
#include "project/ProjectFiles.h"
#include "project/ProjectPrimitiveHandlers.h"
#include "project/ProjectRequests.h"

namespace {

constexpr int32_t kTextSetupWindow = 2001;
constexpr int32_t kTextProceduresWindow = 2002;
constexpr int32_t kTextPageName = 2003;

// The page of that name must exist: -4 naming it.
std::string ExistingPage(const CKinetraDoc& doc, CHandleData* input,
                         const std::string& calledName) {
    const std::string name = WordInput(input, calledName);
    if (!doc.FindPage(name)) RaiseWrongInput(calledName, name);
    return name;
}

ProjectRequest Request(const std::string& calledName, std::string name = {}) {
    ProjectRequest request;
    request.calledName = calledName;
    request.name = std::move(name);
    return request;
}

// Another project file, read whole into a document that is never opened.
std::shared_ptr<CKinetraDoc> OtherProject(CHandleData* input, const std::string& calledName) {
    const std::string path = WithDefaultExtension(WordInput(input, calledName));
    return CKinetraDoc::Read(ReadProjectFile(path), path);
}

}  // namespace

CHandleData* RemovePagePrimitive(CLogoTask*, CHandleData** inputs, int32_t,
                                 const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request = Request(calledName, ExistingPage(*doc, in[0], calledName));
    if (doc->PageCount() > 1) {
        Release(CallProject(kDeletePage, request));
        return nullptr;
    }
    // The only page stays, emptied and named as a first page.
    Release(CallProject(kClearPage, request));
    request.text = platform::FormatResource(kTextPageName, {"1"});
    Release(CallProject(kRenamePage, request));
    return nullptr;
}

CHandleData* GetPage(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const std::string name = WordInput(in[0], calledName);
    // The procedures and setup windows are no pages; the terminal has no
    // window to show for them.
    if (name == platform::ResourceText(kTextProceduresWindow) ||
        name == platform::ResourceText(kTextSetupWindow))
        return nullptr;
    ProjectRequest request = Request(calledName, ExistingPage(*doc, in[0], calledName));
    Release(CallProject(kActivatePage, request));
    return nullptr;
}

CHandleData* NamePage(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request = Request(calledName);
    request.text = WordInput(in[0], calledName);
    if (request.text.empty() || doc->FindPage(request.text))
        RaiseWrongInput(calledName, request.text);
    Release(CallProject(kRenamePage, request));
    return nullptr;
}

CHandleData* NewPagePrimitive(CLogoTask*, CHandleData** inputs, int32_t,
                              const std::string& calledName) {
    HandlerInputs in(inputs);
    OpenDocumentFor(calledName);
    ProjectRequest request = Request(calledName);
    Release(CallProject(kNewPage, request));
    return nullptr;
}

CHandleData* PagesPrimitive(CLogoTask*, CHandleData** inputs, int32_t,
                            const std::string& calledName) {
    HandlerInputs in(inputs);
    return NameList(OpenDocumentFor(calledName)->PageNames());
}

CHandleData* ImportProcedures(CLogoTask*, CHandleData** inputs, int32_t,
                              const std::string& calledName) {
    HandlerInputs in(inputs);
    OpenDocumentFor(calledName);
    ProjectRequest request = Request(calledName);
    request.text = OtherProject(in[0], calledName)->ProceduresText();
    Release(CallProject(kInsertProcedures, request));
    return nullptr;
}

CHandleData* ImportPictures(CLogoTask*, CHandleData** inputs, int32_t,
                            const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const auto other = OtherProject(in[0], calledName);
    auto hold = doc->Lock();
    for (const PictureRef& picture : other->Pictures().UserPictures())
        doc->Pictures().AddOrReplace(picture);
    doc->SetModified(true);
    return nullptr;
}

CHandleData* ClearPagePrimitive(CLogoTask* task, CHandleData** inputs, int32_t,
                                const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request;
    request.calledName = calledName;
    {
        auto hold = doc->Lock();
        const CPage* page = doc->CurrentPage();
        if (!page) return nullptr;
        request.name = page->Name();
        // The task lets go of the page's objects before they go.
        for (const auto& object : page->Objects()) task->Selection().Forget(object->Serial());
    }
    Release(CallProject(kClearPage, request));
    return nullptr;
}
