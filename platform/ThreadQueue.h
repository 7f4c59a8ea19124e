// Per-thread message queues: the system gives threads no queues of their
// own, so the main thread and the Logo threads talk through these. A
// thread's queue comes into being the first time the thread uses any of
// these functions and goes away when the thread ends.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

struct ThreadMessage {
    uint32_t number;
    uintptr_t wParam;
    intptr_t lParam;
};

// Unique for the life of the process: an ended thread's id is never given
// to another thread, so a message for a dead thread cannot reach a new one.
using ThreadId = uint64_t;

// The message that ends the main thread's message loop.
inline constexpr uint32_t kQuitMessage = 0x0012;

// The calling thread's id; assigned (and its queue made) on first use.
ThreadId CurrentThreadId();

// Appends the message to the thread's queue. False when the thread has no
// live queue (it never used one, or it has ended).
bool PostThreadMessage(ThreadId thread, const ThreadMessage& message);

// Takes the oldest message of the calling thread's queue, waiting as long
// as it takes for one to arrive.
ThreadMessage WaitMessage();

// Takes the oldest message, waiting at most the time; 0 only looks.
std::optional<ThreadMessage> TakeMessage(int timeoutMs);

// True while the thread lives (its queue exists).
bool ThreadAlive(ThreadId thread);

// True when a quit message waits, untaken, in the thread's queue.
bool QuitPending(ThreadId thread);

// A descriptor of the calling thread's queue that polls readable whenever
// a message was posted since the last ClearWakeup, so that an event loop
// of another library (a window system's) can sleep until a message comes.
// Made on first call; it lives as long as the thread. -1 when the system
// gives none.
int WakeupDescriptor();
// Drains the descriptor; the loop then takes every waiting message.
void ClearWakeup();

}  // namespace platform
