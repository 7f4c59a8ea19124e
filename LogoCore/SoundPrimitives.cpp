// The primitives of the MIDI note.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/PrimitiveFamilies.h"
#include "LogoCore/PrimitiveSupport.h"
#include "platform/MidiOutput.h"

namespace {

using namespace std::chrono_literals;

constexpr int32_t kErrorNoMidiOutput = -78;
constexpr int kChannel = 0;
constexpr int kProgram = 80;
constexpr int kVelocity = 127;
constexpr auto kStep = 100ms;

// One note at a time, from opening the output to closing it. Every task
// plays on the same channel of the same synthesiser, so notes that
// overlapped would not be heard as two tunes: a stopped task's reset would
// silence the other's note, and one note's end would cut off another of the
// same pitch. A student who launches two tunes expects each note to sound
// whole, as if played in turn; so a task that wants to play while another
// does waits for that note to end.
// (A flag under a plain mutex rather than a timed mutex: the thread checker
// of our tool chain cannot follow timed locking and reports false errors.)
class NoteTurn {
  public:
    // Waits for the turn, looking at the task's stop request every step.
    explicit NoteTurn(CLogoTask* task) {
        std::unique_lock<std::mutex> hold(lock_);
        while (playing_) {
            CheckStopRequest(task);
            freed_.wait_for(hold, kStep);
        }
        playing_ = true;
    }
    ~NoteTurn() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            playing_ = false;
        }
        freed_.notify_all();
    }
    NoteTurn(const NoteTurn&) = delete;
    NoteTurn& operator=(const NoteTurn&) = delete;

  private:
    static inline std::mutex lock_;
    static inline std::condition_variable freed_;
    static inline bool playing_ = false;
};

// Note (51): pitch 1..127 for duration tenths of a second.
CHandleData* Note(CLogoTask* task, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const int32_t pitch = GetInteger(in[0], false);
    const int32_t duration = GetInteger(in[1], false);
    if (pitch < 1 || pitch > 127) RaiseWrongInput(calledName, std::to_string(pitch));
    if (duration < 1) RaiseWrongInput(calledName, std::to_string(duration));

    const NoteTurn turn(task);
    const std::unique_ptr<platform::MidiDevice> device = platform::OpenDefaultMidiOutput();
    if (!device) RaiseError(kErrorNoMidiOutput);
    // A synthesiser without that program still plays the note.
    device->ProgramChange(kChannel, kProgram);
    if (!device->NoteOn(kChannel, pitch, kVelocity)) {
        device->Close();
        RaiseError(kErrorNoMidiOutput);
    }

    // Steps against one end time, so that late wake-ups do not add up.
    const auto end = std::chrono::steady_clock::now() + duration * kStep;
    for (auto left = end - std::chrono::steady_clock::now(); left > 0ms;
         left = end - std::chrono::steady_clock::now()) {
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kStep));
        if (task->StopRequested()) {
            device->NoteOff(kChannel, pitch, 0);
            device->Reset();
            device->Close();
            RaiseError(kErrorStopRequest);
        }
    }
    device->NoteOff(kChannel, pitch, 0);
    device->Close();
    return nullptr;
}

// clang-format off
constexpr PrimitiveRow kRows[] = {
    FixedRow(Note, 51, 0, 2),
};
// clang-format on

}  // namespace

PrimitiveFamily SoundPrimitives() {
    return {kRows, {}};
}
