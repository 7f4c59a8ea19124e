// The primitives that ask the main thread (keys, the wait for a character,
// the command centre and tool bars), run as Logo with the shipped names
// while the test's thread serves the channel as the main thread does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/NameTable.h"
#include "app/MainThreadChannel.h"
#include "box/BoxPrimitives.h"
#include "platform/ConfigStore.h"
#include "platform/DataFiles.h"
#include "platform/TextCatalog.h"
#include "platform/ThreadQueue.h"
#include "project/ProjectPrimitives.h"

namespace {

// Collects what tasks print; stopping Logo ends the waits for a character,
// as the front ends' hosts do.
class RequestsHost final : public TaskHost {
  public:
    void Print(std::string_view text) override {
        std::lock_guard<std::mutex> hold(lock_);
        text_ += text;
    }
    void TaskEnded() override { ++ended; }
    void TasksStopped() override { ReleaseKeyWaiters(); }
    std::string Text() {
        std::lock_guard<std::mutex> hold(lock_);
        return text_;
    }

    std::atomic<int> ended{0};

  private:
    std::mutex lock_;
    std::string text_;
};

// The interpreter as the program starts it (without a box), once.
bool StartInterpreter() {
    static const bool started = [] {
        const auto catalog = platform::FindDataFile(platform::kResourceFileName);
        std::string error;
        if (!catalog || !platform::ResourceLibrary().Load(*catalog, &error)) return false;
        platform::SetConfigDirectory(std::filesystem::temp_directory_path() /
                                     ("kinetra-computer-requests-" + std::to_string(::getpid())));
        LogoCoreSetup setup;
        setup.families = {CorePrimitiveFamily(), BoxPrimitiveFamily(), ProjectPrimitiveFamily()};
        return InitLogoCore(setup) == 1;
    }();
    return started;
}

constexpr uint32_t kServedRequests[] = {kKeyDown, kMouseDown, kShift, kCommandCentre, kToolBars};

class RequestsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(StartInterpreter()) << "run from the build's bin directory";
        ASSERT_TRUE(WaitForAllTasks(5000));
        SetMainThread(platform::CurrentThreadId());
        while (platform::TakeMessage(0)) {
        }
        SetTaskHost(&host_);
    }
    void TearDown() override {
        StopAll();
        EXPECT_TRUE(ServeUntil([] { return ListedTaskCount() == 0; }));
        EXPECT_EQ(KeyWaiterCount(), 0u);
        PumpMessages(0);
        for (uint32_t number : kServedRequests) SetRequestHandler(number, nullptr);
        SetTaskHost(nullptr);
        SetMainThread(0);
    }

    // Serves requests until the condition holds; false if it never does
    // within ten seconds.
    bool ServeUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 1000 && !done(); ++i) PumpMessages(10);
        return done();
    }

    // Runs the line as the command centre does and serves its requests until
    // it ends: what it printed, its error included.
    std::string Run(const std::string& line) {
        const std::string error = RunForCommandCentre(line);
        if (!error.empty()) return "returned: " + error;
        EXPECT_TRUE(ServeUntil([this] { return host_.ended > 0; })) << line;
        return host_.Text();
    }

    // A handler that answers every request with a new truth value.
    static void Answer(uint32_t number, bool value) {
        SetRequestHandler(number, [value](CallerRecord* caller, void*) {
            ReplyToCaller(caller, DefineBoolean("", value, kStateTemp));
        });
    }

    RequestsHost host_;
};

using ComputerRequests = RequestsTest;
using ComputerRequestsConcurrency = RequestsTest;  // run under ThreadSanitizer too
using WindowRequests = RequestsTest;

}  // namespace

TEST_F(ComputerRequests, KeyTestsOutputTheAnswerAndRaiseItsErrorWithTheirName) {
    Answer(kKeyDown, true);
    Answer(kMouseDown, false);
    SetRequestHandler(kShift,
                      [](CallerRecord* caller, void*) { ReplyToCaller(caller, ErrorHandle(-61)); });
    CHandleData* error = MakeError(-61, {"shift?"});
    const std::string raised = ErrorText(error);
    Release(error);
    EXPECT_EQ(Run("print key? print mousedown? print shift? print 1"),
              platform::ResourceText(kTextTrue) + "\r\n" + platform::ResourceText(kTextFalse) +
                  "\r\n" + raised);
}

// However the task is stopped, its wait for a character ends silently:
// stopping Logo after the main thread knows of the wait, while the request
// is still on its way there, or stopping the waiting task alone.
TEST_F(ComputerRequestsConcurrency, StoppingAWaitingTaskEndsItsWaitForACharacter) {
    enum Stop { AllWhileKnown, AllOnTheWay, TaskAlone };
    for (const Stop stop : {AllWhileKnown, AllOnTheWay, TaskAlone}) {
        const char* const kNames[] = {"all, known", "all, on its way", "the task alone"};
        SCOPED_TRACE(kNames[stop]);
        std::atomic<CLogoTask*> waiting{nullptr};
        std::atomic<bool> ended{false};
        int32_t error = 0;
        std::thread logo([&] {
            CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
            waiting = task;
            try {
                Release(task->RunText("print readchar print \"after"));
            } catch (const LogoError& e) {
                error = IsErrorNumber(e.handle) ? ErrorNumberOf(e.handle) : 1;
                Release(e.handle);
            }
            CLogoTask::Destroy(task);
            ended = true;
        });
        if (stop == AllOnTheWay) {
            // The request is taken off the queue, and served only after the stop.
            std::optional<platform::ThreadMessage> request;
            for (int i = 0; i < 1000 && !request; ++i) request = platform::TakeMessage(10);
            ASSERT_TRUE(request && request->number == kWaitCharacter);
            StopAll();
            DispatchMessage(*request);
        } else {
            ASSERT_TRUE(ServeUntil([] { return KeyWaiterCount() == 1; }));
            if (stop == TaskAlone)
                StopTask(waiting.load());
            else
                StopAll();
        }
        EXPECT_TRUE(ServeUntil([&] { return ended.load(); }));
        if (!ended) ReleaseKeyWaiters();  // so that a failing test still ends
        logo.join();
        EXPECT_EQ(error, kErrorStopRequest);
        EXPECT_EQ(host_.Text(), "");
        EXPECT_EQ(KeyWaiterCount(), 0u);
        EXPECT_FALSE(DeliverTypedCharacter("x")) << "the stopped task took a character";
    }
}

TEST_F(WindowRequests, TheBlocksCarryTheTokenOrTheWantedVisibility) {
    std::vector<int32_t> centre, tools;
    SetRequestHandler(kCommandCentre, [&](CallerRecord* caller, void* block) {
        centre.push_back(*static_cast<int32_t*>(block));
        ReplyToCaller(caller, nullptr);
    });
    SetRequestHandler(kToolBars, [&](CallerRecord* caller, void* block) {
        tools.push_back(*static_cast<int32_t*>(block));
        ReplyToCaller(caller, nullptr);
    });
    EXPECT_EQ(Run("cc hidecc showcc hidetools showtools"), "");
    EXPECT_EQ(centre, (std::vector<int32_t>{560, 561, 563}));
    EXPECT_EQ(tools, (std::vector<int32_t>{0, 1}));
}
