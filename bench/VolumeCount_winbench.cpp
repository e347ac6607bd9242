// The size count under Wine, each figure beside its floor in the same run, as the median of the
// per-sample ratios (a busy spell slows a sample and its floor alike):
// - counting a staged volume of 10,000 files in 1,000 folders through the program's walk, beside
//   a bare FindFirstFileExW walk (FindExInfoBasic, large fetches) that sums the same sizes;
// - populating a folder of 1,000 files while the program's count runs, beside the same
//   population with no count running.
// Goal for both: at most 1.2 x. Also prints the totals' memory a folder. Exits 1 when a goal is
// missed, 2 when the run could not do its work. Usage: VolumeCount_winbench [runs]
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/TableLine.h"
#include "bench/WinBench.h"
#include "platform/system/FolderLister.h"
#include "platform/system/StagedVolumeQueries.h"
#include "platform/system/Text.h"
#include "platform/system/WideText.h"
#include "tree/FileTreeCtrl.h"
#include "tree/FolderTotals.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const char* reason) {
    std::fprintf(stderr, "volume count benchmark failed: %s\n", reason);
    std::exit(2);
}

void MakeFile(const std::wstring& path, DWORD size) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    static const std::vector<char> bytes(4096, 'q');
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), size, &written, nullptr);
    ::CloseHandle(file);
}

bool IsDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The floor: the same walk with nothing but the system's calls, summing sizes and counting files.
void BareWalk(const std::wstring& folder, std::uint64_t& bytes, std::uint64_t& files) {
    WIN32_FIND_DATAW entry;
    const HANDLE find =
        ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            bytes += (std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow;
            ++files;
        } else if (!IsDot(entry.cFileName) &&
                   (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            BareWalk(folder + L"\\" + entry.cFileName, bytes, files);
        }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);

    const fs::path stage = TempStage(L"qs-count-bench-");
    const std::wstring root = L"\\\\?\\" + stage.wstring();
    // The tree's volume holds the counted folders and the folder it expands.
    const std::wstring volume = root + L"\\volume", folders = volume + L"\\folders",
                       files = volume + L"\\files";
    std::printf("staging 10,000 files in 1,000 folders, and a folder of 1,000 files...\n");
    ::CreateDirectoryW(root.c_str(), nullptr);
    ::CreateDirectoryW(volume.c_str(), nullptr);
    ::CreateDirectoryW(folders.c_str(), nullptr);
    ::CreateDirectoryW(files.c_str(), nullptr);
    std::uint64_t stagedBytes = 0;
    for (int f = 0; f < 1000; ++f) {
        const std::wstring folder = folders + L"\\folder" + std::to_wstring(f);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        for (int i = 0; i < 10; ++i) {
            const DWORD size = static_cast<DWORD>((f * 10 + i) % 4096);
            MakeFile(folder + L"\\file" + std::to_wstring(i) + L".dat", size);
            stagedBytes += size;
        }
    }
    for (int i = 0; i < 1000; ++i)
        MakeFile(files + L"\\file" + std::to_wstring(i) + L".dat", 100);

    // The program's walk gives what the bare walk gives, or neither figure means anything.
    const std::u16string foldersPath = qs::FromWide(folders.c_str());
    const std::u16string volumePath = qs::FromWide(volume.c_str()) + u"\\";
    const std::unique_ptr<qs::FolderLister> lister = qs::MakeFolderLister();
    qs::FolderTotals totals;
    std::uint64_t bareBytes = 0, bareFiles = 0;
    BareWalk(folders, bareBytes, bareFiles);
    if (!totals.Count(*lister, foldersPath, nullptr) || totals.Find(u"") == nullptr ||
        totals.Find(u"")->bytes != stagedBytes || totals.Find(u"")->files != 10000 ||
        bareBytes != stagedBytes || bareFiles != 10000 || totals.FolderCount() != 1001)
        Fail("the staged volume was not made, or a walk did not see all of it");

    std::vector<double> counts, walks;
    for (int i = 0; i < runs; ++i) {
        LONGLONG start = Now();
        totals.Count(*lister, foldersPath, nullptr);
        counts.push_back(MillisecondsSince(start));
        bareBytes = bareFiles = 0;
        start = Now();
        BareWalk(folders, bareBytes, bareFiles);
        walks.push_back(MillisecondsSince(start));
    }
    std::printf("count 10,000 files in 1,000 folders (%d runs each):\n", runs);
    const double count = Report("the program's count", counts);
    const double walk = Report("bare FindFirstFileExW walk", walks);
    const double countRatio = ReportRatios("count / walk, per run", counts, walks);
    const bool countMet = countRatio <= 1.2;
    PrintTableLine("count 10,000 files in 1,000 folders", count, "bare FindFirstFileExW walk", walk,
                   "ms", "median ratio at most 1.2", countMet, countRatio);

    const double perFolder =
        static_cast<double>(totals.MemoryBytes()) / static_cast<double>(totals.FolderCount());
    std::printf("  the totals hold %zu bytes for %zu folders: %.1f bytes a folder\n",
                totals.MemoryBytes(), totals.FolderCount(), perFolder);
    PrintTableLine("totals' memory a folder", perFolder, "a few dozen bytes", 64, "bytes",
                   "at most 64 bytes a folder", perFolder <= 64);

    // Expanding a folder of 1,000 files, as its first expansion does, with and without the tree's
    // own count of its volume running, as F5 starts it (a count takes several times an
    // expansion).
    const HWND frame =
        ::CreateWindowExW(0, L"STATIC", L"Count benchmark", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                          40, 400, 500, nullptr, nullptr, nullptr, nullptr);
    qs::CFileTreeCtrl tree(qs::StagedVolumeQueries::FromText(qs::Utf16ToUtf8(volumePath) +
                                                             "|3||NTFS|104857600|52428800\n"));
    tree.m_hWnd = ::CreateWindowExW(0, WC_TREEVIEWW, L"", 0x50910027, 7, 7, 370, 440, frame,
                                    reinterpret_cast<HMENU>(1000), nullptr, nullptr);
    if (frame == nullptr || tree.m_hWnd == nullptr)
        Fail("no window could be created (is there a display?)");
    ::SendMessageW(tree.m_hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL,
                   reinterpret_cast<LPARAM>(tree.GetImageList()));
    tree.LocateHiddenVolume();
    const HTREEITEM volumeItem = TreeView_GetRoot(tree.m_hWnd);
    if (volumeItem == nullptr || tree.GetItemPath(volumeItem) != volumePath)
        Fail("the staged volume was not found");
    HTREEITEM item = nullptr;
    const auto expand = [&] {
        if (item != nullptr)
            ::SendMessageW(tree.m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
        item = tree.InsertFileItem(u"files", volumePath, true, volumeItem);
        const std::u16string path = tree.GetItemPath(item);
        const LONGLONG start = Now();
        tree.PopulateFolder(path, item);
        const double ms = MillisecondsSince(start);
        if (TreeView_GetCount(tree.m_hWnd) != 1002)
            Fail("populating the folder did not insert an item per file");
        return ms;
    };
    std::vector<double> alone, beside;
    for (int i = 0; i < runs; ++i) {
        alone.push_back(expand());
        tree.CountSizes();
        ::Sleep(20);  // the count under way
        beside.push_back(expand());
        // The count over, so that the next expansion without one is quiet.
        ::Sleep(static_cast<DWORD>(3 * count) + 50);
    }
    std::printf("expand a folder of 1,000 files (%d runs each):\n", runs);
    const double during = Report("while a count runs", beside);
    const double quiet = Report("with no count running", alone);
    const double expandRatio = ReportRatios("during / quiet, per run", beside, alone);
    const bool expandMet = expandRatio <= 1.2;
    PrintTableLine("expand 1,000 files while a count runs", during, "with no count running", quiet,
                   "ms", "median ratio at most 1.2", expandMet, expandRatio);

    ::DestroyWindow(frame);
    std::error_code ignored;
    fs::remove_all(stage, ignored);
    ::CoUninitialize();
    return countMet && expandMet && perFolder <= 64 ? 0 : 1;
}
