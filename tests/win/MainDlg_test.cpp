#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/MainDlg.h"
#include "app/RunDialog.h"
#include "platform/AppModule.h"
#include "platform/Centre.h"
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
            reinterpret_cast<const NMHDR*>(lParam)->code == kAnsweredCode)
            return 55;
    }
    return ::CallWindowProcW(g_treeProc, hWnd, uMsg, wParam, lParam);
}

// The dialog's template and icon come from the built program itself, loaded as data; the test's
// own folder stands in for the hidden volume.
class MainDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path program = TestFolder().parent_path() / L"app" / L"QuarrystoneStaged.exe";
        m_resources = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_resources, nullptr) << "program not built: " << program.string();
        ::CoInitialize(nullptr);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&icc);
        g_module.Init(m_resources);
        g_reflected.clear();
    }

    void TearDown() override {
        g_module.Term();
        ::FreeLibrary(m_resources);
        ::CoUninitialize();
    }

    std::unique_ptr<VolumeQueries> Volumes() const {
        return StagedVolumeQueries::FromText("\\\\?\\" + Utf16ToUtf8(TestFolder().u16string()) +
                                             "\\|3||NTFS|104857600\n");
    }

    // Creates the dialog and chains the spy over its tree.
    HWND Create(CMainDlg& dlg) {
        const HWND hWnd = dlg.Create(nullptr, 0);
        EXPECT_NE(hWnd, nullptr);
        m_tree = ::GetDlgItem(hWnd, IDC_FILE_TREE);
        g_treeProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(m_tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeSpy)));
        return hWnd;
    }

    HMODULE m_resources = nullptr;
    HWND m_tree = nullptr;
};

// Created hidden, centred on the work area, with its icons, the tree attached and its start
// posted. A command ends the loop with its id alone, never reflected to the sender. (The keys and
// the system menu that end it, and its About item, are driven end to end.)
TEST_F(MainDlgTest, InitialisationAndACommandThatCloses) {
    CMessageLoop loop;
    g_module.AddMessageLoop(&loop);
    CMainDlg dlg(Volumes());
    const HWND hWnd = Create(dlg);
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    RECT window = {};
    ::GetWindowRect(hWnd, &window);
    MONITORINFO info = {sizeof info, {}, {}, 0};
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &info);
    const ScreenRect work = {info.rcWork.left, info.rcWork.top, info.rcWork.right,
                             info.rcWork.bottom};
    const ScreenPoint centred =
        CentrePosition({window.left, window.top, window.right, window.bottom}, work, work);
    EXPECT_TRUE(window.left == centred.x && window.top == centred.y);
    EXPECT_NE(::SendMessageW(hWnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageW(hWnd, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(dlg.GetTree().m_hWnd, m_tree);
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, m_tree, WM_POPULATE_TREE, WM_POPULATE_TREE, PM_NOREMOVE));

    ::ShowWindow(hWnd, SW_SHOW);
    ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(m_tree));
    EXPECT_EQ(loop.Run(), 1);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    for (const Reflected& r : g_reflected)
        EXPECT_NE(r.message, 0x2000u + WM_COMMAND);
    g_module.RemoveMessageLoop();
}

TEST_F(MainDlgTest, ChildMessagesAreReflectedToTheirControl) {
    CMainDlg dlg(Volumes());
    const HWND hWnd = Create(dlg);
    NMHDR header = {m_tree, IDC_FILE_TREE, kAnsweredCode};
    DRAWITEMSTRUCT draw = {};
    draw.hwndItem = m_tree;
    const LPARAM tree = reinterpret_cast<LPARAM>(m_tree);
    const LPARAM drawn = reinterpret_cast<LPARAM>(&draw);
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool reflected;
    } cases[] = {
        {WM_NOTIFY, IDC_FILE_TREE, reinterpret_cast<LPARAM>(&header), true},
        {WM_COMMAND, MAKEWPARAM(7, 0), tree, true},
        {WM_COMMAND, 7, 0, false},  // from a menu
        {WM_DRAWITEM, IDC_FILE_TREE, drawn, true},
        {WM_DRAWITEM, 0, drawn, false},  // a menu item
        {WM_CTLCOLORSTATIC, 0, tree, true},
    };
    for (const auto& c : cases) {
        g_reflected.clear();
        const LRESULT result = ::SendMessageW(hWnd, c.message, c.wParam, c.lParam);
        ASSERT_EQ(g_reflected.size(), c.reflected ? 1u : 0u) << c.message << " " << c.wParam;
        if (c.reflected) {
            EXPECT_EQ(g_reflected[0].message, 0x2000 + c.message);
            EXPECT_EQ(g_reflected[0].wParam, c.wParam);
            EXPECT_EQ(g_reflected[0].lParam, c.lParam);
        }
        if (c.message == WM_NOTIFY) {
            EXPECT_EQ(result, 55);  // the control's answer is the dialog's
        }
    }
    // A colour message's answer comes back directly: the default brush of the lowered message.
    HDC dc = ::GetDC(m_tree);
    EXPECT_NE(::SendMessageW(hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), tree), 0);
    ::ReleaseDC(m_tree, dc);
    ::SetWindowLongPtrW(m_tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_treeProc));
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
