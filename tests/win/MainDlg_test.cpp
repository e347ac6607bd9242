#include <windows.h>

#include <objbase.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestWindows.h"
#include "app/MainDlg.h"
#include "app/RunDialog.h"
#include "platform/AppModule.h"
#include "platform/Centre.h"
#include "platform/MessageLoop.h"
#include "platform/StagedVolumeQueries.h"
#include "platform/Text.h"
#include "res/resource.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

fs::path TestFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

struct Reflected {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Reflected> g_reflected;
WNDPROC g_treeProc = nullptr;
constexpr UINT kAnsweredCode = 12345;

// Chained over the attached tree: records what comes back from the dialog.
LRESULT CALLBACK TreeSpy(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg >= 0x2000 && uMsg < 0x3000) {
        g_reflected.push_back({uMsg, wParam, lParam});
        if (uMsg == 0x2000 + WM_NOTIFY &&
            reinterpret_cast<const NMHDR*>(lParam)->code == kAnsweredCode) {
            return 55;
        }
    }
    return ::CallWindowProcW(g_treeProc, hWnd, uMsg, wParam, lParam);
}

// The dialog's template and icon come from the built program itself, loaded as data.
class MainDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path program = TestFolder().parent_path() / L"app" / L"QuarrystoneStaged.exe";
        m_resources = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (m_resources == nullptr)
            GTEST_SKIP() << "program not built: " << program.string();
        ::CoInitialize(nullptr);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&icc);
        g_module.Init(m_resources);
        m_stage.Folder(L"Boot");
        g_reflected.clear();
    }

    void TearDown() override {
        if (m_resources == nullptr)
            return;
        g_module.Term();
        ::FreeLibrary(m_resources);
        ::CoUninitialize();
    }

    std::unique_ptr<VolumeQueries> Volumes() const {
        return StagedVolumeQueries::FromText(m_stage.Table());
    }

    HMODULE m_resources = nullptr;
    StagedFolder m_stage{L"qs-maindlg-"};
};

TEST_F(MainDlgTest, InitialisationCentresSetsIconsAttachesTreeAndAddsAbout) {
    CMessageLoop loop;
    g_module.AddMessageLoop(&loop);
    CMainDlg dlg(Volumes());
    const HWND hWnd = dlg.Create(nullptr, 0);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_FALSE(::IsWindowVisible(hWnd));

    RECT window = {};
    ::GetWindowRect(hWnd, &window);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &info);
    const ScreenRect work = {info.rcWork.left, info.rcWork.top, info.rcWork.right,
                             info.rcWork.bottom};
    const ScreenPoint expected =
        CentrePosition({window.left, window.top, window.right, window.bottom}, work, work);
    EXPECT_EQ(window.left, expected.x);
    EXPECT_EQ(window.top, expected.y);

    EXPECT_NE(::SendMessageW(hWnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageW(hWnd, WM_GETICON, ICON_SMALL, 0), 0);

    const HMENU menu = ::GetSystemMenu(hWnd, FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"About Quarrystone...");
    EXPECT_TRUE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);

    EXPECT_EQ(dlg.GetTree().m_hWnd, ::GetDlgItem(hWnd, IDC_FILE_TREE));
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, dlg.GetTree().m_hWnd, WM_POPULATE_TREE, WM_POPULATE_TREE,
                               PM_NOREMOVE));
    EXPECT_EQ(::SendMessageW(dlg.GetTree().m_hWnd, TVM_GETCOUNT, 0, 0), 0);

    // System commands other than About are left to the system.
    EXPECT_EQ(::SendMessageW(hWnd, WM_VIEW_FILE, 0, reinterpret_cast<LPARAM>(L"x")), 1);
    ::ShowWindow(hWnd, SW_SHOW);
    ::SendMessageW(hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(hWnd));
    ::ShowWindow(hWnd, SW_RESTORE);

    ::PostMessageW(::GetDlgItem(hWnd, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(loop.Run(), 2);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(::SendMessageW(dlg.GetTree().m_hWnd, TVM_GETCOUNT, 0, 0), 0);
    MSG key = {nullptr, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_FALSE(dlg.PreTranslateMessage(&key));
    g_module.RemoveMessageLoop();
}

TEST_F(MainDlgTest, CloseCommandsEndTheLoopWithTheirId) {
    enum Action { kCommand, kKey, kClose };
    const struct {
        const char* name;
        Action action;
        WPARAM wParam;
        bool fromTree;
        int exitCode;
    } cases[] = {
        {"Close button or Enter (menu command 1)", kCommand, IDOK, false, 1},
        {"command 1 from a control, not reflected", kCommand, MAKEWPARAM(IDOK, BN_CLICKED), true,
         1},
        {"Esc (command 2)", kCommand, IDCANCEL, false, 2},
        {"Enter key on the focus", kKey, VK_RETURN, false, 1},
        {"Esc key on the focus", kKey, VK_ESCAPE, false, 2},
        {"Enter while the tree has the focus", kKey, VK_RETURN, true, 1},
        {"close box and Alt+F4", kClose, 0, false, 2},
    };
    for (const auto& c : cases) {
        CMessageLoop loop;
        g_module.AddMessageLoop(&loop);
        {
            CMainDlg dlg(Volumes());
            const HWND hWnd = dlg.Create(nullptr, 0);
            ASSERT_NE(hWnd, nullptr) << c.name;
            const HWND tree = ::GetDlgItem(hWnd, IDC_FILE_TREE);
            ::ShowWindow(hWnd, SW_SHOW);
            g_reflected.clear();
            g_treeProc = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeSpy)));
            switch (c.action) {
                case kCommand:
                    ::PostMessageW(hWnd, WM_COMMAND, c.wParam,
                                   c.fromTree ? reinterpret_cast<LPARAM>(tree) : 0);
                    break;
                case kKey: {
                    const HWND target = c.fromTree ? tree : ::GetDlgItem(hWnd, IDOK);
                    ::SetFocus(target);
                    ::PostMessageW(target, WM_KEYDOWN, c.wParam, 0);
                    ::PostMessageW(target, WM_KEYUP, c.wParam, 0);
                    break;
                }
                case kClose:
                    ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
                    break;
            }
            EXPECT_EQ(loop.Run(), c.exitCode) << c.name;
            EXPECT_FALSE(::IsWindow(hWnd)) << c.name;
            for (const Reflected& r : g_reflected) {
                EXPECT_NE(r.message, 0x2000u + WM_COMMAND) << c.name;
            }
        }
        g_module.RemoveMessageLoop();
    }
}

TEST_F(MainDlgTest, ChildMessagesAreReflectedToTheirControl) {
    CMainDlg dlg(Volumes());
    const HWND hWnd = dlg.Create(nullptr, 0);
    ASSERT_NE(hWnd, nullptr);
    const HWND tree = ::GetDlgItem(hWnd, IDC_FILE_TREE);
    g_treeProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeSpy)));

    NMHDR header = {tree, IDC_FILE_TREE, kAnsweredCode};
    const LPARAM headerParam = reinterpret_cast<LPARAM>(&header);
    // The tree's answer is the dialog's answer.
    g_reflected.clear();
    EXPECT_EQ(::SendMessageW(hWnd, WM_NOTIFY, IDC_FILE_TREE, headerParam), 55);
    ASSERT_EQ(g_reflected.size(), 1u);
    EXPECT_EQ(g_reflected[0].message, 0x204Eu);
    EXPECT_EQ(g_reflected[0].wParam, static_cast<WPARAM>(IDC_FILE_TREE));
    EXPECT_EQ(g_reflected[0].lParam, headerParam);

    DRAWITEMSTRUCT draw = {};
    draw.hwndItem = tree;
    MEASUREITEMSTRUCT measure = {};
    measure.CtlID = IDC_FILE_TREE;
    const LPARAM treeParam = reinterpret_cast<LPARAM>(tree);
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool reflected;
    } cases[] = {
        {"command from the tree", WM_COMMAND, MAKEWPARAM(7, 0), treeParam, true},
        {"command from a menu", WM_COMMAND, 7, 0, false},
        {"parent notify create", WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, 9), treeParam, true},
        {"parent notify click by id", WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, IDC_FILE_TREE),
         MAKELPARAM(3, 4), true},
        {"parent notify click unknown id", WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 4321), 0,
         false},
        {"draw item", WM_DRAWITEM, IDC_FILE_TREE, reinterpret_cast<LPARAM>(&draw), true},
        {"draw menu item", WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), false},
        {"measure item by id", WM_MEASUREITEM, IDC_FILE_TREE, reinterpret_cast<LPARAM>(&measure),
         true},
        {"measure menu item", WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), false},
        {"scroll from the tree", WM_VSCROLL, SB_LINEDOWN, treeParam, true},
        {"the dialog's own scroll bar", WM_HSCROLL, SB_LINEDOWN, 0, false},
        {"key to item", WM_VKEYTOITEM, 0, treeParam, true},
        {"control colour", WM_CTLCOLORSTATIC, 0, treeParam, true},
        {"not a child message", WM_APP + 5, 0, treeParam, false},
    };
    for (const auto& c : cases) {
        g_reflected.clear();
        ::SendMessageW(hWnd, c.message, c.wParam, c.lParam);
        ASSERT_EQ(g_reflected.size(), c.reflected ? 1u : 0u) << c.name;
        if (c.reflected) {
            EXPECT_EQ(g_reflected[0].message, 0x2000 + c.message) << c.name;
            EXPECT_EQ(g_reflected[0].wParam, c.wParam) << c.name;
            EXPECT_EQ(g_reflected[0].lParam, c.lParam) << c.name;
        }
    }
    // A colour message's answer comes back directly: the default brush of the lowered message.
    HDC dc = ::GetDC(tree);
    EXPECT_NE(::SendMessageW(hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), treeParam), 0);
    ::ReleaseDC(tree, dc);
    ::SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_treeProc));
}

class MissingTemplateDlg : public CDialogImpl {
public:
    MissingTemplateDlg() : CDialogImpl(4321) {}
    BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return FALSE; }
};

TEST_F(MainDlgTest, RunEndsWithZeroWhenTheDialogCannotBeCreated) {
    MissingTemplateDlg dlg;
    ::PostQuitMessage(7);  // would end a loop that ran by mistake
    EXPECT_EQ(RunMainDialog(dlg, SW_SHOW), 0);
    EXPECT_EQ(g_module.GetMessageLoop(), nullptr);
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace qs
