// The project document: everything a user builds and keeps. There is only
// ever one open project; it is what the interpreter's primitives reach
// through OpenProject() and the box's words through ActiveSetup().
//
// For now it holds the name table and the box setup; pages and their
// objects join it later.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "LogoCore/ProjectAccess.h"
#include "box/SensorSetup.h"
#include "project/ProjectNames.h"

class CKinetraDoc final : public ProjectAccess, public SetupNames {
  public:
    static constexpr const char* kClassName = "CKinetraDoc";
    // The id the reserved name "procedures" stands for; no page object has it.
    static constexpr int32_t kProceduresPage = 2147483647;

    // A new, empty project: it closes the open one and becomes the open project.
    static std::shared_ptr<CKinetraDoc> NewProject();
    // Closes the open project, if any: its names leave the interpreter.
    static void CloseProject();

    CKinetraDoc(const CKinetraDoc&) = delete;
    CKinetraDoc& operator=(const CKinetraDoc&) = delete;
    ~CKinetraDoc() override = default;

    CProjectNames& Names() { return names_; }
    CSetupData& Setup() { return setup_; }

    // ProjectAccess.
    std::optional<ProjectName> LookupName(std::string_view lowerName) override;
    std::vector<std::string> PageObjectNames() override;
    bool IsProceduresPage(int32_t object) override { return object == kProceduresPage; }

    // SetupNames.
    void EnterPortName(const std::string& name, int32_t portValue) override;
    void RemovePortName(const std::string& name) override;
    bool HasName(const std::string& name) override { return names_.Has(name); }

  private:
    CKinetraDoc();

    // The setup is declared after the names: it removes its port names
    // from them when it goes.
    CProjectNames names_;
    CSetupData setup_;
};
