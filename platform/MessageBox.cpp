#include "platform/MessageBox.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>

namespace platform {

namespace {

std::mutex gSinkLock;
MessageSink gSink;

const char* KindName(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error:
            return "error";
        case MessageKind::Warning:
            return "warning";
        case MessageKind::Information:
            return "information";
    }
    return "information";
}

}  // namespace

// One line per message, so that a log of standard error reads line by line.
std::string MessageLine(MessageKind kind, std::string_view text) {
    // One line break at the end is the line's own end, not a blank.
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        text.remove_suffix(2);
    else if (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    std::string line = KindName(kind);
    line += ": ";
    for (char c : text) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
    line += '\n';
    return line;
}

namespace {

void WriteToStandardError(MessageKind kind, std::string_view text) {
    const std::string line = MessageLine(kind, text);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

void SetMessageSink(MessageSink sink) {
    std::lock_guard<std::mutex> hold(gSinkLock);
    gSink = std::move(sink);
}

void ShowMessage(MessageKind kind, std::string_view text) {
    MessageSink sink;
    {
        std::lock_guard<std::mutex> hold(gSinkLock);
        sink = gSink;
    }
    if (sink)
        sink(kind, text);
    else
        WriteToStandardError(kind, text);
}

void ExitProcess(int code) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(code);
}

}  // namespace platform
