// What the window's File menu does to the project: the same document
// operations Logo's project primitives use, with the dialogs that choose
// the file or the password. Messages for the user go through
// platform::ShowMessage, so that they are dialogs over the window.
#pragma once

#include <QString>

namespace gui {
class MainWindow;
}

// A project changed since it was saved: save it, drop the changes or keep
// it open (false).
bool MayDiscardProject(gui::MainWindow& window);
// Opens the file, or the one the user chooses when the path is empty.
void OpenProject(gui::MainWindow& window, QString path);
// Saves under the project's name, or under one the user chooses (always
// with askForName, or when the project has none yet), with the frames of
// the window's document area.
void SaveProject(gui::MainWindow& window, bool askForName);
// The procedures of a text file join the page's, and the page is defined.
void ImportProcedures(gui::MainWindow& window);
// Pictures (.bmp) join the project's picture library.
void ImportPictures(gui::MainWindow& window);
// Locks with a password, or unlocks when it is given again.
void LockOrUnlock(gui::MainWindow& window);
