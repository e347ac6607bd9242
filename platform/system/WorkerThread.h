// The one thread besides the window thread. Counting a volume's sizes or copying a folder can take
// seconds, and on the window thread it would freeze the window for that long; so such a job runs
// here. The job never touches a window: it writes only the state it shares with the window thread
// and tells it by posting a message. Stopping is a flag the job checks between files and folders,
// never a killed thread. Portable (std::thread).
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace qs {

class CWorkerThread {
public:
    // What a running job sees of its thread: whether it has been asked to stop.
    class StopToken {
    public:
        bool IsStopRequested() const { return m_flag.load(std::memory_order_relaxed); }

    private:
        friend class CWorkerThread;
        explicit StopToken(const std::atomic<bool>& flag) : m_flag(flag) {}
        const std::atomic<bool>& m_flag;
    };
    using Job = std::function<void(const StopToken&)>;

    CWorkerThread() = default;
    // Asks the job to stop and waits for it.
    ~CWorkerThread() { Stop(); }
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Runs the job on a new thread. A job still running is asked to stop and waited for first,
    // so that at most one job runs and a newer one never races an older one's results.
    void Start(Job job);
    // Asks the job to stop and returns at once.
    void RequestStop() { m_stop.store(true, std::memory_order_relaxed); }
    // Asks the job to stop and waits until its thread has ended.
    void Stop();
    // True from Start until the job has returned.
    bool IsRunning() const { return m_running.load(std::memory_order_acquire); }

private:
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
};

}  // namespace qs
