#include "commands/FolderCommands.h"

#include <commctrl.h>

#include "commands/CopyProgressDlg.h"
#include "commands/FileCommands.h"
#include "commands/FolderCopy.h"
#include "commands/ListingCsv.h"
#include "platform/system/WideText.h"
#include "platform/window/AppModule.h"
#include "platform/window/FileDialog.h"
#include "platform/window/FolderDialog.h"
#include "platform/window/MessageLoop.h"
#include "platform/window/UiGuards.h"
#include "res/resource.h"

namespace qs {

namespace {

constexpr wchar_t kCaption[] = L"Quarrystone";

// The copy running on this (the window) thread, if any.
CWorkerThread* g_runningCopy = nullptr;
bool g_closing = false;

void Warn(HWND owner, const std::u16string& text) {
    ::MessageBoxW(owner, AsWide(text), kCaption, MB_OK | MB_ICONWARNING);
}

// By path, and by volume: the hidden volume may also be reached through a folder it is mounted
// on, whose path shares nothing with the volume's name.
bool IsOnVolume(const std::u16string& target, const std::u16string& volumeRoot) {
    if (volumeRoot.empty() || IsSameOrInside(target, volumeRoot))
        return true;
    wchar_t mount[MAX_PATH] = {}, volume[MAX_PATH] = {};
    return ::GetVolumePathNameW(AsWide(target), mount, MAX_PATH) &&
           ::GetVolumeNameForVolumeMountPointW(mount, volume, MAX_PATH) &&
           IsSameOrInside(volumeRoot, FromWide(volume));
}

// The thread's loop until the copy has ended, with the progress window's keys first and then
// the loop's own filters (the viewer's keys). A quit is handed back to be posted again.
bool RunProgressLoop(CCopyProgressDlg& dialog, CWorkerThread& worker, WPARAM& quitCode) {
    MSG msg;
    while (!dialog.IsEnded()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            worker.RequestStop();
            quitCode = msg.wParam;
            return true;
        }
        if (got == -1 || ::IsDialogMessageW(dialog.m_hWnd, &msg))
            continue;
        CMessageLoop* loop = g_module.GetMessageLoop();
        if (loop != nullptr && loop->PreTranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return false;
}

}  // namespace

void SaveFolderCopy(HWND owner, const std::u16string& source, const std::u16string& volumeRoot,
                    const std::u16string& targetParent) {
    if (g_runningCopy != nullptr) {
        Warn(owner, u"Another copy is still running. Try again when it has ended.");
        return;
    }
    if (IsOnVolume(targetParent, volumeRoot)) {
        Warn(owner,
             u"A copy can't be saved on the hidden volume itself. Choose a folder on "
             u"another drive.");
        return;
    }
    FolderCopyProgress progress;
    FolderCopyResult result;
    CWorkerThread worker;
    CCopyProgressDlg dialog(progress, worker);
    if (dialog.Create(owner) == nullptr)
        return;
    const HWND window = dialog.m_hWnd;
    g_runningCopy = &worker;
    const bool enabled = !::EnableWindow(owner, FALSE);

    const std::unique_ptr<FolderLister> lister = MakeFolderLister();
    worker.Start([&](const CWorkerThread::StopToken& stop) {
        FolderCopyJob job;
        job.source = source;
        job.targetParent = targetParent;
        job.lister = lister.get();
        job.makeFiles = [] { return MakeCopyFiles(); };
        job.stopRequested = [&stop] { return stop.IsStopRequested(); };
        result = CopyFolder(job, progress);
        // A nudge only: if the window has gone meanwhile, nothing is lost.
        ::PostMessageW(window, WM_COPY_ENDED, 0, 0);
    });
    WPARAM quitCode = 0;
    const bool quit = RunProgressLoop(dialog, worker, quitCode);
    // The window can end first (its owner closed): the copy then stops at its next chunk.
    worker.Stop();
    g_runningCopy = nullptr;
    // The owner first, so that it takes the activation back from the progress window.
    if (enabled)
        ::EnableWindow(owner, TRUE);
    if (dialog.m_hWnd != nullptr)
        dialog.DestroyWindow();
    const bool closing = g_closing;
    g_closing = false;
    if (quit) {
        ::PostQuitMessage(static_cast<int>(quitCode));
        return;
    }
    const std::u16string report = FormatCopyReport(result);
    if (!closing && !report.empty() && ::IsWindow(owner))
        Warn(owner, report);
}

bool StopFolderCopyForClose() {
    if (g_runningCopy == nullptr)
        return false;
    g_closing = true;
    g_runningCopy->RequestStop();
    return true;
}

void SaveFolderAs(HWND tree, const std::u16string& path) {
    const HWND main = ::GetAncestor(tree, GA_ROOT);
    CFolderDialog picker(main, L"Choose a Folder for the Copy");
    if (picker.DoModal() != IDOK)
        return;
    SaveFolderCopy(main, path, FromWide(GetTreeItemText(tree, TVGN_ROOT).c_str()),
                   FromWide(picker.GetFolderPath().c_str()));
}

void SaveListingAs(HWND tree, const std::u16string& path) {
    const std::u16string name = GetCopyBaseName(path) + u".csv";
    CFileDialog dialog(AsWide(name), ::GetActiveWindow());
    dialog.m_ofn.lpstrTitle = L"Save Listing As";
    dialog.m_ofn.lpstrFilter = L"CSV (*.csv)\0*.csv\0";
    dialog.m_ofn.lpstrDefExt = L"csv";
    if (dialog.DoModal() != IDOK)
        return;
    SaveCopyOutcome outcome;
    {
        CWaitCursor wait;
        outcome = SaveListing(*MakeCopyFiles(), *MakeFolderLister(), path,
                              FromWide(dialog.GetPathName()));
    }
    if (const char16_t* message = GetSaveCopyMessage(outcome))
        Warn(tree, message);
}

void RunFolderCommand(UINT command, HWND tree, const std::u16string& path) {
    switch (command) {
        case ID_FILE_SAVEAS:
            SaveFolderAs(tree, path);
            break;
        case ID_FILE_SAVELISTING:
            SaveListingAs(tree, path);
            break;
        default:
            RunFileCommand(command, tree, path);
            break;
    }
}

}  // namespace qs
