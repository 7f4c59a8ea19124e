// The note primitive on a recording MIDI device: what it sends, its
// errors, a stop in the middle of a note, and two tasks playing at once.
#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CoreVocabulary.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoTestPrimitives.h"
#include "platform/MidiOutput.h"

namespace {

using Texts = std::vector<std::string>;

struct Call {
    std::thread::id thread;
    int device;
    std::string text;
};

// Every call of every device made, in the order they came.
struct Recorder {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Call> calls;
    int devices = 0;

    Texts Sent() {
        std::lock_guard<std::mutex> guard(lock);
        Texts texts;
        for (const Call& call : calls) texts.push_back(call.text);
        return texts;
    }
    // At most 10 s, against a hang.
    bool WaitFor(const std::string& text) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, std::chrono::seconds(10), [&] {
            for (const Call& call : calls)
                if (call.text == text) return true;
            return false;
        });
    }
};

class RecordingDevice : public platform::MidiDevice {
  public:
    RecordingDevice(Recorder& recorder, int id, bool noteOnWorks)
        : recorder_(recorder), id_(id), noteOnWorks_(noteOnWorks) {}
    bool ProgramChange(int channel, int program) override {
        return Add("program", {channel, program});
    }
    bool NoteOn(int channel, int pitch, int velocity) override {
        return Add("on", {channel, pitch, velocity}) && noteOnWorks_;
    }
    bool NoteOff(int channel, int pitch, int velocity) override {
        return Add("off", {channel, pitch, velocity});
    }
    bool Reset() override { return Add("reset", {}); }
    bool Close() override { return Add("close", {}); }

  private:
    bool Add(std::string text, std::initializer_list<int> numbers) {
        for (int number : numbers) text += " " + std::to_string(number);
        std::lock_guard<std::mutex> guard(recorder_.lock);
        recorder_.calls.push_back({std::this_thread::get_id(), id_, text});
        recorder_.changed.notify_all();
        return true;
    }
    Recorder& recorder_;
    int id_;
    bool noteOnWorks_;
};

class SoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseCoreVocabulary();
        InstallDevices(true);
    }
    void TearDown() override { platform::SetMidiOutputFactory({}); }

    void InstallDevices(bool noteOnWorks) {
        platform::SetMidiOutputFactory([this, noteOnWorks] {
            std::lock_guard<std::mutex> guard(recorder_.lock);
            return std::make_unique<RecordingDevice>(recorder_, ++recorder_.devices, noteOnWorks);
        });
    }

    // Runs the text in a task of its own on another thread; the error
    // number it ended with, or 0.
    std::future<int32_t> Play(CLogoTask* task, const std::string& text) {
        return std::async(std::launch::async, [task, text] {
            int32_t number = 0;
            try {
                Release(task->RunText(text));
            } catch (const LogoError& e) {
                number = IsErrorNumber(e.handle) ? ErrorNumberOf(e.handle) : 1;
                Release(e.handle);
            }
            return number;
        });
    }

    Recorder recorder_;
};

}  // namespace

TEST_F(SoundTest, ANoteSelectsTheProgramPlaysAtFullVelocityAndEndsWithANoteOff) {
    EXPECT_EQ(RunLogo("note 60 2"), "");
    EXPECT_EQ(recorder_.Sent(), (Texts{"program 0 80", "on 0 60 127", "off 0 60 0", "close"}));
    EXPECT_EQ(RunLogo("note 1 1 note 127 1"), "") << "both ends of the pitch range";
    EXPECT_EQ(recorder_.devices, 3) << "each note opens the output anew";
}

TEST_F(SoundTest, APitchOutsideOneTo127OrADurationBelowOneIsAWrongInput) {
    EXPECT_EQ(ErrorOf("note 0 2"), Message(-4, {"note", "0"}));
    EXPECT_EQ(ErrorOf("note 128 2"), Message(-4, {"note", "128"}));
    EXPECT_EQ(ErrorOf("note 60 0"), Message(-4, {"note", "0"}));
    EXPECT_EQ(ErrorOf("note 60 -3"), Message(-4, {"note", "-3"}));
    EXPECT_EQ(recorder_.devices, 0) << "the output is not opened for a wrong input";
}

TEST_F(SoundTest, NoOutputOrAFailedNoteOnMeansNoMidi) {
    platform::SetMidiOutputFactory([] { return std::unique_ptr<platform::MidiDevice>(); });
    EXPECT_EQ(ErrorOf("note 60 1"), Message(-78));
    InstallDevices(false);
    EXPECT_EQ(ErrorOf("note 60 1"), Message(-78));
    EXPECT_EQ(recorder_.Sent(), (Texts{"program 0 80", "on 0 60 127", "close"}));
}

TEST_F(SoundTest, AStopDuringTheNoteSilencesResetsAndClosesTheOutput) {
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
    std::future<int32_t> ended = Play(task, "note 64 600");
    ASSERT_TRUE(recorder_.WaitFor("on 0 64 127"));
    task->RequestStop(kStopThisTask);
    EXPECT_EQ(ended.get(), kErrorStopRequest);
    CLogoTask::Destroy(task);
    EXPECT_EQ(recorder_.Sent(),
              (Texts{"program 0 80", "on 0 64 127", "off 0 64 0", "reset", "close"}));
}

// Each device's four calls, from opening to closing, come as one run from
// one thread: no note of one task sounds within another's.
TEST_F(SoundTest, ConcurrencyOfTwoPlayingTasksPlaysTheirNotesOneAfterAnother) {
    std::promise<void> start;
    std::shared_future<void> go = start.get_future().share();
    auto play = [go](int pitch) {
        go.wait();
        for (int i = 0; i < 3; ++i) Release(RunHere("note " + std::to_string(pitch) + " 1"));
    };
    std::thread first(play, 60), second(play, 72);
    start.set_value();
    first.join();
    second.join();

    const std::vector<Call> calls = recorder_.calls;
    ASSERT_EQ(calls.size(), 24u);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Call& opening = calls[i - i % 4];
        EXPECT_EQ(calls[i].device, opening.device) << "call " << i << ": " << calls[i].text;
        EXPECT_EQ(calls[i].thread, opening.thread) << "call " << i << ": " << calls[i].text;
    }
}

// The waiting task types a word just before its note. One that ignored its
// stop would wait until the other note ends, a minute later.
TEST_F(SoundTest, ConcurrencyOfATaskStoppedWhileAnotherPlaysEndsItsWaitWithoutPlaying) {
    CaptureHost host;
    CLogoTask* player = CLogoTask::Create(DefaultSelection(), true);
    CLogoTask* waiter = CLogoTask::Create(DefaultSelection(), true);
    std::future<int32_t> played = Play(player, "note 50 600");
    ASSERT_TRUE(recorder_.WaitFor("on 0 50 127"));
    std::future<int32_t> waited = Play(waiter, "type \"waiting note 70 1");
    for (int i = 0; i < 1000 && host.Text().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    waiter->RequestStop(kStopThisTask);
    EXPECT_EQ(waited.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    player->RequestStop(kStopThisTask);
    EXPECT_EQ(waited.get(), kErrorStopRequest);
    EXPECT_EQ(played.get(), kErrorStopRequest);
    CLogoTask::Destroy(waiter);
    CLogoTask::Destroy(player);
    EXPECT_EQ(host.Text(), "waiting");
    EXPECT_EQ(recorder_.Sent(),
              (Texts{"program 0 80", "on 0 50 127", "off 0 50 0", "reset", "close"}));
}
