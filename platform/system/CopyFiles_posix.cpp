// POSIX files for the copy, so that its logic runs natively on real files. There are no share
// modes here: a source held open for writing is not refused, as it is on Windows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/system/CopyFiles.h"
#include "platform/system/Text.h"

namespace qs {

namespace {

class CPosixCopyFiles : public CopyFiles {
public:
    ~CPosixCopyFiles() override {
        if (m_source >= 0)
            ::close(m_source);
        if (m_temporary >= 0)
            ::close(m_temporary);
    }

    bool OpenSource(const std::u16string& path) override {
        m_source = ::open(Utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
        return m_source >= 0;
    }

    bool GetSourceSize(std::uint64_t& size) override {
        struct stat info;
        if (::fstat(m_source, &info) != 0 || !S_ISREG(info.st_mode))
            return false;
        size = static_cast<std::uint64_t>(info.st_size);
        return true;
    }

    bool ReadSource(unsigned char* buffer, std::uint32_t count, std::uint32_t& read) override {
        read = 0;
        while (read < count) {
            const ssize_t n = ::read(m_source, buffer + read, count - read);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return false;
            if (n == 0)
                break;
            read += static_cast<std::uint32_t>(n);
        }
        return true;
    }

    bool CanReplaceTarget(const std::u16string& target) override {
        const std::string path = Utf16ToUtf8(target);
        struct stat info;
        if (::stat(path.c_str(), &info) != 0)
            return errno == ENOENT;
        return S_ISREG(info.st_mode) && ::access(path.c_str(), W_OK) == 0;
    }

    bool CreateTemporary(const std::u16string& target) override {
        const std::string path = Utf16ToUtf8(target);
        const std::string::size_type slash = path.rfind('/');
        m_temporaryPath = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                          ".qs-copy-XXXXXX";
        m_temporary = ::mkstemp(&m_temporaryPath[0]);
        if (m_temporary < 0)
            m_temporaryPath.clear();
        return m_temporary >= 0;
    }

    bool WriteTemporary(const unsigned char* data, std::uint32_t count,
                        std::uint32_t& written) override {
        written = 0;
        while (written < count) {
            const ssize_t n = ::write(m_temporary, data + written, count - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            written += static_cast<std::uint32_t>(n);
        }
        return true;
    }

    bool ReplaceTarget(const std::u16string& target) override {
        // mkstemp makes the file 0600; a copy gets the mode a new file would have.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        const bool closed = ::fchmod(m_temporary, 0666 & ~mask) == 0 && ::close(m_temporary) == 0;
        m_temporary = -1;
        if (!closed || ::rename(m_temporaryPath.c_str(), Utf16ToUtf8(target).c_str()) != 0)
            return false;
        m_temporaryPath.clear();
        return true;
    }

    void DiscardTemporary() override {
        if (m_temporary >= 0)
            ::close(m_temporary);
        m_temporary = -1;
        if (!m_temporaryPath.empty())
            ::unlink(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }

    bool SetTemporaryTime(std::uint64_t lastWrite) override {
        // From 1601 in 100 ns ticks to 1970 in nanoseconds.
        const std::uint64_t since1970 = lastWrite - 116444736000000000ull;
        const timespec times[2] = {{0, UTIME_OMIT},
                                   {static_cast<time_t>(since1970 / 10000000),
                                    static_cast<long>(since1970 % 10000000 * 100)}};
        return ::futimens(m_temporary, times) == 0;
    }

    FolderMade CreateFolder(const std::u16string& path) override {
        if (::mkdir(Utf16ToUtf8(path).c_str(), 0777) == 0)
            return FolderMade::Made;
        return errno == EEXIST ? FolderMade::AlreadyThere : FolderMade::Failed;
    }

    std::uint32_t LastError() const override { return static_cast<std::uint32_t>(errno); }

private:
    int m_source = -1;
    int m_temporary = -1;
    std::string m_temporaryPath;
};

}  // namespace

std::unique_ptr<CopyFiles> MakeCopyFiles() {
    return std::make_unique<CPosixCopyFiles>();
}

}  // namespace qs
