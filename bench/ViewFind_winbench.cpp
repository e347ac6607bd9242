// The viewer's Find under Wine, through the program's own mapped views, on the 500 MiB file that
// the native search benchmark made, whose last 16 bytes are a mark: the first search goes through
// the Find box as a user fills it in, then each F3 searches from the mark round the whole file to
// the mark again, the viewer's pump and caption included. Beside it, after each search, its floor
// under Wine: the same core over the same 4 MiB views of the file, mapped bare (goal: the median
// of the per-search ratios at most 1.15), and for the record the core's native time to find that
// mark, from the native benchmark's run. Arguments: the file's Windows path, the native time in ms.
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
#include "preview/ByteSearch.h"
#include "preview/ByteSource.h"
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

// The floor: the same core over the same 4 MiB views, mapped bare. Each Read maps just the bytes
// asked for, from the allocation boundary below them, and unmaps the view before; no pump, no
// caption, no selection. What the viewer's Find costs beyond it is what the viewer adds.
class CBareViews : public qs::ByteSource {
public:
    explicit CBareViews(const std::wstring& path)
        : m_file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr)),
          m_mapping(m_file != INVALID_HANDLE_VALUE
                        ? ::CreateFileMappingW(m_file, nullptr, PAGE_READONLY, 0, 0, nullptr)
                        : nullptr) {
        LARGE_INTEGER size = {};
        if (m_mapping != nullptr && ::GetFileSizeEx(m_file, &size))
            m_size = static_cast<std::uint64_t>(size.QuadPart);
        SYSTEM_INFO system = {};
        ::GetSystemInfo(&system);
        m_granularity = system.dwAllocationGranularity;
    }
    ~CBareViews() override {
        if (m_view != nullptr)
            ::UnmapViewOfFile(m_view);
        if (m_mapping != nullptr)
            ::CloseHandle(m_mapping);
        if (m_file != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_file);
    }
    CBareViews(const CBareViews&) = delete;
    CBareViews& operator=(const CBareViews&) = delete;

    std::uint64_t GetSize() const override { return m_size; }

    const std::uint8_t* Read(std::uint64_t offset, std::size_t length) override {
        if (m_view != nullptr)
            ::UnmapViewOfFile(m_view);
        const std::uint64_t start = offset - offset % m_granularity;
        m_view = ::MapViewOfFile(m_mapping, FILE_MAP_READ, static_cast<DWORD>(start >> 32),
                                 static_cast<DWORD>(start),
                                 static_cast<SIZE_T>(offset - start + length));
        return m_view != nullptr ? static_cast<const std::uint8_t*>(m_view) + (offset - start)
                                 : nullptr;
    }

private:
    HANDLE m_file;
    HANDLE m_mapping;
    std::uint64_t m_size = 0;
    DWORD m_granularity = 1 << 16;
    void* m_view = nullptr;
};

// The floor's search, from where F3 starts after the mark: round the whole file to the mark.
double TimeBareFind(const std::wstring& path, const qs::SearchPattern& pattern, std::uint64_t mark,
                    bool& found) {
    CBareViews views(path);
    const LONGLONG start = Now();
    const qs::SearchResult result = qs::FindForward(views, pattern, mark + 1, nullptr);
    const double ms = MillisecondsSince(start);
    found = result.outcome == qs::SearchOutcome::Found && result.offset == mark;
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
    const qs::SearchPattern pattern =
        qs::ParsePattern(qs::FromWide(kMark), qs::SearchKind::Text, true).pattern;
    std::vector<double> samples, floors;
    bool found = true;
    for (int i = 0; i < kSearches && found && preview.GetSelection().start == end; ++i) {
        const LONGLONG start = Now();
        view.FindAgain(true);
        samples.push_back(MillisecondsSince(start));
        Pump(loop);
        floors.push_back(TimeBareFind(path, pattern, end, found));
    }
    view.DestroyWindow();
    qs::g_module.RemoveMessageLoop();
    if (samples.size() != kSearches || preview.GetSelection().start != end || !found) {
        std::fprintf(stderr, "viewer find benchmark failed: the mark was not found at the end\n");
        return 1;
    }
    const double median = Report("F3 round a 500 MiB file to its end", samples);
    const double floor = Report("the core over bare 4 MiB views", floors);
    // Each search against the floor run right after it: a busy spell slows both alike.
    const double ratio = ReportRatios("F3 / the core over bare views", samples, floors);
    std::printf("  median of F3 / bare views = %.2f   goal at most 1.15: %s\n", ratio,
                ratio <= 1.15 ? "met" : "missed");
    PrintTableLine("viewer's Find under Wine, 500 MiB", median, "the core over bare views", floor,
                   "ms", "median ratio at most 1.15", ratio <= 1.15, ratio);
    PrintTableLine("  the same beside the core natively", median, "the core, natively", nativeMs,
                   "ms", "for the record", true);
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
    return GoalsExitCode(rc);
}
