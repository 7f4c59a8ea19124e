// The project's name table: one name space for the page objects, the named
// box ports and the procedures page, across all pages. Names are kept
// lower-cased and looked up without regard to case.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LogoCore/ProjectAccess.h"

class CProjectNames {
  public:
    // Raises -21 with the name when it is present.
    void Enter(std::string_view name, const ProjectName& entry);
    // Raises -19 when the name is absent.
    void Remove(std::string_view name);
    std::optional<ProjectName> Lookup(std::string_view name) const;
    bool Has(std::string_view name) const { return Lookup(name).has_value(); }
    // The names whose entries satisfy the test, in alphabetical order.
    template <typename Test>
    std::vector<std::string> NamesWhere(Test test) const {
        std::lock_guard<std::mutex> hold(lock_);
        std::vector<std::string> names;
        for (const auto& [name, entry] : names_)
            if (test(entry)) names.push_back(name);
        return names;
    }

  private:
    mutable std::mutex lock_;
    std::map<std::string, ProjectName, std::less<>> names_;
};
