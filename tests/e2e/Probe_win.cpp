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
//   qs_probe item <text> [corner] screen point of the middle of the shown item's text: "x y"
//                                (its lower left corner with "corner")
//   qs_probe menus               the open popup menus: "menu <left> <top>"
//   qs_probe menuitems           the items of the open popup menu as drawn, top to bottom:
//                                "on" or "grey" a line; separators left out
//   qs_probe layout              the main dialog's controls that overlap or leave its client area
//   qs_probe imagewidth          the tree's image width, from where the root's text begins
//   qs_probe about               the About box as shell assignments (see PrintAbout)
//   qs_probe picture             the About box's picture control, sized to its icon: "<w> <h>"
//   qs_probe syscommand <hex>    posts WM_SYSCOMMAND with that wParam to the main window
//   qs_probe selected            the selected item's text
//   qs_probe view | viewcloser   the view dialog's state (PrintView) | its close box: "x y"
//   qs_probe wheel <delta>       posts the view dialog a wheel message
//   qs_probe shows <path|-[text]> <n> [column [mark count]]  whether the preview shows the file
//                                from line n and that column (-1: one cell from the edge), with
//                                count bytes from offset mark highlighted (CheckPreview); "-" the
//                                empty text, "-text" that text in its place
//   qs_probe cell <n> <column> <offset> hex|text|blank  the screen point of the middle of that
//                                byte's cell (or of the blank after its hex digits) while the
//                                preview shows line n and that column on top
//   qs_probe narrow <width>      makes the preview that many pixels wide
//   qs_probe acc preview|link [<path>|do]  the preview's or the About link's object as a screen
//                                reader reads it (PrintAccessible)
//   qs_probe lines               the main window's two size lines: "volume <text>", "selection
//                                <text>"
//   qs_probe bytesize <n>        n bytes as StrFormatByteSizeW writes them
//   qs_probe rowsize <text>      the pixels right of the shown item's label on its row, as on
//                                the screen: "gray <n> text <n> margin <px from the tree's right>"
//   qs_probe hscroll <n>         scrolls the tree n steps sideways, as its scroll bar's arrow does
//   qs_probe hold <path> <ms>    holds the file open, sharing nothing, as a program that uses
//                                it would; prints "held" once it does
// Exit code 0 on success, 1 when the window or the item asked for is not there. The probe is
// DPI-aware like the program, so that both see the same pixels on a scaled screen.
#include <windows.h>
// after <windows.h>, which it needs
#include <commctrl.h>
#include <oleacc.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "preview/LineFormat.h"

namespace {

const int kTreeId = 1000;
const int kMessageBoxTextId = 0xFFFF;
bool g_corner = false;  // `item` prints the text's lower left corner instead of its middle

// The preview's character cell: 7 x 14 at 96 DPI, scaled with the screen.
SIZE Cell() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return {MulDiv(7, dpi, 96), MulDiv(14, dpi, 96)};
}

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

HTREEITEM Next(HWND tree, HTREEITEM item, WPARAM how) {
    return reinterpret_cast<HTREEITEM>(
        Send(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// A page in the program's address space: tree-view messages carry pointers that the control
// dereferences in its own process. Send() copies the data there, sends, and copies it back.
struct Remote {
    explicit Remote(HWND tree) : window(tree) {
        DWORD pid = 0;
        GetWindowThreadProcessId(tree, &pid);
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, 0, pid);
        base = static_cast<BYTE*>(
            VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~Remote() { VirtualFreeEx(process, base, 0, MEM_RELEASE), CloseHandle(process); }
    template <typename T>
    LRESULT Send(UINT message, WPARAM wParam, T& data) {
        WriteProcessMemory(process, base, &data, sizeof data, nullptr);
        const LRESULT result = ::Send(window, message, wParam, reinterpret_cast<LPARAM>(base));
        ReadProcessMemory(process, base, &data, sizeof data, nullptr);
        return result;
    }
    // An item's text, data, children and expanded state; false when there is no such item.
    bool Read(HTREEITEM h, TVITEMW& tv, wchar_t (&text)[1024]) {
        struct {
            TVITEMW tv;
            wchar_t text[1024];
        } item{};
        item.tv.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN | TVIF_HANDLE;
        item.tv.hItem = h, item.tv.stateMask = TVIS_EXPANDED, item.tv.cchTextMax = 1023;
        item.tv.pszText = reinterpret_cast<wchar_t*>(base + sizeof(TVITEMW));
        const bool read = h && Send(TVM_GETITEMW, 0, item);
        return tv = item.tv, std::copy_n(item.text, 1024, text), read;
    }
    // The rectangle of an item's text, in the tree's client area.
    bool TextRect(HTREEITEM h, RECT& rect) {
        union {
            HTREEITEM item;  // TVM_GETITEMRECT takes the item in the rectangle's place
            RECT rect;
        } where{h};
        return h && Send(TVM_GETITEMRECT, TRUE, where) && (rect = where.rect, true);
    }
    HWND window;
    HANDLE process = nullptr;
    BYTE* base = nullptr;
};

// Every item whose parents are expanded, in display order; or, given a text, the screen point of
// the first such item with that text (true when there is one).
bool PrintItems(HWND tree, Remote& remote, HTREEITEM first, int depth, const wchar_t* wanted) {
    for (HTREEITEM h = first; h; h = Next(tree, h, TVGN_NEXT)) {
        TVITEMW tv{};
        wchar_t text[1024];
        RECT r{};
        if (!remote.Read(h, tv, text))
            return false;
        const bool expanded = (tv.state & TVIS_EXPANDED) != 0;
        if (wanted && wcscmp(wanted, text) == 0 && remote.TextRect(h, r)) {
            POINT p = g_corner ? POINT{r.left, r.bottom}
                               : POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            ClientToScreen(tree, &p);
            std::printf("%ld %ld\n", p.x, p.y);
            return true;
        }
        if (!wanted)
            std::printf("item %d %d %d %d %s\n", depth, static_cast<int>(tv.lParam),
                        expanded ? 1 : 0, tv.cChildren, Utf8(text).c_str());
        if (expanded && PrintItems(tree, remote, Next(tree, h, TVGN_CHILD), depth + 1, wanted))
            return true;
    }
    return false;
}

// A point inside the window's close box, found by hit-testing its caption.
int PrintCloseBox(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    for (int y = frame.top; y < frame.top + 40; ++y)
        for (int x = frame.right - 1; x > frame.right - 60; --x)
            if (Send(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE)
                return std::printf("%d %d\n", x - 4, y + 4) < 0;
    return 1;
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
    for (const auto& [colour, count] : counts)
        ranked.push_back({count, colour});
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

// The About box's picture: the static control that shows an icon, which takes the icon's size.
int PrintAboutPicture() {
    const HWND box = FindWindowW(L"#32770", L"About Quarrystone");
    wchar_t name[16] = {};
    RECT r{};
    for (HWND c = box ? GetWindow(box, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetClassNameW(c, name, 16) && !lstrcmpiW(name, L"Static") &&
            (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && GetWindowRect(c, &r))
            return std::printf("%ld %ld\n", r.right - r.left, r.bottom - r.top) < 0;
    return 1;
}

const int kPreviewId = 1001;

// The view dialog: owned by the main window, holding the preview.
HWND FindView(HWND main) {
    HWND view = nullptr;
    while ((view = FindWindowExW(nullptr, view, L"#32770", nullptr)) &&
           (GetWindow(view, GW_OWNER) != main || !GetDlgItem(view, kPreviewId))) {
    }
    return view;
}

// One shell word.
std::string Quoted(const std::wstring& text) {
    std::string quoted = "'";
    for (const char c : Utf8(text.c_str()))
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The preview's or the About link's client object, read through oleacc from this process, as
// shell assignments: acc_role, acc_state (hex), acc_name, acc_value (its first line), acc_lines
// (its line count), acc_description, acc_action. With a path, acc_dump: the file's first 10 bytes
// formatted here; with "do", the default action is done and acc_done is its result.
int PrintAccessible(HWND main, const std::wstring& which, const std::wstring& extra) {
    const HWND window = which == L"link"
                            ? GetDlgItem(FindWindowW(L"#32770", L"About Quarrystone"), 1002)
                            : GetDlgItem(FindView(main), kPreviewId);
    IAccessible* object = nullptr;
    CoInitialize(nullptr);
    if (!window || FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&object))))
        return 1;
    VARIANT self{}, role{}, state{};
    self.vt = VT_I4, self.lVal = CHILDID_SELF;
    BSTR texts[4] = {};
    object->get_accRole(self, &role), object->get_accState(self, &state);
    object->get_accName(self, &texts[0]), object->get_accValue(self, &texts[1]);
    object->get_accDescription(self, &texts[2]), object->get_accDefaultAction(self, &texts[3]);
    std::wstring value = texts[1] ? texts[1] : L"";
    const long lines = value.empty() ? 0 : std::count(value.begin(), value.end(), L'\n') + 1;
    value.resize(std::min(value.size(), value.find(L"\r\n")));
    std::printf("acc_role=%ld\nacc_state=0x%08lX\nacc_name=%s\nacc_value=%s\nacc_lines=%ld\n",
                role.lVal, state.lVal, Quoted(texts[0] ? texts[0] : L"").c_str(),
                Quoted(value).c_str(), lines);
    std::printf("acc_description=%s\nacc_action=%s\n", Quoted(texts[2] ? texts[2] : L"").c_str(),
                Quoted(texts[3] ? texts[3] : L"").c_str());
    for (BSTR text : texts)
        SysFreeString(text);
    if (extra == L"do")
        std::printf("acc_done=0x%08lX\n", object->accDoDefaultAction(self));
    char bytes[10] = {};
    std::ifstream file(std::filesystem::path(extra), std::ios::binary);
    if (extra != L"do" && file.read(bytes, 10).gcount() > 0) {
        const std::u16string line = qs::FormatLine(reinterpret_cast<std::uint8_t*>(bytes),
                                                   static_cast<int>(file.gcount()), 0, 10);
        std::printf("acc_dump=%s\n",
                    Quoted(reinterpret_cast<const wchar_t*>(line.c_str())).c_str());
    }
    object->Release();
    CoUninitialize();  // the program's side learns at once that we are gone
    return 0;
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
    std::printf("rows %ld %p\ncaption %s\n", r.bottom / Cell().cy, static_cast<void*>(view),
                Utf8(caption).c_str());
    return 0;
}

// Compares the preview's pixels on the screen with the dump of `path` from line `top` drawn here
// as the control draws it at 10 bytes a line, from character column `column` (-1 while a whole
// line fits: one cell from the left edge), rows a cell less one pixel apart, with `marked` bytes
// from `mark` highlighted, or with the empty text for "-". A hidden dialog is shown for the look,
// without activation, and hidden again. The probe ends at once: its GDI objects go with it.
int CheckPreview(HWND view, const std::wstring& path, int top, int column, int mark, int marked) {
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
    const SIZE cell = Cell();
    SelectObject(dc[1], CreateFontW(cell.cy, cell.cx, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                                    ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    ANTIALIASED_QUALITY, FIXED_PITCH | FF_DONTCARE, L"Courier"));
    if (path[0] == L'-') {
        std::wstring text = path.size() > 1 ? path.substr(1) : L"No data to display";
        RECT r{0, 0, width, 0};
        const UINT format = DT_WORDBREAK | DT_CENTER;
        DrawTextExW(dc[1], &text[0], -1, &r, DT_CALCRECT | format, nullptr);
        OffsetRect(&r, width / 2 - r.right / 2, 0);
        DrawTextExW(dc[1], &text[0], -1, &r, format, nullptr);
    } else {
        std::vector<std::uint8_t> bytes(1 << 20);
        DWORD size = 0;
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &size, nullptr);
        CloseHandle(file);
        const int end =
            std::min(top + height / static_cast<int>(cell.cy) + 1, static_cast<int>(size + 9) / 10);
        for (int i = top; i < end; ++i) {
            const int count = std::min<int>(size - i * 10, 10);
            const std::u16string line = qs::FormatLine(&bytes[i * 10], count, i * 10, 10);
            // The marked bytes of this line, a to b, in the highlight colours: the hex digits from
            // a's first to b's last, and their characters; the rest as it is.
            const int a = std::max(mark - i * 10, 0),
                      b = std::min(mark + marked - i * 10, count) - 1;
            const int runs[] = {10 + 3 * a, 12 + 3 * b, 41 + a, 42 + b, 51};
            for (int run = 0, from = 0; run < (a <= b ? 5 : 1); from = runs[run++]) {
                SetBkColor(dc[1], run % 2 ? GetSysColor(COLOR_HIGHLIGHT) : RGB(255, 255, 255));
                SetTextColor(dc[1], run % 2 ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
                TextOutW(dc[1], (from - column) * cell.cx, (i - top) * (cell.cy - 1),
                         reinterpret_cast<const wchar_t*>(line.c_str()) + from,
                         (a <= b ? runs[run] : 51) - from);
            }
        }
    }
    GdiFlush();
    int differ = 0;
    for (int i = 0; i < width * height; ++i)
        differ += ((pixels[0][i] ^ pixels[1][i]) & 0xFFFFFF) != 0;
    if (hidden)
        ShowWindow(view, SW_HIDE);
    std::printf("%d of %d pixels differ, rows %ld pixels apart\n", differ, width * height,
                cell.cy - 1);
    return differ == 0 && width > 0 ? 0 : 1;
}

// The main dialog's controls, each against the client area and against every other.
int PrintLayout(HWND main) {
    RECT client{};
    GetClientRect(main, &client);
    std::vector<std::pair<int, RECT>> controls;
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        controls.push_back({GetDlgCtrlID(c), r});
    }
    int faults = 0;
    for (size_t i = 0; i < controls.size(); ++i) {
        RECT both{};
        if (!UnionRect(&both, &client, &controls[i].second) || !EqualRect(&both, &client))
            faults += std::printf("control %d leaves the client area\n", controls[i].first) > 0;
        for (size_t j = i + 1; j < controls.size(); ++j)
            if (IntersectRect(&both, &controls[i].second, &controls[j].second))
                faults += std::printf("controls %d and %d overlap\n", controls[i].first,
                                      controls[j].first) > 0;
    }
    return controls.size() > 1 && faults == 0 ? 0 : 1;
}

// The popup menus open on the screen.
int PrintMenus() {
    RECT r{};
    for (HWND m = nullptr; (m = FindWindowExW(nullptr, m, L"#32768", nullptr));)
        IsWindowVisible(m) && GetWindowRect(m, &r) && std::printf("menu %ld %ld\n", r.left, r.top);
    return 0;
}

// The items of the one open popup menu as it draws them, top to bottom, none of them highlighted:
// "on" for a row with text in the menu's text colour, "grey" for one without. Wine does not let
// another process read a menu's items, so the probe reads the pixels inside the menu's frame: an
// item is a band of rows that differ from the menu's background, and a band of a few rows (a
// separator's etched line) is none.
int PrintMenuItems() {
    const HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr);
    RECT r{};
    if (menu == nullptr || !IsWindowVisible(menu) || !GetWindowRect(menu, &r))
        return 1;
    const int width = r.right - r.left, height = r.bottom - r.top, frame = 4;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* pixels = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap =
        CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const HDC screen = GetDC(nullptr);
    BitBlt(dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    const COLORREF ink = GetSysColor(COLOR_MENUTEXT);
    const DWORD text = GetRValue(ink) << 16 | GetGValue(ink) << 8 | GetBValue(ink);
    const DWORD background = pixels[frame * width + frame] & 0xFFFFFF;
    int items = 0, band = 0;
    bool bandOn = false;
    for (int y = frame; y <= height - frame; ++y) {
        bool drawn = false;
        for (int x = frame; y < height - frame && x < width - frame; ++x) {
            const DWORD pixel = pixels[y * width + x] & 0xFFFFFF;
            drawn = drawn || pixel != background;
            bandOn = bandOn || pixel == text;
        }
        if (drawn) {
            ++band;
        } else {
            if (band > 4)
                items += std::printf("%s\n", bandOn ? "on" : "grey") > 0;
            band = 0;
            bandOn = false;
        }
    }
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return items > 0 ? 0 : 1;
}

}  // namespace

// The first shown item with this text, depth first.
HTREEITEM FindShown(HWND tree, Remote& remote, HTREEITEM first, const wchar_t* wanted) {
    for (HTREEITEM h = first; h; h = Next(tree, h, TVGN_NEXT)) {
        TVITEMW tv{};
        wchar_t text[1024];
        if (!remote.Read(h, tv, text))
            return nullptr;
        if (wcscmp(wanted, text) == 0)
            return h;
        if (tv.state & TVIS_EXPANDED)
            if (const HTREEITEM found = FindShown(tree, remote, Next(tree, h, TVGN_CHILD), wanted))
                return found;
    }
    return nullptr;
}

// The size lines, a size as the shell writes it, and the size drawn on an item's row.
int PrintSizes(const std::wstring& command, const wchar_t* argument, HWND main, HWND tree,
               Remote& remote) {
    wchar_t text[1024] = {};
    if (command == L"lines") {
        GetDlgItemTextW(main, 1004, text, 1024);
        std::printf("volume %s\n", Utf8(text).c_str());
        GetDlgItemTextW(main, 1005, text, 1024);
        return std::printf("selection %s\n", Utf8(text).c_str()) < 0;
    }
    if (command == L"bytesize") {
        StrFormatByteSizeW(_wtoi64(argument), text, 1024);
        return std::printf("%s\n", Utf8(text).c_str()) < 0;
    }
    const HTREEITEM item = FindShown(tree, remote, Next(tree, nullptr, TVGN_ROOT), argument);
    RECT label{}, client{};
    if (!item || !remote.TextRect(item, label) || !GetClientRect(tree, &client))
        return 1;
    const COLORREF gray = GetSysColor(COLOR_GRAYTEXT), ink = GetSysColor(COLOR_WINDOWTEXT),
                   window = GetSysColor(COLOR_WINDOW);
    int grays = 0, inks = 0;
    LONG rightmost = label.right;
    const HDC screen = GetDC(nullptr);
    for (LONG y = label.top; y < label.bottom; ++y)
        for (LONG x = label.right + 1; x < client.right; ++x) {
            POINT p{x, y};
            ClientToScreen(tree, &p);
            const COLORREF c = GetPixel(screen, p.x, p.y);
            grays += c == gray;
            inks += c == ink;
            if (c != window)
                rightmost = std::max(rightmost, x);
        }
    ReleaseDC(nullptr, screen);
    return std::printf("gray %d text %d margin %ld\n", grays, inks, client.right - rightmost) < 0;
}

int wmain(int argc, wchar_t** argv) {
    SetProcessDPIAware();
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"menus")
        return PrintMenus();
    if (command == L"menuitems")
        return PrintMenuItems();
    if (command == L"picture")
        return PrintAboutPicture();
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
    if (command == L"hold" && argc > 3) {
        const HANDLE file = CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 1;
        std::printf("held\n");
        std::fflush(stdout);
        Sleep(wcstoul(argv[3], nullptr, 10));
        CloseHandle(file);
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
    if (command == L"acc" && argc > 2)
        return PrintAccessible(main, argv[2], argc > 3 ? argv[3] : L"");
    if (command == L"layout")
        return PrintLayout(main);
    if (command == L"syscommand" && argc > 2)
        return !PostMessageW(main, WM_SYSCOMMAND, wcstoul(argv[2], nullptr, 16), 0);
    if (command == L"main")
        return std::printf("%p\n", static_cast<void*>(main)) < 0;
    const HWND tree = GetDlgItem(main, kTreeId);
    Remote remote(tree);
    const HTREEITEM root = Next(tree, nullptr, TVGN_ROOT);
    TVITEMW tv{};
    wchar_t text[1024];
    RECT r{};
    if (!remote.base)
        return 1;
    if (command == L"tree") {
        std::printf("count %d\n", static_cast<int>(Send(tree, TVM_GETCOUNT, 0, 0)));
        PrintItems(tree, remote, root, 0, nullptr);
        return 0;
    }
    if (command == L"imagewidth") {  // a top-level item: its indent, then its image, then its text
        const LRESULT indent = Send(tree, TVM_GETINDENT, 0, 0);
        return remote.TextRect(root, r) ? std::printf("%ld\n", r.left - LONG(indent)) < 0 : 1;
    }
    if (command == L"item" && argc > 2) {
        g_corner = argc > 3;
        return PrintItems(tree, remote, root, 0, argv[2]) ? 0 : 1;
    }
    if (command == L"hscroll" && argc > 2) {
        for (int i = 0; i < _wtoi(argv[2]); ++i)
            Send(tree, WM_HSCROLL, SB_LINERIGHT, 0);
        return 0;
    }
    if (command == L"lines" || command == L"bytesize" || command == L"rowsize")
        return PrintSizes(command, argc > 2 ? argv[2] : L"", main, tree, remote);
    if (command == L"selected")
        return remote.Read(Next(tree, nullptr, TVGN_CARET), tv, text)
                   ? std::printf("%s\n", Utf8(text).c_str()) < 0
                   : 1;
    HWND view = FindView(main);
    if (!view)
        return 1;
    if (command == L"view")
        return PrintView(main, view);
    if (command == L"viewcloser")
        return PrintCloseBox(view);
    if (command == L"wheel" && argc > 2)
        return !PostMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, _wtoi(argv[2])), 0);
    if (command == L"shows" && argc > 3)
        return CheckPreview(view, argv[2], _wtoi(argv[3]), argc > 4 ? _wtoi(argv[4]) : -1,
                            argc > 5 ? _wtoi(argv[5]) : 0, argc > 6 ? _wtoi(argv[6]) : 0);
    const HWND preview = GetDlgItem(view, kPreviewId);
    if (command == L"cell" && argc > 5) {  // a hex byte's cell is its two digits
        const SIZE cell = Cell();
        const int offset = _wtoi(argv[4]), k = offset % 10;
        const bool hex = argv[5][0] == L'h', blank = argv[5][0] == L'b';
        const int column = (blank ? 12 + 3 * k : hex ? 10 + 3 * k : 41 + k) - _wtoi(argv[3]);
        POINT p{column * cell.cx + (hex ? cell.cx : cell.cx / 2),
                (offset / 10 - _wtoi(argv[2])) * (cell.cy - 1) + cell.cy / 2};
        return !ClientToScreen(preview, &p) || std::printf("%ld %ld\n", p.x, p.y) < 0;
    }
    if (command == L"narrow" && argc > 2 && GetWindowRect(preview, &r))
        return !SetWindowPos(preview, nullptr, 0, 0, _wtoi(argv[2]), r.bottom - r.top,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 2;
}
