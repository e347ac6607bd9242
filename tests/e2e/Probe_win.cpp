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
//   qs_probe item <text>         screen point of the middle of the shown item's text: "x y"
//   qs_probe selected            the selected item's text
//   qs_probe send-view <path>    sends the main window WM_VIEW_FILE with the path (may be empty)
//   qs_probe view | viewcloser   the view dialog's state (PrintView) | its close box: "x y"
//   qs_probe wheel <delta>       posts the view dialog a wheel message
//   qs_probe shows <path|-> <n>  whether the preview shows the file from line n (CheckPreview)
// Exit code 0 on success, 1 when the window or the item asked for is not there.
#include <windows.h>
// after <windows.h>, which it needs
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "preview/LineFormat.h"

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

int PrintCloser(HWND main) {
    RECT frame{};
    GetWindowRect(main, &frame);
    for (int y = frame.top; y < frame.top + 40; ++y)
        for (int x = frame.right - 1; x > frame.right - 60; --x)
            if (Send(main, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                std::printf("%d %d\n", x - 4, y + 4);
                return 0;
            }
    return 1;
}

int PrintItemPoint(HWND tree, const std::wstring& text) {
    RemoteBuffer remote(tree);
    std::vector<Item> items;
    if (remote.ok())
        CollectItems(tree, remote,
                     reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0,
                     items);
    for (const Item& item : items) {
        RECT rect{};
        remote.Write(0, &item.handle, sizeof item.handle);
        if (item.text != text ||
            !Send(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote.at(0))))
            continue;
        remote.Read(0, &rect, sizeof rect);
        POINT p{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(tree, &p);
        std::printf("%ld %ld\n", p.x, p.y);
        return 0;
    }
    return 1;
}

const int kPreviewId = 1001;

// The view dialog: owned by the main window, holding the preview.
HWND FindView(HWND main) {
    HWND view = nullptr;
    while ((view = FindWindowExW(nullptr, view, L"#32770", nullptr)) != nullptr)
        if (GetWindow(view, GW_OWNER) == main && GetDlgItem(view, kPreviewId) != nullptr)
            return view;
    return nullptr;
}

// "<name> <visible> <left> <top> <right> <bottom>" on the screen for the main window, the view
// dialog, the preview, "Close" and the grip; "rows <whole lines in the preview> <hwnd>";
// "caption <text>".
int PrintView(HWND main, HWND view) {
    const char* names[] = {"main", "view", "preview", "close", "grip"};
    const HWND windows[] = {main, view, GetDlgItem(view, kPreviewId), GetDlgItem(view, IDOK),
                            GetDlgItem(view, 0xE801)};
    RECT r{};
    for (int i = 0; i < 5; ++i) {
        GetWindowRect(windows[i], &r);
        std::printf("%s %d %ld %ld %ld %ld\n", names[i], IsWindowVisible(windows[i]) ? 1 : 0,
                    r.left, r.top, r.right, r.bottom);
    }
    GetClientRect(windows[2], &r);
    wchar_t caption[1024] = {};
    GetWindowTextW(view, caption, 1024);
    std::printf("rows %ld %p\ncaption %s\n", r.bottom / 14, static_cast<void*>(view),
                Utf8(caption).c_str());
    return 0;
}

// Compares the preview's pixels on the screen with the dump of `path` from line `top` drawn here
// as the control draws it at 10 bytes a line while a whole line fits (one cell from the left
// edge, rows 13 pixels apart), or with the empty text for "-". A hidden dialog is shown for the
// look, without activation, and hidden again. The probe ends at once: its GDI objects go with it.
int CheckPreview(HWND view, const std::wstring& path, int top) {
    const bool hidden = !IsWindowVisible(view);
    if (hidden) {
        ShowWindow(view, SW_SHOWNA);
        Sleep(500);
    }
    const HWND preview = GetDlgItem(view, kPreviewId);
    RECT client{};
    GetClientRect(preview, &client);
    POINT origin{0, 0};
    ClientToScreen(preview, &origin);
    const int width = client.right, height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* pixels[2] = {};
    HDC dc[2] = {CreateCompatibleDC(nullptr), CreateCompatibleDC(nullptr)};
    for (int i = 0; i < 2; ++i)
        SelectObject(dc[i], CreateDIBSection(dc[i], &info, DIB_RGB_COLORS,
                                             reinterpret_cast<void**>(&pixels[i]), nullptr, 0));
    BitBlt(dc[0], 0, 0, width, height, GetDC(nullptr), origin.x, origin.y, SRCCOPY);
    FillRect(dc[1], &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(dc[1], CreateFontW(14, 7, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                    FIXED_PITCH | FF_DONTCARE, L"Courier"));
    if (path == L"-") {
        wchar_t text[] = L"No data to display";
        RECT r{};
        DrawTextExW(dc[1], text, -1, &r, DT_CALCRECT, nullptr);
        OffsetRect(&r, width / 2 - r.right / 2, 0);
        DrawTextExW(dc[1], text, -1, &r, 0, nullptr);
    } else {
        std::vector<std::uint8_t> bytes(1 << 20);
        DWORD size = 0;
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &size, nullptr);
        CloseHandle(file);
        const int end = std::min(top + (height + 13) / 14, static_cast<int>(size + 9) / 10);
        for (int i = top; i < end; ++i) {
            const std::u16string line =
                qs::FormatLine(&bytes[i * 10], std::min<int>(size - i * 10, 10), i * 10, 10);
            TextOutW(dc[1], 7, (i - top) * 13, reinterpret_cast<const wchar_t*>(line.c_str()),
                     static_cast<int>(line.size()));
        }
    }
    GdiFlush();
    int differ = 0;
    for (int i = 0; i < width * height; ++i)
        differ += ((pixels[0][i] ^ pixels[1][i]) & 0xFFFFFF) != 0;
    if (hidden)
        ShowWindow(view, SW_HIDE);
    std::printf("%d of %d pixels differ\n", differ, width * height);
    return differ == 0 && width > 0 ? 0 : 1;
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
    if (command == L"item" && argc > 2)
        return PrintItemPoint(tree, argv[2]);
    if (command == L"selected") {
        Item item;
        RemoteBuffer remote(tree);
        const auto caret = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (!remote.ok() || !caret || !ReadItem(tree, remote, caret, 0, item))
            return 1;
        std::printf("%s\n", Utf8(item.text.c_str()).c_str());
        return 0;
    }
    if (command == L"send-view") {
        const std::wstring path = argc > 2 ? argv[2] : L"";
        RemoteBuffer remote(main);
        if (!remote.ok() || !remote.Write(0, path.c_str(), (path.size() + 1) * sizeof(wchar_t)))
            return 1;
        Send(main, 0x88C6, 0, reinterpret_cast<LPARAM>(remote.at(0)));  // WM_VIEW_FILE
        return 0;
    }
    HWND view = FindView(main);
    if (!view)
        return 1;
    if (command == L"view")
        return PrintView(main, view);
    if (command == L"viewcloser")
        return PrintCloser(view);
    if (command == L"wheel" && argc > 2)
        return PostMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, _wtoi(argv[2])), 0) ? 0 : 1;
    if (command == L"shows" && argc > 3)
        return CheckPreview(view, argv[2], _wtoi(argv[3]));
    return 2;
}
