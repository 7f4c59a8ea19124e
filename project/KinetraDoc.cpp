#include "project/KinetraDoc.h"

#include <algorithm>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "platform/ConfigStore.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"
#include "project/ObjectWords.h"
#include "project/ProceduresEditor.h"

namespace {

constexpr int32_t kTextPageName = 2003;
constexpr int32_t kErrorTooManyPages = -25;

// A name the project cannot take now is told to the user; the rest of the
// project opens.
void ShowRefusal(const LogoError& error) {
    platform::ShowMessage(platform::MessageKind::Warning, WithoutLineEnd(ErrorText(error.handle)));
    Release(error.handle);
}

}  // namespace

CKinetraDoc::CKinetraDoc() : setup_(this) {
    ProjectName procedures;
    procedures.object = kProceduresPage;
    names_.Enter(platform::ResourceText(kTextProceduresName), procedures);
}

std::shared_ptr<CKinetraDoc> CKinetraDoc::Current() {
    return std::dynamic_pointer_cast<CKinetraDoc>(OpenProject());
}

std::shared_ptr<CKinetraDoc> CKinetraDoc::NewProject() {
    std::shared_ptr<CKinetraDoc> doc(new CKinetraDoc());
    doc->settings_.singlePage = platform::UserProfile().GetNumber("General", "Single Page", 0);
    doc->NewPage();
    doc->SetModified(false);
    Switch(doc);
    return doc;
}

void CKinetraDoc::CloseProject() {
    Switch(nullptr);
}

void CKinetraDoc::Install(std::shared_ptr<CKinetraDoc> doc) {
    Switch(std::move(doc));
}

void CKinetraDoc::Switch(std::shared_ptr<CKinetraDoc> doc) {
    if (const std::shared_ptr<CKinetraDoc> old = Current()) {
        {
            // Sampling threads end while the setup they read is still
            // there: one must never hold the project's last reference, or it
            // would wait for itself to end. Monitors' tasks end at their
            // next value.
            auto hold = old->Lock();
            for (const auto& page : old->pages_) {
                for (const auto& object : page->Objects()) {
                    if (CGraph* graph = object->As<CGraph>()) graph->Activate(false);
                    if (CMonitor* monitor = object->As<CMonitor>()) monitor->Activate(false);
                }
            }
        }
        SetOpenProject(nullptr);
        SetActiveSetup(nullptr);
        auto hold = old->Lock();
        old->proceduresText_ = old->ProceduresText();
        old->open_ = false;
        // The words of its sliders and text boxes go now: the document
        // itself may outlive this while a task still holds it.
        for (const auto& page : old->pages_)
            for (const auto& object : page->Objects())
                EraseObjectWord(object->Type(), object->Name());
    }
    // Its procedures go with the project; the next one's come after its
    // words, which they may not take.
    RemoveProcedures();
    if (doc) {
        {
            auto hold = doc->Lock();
            doc->open_ = true;
            for (const auto& page : doc->pages_) {
                for (const auto& object : page->Objects()) {
                    try {
                        if (!object->Name().empty())
                            RegisterObjectWord(object->Type(), object->Name());
                    } catch (const LogoError& error) {
                        ShowRefusal(error);
                    }
                }
            }
        }
        SetActiveSetup(std::shared_ptr<CSetupData>(doc, &doc->setup_));
        SetOpenProject(doc);
        if (doc->pendingSetup_) {
            try {
                doc->setup_.Apply(*doc->pendingSetup_);
            } catch (const LogoError& error) {
                ShowRefusal(error);
            }
            doc->pendingSetup_.reset();
        }
    }
    if (ProceduresEditor* editor = CurrentProceduresEditor()) {
        editor->Load(doc ? doc->proceduresText_ : std::string());
        editor->SetReadOnly(doc && doc->settings_.locked != 0);
    }
}

std::string CKinetraDoc::ProceduresText() const {
    auto hold = Lock();
    ProceduresEditor* editor = CurrentProceduresEditor();
    return editor && open_ ? editor->Text() : proceduresText_;
}

void CKinetraDoc::SetProceduresText(std::string text) {
    auto hold = Lock();
    proceduresText_ = std::move(text);
}

std::string CKinetraDoc::Path() const {
    auto hold = Lock();
    return path_;
}

void CKinetraDoc::SetPath(std::string path) {
    auto hold = Lock();
    path_ = std::move(path);
}

// Pages.

std::size_t CKinetraDoc::PageCount() const {
    auto hold = Lock();
    return pages_.size();
}

std::vector<std::string> CKinetraDoc::PageNames() const {
    auto hold = Lock();
    std::vector<std::string> names;
    for (const auto& page : pages_) names.push_back(page->Name());
    return names;
}

CPage* CKinetraDoc::FindPage(std::string_view name) const {
    auto hold = Lock();
    for (const auto& page : pages_)
        if (page->Name() == name) return page.get();
    return nullptr;
}

CPage* CKinetraDoc::CurrentPage() const {
    auto hold = Lock();
    return current_ >= 0 ? pages_[current_].get() : nullptr;
}

int CKinetraDoc::CurrentPageIndex() const {
    auto hold = Lock();
    return current_;
}

CPage& CKinetraDoc::NewPage(std::string name) {
    auto hold = Lock();
    if (pages_.size() >= kMaxPages) RaiseError(kErrorTooManyPages, {std::to_string(pages_.size())});
    if (name.empty()) {
        for (int n = 1; name.empty() || FindPage(name); ++n)
            name = platform::FormatResource(kTextPageName, {std::to_string(n)});
    }
    auto page = std::make_unique<CPage>(std::move(name));
    if (settings_.pageColourFollowsSystem) page->SetBackColour(settings_.pageColour, true);
    pages_.push_back(std::move(page));
    if (current_ < 0) current_ = 0;
    SetModified(true);
    return *pages_.back();
}

void CKinetraDoc::ActivatePage(CPage& page) {
    auto hold = Lock();
    for (std::size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i].get() == &page) current_ = static_cast<int>(i);
}

void CKinetraDoc::RemovePage(CPage& page) {
    auto hold = Lock();
    ClearPage(page);
    const auto it = std::find_if(pages_.begin(), pages_.end(),
                                 [&](const auto& mine) { return mine.get() == &page; });
    if (it == pages_.end()) return;
    const int index = static_cast<int>(it - pages_.begin());
    pages_.erase(it);
    // The page after it takes the place; after the last, the one before.
    if (current_ > index || current_ >= static_cast<int>(pages_.size())) --current_;
    SetModified(true);
}

void CKinetraDoc::ClearPage(CPage& page) {
    auto hold = Lock();
    while (!page.Objects().empty()) DeleteLocked(page, *page.Objects().back());
}

// Page objects.

bool CKinetraDoc::InterpreterHolds(const std::string& name) const {
    CHandleData* found = FindName(name);
    if (!found) return false;
    bool held;
    if (found->Type() == kTypeProcedureName)
        held = false;  // only met by the reader: a word may take it
    else if (open_)
        held = found->State() != kStateUser && !IsObjectWord(found);
    else
        held = found->Type() == kTypePrimitive && !IsProjectWord(found);
    Release(found);
    return held;
}

void CKinetraDoc::EnterObjectName(CPageObject& object, const std::string& name) {
    ProjectName entry;
    entry.objectType = object.Type();
    entry.object = object.Serial();
    names_.Enter(name, entry);
}

CPageObject& CKinetraDoc::NewObject(int32_t type, const std::string& name, PagePoint at,
                                    PageSize size) {
    auto hold = Lock();
    if (names_.Has(name)) RaiseError(kErrorNameInUse, {name});
    std::unique_ptr<CPageObject> made = CPageObject::Create(type, at, size);
    CPage* page = CurrentPage();
    if (!page) page = &NewPage();
    CPageObject& object = page->Add(std::move(made));
    try {
        Rename(object, name);
    } catch (...) {
        page->Take(object);
        throw;
    }
    SetModified(true);
    return object;
}

void CKinetraDoc::Rename(CPageObject& object, const std::string& name) {
    auto hold = Lock();
    const std::string old = object.Name();
    if (name == old) return;
    const bool respelt = !old.empty() && platform::EqualsIgnoringCase(name, old);
    if (!respelt && (names_.Has(name) || InterpreterHolds(name))) {
        // The object's own name stays in the table whatever happened before.
        if (!old.empty() && !names_.Has(old)) EnterObjectName(object, old);
        RaiseError(kErrorNameInUse, {name});
    }
    // The word first: when the interpreter refuses it nothing has changed.
    if (open_ && !respelt) RegisterObjectWord(object.Type(), name);
    if (!old.empty()) {
        const auto entry = names_.Lookup(old);
        if (entry && entry->object == object.Serial()) names_.Remove(old);
        if (open_ && !respelt) EraseObjectWord(object.Type(), old);
    }
    try {
        EnterObjectName(object, name);
    } catch (...) {
        if (open_ && !respelt) EraseObjectWord(object.Type(), name);
        if (!old.empty()) EnterObjectName(object, old);
        throw;
    }
    object.SetNameField(name);
    SetModified(true);
}

std::unique_ptr<CPageObject> CKinetraDoc::DeleteLocked(CPage& page, CPageObject& object) {
    // The sampling thread ends before its graph goes; a monitor's task ends
    // at its next value, finding no monitor.
    if (CGraph* graph = object.As<CGraph>()) graph->Activate(false);
    if (CMonitor* monitor = object.As<CMonitor>()) monitor->Activate(false);
    const std::string& name = object.Name();
    if (!name.empty()) {
        const auto entry = names_.Lookup(name);
        if (entry && entry->portValue == 0 && entry->object == object.Serial()) {
            names_.Remove(name);
            if (open_) EraseObjectWord(object.Type(), name);
        }
    }
    if (open_) ForgetObject(object.Serial());
    SetModified(true);
    return page.Take(object);
}

void CKinetraDoc::Delete(CPageObject& object) {
    auto hold = Lock();
    if (CPage* page = PageOf(object)) DeleteLocked(*page, object);
}

std::unique_ptr<CPageObject> CKinetraDoc::Detach(CPageObject& object) {
    auto hold = Lock();
    CPage* page = PageOf(object);
    return page ? DeleteLocked(*page, object) : nullptr;
}

CPageObject& CKinetraDoc::Adopt(CPage& page, std::unique_ptr<CPageObject> object,
                                const std::string& name, std::size_t index) {
    auto hold = Lock();
    if (names_.Has(name)) RaiseError(kErrorNameInUse, {name});
    // Its old name left the table with it: it is entered afresh.
    object->SetNameField({});
    CPageObject& adopted = page.Insert(std::move(object), index);
    try {
        Rename(adopted, name);
    } catch (...) {
        page.Take(adopted);
        throw;
    }
    SetModified(true);
    return adopted;
}

void CKinetraDoc::Move(CPageObject& object, PagePoint at) {
    auto hold = Lock();
    object.Move(at);
    SetModified(true);
}

void CKinetraDoc::Resize(CPageObject& object, PageSize size, bool fromLogo) {
    auto hold = Lock();
    object.Resize(size, fromLogo);
    SetModified(true);
}

CPageObject* CKinetraDoc::FindObject(std::string_view name) const {
    const auto entry = names_.Lookup(name);
    if (!entry || entry->portValue != 0) return nullptr;
    return FindObject(entry->object);
}

CPageObject* CKinetraDoc::FindObject(int32_t serial) const {
    auto hold = Lock();
    for (const auto& page : pages_)
        for (const auto& object : page->Objects())
            if (object->Serial() == serial) return object.get();
    return nullptr;
}

CPage* CKinetraDoc::PageOf(const CPageObject& object) const {
    auto hold = Lock();
    for (const auto& page : pages_)
        if (page->Holds(object)) return page.get();
    return nullptr;
}

std::string CKinetraDoc::UniqueName(const std::string& base) const {
    for (int n = 1;; ++n) {
        std::string name = base + std::to_string(n);
        if (!names_.Has(name) && !InterpreterHolds(name)) return name;
    }
}

// ProjectAccess.

std::optional<ProjectName> CKinetraDoc::LookupName(std::string_view lowerName) {
    return names_.Lookup(lowerName);
}

std::vector<std::string> CKinetraDoc::PageObjectNames() {
    return names_.NamesWhere([](const ProjectName& entry) {
        return entry.portValue == 0 && entry.object != kProceduresPage;
    });
}

std::string CKinetraDoc::PageObjectName(int32_t object) {
    auto hold = Lock();
    const CPageObject* found = FindObject(object);
    return found ? found->Name() : std::string();
}

// SetupNames.

void CKinetraDoc::EnterPortName(const std::string& name, int32_t portValue) {
    ProjectName entry;
    entry.portValue = portValue;
    names_.Enter(name, entry);
}

void CKinetraDoc::RemovePortName(const std::string& name) {
    names_.Remove(name);
}
