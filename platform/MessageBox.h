// Messages for the user that the system shows outside the command centre.
// The front end installs a sink; the default writes one line to standard
// error, starting with the kind: "error: ...", "warning: ...",
// "information: ...".
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

enum class MessageKind { Error, Warning, Information };

using MessageSink = std::function<void(MessageKind, std::string_view)>;

// Installs the sink; an empty one restores the default. Not thread-safe
// against ShowMessage: install at start-up.
void SetMessageSink(MessageSink sink);

void ShowMessage(MessageKind kind, std::string_view text);

// The message as the default sink writes it: "error: text", on one line
// with its line end.
std::string MessageLine(MessageKind kind, std::string_view text);

// Ends the process with the code, after flushing standard streams.
[[noreturn]] void ExitProcess(int code);

}  // namespace platform
