#include <windows.h>

#include "platform/system/FileSearch.h"
#include "platform/system/FolderLister.h"
#include "platform/system/WideText.h"

namespace qs {

namespace {

class WinFolderLister final : public FolderLister {
public:
    bool List(const std::u16string& folderPath, std::vector<FolderEntry>& entries) override {
        entries.clear();
        std::u16string pattern = folderPath;
        if (pattern.empty() || pattern.back() != u'\\') {
            pattern += u'\\';
        }
        pattern += u'*';
        CFileSearch search(pattern, CFileSearch::Mode::BasicLargeFetch);
        if (!search.IsOpen()) {
            // A volume's root lists no "." or "..": when it is empty, the search finds nothing.
            return ::GetLastError() == ERROR_FILE_NOT_FOUND;
        }
        do {
            const WIN32_FIND_DATAW& found = search.Entry();
            const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const std::u16string name =
                FromWide(found.cFileName, ::wcsnlen(found.cFileName, MAX_PATH));
            if (isFolder && (name == u"." || name == u"..")) {
                continue;
            }
            FolderEntry entry;
            entry.name = name;
            entry.isFolder = isFolder;
            entry.isReparsePoint = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            entry.size =
                isFolder ? 0 : (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
            entry.lastWrite = (std::uint64_t{found.ftLastWriteTime.dwHighDateTime} << 32) |
                              found.ftLastWriteTime.dwLowDateTime;
            entries.push_back(std::move(entry));
        } while (search.Next());
        // The end of a listing reads as ERROR_NO_MORE_FILES; anything else broke it off.
        return ::GetLastError() == ERROR_NO_MORE_FILES;
    }
};

}  // namespace

std::unique_ptr<FolderLister> MakeFolderLister() {
    return std::make_unique<WinFolderLister>();
}

}  // namespace qs
