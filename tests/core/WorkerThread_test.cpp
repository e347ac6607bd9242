#include "platform/system/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace qs {
namespace {

// A job that runs until it is asked to stop, as a walk of the volume does between folders.
CWorkerThread::Job RunUntilStopped(std::atomic<int>& ended) {
    return [&ended](const CWorkerThread::StopToken& stop) {
        while (!stop.IsStopRequested()) {
            std::this_thread::yield();
        }
        ++ended;
    };
}

TEST(WorkerThreadTest, StartStopsTheRunningJobAndEveryJobEndsByItsOwner) {
    std::atomic<int> ended{0};
    {
        CWorkerThread worker;
        EXPECT_FALSE(worker.IsRunning());
        worker.Start(RunUntilStopped(ended));
        EXPECT_TRUE(worker.IsRunning());
        worker.Start(RunUntilStopped(ended));  // F5 during a count: the first is stopped
        EXPECT_EQ(ended, 1);
        EXPECT_TRUE(worker.IsRunning());
        worker.Stop();
        EXPECT_EQ(ended, 2);
        EXPECT_FALSE(worker.IsRunning());
        worker.Stop();  // twice is harmless

        bool ran = false;
        worker.Start([&ran](const CWorkerThread::StopToken&) { ran = true; });
        worker.Stop();
        EXPECT_TRUE(ran);
        worker.Start(RunUntilStopped(ended));
    }  // closing mid-job: the destructor stops and joins
    EXPECT_EQ(ended, 3);
}

}  // namespace
}  // namespace qs
