// A small vocabulary for running Logo in tests and benchmarks before the real primitive
// library exists, and a task host that captures what tasks print.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"

class CaptureHost : public TaskHost {
  public:
    CaptureHost();
    ~CaptureHost() override;
    void Print(std::string_view text) override;
    void TaskEnded() override;

    std::string Text();
    int Ended();
    // Waits until at least n tasks reported their end; false on time-out.
    bool WaitForEnded(int n, int milliseconds = 10000);
    void Clear();

  private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::string text_;
    int ended_ = 0;
};

// Registers the test vocabulary once: to end stop output op print sum
// difference product run if ifelse make local thing wait launch forever
// and the infix operators.
void RegisterTestPrimitives();

// Compiles and runs text on a fresh listed task in this thread; returns
// the result (caller releases) or raises.
CHandleData* RunHere(const std::string& text);
// Runs text and returns the text of the error it raised ("" if none).
std::string ErrorOf(const std::string& text);
// Defines procedures; the text of the error that stopped it, or "".
std::string Define(const std::string& text);
// The message of error n with its arguments, as tasks print it.
std::string Message(int n, const std::vector<std::string>& args = {});

// The text of the Logo error a C++ call raises; empty when it raises none.
template <typename Call>
std::string ErrorTextOf(Call call) {
    try {
        call();
    } catch (const LogoError& e) {
        std::string text = ErrorText(e.handle);
        Release(e.handle);
        return text;
    }
    return {};
}
