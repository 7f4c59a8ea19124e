// Tasks: the task list, starting and stopping, and the end-of-task report.
#include "LogoCore/LogoTask.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>

#include "LogoCore/Evaluator.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoProcedure.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/ProjectAccess.h"
#include "LogoCore/VariableList.h"
#include "platform/ConfigStore.h"
#include "platform/FatalSignals.h"
#include "platform/MessageBox.h"
#include "platform/Priority.h"
#include "platform/TextCatalog.h"
#include "platform/Threads.h"

// Signalled when a task's thread has freed the task, so that another
// thread can wait for it without touching the freed task.
struct TaskCompletion {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
};

namespace {

constexpr int32_t kTextUnusedValue = 20047;
constexpr int32_t kErrorSilentEnd = -8;

// The task list and the default selection, shared by the main thread and
// every task thread.
struct TaskRegistry {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<CLogoTask*> listed;
    TalkToContext defaultSelection;
};

TaskRegistry& Registry() {
    static TaskRegistry registry;
    return registry;
}

class StdoutHost final : public TaskHost {
  public:
    void Print(std::string_view text) override {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
};

std::atomic<TaskHost*> g_host{nullptr};

bool EndsSilently(CHandleData* result) {
    return result == ErrorHandle(kErrorStopRequest) || result == ErrorHandle(kErrorOutputSignal) ||
           result == ErrorHandle(kErrorSilentEnd);
}

}  // namespace

void TalkToContext::Forget(int32_t object) {
    for (int32_t* slot : {&pictureBox, &button, &textBox, &graph, &slider, &monitor, &textHolder,
                          &colourHolder, &currentObject})
        if (*slot == object) *slot = 0;
}

void TalkToContext::Store(int32_t type, int32_t object) {
    // Page-object type codes.
    enum : int32_t {
        kPictureBox = 1,
        kGraph = 2,
        kButton = 3,
        kSlider = 4,
        kMonitor = 6,
        kTextBox = 7
    };
    switch (type) {
        case kPictureBox:
            pictureBox = object;
            break;
        case kGraph:
            graph = object;
            colourHolder = object;
            break;
        case kButton:
            button = object;
            break;
        case kSlider:
            slider = object;
            break;
        case kMonitor:
            monitor = object;
            textHolder = object;
            colourHolder = object;
            break;
        case kTextBox:
            textBox = object;
            textHolder = object;
            colourHolder = object;
            break;
        default:
            return;  // no kind that any primitive addresses
    }
    currentObject = object;
}

void SetTaskHost(TaskHost* host) {
    g_host.store(host);
}

TaskHost& CurrentTaskHost() {
    static StdoutHost fallback;
    TaskHost* host = g_host.load();
    return host ? *host : fallback;
}

CLogoTask* CLogoTask::Create(const TalkToContext& selection, bool listed, bool commandLine,
                             const CLogoTask* parent) {
    TaskRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    // Stop-all marks the listed tasks under this lock, so a parent it has
    // marked is seen here, and a child made before it is on the list it walks.
    if (parent && parent->StopRequested()) RaiseError(kErrorStopRequest);
    if (registry.listed.size() >= kMaxTasks && !commandLine) RaiseError(kErrorTooManyTasks);
    auto* task = new CLogoTask(selection, listed);
    task->commandLine_ = commandLine && !listed;
    if (listed) registry.listed.push_back(task);
    return task;
}

CLogoTask::CLogoTask(const TalkToContext& selection, bool listed)
    : scope_(&GlobalScope()), listed_(listed), selection_(selection) {}

CLogoTask::~CLogoTask() {
    if (pageObject_) CurrentTaskHost().PageObjectTaskFinished(pageObject_);
    if (IsCell(code_)) {
        // Names this code made while it was read may go when procedures
        // are next defined.
        if (code_->Type() == kTypeProcedure) {
            CLogoProcedure* procedure = code_->Procedure();
            for (int32_t i = 0; i < procedure->BodyLength(); ++i) {
                CHandleData* item = procedure->Body()[i];
                if (!IsCell(item)) continue;
                for (int32_t state : {kStateUser, kStateTask, kStateLocal})
                    item->SetState(kStateTemp, true, state);
            }
        }
        Release(code_);
    }
    Release(lastError_);
    Release(reportedError_);
    Release(output_);
    listCode_.Clear();
    while (scope_ != &GlobalScope()) PopScope();
    for (CVariableList* scope : spareScopes_) delete scope;
    // Procedures removed while this task held them may be garbage now.
    CollectRemovedProcedures();
    // Last: a task off the list has let go of everything shared, so whoever
    // waits for the list to empty may tear the interpreter down.
    if (listed_) {
        TaskRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.lock);
        auto& tasks = registry.listed;
        tasks.erase(std::remove(tasks.begin(), tasks.end(), this), tasks.end());
        registry.changed.notify_all();
    }
}

void CLogoTask::Destroy(CLogoTask* task) {
    std::shared_ptr<TaskCompletion> completion;
    {
        // A listed task is alive while the lock is held: it leaves the list
        // under this lock before it is freed.
        TaskRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.lock);
        const auto& tasks = registry.listed;
        if (std::find(tasks.begin(), tasks.end(), task) != tasks.end() && task->completion_) {
            completion = task->completion_;
            task->RequestStop(kBeingDestroyed);
        }
    }
    if (!completion) {
        delete task;  // it has no thread: ours to free
        return;
    }
    // A running task is never killed: it was asked to stop and frees itself.
    std::unique_lock<std::mutex> lock(completion->lock);
    completion->ended.wait_for(lock, std::chrono::milliseconds(5000),
                               [&] { return completion->done; });
}

void CLogoTask::Start(CHandleData* code) {
    Reference(code);
    code_ = code;
    int32_t priority = 2;
    platform::ReadMachineNumber("Tasking\\Logo", 2, &priority);
    bool started = false;
    if (!StopRequested()) {
        completion_ = std::make_shared<TaskCompletion>();
        started = platform::StartDetachedThread([this, priority] {
            platform::PrepareThreadForFaults();
            platform::SetThreadPriority(priority);
            Run();
        });
        if (!started) completion_.reset();
    }
    if (!started) {
        if (notifyOnEnd_) CurrentTaskHost().TaskEnded();
        delete this;
        RaiseError(kErrorTooManyTasks);
    }
}

void CLogoTask::Launch(CHandleData* code, bool notify) {
    if (IsError(code)) RaiseShared(code);
    CLogoTask* task = Create(selection_, true, commandLine_, this);
    task->notifyOnEnd_ = notify;
    task->pageObject_ = pageObject_;
    task->Start(code);
}

void CLogoTask::Run() {
    CHandleData* result = nullptr;
    if (!StopRequested()) {
        try {
            CHandleData* none[] = {nullptr};
            result = Execute(code_->Procedure(), this, none, code_->Name());
        } catch (const LogoError& e) {
            result = e.handle;
        } catch (const InternalError& e) {
            platform::ShowMessage(platform::MessageKind::Error, std::string("Error: ") + e.what());
        } catch (const std::bad_alloc&) {
            result = ErrorHandle(-12);
        } catch (...) {
            platform::ShowMessage(platform::MessageKind::Error, "Fatal Error in logo core.");
            std::abort();
        }
    }
    // The report comes before the notice of the end: the next command line
    // may start on that notice, and its output must not overtake ours.
    Report(result);
    Release(result);
    if (notifyOnEnd_) {
        SetDefaultSelection(selection_);
        CurrentTaskHost().TaskEnded();
    }
    if (pageObject_) CurrentTaskHost().PageObjectTaskFinished(pageObject_);
    pageObject_ = 0;
    platform::SleepMilliseconds(5);
    std::shared_ptr<TaskCompletion> completion = completion_;
    delete this;
    std::lock_guard<std::mutex> guard(completion->lock);
    completion->done = true;
    completion->ended.notify_all();
}

void CLogoTask::Report(CHandleData* result) {
    if (!result || EndsSilently(result)) return;
    if (IsError(result)) {
        CurrentTaskHost().Print(WithLineEnd(ErrorText(result)));
        return;
    }
    CurrentTaskHost().Print(platform::FormatResource(kTextUnusedValue, {GetString(result, false)}) +
                            "\r\n");
}

CHandleData* CLogoTask::TakeOutput() {
    CHandleData* value = output_;
    output_ = nullptr;
    return value;
}

void CLogoTask::SetOutput(CHandleData* value) {
    Release(output_);
    output_ = value;
}

void CLogoTask::SetLastError(CHandleData* error) {
    Release(lastError_);
    lastError_ = error;
}

void CLogoTask::PushScope(CVariableList* scope) {
    scope->SetParent(scope_);
    scope_ = scope;
}

CVariableList* CLogoTask::NewScope() {
    if (spareScopes_.empty()) return new CVariableList(nullptr, false);
    CVariableList* scope = spareScopes_.back();
    spareScopes_.pop_back();
    return scope;
}

void CLogoTask::PopScope() {
    // As many spares as a recursion of this depth wants again, within
    // reason: a deep one that has ended need not keep its scopes.
    constexpr std::size_t kMostSpareScopes = 64;
    CVariableList* old = scope_;
    scope_ = old->Parent();
    if (spareScopes_.size() >= kMostSpareScopes) {
        delete old;
        return;
    }
    old->Clear();
    old->SetParent(nullptr);
    spareScopes_.push_back(old);
}

void CLogoTask::BindInput(std::string_view name, CHandleData* value) {
    scope_->Declare(name, value, kStateLocal);  // replaces a variable of the name
}

void CLogoTask::RebindInput(std::string_view name, CHandleData* value) {
    scope_->Rebind(name, value, kStateLocal);
}

void CLogoTask::MakeLocal(std::string_view name) {
    if (scope_ == &GlobalScope()) RaiseError(-16);
    scope_->Declare(name, nullptr, kStateLocal);
}

CHandleData* CLogoTask::FindVariable(std::string_view name) {
    return scope_->Find(name);
}

void StopTask(CLogoTask* task) {
    task->RequestStop(kStopThisTask);
}

void StopAll() {
    {
        TaskRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.lock);
        for (CLogoTask* task : registry.listed) task->RequestStop(kStopAllTasks);
    }
    CurrentTaskHost().TasksStopped();
}

void StopEverything() {
    StopAll();
    CurrentTaskHost().AllOutputsOff();
    if (std::shared_ptr<ProjectAccess> project = OpenProject()) project->RefreshMonitors();
}

bool WaitForAllTasks(int milliseconds) {
    TaskRegistry& registry = Registry();
    std::unique_lock<std::mutex> lock(registry.lock);
    return registry.changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                     [&] { return registry.listed.empty(); });
}

int ListedTaskCount() {
    TaskRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return static_cast<int>(registry.listed.size());
}

TalkToContext DefaultSelection() {
    TaskRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.defaultSelection;
}

void SetDefaultSelection(const TalkToContext& selection) {
    TaskRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.defaultSelection = selection;
}

void ForgetObject(int32_t object) {
    TaskRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.defaultSelection.Forget(object);
    for (CLogoTask* task : registry.listed) task->Selection().Forget(object);
}
