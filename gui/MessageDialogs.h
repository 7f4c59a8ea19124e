// Messages for the user as dialogs: while the window runs, the system's
// messages (errors, warnings, information) show as message boxes over it.
#pragma once

class QWidget;

namespace gui {

// Routes platform messages to message boxes parented to the window; messages
// from other threads are shown by the GUI thread. Undone by
// RemoveMessageDialogs (or a null parent).
void InstallMessageDialogs(QWidget* parent);
void RemoveMessageDialogs();

}  // namespace gui
