// Win32 files for the copy.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/system/CopyFiles.h"
#include "platform/system/WideText.h"

namespace qs {

namespace {

class CWin32CopyFiles : public CopyFiles {
public:
    ~CWin32CopyFiles() override {
        Close(m_source);
        Close(m_temporary);
    }

    bool OpenSource(const std::u16string& path) override {
        m_source = ::CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return m_source != INVALID_HANDLE_VALUE;
    }

    bool GetSourceSize(std::uint64_t& size) override {
        LARGE_INTEGER value;
        if (!::GetFileSizeEx(m_source, &value))
            return false;
        size = static_cast<std::uint64_t>(value.QuadPart);
        return true;
    }

    bool ReadSource(unsigned char* buffer, std::uint32_t count, std::uint32_t& read) override {
        DWORD got = 0;
        const BOOL ok = ::ReadFile(m_source, buffer, count, &got, nullptr);
        read = got;
        return ok != FALSE;
    }

    bool CanReplaceTarget(const std::u16string& target) override {
        // Exclusive write access, as writing the target in place would need; nothing is changed.
        const HANDLE existing = ::CreateFileW(AsWide(target), GENERIC_WRITE, 0, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (existing == INVALID_HANDLE_VALUE)
            return ::GetLastError() == ERROR_FILE_NOT_FOUND;
        ::CloseHandle(existing);
        return true;
    }

    bool CreateTemporary(const std::u16string& target) override {
        // The temporary goes in the target's folder, so that the final move is a rename. Its
        // path is written in the \\?\ form: a folder that leaves room for the target's name may
        // leave none for a temporary one under the 260-unit limit (GetTempFileNameW's, too).
        std::u16string folder;
        if (target.rfind(u"\\\\?\\", 0) == 0) {
            // Already full, as a folder's copy gives each of its files: no call, no 64 KiB buffer.
            folder = target.substr(0, target.rfind(u'\\') + 1);
        } else {
            std::vector<wchar_t> full(32768);
            wchar_t* name = nullptr;
            const DWORD length = ::GetFullPathNameW(AsWide(target), static_cast<DWORD>(full.size()),
                                                    full.data(), &name);
            if (length == 0 || length >= full.size() || name == nullptr)
                return false;
            folder =
                MakeLongFormPath(FromWide(full.data(), static_cast<size_t>(name - full.data())));
        }
        const DWORD seed = ::GetTickCount() ^ (::GetCurrentProcessId() << 16);
        for (DWORD attempt = 0; attempt < 100; ++attempt) {
            wchar_t unique[16];
            std::swprintf(unique, 16, L"qs%08lx.tmp", static_cast<unsigned long>(seed + attempt));
            const std::wstring path = AsWide(folder) + std::wstring(unique);
            m_temporary = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            if (m_temporary != INVALID_HANDLE_VALUE) {
                m_temporaryPath = path;
                return true;
            }
            if (::GetLastError() != ERROR_FILE_EXISTS)
                return false;
        }
        return false;
    }

    bool WriteTemporary(const unsigned char* data, std::uint32_t count,
                        std::uint32_t& written) override {
        DWORD put = 0;
        const BOOL ok = ::WriteFile(m_temporary, data, count, &put, nullptr);
        written = put;
        return ok != FALSE;
    }

    // MoveFileExW rather than ReplaceFileW: the rename either happens whole or not at all, where
    // some failures of ReplaceFileW leave the old file under another name. What ReplaceFileW
    // would keep (the old file's attributes) was not kept by writing in place either.
    bool ReplaceTarget(const std::u16string& target) override {
        const bool closed = ::CloseHandle(m_temporary) != FALSE;
        m_temporary = INVALID_HANDLE_VALUE;
        if (!closed || !::MoveFileExW(m_temporaryPath.c_str(), AsWide(target),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        m_temporaryPath.clear();
        return true;
    }

    void DiscardTemporary() override {
        Close(m_temporary);
        if (!m_temporaryPath.empty())
            ::DeleteFileW(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }

    bool SetTemporaryTime(std::uint64_t lastWrite) override {
        FILETIME time;
        time.dwLowDateTime = static_cast<DWORD>(lastWrite);
        time.dwHighDateTime = static_cast<DWORD>(lastWrite >> 32);
        return ::SetFileTime(m_temporary, nullptr, nullptr, &time) != FALSE;
    }

    // Default attributes: the copy of a hidden or system folder can be seen and changed.
    FolderMade CreateFolder(const std::u16string& path) override {
        if (::CreateDirectoryW(AsWide(path), nullptr))
            return FolderMade::Made;
        return ::GetLastError() == ERROR_ALREADY_EXISTS ? FolderMade::AlreadyThere
                                                        : FolderMade::Failed;
    }

    std::uint32_t LastError() const override { return ::GetLastError(); }

private:
    static void Close(HANDLE& handle) {
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }

    HANDLE m_source = INVALID_HANDLE_VALUE;
    HANDLE m_temporary = INVALID_HANDLE_VALUE;
    std::wstring m_temporaryPath;
};

}  // namespace

std::unique_ptr<CopyFiles> MakeCopyFiles() {
    return std::make_unique<CWin32CopyFiles>();
}

}  // namespace qs
