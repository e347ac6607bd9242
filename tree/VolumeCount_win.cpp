#include "tree/VolumeCount.h"

namespace qs {

CVolumeCount::CHold::CHold(CVolumeCount& count) : m_count(count) {
    std::lock_guard<std::mutex> lock(m_count.m_lock);
    ++m_count.m_holds;
}

CVolumeCount::CHold::~CHold() {
    {
        std::lock_guard<std::mutex> lock(m_count.m_lock);
        --m_count.m_holds;
    }
    m_count.m_released.notify_all();
}

unsigned CVolumeCount::Start(const std::u16string& rootPath, HWND window, UINT message) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_generation += 1;
        m_counting = true;
        m_done.reset();
    }
    const unsigned generation = m_generation;
    // Start stops and joins the older job first; a nudge it posted before is dropped by Take.
    m_thread.Start(
        [this, rootPath, window, message, generation](const CWorkerThread::StopToken& stop) {
            // Behind the window thread for the processor and the disk: the count may take its
            // time, the tree and the viewer must not.
            if (!::SetThreadPriority(::GetCurrentThread(), THREAD_MODE_BACKGROUND_BEGIN))
                ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST);
            // Waits out a hold, waking rarely: under Wine every wake is a trip to the server,
            // which the window thread needs. A stop is still seen within a tenth of a second.
            const auto betweenFolders = [this, &stop] {
                std::unique_lock<std::mutex> lock(m_lock);
                while (m_holds > 0 && !stop.IsStopRequested())
                    m_released.wait_for(lock, std::chrono::milliseconds(100));
                return stop.IsStopRequested();
            };
            const std::unique_ptr<FolderLister> lister = MakeFolderLister();
            auto totals = std::make_unique<FolderTotals>();
            const bool whole = totals->Count(*lister, rootPath, betweenFolders);
            {
                std::lock_guard<std::mutex> lock(m_lock);
                if (generation != m_generation) {
                    return;
                }
                // A whole count is still "counting" until the window thread takes it.
                m_counting = whole;
                if (whole) {
                    m_done = std::move(totals);
                }
            }
            // A window that is gone takes nothing: the message holds no pointer to lose.
            if (whole) {
                ::PostMessageW(window, message, generation, 0);
            }
        });
    return generation;
}

std::unique_ptr<FolderTotals> CVolumeCount::Take(unsigned generation) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (generation != m_generation || m_done == nullptr) {
        return nullptr;
    }
    m_counting = false;
    return std::move(m_done);
}

bool CVolumeCount::IsCounting() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_counting;
}

}  // namespace qs
