#include "gui/RecentProjects.h"

#include <string>

#include "platform/ConfigStore.h"

namespace gui {

namespace {

constexpr std::string_view kSection = "Recent File List";

std::string Key(int i) {
    return "File" + std::to_string(i + 1);
}

}  // namespace

QStringList RecentProjects() {
    QStringList paths;
    for (int i = 0; i < kRecentProjects; ++i) {
        const std::string path = platform::UserProfile().GetText(kSection, Key(i), "");
        if (!path.empty()) paths.append(QString::fromStdString(path));
    }
    return paths;
}

void AddRecentProject(const QString& path) {
    QStringList paths = RecentProjects();
    paths.removeAll(path);
    paths.prepend(path);
    for (int i = 0; i < kRecentProjects; ++i)
        platform::UserProfile().WriteText(kSection, Key(i),
                                          i < paths.size() ? paths.at(i).toStdString() : "");
}

}  // namespace gui
