// The count of a whole volume's sizes on the worker thread. A volume of a few thousand folders
// takes seconds to walk, and on the window thread the tree and the viewer would stand still for
// that long; so the walk runs on the program's one worker thread, and the window thread only
// picks up its result. The job never touches a window: it leaves the totals here, under the lock,
// and posts a nudge that carries nothing but the count's generation. Win32 only.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "platform/system/WorkerThread.h"
#include "tree/FolderTotals.h"

namespace qs {

class CVolumeCount {
public:
    // While one lives, the count waits before its next folder: the window thread lists a folder
    // the user opened, and a walk beside it would slow that down (the processor and, under Wine,
    // the server are shared). A hold lasts one listing, so the count loses little.
    class CHold {
    public:
        explicit CHold(CVolumeCount& count);
        ~CHold();
        CHold(const CHold&) = delete;
        CHold& operator=(const CHold&) = delete;

    private:
        CVolumeCount& m_count;
    };

    CVolumeCount() = default;
    // Stops a count that still runs; it ends between two folders.
    ~CVolumeCount() = default;
    CVolumeCount(const CVolumeCount&) = delete;
    CVolumeCount& operator=(const CVolumeCount&) = delete;

    // Starts a new generation's count below rootPath, after stopping the one that runs. When it
    // is done, `message` is posted to `window` with the generation as wParam. Returns it.
    unsigned Start(const std::u16string& rootPath, HWND window, UINT message);
    // The totals of that generation, once, if it is the newest and has ended; null otherwise (a
    // nudge from a count that a newer one replaced).
    std::unique_ptr<FolderTotals> Take(unsigned generation);
    // Asks the count to end, without waiting: the program is closing.
    void RequestStop() { m_thread.RequestStop(); }
    // True from Start until the window thread has taken the count's totals, or the count ended
    // without them (stopped).
    bool IsCounting() const;

private:
    mutable std::mutex m_lock;
    unsigned m_generation = 0;  // the newest count's, written by the window thread only
    bool m_counting = false;
    std::unique_ptr<FolderTotals> m_done;
    int m_holds = 0;
    std::condition_variable m_released;
    // Last: it goes first, so that the job has ended before the state it writes goes.
    CWorkerThread m_thread;
};

}  // namespace qs
