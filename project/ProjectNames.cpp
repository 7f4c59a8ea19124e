#include "project/ProjectNames.h"

#include "LogoCore/LogoErrors.h"
#include "LogoCore/NameTable.h"
#include "platform/Utf8.h"

namespace {

constexpr int32_t kErrorNoSuchName = -19;

}  // namespace

void CProjectNames::Enter(std::string_view name, const ProjectName& entry) {
    std::string key = platform::LowerCase(name);
    std::lock_guard<std::mutex> hold(lock_);
    if (!names_.emplace(std::move(key), entry).second)
        RaiseError(kErrorNameInUse, {std::string(name)});
}

void CProjectNames::Remove(std::string_view name) {
    const std::string key = platform::LowerCase(name);
    std::lock_guard<std::mutex> hold(lock_);
    if (names_.erase(key) == 0) RaiseError(kErrorNoSuchName);
}

std::optional<ProjectName> CProjectNames::Lookup(std::string_view name) const {
    const std::string key = platform::LowerCase(name);
    std::lock_guard<std::mutex> hold(lock_);
    const auto it = names_.find(key);
    if (it == names_.end()) return std::nullopt;
    return it->second;
}
