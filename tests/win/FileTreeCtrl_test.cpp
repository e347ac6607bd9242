#include <windows.h>

#include <objbase.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

// What the tree and its parent saw: the tree's WM_SETREDRAW switches, the WM_VIEW_FILE paths.
std::vector<WPARAM> g_redraws;
std::vector<std::u16string> g_viewRequests;
std::vector<std::wstring> g_deniedPatterns;  // searches the platform layer refuses
WNDPROC g_treeProc = nullptr;

HANDLE WINAPI FindFirstFileDenying(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
    for (const std::wstring& denied : g_deniedPatterns) {
        if (denied == pattern) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }
    return ::FindFirstFileW(pattern, data);
}

LRESULT CALLBACK RecordingTreeProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETREDRAW)
        g_redraws.push_back(wParam);
    return ::CallWindowProcW(g_treeProc, hWnd, msg, wParam, lParam);
}

// The parent reflects its children's notifications back, as the main dialog does.
LRESULT CALLBACK ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_VIEW_FILE) {
        g_viewRequests.push_back(FromWide(reinterpret_cast<const wchar_t*>(lParam)));
        return 1;
    }
    if (uMsg == WM_NOTIFY)
        return ::SendMessageW(reinterpret_cast<const NMHDR*>(lParam)->hwndFrom, 0x2000 + WM_NOTIFY,
                              wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

struct Item {
    std::u16string text;
    LPARAM folderFlag;
    int image, selectedImage, children;
    UINT state;
};

// A tree view in a visible parent, and a real folder staged as the hidden volume.
class FileTreeCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        g_redraws.clear();
        g_viewRequests.clear();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &ParentProc;
        wc.lpszClassName = L"QsTreeParent";
        ::RegisterClassW(&wc);
        m_parent = ::CreateWindowExW(0, L"QsTreeParent", L"Tree", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     40, 40, 520, 600, nullptr, nullptr, nullptr, nullptr);
        m_tree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", 0x50910027, 7, 7, 490, 540, m_parent,
                                   reinterpret_cast<HMENU>(1000), nullptr, nullptr);
        ASSERT_NE(nullptr, m_tree);
        g_treeProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            m_tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingTreeProc)));
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_path = fs::path(temp) / (L"qs-tree-" + std::to_wstring(::GetCurrentProcessId()));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
        m_volume = u"\\\\?\\" + m_path.u16string() + u"\\";
    }

    void TearDown() override {
        CFileSearch::SetFindFirstFileForTesting(nullptr);
        g_deniedPatterns.clear();
        m_ctrl.reset();
        ::DestroyWindow(m_parent);
        ::CoUninitialize();
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }

    // The control over the tree view, finding the staged folder (or what `table` says).
    void MakeCtrl(const std::string* table = nullptr) {
        m_ctrl = std::make_unique<CFileTreeCtrl>(StagedVolumeQueries::FromText(
            table ? *table : Utf16ToUtf8(m_volume) + "|3||NTFS|104857600\n"));
        m_ctrl->m_hWnd = m_tree;
    }
    void Folder(const fs::path& relative) { fs::create_directories(m_path / relative); }
    void File(const fs::path& relative, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        std::ofstream(m_path / relative) << "x";
        ::SetFileAttributesW((m_path / relative).c_str(), attributes);
    }
    void Deny(const fs::path& relative) {
        g_deniedPatterns.push_back(L"\\\\?\\" + (m_path / relative).wstring() + L"\\*.*");
        CFileSearch::SetFindFirstFileForTesting(FindFirstFileDenying);
    }

    HTREEITEM Next(HTREEITEM item, WPARAM how) const {
        return reinterpret_cast<HTREEITEM>(
            ::SendMessageW(m_tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM Root() const { return Next(nullptr, TVGN_ROOT); }
    UINT Count() const { return static_cast<UINT>(::SendMessageW(m_tree, TVM_GETCOUNT, 0, 0)); }
    Item Read(HTREEITEM handle) const {
        wchar_t text[300] = {};
        TVITEMW tvi = {};
        tvi.mask =
            TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
        tvi.hItem = handle;
        tvi.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
        tvi.pszText = text;
        tvi.cchTextMax = 300;
        EXPECT_TRUE(::SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi)));
        return {FromWide(text),     tvi.lParam,    tvi.iImage,
                tvi.iSelectedImage, tvi.cChildren, tvi.state};
    }
    std::vector<std::u16string> ChildTexts(HTREEITEM item) const {
        std::vector<std::u16string> texts;
        for (HTREEITEM c = Next(item, TVGN_CHILD); c; c = Next(c, TVGN_NEXT))
            texts.push_back(Read(c).text);
        return texts;
    }
    HTREEITEM Child(HTREEITEM item, const std::u16string& text) const {
        for (HTREEITEM c = Next(item, TVGN_CHILD); c; c = Next(c, TVGN_NEXT))
            if (Read(c).text == text)
                return c;
        return nullptr;
    }
    bool Expanded(HTREEITEM item) const { return (Read(item).state & TVIS_EXPANDED) != 0; }
    void Select(HTREEITEM item) const {
        ::SendMessageW(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
    // The user's keys and double-click: unlike TVM_EXPAND they notify the parent.
    void Key(HTREEITEM item, WPARAM key) const {
        Select(item);
        ::SendMessageW(m_tree, WM_KEYDOWN, key, 0);
    }
    void DoubleClick(HTREEITEM item) const {
        Select(item);
        ::SendMessageW(m_tree, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    }

    HWND m_parent = nullptr, m_tree = nullptr;
    fs::path m_path;
    std::u16string m_volume;
    std::unique_ptr<CFileTreeCtrl> m_ctrl;
};

TEST_F(FileTreeCtrlTest, PopulatingListsFoldersFirstWithTheirIndicatorsIconsAndPaths) {
    const std::wstring nonBmp = L"\U0001D11E music \U0001F600.dat";
    const std::wstring at259(255 - m_volume.size(), L'a');  // folder path 255 + "\*.*"
    const std::wstring at260(256 - m_volume.size(), L'b');
    for (const fs::path& folder :
         {fs::path("dots-only"), fs::path("hidden-file"), fs::path("sub/empty"), fs::path("denied"),
          fs::path("$Recycle.Bin"), fs::path(at259), fs::path(at260)})
        Folder(folder);
    File("hidden-file/.secret", FILE_ATTRIBUTE_HIDDEN);
    File("denied/inside");
    File(fs::path(at259) / L"f");
    File(fs::path(at260) / L"f");
    File(L"Boot.LOG");
    File(nonBmp);
    Deny("denied");
    MakeCtrl();
    const HCURSOR cross = ::LoadCursorW(nullptr, IDC_CROSS);
    ::SetCursor(cross);
    m_ctrl->LocateHiddenVolume();
    const HTREEITEM root = Root();
    m_ctrl->PopulateFolder(m_ctrl->GetItemPath(root), root);

    const struct {
        std::u16string name;
        LPARAM folderFlag;
        int children, image;
    } rows[] = {
        {u"dots-only", 1, 0, ICON_FOLDER},
        {u"hidden-file", 1, 1, ICON_FOLDER},
        {u"sub", 1, 1, ICON_FOLDER},
        {u"denied", 1, 0, ICON_FOLDER},
        {u"$Recycle.Bin", 1, 0, ICON_RECYCLE_FOLDER},
        {FromWide(at259.c_str()), 1, 1, ICON_FOLDER},
        {FromWide(at260.c_str()), 1, 0, ICON_FOLDER},
        {u"Boot.LOG", 0, 0, ICON_LOG},
        {FromWide(nonBmp.c_str()), 0, 0, ICON_DAT},
    };
    const std::vector<std::u16string> texts = ChildTexts(root);
    ASSERT_EQ(std::size(rows), texts.size());
    for (const auto& row : rows) {
        const HTREEITEM child = Child(root, row.name);
        ASSERT_NE(nullptr, child) << Utf16ToUtf8(row.name);
        const Item item = Read(child);
        EXPECT_EQ(row.folderFlag, item.folderFlag) << Utf16ToUtf8(row.name);
        EXPECT_EQ(row.children, item.children) << Utf16ToUtf8(row.name);
        EXPECT_EQ(row.image, item.image) << Utf16ToUtf8(row.name);
        EXPECT_EQ(row.image, item.selectedImage) << Utf16ToUtf8(row.name);
        EXPECT_EQ(m_volume + row.name, m_ctrl->GetItemPath(child));
        // The folders that cannot be listed list nothing; the others list what they hold.
        m_ctrl->PopulateFolder(m_ctrl->GetItemPath(child), child);
        EXPECT_EQ(ChildTexts(child).size(), static_cast<size_t>(row.children));
    }
    for (size_t i = 0; i < texts.size(); ++i)  // folders first
        EXPECT_EQ(i < 7 ? 1 : 0, Read(Child(root, texts[i])).folderFlag) << i;
    EXPECT_EQ(m_volume, m_ctrl->GetItemPath(root));
    EXPECT_EQ(u"", m_ctrl->GetItemPath(nullptr));
    const HTREEITEM sub = Child(root, u"sub");
    Select(Child(sub, u"empty"));
    EXPECT_EQ(m_volume + u"sub\\empty", m_ctrl->GetSelectedPath());
    // Drawing is off during each change and the cursor comes back after each.
    for (size_t i = 0; i < g_redraws.size(); ++i)
        EXPECT_EQ(g_redraws[i], static_cast<WPARAM>(i % 2)) << i;
    EXPECT_EQ(2 * (2 + std::size(rows)), g_redraws.size());
    EXPECT_EQ(cross, ::GetCursor());

    // Repopulated: the new listing, and a folder populated below comes back unread.
    File("BOOTNXT");
    m_ctrl->PopulateFolder(m_volume, root);
    EXPECT_EQ(std::size(rows) + 1, ChildTexts(root).size());
    EXPECT_TRUE(ChildTexts(Child(root, u"sub")).empty());
    EXPECT_EQ(std::size(rows) + 2, Count());
    // The view outlives the control object: it must not keep the destroyed image list.
    m_ctrl.reset();
    EXPECT_EQ(0, ::SendMessageW(m_tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
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
    if (box == nullptr || !g_seen.boxes.insert(box).second)
        return;
    wchar_t text[200] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 200);
    g_seen.text = text;
    g_seen.owner = ::GetWindow(box, GW_OWNER);
    // The icon static is control 0x14 on Windows and 0x440 on Wine.
    for (int id : {0x14, 0x440})
        g_seen.warningIcon |= ::SendDlgItemMessageW(box, id, STM_GETICON, 0, 0) ==
                              reinterpret_cast<LRESULT>(::LoadIconW(nullptr, IDI_WARNING));
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(FileTreeCtrlTest, NotFoundShowsOneWarningAndLeavesAnEmptyTree) {
    const std::string tables[] = {
        "",  // the walk cannot start
        Utf16ToUtf8(m_volume) + "|3|C:\\|NTFS|104857600\n" + Utf16ToUtf8(m_volume) +
            "|3||FAT32|104857600\n",
    };
    for (const std::string& table : tables) {
        MakeCtrl(&table);
        TVINSERTSTRUCTW insert = {};
        insert.hParent = TVI_ROOT;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(L"left over");
        ::SendMessageW(m_tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
        g_seen = SeenBox();
        g_redraws.clear();
        const HCURSOR cross = ::LoadCursorW(nullptr, IDC_CROSS);
        ::SetCursor(cross);
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, DismissWarning);
        m_ctrl->LocateHiddenVolume();
        ::KillTimer(nullptr, timer);
        EXPECT_EQ(1u, g_seen.boxes.size()) << table;
        EXPECT_EQ(L"The hidden system drive was not found", g_seen.text);
        EXPECT_EQ(m_parent, g_seen.owner);
        EXPECT_TRUE(g_seen.warningIcon);
        EXPECT_EQ(0u, Count());
        EXPECT_EQ((std::vector<WPARAM>{FALSE, TRUE}), g_redraws);
        EXPECT_EQ(cross, ::GetCursor());
    }
}

// Attached, the control fills the tree from the loop, lists a folder on its first expansion only,
// asks its parent to view a double-clicked file, and a refresh reads again.
TEST_F(FileTreeCtrlTest, MessagesDriveTheTree) {
    Folder("Boot/Fonts");
    File("Boot/BCD");
    File("bootmgr");
    MakeCtrl();
    m_ctrl->m_hWnd = nullptr;  // attached by subclassing instead
    EXPECT_FALSE(m_ctrl->SubclassWindow(nullptr));
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_POPULATE_TREE, WM_POPULATE_TREE, PM_NOREMOVE));
    ASSERT_TRUE(m_ctrl->SubclassWindow(m_tree));
    EXPECT_EQ(Root(), nullptr);  // nothing before the loop delivers the start message
    DoubleClick(nullptr);
    EXPECT_EQ(g_viewRequests, std::vector<std::u16string>{u""});  // nothing selected
    ASSERT_TRUE(::PeekMessageW(&msg, m_tree, WM_POPULATE_TREE, WM_POPULATE_TREE, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_POPULATE_TREE, WM_POPULATE_TREE, PM_NOREMOVE));
    ::DispatchMessageW(&msg);
    EXPECT_EQ(::SendMessageW(m_tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0),
              reinterpret_cast<LRESULT>(m_ctrl->GetImageList()));
    const HTREEITEM root = Root();
    ASSERT_NE(root, nullptr);
    const Item item = Read(root);
    EXPECT_EQ(m_volume, item.text);
    EXPECT_EQ(1, item.folderFlag);
    EXPECT_EQ(ICON_VOLUME, item.image);
    EXPECT_EQ(ICON_VOLUME, item.selectedImage);
    EXPECT_EQ(1, item.children);
    EXPECT_EQ(0u, item.state & (TVIS_EXPANDED | TVIS_SELECTED));
    EXPECT_EQ(Next(root, TVGN_NEXT), nullptr);
    EXPECT_EQ(Next(nullptr, TVGN_CARET), nullptr);  // the program selects nothing

    Key(root, VK_ADD);
    EXPECT_TRUE(Expanded(root));
    EXPECT_EQ(ChildTexts(root), (std::vector<std::u16string>{u"Boot", u"bootmgr"}));
    // Changed on disk, collapsed and expanded again: the first listing stays.
    File("BOOTNXT");
    Folder("Recovery");
    Key(root, VK_SUBTRACT);
    EXPECT_FALSE(Expanded(root));
    Key(root, VK_ADD);
    EXPECT_EQ(ChildTexts(root), (std::vector<std::u16string>{u"Boot", u"bootmgr"}));

    // Double-clicks: the root and a folder send nothing and keep their expansion; files are
    // asked for by their full path.
    const HTREEITEM boot = Child(root, u"Boot");
    DoubleClick(root);
    EXPECT_TRUE(Expanded(root));
    DoubleClick(boot);
    EXPECT_FALSE(Expanded(boot));
    EXPECT_TRUE(ChildTexts(boot).empty());
    DoubleClick(Child(root, u"bootmgr"));
    Key(boot, VK_ADD);
    DoubleClick(Child(boot, u"BCD"));
    EXPECT_EQ(g_viewRequests,
              (std::vector<std::u16string>{u"", m_volume + u"bootmgr", m_volume + u"Boot\\BCD"}));

    // A refresh of the selected folder reads it again; with nothing selected, the whole tree.
    Select(root);
    m_ctrl->Refresh();
    EXPECT_EQ(ChildTexts(root).size(), 4u);
    Select(nullptr);
    m_ctrl->Refresh();
    EXPECT_EQ(Count(), 1u);
    EXPECT_FALSE(Expanded(Root()));
}

}  // namespace
}  // namespace qs
