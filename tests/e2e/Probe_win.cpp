// qs_probe: looks at a running Quarrystone from another process in the same Wine session.
// The end-to-end scripts drive the program with real X input (xdotool) and ask this probe what
// the windows show, since X cannot see inside Wine's windows.
//
//   qs_probe main [timeout ms]   waits for the visible main window; prints its handle
//   qs_probe boxes               lists the program's message boxes: "box <hwnd> <text>", the
//                                text after "unowned " for a box the main window does not own
//   qs_probe dismiss <hwnd>      presses OK in a message box
//   qs_probe tree                "count N", then the shown items in display order:
//                                "item <depth> <item data> <expanded> <children> <text>"
//   qs_probe item <text>         screen point of the middle of the shown item's text: "x y"
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

const int kTreeId = 1000;
const int kMessageBoxTextId = 0xFFFF;

// The program's visible dialogs that have the control `id`: its message boxes or its main window.
std::vector<HWND> FindDialogs(int id) {
    std::vector<HWND> found;
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, L"#32770", L"Quarrystone"));)
        if (IsWindowVisible(h) && GetDlgItem(h, id))
            found.push_back(h);
    return found;
}

HWND FindMain(DWORD timeoutMs) {
    for (const DWORD start = GetTickCount();; Sleep(50)) {
        const std::vector<HWND> found = FindDialogs(kTreeId);
        if (!found.empty())
            return found.front();
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
    }
}

std::string Utf8(const wchar_t* text) {
    char s[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, s, sizeof s - 1, nullptr, nullptr);
    return s;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

// A page in the program's address space: tree-view messages carry pointers that the control
// dereferences in its own process. Send() copies the data there, sends, and copies it back.
class Remote {
public:
    explicit Remote(HWND window) : m_window(window) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, 0, pid);
        if (m_process)
            m_base = static_cast<BYTE*>(
                VirtualAllocEx(m_process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~Remote() {
        if (m_base)
            VirtualFreeEx(m_process, m_base, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    bool ok() const { return m_base != nullptr; }
    BYTE* at(size_t offset) const { return m_base + offset; }
    template <typename T>
    LRESULT Send(UINT message, WPARAM wParam, T& data) {
        WriteProcessMemory(m_process, m_base, &data, sizeof data, nullptr);
        const LRESULT result = ::Send(m_window, message, wParam, reinterpret_cast<LPARAM>(m_base));
        ReadProcessMemory(m_process, m_base, &data, sizeof data, nullptr);
        return result;
    }

private:
    HWND m_window;
    HANDLE m_process = nullptr;
    BYTE* m_base = nullptr;
};

HTREEITEM Next(HWND tree, HTREEITEM item, WPARAM how) {
    return reinterpret_cast<HTREEITEM>(
        Send(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// Every item whose parents are expanded, in display order; or, given a text, the screen point of
// the first such item with that text (true when there is one).
bool PrintItems(HWND tree, Remote& remote, HTREEITEM first, int depth, const wchar_t* wanted) {
    for (HTREEITEM h = first; h; h = Next(tree, h, TVGN_NEXT)) {
        struct {
            TVITEMW tv;
            wchar_t text[1024];
        } item{};
        TVITEMW& tv = item.tv;
        tv.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN | TVIF_HANDLE;
        tv.hItem = h;
        tv.stateMask = TVIS_EXPANDED;
        tv.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(TVITEMW)));
        tv.cchTextMax = 1023;
        if (!remote.Send(TVM_GETITEMW, 0, item))
            return false;
        const bool expanded = (tv.state & TVIS_EXPANDED) != 0;
        if (wanted && wcscmp(wanted, item.text) == 0) {
            union {
                HTREEITEM item;  // TVM_GETITEMRECT takes the item in the rectangle's place
                RECT rect;
            } where{h};
            remote.Send(TVM_GETITEMRECT, TRUE, where);
            POINT p{(where.rect.left + where.rect.right) / 2,
                    (where.rect.top + where.rect.bottom) / 2};
            ClientToScreen(tree, &p);
            std::printf("%ld %ld\n", p.x, p.y);
            return true;
        }
        if (!wanted)
            std::printf("item %d %d %d %d %s\n", depth, static_cast<int>(tv.lParam),
                        expanded ? 1 : 0, tv.cChildren, Utf8(item.text).c_str());
        if (expanded && PrintItems(tree, remote, Next(tree, h, TVGN_CHILD), depth + 1, wanted))
            return true;
    }
    return false;
}

// The main window's rectangle and enabled state; when the About box is shown, its rectangle,
// the link's and the link's colour on screen (the commonest after the background's), the focused
// control's id, and the point of OK. Screen coordinates.
int PrintAbout(HWND main) {
    RECT m{}, b{}, l{}, ok{};
    GetWindowRect(main, &m);
    std::printf("ml=%ld mt=%ld mr=%ld mb=%ld enabled=%d\n", m.left, m.top, m.right, m.bottom,
                IsWindowEnabled(main));
    const HWND box = FindWindowW(L"#32770", L"About Quarrystone");
    if (!box || !IsWindowVisible(box))
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
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"boxes") {
        const HWND main = FindMain(0);
        for (HWND box : FindDialogs(kMessageBoxTextId)) {
            wchar_t text[512] = {};
            GetDlgItemTextW(box, kMessageBoxTextId, text, 512);
            std::printf("box %p %s%s\n", static_cast<void*>(box),
                        GetWindow(box, GW_OWNER) == main ? "" : "unowned ", Utf8(text).c_str());
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
    if (command == L"about")
        return PrintAbout(main);
    if (command == L"syscommand" && argc > 2)
        return PostMessageW(main, WM_SYSCOMMAND, wcstoul(argv[2], nullptr, 16), 0) ? 0 : 1;
    if (command == L"main") {
        std::printf("%p\n", static_cast<void*>(main));
        return 0;
    }
    const HWND tree = GetDlgItem(main, kTreeId);
    Remote remote(tree);
    if (!remote.ok())
        return 1;
    if (command == L"tree") {
        std::printf("count %d\n", static_cast<int>(Send(tree, TVM_GETCOUNT, 0, 0)));
        PrintItems(tree, remote, Next(tree, nullptr, TVGN_ROOT), 0, nullptr);
        return 0;
    }
    if (command == L"item" && argc > 2)
        return PrintItems(tree, remote, Next(tree, nullptr, TVGN_ROOT), 0, argv[2]) ? 0 : 1;
    return 2;
}
