#include "commands/CopyProgressDlg.h"

#include <commctrl.h>

#include <string>

#include "platform/system/WideText.h"
#include "platform/window/CentreWindow.h"
#include "res/resource.h"

namespace qs {

namespace {

constexpr UINT_PTR kTimer = 1;
constexpr UINT kTimerMs = 100;
constexpr DWORD kShowAfterMs = 500;
constexpr int kBarRange = 1000;  // the bar's 32-bit range can't hold a byte count

}  // namespace

CCopyProgressDlg::CCopyProgressDlg(FolderCopyProgress& progress, CWorkerThread& worker)
    : CDialogImpl(IDD_COPYPROGRESS),
      m_progress(progress),
      m_worker(worker),
      m_start(::GetTickCount()) {}

BOOL CCopyProgressDlg::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM,
                                            LRESULT& lResult) {
    lResult = 0;
    switch (uMsg) {
        case WM_INITDIALOG:
            ::SendDlgItemMessageW(m_hWnd, IDC_COPY_BAR, PBM_SETRANGE32, 0, kBarRange);
            ::SetTimer(m_hWnd, kTimer, kTimerMs, nullptr);
            lResult = TRUE;
            return TRUE;
        case WM_TIMER:
            if (wParam != kTimer)
                break;
            OnTimer();
            return TRUE;
        case WM_COMMAND:
            // Cancel, Esc and the close box: the worker stops at its next chunk, then says so.
            if (LOWORD(wParam) != IDCANCEL)
                break;
            m_worker.RequestStop();
            return TRUE;
        case WM_COPY_ENDED:
            m_ended = true;
            return TRUE;
        case WM_DESTROY:
            ::KillTimer(m_hWnd, kTimer);
            m_ended = true;
            return TRUE;
        default:
            break;
    }
    return FALSE;
}

void CCopyProgressDlg::OnTimer() {
    std::u16string count, current;
    std::uint64_t done = 0, total = 0;
    {
        const std::lock_guard<std::mutex> hold(m_progress.lock);
        const std::uint64_t shown = m_progress.filesDone + (m_progress.current.empty() ? 0 : 1);
        const std::string text = "Copying " +
                                 std::to_string(std::min(shown, m_progress.filesTotal)) + " of " +
                                 std::to_string(m_progress.filesTotal) + " files";
        count.assign(text.begin(), text.end());
        current = m_progress.current;
        done = m_progress.bytesDone;
        total = m_progress.bytesTotal;
    }
    // Set only when changed, so that the texts don't flicker and a screen reader isn't told
    // the same again.
    const auto set = [this](int id, const std::u16string& text) {
        const HWND control = ::GetDlgItem(m_hWnd, id);
        std::wstring was(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
        was.resize(static_cast<size_t>(
            ::GetWindowTextW(control, was.data(), static_cast<int>(was.size()))));
        if (was != AsWide(text))
            ::SetWindowTextW(control, AsWide(text));
    };
    set(IDC_COPY_COUNT, count);
    set(IDC_COPY_FILE, current);
    const int position =
        total == 0 ? 0 : static_cast<int>(static_cast<double>(done) * kBarRange / total);
    ::SendDlgItemMessageW(m_hWnd, IDC_COPY_BAR, PBM_SETPOS, position, 0);
    if (!::IsWindowVisible(m_hWnd) && ::GetTickCount() - m_start >= kShowAfterMs) {
        CentreWindow(m_hWnd);
        ::ShowWindow(m_hWnd, SW_SHOW);
    }
}

}  // namespace qs
