// The command centre, the procedures page and the project in a window: a
// second front end of the same model as the terminal. Qt's event loop is
// the main thread's message loop: the channel's queue wakes it through a
// descriptor, so requests are served as they come, without polling.
#pragma once

#include <memory>
#include <string>

class QApplication;
class Session;
class CommandCentre;
class ProceduresPage;
class TerminalHost;

namespace gui {
class MainWindow;
}

class WindowFrontEnd {
  public:
    // Makes the application object (the program's) and the main window, and
    // shows messages as dialogs over it from then on.
    WindowFrontEnd(int& argc, char** argv);
    // With the application object already made (tests).
    WindowFrontEnd();
    ~WindowFrontEnd();
    WindowFrontEnd(const WindowFrontEnd&) = delete;
    WindowFrontEnd& operator=(const WindowFrontEnd&) = delete;

    gui::MainWindow& Window();

    // Connects the window to the model: the channel's requests that a
    // window answers, keys and the pointer, the menus, and the queue's
    // wake-up. Until the destructor.
    void Attach(CommandCentre& centre, ProceduresPage& page, TerminalHost& host);
    // Piped standard input is typed into the command centre line by line,
    // as type-ahead; when it has ended and the last command with it, the
    // window's picture is saved (when a file is named) and the window closes.
    void TakePipedInput(const std::string& screenshot);
    // Shows the window and runs until it is closed, File > Quit, or a
    // shut-down signal; then every task is stopped. 0, or 128 + the signal.
    int Run();

    // The program's whole run: Attach, TakePipedInput when piped, Run.
    int Run(Session& session, bool piped, const std::string& screenshot);

  private:
    class Impl;
    std::unique_ptr<QApplication> application_;
    std::unique_ptr<Impl> impl_;
};
