#include "app/TerminalFrontEnd.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/MainThreadCall.h"
#include "app/MainThreadChannel.h"
#include "platform/ThreadQueue.h"

namespace {

// Messages of this front end's own, between the input thread and the loop.
constexpr uint32_t kInputLine = 0x7301;
constexpr uint32_t kInputEnded = 0x7302;
constexpr int kShutdownSeconds = 5;

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
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

int RunTerminal(CommandCentre& centre) {
    SetRequestHandler(kPrint, [&](CallerRecord* caller, void* block) {
        centre.Print(*static_cast<std::string*>(block));
        ReplyToCaller(caller, nullptr);
    });
    SetNoticeHandler(kTaskEnded, [&](const platform::ThreadMessage&) { centre.CommandEnded(); });

    std::thread input(ReadInput, platform::CurrentThreadId());
    bool inputEnded = false;
    while (!(inputEnded && !centre.Running() && !centre.TypeAheadPending())) {
        const platform::ThreadMessage message = platform::WaitMessage();
        if (message.number == kInputLine) {
            std::unique_ptr<std::string> line(reinterpret_cast<std::string*>(message.lParam));
            centre.Type(*line + "\r");
        } else if (message.number == kInputEnded) {
            inputEnded = true;
        } else {
            DispatchMessage(message);
        }
    }
    input.join();
    // The command has ended, but its task may still be reporting through
    // this loop; tasks launched in the background are stopped.
    StopAll();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kShutdownSeconds);
    while (ListedTaskCount() > 0 && std::chrono::steady_clock::now() < deadline) PumpMessages(20);
    return 0;
}
