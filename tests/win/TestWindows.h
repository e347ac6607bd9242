// Shared by the Win32 tests: a staged volume in a temporary folder, and a tree view read back.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "platform/WideText.h"

namespace qs {

// A real folder named as a staged hidden volume (\\?\ path, trailing backslash), gone at the end.
struct StagedFolder {
    explicit StagedFolder(const wchar_t* prefix) {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        path = std::filesystem::path(temp) / (prefix + std::to_wstring(::GetCurrentProcessId()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        volume = u"\\\\?\\" + path.u16string() + u"\\";
    }
    ~StagedFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    // A table whose one volume is this folder, as a hidden 100 MiB NTFS volume.
    std::string Table() const { return Utf16ToUtf8(volume) + "|3||NTFS|104857600\n"; }
    void Folder(const std::filesystem::path& relative) const {
        std::filesystem::create_directories(path / relative);
    }
    void File(const std::filesystem::path& relative,
              DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        std::ofstream(path / relative) << "x";
        ::SetFileAttributesW((path / relative).c_str(), attributes);
    }

    std::filesystem::path path;
    std::u16string volume;
};

struct TreeReader {
    HTREEITEM Next(HTREEITEM item, WPARAM how) const {
        return reinterpret_cast<HTREEITEM>(
            ::SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM Root() const { return Next(nullptr, TVGN_ROOT); }
    UINT Count() const { return static_cast<UINT>(::SendMessageW(tree, TVM_GETCOUNT, 0, 0)); }
    std::u16string Text(HTREEITEM item) const {
        wchar_t text[300] = {};
        TVITEMW tvi = {};
        tvi.mask = TVIF_TEXT;
        tvi.hItem = item;
        tvi.pszText = text;
        tvi.cchTextMax = 300;
        ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
        return FromWide(text);
    }
    std::vector<HTREEITEM> Children(HTREEITEM item) const {
        std::vector<HTREEITEM> children;
        for (HTREEITEM c = Next(item, TVGN_CHILD); c; c = Next(c, TVGN_NEXT)) {
            children.push_back(c);
        }
        return children;
    }
    std::vector<std::u16string> ChildTexts(HTREEITEM item) const {
        std::vector<std::u16string> texts;
        for (HTREEITEM c : Children(item)) {
            texts.push_back(Text(c));
        }
        return texts;
    }
    HTREEITEM Child(HTREEITEM item, const std::u16string& text) const {
        for (HTREEITEM c : Children(item)) {
            if (Text(c) == text) {
                return c;
            }
        }
        return nullptr;
    }
    bool IsExpanded(HTREEITEM item) const {
        return (::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                               TVIS_EXPANDED) &
                TVIS_EXPANDED) != 0;
    }
    void Select(HTREEITEM item) const {
        ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }

    HWND tree = nullptr;
};

}  // namespace qs
