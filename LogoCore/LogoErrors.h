// Errors of the interpreter: Logo errors, raised as a handle (an error
// value or a bare negative error number), and internal faults, raised as a
// message text.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class CHandleData;

// A Logo error in flight. It owns the handle: whoever catches it and does
// not raise it again releases the handle (Release ignores error numbers).
struct LogoError {
    CHandleData* handle;
};

// An internal fault; fatal for the task that meets it.
class InternalError : public std::runtime_error {
  public:
    explicit InternalError(const std::string& text) : std::runtime_error(text) {}
};

// Error numbers that are signals rather than errors.
inline constexpr int32_t kErrorOutputSignal = -24;
inline constexpr int32_t kErrorStopRequest = -65;

// Message ids of the resource library.
inline constexpr int32_t kErrorMessageBase = 20000;
inline constexpr int32_t kTextTrue = 1000;
inline constexpr int32_t kTextFalse = 1001;
inline constexpr int32_t kTextNotAvailable = 2190;

// An error value from an error number (message 20000 + |n|) or an existing
// error value (its text; the value is released), formatted with the
// arguments and ended with "\r\n". 0 gives 0; -24 and -65 come back as they
// are; -7 when the value cannot be made. The caller owns the result.
CHandleData* MakeError(CHandleData* numberOrError, const std::vector<std::string>& arguments = {});
CHandleData* MakeError(int32_t number, const std::vector<std::string>& arguments = {});

// The text to show for an error handle; empty for anything that is not an
// error and for the two signals; "Error %d\r\n" when the library has no text.
std::string ErrorText(const CHandleData* h);

// Raising.
[[noreturn]] void RaiseError(int32_t number);  // a bare error number
[[noreturn]] void RaiseError(int32_t number, const std::vector<std::string>& arguments);
[[noreturn]] void RaiseInternal(const std::string& text);
// Raises an error handle that someone else holds (an error item of a body,
// a compiled error): the exception gets a reference of its own.
[[noreturn]] void RaiseShared(CHandleData* error);

// Message texts end their line with "\r\n".
bool EndsWithLineEnd(const std::string& text);
std::string WithoutLineEnd(std::string text);  // one "\r\n" less
std::string WithLineEnd(std::string text);     // one "\r\n" when missing
