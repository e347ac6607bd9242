// The main dialog in a user's session: each platform call whose failure the program handles fails
// once, through this executable's import table (which every call of our static libraries goes
// through), and the program goes on, says what it should and loses nothing. No long session grows.
// The import table also stands in for a made-up machine's volumes and monitor.
#include <windows.h>

#include <commdlg.h>
#include <objbase.h>
#include <psapi.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <new>
#include <set>
#include <tuple>

#include "app/MainDlg.h"
#include "app/RunDialog.h"
#include "commands/FolderCommands.h"
#include "commands/SaveCopy.h"
#include "platform/system/Clipboard.h"
#include "platform/system/ErrorText.h"
#include "platform/system/FileMapping.h"
#include "platform/system/FileSearch.h"
#include "platform/system/FolderLister.h"
#include "platform/system/PropertySheet.h"
#include "platform/system/StagedVolumeQueries.h"
#include "platform/system/SystemVolumeQueries.h"
#include "platform/system/Text.h"
#include "platform/system/WideText.h"
#include "platform/window/AppModule.h"
#include "platform/window/CentreWindow.h"
#include "platform/window/MenuPlacement_win.h"
#include "res/resource.h"
#include "tree/HiddenVolume.h"
#include "tree/ItemPath.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

const char* g_failing = nullptr;  // the call to fail next, once (a plain pointer: set before main)
int g_skip = 0;                   // how many of its calls go through first
std::wstring g_events;            // what the user met: menus, message boxes, the shell, About
UINT g_command = 0;               // the user's pick in a context menu
POINT g_menuAt;                   // and where it opened
std::wstring g_target;            // and in the Save dialog
std::vector<std::pair<void**, void*>> g_patched;  // import slots and what they held
std::map<std::string, int> g_calls;               // patched calls that went through, by name

bool FailNow(const char* call) {
    const bool now = g_failing && std::strcmp(g_failing, call) == 0 && g_skip-- == 0;
    g_failing = now ? nullptr : g_failing;
    return now;
}

template <int I, class R, class... A>
struct Slot {
    static inline const char* name;
    static inline R failure;
    static inline R(WINAPI* call)(A...);  // the import's own target, or a stand-in for the user
    static R WINAPI Wrapper(A... args) {
        return FailNow(name) ? (::SetLastError(ERROR_ACCESS_DENIED), failure)
                             : (++g_calls[name], call(args...));
    }
};

// Every slot of this executable's import table that imports the function goes to the wrapper.
template <int I, class R, class... A>
void Patch(const char* name, R(WINAPI*)(A...), std::enable_if_t<true, R> failure,
           std::enable_if_t<true, R(WINAPI*)(A...)> standIn = nullptr) {
    using S = Slot<I, R, A...>;
    S::name = name, S::failure = failure, S::call = standIn;
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto& nt = *reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
             base + nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
         d->Name != 0; ++d) {
        auto* slot = reinterpret_cast<void**>(base + d->FirstThunk);
        for (auto* n = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
             n->u1.AddressOfData != 0; ++n, ++slot) {
            const auto* entry = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + n->u1.AddressOfData);
            if (IMAGE_SNAP_BY_ORDINAL(n->u1.Ordinal) || std::strcmp(entry->Name, name) != 0)
                continue;
            S::call = S::call ? S::call : reinterpret_cast<R(WINAPI*)(A...)>(*slot);
            g_patched.emplace_back(slot, *slot);
            void* wrapper = reinterpret_cast<void*>(&S::Wrapper);
            ::WriteProcessMemory(::GetCurrentProcess(), slot, &wrapper, sizeof wrapper, nullptr);
        }
    }
}

// The width of a window's big or small icon.
LONG IconWidth(HWND window, WPARAM which) {
    ICONINFO info = {};
    BITMAP bitmap = {};
    ::GetIconInfo(reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, which, 0)), &info);
    ::GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
    ::DeleteObject(info.hbmColor), ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// What a window shows in its top left 160 by 20 pixels, repainted now.
std::vector<COLORREF> Ink(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const HDC dc = ::GetDC(window);
    std::vector<COLORREF> ink;
    for (int i = 0; i < 160 * 20; ++i)
        ink.push_back(::GetPixel(dc, i % 160, i / 160));
    return ::ReleaseDC(window, dc), ink;
}

const std::string kContent(kSaveCopyChunk + 1, 'q');  // a Save As copy of two chunks

// A staged volume (files, an empty one, one gone since it was listed, a folder), a Save As target
// in a folder with room for its name but not a temporary file's under the 260-unit path limit, and
// the main dialog in this thread's loop, with the built program's resources loaded as data.
struct FaultsTest : ::testing::Test {
    void SetUp() override {
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        const fs::path program = fs::path(self).parent_path() / L"../app/QuarrystoneStaged.exe";
        m_resources = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_resources, nullptr) << "program not built: " << program.string();
        ::CoInitialize(nullptr);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&icc);
        g_module.Init(m_resources);
        fs::create_directories(m_root / "v" / "sub");
        std::ofstream(m_root / "v" / "a.bin", std::ios::binary) << kContent;
        std::ofstream(m_root / "v" / "b.bin") << "0123456789abcdefghijklmno";
        for (const char* name : {"empty.bin", "gone.bin", "sub/inner.txt"})
            std::ofstream(m_root / "v" / name).close();
        g_target = (m_out / "target.bin").wstring();
    }
    void TearDown() override {
        m_dlg.reset();
        g_module.RemoveMessageLoop();
        for (auto& [slot, was] : g_patched)
            ::WriteProcessMemory(::GetCurrentProcess(), slot, &was, sizeof was, nullptr);
        g_patched.clear();
        fs::remove_all(m_root);
        g_module.Term();
        ::FreeLibrary(m_resources);
        ::CoUninitialize();
    }
    // Made hidden, centred, with icons and the tree attached, whose listing waits for the loop;
    // then the root alone, collapsed and not selected, with its icons. Each session has a loop of
    // its own, which its view dialog's filter joins.
    void Start() {
        m_dlg.reset();
        g_module.RemoveMessageLoop();
        m_loop = std::make_unique<CMessageLoop>();
        g_module.AddMessageLoop(m_loop.get());
        m_dlg = std::make_unique<CMainDlg>(StagedVolumeQueries::FromText(m_table));
        m_main = m_dlg->Create(nullptr, 0);
        m_tree = ::GetDlgItem(m_main, IDC_FILE_TREE);
        RECT r = {}, w = {};
        ::GetWindowRect(m_main, &r);
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &w, 0);
        MSG msg;
        EXPECT_TRUE(!::IsWindowVisible(m_main) &&
                    std::abs(r.left + r.right - w.left - w.right) < 2 &&
                    std::abs(r.top + r.bottom - w.top - w.bottom) < 2 &&
                    IconWidth(m_main, ICON_BIG) == ::GetSystemMetrics(SM_CXICON) &&
                    IconWidth(m_main, ICON_SMALL) == ::GetSystemMetrics(SM_CXSMICON) &&
                    m_dlg->GetTree().m_hWnd == m_tree && !Item(nullptr) &&
                    ::PeekMessageW(&msg, m_tree, WM_POPULATE_TREE, WM_POPULATE_TREE, PM_NOREMOVE));
        ::ShowWindow(m_main, SW_SHOW);
        Pump();
        const auto images = reinterpret_cast<LRESULT>(m_dlg->GetTree().GetImageList());
        EXPECT_TRUE(Item(nullptr) && !Next(Item(nullptr), TVGN_NEXT) &&
                    !Next(nullptr, TVGN_CARET) && !Expanded() &&
                    ::SendMessageW(m_tree, TVM_GETIMAGELIST, 0, 0) == images);
        Press(nullptr, VK_ADD);
        fs::remove(m_root / "v" / "gone.bin");
        fs::remove_all(m_out);
        fs::create_directories(m_out);
        std::ofstream(fs::path(g_target), std::ios::binary) << "old";
        SetClipboardText(m_main, u"before");
        g_events.clear();
    }
    void Pump() {
        for (MSG m; ::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);)
            if (!m_loop->PreTranslateMessage(&m))
                ::TranslateMessage(&m), ::DispatchMessageW(&m);
    }
    HTREEITEM Next(HTREEITEM item, WPARAM how) const {
        return reinterpret_cast<HTREEITEM>(
            ::SendMessageW(m_tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }
    bool Expanded() const {
        const WPARAM root = reinterpret_cast<WPARAM>(Item(nullptr));
        return ::SendMessageW(m_tree, TVM_GETITEMSTATE, root, TVIS_EXPANDED) != 0;
    }
    // The root, or the item of that name right below it.
    HTREEITEM Item(const wchar_t* name) const {
        HTREEITEM h = Next(nullptr, TVGN_ROOT);
        wchar_t text[MAX_PATH] = {};
        for (UINT how = TVGN_CHILD; name && h && std::wcscmp(text, name) != 0; how = TVGN_NEXT) {
            h = Next(h, how);
            TVITEMW item = {TVIF_TEXT, h, 0, 0, text, MAX_PATH, 0, 0, 0, 0};
            ::SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        return h;
    }
    // A key, or with no key a double-click, on an item.
    void Press(const wchar_t* name, WPARAM key) {
        ::SendMessageW(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Item(name)));
        ::SendMessageW(m_tree, key ? WM_KEYDOWN : WM_LBUTTONDBLCLK, key ? key : MK_LBUTTON, 0);
        Pump();
    }
    // a.bin's label in the tree's client area.
    RECT Label() const {
        RECT rect = {};
        const HTREEITEM item = Item(L"a.bin");
        std::memcpy(&rect, &item, sizeof item);  // the item goes in, its rectangle comes out
        ::SendMessageW(m_tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }
    void Menu(UINT command) {
        const RECT rect = Label();
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        g_command = command;
        // The release ends the tree view's own tracking of the click that the menu begins with.
        ::PostMessageW(m_tree, WM_RBUTTONUP, 0, at);
        ::SendMessageW(m_tree, WM_RBUTTONDOWN, 0, at);
        Pump();
    }
    HWND View() const {
        const HWND view = ::GetLastActivePopup(m_main);
        return view != m_main && ::IsWindowVisible(view) ? view : nullptr;
    }
    // What the session shows beyond its main window, no view, no files open, the clipboard and
    // the target as they were; then what the user met. Paths on the volume start with "V\".
    std::wstring State() const {
        wchar_t caption[MAX_PATH] = {}, *clip = nullptr;
        std::wstring state = ::IsWindowVisible(m_main) ? L"" : L"main gone ";
        if (View() && ::GetWindowTextW(View(), caption, MAX_PATH))
            state += L"view=" + std::wstring(caption) + L" ";
        const mapping::Counters c = mapping::GetCounters();
        if (c.filesOpened != c.filesClosed || c.mappingsCreated != c.mappingsClosed)
            state += L"open=" + std::to_wstring(c.filesOpened - c.filesClosed) + L"/" +
                     std::to_wstring(c.mappingsCreated - c.mappingsClosed) + L" ";
        ::OpenClipboard(nullptr);
        const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
        if ((clip = static_cast<wchar_t*>(::GlobalLock(data))) && std::wcscmp(clip, L"before"))
            state += L"clip=" + std::wstring(clip) + L" ";
        ::GlobalUnlock(data), ::CloseClipboard();
        // A block the clipboard did not take is ours to free.
        if (g_calls["GlobalAlloc"] != g_calls["GlobalFree"] + g_calls["SetClipboardData"])
            state += L"block kept ";
        g_calls.clear();
        std::ifstream target(fs::path(g_target), std::ios::binary);
        const std::string content{std::istreambuf_iterator<char>(target), {}};
        state += content == "old" ? L"" : content == kContent ? L"target=a.bin " : L"target=? ";
        if (std::distance(fs::directory_iterator(m_out), {}) != 1)
            state += L"more files ";
        state += Next(Item(L"sub"), TVGN_CHILD) ? L"sub+ " : L"";
        state += g_events;
        for (size_t at; (at = state.find(m_volume)) != std::wstring::npos;)
            state.replace(at, m_volume.size(), L"V\\");
        return state;
    }

    HMODULE m_resources = nullptr;
    const fs::path m_root =
        fs::temp_directory_path() / ("qs-faults-" + std::to_string(::GetCurrentProcessId()));
    const fs::path m_out = m_root / std::wstring(246 - m_root.wstring().size(), L'd');
    const std::wstring m_volume = L"\\\\?\\" + (m_root / "v").wstring() + L"\\";
    const std::string m_table = Utf16ToUtf8(FromWide(m_volume.c_str())) + "|3||NTFS|104857600\n";
    std::unique_ptr<CMessageLoop> m_loop;
    std::unique_ptr<CMainDlg> m_dlg;
    HWND m_main = nullptr, m_tree = nullptr;
};

TEST_F(FaultsTest, EachHandledFailureOnceAndTheProgramGoesOn) {
    Patch<0>("CreateFileW", ::CreateFileW, INVALID_HANDLE_VALUE);
    Patch<1>("CreateFileMappingW", ::CreateFileMappingW, nullptr);
    Patch<2>("MapViewOfFile", ::MapViewOfFile, nullptr);
    Patch<3>("GetFileSizeEx", ::GetFileSizeEx, FALSE);
    Patch<4>("ReadFile", ::ReadFile, FALSE);
    Patch<5>("WriteFile", ::WriteFile, FALSE);
    Patch<6>("MoveFileExW", ::MoveFileExW, FALSE);
    Patch<7>("OpenClipboard", ::OpenClipboard, FALSE);
    Patch<8>("EmptyClipboard", ::EmptyClipboard, FALSE);
    Patch<9>("GlobalAlloc", ::GlobalAlloc, nullptr);
    // The menu asked for; the A form, not patched, loads the same numbered resource.
    Patch<10>("LoadMenuW", ::LoadMenuW, nullptr, [](HINSTANCE module, LPCWSTR id) {
        g_events += L"menu " + std::to_wstring(reinterpret_cast<UINT_PTR>(id)) + L" ";
        return ::LoadMenuA(module, reinterpret_cast<LPCSTR>(id));
    });
    Patch<11>("CreateDialogParamW", ::CreateDialogParamW, nullptr);
    // The About box, made modeless for the occasion: Space on its link opens the address.
    Patch<12>("DialogBoxParamW", ::DialogBoxParamW, -1,
              [](HINSTANCE module, LPCWSTR id, HWND owner, DLGPROC proc, LPARAM param) -> INT_PTR {
                  g_events += L"about=" + std::to_wstring(reinterpret_cast<UINT_PTR>(id)) + L" ";
                  const HWND box = ::CreateDialogParamW(module, id, owner, proc, param);
                  const HWND link = ::GetDlgItem(box, IDC_ABOUT_LINK);
                  ::ShowWindow(box, SW_SHOWNA);
                  const std::vector<COLORREF> unvisited = Ink(link);
                  ::SendMessageW(link, WM_CHAR, VK_SPACE, 0);
                  g_events += Ink(link) == unvisited ? L"" : L"visited ";
                  return ::DestroyWindow(box), IDOK;
              });
    Patch<13>("MessageBoxW", ::MessageBoxW, 0, [](HWND, LPCWSTR text, LPCWSTR, UINT) {
        g_events += L"box=" + std::wstring(text) + L" ";
        return IDOK;
    });
    Patch<14>("TrackPopupMenu", ::TrackPopupMenu, FALSE,
              [](HMENU, UINT, int x, int y, int, HWND, const RECT*) {
                  return g_menuAt = {x, y}, static_cast<BOOL>(g_command);
              });
    Patch<15>("GetSaveFileNameW", ::GetSaveFileNameW, FALSE, [](OPENFILENAMEW* ofn) {
        const bool asked = ofn->lStructSize == 152 && ofn->hwndOwner == ::GetActiveWindow() &&
                           ofn->hInstance == g_module.GetResourceInstance() &&
                           !std::memcmp(ofn->lpstrFilter, L"All Files\0*.*\0", 30) &&
                           ofn->nMaxFile == 260 && ofn->nMaxFileTitle == 256 &&
                           ofn->Flags == 0x880026 && !std::wcscmp(ofn->lpstrFile, L"a.bin");
        g_events += asked ? L"" : L"other settings ";
        ofn->lpstrFile[g_target.copy(ofn->lpstrFile, ofn->nMaxFile - 1)] = L'\0';
        return TRUE;
    });
    Patch<16>("SetClipboardData", ::SetClipboardData, nullptr);
    Patch<17>("GlobalFree", ::GlobalFree, nullptr);
    Patch<18>("ShellExecuteW", ::ShellExecuteW, reinterpret_cast<HINSTANCE>(SE_ERR_NOASSOC),
              [](HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT) {
                  g_events += std::wstring(verb) + L"=" + file + L" ";
                  return reinterpret_cast<HINSTANCE>(42);
              });
    // These two are taken as pointers before main: their seams stand in for the table.
    CFileSearch::SetFindFirstFileForTesting([](LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
        return FailNow("FindFirstFileW") ? INVALID_HANDLE_VALUE : ::FindFirstFileW(pattern, data);
    });
    SetShellExecuteExForTesting([](SHELLEXECUTEINFOW* i) -> BOOL {
        const bool asked = i->cbSize == 112 && i->fMask == 0x0C && i->nShow == SW_SHOW && !i->hwnd;
        g_events += L"shell=" + std::wstring(i->lpVerb) + L"," + i->lpFile + (asked ? L" " : L"?");
        return !FailNow("ShellExecuteExW");
    });

    const auto view = [this] { Press(L"a.bin", 0); };
    const auto copy = [this] { Menu(ID_FILE_COPYPATH); };
    const auto save = [this] { Menu(ID_FILE_SAVEAS); };
    const auto expand = [this] { Press(L"sub", VK_SUBTRACT), Press(L"sub", VK_ADD); };
    // The keyboard's menu: none for F10 alone, a held Shift+F10's auto-repeat (bit 30) or a
    // WM_CONTEXTMENU at a point (it follows a right click, which opened its own); a first Shift+F10
    // opens it under a.bin's label, scrolled back into a tree two items high, its x brought into
    // the work area from a window hanging off it. (The Menu key's is the acceptance run's.)
    const auto keyed = [this] {
        RECT work = {}, client = {};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        ::SetWindowPos(m_main, nullptr, work.left - 300, work.top + 50, 0, 0, SWP_NOSIZE);
        const auto high = 2 * ::SendMessageW(m_tree, TVM_GETITEMHEIGHT, 0, 0) + 4;
        ::SetWindowPos(m_tree, nullptr, 0, 0, 400, static_cast<int>(high), SWP_NOMOVE);
        ::SendMessageW(m_tree, TVM_SELECTITEM, TVGN_CARET,
                       reinterpret_cast<LPARAM>(Item(L"a.bin")));
        ::SendMessageW(m_tree, WM_VSCROLL, SB_BOTTOM, 0);
        ::SendMessageW(m_tree, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_tree),
                       MAKELPARAM(20, 20));
        g_command = ID_FILE_COPYPATH, g_menuAt = {-99999, 0};
        BYTE keys[256] = {};
        for (const auto& [shift, repeat] : {std::pair{0, 0}, {0x80, 1 << 30}, {0x80, 0}}) {
            ::GetKeyboardState(keys), keys[VK_SHIFT] = static_cast<BYTE>(shift);
            ::SetKeyboardState(keys);
            ::SendMessageW(m_tree, WM_SYSKEYDOWN, VK_F10, 1 | repeat);
            // (F10 alone let go of would open the system menu.)
            ::SendMessageW(m_tree, shift ? WM_SYSKEYUP : WM_KEYUP, shift ? VK_F10 : VK_SHIFT, 0);
        }
        keys[VK_SHIFT] = 0, ::SetKeyboardState(keys);
        const RECT label = Label();
        POINT under = {label.left, label.bottom};
        ::ClientToScreen(m_tree, &under), ::GetClientRect(m_tree, &client);
        const bool in = label.top >= 0 && label.bottom <= client.bottom && under.x < work.left;
        if (g_menuAt.x != -99999 && (!in || g_menuAt.x != work.left || g_menuAt.y != under.y))
            g_events += L"at " + std::to_wstring(g_menuAt.x) + L"," + std::to_wstring(g_menuAt.y);
    };
    const auto about = [this] { ::SendMessageW(m_main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); };
    // Another program holds the source open for writing under the fault: ours reads with read
    // sharing only. (A target held is the acceptance run's.)
    const auto held = [this] {
        std::ofstream holder;
        if (FailNow("held"))
            holder.open(m_root / "v" / "a.bin", std::ios::app);
        Menu(ID_FILE_SAVEAS);
    };
    const auto run = [this] {
        // One loop a thread: the run brings its own, and a quit waits to end it at once.
        g_module.RemoveMessageLoop();
        ::PostQuitMessage(2);
        CMainDlg other(StagedVolumeQueries::FromText(m_table));
        const int result = RunMainDialog(other, SW_SHOW);
        MSG quit;  // a run without a dialog runs no loop: the quit is still there
        const bool left = ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
        g_events += L"run=" + std::to_wstring(result) + (left ? L" quit left " : L" ") +
                    (g_module.GetMessageLoop() ? L"loop kept " : L"");
        g_module.AddMessageLoop(m_loop.get());
    };
    const wchar_t *viewed = L"view=V\\a.bin open=1/1 ", *saved = L"target=a.bin menu 201 ",
                  *copied = L"clip=V\\a.bin menu 201 ",
                  *read = L"menu 201 box=Can't read selected file ",
                  *opened = L"menu 201 box=Can't open target file ",
                  *selected = L"menu 201 box=Can't open selected file ",
                  *shown = L"menu 201 shell=properties,V\\a.bin ",
                  *linked = L"about=100 open=" QS_HOME_PAGE " visited ";
    // Each row: what it is, the call that fails once after `skip` calls of it, the action, and the
    // state after it under the fault, then after it again.
    using Call = const char*;
    using Text = const wchar_t*;
    // clang-format off
    const std::vector<std::tuple<Call, Call, int, std::function<void()>, Text, Text>> rows = {
        {"opening for View", "CreateFileW", 0, view, L"view=V\\a.bin ", viewed},
        {"mapping", "CreateFileMappingW", 0, view, L"view=V\\a.bin open=1/0 ", viewed},
        {"viewing while painting", "MapViewOfFile", 0, view, viewed, viewed},
        {"view dialog creation", "CreateDialogParamW", 0, view, L"", viewed},
        {"listing", "FindFirstFileW", 0, expand, L"", L"sub+ "},
        {"clipboard opening", "OpenClipboard", 0, copy, L"menu 201 ", copied},
        {"clipboard emptying", "EmptyClipboard", 0, copy, L"menu 201 ", copied},
        {"clipboard block", "GlobalAlloc", 0, copy, L"menu 201 ", copied},
        {"clipboard refusing", "SetClipboardData", 0, copy, L"menu 201 ", copied},
        {"menu loading", "LoadMenuW", 0, copy, L"", copied},
        {"keyboard's menu", "LoadMenuW", 0, keyed, L"", copied},
        {"Save dialog", "GetSaveFileNameW", 0, save, L"menu 201 ", saved},
        {"Save As source", "CreateFileW", 0, save, selected, saved},
        {"Save As source held", "held", 0, held, selected, saved},
        {"Save As target", "CreateFileW", 1, save, opened, saved},
        {"Save As temporary", "CreateFileW", 2, save, opened, saved},
        {"Save As size", "GetFileSizeEx", 0, save, read, saved},
        {"copy buffer", "new[]", 0, save, read, saved},
        {"reading chunk 2", "ReadFile", 1, save, read, saved},
        {"writing chunk 2", "WriteFile", 1, save, L"menu 201 box=Can't write target file ", saved},
        {"replacing", "MoveFileExW", 0, save, opened, saved},
        {"Properties", "ShellExecuteExW", 0, [this] { Menu(ID_FILE_PROPERTIES); }, shown, shown},
        {"About box", "DialogBoxParamW", 0, about, L"", linked},
        {"About link", "ShellExecuteW", 0, about, L"about=100 ", linked},
        {"main dialog creation", "CreateDialogParamW", 0, run, L"run=0 quit left ", L"run=2 "},
    };
    // clang-format on
    for (const auto& [name, fault, skip, action, faulted, fine] : rows) {
        Start();
        for (const bool faulty : {true, false}) {
            g_events.clear();
            g_failing = faulty ? fault : nullptr;
            g_skip = skip;
            action();
            EXPECT_EQ(g_failing, nullptr) << name << ": the failing call was never made";
            EXPECT_EQ(State(), faulty ? faulted : fine) << name << (faulty ? "" : ", again");
        }
    }
    CFileSearch::SetFindFirstFileForTesting(nullptr);
    SetShellExecuteExForTesting(nullptr);
}

// Kernel handles, the room left for GDI objects, private bytes. Wine answers 1 to the handle count,
// 0 to GetGuiResources and to the private usage: there live handles are counted (the lower of two
// counts: one of Wine's comes and goes), brushes made while they can be, private commits summed.
std::vector<unsigned long long> Measure() {
    DWORD reported = 0, counted[2] = {}, flags = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &reported);
    for (DWORD& count : counted)
        for (ULONG_PTR value = 4; value < 0x10000; value += 4)
            count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    std::vector<HBRUSH> brushes;
    for (HBRUSH brush; brushes.size() < 200000 && (brush = ::CreateSolidBrush(RGB(1, 2, 3)));)
        brushes.push_back(brush);
    for (HBRUSH brush : brushes)
        ::DeleteObject(brush);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    unsigned long long privateBytes = memory.PrivateUsage;
    MEMORY_BASIC_INFORMATION m = {};
    for (const char* at = nullptr; !memory.PrivateUsage && ::VirtualQuery(at, &m, sizeof m);
         at = static_cast<const char*>(m.BaseAddress) + m.RegionSize)
        privateBytes += m.State == MEM_COMMIT && m.Type == MEM_PRIVATE ? m.RegionSize : 0;
    const DWORD handles = counted[0] < counted[1] ? counted[0] : counted[1];
    return {reported > handles ? reported : handles, brushes.size(), privateBytes};
}

// Also: what the tree asks to view, and what it lists once only.
TEST_F(FaultsTest, ALongSessionOfViewsAndScrollsDoesNotGrow) {
    Start();
    // A double-click with nothing selected asks for an empty path: the view shows, loading nothing.
    ::SendMessageW(m_tree, TVM_SELECTITEM, TVGN_CARET, 0);
    ::SendMessageW(m_tree, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    EXPECT_EQ(State(), L"view=Dialog ");
    const wchar_t* const files[] = {L"a.bin", L"empty.bin", L"b.bin", L"gone.bin"};
    // Keys to the tree (through the loop's filters), the wheel to the view, bars to the preview.
    const UINT messages[] = {WM_KEYDOWN, WM_MOUSEWHEEL, WM_VSCROLL, WM_HSCROLL, WM_KEYDOWN};
    const WPARAM requests[] = {VK_NEXT, MAKEWPARAM(0, -WHEEL_DELTA), SB_PAGEDOWN, SB_LINERIGHT,
                               VK_END};
    std::vector<unsigned long long> first;
    for (int i = 0; i < 1000; ++i) {
        Press(files[i % 4], 0);
        const int k = i % 5;
        const HWND to = k == 0 || k == 4 ? m_tree : View();
        ::PostMessageW(k == 2 || k == 3 ? ::GetDlgItem(to, IDC_PREVIEW) : to, messages[k],
                       requests[k], 0);
        Pump();
        if (i == 19)
            first = Measure();
    }
    const std::vector<unsigned long long> last = Measure();
    std::printf(
        "after 20 and 1000 views: %llu and %llu handles, room for %llu and %llu GDI "
        "objects, %llu and %llu KiB private\n",
        first[0], last[0], first[1], last[1], first[2] / 1024, last[2] / 1024);
    EXPECT_LE(last[0], first[0]);
    EXPECT_GE(last[1], first[1]);
    // The heap commits 64 KiB at a time and Wine's caches fill during the first hundred views
    // (seen: one such step, then flat). A path leaked each view would pass it, a bitmap at once.
    EXPECT_LE(last[2], first[2] + 128 * 1024);
    // A double-click on the root or a folder views and expands nothing; expanding the root again
    // lists nothing anew, so the file gone since keeps its item.
    const std::wstring before = State();
    Press(nullptr, 0), Press(L"sub", 0);
    EXPECT_TRUE(State() == before && Expanded());
    Press(nullptr, VK_SUBTRACT), Press(nullptr, VK_ADD);
    EXPECT_TRUE(Item(L"gone.bin"));
}

using namespace std::string_literals;

// A made-up machine, as its volume and monitor calls through the import table describe it. Its
// volumes in enumeration order: name, drive type, drive letters and mounted folders (each ended
// by a null), file system, total and free bytes; the last row answers names it does not have.
// clang-format off
struct Volume { const wchar_t* name; UINT type; std::wstring mounts; const wchar_t* fileSystem;
                ULONGLONG total, free; };
constexpr ULONGLONG kMiB = 1 << 20;
const Volume kVolumes[] = {
    {L"\\\\?\\Volume{1}\\", DRIVE_FIXED, L"C:\\\0"s, L"NTFS", 250000 * kMiB, 90000 * kMiB},
    {L"\\\\?\\Volume{2}\\", DRIVE_REMOVABLE, L""s, L"NTFS", 100 * kMiB, 90 * kMiB},
    {L"\\\\?\\Volume{3}\\", DRIVE_FIXED, L""s, L"FAT32", 100 * kMiB, 90 * kMiB},
    {L"\\\\?\\Volume{4}\\", DRIVE_FIXED, L"C:\\mnt\\boot\\\0"s, L"NTFS", 100 * kMiB, 90 * kMiB},
    {L"\\\\?\\Volume{5}\\", DRIVE_FIXED, std::wstring(1100, L'm'), L"NTFS", 100 * kMiB, 90 * kMiB},
    {L"\\\\?\\Volume{6}\\", DRIVE_FIXED, L""s, L"NTFS", 2000000 * kMiB, 300 * kMiB},
    {L"\\\\?\\Volume{7}\\", DRIVE_FIXED, L""s, L"NTFS", 500 * kMiB, 90 * kMiB},
    {L"", DRIVE_NO_ROOT_DIR, L""s, L"", 0, 0}};
// clang-format on
// Its one monitor, with taskbars around its work area.
const MONITORINFO kMonitor = {sizeof kMonitor, {0, 0, 1280, 1024}, {100, 20, 1220, 984}, 1};
const HANDLE kWalk = reinterpret_cast<HANDLE>(0x3a1c);
size_t g_next = 0;   // the walk's next volume
std::wstring g_log;  // what was asked, as the test below reads it

// The next volume name, into a buffer of the enumeration's length.
BOOL WINAPI NextVolume(HANDLE walk, LPWSTR name, DWORD length) {
    if (walk != kWalk || g_next + 1 == std::size(kVolumes))
        return g_log += L'-', ::SetLastError(ERROR_NO_MORE_FILES), FALSE;
    g_log += length == 261 ? std::to_wstring(g_next + 1) : L"?";
    return ::lstrcpynW(name, kVolumes[g_next++].name, static_cast<int>(length)) != nullptr;
}

// The volume that a query names; the query's letter is logged, or '?' when the call's buffers and
// outputs are not the ones the rule asks for.
const Volume& Asked(LPCWSTR name, wchar_t query, bool asked) {
    g_log += asked ? query : L'?';
    return *std::find_if(std::begin(kVolumes), std::end(kVolumes) - 1,
                         [name](const Volume& v) { return std::wcscmp(v.name, name) == 0; });
}

TEST_F(FaultsTest, TheProductsVolumeAndMonitorCallsOnAMadeUpMachine) {
    Patch<20>("FindFirstVolumeW", ::FindFirstVolumeW, INVALID_HANDLE_VALUE,
              [](LPWSTR name, DWORD length) {
                  return g_next = 0, NextVolume(kWalk, name, length) ? kWalk : INVALID_HANDLE_VALUE;
              });
    Patch<21>("FindNextVolumeW", ::FindNextVolumeW, FALSE, NextVolume);
    Patch<22>("FindVolumeClose", ::FindVolumeClose, FALSE,
              [](HANDLE walk) -> BOOL { return g_log += walk == kWalk ? L'.' : L'?', TRUE; });
    Patch<23>("GetDriveTypeW", ::GetDriveTypeW, 0u,
              [](LPCWSTR name) { return Asked(name, L'T', true).type; });
    Patch<24>("GetVolumePathNamesForVolumeNameW", ::GetVolumePathNamesForVolumeNameW, FALSE,
              [](LPCWSTR name, LPWCH list, DWORD length, PDWORD needed) -> BOOL {
                  const std::wstring& mounts = Asked(name, L'M', length == 1024 && needed).mounts;
                  if ((*needed = static_cast<DWORD>(mounts.size() + 1)) > length)
                      return ::SetLastError(ERROR_MORE_DATA), FALSE;
                  return std::copy_n(mounts.c_str(), *needed, list), TRUE;
              });
    Patch<25>("GetVolumeInformationW", ::GetVolumeInformationW, FALSE,
              [](LPCWSTR name, LPWSTR label, DWORD labelLength, LPDWORD serial, LPDWORD longest,
                 LPDWORD flags, LPWSTR fileSystem, DWORD length) -> BOOL {
                  const bool asked = !label && !labelLength && !serial && !longest && !flags;
                  const Volume& v = Asked(name, L'F', asked && length == 261);
                  return ::lstrcpynW(fileSystem, v.fileSystem, static_cast<int>(length)) != nullptr;
              });
    Patch<26>("GetDiskFreeSpaceExW", ::GetDiskFreeSpaceExW, FALSE,
              [](LPCWSTR name, PULARGE_INTEGER caller, PULARGE_INTEGER total,
                 PULARGE_INTEGER free) -> BOOL {
                  const Volume& v = Asked(name, L'S', !caller && total && !free);
                  for (PULARGE_INTEGER out : {caller, total, free})
                      out ? out->QuadPart = out == total ? v.total : v.free : 0;
                  return TRUE;
              });
    Patch<27>("MonitorFromPoint", ::MonitorFromPoint, nullptr, [](POINT p, DWORD flags) {
        const bool on = ::PtInRect(&kMonitor.rcMonitor, p) || flags == MONITOR_DEFAULTTONEAREST;
        return on ? reinterpret_cast<HMONITOR>(0x3a1d) : nullptr;
    });
    Patch<28>("GetMonitorInfoW", ::GetMonitorInfoW, FALSE, [](HMONITOR, LPMONITORINFO info) {
        const BOOL sized = info->cbSize == sizeof kMonitor;
        return *info = kMonitor, sized;
    });

    // The hidden volume, found last, ends the walk; each other volume is rejected by the first
    // test it fails (T drive type, M mount points, F file system, S size). A walk that can't
    // start finds nothing, and so does one that breaks off; the walk is closed once ('.').
    // clang-format off
    const std::tuple<const char*, int, const wchar_t*, const wchar_t*> walks[] = {
        {nullptr, 0, L"\\\\?\\Volume{7}\\", L"1TM2T3TMF4TM5TM6TMFS7TMFS."},
        {"FindFirstVolumeW", 0, L"", L""},
        {"FindNextVolumeW", 5, L"", L"1TM2T3TMF4TM5TM6TMFS."}};
    // clang-format on
    for (const auto& [fault, skip, found, log] : walks) {
        g_failing = fault, g_skip = skip, g_log.clear();
        const auto hidden = FindHiddenSystemVolume(*CreateSystemVolumeQueries());
        EXPECT_EQ(std::wstring(AsWide(hidden.value_or(u""))), found) << log;
        EXPECT_EQ(g_log, log);
    }

    // The menu's x (at a point x, y): a point on the monitor stays; one off it comes into the work
    // area, not onto a taskbar; with no nearest monitor, or none that answers, it stays.
    // clang-format off
    const std::tuple<LONG, LONG, const char*, int, LONG> points[] = {
        {30, 500, nullptr, 0, 30},  {-3000, 2000, nullptr, 0, 100}, {99, 2000, nullptr, 0, 100},
        {100, -1, nullptr, 0, 100}, {500, 2000, nullptr, 0, 500},   {1220, 2000, nullptr, 0, 1220},
        {1221, -1, nullptr, 0, 1220}, {5000, 2000, nullptr, 0, 1220},
        {-3000, 2000, "MonitorFromPoint", 1, -3000}, {-3000, 2000, "GetMonitorInfoW", 0, -3000}};
    // clang-format on
    for (const auto& [x, y, fault, skip, placed] : points) {
        g_failing = fault, g_skip = skip;
        EXPECT_EQ(ClampMenuX({x, y}), placed) << x << "," << y << " " << (fault ? fault : "");
    }

    // A dialog over a hidden or a minimised owner centres on the work area of its own monitor.
    const HWND owner = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 200, 300, 400,
                                         300, nullptr, nullptr, nullptr, nullptr);
    const HWND dialog = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, owner,
                                          nullptr, nullptr, nullptr);
    for (const int show : {SW_HIDE, SW_MINIMIZE, SW_RESTORE}) {
        ::ShowWindow(owner, show);
        RECT r = {};
        EXPECT_TRUE(CentreWindow(dialog) && ::GetWindowRect(dialog, &r));
        EXPECT_EQ(std::to_string(r.left) + "," + std::to_string(r.top),
                  show == SW_RESTORE ? "300,400" : "560,452")
            << show;
    }
    ::DestroyWindow(owner);
}

// Files below a folder as "path size time", by the program's own lister (the copies' paths are
// longer than 260 units).
std::set<std::wstring> Files(const std::u16string& folder, const std::wstring& relative = L"") {
    std::vector<FolderEntry> entries;
    MakeFolderLister()->List(folder, entries);
    std::set<std::wstring> files;
    for (const FolderEntry& e : entries) {
        const std::wstring path = relative + AsWide(e.name);
        if (e.isFolder)
            files.merge(Files(MakeItemPath(folder, e.name), path + L"\\"));
        else
            files.insert(path + L" " + std::to_wstring(e.size) + L" " +
                         std::to_wstring(e.lastWrite));
    }
    return files;
}

// A folder's Save As from the chosen folder on, in a folder whose copy's paths pass 260 units: a
// file that another program holds is left out and said, and so is a folder gone since it was
// counted; a copy takes the next free name and, cancelled partway, keeps whole files only; a failed
// write stops it; a target that can't be written or that lies on the volume is refused; closing the
// window waits for the copy to stop. None leaves a temporary file.
TEST_F(FaultsTest, AFolderCopyLeavesOutAHeldFileKeepsWholeFilesOnlyAndSaysWhyItStopped) {
    Patch<13>("MessageBoxW", ::MessageBoxW, 0, [](HWND, LPCWSTR text, LPCWSTR, UINT) {
        g_events += L"box=" + std::wstring(text) + L"|";
        return IDOK;
    });
    Patch<5>("WriteFile", ::WriteFile, FALSE);
    Patch<30>("CreateDirectoryW", ::CreateDirectoryW, FALSE);
    Start();
    const std::u16string out = FromWide(m_out.c_str()),
                         copy = u"\\\\?\\" + out + u"\\Hidden Volume";
    const std::set<std::wstring> source = Files(FromWide(m_volume.c_str()));
    ::SetFileAttributesW((m_root / "v" / "a.bin").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const HANDLE held = ::CreateFileW((m_root / "v" / "b.bin").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    const auto save = [&](const std::u16string& target) {
        g_events.clear();
        SaveFolderCopy(m_main, FromWide(m_volume.c_str()), FromWide(m_volume.c_str()), target);
        return g_events;
    };
    EXPECT_EQ(save(out).substr(0, 61),
              L"box=Copied 3 of 4 files. These could not be read:\n\nb.bin: Sha");
    ::CloseHandle(held);
    std::set<std::wstring> left = source;
    left.erase(std::find_if(left.begin(), left.end(), [](auto& f) { return f[0] == L'b'; }));
    EXPECT_EQ(Files(copy), left);
    const auto files = MakeCopyFiles();
    std::string bytes(kContent.size() + 1, '\0');
    std::uint32_t read = 0;
    EXPECT_TRUE(files->OpenSource(copy + u"\\a.bin") &&
                files->ReadSource(reinterpret_cast<unsigned char*>(&bytes[0]),
                                  static_cast<std::uint32_t>(bytes.size()), read));
    EXPECT_EQ(bytes.substr(0, read), kContent);
    // Hidden there, not here.
    const auto hidden = [](const std::wstring& path) {
        return (::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0;
    };
    EXPECT_TRUE(hidden((m_root / "v" / "a.bin").wstring()) && !hidden(AsWide(copy + u"\\a.bin")));

    // A folder gone between the count and the copy: said, and the rest is copied.
    CFileSearch::SetFindFirstFileForTesting([](LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
        const bool sub = std::wcsstr(pattern, L"\\sub\\") != nullptr;
        if (sub && FailNow("sub"))
            return ::SetLastError(ERROR_PATH_NOT_FOUND), INVALID_HANDLE_VALUE;
        return ::FindFirstFileW(pattern, data);
    });
    g_failing = "sub", g_skip = 1;
    EXPECT_EQ(save(out), L"box=Copied 3 of 4 files. These could not be read:\n\nsub\\: " +
                             std::wstring(AsWide(DescribeSystemError(ERROR_PATH_NOT_FOUND))) +
                             L"|");
    CFileSearch::SetFindFirstFileForTesting(nullptr);
    EXPECT_EQ(Files(copy + u" (2)").size(), 3u);

    // 1 GiB, most of it holes: still being copied when the cancel comes.
    const HANDLE big = ::CreateFileW((m_root / "v" / "big.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 1LL << 30;
    ::SetFilePointerEx(big, size, nullptr, FILE_BEGIN), ::SetEndOfFile(big), ::CloseHandle(big);
    ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        ::PostMessageW(::FindWindowW(L"#32770", L"Saving a Copy"), WM_COMMAND, IDCANCEL, 0);
    });
    const std::wstring cancelled = save(out);
    EXPECT_EQ(cancelled.substr(0, 34), L"box=The copy was cancelled.\nCopied") << cancelled;
    EXPECT_NE(cancelled.find(L"Hidden Volume (3)."), std::wstring::npos) << cancelled;
    for (const std::wstring& file : Files(copy + u" (3)"))
        EXPECT_EQ(source.count(file), 1u) << file;

    g_failing = "WriteFile", g_skip = 0;
    EXPECT_EQ(save(out).substr(0, 22), L"box=The copy stopped: ");
    EXPECT_TRUE(Files(copy + u" (4)").empty());
    g_failing = "CreateDirectoryW", g_skip = 0;
    EXPECT_EQ(save(out),
              L"box=The copy could not be made in " + m_out.wstring() + L":\nAccess denied.|");
    EXPECT_EQ(save(FromWide(m_volume.c_str()) + u"sub"),
              L"box=A copy can't be saved on the hidden volume itself. Choose a folder on another "
              L"drive.|");
    // Closing the window during a copy stops the copy first, says nothing, and closes once the
    // copy has ended.
    ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        ::PostMessageW(::FindWindowW(L"#32770", L"Quarrystone"), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(save(out), L"");
    for (const std::wstring& file : Files(copy + u" (5)"))
        EXPECT_EQ(source.count(file), 1u) << file;
    MSG quit;
    EXPECT_TRUE(::IsWindow(m_main) && (m_dlg->OnIdle(), !::IsWindow(m_main)) &&
                ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 2);
    std::wstring names;
    for (const auto& entry : fs::directory_iterator(m_out))
        names += entry.path().filename().wstring() + L" ";
    EXPECT_EQ(
        names,
        L"Hidden Volume Hidden Volume (2) Hidden Volume (3) Hidden Volume (4) Hidden Volume (5) "
        L"target.bin ");
    // Moved where their paths are short enough for the clean-up.
    for (const wchar_t* n : {L"", L" (2)", L" (3)", L" (4)", L" (5)"})
        ::MoveFileW((L"\\\\?\\" + m_out.wstring() + L"\\Hidden Volume" + n).c_str(),
                    (m_root / (L"h" + std::wstring(n))).c_str());
}

}  // namespace
}  // namespace qs

// The Save As copy buffer.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return qs::FailNow("new[]") ? nullptr : ::operator new(size, std::nothrow);
}
