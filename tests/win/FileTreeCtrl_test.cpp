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

class FileTreeCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);

        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_stage = fs::path(temp) / (L"qs-tree-" + std::to_wstring(::GetCurrentProcessId()));
        fs::remove_all(m_stage);
        fs::create_directories(m_stage);
        // The staged volume: a real folder named by a \\?\ path with a trailing backslash.
        m_volume = u"\\\\?\\" + m_stage.u16string() + u"\\";

        m_frame = ::CreateWindowExW(0, L"STATIC", L"Tree test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    40, 40, 520, 600, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_frame);
        m_treeWindow = ::CreateWindowExW(0, WC_TREEVIEWW, L"", 0x50910027, 7, 7, 490, 540, m_frame,
                                         reinterpret_cast<HMENU>(1000), nullptr, nullptr);
        ASSERT_NE(nullptr, m_treeWindow);
        g_treeProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            m_treeWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingTreeProc)));
    }

    void TearDown() override {
        CFileSearch::SetFindFirstFileForTesting(nullptr);
        m_tree.reset();
        if (m_frame) {
            ::DestroyWindow(m_frame);
        }
        std::error_code ignored;
        fs::remove_all(m_stage, ignored);
        ::CoUninitialize();
    }

    // A tree over a staged table whose one volume is the stage folder.
    void MakeTree(const std::string& table) {
        m_tree = std::make_unique<CFileTreeCtrl>(StagedVolumeQueries::FromText(table));
        m_tree->m_hWnd = m_treeWindow;
        ::SendMessageW(m_treeWindow, TVM_SETIMAGELIST, TVSIL_NORMAL,
                       reinterpret_cast<LPARAM>(m_tree->GetImageList()));
    }
    void MakeStagedTree() { MakeTree(Utf16ToUtf8(m_volume) + "|3||NTFS|104857600\n"); }

    void MakeFolder(const fs::path& relative) { fs::create_directories(m_stage / relative); }
    void MakeFile(const fs::path& relative, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        std::ofstream(m_stage / relative) << "x";
        ::SetFileAttributesW((m_stage / relative).c_str(), attributes);
    }

    HTREEITEM Next(HTREEITEM item, WPARAM how) const {
        return reinterpret_cast<HTREEITEM>(
            ::SendMessageW(m_treeWindow, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM Root() const { return Next(nullptr, TVGN_ROOT); }
    UINT Count() const {
        return static_cast<UINT>(::SendMessageW(m_treeWindow, TVM_GETCOUNT, 0, 0));
    }

    Item Read(HTREEITEM handle) const {
        wchar_t text[300] = {};
        TVITEMW tvi = {};
        tvi.mask =
            TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
        tvi.hItem = handle;
        tvi.pszText = text;
        tvi.cchTextMax = 300;
        tvi.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
        EXPECT_TRUE(::SendMessageW(m_treeWindow, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi)));
        return {FromWide(text),     tvi.lParam,    tvi.iImage,
                tvi.iSelectedImage, tvi.cChildren, tvi.state};
    }

    std::vector<HTREEITEM> Children(HTREEITEM item) const {
        std::vector<HTREEITEM> children;
        for (HTREEITEM c = Next(item, TVGN_CHILD); c; c = Next(c, TVGN_NEXT)) {
            children.push_back(c);
        }
        return children;
    }
    HTREEITEM Child(HTREEITEM item, const std::u16string& text) const {
        for (HTREEITEM c : Children(item)) {
            if (Read(c).text == text) {
                return c;
            }
        }
        return nullptr;
    }

    void DenyAccess(const fs::path& relative) {
        g_deniedPatterns.push_back(L"\\\\?\\" + (m_stage / relative).wstring() + L"\\*.*");
        CFileSearch::SetFindFirstFileForTesting(FindFirstFileDenying);
    }

    fs::path m_stage;
    std::u16string m_volume;
    HWND m_frame = nullptr;
    HWND m_treeWindow = nullptr;
    std::unique_ptr<CFileTreeCtrl> m_tree;
};

TEST_F(FileTreeCtrlTest, ChildrenIndicatorsFollowTheFolderContents) {
    MakeFolder("dots-only");
    MakeFolder("hidden-file");
    MakeFile("hidden-file/.secret", FILE_ATTRIBUTE_HIDDEN);
    MakeFolder("sub-folder/empty");
    MakeFolder("denied");
    MakeFile("denied/inside");
    MakeFolder("$Recycle.Bin");
    MakeFile("Boot.LOG");
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

TEST_F(FileTreeCtrlTest, ItemPathsOfRootFolderAndFile) {
    MakeFolder("Boot");
    MakeFile("Boot/BCD");
    MakeStagedTree();
    m_tree->LocateHiddenVolume();
    const HTREEITEM root = Root();
    m_tree->PopulateFolder(m_volume, root);
    const HTREEITEM boot = Child(root, u"Boot");
    m_tree->PopulateFolder(m_tree->GetItemPath(boot), boot);
    const HTREEITEM bcd = Child(boot, u"BCD");
    ASSERT_NE(nullptr, bcd);

    EXPECT_EQ(m_volume, m_tree->GetItemPath(root));
    EXPECT_EQ(m_volume + u"Boot", m_tree->GetItemPath(boot));
    EXPECT_EQ(m_volume + u"Boot\\BCD", m_tree->GetItemPath(bcd));
    EXPECT_EQ(u"", m_tree->GetItemPath(nullptr));
    ::SendMessageW(m_treeWindow, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(bcd));
    EXPECT_EQ(m_volume + u"Boot\\BCD", m_tree->GetSelectedPath());
}

TEST_F(FileTreeCtrlTest, RepopulatingReplacesTheChildren) {
    MakeFolder("Boot");
    MakeFile("Boot/BCD");
    MakeFile("bootmgr");
    MakeStagedTree();
    m_tree->LocateHiddenVolume();
    const HTREEITEM root = Root();
    m_tree->PopulateFolder(m_volume, root);
    const HTREEITEM boot = Child(root, u"Boot");
    m_tree->PopulateFolder(m_tree->GetItemPath(boot), boot);
    ASSERT_EQ(4u, Count());

    MakeFile("BOOTNXT");
    m_tree->PopulateFolder(m_volume, root);
    std::set<std::u16string> names;
    for (HTREEITEM child : Children(root)) {
        names.insert(Read(child).text);
    }
    EXPECT_EQ((std::set<std::u16string>{u"Boot", u"bootmgr", u"BOOTNXT"}), names);
    // The folder that was populated below comes back unread.
    EXPECT_EQ(4u, Count());
    EXPECT_TRUE(Children(Child(root, u"Boot")).empty());
}

TEST_F(FileTreeCtrlTest, LocatingTwiceLeavesOneCollapsedRoot) {
    MakeFolder("Boot");
    MakeFile("Boot/BCD");
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
        ::SendMessageW(m_treeWindow, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
        ASSERT_NE(0u, Read(root).state & TVIS_EXPANDED);
    }
}

// A search pattern of 260 units is not searched; 259 is.
TEST_F(FileTreeCtrlTest, PathLimit) {
    const size_t stageLength = m_volume.size();
    ASSERT_LT(stageLength, 200u);
    const std::wstring at259(255 - stageLength, L'a');  // folder path 255 + "\*.*"
    const std::wstring at260(256 - stageLength, L'b');
    MakeFolder(at259);
    MakeFile(fs::path(at259) / L"f");
    MakeFolder(at260);
    MakeFile(fs::path(at260) / L"f");
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

TEST_F(FileTreeCtrlTest, NonBmpNames) {
    const std::wstring name = L"\U0001D11E music \U0001F600.dat";
    MakeFolder(L"\U00010400");
    MakeFile(fs::path(L"\U00010400") / name);
    MakeStagedTree();
    m_tree->LocateHiddenVolume();
    m_tree->PopulateFolder(m_volume, Root());
    const HTREEITEM folder = Child(Root(), u"\U00010400");
    ASSERT_NE(nullptr, folder);
    EXPECT_EQ(1, Read(folder).children);
    m_tree->PopulateFolder(m_tree->GetItemPath(folder), folder);
    const HTREEITEM file = Child(folder, FromWide(name.c_str()));
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(ICON_DAT, Read(file).image);
    EXPECT_EQ(m_volume + u"\U00010400\\" + FromWide(name.c_str()), m_tree->GetItemPath(file));
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
        ::SendMessageW(m_treeWindow, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));

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
    MakeFolder("denied");
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
