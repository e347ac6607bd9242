// A folder copy's progress window: "Copying N of M files", the file being copied, a bar by bytes
// and Cancel, caption "Saving a Copy". It reads the copy's shared progress on a timer and shows
// itself only once the copy has taken half a second. Win32 only.
#pragma once

#include <windows.h>

#include "commands/FolderCopy.h"
#include "platform/system/WorkerThread.h"
#include "platform/window/DialogImpl.h"

namespace qs {

// Posted by the worker when the copy has ended. WM_APP and up: a dialog's own messages use
// WM_USER's range.
constexpr UINT WM_COPY_ENDED = WM_APP + 1;

class CCopyProgressDlg : public CDialogImpl {
public:
    CCopyProgressDlg(FolderCopyProgress& progress, CWorkerThread& worker);
    CCopyProgressDlg(const CCopyProgressDlg&) = delete;
    CCopyProgressDlg& operator=(const CCopyProgressDlg&) = delete;

    // True once the worker said the copy ended, or the window is gone.
    bool IsEnded() const { return m_ended; }

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;

private:
    void OnTimer();

    FolderCopyProgress& m_progress;
    CWorkerThread& m_worker;
    DWORD m_start;
    bool m_ended = false;
};

}  // namespace qs
