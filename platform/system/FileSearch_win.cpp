#include "platform/system/FileSearch.h"

#include "platform/system/WideText.h"

namespace qs {

namespace {

CFileSearch::FindFirstFileFunction g_findFirstFile = ::FindFirstFileW;

}  // namespace

CFileSearch::CFileSearch(const std::u16string& pattern, Mode mode) : m_entry() {
    if (mode == Mode::BasicLargeFetch && g_findFirstFile == ::FindFirstFileW) {
        m_find = ::FindFirstFileExW(AsWide(pattern), FindExInfoBasic, &m_entry,
                                    FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    } else {
        m_find = g_findFirstFile(AsWide(pattern), &m_entry);
    }
}

CFileSearch::~CFileSearch() {
    if (IsOpen()) {
        ::FindClose(m_find);
    }
}

bool CFileSearch::Next() {
    return IsOpen() && ::FindNextFileW(m_find, &m_entry);
}

CFileSearch::FindFirstFileFunction CFileSearch::SetFindFirstFileForTesting(
    FindFirstFileFunction function) {
    const FindFirstFileFunction previous = g_findFirstFile;
    g_findFirstFile = function ? function : ::FindFirstFileW;
    return previous;
}

}  // namespace qs
