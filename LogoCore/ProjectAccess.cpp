#include "LogoCore/ProjectAccess.h"

#include <mutex>
#include <utility>

namespace {

std::mutex gLock;
std::shared_ptr<ProjectAccess> gProject;

}  // namespace

void SetOpenProject(std::shared_ptr<ProjectAccess> project) {
    std::lock_guard<std::mutex> guard(gLock);
    gProject = std::move(project);
}

std::shared_ptr<ProjectAccess> OpenProject() {
    std::lock_guard<std::mutex> guard(gLock);
    return gProject;
}
