// Holding a key in the view dialog: the time from a key press (Page Down, Down, End) to the end of
// its paint, in a maximised view dialog on a 400 MiB sparse file, beside its three floors measured
// on the same lines in the same run: the same paint with the bytes taken from memory (the GDI
// work alone), the bare per-line map, read and unmap loop (the mapping the preview must do), and
// the same move of the scroll bar's thumb, redrawn, on a bare window (under Wine no small part).
// Goal: the median of the presses' ratios to the sum of their own three floors, measured right
// after each press, at most 1.2. Then a drag of a selection down the hex column, each move of the
// mouse to the end of its paint beside the GDI floor drawing the same selection and the map floor
// (a drag inside the client area does not scroll), to the same goal. Then ten thousand key
// presses, after which memory, handles and mapped views must not have grown.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/PageFloors.h"
#include "bench/TableLine.h"
#include "bench/WinBench.h"
#include "platform/system/FileMapping.h"
#include "platform/system/WideText.h"
#include "platform/window/AppModule.h"
#include "platform/window/MessageLoop.h"
#include "preview/ViewDlg.h"

namespace {

constexpr LONGLONG kFileSize = 400LL << 20;
constexpr int kBytesPerLine = 10;
constexpr int kSamples = 150;

// A key press as the keyboard delivers it, to the window with the focus, through to its paint.
double TimeKey(qs::CMessageLoop& loop, WPARAM key) {
    const LONGLONG start = Now();
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 1);
    Pump(loop);
    return MillisecondsSince(start);
}

// A bare window of the preview's size, style and scroll bars, over it on the screen but below the
// dialog, so the keys' paint still reaches the display: Wine draws a top-level window whole
// whatever covers it (the overlap is the X server's), so the bar costs what it would on top.
HWND MakeBareWindow(HWND preview) {
    RECT at = {};
    ::GetWindowRect(preview, &at);
    const HWND bare =
        ::CreateWindowExW(::GetWindowLongW(preview, GWL_EXSTYLE) & WS_EX_STATICEDGE, L"Static", L"",
                          WS_POPUP, at.left, at.top, at.right - at.left, at.bottom - at.top,
                          nullptr, nullptr, nullptr, nullptr);
    if (bare == nullptr)
        return nullptr;
    for (const int bar : {SB_VERT, SB_HORZ}) {
        SCROLLINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        ::GetScrollInfo(preview, bar, &info);
        ::SetScrollInfo(bare, bar, &info, FALSE);
    }
    ::SetWindowPos(bare, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return bare;
}

// The scroll bar floor: the key's move of the thumb, SetScrollInfo with redraw on, from where the
// key started to where it ended, on the bare window. No pump: the key copies its bar and its page
// to the display in one go, which the GDI floor already counts.
double TimeBarFloor(HWND bare, int from, int to) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    info.nPos = from;
    ::SetScrollInfo(bare, SB_VERT, &info, TRUE);
    info.nPos = to;
    const LONGLONG start = Now();
    ::SetScrollInfo(bare, SB_VERT, &info, TRUE);
    return MillisecondsSince(start);
}

// A point in the middle of the first digit of hex byte k on row `row` of the page, in the
// preview's client coordinates: a line's text starts at LineOrigin, byte k's digits are at
// columns 10 + 3k and 11 + 3k.
LPARAM HexCellPoint(const qs::PreviewLayout& layout, int row, int k) {
    const qs::PreviewPoint line =
        qs::LineOrigin(layout, static_cast<std::uint64_t>(layout.m_topLine + row));
    return MAKELPARAM(line.x + (10 + 3 * k) * layout.m_charWidth + layout.m_charWidth / 2,
                      line.y + layout.m_charHeight / 2);
}

// A mouse message as the mouse delivers it, posted to the preview, through to its paint.
double TimeMouse(qs::CMessageLoop& loop, HWND preview, UINT message, WPARAM keys, LPARAM point) {
    const LONGLONG start = Now();
    ::PostMessageW(preview, message, keys, point);
    Pump(loop);
    return MillisecondsSince(start);
}

// Dragging a selection down the hex column of the maximised viewer: a press on byte 2 of the top
// row of a random page, then one move a row further down at a time, the selection growing by a
// line each move, until the last whole row; then a release and a new press at the top of another
// page. Each move against its two floors measured right after it: the GDI floor drawing the same
// page with the same selection, and the map floor. False when a move did not grow the selection
// as it should, which would time no work; `met` tells whether the goal was.
bool MeasureDrag(qs::CMessageLoop& loop, const qs::CFilePreviewCtrl& preview,
                 const CPageFloors& floors, int clientHeight, std::mt19937& random, bool& met) {
    const qs::PreviewLayout& layout = preview.GetLayout();
    const HWND window = preview.m_hWnd;
    constexpr int kByte = 2;
    std::uniform_int_distribution<std::int32_t> anyLine(0, layout.m_lastLine);
    std::vector<double> moveMs, gdiMs, mapMs, floorMs;
    int row = layout.m_pageRows - 1;  // a press first
    int wrongSelections = 0;
    std::uint64_t anchor = 0;
    while (static_cast<int>(moveMs.size()) < kSamples) {
        if (row + 1 >= layout.m_pageRows) {
            // Not timed: the button released, a thumb released at a random line, a new press.
            TimeMouse(loop, window, WM_LBUTTONUP, 0, HexCellPoint(layout, row, kByte));
            SCROLLINFO info = {};
            info.cbSize = sizeof(info);
            info.fMask = SIF_POS;
            info.nPos = anyLine(random);
            ::SetScrollInfo(window, SB_VERT, &info, FALSE);
            ::SendMessageW(window, WM_VSCROLL, SB_THUMBPOSITION, 0);
            row = 0;
            TimeMouse(loop, window, WM_LBUTTONDOWN, MK_LBUTTON, HexCellPoint(layout, row, kByte));
            anchor = preview.GetTopOffset() + kByte;
            if (preview.GetSelection().count != 1 || preview.GetSelection().start != anchor)
                ++wrongSelections;
        }
        ++row;
        moveMs.push_back(
            TimeMouse(loop, window, WM_MOUSEMOVE, MK_LBUTTON, HexCellPoint(layout, row, kByte)));
        const qs::ByteRange selection = preview.GetSelection();
        if (selection.start != anchor ||
            selection.count != static_cast<std::uint64_t>(row) * kBytesPerLine + 1)
            ++wrongSelections;
        LONGLONG start = Now();
        floors.DrawFromMemory(window, layout, selection);
        Pump(loop);
        gdiMs.push_back(MillisecondsSince(start));
        start = Now();
        floors.MapLines(layout, clientHeight);
        mapMs.push_back(MillisecondsSince(start));
        floorMs.push_back(gdiMs.back() + mapMs.back());
    }
    TimeMouse(loop, window, WM_LBUTTONUP, 0, HexCellPoint(layout, row, kByte));

    std::printf("Drag down the hex column (%d moves, a row each, each floor on the same page):\n",
                kSamples);
    if (wrongSelections != 0) {
        std::fprintf(stderr,
                     "view keys benchmark failed: %d moves did not select what they should\n",
                     wrongSelections);
        return false;
    }
    const double moveMedian = Report("move to end of paint", moveMs);
    Report("GDI floor (from memory, selected)", gdiMs);
    Report("map floor (map/read/unmap)", mapMs);
    const double sum = Report("the two floors' sum", floorMs);
    const double ratio = ReportRatios("move-to-paint / its floors' sum", moveMs, floorMs);
    std::printf("  median of move-to-paint / (GDI + map floors) = %.2f   goal at most 1.2: %s\n",
                ratio, ratio <= 1.2 ? "met" : "missed");
    met = ratio <= 1.2;
    PrintTableLine("drag: a row further each move", moveMedian, "GDI (selected) + map floors", sum,
                   "ms", "median ratio at most 1.2", met, ratio);
    return true;
}

struct Usage {
    SIZE_T committed = 0;  // private committed memory: heaps, and the pixels of GDI objects
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;        // 0 under Wine, which does not count them
    std::uint64_t openFiles = 0;  // files, mappings and views the preview holds
};

Usage MeasureUsage() {
    Usage usage;
    MEMORY_BASIC_INFORMATION region = {};
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            usage.committed += region.RegionSize;
    }
    ::GetProcessHandleCount(::GetCurrentProcess(), &usage.handles);
    usage.gdiObjects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    // Wine answers 0 to both counts: there the live handles are counted one by one. It hands out
    // the lowest free kernel handle, and takes a GDI handle's table index without its generation.
    if (usage.handles == 0) {
        for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
            DWORD flags = 0;
            usage.handles +=
                ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
        }
    }
    if (usage.gdiObjects == 0) {
        for (ULONG_PTR index = 1; index < 0x10000; ++index)
            usage.gdiObjects += ::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    }
    usage.userObjects = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    const qs::mapping::Counters c = qs::mapping::GetCounters();
    usage.openFiles = (c.filesOpened - c.filesClosed) + (c.mappingsCreated - c.mappingsClosed) +
                      (c.viewsMapped - c.viewsUnmapped);
    return usage;
}

int Run(const std::wstring& path, int presses) {
    qs::CMessageLoop loop;
    qs::g_module.AddMessageLoop(&loop);
    qs::CViewDlg view(qs::FromWide(path.c_str()));
    if (view.Create(nullptr) == nullptr) {
        std::fprintf(stderr, "view keys benchmark failed: no dialog (is there a display?)\n");
        return 1;
    }
    view.ShowWindow(SW_MAXIMIZE);
    Pump(loop);
    const qs::CFilePreviewCtrl& preview = view.GetPreview();
    const qs::PreviewLayout& layout = preview.GetLayout();
    RECT client = {};
    ::GetClientRect(preview.m_hWnd, &client);
    if (layout.m_lineCount == 0 || ::GetFocus() == nullptr) {
        std::fprintf(stderr, "view keys benchmark failed: the file did not open\n");
        return 1;
    }

    const CPageFloors floors(path, kBytesPerLine);
    const HWND bare = MakeBareWindow(preview.m_hWnd);
    Pump(loop);
    if (!floors.IsOpen() || bare == nullptr || ::GetFocus() == nullptr) {
        std::fprintf(stderr, "view keys benchmark failed: the floors cannot be measured\n");
        return 1;
    }
    std::mt19937 random(42);
    std::uniform_int_distribution<std::int32_t> anyLine(0, layout.m_lastLine);

    std::printf("maximised view dialog: preview client %ld x %ld, %d lines a page, %llu lines\n",
                client.right, client.bottom, layout.m_pageRows,
                static_cast<unsigned long long>(layout.m_lineCount));
    bool met = true;
    const struct {
        const char* name;
        WPARAM key;
        bool fromRandomLine;
    } keys[] = {
        {"Page Down held", VK_NEXT, false}, {"Down held", VK_DOWN, false}, {"End", VK_END, true}};
    for (const auto& key : keys) {
        std::vector<double> keyMs, gdiMs, mapMs, barMs, floorMs, paintMs;
        TimeKey(loop, VK_HOME);
        for (int i = 0; i < kSamples; ++i) {
            if (key.fromRandomLine) {
                // Not timed: a thumb released at a random line, as in the preview benchmark.
                SCROLLINFO info = {};
                info.cbSize = sizeof(info);
                info.fMask = SIF_POS;
                info.nPos = anyLine(random);
                ::SetScrollInfo(preview.m_hWnd, SB_VERT, &info, FALSE);
                ::SendMessageW(preview.m_hWnd, WM_VSCROLL, SB_THUMBPOSITION, 0);
                Pump(loop);
            }
            const int from = layout.m_topLine;
            keyMs.push_back(TimeKey(loop, key.key));
            // Like the key's, the GDI floor ends with the loop finding the queue empty (Pump).
            LONGLONG start = Now();
            floors.DrawFromMemory(preview.m_hWnd, layout);
            Pump(loop);
            gdiMs.push_back(MillisecondsSince(start));
            start = Now();
            floors.MapLines(layout, client.bottom);
            mapMs.push_back(MillisecondsSince(start));
            barMs.push_back(TimeBarFloor(bare, from, layout.m_topLine));
            floorMs.push_back(gdiMs.back() + mapMs.back() + barMs.back());
            // For the record: the control's paint of the same lines, the key's work but the thumb.
            start = Now();
            ::InvalidateRect(preview.m_hWnd, nullptr, TRUE);
            Pump(loop);
            paintMs.push_back(MillisecondsSince(start));
        }
        std::printf("%s (%d presses, each floor on the same lines):\n", key.name, kSamples);
        const double keyMedian = Report("key to end of paint", keyMs);
        Report("GDI floor (from memory)", gdiMs);
        Report("map floor (map/read/unmap)", mapMs);
        Report("scroll bar floor (bare window)", barMs);
        const double sum = Report("the three floors' sum", floorMs);
        Report("for the record: the paint alone", paintMs);
        // Each press against the floors on its own lines, not median against median: the busy
        // spells of the shared machine make each figure bimodal (the map floor about 1.5 or 15
        // ms), and separate medians could come from different spells.
        const double ratio = ReportRatios("key-to-paint / its floors' sum", keyMs, floorMs);
        std::printf(
            "  median of key-to-paint / (GDI + map + scroll bar floors) = %.2f   goal at most "
            "1.2: %s\n",
            ratio, ratio <= 1.2 ? "met" : "missed");
        met = met && ratio <= 1.2;
        const std::string figure = std::string("key to paint: ") + key.name;
        PrintTableLine(figure.c_str(), keyMedian, "GDI + map + scroll bar floors", sum, "ms",
                       "median ratio at most 1.2", ratio <= 1.2, ratio);
    }
    ::DestroyWindow(bare);
    Pump(loop);
    bool dragMet = false;
    if (!MeasureDrag(loop, preview, floors, client.bottom, random, dragMet))
        return 1;
    met = met && dragMet;

    // Ten thousand presses of every scroll key, after a warm-up: nothing may grow. At the opening
    // size, where a press costs less than maximised and takes the same path.
    view.ShowWindow(SW_RESTORE);
    Pump(loop);
    const WPARAM cycle[] = {VK_NEXT, VK_NEXT, VK_DOWN, VK_END, VK_PRIOR, VK_UP, VK_HOME, VK_DOWN};
    for (int i = 0; i < 400; ++i)
        TimeKey(loop, cycle[i % 8]);
    const Usage before = MeasureUsage();
    const LONGLONG start = Now();
    for (int i = 0; i < presses; ++i)
        TimeKey(loop, cycle[i % 8]);
    const double seconds = MillisecondsSince(start) / 1000.0;
    const Usage after = MeasureUsage();
    const long long growth =
        static_cast<long long>(after.committed) - static_cast<long long>(before.committed);
    const auto more = [](std::uint64_t a, std::uint64_t b) {
        return static_cast<long long>(a) - static_cast<long long>(b);
    };
    std::printf(
        "before: %llu KiB committed, %lu handles, %lu GDI and %lu user objects, %llu file "
        "handles and views\n",
        static_cast<unsigned long long>(before.committed / 1024), before.handles, before.gdiObjects,
        before.userObjects, static_cast<unsigned long long>(before.openFiles));
    std::printf(
        "after %d key presses (%.1f s): %+lld KiB committed, %+lld handles, %+lld GDI and "
        "%+lld user objects, %+lld file handles and views\n",
        presses, seconds, growth / 1024, more(after.handles, before.handles),
        more(after.gdiObjects, before.gdiObjects), more(after.userObjects, before.userObjects),
        more(after.openFiles, before.openFiles));
    // A few pages of allocator noise are not growth; a leak of one object a press would show ten
    // thousand of them, and a leaked bitmap megabytes each.
    const bool flat = growth <= 512 * 1024 && after.handles <= before.handles &&
                      after.gdiObjects <= before.gdiObjects &&
                      after.userObjects <= before.userObjects &&
                      after.openFiles <= before.openFiles;
    std::printf("goal: no growth over %d presses: %s\n", presses, flat ? "met" : "missed");
    PrintTableLine("  committed memory after 10,000 presses",
                   static_cast<double>(after.committed) / 1048576.0, "before",
                   static_cast<double>(before.committed) / 1048576.0, "MiB",
                   "no growth (handles, GDI objects too)", flat);

    view.DestroyWindow();
    qs::g_module.RemoveMessageLoop();
    // Every goal has its row, and a missed row fails the run (GoalsExitCode).
    std::printf("all goals: %s\n", met && flat ? "met" : "missed");
    return 0;
}

}  // namespace

// Optional argument: the number of presses in the growth check (10,000).
int main(int argc, char** argv) {
    const std::wstring path = MakeSparseFile(L"qs-view-keys-winbench.bin", kFileSize, 1 << 16);
    if (path.empty()) {
        std::fprintf(stderr, "view keys benchmark failed: cannot make the sparse file\n");
        return 1;
    }
    qs::g_module.Init(::GetModuleHandleW(nullptr));
    const int rc = Run(path, argc > 1 ? std::atoi(argv[1]) : 10000);
    qs::g_module.Term();
    ::DeleteFileW(path.c_str());
    return GoalsExitCode(rc);
}
