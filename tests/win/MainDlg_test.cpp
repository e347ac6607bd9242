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

    HMODULE m_resources = nullptr;
};

// Created hidden, centred on the work area, with its icons, the tree attached and its start
// posted; a command from a control ends the loop with its id. (The keys and the system menu that
// end it, its About item and the reflection of the tree's notifications are driven end to end.)
TEST_F(MainDlgTest, InitialisationAndACommandThatCloses) {
    CMessageLoop loop;
    g_module.AddMessageLoop(&loop);
    CMainDlg dlg(Volumes());
    const HWND hWnd = dlg.Create(nullptr, 0);
    const HWND tree = ::GetDlgItem(hWnd, IDC_FILE_TREE);
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
    EXPECT_EQ(dlg.GetTree().m_hWnd, tree);
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, tree, WM_POPULATE_TREE, WM_POPULATE_TREE, PM_NOREMOVE));

    ::ShowWindow(hWnd, SW_SHOW);
    ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(tree));
    EXPECT_EQ(loop.Run(), 1);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    g_module.RemoveMessageLoop();
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
