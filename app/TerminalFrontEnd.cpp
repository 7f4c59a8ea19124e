#include "app/TerminalFrontEnd.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/NameTable.h"
#include "app/MainThreadChannel.h"
#include "app/PipedInput.h"
#include "app/ShutdownSignals.h"
#include "app/TerminalInput.h"
#include "box/OutputCommands.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "platform/ThreadQueue.h"
#include "platform/Utf8.h"
#include "project/ProjectRequests.h"

namespace {

constexpr int kShutdownSeconds = 5;
constexpr int32_t kTokenClearCommandCentre = 560;

// The icon of a message box's style: stop, exclamation or information.
platform::MessageKind KindOfStyle(uintptr_t style) {
    switch (style & 0xF0) {
        case 0x10:
            return platform::MessageKind::Error;
        case 0x30:
            return platform::MessageKind::Warning;
        default:
            return platform::MessageKind::Information;
    }
}

// Where the view's text goes: straight out, or above readline's line.
std::function<void(std::string_view)> g_writer;

}  // namespace

// Collects the bytes of one UTF-8 character, then gives it to the Logo
// thread that has waited longest for one.
void DeliverByte(std::string& pending, char byte) {
    pending += byte;
    const auto lead = static_cast<unsigned char>(pending[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (pending.size() < length) return;
    if (KeyWaiterCount() > 0) DeliverTypedCharacter(pending);
    pending.clear();
}

// Piped input has no keyboard of its own: its characters are the keys, and
// each is taken once, in order. The Logo thread that has waited longest for
// a character takes the next one; with nobody waiting, the command centre
// takes the next line when no command runs. Otherwise the keys wait, as keys
// typed ahead: had they been typed ahead in the command centre, a task that
// asks for a character a moment after its line was read would never get one.
void FeedPipedKeys(std::string& keys, CommandCentre& centre) {
    while (!keys.empty()) {
        if (KeyWaiterCount() > 0) {
            const std::string_view key = platform::FirstCharacters(keys, 1);
            if (DeliverTypedCharacter(key)) {
                keys.erase(0, key.size());
                continue;
            }
        }
        if (centre.Running()) return;
        const std::size_t end = keys.find('\r');
        const std::size_t length = end == std::string::npos ? keys.size() : end + 1;
        const std::string line = keys.substr(0, length);
        keys.erase(0, length);
        centre.Type(line);
    }
}

namespace {

CHandleData* False() {
    return DefineBoolean("", false, kStateTemp);
}

}  // namespace

// The requests a terminal can answer: no key, mouse button or shift key
// can be seen held down; the command centre can be cleared but not hidden;
// there are no tool bars.
void RegisterTerminalRequests(CommandCentre& centre, bool interactive) {
    for (uint32_t number : {kKeyDown, kMouseDown, kShift})
        SetRequestHandler(number,
                          [](CallerRecord* caller, void*) { ReplyToCaller(caller, False()); });
    SetRequestHandler(kCommandCentre, [&centre, interactive](CallerRecord* caller, void* block) {
        if (block && *static_cast<int32_t*>(block) == kTokenClearCommandCentre) {
            centre.Clear();
            if (interactive) WriteToTerminal("\x1b[H\x1b[2J");
        }
        ReplyToCaller(caller, nullptr);
    });
    // The block is the wanted visibility (int32: 0 hide, 1 show); there are
    // no tool bars to hide or show.
    SetRequestHandler(kToolBars,
                      [](CallerRecord* caller, void*) { ReplyToCaller(caller, nullptr); });
    // Messages of the box link for the user: a text of the library, or a
    // text of its own (which the sender allocated as a std::string).
    SetNoticeHandler(kBoxMessage, [](const platform::ThreadMessage& notice) {
        platform::ShowMessage(KindOfStyle(notice.wParam),
                              platform::ResourceText(static_cast<int32_t>(notice.lParam)));
    });
    SetNoticeHandler(kBoxText, [](const platform::ThreadMessage& notice) {
        std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(notice.lParam));
        if (text) platform::ShowMessage(KindOfStyle(notice.wParam), *text);
    });
}

void RegisterProceduresPageRequests(std::function<void(std::string_view)> appendToPage) {
    SetRequestHandler(kInsertText, [appendToPage](CallerRecord* caller, void* block) {
        const auto* request = static_cast<InsertTextRequest*>(block);
        if (request->target == kProceduresTarget) {
            appendToPage(request->text);
            ReplyToCaller(caller, nullptr);
            return;
        }
        try {
            InsertIntoTarget(request->target, request->text);
            ReplyToCaller(caller, nullptr);
        } catch (const LogoError& error) {
            ReplyToCaller(caller, error.handle);
        }
    });
}

void TerminalHost::Print(std::string_view text) {
    if (platform::CurrentThreadId() == MainThread()) {
        centre_.Print(text);
        return;
    }
    std::string copy(text);
    try {
        CallMainThread(kPrint, &copy);
    } catch (const LogoError& e) {
        Release(e.handle);  // the task is being stopped; its text goes with it
    }
}

void TerminalHost::TaskEnded() {
    platform::PostThreadMessage(MainThread(), {kTaskEnded, 0, 0});
}

void TerminalHost::PageObjectTaskFinished(int32_t object) {
    platform::PostThreadMessage(MainThread(),
                                {kObjectTaskEnded, static_cast<uintptr_t>(object), 0});
}

void TerminalHost::TasksStopped() {
    ReleaseKeyWaiters();
}

void TerminalHost::AllOutputsOff() {
    ControlBox_AllOff();
}

void WriteToTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    if (g_writer) {
        g_writer(out);
        return;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

void RegisterCommandCentreRequests(CommandCentre& centre) {
    SetRequestHandler(kPrint, [&centre](CallerRecord* caller, void* block) {
        centre.Print(*static_cast<std::string*>(block));
        ReplyToCaller(caller, nullptr);
    });
    SetNoticeHandler(kTaskEnded,
                     [&centre](const platform::ThreadMessage&) { centre.CommandEnded(); });
}

void StopTasksAndWait() {
    StopAll();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kShutdownSeconds);
    while (ListedTaskCount() > 0 && std::chrono::steady_clock::now() < deadline) PumpMessages(20);
}

int RunTerminal(CommandCentre& centre, ProceduresPage& page, bool interactive) {
    RegisterCommandCentreRequests(centre);
    RegisterProceduresPageRequests([&page](std::string_view text) { page.Append(text); });

    // The new line before a prompt is the interactive terminal's own:
    // piped output is exactly what the program printed.
    centre.StartTypedLinesOnNewLine(true, interactive);
    RegisterTerminalRequests(centre, interactive);

    const platform::ThreadId loop = platform::CurrentThreadId();
    ShutdownSignalWatch signals(loop);
    std::string pendingCharacter;
    std::unique_ptr<InteractiveInput> terminal;
    std::unique_ptr<PipedInput> piped;
    if (interactive) {
        terminal = std::make_unique<InteractiveInput>(loop, page);
        g_writer = [&](std::string_view text) { terminal->Write(text); };
        // A message may come while a line is being typed: it goes above it.
        platform::SetMessageSink([&](platform::MessageKind kind, std::string_view text) {
            terminal->Write(platform::MessageLine(kind, text), stderr);
        });
        terminal->Start();
    } else {
        piped = std::make_unique<PipedInput>(loop);
    }

    int status = 0;
    bool inputEnded = false;
    std::string pipedKeys;
    while (status == 0 &&
           !(inputEnded && !centre.Running() && !centre.TypeAheadPending() && pipedKeys.empty())) {
        const platform::ThreadMessage message = platform::WaitMessage();
        std::unique_ptr<std::string> text;
        switch (message.number) {
            case kInputLine:
                text.reset(reinterpret_cast<std::string*>(message.lParam));
                if (interactive)
                    centre.Type(*text + "\r");
                else
                    pipedKeys += *text + "\r";
                break;
            case kTypedByte:
                DeliverByte(pendingCharacter, static_cast<char>(message.wParam));
                break;
            case kInputEnded:
                inputEnded = true;
                break;
            case kShutdownSignal:
                // At the terminal Ctrl+C is the user's stop key; otherwise a
                // signal ends Kinetra, as the shell's convention numbers it.
                if (interactive && message.wParam == SIGINT) {
                    StopEverything();
                    terminal->DropLine();
                } else {
                    status = 128 + static_cast<int>(message.wParam);
                }
                break;
            case kProceduresEdited:
                text.reset(reinterpret_cast<std::string*>(message.lParam));
                page.SetText(*text);
                DefineProcedures(*text, false);
                break;
            default:
                DispatchMessage(message);
        }
        if (!interactive) {
            FeedPipedKeys(pipedKeys, centre);
            // No key will come any more: a wait for one ends as if Logo were stopped.
            if (inputEnded && pipedKeys.empty() && KeyWaiterCount() > 0) ReleaseKeyWaiters();
        }
        if (terminal) terminal->SetRunning(centre.Running());
    }
    // Tasks launched in the background, and after a signal the command
    // too, are stopped; they may still be reporting through this loop.
    StopTasksAndWait();
    if (terminal) {
        platform::SetMessageSink({});
        terminal->Stop();
    }
    g_writer = nullptr;
    if (piped) piped->Stop();
    return status;
}
