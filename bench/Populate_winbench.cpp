// Populating a folder of the tree, beside its floor in the same run: one plain listing of the
// folder and the bare insertion of its entries into the tree view (TVM_INSERTITEMW, TVI_LAST,
// drawing off), with one probe of each subfolder for its children indicator. Goal: the median of
// each run's ratio to the floor run right after it within 1.3, for a folder of 10,000 files and
// for a folder of 1,000 subfolders of one file each. Usage: Populate_winbench [runs]
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/TableLine.h"
#include "bench/WinBench.h"
#include "platform/system/WideText.h"
#include "platform/window/UiGuards.h"
#include "tree/FileTreeCtrl.h"
#include "tree/IconIndex.h"

namespace {

namespace fs = std::filesystem;
using qs::CFileTreeCtrl;

// Each body's run times in milliseconds. The bodies take turns, so that a busy spell of the machine
// falls on all of them alike; prepare runs untimed before each.
std::vector<std::vector<double>> TimeInTurns(int runs, const std::function<void()>& prepare,
                                             const std::vector<std::function<void()>>& bodies) {
    std::vector<std::vector<double>> times(bodies.size());
    for (int i = 0; i < runs; ++i) {
        for (size_t b = 0; b < bodies.size(); ++b) {
            prepare();
            const LONGLONG start = Now();
            bodies[b]();
            times[b].push_back(MillisecondsSince(start));
        }
    }
    return times;
}

void MakeFile(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
    }
}

std::wstring Numbered(const wchar_t* prefix, int n) {
    wchar_t name[32];
    std::swprintf(name, 32, L"%ls%05d", prefix, n);
    return name;
}

bool IsDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The floor of a population: one listing of the folder and, for each entry but "." and "..", its
// name inserted as listed, last under `parent` (no path built, no icon rule, no copy), and for a
// subfolder one search stopped at its first real entry, for its children indicator. Without a
// tree, the plain listing alone. Returns the number of entries.
int ListAndInsert(const std::wstring& folder, HWND tree, HTREEITEM parent) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int count = 0;
    do {
        const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && IsDot(entry.cFileName)) {
            continue;
        }
        ++count;
        if (tree == nullptr) {
            continue;
        }
        bool hasEntries = false;
        if (isFolder) {
            WIN32_FIND_DATAW inner;
            const HANDLE probe =
                ::FindFirstFileW((folder + L"\\" + entry.cFileName + L"\\*.*").c_str(), &inner);
            if (probe != INVALID_HANDLE_VALUE) {
                do {
                    hasEntries = !IsDot(inner.cFileName);
                } while (!hasEntries && ::FindNextFileW(probe, &inner));
                ::FindClose(probe);
            }
        }
        TVINSERTSTRUCTW insert = {};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_PARAM | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
        insert.item.pszText = entry.cFileName;
        insert.item.iImage = insert.item.iSelectedImage =
            isFolder ? qs::ICON_FOLDER : qs::ICON_OTHER_FILE;
        insert.item.cChildren = hasEntries ? 1 : 0;
        insert.item.lParam = isFolder ? 1 : 0;
        ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return count;
}

// A run that did not do its work must not print a figure for it.
[[noreturn]] void Fail(const char* reason) {
    std::fprintf(stderr, "populate benchmark failed: %s\n", reason);
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);

    const fs::path stage = TempStage(L"qs-populate-bench-");
    const std::wstring root = L"\\\\?\\" + stage.wstring();
    const std::wstring files = root + L"\\files";
    const std::wstring folders = root + L"\\folders";
    std::printf("staging 10,000 files and 1,000 folders of one file...\n");
    ::CreateDirectoryW(root.c_str(), nullptr);
    ::CreateDirectoryW(files.c_str(), nullptr);
    ::CreateDirectoryW(folders.c_str(), nullptr);
    for (int i = 0; i < 10000; ++i) {
        MakeFile(files + L"\\" + Numbered(L"file", i) + L".dat");
    }
    for (int i = 0; i < 1000; ++i) {
        const std::wstring folder = folders + L"\\" + Numbered(L"folder", i);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        MakeFile(folder + L"\\only.txt");
    }

    const HWND frame =
        ::CreateWindowExW(0, L"STATIC", L"Populate benchmark", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                          40, 400, 500, nullptr, nullptr, nullptr, nullptr);
    CFileTreeCtrl tree(nullptr);
    tree.m_hWnd = ::CreateWindowExW(0, WC_TREEVIEWW, L"", 0x50910027, 7, 7, 370, 440, frame,
                                    reinterpret_cast<HMENU>(1000), nullptr, nullptr);
    if (frame == nullptr || tree.m_hWnd == nullptr)
        Fail("no window could be created (is there a display?)");
    if (ListAndInsert(files, nullptr, nullptr) != 10000 ||
        ListAndInsert(folders, nullptr, nullptr) != 1000)
        Fail("the staged folders were not made or cannot be listed");
    ::SendMessageW(tree.m_hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL,
                   reinterpret_cast<LPARAM>(tree.GetImageList()));

    // Each run populates a fresh item, as the first expansion of a folder does.
    HTREEITEM item = nullptr;
    std::u16string itemPath;
    const auto childCount = [&] { return TreeView_GetCount(tree.m_hWnd) - 1; };
    const struct {
        const char* figure;
        const char* floor;
        const std::wstring& folder;
        UINT items;
    } cases[] = {
        {"populate a folder of 10,000 files", "listing + bare insertion", files, 10000},
        {"populate 1,000 one-file folders", "listing + probes + bare insertion", folders, 1000},
    };
    for (const auto& c : cases) {
        const auto freshItem = [&] {
            ::SendMessageW(tree.m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
            tree.InsertFileItem(std::u16string(), qs::FromWide(c.folder.c_str()), true, TVI_ROOT);
            item = TreeView_GetRoot(tree.m_hWnd);
            itemPath = tree.GetItemPath(item);
        };
        freshItem();
        tree.PopulateFolder(itemPath, item);
        if (childCount() != c.items)
            Fail("populating a staged folder did not insert an item per entry");
        // The floor runs last, so that its items are there to count afterwards.
        const std::vector<std::vector<double>> ms =
            TimeInTurns(runs, freshItem,
                        {[&] { ListAndInsert(c.folder, nullptr, nullptr); },
                         [&] { tree.PopulateFolder(itemPath, item); },
                         [&] {
                             qs::CRedrawOff redraw(tree.m_hWnd);
                             ListAndInsert(c.folder, tree.m_hWnd, item);
                         }});
        if (childCount() != c.items)
            Fail("the floor did not insert an item per entry");
        std::printf("%s (%u items, %d runs each):\n", c.figure, c.items, runs);
        const double populate = Report("populate", ms[1]);
        const double floor = Report(c.floor, ms[2]);
        Report("for the record: the listing alone", ms[0]);
        // Each run against the floor taken right after it, as the paint figures are: a busy
        // spell slows both alike, where two medians taken apart may come from different spells.
        const double ratio = ReportRatios("populate / its floor", ms[1], ms[2]);
        std::printf("  median of populate / floor = %.2f   goal at most 1.3: %s\n", ratio,
                    ratio <= 1.3 ? "met" : "MISSED");
        PrintTableLine(c.figure, populate, c.floor, floor, "ms", "median ratio at most 1.3",
                       ratio <= 1.3, ratio);
    }

    ::DestroyWindow(frame);
    std::error_code ignored;
    fs::remove_all(stage, ignored);
    ::CoUninitialize();
    return GoalsExitCode();
}
