// One folder's entries with their sizes and times, as a walk of the whole volume needs them: the
// size count, the folder copy and the listing. Portable interface; the walks over it are tested
// natively with made-up folders, and the platform's half lists real ones.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qs {

struct FolderEntry {
    std::u16string name;
    bool isFolder = false;
    // A junction or symbolic link: a walk lists it but does not go into it, or it could loop.
    bool isReparsePoint = false;
    std::uint64_t size = 0;  // files only
    // The last write, in 100-nanosecond ticks since 1601-01-01 UTC, as the file system keeps it.
    std::uint64_t lastWrite = 0;
};

class FolderLister {
public:
    virtual ~FolderLister() = default;
    // Replaces entries by the folder's entries but "." and "..", in listing order. False when
    // the folder can't be listed or its listing failed partway; entries then holds what came
    // before the failure. The path is a full path, in the \\?\ form when it may be long.
    virtual bool List(const std::u16string& folderPath, std::vector<FolderEntry>& entries) = 0;
};

// The platform's lister: on Windows FindFirstFileExW with the basic information and large
// fetches, which is what a whole-volume walk wants (no short names, fewer trips to the driver).
std::unique_ptr<FolderLister> MakeFolderLister();

}  // namespace qs
