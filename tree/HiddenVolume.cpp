#include "tree/HiddenVolume.h"

#include <vector>

namespace qs {

bool IsHiddenSystemVolume(VolumeQueries& queries, const std::u16string& volumeName) {
    if (volumeName.size() < 5) {
        return false;
    }
    if (volumeName.compare(0, 4, u"\\\\?\\") != 0) {
        return false;
    }
    if (volumeName.back() != u'\\') {
        return false;
    }
    if (queries.QueryDriveType(volumeName) != DRIVE_TYPE_FIXED) {
        return false;
    }
    std::vector<std::u16string> mountPoints;
    if (!queries.QueryMountPoints(volumeName, mountPoints) || !mountPoints.empty()) {
        return false;
    }
    std::u16string fileSystem;
    if (!queries.QueryFileSystemName(volumeName, fileSystem)) {
        return false;
    }
    if (fileSystem != u"NTFS") {
        return false;
    }
    uint64_t totalBytes = 0;
    return queries.QueryTotalBytes(volumeName, totalBytes) && totalBytes <= MAX_HIDDEN_VOLUME_SIZE;
}

std::optional<std::u16string> FindHiddenSystemVolume(VolumeQueries& queries) {
    std::u16string name;
    std::unique_ptr<VolumeEnumeration> walk = queries.EnumerateVolumes(name);
    if (!walk) {
        return std::nullopt;
    }
    do {
        if (IsHiddenSystemVolume(queries, name)) {
            return name;
        }
    } while (walk->Next(name));
    return std::nullopt;
}

}  // namespace qs
