// CFileTreeCtrl's sizes: the volume's space, the background count of its totals, the size drawn
// on each row, the two lines under the tree, and F5's re-reading of the volume in place.
#include <cstring>
#include <optional>
#include <unordered_map>

#include "platform/system/WideText.h"
#include "platform/window/MessageRules.h"
#include "platform/window/UiGuards.h"
#include "tree/FileTreeCtrl.h"
#include "tree/HiddenVolume.h"
#include "tree/ShellSizeFormat.h"

namespace qs {

namespace {

struct ItemState {
    std::u16string text;
    bool isFolder = false;
};

ItemState ReadItem(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH_CHARS] = {};
    TVITEMW tvi = {};
    tvi.mask = TVIF_TEXT | TVIF_PARAM;
    tvi.hItem = item;
    tvi.pszText = text;
    tvi.cchTextMax = MAX_PATH_CHARS;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
    return {FromWide(text, ::wcsnlen(text, MAX_PATH_CHARS)), tvi.lParam > 0};
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, WPARAM how) {
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// Forgets the listed sizes of an item and everything below it, before it goes.
void ForgetSizes(HWND tree, HTREEITEM item, std::unordered_map<HTREEITEM, std::uint64_t>& sizes) {
    sizes.erase(item);
    for (HTREEITEM child = NextItem(tree, item, TVGN_CHILD); child != nullptr;
         child = NextItem(tree, child, TVGN_NEXT))
        ForgetSizes(tree, child, sizes);
}

bool IsWithin(HWND tree, HTREEITEM item, HTREEITEM ancestor) {
    for (; item != nullptr; item = NextItem(tree, item, TVGN_PARENT)) {
        if (item == ancestor)
            return true;
    }
    return false;
}

}  // namespace

bool CFileTreeCtrl::HandleSizeMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    switch (uMsg) {
        case WM_COUNT_DONE:
            lResult = OnCountDone(wParam);
            return true;
        case WM_DESTROY:
            // Closing mid-count: the walk ends at its next folder while the window goes.
            m_count.RequestStop();
            return false;
        case msg::kReflectBase + WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header == nullptr)
                return false;
            if (header->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
                lResult = OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(lParam));
                return true;
            }
            if (header->code == static_cast<UINT>(TVN_DELETEITEMW)) {
                m_fileSizes.erase(reinterpret_cast<const NMTREEVIEWW*>(lParam)->itemOld.hItem);
            } else if (header->code == static_cast<UINT>(TVN_SELCHANGEDW)) {
                NotifySizeLines();
            }
            return false;
        }
        default:
            return false;
    }
}

void CFileTreeCtrl::CountSizes() {
    m_totals.reset();
    m_space = VolumeSpace();
    const HTREEITEM root = NextItem(m_hWnd, nullptr, TVGN_ROOT);
    if (root == nullptr || !m_volumes) {
        NotifySizeLines();
        return;
    }
    const std::u16string volume = GetItemPath(root);
    uint64_t bytes = 0;
    if (m_volumes->QueryTotalBytes(volume, bytes))
        m_space.capacity = bytes;
    m_volumes->QueryFileSystemName(volume, m_space.fileSystem);
    if (m_volumes->QueryFreeBytes(volume, bytes))
        m_space.freeBytes = bytes;
    m_count.Start(volume, m_hWnd, WM_COUNT_DONE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    NotifySizeLines();
}

LRESULT CFileTreeCtrl::OnCountDone(WPARAM generation) {
    std::unique_ptr<FolderTotals> totals = m_count.Take(static_cast<unsigned>(generation));
    if (totals == nullptr)
        return 0;  // from a count that a newer one replaced
    m_totals = std::move(totals);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    NotifySizeLines();
    return 0;
}

void CFileTreeCtrl::NotifySizeLines() const {
    const HWND parent = ::GetParent(m_hWnd);
    if (parent != nullptr)
        ::SendMessageW(parent, WM_SIZE_LINES_CHANGED, 0, 0);
}

bool CFileTreeCtrl::GetRelativePath(HTREEITEM item, std::u16string& relative) const {
    const HTREEITEM root = NextItem(m_hWnd, nullptr, TVGN_ROOT);
    if (item == nullptr || root == nullptr)
        return false;
    const std::u16string rootPath = GetItemPath(root);
    const std::u16string path = GetItemPath(item);
    if (path.compare(0, rootPath.size(), rootPath) != 0)
        return false;
    relative = path.substr(rootPath.size());
    return true;
}

std::u16string CFileTreeCtrl::GetVolumeLine() const {
    return MakeVolumeLine(m_space, GetShellSizeFormatter());
}

std::u16string CFileTreeCtrl::GetSelectionLine() const {
    const HTREEITEM selected = NextItem(m_hWnd, nullptr, TVGN_CARET);
    std::u16string relative;
    if (!GetRelativePath(selected, relative))
        return std::u16string();
    const SizeFormatter& format = GetShellSizeFormatter();
    const bool counting = m_count.IsCounting();
    const FolderTotal* total = m_totals ? m_totals->Find(relative) : nullptr;
    if (relative.empty())
        return MakeRootLine(total, counting, m_space, format);
    const ItemState state = ReadItem(m_hWnd, selected);
    if (state.isFolder)
        return MakeFolderLine(state.text, total, counting, format);
    const auto size = m_fileSizes.find(selected);
    return size == m_fileSizes.end() ? state.text : MakeFileLine(state.text, size->second, format);
}

std::u16string CFileTreeCtrl::GetRowSize(HTREEITEM item) const {
    const auto size = m_fileSizes.find(item);
    if (size != m_fileSizes.end())
        return GetShellSizeFormatter().Bytes(size->second);
    std::u16string relative;
    const FolderTotal* total =
        m_totals && GetRelativePath(item, relative) ? m_totals->Find(relative) : nullptr;
    return total ? GetShellSizeFormatter().Bytes(total->bytes) : std::u16string();
}

// The size goes on the row after the tree has drawn it, right-aligned at the client's right
// edge, and only where it clears the label: the label is the name that every command reads.
LRESULT CFileTreeCtrl::OnCustomDraw(NMTVCUSTOMDRAW* draw) {
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        // A sideways scroll moves the drawn sizes with the labels and repaints only the strip it
        // uncovers, which would leave pieces of them behind: then the whole tree is drawn again.
        const int scrollX = ::GetScrollPos(m_hWnd, SB_HORZ);
        if (scrollX != m_drawnScrollX) {
            m_drawnScrollX = scrollX;
            ::InvalidateRect(m_hWnd, nullptr, TRUE);
        }
        return CDRF_NOTIFYITEMDRAW;
    }
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
        return CDRF_NOTIFYPOSTPAINT;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPOSTPAINT)
        return CDRF_DODEFAULT;
    const auto item = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
    const std::u16string size = GetRowSize(item);
    if (size.empty())
        return CDRF_DODEFAULT;
    const HDC dc = draw->nmcd.hdc;
    // TVM_GETITEMRECT reads the item from the start of the rectangle it fills.
    RECT label = {};
    std::memcpy(&label, &item, sizeof item);
    if (!::SendMessageW(m_hWnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label)))
        return CDRF_DODEFAULT;
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
    const int gap = ::MulDiv(12, dpi, 96), margin = ::MulDiv(4, dpi, 96);

    const auto font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    const HGDIOBJ oldFont = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, AsWide(size), static_cast<int>(size.size()), &extent);
    RECT box = {client.right - margin - extent.cx, draw->nmcd.rc.top, client.right - margin,
                draw->nmcd.rc.bottom};
    if (box.left >= label.right + gap) {
        // The highlight covers the label alone, so the selection's own text colour (white on
        // most themes) would vanish on the window's background: the window's text colour marks
        // the selected row instead.
        const bool selected = (draw->nmcd.uItemState & CDIS_SELECTED) != 0;
        const COLORREF oldColour =
            ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        const int oldMode = ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, AsWide(size), static_cast<int>(size.size()), &box,
                    DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        ::SetBkMode(dc, oldMode);
        ::SetTextColor(dc, oldColour);
    }
    if (oldFont != nullptr)
        ::SelectObject(dc, oldFont);
    return CDRF_DODEFAULT;
}

void CFileTreeCtrl::Reread() {
    if (m_volumes)
        m_volumes->Reload();
    const HTREEITEM root = NextItem(m_hWnd, nullptr, TVGN_ROOT);
    const std::optional<std::u16string> volume =
        m_volumes ? FindHiddenSystemVolume(*m_volumes) : std::nullopt;
    if (root == nullptr || !volume || *volume != GetItemPath(root)) {
        // Another volume, or none: the tree starts again, as at start-up.
        m_fileSizes.clear();
        LocateHiddenVolume();
        CountSizes();
        return;
    }
    {
        CWaitCursor wait;
        CRedrawOff redraw(m_hWnd);
        const CVolumeCount::CHold holdCount(m_count);
        if (NextItem(m_hWnd, root, TVGN_CHILD) != nullptr) {
            RereadFolder(root, *volume);
        } else {
            TVITEMW tvi = {};
            tvi.mask = TVIF_CHILDREN;
            tvi.hItem = root;
            tvi.cChildren = FolderHasEntries(*volume) ? 1 : 0;
            ::SendMessageW(m_hWnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
        }
    }
    CountSizes();
}

void CFileTreeCtrl::RereadFolder(HTREEITEM item, const std::u16string& path) {
    FolderListing listing;
    std::vector<std::uint64_t> fileSizes;
    ListFolder(path, listing, fileSizes);

    // The items there are, by kind and name; what the listing no longer has goes.
    std::unordered_map<std::u16string, HTREEITEM> shown;
    for (HTREEITEM child = NextItem(m_hWnd, item, TVGN_CHILD); child != nullptr;) {
        const HTREEITEM next = NextItem(m_hWnd, child, TVGN_NEXT);
        const ItemState state = ReadItem(m_hWnd, child);
        shown[(state.isFolder ? u"/" : u"|") + state.text] = child;
        child = next;
    }
    std::unordered_map<std::u16string, HTREEITEM> kept;
    for (const std::u16string& name : listing.folders) {
        const auto found = shown.find(u"/" + name);
        if (found != shown.end())
            kept.insert(shown.extract(found));
    }
    for (const std::u16string& name : listing.files) {
        const auto found = shown.find(u"|" + name);
        if (found != shown.end())
            kept.insert(shown.extract(found));
    }
    for (const auto& gone : shown) {
        // The selection moves to the folder read, which exists, before its item goes.
        if (IsWithin(m_hWnd, NextItem(m_hWnd, nullptr, TVGN_CARET), gone.second))
            ::SendMessageW(m_hWnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        ForgetSizes(m_hWnd, gone.second, m_fileSizes);
        ::SendMessageW(m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(gone.second));
    }

    // New entries go in after the item before them in the listing's order.
    HTREEITEM after = TVI_FIRST;
    for (const std::u16string& name : listing.folders) {
        const auto found = kept.find(u"/" + name);
        if (found == kept.end()) {
            if (const HTREEITEM inserted = InsertFileItem(name, path, true, item, after))
                after = inserted;
            continue;
        }
        after = found->second;
        const std::u16string childPath = MakeItemPath(path, name);
        if (NextItem(m_hWnd, after, TVGN_CHILD) != nullptr) {
            RereadFolder(after, childPath);
        } else {
            TVITEMW tvi = {};
            tvi.mask = TVIF_CHILDREN;
            tvi.hItem = after;
            tvi.cChildren = FolderHasEntries(childPath) ? 1 : 0;
            ::SendMessageW(m_hWnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
        }
    }
    for (size_t i = 0; i < listing.files.size(); ++i) {
        const auto found = kept.find(u"|" + listing.files[i]);
        const HTREEITEM file = found != kept.end()
                                   ? found->second
                                   : InsertFileItem(listing.files[i], path, false, item, after);
        if (file != nullptr) {
            m_fileSizes[file] = fileSizes[i];
            after = file;
        }
    }
}

}  // namespace qs
