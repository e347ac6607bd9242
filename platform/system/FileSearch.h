// A directory search: FindFirstFileW, then FindNextFileW, closed with FindClose when the object
// goes. Win32 only.
#pragma once

#include <windows.h>

#include <string>

namespace qs {

class CFileSearch {
public:
    enum class Mode {
        // FindFirstFileW: every field, as the tree lists a folder.
        Full,
        // FindFirstFileExW with FindExInfoBasic and FIND_FIRST_EX_LARGE_FETCH: no short name,
        // and larger batches from the file system, for walks over a whole volume.
        BasicLargeFetch,
    };
    explicit CFileSearch(const std::u16string& pattern, Mode mode = Mode::Full);
    ~CFileSearch();
    CFileSearch(const CFileSearch&) = delete;
    CFileSearch& operator=(const CFileSearch&) = delete;

    // False when the search could not start (no such folder, access denied, not a folder).
    bool IsOpen() const { return m_find != INVALID_HANDLE_VALUE; }
    // The current entry; valid while the search is open and Next has not failed.
    const WIN32_FIND_DATAW& Entry() const { return m_entry; }
    // Moves to the next entry; false at the end of the listing or on failure.
    bool Next();

    // Test seam. The tests run as root under Wine, where a folder's permissions do not stop
    // reads, so they make a folder unreadable by replacing the call that opens a search. While
    // it is set, it stands in for both modes' calls.
    using FindFirstFileFunction = HANDLE(WINAPI*)(LPCWSTR, LPWIN32_FIND_DATAW);
    static FindFirstFileFunction SetFindFirstFileForTesting(FindFirstFileFunction function);

private:
    HANDLE m_find;
    WIN32_FIND_DATAW m_entry;
};

}  // namespace qs
