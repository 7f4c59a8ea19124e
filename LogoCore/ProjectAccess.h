// The open project as the interpreter core's primitives see it: its name
// table (page objects and named box ports) and its monitors. The project
// layer, which lives above the interpreter, installs it when a project is
// open and removes it when the project closes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The resource text of the reserved name "procedures", which stands for
// the procedures page in every project's name table.
inline constexpr int32_t kTextProceduresName = 2002;

// What a name of the project's name table stands for.
struct ProjectName {
    // A box port named in the setup: port number + 1 (1..17; 9..16 are the
    // outputs A..H). 0 for a page object.
    int32_t portValue = 0;
    // A page object: its type code (the object-kind table's codes) and its id.
    int32_t objectType = 0;
    int32_t object = 0;
};

class ProjectAccess {
  public:
    virtual ~ProjectAccess() = default;
    // The name looked up in the project's name table; the name is lower-cased.
    virtual std::optional<ProjectName> LookupName(std::string_view lowerName) = 0;
    // The names of the page objects, in the name table's order.
    virtual std::vector<std::string> PageObjectNames() = 0;
    // The name of the page object with that id; empty when none has it.
    virtual std::string PageObjectName(int32_t /*object*/) { return {}; }
    // Whether the id is the one LookupName gives for the reserved name
    // "procedures": the mark that stands for the procedures page, which is no
    // page object (its objectType is not used).
    virtual bool IsProceduresPage(int32_t /*object*/) { return false; }
    // Every monitor shows its value anew.
    virtual void RefreshMonitors() {}
};

// Installs the open project; null: no project is open. Any thread may ask.
void SetOpenProject(std::shared_ptr<ProjectAccess> project);
std::shared_ptr<ProjectAccess> OpenProject();
