#include "tree/FileTreeCtrl.h"

#include <optional>

#include "platform/system/FileSearch.h"
#include "platform/system/WideText.h"
#include "platform/window/UiGuards.h"
#include "tree/FileTypeIcons.h"
#include "tree/HiddenVolume.h"
#include "tree/IconIndex.h"
#include "tree/ItemPath.h"

namespace qs {

namespace {

constexpr wchar_t kCaption[] = L"Quarrystone";
constexpr wchar_t kNotFound[] = L"The hidden system drive was not found";

std::u16string EntryName(const WIN32_FIND_DATAW& entry) {
    return FromWide(entry.cFileName, ::wcsnlen(entry.cFileName, MAX_PATH));
}

}  // namespace

CFileTreeCtrl::CFileTreeCtrl(std::unique_ptr<VolumeQueries> volumes)
    : m_volumes(std::move(volumes)), m_imageList(CreateFileTypeImageList()) {}

CFileTreeCtrl::~CFileTreeCtrl() {
    // A tree view that outlives us must not draw from a destroyed list.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        ::SendMessageW(m_hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    }
    DestroyFileTypeImageList(m_imageList);
}

void CFileTreeCtrl::LocateHiddenVolume() {
    CWaitCursor wait;
    ::SendMessageW(m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    CRedrawOff redraw(m_hWnd);

    const std::optional<std::u16string> volume =
        m_volumes ? FindHiddenSystemVolume(*m_volumes) : std::nullopt;
    if (volume) {
        InsertFileItem(std::u16string(), *volume, true, TVI_ROOT);
    } else {
        // MessageBoxW gives a child window's top-level window the ownership.
        ::MessageBoxW(m_hWnd, kNotFound, kCaption, MB_ICONWARNING);
    }
}

HTREEITEM CFileTreeCtrl::InsertFileItem(const std::u16string& name,
                                        const std::u16string& parentPath, bool isFolder,
                                        HTREEITEM parent, HTREEITEM after) {
    const std::u16string path = MakeItemPath(parentPath, name);
    const bool isRoot = parent == TVI_ROOT || parent == nullptr;
    const int image = isRoot ? ICON_VOLUME : GetIconIndex(path, isFolder);
    std::u16string text = name.empty() ? parentPath : name;
    // A file cannot be listed, so its probe could only fail: it is not made.
    const bool hasChildren = isFolder && FolderHasEntries(path);

    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_PARAM | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    insert.item.pszText = AsWide(text.data());
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.cChildren = hasChildren ? 1 : 0;
    insert.item.lParam = isFolder ? 1 : 0;
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(m_hWnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

bool CFileTreeCtrl::FolderHasEntries(const std::u16string& fullPath) const {
    const std::u16string pattern = MakeSearchPattern(fullPath);
    if (!IsSearchable(pattern)) {
        return false;
    }
    CFileSearch search(pattern);
    if (!search.IsOpen()) {
        return false;
    }
    do {
        if (!IsDotEntry(EntryName(search.Entry()), search.Entry().dwFileAttributes)) {
            return true;
        }
    } while (search.Next());
    return false;
}

void CFileTreeCtrl::PopulateFolder(const std::u16string& fullPath, HTREEITEM item) {
    // A null item would stand for the tree's root and take every root item with it.
    if (item == nullptr) {
        return;
    }
    CWaitCursor wait;
    CRedrawOff redraw(m_hWnd);
    const CVolumeCount::CHold holdCount(m_count);

    while (const HTREEITEM child = reinterpret_cast<HTREEITEM>(::SendMessageW(
               m_hWnd, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)))) {
        if (!::SendMessageW(m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child))) {
            break;
        }
    }

    FolderListing listing;
    std::vector<std::uint64_t> fileSizes;
    ListFolder(fullPath, listing, fileSizes);
    for (const std::u16string& folder : listing.folders) {
        InsertFileItem(folder, fullPath, true, item);
    }
    for (size_t i = 0; i < listing.files.size(); ++i) {
        if (const HTREEITEM file = InsertFileItem(listing.files[i], fullPath, false, item))
            m_fileSizes[file] = fileSizes[i];
    }
}

void CFileTreeCtrl::ListFolder(const std::u16string& fullPath, FolderListing& listing,
                               std::vector<std::uint64_t>& fileSizes) const {
    const std::u16string pattern = MakeSearchPattern(fullPath);
    if (!IsSearchable(pattern)) {
        return;
    }
    CFileSearch search(pattern);
    if (!search.IsOpen()) {
        return;
    }
    do {
        const WIN32_FIND_DATAW& entry = search.Entry();
        const size_t files = listing.files.size();
        listing.Add(EntryName(entry), entry.dwFileAttributes);
        if (listing.files.size() != files)
            fileSizes.push_back((std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow);
    } while (search.Next());
}

std::u16string CFileTreeCtrl::GetItemPath(HTREEITEM item) const {
    std::u16string path;
    while (item != nullptr) {
        wchar_t text[MAX_PATH_CHARS] = {};
        TVITEMW tvi = {};
        tvi.mask = TVIF_TEXT;
        tvi.hItem = item;
        tvi.pszText = text;
        tvi.cchTextMax = MAX_PATH_CHARS;
        ::SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
        item = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(m_hWnd, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
        PrependItemText(path, FromWide(text, ::wcsnlen(text, MAX_PATH_CHARS)));
    }
    return path;
}

std::u16string CFileTreeCtrl::GetSelectedPath() const {
    return GetItemPath(
        reinterpret_cast<HTREEITEM>(::SendMessageW(m_hWnd, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

}  // namespace qs
