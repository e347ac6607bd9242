// qs_probe: looks at a running Quarrystone from another process in the same Wine session.
// The end-to-end scripts drive the program with real X input (xdotool) and ask this probe what
// the windows show, since X cannot see inside Wine's windows.
//
//   qs_probe main [timeout ms]   waits for the visible main window; prints its handle
//   qs_probe boxes               lists the program's message boxes: "box <hwnd> <text>"
//   qs_probe dismiss <hwnd>      presses OK in a message box
//   qs_probe tree                the tree's items, in display order (see PrintTree)
//   qs_probe expander            screen point of the root item's expand button: "x y"
//   qs_probe closer              screen point of the main window's close box: "x y"
//   qs_probe about               the About box as shell assignments (see PrintAbout)
//   qs_probe syscommand <hex>    posts WM_SYSCOMMAND with that wParam to the main window
// Exit code 0 on success, 1 when the window or the item asked for is not there.
#include <windows.h>
// after <windows.h>, which it needs
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

const wchar_t kTitle[] = L"Quarrystone";
const int kTreeId = 1000;
const int kMessageBoxTextId = 0xFFFF;

struct Found {
    std::vector<HWND> windows;
    bool wantBox;
};

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM param) {
    Found& found = *reinterpret_cast<Found*>(param);
    wchar_t cls[16] = {}, title[64] = {};
    GetClassNameW(hwnd, cls, 16);
    GetWindowTextW(hwnd, title, 64);
    if (!IsWindowVisible(hwnd) || wcscmp(cls, L"#32770") != 0 || wcscmp(title, kTitle) != 0)
        return TRUE;
    const bool isBox = GetDlgItem(hwnd, kMessageBoxTextId) != nullptr;
    const bool isMain = GetDlgItem(hwnd, kTreeId) != nullptr;
    if (found.wantBox ? isBox : isMain)
        found.windows.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> FindDialogs(bool wantBox) {
    Found found{{}, wantBox};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

HWND FindMain(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = FindDialogs(false);
        if (!found.empty())
            return found.front();
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

std::string Utf8(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &s[0], n, nullptr, nullptr);
    return s;
}

// A page in the program's address space: tree-view messages carry pointers that the control
// dereferences in its own process.
class RemoteBuffer {
public:
    explicit RemoteBuffer(HWND window) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        m_process =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process)
            m_base = static_cast<BYTE*>(
                VirtualAllocEx(m_process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteBuffer() {
        if (m_base)
            VirtualFreeEx(m_process, m_base, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    bool ok() const { return m_base != nullptr; }
    BYTE* at(size_t offset) const { return m_base + offset; }
    bool Write(size_t offset, const void* data, size_t size) {
        return WriteProcessMemory(m_process, m_base + offset, data, size, nullptr) != 0;
    }
    bool Read(size_t offset, void* data, size_t size) {
        return ReadProcessMemory(m_process, m_base + offset, data, size, nullptr) != 0;
    }

private:
    HANDLE m_process = nullptr;
    BYTE* m_base = nullptr;
};

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

struct Item {
    HTREEITEM handle;
    int depth;
    std::wstring text;
    LPARAM data;
    bool expanded;
    int children;
};

bool ReadItem(HWND tree, RemoteBuffer& remote, HTREEITEM handle, int depth, Item& item) {
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN | TVIF_HANDLE;
    tv.hItem = handle;
    tv.stateMask = TVIS_EXPANDED;
    tv.pszText = reinterpret_cast<wchar_t*>(remote.at(1024));
    tv.cchTextMax = 1024;
    if (!remote.Write(0, &tv, sizeof tv) ||
        !Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at(0))))
        return false;
    wchar_t text[1025] = {};
    remote.Read(0, &tv, sizeof tv);
    remote.Read(1024, text, 1024 * sizeof(wchar_t));
    item = {handle, depth, text, tv.lParam, (tv.state & TVIS_EXPANDED) != 0, tv.cChildren};
    return true;
}

// Every item whose parents are expanded, in display order.
void CollectItems(HWND tree, RemoteBuffer& remote, HTREEITEM first, int depth,
                  std::vector<Item>& out) {
    for (HTREEITEM h = first; h;
         h = reinterpret_cast<HTREEITEM>(
             Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(h)))) {
        Item item;
        if (!ReadItem(tree, remote, h, depth, item))
            return;
        out.push_back(item);
        if (item.expanded)
            CollectItems(tree, remote,
                         reinterpret_cast<HTREEITEM>(
                             Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(h))),
                         depth + 1, out);
    }
}

// "count N", then one line per item: "item <depth> <item data> <expanded> <children> <text>".
int PrintTree(HWND tree) {
    RemoteBuffer remote(tree);
    if (!remote.ok())
        return 1;
    std::printf("count %d\n", static_cast<int>(Send(tree, TVM_GETCOUNT, 0, 0)));
    std::vector<Item> items;
    CollectItems(tree, remote,
                 reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, items);
    for (const Item& item : items)
        std::printf("item %d %d %d %d %s\n", item.depth, static_cast<int>(item.data),
                    item.expanded ? 1 : 0, item.children, Utf8(item.text.c_str()).c_str());
    return 0;
}

bool OnButton(HWND tree, RemoteBuffer& remote, int x, int y) {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    remote.Write(0, &hit, sizeof hit);
    Send(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(remote.at(0)));
    remote.Read(0, &hit, sizeof hit);
    return (hit.flags & TVHT_ONITEMBUTTON) != 0;
}

// The middle of the root's expand button, found by hit-testing along the root's row.
int PrintExpander(HWND tree) {
    RemoteBuffer remote(tree);
    HTREEITEM root = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (!remote.ok() || !root)
        return 1;
    // TVM_GETITEMRECT takes the item in the rectangle's place.
    RECT row{};
    remote.Write(0, &root, sizeof root);
    if (!Send(tree, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(remote.at(0))))
        return 1;
    remote.Read(0, &row, sizeof row);
    const int y = (row.top + row.bottom) / 2;
    int x = row.left;
    while (x < row.right && !OnButton(tree, remote, x, y))
        ++x;
    int end = x;
    while (end < row.right && OnButton(tree, remote, end + 1, y))
        ++end;
    if (x == row.right)
        return 1;
    POINT p{(x + end) / 2, y};
    ClientToScreen(tree, &p);
    std::printf("%ld %ld\n", p.x, p.y);
    return 0;
}

int PrintCloser(HWND main, const char* format = "%d %d\n") {
    RECT frame{};
    GetWindowRect(main, &frame);
    for (int y = frame.top; y < frame.top + 40; ++y)
        for (int x = frame.right - 1; x > frame.right - 60; --x)
            if (Send(main, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                std::printf(format, x - 4, y + 4);
                return 0;
            }
    return 1;
}

BOOL CALLBACK FindAbout(HWND hwnd, LPARAM found) {
    wchar_t title[32] = {};
    GetWindowTextW(hwnd, title, 32);
    if (!IsWindowVisible(hwnd) || wcscmp(title, L"About Quarrystone") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

// The main window's rectangle and enabled state; when the About box is shown, its rectangle,
// the link's and the link's colour on screen (the commonest after the background's), the focused
// control's id, and the points of OK and of the close box. Screen coordinates.
int PrintAbout(HWND main) {
    RECT m{}, b{}, l{}, ok{};
    GetWindowRect(main, &m);
    std::printf("ml=%ld mt=%ld mr=%ld mb=%ld enabled=%d\n", m.left, m.top, m.right, m.bottom,
                IsWindowEnabled(main));
    HWND box = nullptr;
    EnumWindows(FindAbout, reinterpret_cast<LPARAM>(&box));
    if (!box)
        return 1;
    GetWindowRect(box, &b);
    GetWindowRect(GetDlgItem(box, 1002), &l);
    GetWindowRect(GetDlgItem(box, IDOK), &ok);
    HDC screen = GetDC(nullptr);
    std::map<COLORREF, int> counts;
    for (LONG y = l.top; y < l.bottom; ++y)
        for (LONG x = l.left; x < l.right; ++x)
            ++counts[GetPixel(screen, x, y)];
    ReleaseDC(nullptr, screen);
    std::vector<std::pair<int, COLORREF>> ranked;
    for (const auto& c : counts)
        ranked.push_back({c.second, c.first});
    std::sort(ranked.rbegin(), ranked.rend());
    const COLORREF ink = ranked.size() > 1 ? ranked[1].second : 0;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &gui);
    std::printf("bl=%ld bt=%ld br=%ld bb=%ld ll=%ld lt=%ld lr=%ld lb=%ld ", b.left, b.top, b.right,
                b.bottom, l.left, l.top, l.right, l.bottom);
    std::printf("ink=%02x%02x%02x focus=%d okx=%ld oky=%ld\n", GetRValue(ink), GetGValue(ink),
                GetBValue(ink), GetDlgCtrlID(gui.hwndFocus), (ok.left + ok.right) / 2,
                (ok.top + ok.bottom) / 2);
    return PrintCloser(box, "closex=%d closey=%d\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    const std::wstring command = argv[1];
    if (command == L"boxes") {
        for (HWND box : FindDialogs(true)) {
            wchar_t text[512] = {};
            GetDlgItemTextW(box, kMessageBoxTextId, text, 512);
            std::printf("box %p %s\n", static_cast<void*>(box), Utf8(text).c_str());
        }
        return 0;
    }
    if (command == L"dismiss" && argc > 2) {
        HWND box = reinterpret_cast<HWND>(static_cast<UINT_PTR>(wcstoull(argv[2], nullptr, 16)));
        return IsWindow(box) && PostMessageW(box, WM_COMMAND, IDOK, 0) ? 0 : 1;
    }
    HWND main = FindMain(command == L"main" && argc > 2 ? wcstoul(argv[2], nullptr, 10) : 5000);
    if (!main)
        return 1;
    HWND tree = GetDlgItem(main, kTreeId);
    if (command == L"main") {
        std::printf("%p\n", static_cast<void*>(main));
        return 0;
    }
    if (command == L"tree")
        return PrintTree(tree);
    if (command == L"expander")
        return PrintExpander(tree);
    if (command == L"closer")
        return PrintCloser(main);
    if (command == L"about")
        return PrintAbout(main);
    if (command == L"syscommand" && argc > 2)
        return PostMessageW(main, WM_SYSCOMMAND, wcstoul(argv[2], nullptr, 16), 0) ? 0 : 1;
    return 2;
}
