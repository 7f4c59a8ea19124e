// Per-thread message queues. Run under ThreadSanitizer by the KINETRA_TSAN
// build.
#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/ThreadQueue.h"

namespace {

using platform::ThreadId;
using platform::ThreadMessage;

void Drain() {
    while (platform::TakeMessage(0)) {
    }
}

}  // namespace

TEST(ThreadQueueTest, MessagesComeBackInPostOrderAndQuitPendingSeesOnlyAnUntakenQuit) {
    Drain();
    const ThreadId self = platform::CurrentThreadId();
    ASSERT_TRUE(platform::PostThreadMessage(self, {7, 11, -3}));
    ASSERT_TRUE(platform::PostThreadMessage(self, {8, 0, 0}));
    auto first = platform::TakeMessage(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->number, 7u);
    EXPECT_EQ(first->wParam, 11u);
    EXPECT_EQ(first->lParam, -3);
    EXPECT_EQ(platform::WaitMessage().number, 8u);
    EXPECT_FALSE(platform::TakeMessage(0));

    EXPECT_FALSE(platform::QuitPending(self));
    platform::PostThreadMessage(self, {5, 0, 0});
    platform::PostThreadMessage(self, {platform::kQuitMessage, 0, 0});
    EXPECT_TRUE(platform::QuitPending(self));
    Drain();
    EXPECT_FALSE(platform::QuitPending(self));
}

TEST(ThreadQueueTest, IdsAreStablePerThreadNeverReusedAndZeroHasNoQueue) {
    const ThreadId self = platform::CurrentThreadId();
    EXPECT_NE(self, 0u);
    EXPECT_EQ(platform::CurrentThreadId(), self);
    ThreadId first = 0;
    ThreadId second = 0;
    std::thread([&] { first = platform::CurrentThreadId(); }).join();
    std::thread([&] { second = platform::CurrentThreadId(); }).join();
    EXPECT_NE(first, self);
    EXPECT_NE(second, self);
    EXPECT_NE(first, second);
    EXPECT_FALSE(platform::PostThreadMessage(0, {1, 0, 0}));
    EXPECT_FALSE(platform::ThreadAlive(0));
    EXPECT_FALSE(platform::QuitPending(0));
}

// The waits are long enough never to expire on a loaded machine; the
// post ends them.
TEST(ThreadQueueConcurrencyTest, APostFromAnotherThreadWakesAWaitAndATimedTake) {
    Drain();
    const ThreadId self = platform::CurrentThreadId();
    std::thread poster([self] { platform::PostThreadMessage(self, {42, 1, 2}); });
    const ThreadMessage message = platform::WaitMessage();
    poster.join();
    EXPECT_EQ(message.number, 42u);
    EXPECT_EQ(message.wParam, 1u);
    EXPECT_EQ(message.lParam, 2);
    poster = std::thread([self] { platform::PostThreadMessage(self, {9, 0, 0}); });
    const auto timed = platform::TakeMessage(60000);
    poster.join();
    ASSERT_TRUE(timed);
    EXPECT_EQ(timed->number, 9u);
}

TEST(ThreadQueueConcurrencyTest, QueueGoesAwayWhenItsThreadEnds) {
    std::atomic<ThreadId> id{0};
    std::thread worker([&] {
        id = platform::CurrentThreadId();
        EXPECT_EQ(platform::WaitMessage().number, 1u);
    });
    while (id.load() == 0) std::this_thread::yield();
    EXPECT_TRUE(platform::ThreadAlive(id));
    EXPECT_TRUE(platform::PostThreadMessage(id, {1, 0, 0}));
    worker.join();
    EXPECT_FALSE(platform::ThreadAlive(id));
    EXPECT_FALSE(platform::PostThreadMessage(id, {1, 0, 0}));
}

TEST(ThreadQueueConcurrencyTest, ManyPostersLoseNoMessageAndKeepEachOnesOrder) {
    Drain();
    constexpr int kPosters = 4;
    constexpr int kEach = 500;
    const ThreadId self = platform::CurrentThreadId();
    std::vector<std::thread> posters;
    for (int p = 0; p < kPosters; ++p)
        posters.emplace_back([self, p] {
            for (int i = 0; i < kEach; ++i)
                platform::PostThreadMessage(self, {static_cast<uint32_t>(p), 0, i});
        });
    std::vector<intptr_t> last(kPosters, -1);
    bool inOrder = true;
    for (int n = 0; n < kPosters * kEach; ++n) {
        const ThreadMessage message = platform::WaitMessage();
        if (message.lParam != last[message.number] + 1) inOrder = false;
        last[message.number] = message.lParam;
    }
    for (auto& poster : posters) poster.join();
    EXPECT_TRUE(inOrder);
    for (intptr_t l : last) EXPECT_EQ(l, kEach - 1);
    EXPECT_FALSE(platform::TakeMessage(0));
}

namespace {

bool Readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 1;
}

// A window system's loop sleeps on the descriptor: every post must wake it,
// including posts made before it looked, and a drained one must let it sleep.
TEST(ThreadQueueConcurrencyTest, TheWakeupDescriptorIsReadableExactlyWhileAPostIsUnseen) {
    Drain();
    const ThreadId self = platform::CurrentThreadId();
    ASSERT_TRUE(platform::PostThreadMessage(self, {7, 0, 0}));
    const int fd = platform::WakeupDescriptor();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(platform::WakeupDescriptor(), fd);
    EXPECT_TRUE(Readable(fd));
    platform::ClearWakeup();
    EXPECT_FALSE(Readable(fd));
    Drain();

    constexpr int kPosts = 200;
    std::thread poster([self] {
        for (int i = 0; i < kPosts; ++i) platform::PostThreadMessage(self, {8, 0, i});
    });
    int taken = 0;
    while (taken < kPosts) {
        pollfd entry{fd, POLLIN, 0};
        ASSERT_EQ(::poll(&entry, 1, 5000), 1);
        platform::ClearWakeup();
        while (platform::TakeMessage(0)) ++taken;
    }
    poster.join();
    EXPECT_FALSE(Readable(fd));
}

}  // namespace
