#include "platform/system/FileSearch.h"

#include "platform/system/WideText.h"

namespace qs {

namespace {

CFileSearch::FindFirstFileFunction g_findFirstFile = ::FindFirstFileW;

}  // namespace

CFileSearch::CFileSearch(const std::u16string& pattern) : m_entry() {
    m_find = g_findFirstFile(AsWide(pattern), &m_entry);
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
