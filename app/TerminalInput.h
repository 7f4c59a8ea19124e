// The interactive terminal: line editing and history (readline), a prompt
// that shows whether a command runs, and the procedures page edited in
// $EDITOR. Lines are read on a thread of their own and posted to the main
// loop. Ctrl+C reaches the main loop as a signal (ShutdownSignals.h).
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/ThreadQueue.h"

// Messages from the input to the main loop; the line and the page text
// travel as a std::string* in lParam that the loop deletes.
inline constexpr uint32_t kInputLine = 0x7301;
inline constexpr uint32_t kInputEnded = 0x7302;
inline constexpr uint32_t kProceduresEdited = 0x7304;
// One byte typed at the keyboard (wParam), for Logo waiting for a character.
inline constexpr uint32_t kTypedByte = 0x7305;

// The text of the procedures page, as last defined.
class ProceduresPage {
  public:
    std::string Text() const;
    void SetText(std::string text);
    // Adds text at the end, on a line of its own, with "\n" line ends (the
    // editor's).
    void Append(std::string_view text);

  private:
    mutable std::mutex lock_;
    std::string text_;
};

class InteractiveInput {
  public:
    static constexpr const char* kIdlePrompt = "? ";
    static constexpr const char* kRunningPrompt = "\xE2\x80\xA2 ";  // the running marker

    InteractiveInput(platform::ThreadId loop, ProceduresPage& page);
    ~InteractiveInput();
    InteractiveInput(const InteractiveInput&) = delete;
    InteractiveInput& operator=(const InteractiveInput&) = delete;

    void Start();
    void Stop();
    // Shows text above the line being edited.
    void Write(std::string_view text, std::FILE* stream = stdout);
    void SetRunning(bool running);
    // Ctrl+C: the line being edited is dropped and a fresh prompt shown.
    void DropLine();

  private:
    void Run();
    static void OnLine(char* line);
    static int EditProcedures(int count, int key);
    static int ReadByte(FILE* stream);

    platform::ThreadId loop_;
    ProceduresPage& page_;
    std::mutex lock_;  // readline is not thread-safe: every call holds this
    std::thread thread_;
    int wake_[2] = {-1, -1};
    bool installed_ = false;
    bool running_ = false;
    bool ended_ = false;  // Ctrl+D at an empty line: no more input
};
