// The file operations of one Save As copy, behind an interface so that the copy's logic runs and
// is tested natively, and so that each failure can be put in by a test. Win32 and POSIX backends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qs {

// One object per copy: it holds the open source and the temporary file, and its destructor
// closes both (it never deletes: DiscardTemporary does).
class CopyFiles {
public:
    virtual ~CopyFiles() = default;

    // Opens the source for reading with read sharing only, so a file that another program holds
    // open for writing is refused.
    virtual bool OpenSource(const std::u16string& path) = 0;
    // The whole size, 64 bits.
    virtual bool GetSourceSize(std::uint64_t& size) = 0;
    // Reads at most count bytes from the current position; read is how many came.
    virtual bool ReadSource(unsigned char* buffer, std::uint32_t count, std::uint32_t& read) = 0;

    // False when a file already at the target's name can't be opened for writing by us alone
    // (read-only, or held open by another program); true when there is none.
    virtual bool CanReplaceTarget(const std::u16string& target) = 0;
    // Makes a new, empty temporary file in the target's folder.
    virtual bool CreateTemporary(const std::u16string& target) = 0;
    virtual bool WriteTemporary(const unsigned char* data, std::uint32_t count,
                                std::uint32_t& written) = 0;
    // Closes the temporary file and moves it to the target's name, replacing any file there.
    virtual bool ReplaceTarget(const std::u16string& target) = 0;
    // Closes and deletes the temporary file, if there is one.
    virtual void DiscardTemporary() = 0;

    // For a folder's copy: the temporary's last-write time (100-nanosecond ticks since 1601 UTC),
    // set before it takes its name; and a new folder, never one that is already there.
    virtual bool SetTemporaryTime(std::uint64_t lastWrite) = 0;
    enum class FolderMade { Made, AlreadyThere, Failed };
    virtual FolderMade CreateFolder(const std::u16string& path) = 0;
    // The system's code for why the last call failed (0: it gave none).
    virtual std::uint32_t LastError() const = 0;
};

// A full path in the \\?\ form, which lifts the 260-unit limit: \\server\share\... becomes
// \\?\UNC\server\share\..., a path already in that form or a device path (\\.\) stays as it is.
// The temporary's folder is written so: a folder that leaves room for the target's name may leave
// none for a temporary one.
std::u16string MakeLongFormPath(const std::u16string& full);

// The platform's files: Win32 on Windows, POSIX elsewhere (paths in UTF-16, as UTF-8 there).
std::unique_ptr<CopyFiles> MakeCopyFiles();

}  // namespace qs
