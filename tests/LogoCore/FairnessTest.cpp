// Busy tasks share the processor: a task that never waits still gives way
// now and then, as a loop in Logo must never starve the others.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoTask.h"
#include "LogoTestPrimitives.h"

namespace {

// Puts the calling thread (and the threads it makes) on one processor under
// first-in-first-out real-time scheduling at the priority. There the kernel
// never takes the processor from a busy thread for another of the same
// priority: only the interpreter's own yields let the other task run.
bool ScheduleFifoOnOneProcessor(int priority) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    sched_param param{};
    param.sched_priority = priority;
    return pthread_setaffinity_np(pthread_self(), sizeof one, &one) == 0 &&
           pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

void ScheduleNormally() {
    cpu_set_t all;
    CPU_ZERO(&all);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) CPU_SET(cpu, &all);
    sched_param param{};
    pthread_setschedparam(pthread_self(), SCHED_OTHER, &param);
    pthread_setaffinity_np(pthread_self(), sizeof all, &all);
}

long Counter(CaptureHost& host, const char* name) {
    host.Clear();
    EXPECT_EQ(ErrorOf(std::string("print thing \"") + name), "");
    return std::atol(host.Text().c_str());
}

TEST(FairnessTest, TwoBusyTasksOfOnePriorityOnOneProcessorBothProgress) {
    RegisterTestPrimitives();
    CaptureHost host;
    ASSERT_EQ(Define("to spina\nmake \"a :a + 1\nspina\nend\n"
                     "to spinb\nmake \"b :b + 1\nspinb\nend\n"),
              "");
    EXPECT_EQ(ErrorOf("make \"a 0 make \"b 0"), "");
    if (!ScheduleFifoOnOneProcessor(1)) {
        ScheduleNormally();
        GTEST_SKIP() << "real-time scheduling is not permitted here";
    }
    ASSERT_EQ(RunForCommandCentre("launch [spina] launch [spinb]"), "");
    // Above the tasks, so that this thread wakes whatever they do.
    sched_param above{};
    above.sched_priority = 2;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &above);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    StopAll();
    const bool ended = WaitForAllTasks(5000);
    ScheduleNormally();
    ASSERT_TRUE(ended);
    EXPECT_GT(Counter(host, "a"), 0);
    EXPECT_GT(Counter(host, "b"), 0);
}

}  // namespace
