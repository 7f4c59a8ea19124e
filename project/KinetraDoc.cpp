#include "project/KinetraDoc.h"

#include "platform/TextCatalog.h"

CKinetraDoc::CKinetraDoc() : setup_(this) {
    ProjectName procedures;
    procedures.object = kProceduresPage;
    names_.Enter(platform::ResourceText(kTextProceduresName), procedures);
}

std::shared_ptr<CKinetraDoc> CKinetraDoc::NewProject() {
    CloseProject();
    std::shared_ptr<CKinetraDoc> doc(new CKinetraDoc());
    // The setup shares the document's life: a task still reading a named
    // input keeps the whole document, name table included, alive.
    SetActiveSetup(std::shared_ptr<CSetupData>(doc, &doc->setup_));
    SetOpenProject(doc);
    return doc;
}

void CKinetraDoc::CloseProject() {
    SetOpenProject(nullptr);
    SetActiveSetup(nullptr);
}

std::optional<ProjectName> CKinetraDoc::LookupName(std::string_view lowerName) {
    return names_.Lookup(lowerName);
}

std::vector<std::string> CKinetraDoc::PageObjectNames() {
    return names_.NamesWhere([](const ProjectName& entry) {
        return entry.portValue == 0 && entry.object != kProceduresPage;
    });
}

void CKinetraDoc::EnterPortName(const std::string& name, int32_t portValue) {
    ProjectName entry;
    entry.portValue = portValue;
    names_.Enter(name, entry);
}

void CKinetraDoc::RemovePortName(const std::string& name) {
    names_.Remove(name);
}
