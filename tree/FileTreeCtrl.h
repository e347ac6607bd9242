// The tree of the hidden volume: finds the volume, lists folders into tree items and builds
// each item's full path back from the item texts. Win32 only.
//
// Each item holds its text (the root: the volume name with its trailing backslash; others: the
// name as listed), its folder flag as item data (1 for the root and folders, 0 for files), one
// image for both states, and a children indicator computed when it is inserted. Folders are
// listed when first populated, not before.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/system/VolumeQueries.h"
#include "platform/window/WindowImpl.h"
#include "tree/ItemPath.h"
#include "tree/SizeLines.h"
#include "tree/VolumeCount.h"

namespace qs {

// Posted by the control to itself once, when it is attached: the first population.
constexpr UINT WM_POPULATE_TREE = 0xA23D;
// Sent (never posted) to the parent to view a file: lParam points at the file's zero-terminated
// full path, valid only during the call.
constexpr UINT WM_VIEW_FILE = 0x88C6;
// Posted by the size count to the control when a count is done; wParam is its generation.
constexpr UINT WM_COUNT_DONE = WM_APP + 0x260;
// Sent to the parent when the volume line or the selection line may have changed.
constexpr UINT WM_SIZE_LINES_CHANGED = WM_APP + 0x261;

// Attaches itself to a dialog's tree view by subclassing it. The dialog must reflect its
// children's notifications (message + 0x2000): folders are listed on the reflected
// TVN_ITEMEXPANDINGW.
class CFileTreeCtrl : public CWindowImpl {
public:
    // Builds the image list. The queries find the volume; without any, no volume is found.
    explicit CFileTreeCtrl(std::unique_ptr<VolumeQueries> volumes);
    ~CFileTreeCtrl();
    CFileTreeCtrl(const CFileTreeCtrl&) = delete;
    CFileTreeCtrl& operator=(const CFileTreeCtrl&) = delete;

    HIMAGELIST GetImageList() const { return m_imageList; }

    // Empties the tree and inserts the hidden volume as the single, collapsed root; when no
    // volume qualifies the tree stays empty and one warning box says so.
    void LocateHiddenVolume();

    // Inserts one item last under parent (TVI_ROOT for the root). The root is inserted with an
    // empty name and the volume name as parent path.
    HTREEITEM InsertFileItem(const std::u16string& name, const std::u16string& parentPath,
                             bool isFolder, HTREEITEM parent, HTREEITEM after = TVI_LAST);

    // True when the folder holds any entry besides "." and "..". False for anything that cannot
    // be listed: a file, a missing or unreadable folder, a search pattern over the path limit.
    bool FolderHasEntries(const std::u16string& fullPath) const;

    // Replaces the item's children by the folder's current entries: folders first, then files,
    // each group in listing order.
    void PopulateFolder(const std::u16string& fullPath, HTREEITEM item);

    // The item's full path; empty for a null item.
    std::u16string GetItemPath(HTREEITEM item) const;
    // The selected item's full path; empty when nothing is selected.
    std::u16string GetSelectedPath() const;

    // Subclasses the tree view and, when that works, posts WM_POPULATE_TREE to it.
    BOOL SubclassWindow(HWND hWnd) override;
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;

    // Re-reads the selected folder, or rebuilds the whole tree when nothing is selected.
    void Refresh();

    // Sizes (FileTreeSizes_win.cpp). F5: reads the volume again: the volume table and the free
    // space, every populated folder in place (new entries in their order, vanished ones gone, the
    // rest kept with their expansion and children; the selection on its item or the nearest
    // ancestor left), and counts the totals again.
    void Reread();
    // The lines under the tree: how full the volume is, and what the selected item holds.
    std::u16string GetVolumeLine() const;
    std::u16string GetSelectionLine() const;
    // The size drawn on the item's row: a file's listed size, a folder's counted total; empty
    // when there is none (yet).
    std::u16string GetRowSize(HTREEITEM item) const;

    // Asks the volume's space again and starts a fresh count of its totals, in the background;
    // the rows and the lines show them once it is done.
    void CountSizes();

private:
    void RereadFolder(HTREEITEM item, const std::u16string& path);
    bool HandleSizeMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    LRESULT OnCountDone(WPARAM generation);
    LRESULT OnCustomDraw(NMTVCUSTOMDRAW* draw);
    void NotifySizeLines() const;
    // The item's path below the root ("" for the root); false for an item outside the volume.
    bool GetRelativePath(HTREEITEM item, std::u16string& relative) const;
    void ListFolder(const std::u16string& fullPath, FolderListing& listing,
                    std::vector<std::uint64_t>& fileSizes) const;

    LRESULT OnPopulateTree();
    LRESULT OnItemExpanding(const NMTREEVIEWW* notification);
    LRESULT OnLButtonDblClk();
    // The context menu and its commands (commands/ContextMenu_win.cpp): a right click, or
    // Shift+F10 or the Menu key, which open the same menu for the selected item.
    LRESULT OnRButtonDown(WPARAM keys, LPARAM point);
    LRESULT OnKeyboardMenu();
    void TrackSelectedItemMenu(POINT screen);

    std::unique_ptr<VolumeQueries> m_volumes;
    HIMAGELIST m_imageList;
    // Shift+F10 opened the menu on its key down: its key up is ours too.
    bool m_menuKeyDown = false;

    // Sizes: the volume's space, the listed size of each file item, the latest count's totals.
    VolumeSpace m_space;
    std::unordered_map<HTREEITEM, std::uint64_t> m_fileSizes;
    std::unique_ptr<FolderTotals> m_totals;
    // The sideways scroll position the sizes were last drawn at.
    int m_drawnScrollX = 0;
    CVolumeCount m_count;
};

}  // namespace qs
