// Populating a folder of the tree, beside a plain listing of the same folder in the same run:
//   a folder of 10,000 files (goal: within 250 ms), and
//   a folder of 1,000 subfolders of one file each (goal: within twice the listing plus one
//   probe of each subfolder).
// Prints the median of several runs. Usage: Populate_winbench [runs]
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
#include "platform/system/WideText.h"
#include "tree/FileTreeCtrl.h"

namespace {

namespace fs = std::filesystem;
using qs::CFileTreeCtrl;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Median of the runs, in milliseconds; prepare runs untimed before each one.
double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const double start = Now();
        body();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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

// A plain listing: every entry of the folder, nothing else.
int List(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int count = 0;
    do {
        ++count;
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return count;
}

// A plain listing and, for each subfolder, one search stopped at its first real entry.
int ListAndProbe(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int found = 0;
    do {
        const std::wstring name = entry.cFileName;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..") {
            continue;
        }
        WIN32_FIND_DATAW inner;
        const HANDLE probe = ::FindFirstFileW((folder + L"\\" + name + L"\\*.*").c_str(), &inner);
        if (probe == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            const std::wstring innerName = inner.cFileName;
            if (innerName != L"." && innerName != L"..") {
                ++found;
                break;
            }
        } while (::FindNextFileW(probe, &inner));
        ::FindClose(probe);
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return found;
}

// A run that did not do its work must not print a figure for it.
[[noreturn]] void Fail(const char* reason) {
    std::fprintf(stderr, "populate benchmark failed: %s\n", reason);
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);

    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const fs::path stage =
        fs::path(temp) / (L"qs-populate-bench-" + std::to_wstring(::GetCurrentProcessId()));
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
    // 10,000 files and 1,000 folders, each listing with "." and "..".
    if (List(files) != 10002 || ListAndProbe(folders) != 1000)
        Fail("the staged folders were not made or cannot be listed");
    ::SendMessageW(tree.m_hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL,
                   reinterpret_cast<LPARAM>(tree.GetImageList()));

    // Each run populates a fresh item, as the first expansion of a folder does.
    HTREEITEM item = nullptr;
    std::u16string itemPath;
    const auto freshItem = [&](const std::wstring& folder) {
        return [&, folder] {
            ::SendMessageW(tree.m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
            const std::u16string name = qs::FromWide(folder.c_str());
            tree.InsertFileItem(std::u16string(), name, true, TVI_ROOT);
            item = TreeView_GetRoot(tree.m_hWnd);
            itemPath = tree.GetItemPath(item);
        };
    };
    const auto populate = [&] { tree.PopulateFolder(itemPath, item); };
    const auto nothing = [] {};

    int ok = 0;
    freshItem(files)();
    populate();
    const UINT fileItems = TreeView_GetCount(tree.m_hWnd) - 1;
    if (fileItems != 10000)
        Fail("populating the folder of files did not insert 10,000 items");
    const double listFiles = Median(runs, nothing, [&] { List(files); });
    const double populateFiles = Median(runs, freshItem(files), populate);
    std::printf("10,000 files:      populate %7.1f ms   plain listing %6.1f ms   (%u items)\n",
                populateFiles, listFiles, fileItems);
    std::printf("  goal: within 250 ms: %s\n", populateFiles <= 250 ? "met" : "MISSED");
    PrintTableLine("populate a folder of 10,000 files", populateFiles, "plain listing", listFiles,
                   "ms", "within 250 ms", populateFiles <= 250);
    ok += populateFiles <= 250;

    freshItem(folders)();
    populate();
    const UINT folderItems = TreeView_GetCount(tree.m_hWnd) - 1;
    if (folderItems != 1000)
        Fail("populating the folder of folders did not insert 1,000 items");
    const double listFolders = Median(runs, nothing, [&] { List(folders); });
    const double probeFolders = Median(runs, nothing, [&] { ListAndProbe(folders); });
    const double populateFolders = Median(runs, freshItem(folders), populate);
    std::printf(
        "1,000 subfolders:  populate %7.1f ms   plain listing %6.1f ms   listing + one probe "
        "each %6.1f ms   (%u items)\n",
        populateFolders, listFolders, probeFolders, folderItems);
    std::printf("  goal: within 2 x (listing + probes) = %.1f ms: %s\n", 2 * probeFolders,
                populateFolders <= 2 * probeFolders ? "met" : "MISSED");
    ok += populateFolders <= 2 * probeFolders;
    PrintTableLine("populate 1,000 one-file folders", populateFolders, "listing + one probe each",
                   probeFolders, "ms", "within 2 x listing + probes",
                   populateFolders <= 2 * probeFolders);
    std::printf("median of %d runs each\n", runs);

    ::DestroyWindow(frame);
    std::error_code ignored;
    fs::remove_all(stage, ignored);
    ::CoUninitialize();
    return ok == 2 ? 0 : 1;
}
