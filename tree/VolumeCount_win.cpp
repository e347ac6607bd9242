#include "tree/VolumeCount.h"

namespace qs {

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
            const std::unique_ptr<FolderLister> lister = MakeFolderLister();
            auto totals = std::make_unique<FolderTotals>();
            const bool whole =
                totals->Count(*lister, rootPath, [&stop] { return stop.IsStopRequested(); });
            {
                std::lock_guard<std::mutex> lock(m_lock);
                if (generation != m_generation) {
                    return;
                }
                m_counting = false;
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
    if (generation != m_generation) {
        return nullptr;
    }
    return std::move(m_done);
}

bool CVolumeCount::IsCounting() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_counting;
}

}  // namespace qs
