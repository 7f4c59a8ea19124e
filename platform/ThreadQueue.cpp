#include "platform/ThreadQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

struct Queue {
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<ThreadMessage> messages;
    // Set under the lock when the thread ends, so that a post racing with
    // the end either lands before it or reports failure.
    bool closed = false;
    // An eventfd written on every post once a loop asked for it.
    int wakeFd = -1;
};

struct Registry {
    std::mutex lock;
    std::unordered_map<ThreadId, std::shared_ptr<Queue>> queues;
};

// Never destroyed: threads may still end (and unregister) while static
// objects are being torn down at exit.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

std::shared_ptr<Queue> FindQueue(ThreadId thread) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    auto found = registry.queues.find(thread);
    return found == registry.queues.end() ? nullptr : found->second;
}

// The calling thread's id and queue; registers on construction and
// unregisters when the thread ends.
class ThreadState {
  public:
    ThreadState() : id_(nextId_.fetch_add(1)), queue_(std::make_shared<Queue>()) {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> hold(registry.lock);
        registry.queues.emplace(id_, queue_);
    }
    ~ThreadState() {
        {
            Registry& registry = TheRegistry();
            std::lock_guard<std::mutex> hold(registry.lock);
            registry.queues.erase(id_);
        }
        std::lock_guard<std::mutex> hold(queue_->lock);
        queue_->closed = true;
        queue_->messages.clear();
        if (queue_->wakeFd >= 0) ::close(queue_->wakeFd);
        queue_->wakeFd = -1;
    }
    ThreadState(const ThreadState&) = delete;
    ThreadState& operator=(const ThreadState&) = delete;

    ThreadId Id() const { return id_; }
    Queue& Messages() { return *queue_; }

  private:
    static inline std::atomic<ThreadId> nextId_{1};
    ThreadId id_;
    std::shared_ptr<Queue> queue_;
};

ThreadState& Current() {
    thread_local ThreadState state;
    return state;
}

ThreadMessage PopFront(Queue& queue) {
    ThreadMessage message = queue.messages.front();
    queue.messages.pop_front();
    return message;
}

}  // namespace

ThreadId CurrentThreadId() {
    return Current().Id();
}

bool PostThreadMessage(ThreadId thread, const ThreadMessage& message) {
    std::shared_ptr<Queue> queue = FindQueue(thread);
    if (!queue) return false;
    {
        std::lock_guard<std::mutex> hold(queue->lock);
        if (queue->closed) return false;
        queue->messages.push_back(message);
        if (queue->wakeFd >= 0) {
            const uint64_t one = 1;
            // A full counter still polls readable: nothing is lost.
            if (::write(queue->wakeFd, &one, sizeof one) < 0) {
            }
        }
    }
    queue->arrived.notify_one();
    return true;
}

ThreadMessage WaitMessage() {
    Queue& queue = Current().Messages();
    std::unique_lock<std::mutex> hold(queue.lock);
    queue.arrived.wait(hold, [&] { return !queue.messages.empty(); });
    return PopFront(queue);
}

std::optional<ThreadMessage> TakeMessage(int timeoutMs) {
    Queue& queue = Current().Messages();
    std::unique_lock<std::mutex> hold(queue.lock);
    if (queue.messages.empty() && timeoutMs > 0)
        queue.arrived.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                               [&] { return !queue.messages.empty(); });
    if (queue.messages.empty()) return std::nullopt;
    return PopFront(queue);
}

bool ThreadAlive(ThreadId thread) {
    return FindQueue(thread) != nullptr;
}

bool QuitPending(ThreadId thread) {
    std::shared_ptr<Queue> queue = FindQueue(thread);
    if (!queue) return false;
    std::lock_guard<std::mutex> hold(queue->lock);
    for (const ThreadMessage& message : queue->messages)
        if (message.number == kQuitMessage) return true;
    return false;
}

int WakeupDescriptor() {
    Queue& queue = Current().Messages();
    std::lock_guard<std::mutex> hold(queue.lock);
    if (queue.wakeFd < 0) {
        queue.wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        // Messages posted before anyone watched must wake the loop too.
        if (queue.wakeFd >= 0 && !queue.messages.empty()) {
            const uint64_t one = 1;
            if (::write(queue.wakeFd, &one, sizeof one) < 0) {
            }
        }
    }
    return queue.wakeFd;
}

void ClearWakeup() {
    Queue& queue = Current().Messages();
    std::lock_guard<std::mutex> hold(queue.lock);
    uint64_t count = 0;
    if (queue.wakeFd >= 0 && ::read(queue.wakeFd, &count, sizeof count) < 0) {
    }
}

}  // namespace platform
