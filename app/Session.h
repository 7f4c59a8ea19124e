// What both front ends share between start-up and shut-down: the command
// centre's model, the task host, the interpreter with its box, the
// procedures page and the open project. The front end runs in between.
#pragma once

#include <optional>
#include <string>

#include "LogoCore/LogoCoreStartup.h"
#include "app/CommandCentre.h"
#include "app/Startup.h"
#include "app/TerminalFrontEnd.h"
#include "app/TerminalInput.h"

struct SessionOptions {
    std::optional<std::string> port;        // for this run only
    std::optional<std::string> procedures;  // a file to define first
    std::optional<std::string> project;     // to open, else a new one
};

class Session {
  public:
    // Starts the interpreter (which opens the box), installs the procedures
    // page as the document's editor and opens the project. The main thread
    // must be recorded first (SetMainThread).
    explicit Session(const SessionOptions& options);
    // Stops every task, switches the box off and closes it, closes the
    // project and writes the page margins.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    CommandCentre& Centre() { return centre_; }
    ProceduresPage& Page() { return page_; }
    TerminalHost& Host() { return host_; }

  private:
    class PageEditor;

    CommandCentre centre_;
    TerminalHost host_;
    LogoCoreSetup setup_;
    PageMargins margins_;
    ProceduresPage page_;
    std::unique_ptr<PageEditor> editor_;
};
