#include "app/TerminalFrontEnd.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/NameTable.h"
#include "app/MainThreadChannel.h"
#include "app/TerminalInput.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "platform/ThreadQueue.h"

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

void ReadInput(platform::ThreadId loop) {
    std::string line;
    while (std::getline(std::cin, line)) {
        auto* copy = new std::string(std::move(line));
        if (!platform::PostThreadMessage(loop, {kInputLine, 0, reinterpret_cast<intptr_t>(copy)}))
            delete copy;
    }
    platform::PostThreadMessage(loop, {kInputEnded, 0, 0});
}

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

void TerminalHost::TasksStopped() {
    ReleaseKeyWaiters();
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

int RunTerminal(CommandCentre& centre, ProceduresPage& page, bool interactive) {
    SetRequestHandler(kPrint, [&](CallerRecord* caller, void* block) {
        centre.Print(*static_cast<std::string*>(block));
        ReplyToCaller(caller, nullptr);
    });
    SetNoticeHandler(kTaskEnded, [&](const platform::ThreadMessage&) { centre.CommandEnded(); });

    RegisterTerminalRequests(centre, interactive);

    const platform::ThreadId loop = platform::CurrentThreadId();
    std::string pendingCharacter;
    std::unique_ptr<InteractiveInput> terminal;
    std::thread piped;
    if (interactive) {
        terminal = std::make_unique<InteractiveInput>(loop, page);
        g_writer = [&](std::string_view text) { terminal->Write(text); };
        terminal->Start();
    } else {
        piped = std::thread(ReadInput, loop);
    }

    bool inputEnded = false;
    while (!(inputEnded && !centre.Running() && !centre.TypeAheadPending())) {
        const platform::ThreadMessage message = platform::WaitMessage();
        std::unique_ptr<std::string> text;
        switch (message.number) {
            case kInputLine:
                text.reset(reinterpret_cast<std::string*>(message.lParam));
                // Piped input has no keys of its own: its characters are typed.
                if (!interactive)
                    for (char c : *text + "\r") DeliverByte(pendingCharacter, c);
                centre.Type(*text + "\r");
                break;
            case kTypedByte:
                DeliverByte(pendingCharacter, static_cast<char>(message.wParam));
                break;
            case kInputEnded:
                inputEnded = true;
                break;
            case kInterrupt:
                StopAll();
                break;
            case kProceduresEdited:
                text.reset(reinterpret_cast<std::string*>(message.lParam));
                page.SetText(*text);
                DefineProcedures(*text, false);
                break;
            default:
                DispatchMessage(message);
        }
        if (terminal) terminal->SetRunning(centre.Running());
    }
    // The command has ended, but its task may still be reporting through
    // this loop; tasks launched in the background are stopped.
    StopAll();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kShutdownSeconds);
    while (ListedTaskCount() > 0 && std::chrono::steady_clock::now() < deadline) PumpMessages(20);
    if (terminal) terminal->Stop();
    g_writer = nullptr;
    if (piped.joinable()) piped.join();
    return 0;
}
