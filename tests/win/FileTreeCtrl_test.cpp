#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/system/StagedVolumeQueries.h"
#include "platform/system/Text.h"
#include "platform/system/WideText.h"
#include "tree/FileTreeCtrl.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// The tree's WM_SETREDRAW switches.
std::vector<WPARAM> g_redraws;
WNDPROC g_treeProc = nullptr;

LRESULT CALLBACK RecordingTreeProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETREDRAW)
        g_redraws.push_back(wParam);
    return ::CallWindowProcW(g_treeProc, hWnd, msg, wParam, lParam);
}

// The parent reflects its children's notifications back, as the main dialog does.
LRESULT CALLBACK ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NOTIFY)
        return ::SendMessageW(reinterpret_cast<const NMHDR*>(lParam)->hwndFrom, 0x2000 + WM_NOTIFY,
                              wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// A tree view in a visible parent, and a real folder staged as the hidden volume.
class FileTreeCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        const WNDCLASSW parent = {0,       ParentProc, 0,       0,       nullptr,
                                  nullptr, nullptr,    nullptr, nullptr, L"QsTreeParent"};
        ::RegisterClassW(&parent);
        m_parent = ::CreateWindowExW(0, L"QsTreeParent", L"Tree", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     40, 40, 520, 600, nullptr, nullptr, nullptr, nullptr);
        m_tree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", 0x50910027, 7, 7, 490, 540, m_parent,
                                   reinterpret_cast<HMENU>(1000), nullptr, nullptr);
        g_treeProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            m_tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingTreeProc)));
        m_path = fs::temp_directory_path() / ("qs-tree-" + std::to_string(::GetCurrentProcessId()));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
        m_volume = u"\\\\?\\" + m_path.u16string() + u"\\";
        m_ctrl = std::make_unique<CFileTreeCtrl>(
            StagedVolumeQueries::FromText(Utf16ToUtf8(m_volume) + "|3||NTFS|104857600\n"));
        m_ctrl->m_hWnd = m_tree;
    }

    void TearDown() override {
        m_ctrl.reset();
        ::DestroyWindow(m_parent);
        ::CoUninitialize();
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }

    void File(const fs::path& relative) { std::ofstream(m_path / relative) << "x"; }
    HTREEITEM Next(HTREEITEM item, WPARAM how) const {
        return reinterpret_cast<HTREEITEM>(
            ::SendMessageW(m_tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM Root() const { return Next(nullptr, TVGN_ROOT); }
    // Every item, one line each, indented by depth: the text, '/' for the folder flag, '+' for
    // the children indicator, and the image. Runs of siblings of the same kind are sorted, since
    // the listing order is the file system's.
    std::string Dump(HTREEITEM first = nullptr, const std::string& indent = "") const {
        std::vector<std::pair<LPARAM, std::string>> lines;
        for (HTREEITEM h = first ? first : Root(); h; h = Next(h, TVGN_NEXT)) {
            wchar_t text[300] = {};
            const UINT mask =
                TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
            TVITEMW item = {mask, h, 0, 0, text, 300, 0, 0, 0, 0};
            ::SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            const HTREEITEM child = Next(h, TVGN_CHILD);
            lines.push_back(
                {item.lParam, indent + Utf16ToUtf8(FromWide(text)) + (item.lParam ? "/" : "") +
                                  (item.cChildren ? "+ " : " ") + std::to_string(item.iImage) +
                                  (item.iSelectedImage != item.iImage ? " two images" : "") + "\n" +
                                  (child ? Dump(child, indent + "  ") : "")});
        }
        for (auto run = lines.begin(); run != lines.end();) {
            const auto end =
                std::find_if(run, lines.end(), [&](auto& l) { return l.first != run->first; });
            std::sort(run, end);
            run = end;
        }
        std::string out;
        for (const auto& line : lines)
            out += line.second;
        return out;
    }

    HWND m_parent = nullptr, m_tree = nullptr;
    fs::path m_path;
    std::u16string m_volume;
    std::unique_ptr<CFileTreeCtrl> m_ctrl;
};

TEST_F(FileTreeCtrlTest, PopulatingListsFoldersFirstWithTheirIndicatorsIconsAndPaths) {
    const std::string at259(255 - m_volume.size(), 'a');  // folder path 255 + "\*.*"
    const std::string at260(256 - m_volume.size(), 'b');  // not searched
    for (const std::string& folder :
         {"dots-only"s, "hidden-file"s, "sub/empty"s, "$Recycle.Bin"s, at259, at260})
        fs::create_directories(m_path / folder);
    File("hidden-file/.secret");
    ::SetFileAttributesW((m_path / "hidden-file/.secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    File(at259 + "/f");
    File(at260 + "/f");
    File("Boot.LOG");
    File(L"\U0001D11E \U0001F600.dat");
    const HCURSOR cross = ::LoadCursorW(nullptr, IDC_CROSS);
    ::SetCursor(cross);
    g_redraws.clear();
    m_ctrl->LocateHiddenVolume();
    m_ctrl->PopulateFolder(m_ctrl->GetItemPath(Root()), Root());
    // Each item below the root populated from its path (a folder that can't be searched lists
    // nothing: the fault table's).
    int populated = 2;
    for (HTREEITEM child = Next(Root(), TVGN_CHILD); child;
         child = Next(child, TVGN_NEXT), ++populated)
        m_ctrl->PopulateFolder(m_ctrl->GetItemPath(child), child);
    EXPECT_EQ(Dump(), Utf16ToUtf8(m_volume) +
                          "/+ 0\n"
                          "  $Recycle.Bin/ 2\n" +
                          "  " + at259 + "/+ 1\n    f 9\n  " + at260 +
                          "/ 1\n"
                          "  dots-only/ 1\n"
                          "  hidden-file/+ 1\n    .secret 9\n"
                          "  sub/+ 1\n    empty/ 1\n"
                          "  Boot.LOG 5\n"
                          "  \U0001D11E \U0001F600.dat 4\n");
    // Drawing is off during each change and the cursor comes back after each.
    EXPECT_EQ(g_redraws.size(), 2u * populated);
    for (size_t i = 0; i < g_redraws.size(); ++i)
        EXPECT_EQ(g_redraws[i], static_cast<WPARAM>(i % 2)) << i;
    EXPECT_EQ(cross, ::GetCursor());
    // (Item paths are joined by a portable function and copied end to end.)
    // The view outlives the control object: it must not keep the destroyed image list.
    m_ctrl.reset();
    EXPECT_EQ(0, ::SendMessageW(m_tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
}

// The count's nudge, posted to the tree when its walk is done; its generation.
WPARAM WaitForCount(HWND tree) {
    MSG msg = {};
    for (int i = 0; i < 1000; ++i, ::Sleep(10))
        if (::PeekMessageW(&msg, tree, WM_COUNT_DONE, WM_COUNT_DONE, PM_REMOVE))
            return msg.wParam;
    ADD_FAILURE() << "no count ended";
    return 0;
}

TEST_F(FileTreeCtrlTest, F5RereadsInPlaceAndTheNewestCountAloneIsTaken) {
    fs::create_directories(m_path / "Boot/Fonts");
    for (const char* file : {"Boot/BCD", "Boot/gone.log", "Boot/Fonts/a.ttf", "bootmgr"})
        File(file);
    m_ctrl->LocateHiddenVolume();
    const auto populate = [&](HTREEITEM item) {
        m_ctrl->PopulateFolder(m_ctrl->GetItemPath(item), item);
        ::SendMessageW(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        return Next(item, TVGN_CHILD);
    };
    const HTREEITEM boot = populate(Root()), fonts = populate(boot), font = populate(fonts);
    ::SendMessageW(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(font));

    // A file added and one removed in an expanded folder, a subfolder added, a file at the root.
    fs::remove(m_path / "Boot/gone.log");
    File("Boot/new.txt");
    fs::create_directories(m_path / "Boot/Sub");
    File("Boot/Sub/s");
    File("BOOTNXT");
    m_ctrl->Reread();
    const WPARAM older = WaitForCount(m_tree);
    EXPECT_EQ(Dump(), Utf16ToUtf8(m_volume) +
                          "/+ 0\n"
                          "  Boot/+ 1\n    Fonts/+ 1\n      a.ttf 8\n    Sub/+ 1\n"
                          "    BCD 9\n    new.txt 9\n"
                          "  BOOTNXT 9\n  bootmgr 6\n");
    EXPECT_EQ(boot, Next(Root(), TVGN_CHILD));
    EXPECT_EQ(font, Next(nullptr, TVGN_CARET));
    EXPECT_TRUE(
        ::SendMessageW(m_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(boot), TVIS_EXPANDED) &
        TVIS_EXPANDED);

    // The selection's folder gone: it moves to the nearest ancestor left. The older count's
    // nudge, arriving after this newer F5, changes nothing.
    fs::remove_all(m_path / "Boot/Fonts");
    m_ctrl->Reread();
    EXPECT_EQ(boot, Next(nullptr, TVGN_CARET));
    LRESULT result = 0;
    m_ctrl->ProcessWindowMessage(m_tree, WM_COUNT_DONE, older, 0, result);
    EXPECT_EQ(u"", m_ctrl->GetRowSize(boot));
    EXPECT_EQ(u"Boot", m_ctrl->GetSelectionLine().substr(0, 4));
    EXPECT_EQ(std::u16string::npos, m_ctrl->GetSelectionLine().find(u" in "));
    m_ctrl->ProcessWindowMessage(m_tree, WM_COUNT_DONE, WaitForCount(m_tree), 0, result);
    EXPECT_EQ(u"Boot: 3 bytes in 3 files", m_ctrl->GetSelectionLine());
    EXPECT_EQ(u"3 bytes", m_ctrl->GetRowSize(boot));
    EXPECT_EQ(u"100 MB NTFS volume", m_ctrl->GetVolumeLine());  // no free field: no free part
}

}  // namespace
}  // namespace qs
