// The projects opened or saved last, newest first, kept in the user
// profile so that the File menu offers them again at the next start.
#pragma once

#include <QString>
#include <QStringList>

namespace gui {

inline constexpr int kRecentProjects = 4;

QStringList RecentProjects();
// Puts the path first; it leaves its old place, the oldest leaves the list.
void AddRecentProject(const QString& path);

}  // namespace gui
