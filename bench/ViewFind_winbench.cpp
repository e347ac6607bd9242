// The viewer's Find under Wine, through the program's own mapped views, on the 500 MiB file that
// the native search benchmark made, whose last 16 bytes are a mark: the first search goes through
// the Find box as a user fills it in, then each F3 searches from the mark round the whole file to
// the mark again, the viewer's pump and caption included. Beside it, from the same run, the core's
// native time to find that mark in the same file (goal: a median within 1.3 x), and for the record
// Wine's own floor: the same views mapped and each of their pages read, measured after each search.
// Arguments: the file's Windows path, the native time in ms.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/TableLine.h"
#include "bench/WinBench.h"
#include "platform/system/WideText.h"
#include "platform/window/AppModule.h"
#include "preview/ViewDlg.h"
#include "res/resource.h"

namespace {

constexpr int kSearches = 7;
const wchar_t kMark[] = L"QuarrystoneEndsX";

// Fills in the Find box once it is up, as a user would, and presses "Find Next".
void CALLBACK FillFindBox(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND box = ::FindWindowW(L"#32770", L"Find");
    if (box == nullptr)
        return;
    ::KillTimer(nullptr, timer);
    ::SetDlgItemTextW(box, IDC_FIND_TEXT, kMark);
    ::CheckDlgButton(box, IDC_FIND_MATCH_CASE, BST_CHECKED);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// Wine's own cost of reading the file through views: each 4 MiB view of the search mapped, one
// byte read from each of its pages, unmapped. Under Wine a page of a view costs about half as much
// again as natively, which no search through views can avoid.
double TimeViewFloor(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    const HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    LARGE_INTEGER size = {};
    ::GetFileSizeEx(file, &size);
    const LONGLONG start = Now();
    volatile std::uint8_t sink = 0;
    for (LONGLONG at = 0; mapping != nullptr && at < size.QuadPart; at += qs::kSearchWindow) {
        const auto length = static_cast<SIZE_T>(
            std::min<LONGLONG>(static_cast<LONGLONG>(qs::kSearchWindow), size.QuadPart - at));
        const auto* view = static_cast<const std::uint8_t*>(
            ::MapViewOfFile(mapping, FILE_MAP_READ, 0, static_cast<DWORD>(at), length));
        for (SIZE_T i = 0; view != nullptr && i < length; i += 4096)
            sink = sink + view[i];
        ::UnmapViewOfFile(view);
    }
    const double ms = MillisecondsSince(start);
    if (mapping != nullptr)
        ::CloseHandle(mapping);
    ::CloseHandle(file);
    return ms;
}

int Run(const std::wstring& path, double nativeMs) {
    qs::CMessageLoop loop;
    qs::g_module.AddMessageLoop(&loop);
    qs::CViewDlg view(qs::FromWide(path.c_str()));
    if (view.Create(nullptr) == nullptr) {
        std::fprintf(stderr, "viewer find benchmark failed: no dialog (is there a display?)\n");
        return 1;
    }
    view.ShowWindow(SW_SHOW);
    Pump(loop);
    const qs::CFilePreviewCtrl& preview = view.GetPreview();
    const std::uint64_t end = preview.GetFileSize() - 16;
    ::SetTimer(nullptr, 0, 100, &FillFindBox);
    view.FindAgain(true);  // no search yet: the Find box, then the search
    std::vector<double> samples, floors;
    for (int i = 0; i < kSearches && preview.GetSelection().start == end; ++i) {
        const LONGLONG start = Now();
        view.FindAgain(true);
        samples.push_back(MillisecondsSince(start));
        Pump(loop);
        floors.push_back(TimeViewFloor(path));
    }
    view.DestroyWindow();
    qs::g_module.RemoveMessageLoop();
    if (samples.size() != kSearches || preview.GetSelection().start != end) {
        std::fprintf(stderr, "viewer find benchmark failed: the mark was not found at the end\n");
        return 1;
    }
    const double median = Report("F3 round a 500 MiB file to its end", samples);
    const double floor = Report("Wine's views, each page read", floors);
    const double ratio = ReportRatios("F3 / Wine's views", samples, floors);
    const bool met = median <= 1.3 * nativeMs;
    std::printf("  viewer's Find / native core = %.2f   goal at most 1.3: %s\n", median / nativeMs,
                met ? "met" : "missed");
    PrintTableLine("viewer's Find under Wine, 500 MiB", median, "the core, natively", nativeMs,
                   "ms", "at most 1.3 x the core", met);
    PrintTableLine("  the same beside Wine's own views", median, "views mapped, pages read", floor,
                   "ms", "for the record", true, ratio);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ViewFind_winbench <file> <native ms>\n");
        return 1;
    }
    const std::string narrow = argv[1];
    const std::wstring path(narrow.begin(), narrow.end());
    qs::g_module.Init(::GetModuleHandleW(nullptr));
    const int rc = Run(path, std::atof(argv[2]));
    qs::g_module.Term();
    return rc;
}
