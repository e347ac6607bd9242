#include <windows.h>

#include <objbase.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestWindows.h"
#include "platform/StagedVolumeQueries.h"
#include "platform/Text.h"
#include "platform/WideText.h"
#include "tree/FileTreeCtrl.h"

namespace qs {
namespace {

// What reached the parent: the WM_VIEW_FILE paths; and what reached the tree as reflected
// notifications.
std::vector<std::u16string> g_viewRequests;
std::vector<UINT> g_treeNotifications;
WNDPROC g_ctrlProc = nullptr;

// The parent reflects its children's notifications back, as the main dialog does.
LRESULT CALLBACK ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_VIEW_FILE) {
        g_viewRequests.push_back(FromWide(reinterpret_cast<const wchar_t*>(lParam)));
        return 1;
    }
    if (uMsg == WM_NOTIFY) {
        return ::SendMessageW(reinterpret_cast<const NMHDR*>(lParam)->hwndFrom, 0x2000 + WM_NOTIFY,
                              wParam, lParam);
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// Chained over the control's procedure: records the reflected notifications that reach it.
LRESULT CALLBACK SpyProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == 0x2000 + WM_NOTIFY) {
        g_treeNotifications.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
    }
    return ::CallWindowProcW(g_ctrlProc, hWnd, uMsg, wParam, lParam);
}

class FileTreeCtrlMessagesTest : public ::testing::Test, public TreeReader {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        g_viewRequests.clear();
        g_treeNotifications.clear();
        m_stage.Folder(L"Boot/Fonts");
        m_stage.File(L"Boot/BCD");
        m_stage.File(L"bootmgr");

        WNDCLASSW wc = {};
        wc.lpfnWndProc = &ParentProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QsTreeParent";
        ::RegisterClassW(&wc);
        m_parent = ::CreateWindowExW(0, L"QsTreeParent", L"Tree", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     40, 40, 400, 500, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(m_parent, nullptr);
        tree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", 0x50910027, 7, 7, 380, 450, m_parent,
                                 reinterpret_cast<HMENU>(1000), nullptr, nullptr);
        ASSERT_NE(tree, nullptr);
        m_tree = std::make_unique<CFileTreeCtrl>(StagedVolumeQueries::FromText(m_stage.Table()));
    }

    void TearDown() override {
        if (m_parent != nullptr)
            ::DestroyWindow(m_parent);
        m_tree.reset();
        ::CoUninitialize();
    }

    // Attaches the control and delivers the start message it posted.
    void AttachAndPopulate() {
        ASSERT_TRUE(m_tree->SubclassWindow(tree));
        MSG msg;
        ASSERT_TRUE(::PeekMessageW(&msg, tree, WM_POPULATE_TREE, WM_POPULATE_TREE, PM_REMOVE));
        ::DispatchMessageW(&msg);
    }
    // The user's expand and collapse keys: unlike TVM_EXPAND they notify the parent.
    void PressKey(HTREEITEM item, WPARAM key) {
        Select(item);
        ::SendMessageW(tree, WM_KEYDOWN, key, 0);
    }
    void DoubleClick() { ::SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, 0); }

    StagedFolder m_stage{L"qs-treemsg-"};
    const std::u16string& m_volume = m_stage.volume;
    HWND m_parent = nullptr;
    std::unique_ptr<CFileTreeCtrl> m_tree;
};

TEST_F(FileTreeCtrlMessagesTest, SubclassingPostsPopulateOnceAndItFillsTheTree) {
    EXPECT_FALSE(m_tree->SubclassWindow(nullptr));
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_POPULATE_TREE, WM_POPULATE_TREE, PM_NOREMOVE));

    ASSERT_TRUE(m_tree->SubclassWindow(tree));
    // Nothing happens before the loop delivers the start message.
    EXPECT_EQ(Root(), nullptr);
    ASSERT_TRUE(::PeekMessageW(&msg, tree, WM_POPULATE_TREE, WM_POPULATE_TREE, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_POPULATE_TREE, WM_POPULATE_TREE, PM_NOREMOVE));
    ::DispatchMessageW(&msg);

    EXPECT_EQ(::SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0),
              reinterpret_cast<LRESULT>(m_tree->GetImageList()));
    const HTREEITEM root = Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Next(root, TVGN_NEXT), nullptr);
    EXPECT_FALSE(IsExpanded(root));
    EXPECT_EQ(Next(nullptr, TVGN_CARET), nullptr);  // the program selects nothing
    EXPECT_EQ(m_tree->GetItemPath(root), m_volume);
}

TEST_F(FileTreeCtrlMessagesTest, FirstExpansionListsAndASecondReadsNothing) {
    AttachAndPopulate();
    const HTREEITEM root = Root();
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(ChildTexts(root).empty());

    PressKey(root, VK_ADD);
    EXPECT_TRUE(IsExpanded(root));
    EXPECT_EQ(ChildTexts(root), (std::vector<std::u16string>{u"Boot", u"bootmgr"}));

    // Changed on disk, collapsed and expanded again: the first listing stays.
    m_stage.File(L"BOOTNXT");
    m_stage.Folder(L"Recovery");
    PressKey(root, VK_SUBTRACT);
    EXPECT_FALSE(IsExpanded(root));
    PressKey(root, VK_ADD);
    EXPECT_TRUE(IsExpanded(root));
    EXPECT_EQ(ChildTexts(root), (std::vector<std::u16string>{u"Boot", u"bootmgr"}));

    // A refresh of the selected folder does read it again: folders first, each group in the
    // file system's listing order.
    Select(root);
    m_tree->Refresh();
    std::vector<std::u16string> texts = ChildTexts(root);
    ASSERT_EQ(texts.size(), 4u);
    std::sort(texts.begin(), texts.begin() + 2);
    std::sort(texts.begin() + 2, texts.end());
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"Boot", u"Recovery", u"BOOTNXT", u"bootmgr"}));
}

TEST_F(FileTreeCtrlMessagesTest, DoubleClickViewsFilesOnly) {
    AttachAndPopulate();
    const HTREEITEM root = Root();
    PressKey(root, VK_ADD);
    const HTREEITEM boot = Child(root, u"Boot");
    ASSERT_NE(boot, nullptr);

    // The root and a folder: nothing sent, expansion unchanged.
    Select(root);
    DoubleClick();
    EXPECT_TRUE(IsExpanded(root));
    Select(boot);
    DoubleClick();
    EXPECT_FALSE(IsExpanded(boot));
    EXPECT_TRUE(ChildTexts(boot).empty());
    EXPECT_TRUE(g_viewRequests.empty());

    // A file: exactly one request with its full path.
    Select(Child(root, u"bootmgr"));
    DoubleClick();
    ASSERT_EQ(g_viewRequests.size(), 1u);
    EXPECT_EQ(g_viewRequests[0], m_volume + u"bootmgr");

    PressKey(boot, VK_ADD);
    Select(Child(boot, u"BCD"));
    DoubleClick();
    ASSERT_EQ(g_viewRequests.size(), 2u);
    EXPECT_EQ(g_viewRequests[1], m_volume + u"Boot\\BCD");
}

TEST_F(FileTreeCtrlMessagesTest, DoubleClickWithNothingSelectedSendsAnEmptyPath) {
    ASSERT_TRUE(m_tree->SubclassWindow(tree));
    DoubleClick();
    ASSERT_EQ(g_viewRequests.size(), 1u);
    EXPECT_EQ(g_viewRequests[0], u"");
}

TEST_F(FileTreeCtrlMessagesTest, OtherReflectedNotificationsChangeNothing) {
    AttachAndPopulate();
    g_ctrlProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SpyProc)));
    const HTREEITEM root = Root();
    // Selecting notifies the parent, which reflects; the tree takes the default course.
    Select(root);
    EXPECT_FALSE(IsExpanded(root));
    EXPECT_TRUE(ChildTexts(root).empty());
    PressKey(root, VK_ADD);
    EXPECT_FALSE(ChildTexts(root).empty());
    bool sawExpanding = false;
    for (UINT code : g_treeNotifications) {
        if (code == static_cast<UINT>(TVN_ITEMEXPANDINGW))
            sawExpanding = true;
    }
    EXPECT_TRUE(sawExpanding);
    EXPECT_GT(g_treeNotifications.size(), 1u);
    // Take the spy out again before the control lets go at destruction.
    ::SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_ctrlProc));
}

}  // namespace
}  // namespace qs
