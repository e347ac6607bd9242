#include "platform/system/WorkerThread.h"

#include <utility>

namespace qs {

void CWorkerThread::Start(Job job) {
    Stop();
    m_stop.store(false, std::memory_order_relaxed);
    m_running.store(true, std::memory_order_release);
    m_thread = std::thread([this, job = std::move(job)] {
        job(StopToken(m_stop));
        m_running.store(false, std::memory_order_release);
    });
}

void CWorkerThread::Stop() {
    RequestStop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

}  // namespace qs
