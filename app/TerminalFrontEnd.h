// The command centre in a terminal: standard input is the keyboard and
// standard output the view. The main thread runs the event loop; input is
// read on a thread of its own that posts each line to it.
#pragma once

#include <atomic>
#include <string>

#include "LogoCore/LogoTask.h"
#include "app/CommandCentre.h"

// Tasks print through the main thread and tell it when they end.
class TerminalHost final : public TaskHost {
  public:
    explicit TerminalHost(CommandCentre& centre) : centre_(centre) {}
    void Print(std::string_view text) override;
    void TaskEnded() override;
    void TasksStopped() override;
    // The object that started the task hears of its end on the main thread.
    void PageObjectTaskFinished(int32_t object) override;
    // Stopping everything and defining procedures switch the box's outputs off.
    void AllOutputsOff() override;
    // Where a window last saw the pointer; a terminal has none (the origin).
    ScreenPoint PointerPosition() override { return {pointerX_.load(), pointerY_.load()}; }
    void SetPointerPosition(ScreenPoint at) {
        pointerX_ = at.x;
        pointerY_ = at.y;
    }

  private:
    CommandCentre& centre_;
    std::atomic<int32_t> pointerX_{0};
    std::atomic<int32_t> pointerY_{0};
};

// Writes what the view shows to standard output, each "\r\n" as one "\n".
void WriteToTerminal(std::string_view text);

class ProceduresPage;

// Answers the requests a terminal can answer (key tests, clearing the
// command centre, tool bars) and shows the box link's messages.
void RegisterTerminalRequests(CommandCentre& centre, bool interactive);
// Text written into the procedures page (pons) goes to the front end's
// page through appendToPage; a text box's name, to the project's text box.
void RegisterProceduresPageRequests(std::function<void(std::string_view)> appendToPage);
// Printed text reaches the command centre, and the end of its command.
void RegisterCommandCentreRequests(CommandCentre& centre);
// Types piped keys: the oldest Logo thread waiting for a character takes
// the next one; with nobody waiting, the command centre takes the next
// line when no command runs; otherwise they wait. Taken keys leave.
void FeedPipedKeys(std::string& keys, CommandCentre& centre);
// At the end of the run: every task is told to stop; those still reporting
// are served for a few seconds.
void StopTasksAndWait();
// Adds a typed byte to the character being collected; a whole character
// goes to the Logo thread that has waited longest for one.
void DeliverByte(std::string& pending, char byte);

// Runs the event loop until standard input ends and the last command has
// ended, or a signal ends Kinetra (ShutdownSignals.h). Interactive: line
// editing and a prompt on the terminal, where Ctrl+C stops everything as
// stopall does; otherwise each line of standard input is a command. Every
// task has been told to stop when it returns the exit status: 0, or 128 +
// the signal's number.
int RunTerminal(CommandCentre& centre, ProceduresPage& page, bool interactive);
