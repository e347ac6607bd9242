#include <windows.h>

#include <objbase.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "TestWindows.h"
#include "platform/FileSearch.h"
#include "platform/StagedVolumeQueries.h"
#include "platform/Text.h"
#include "platform/WideText.h"
#include "tree/FileTreeCtrl.h"
#include "tree/IconIndex.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

// Folders whose search the platform layer refuses with access denied.
std::vector<std::wstring> g_deniedPatterns;

HANDLE WINAPI FindFirstFileDenying(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
    for (const std::wstring& denied : g_deniedPatterns) {
        if (denied == pattern) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }
    return ::FindFirstFileW(pattern, data);
}

// What the tree was sent while a call ran.
std::vector<WPARAM> g_redraws;
WNDPROC g_treeProc = nullptr;

LRESULT CALLBACK RecordingTreeProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETREDRAW) {
        g_redraws.push_back(wParam);
    }
    return ::CallWindowProcW(g_treeProc, hWnd, msg, wParam, lParam);
}

struct Item {
    std::u16string text;
    LPARAM folderFlag;
    int image;
    int selectedImage;
    int children;
    UINT state;
};

class FileTreeCtrlTest : public ::testing::Test, public TreeReader {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        m_frame = ::CreateWindowExW(0, L"STATIC", L"Tree test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    40, 40, 520, 600, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_frame);
        tree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", 0x50910027, 7, 7, 490, 540, m_frame,
                                 reinterpret_cast<HMENU>(1000), nullptr, nullptr);
        ASSERT_NE(nullptr, tree);
        g_treeProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingTreeProc)));
    }

    void TearDown() override {
        CFileSearch::SetFindFirstFileForTesting(nullptr);
        m_tree.reset();
        if (m_frame) {
            ::DestroyWindow(m_frame);
        }
        ::CoUninitialize();
    }

    void MakeTree(const std::string& table) {
        m_tree = std::make_unique<CFileTreeCtrl>(StagedVolumeQueries::FromText(table));
        m_tree->m_hWnd = tree;
        ::SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL,
                       reinterpret_cast<LPARAM>(m_tree->GetImageList()));
    }
    void MakeStagedTree() { MakeTree(m_stage.Table()); }

    Item Read(HTREEITEM handle) const {
        TVITEMW tvi = {};
        tvi.mask = TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
        tvi.hItem = handle;
        tvi.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
        EXPECT_TRUE(::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi)));
        return {Text(handle), tvi.lParam, tvi.iImage, tvi.iSelectedImage, tvi.cChildren, tvi.state};
    }

    void DenyAccess(const fs::path& relative) {
        g_deniedPatterns.push_back(L"\\\\?\\" + (m_stage.path / relative).wstring() + L"\\*.*");
        CFileSearch::SetFindFirstFileForTesting(FindFirstFileDenying);
    }

    StagedFolder m_stage{L"qs-tree-"};
    const std::u16string& m_volume = m_stage.volume;
    HWND m_frame = nullptr;
    std::unique_ptr<CFileTreeCtrl> m_tree;
};

TEST_F(FileTreeCtrlTest, ChildrenIndicatorsFollowTheFolderContents) {
    m_stage.Folder("dots-only");
    m_stage.Folder("hidden-file");
    m_stage.File("hidden-file/.secret", FILE_ATTRIBUTE_HIDDEN);
    m_stage.Folder("sub-folder/empty");
    m_stage.Folder("denied");
    m_stage.File("denied/inside");
    m_stage.Folder("$Recycle.Bin");
    m_stage.File("Boot.LOG");
    DenyAccess("denied");
    MakeStagedTree();
    m_tree->LocateHiddenVolume();
    const HTREEITEM root = Root();
    m_tree->PopulateFolder(m_tree->GetItemPath(root), root);

    struct Row {
        std::u16string name;
        LPARAM folderFlag;
        int children;
        int image;
    } rows[] = {
        {u"dots-only", 1, 0, ICON_FOLDER},
        {u"hidden-file", 1, 1, ICON_FOLDER},
        {u"sub-folder", 1, 1, ICON_FOLDER},
        {u"denied", 1, 0, ICON_FOLDER},
        {u"$Recycle.Bin", 1, 0, ICON_RECYCLE_FOLDER},
        {u"Boot.LOG", 0, 0, ICON_LOG},
    };
    ASSERT_EQ(std::size(rows), Children(root).size());
    for (const Row& row : rows) {
        const HTREEITEM child = Child(root, row.name);
        ASSERT_NE(nullptr, child) << Utf16ToUtf8(row.name);
        const Item item = Read(child);
        EXPECT_EQ(row.folderFlag, item.folderFlag) << Utf16ToUtf8(row.name);
        EXPECT_EQ(row.children, item.children) << Utf16ToUtf8(row.name);
        EXPECT_EQ(row.image, item.image) << Utf16ToUtf8(row.name);
        EXPECT_EQ(row.image, item.selectedImage) << Utf16ToUtf8(row.name);
    }
    // Folders first, then files.
    EXPECT_EQ(u"Boot.LOG", Read(Children(root).back()).text);

    // The unreadable folder lists nothing when populated.
    const HTREEITEM denied = Child(root, u"denied");
    m_tree->PopulateFolder(m_tree->GetItemPath(denied), denied);
    EXPECT_TRUE(Children(denied).empty());
}

TEST_F(FileTreeCtrlTest, ItemPathsAndRepopulating) {
    const std::wstring nonBmp = L"\U0001D11E music \U0001F600.dat";
    m_stage.Folder("Boot");
    m_stage.File("Boot/BCD");
    m_stage.File(fs::path(L"Boot") / nonBmp);
    m_stage.File("bootmgr");
    MakeStagedTree();
    m_tree->LocateHiddenVolume();
    const HTREEITEM root = Root();
    m_tree->PopulateFolder(m_volume, root);
    const HTREEITEM boot = Child(root, u"Boot");
    m_tree->PopulateFolder(m_tree->GetItemPath(boot), boot);
    const HTREEITEM bcd = Child(boot, u"BCD");
    ASSERT_NE(nullptr, bcd);
    ASSERT_EQ(5u, Count());
    EXPECT_EQ(m_volume, m_tree->GetItemPath(root));
    EXPECT_EQ(m_volume + u"Boot", m_tree->GetItemPath(boot));
    EXPECT_EQ(m_volume + u"Boot\\BCD", m_tree->GetItemPath(bcd));
    EXPECT_EQ(u"", m_tree->GetItemPath(nullptr));
    const HTREEITEM music = Child(boot, FromWide(nonBmp.c_str()));
    ASSERT_NE(nullptr, music);
    EXPECT_EQ(ICON_DAT, Read(music).image);
    EXPECT_EQ(m_volume + u"Boot\\" + FromWide(nonBmp.c_str()), m_tree->GetItemPath(music));
    Select(bcd);
    EXPECT_EQ(m_volume + u"Boot\\BCD", m_tree->GetSelectedPath());

    // Repopulated: the new listing, and the folder that was populated below comes back unread.
    m_stage.File("BOOTNXT");
    m_tree->PopulateFolder(m_volume, root);
    const std::vector<std::u16string> texts = ChildTexts(root);
    EXPECT_EQ((std::set<std::u16string>{u"Boot", u"bootmgr", u"BOOTNXT"}),
              std::set<std::u16string>(texts.begin(), texts.end()));
    EXPECT_EQ(4u, Count());
    EXPECT_TRUE(Children(Child(root, u"Boot")).empty());

    // The view outlives the control object: it must not keep the destroyed image list.
    m_tree.reset();
    EXPECT_EQ(0, ::SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
}

TEST_F(FileTreeCtrlTest, LocatingTwiceLeavesOneCollapsedRoot) {
    m_stage.Folder("Boot");
    m_stage.File("Boot/BCD");
    MakeStagedTree();
    for (int pass = 0; pass < 2; ++pass) {
        m_tree->LocateHiddenVolume();
        ASSERT_EQ(1u, Count());
        const HTREEITEM root = Root();
        const Item item = Read(root);
        EXPECT_EQ(m_volume, item.text);
        EXPECT_EQ(1, item.folderFlag);
        EXPECT_EQ(ICON_VOLUME, item.image);
        EXPECT_EQ(ICON_VOLUME, item.selectedImage);
        EXPECT_EQ(1, item.children);
        EXPECT_EQ(0u, item.state & (TVIS_EXPANDED | TVIS_SELECTED));
        EXPECT_TRUE(Children(root).empty());
        EXPECT_EQ(u"", m_tree->GetSelectedPath());

        // Expanded and populated before the second pass.
        m_tree->PopulateFolder(m_volume, root);
        ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
        ASSERT_NE(0u, Read(root).state & TVIS_EXPANDED);
    }
}

// A search pattern of 260 units is not searched; 259 is.
TEST_F(FileTreeCtrlTest, PathLimit) {
    const size_t stageLength = m_volume.size();
    ASSERT_LT(stageLength, 200u);
    const std::wstring at259(255 - stageLength, L'a');  // folder path 255 + "\*.*"
    const std::wstring at260(256 - stageLength, L'b');
    m_stage.Folder(at259);
    m_stage.File(fs::path(at259) / L"f");
    m_stage.Folder(at260);
    m_stage.File(fs::path(at260) / L"f");
    MakeStagedTree();
    m_tree->LocateHiddenVolume();
    m_tree->PopulateFolder(m_volume, Root());

    const HTREEITEM searched = Child(Root(), FromWide(at259.c_str()));
    const HTREEITEM tooLong = Child(Root(), FromWide(at260.c_str()));
    ASSERT_TRUE(searched && tooLong);
    EXPECT_EQ(1, Read(searched).children);
    EXPECT_EQ(0, Read(tooLong).children);
    m_tree->PopulateFolder(m_tree->GetItemPath(tooLong), tooLong);
    EXPECT_TRUE(Children(tooLong).empty());
    m_tree->PopulateFolder(m_tree->GetItemPath(searched), searched);
    EXPECT_EQ(1u, Children(searched).size());
}

// The warning box that the tree shows when nothing qualifies, as a timer finds it.
struct SeenBox {
    std::set<HWND> boxes;
    std::wstring text;
    HWND owner = nullptr;
    bool warningIcon = false;
} g_seen;

void CALLBACK DismissWarning(HWND, UINT, UINT_PTR, DWORD) {
    const HWND box = ::FindWindowW(L"#32770", L"Quarrystone");
    if (box == nullptr || g_seen.boxes.count(box)) {
        return;
    }
    g_seen.boxes.insert(box);
    wchar_t text[200] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 200);
    g_seen.text = text;
    g_seen.owner = ::GetWindow(box, GW_OWNER);
    // The icon static is control 0x14 on Windows and 0x440 on Wine.
    const HICON warning = ::LoadIconW(nullptr, IDI_WARNING);
    for (int id : {0x14, 0x440}) {
        const LRESULT icon = ::SendDlgItemMessageW(box, id, STM_GETICON, 0, 0);
        g_seen.warningIcon |= icon != 0 && reinterpret_cast<HICON>(icon) == warning;
    }
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(FileTreeCtrlTest, NotFoundShowsOneWarningAndLeavesAnEmptyTree) {
    const std::string tables[] = {
        "",  // the walk cannot start
        Utf16ToUtf8(m_volume) + "|3|C:\\|NTFS|104857600\n" + Utf16ToUtf8(m_volume) +
            "|3||FAT32|104857600\n",
    };
    for (const std::string& table : tables) {
        MakeTree(table);
        TVINSERTSTRUCTW insert = {};
        insert.hParent = TVI_ROOT;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(L"left over");
        ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));

        g_seen = SeenBox();
        g_redraws.clear();
        const HCURSOR cross = ::LoadCursorW(nullptr, IDC_CROSS);
        ::SetCursor(cross);
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, DismissWarning);
        m_tree->LocateHiddenVolume();
        ::KillTimer(nullptr, timer);

        EXPECT_EQ(1u, g_seen.boxes.size()) << table;
        EXPECT_EQ(L"The hidden system drive was not found", g_seen.text);
        EXPECT_EQ(m_frame, g_seen.owner);
        EXPECT_TRUE(g_seen.warningIcon);
        EXPECT_EQ(0u, Count());
        EXPECT_EQ((std::vector<WPARAM>{FALSE, TRUE}), g_redraws);
        EXPECT_EQ(cross, ::GetCursor());
    }
}

TEST_F(FileTreeCtrlTest, DrawingAndCursorComeBackAfterPopulating) {
    m_stage.Folder("denied");
    DenyAccess("denied");
    MakeStagedTree();
    const HCURSOR cross = ::LoadCursorW(nullptr, IDC_CROSS);
    ::SetCursor(cross);
    g_redraws.clear();
    m_tree->LocateHiddenVolume();
    m_tree->PopulateFolder(m_volume, Root());
    const HTREEITEM denied = Child(Root(), u"denied");
    m_tree->PopulateFolder(m_tree->GetItemPath(denied), denied);
    m_tree->PopulateFolder(m_volume + u"missing", denied);
    EXPECT_EQ((std::vector<WPARAM>{FALSE, TRUE, FALSE, TRUE, FALSE, TRUE, FALSE, TRUE}), g_redraws);
    EXPECT_EQ(cross, ::GetCursor());
}

}  // namespace
}  // namespace qs
