// The volume queries that the hidden-volume rule asks of the platform. The product answers them
// from the machine's volume calls; the staged build and the tests from a table of made-up
// volumes. Every query can fail, and a failure only ever rejects the volume asked about.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qs {

// Buffer sizes of the volume calls, in UTF-16 units with the terminator. An answer that would
// not fit makes the query fail, on every backend alike.
constexpr size_t VOLUME_NAME_CHARS = 261;
constexpr size_t MOUNT_POINT_LIST_CHARS = 1024;
constexpr size_t FILE_SYSTEM_NAME_CHARS = 261;

// Drive types as the platform numbers them (0 also stands for a failed query).
constexpr uint32_t DRIVE_TYPE_UNKNOWN = 0;
constexpr uint32_t DRIVE_TYPE_FIXED = 3;

// One walk over the machine's volume names; ending it (destruction) closes the walk.
class VolumeEnumeration {
public:
    virtual ~VolumeEnumeration() = default;
    // The next volume name; false when the list is exhausted or the call failed.
    virtual bool Next(std::u16string& name) = 0;
};

class VolumeQueries {
public:
    virtual ~VolumeQueries() = default;

    // Starts a walk and gives its first name; null when the walk cannot start.
    virtual std::unique_ptr<VolumeEnumeration> EnumerateVolumes(std::u16string& name) = 0;
    // The drive type; DRIVE_TYPE_UNKNOWN when the query fails.
    virtual uint32_t QueryDriveType(const std::u16string& volume) = 0;
    // The drive letters and mounted folders of the volume (empty list: none). Fails when the
    // list, each entry terminated and the whole ended by an empty string, exceeds
    // MOUNT_POINT_LIST_CHARS.
    virtual bool QueryMountPoints(const std::u16string& volume,
                                  std::vector<std::u16string>& mountPoints) = 0;
    // The file-system name; fails when it does not fit FILE_SYSTEM_NAME_CHARS with terminator.
    virtual bool QueryFileSystemName(const std::u16string& volume, std::u16string& name) = 0;
    // The volume's size in bytes (not its free space).
    virtual bool QueryTotalBytes(const std::u16string& volume, uint64_t& totalBytes) = 0;
    // The volume's free bytes, asked afresh each time.
    virtual bool QueryFreeBytes(const std::u16string& volume, uint64_t& freeBytes) = 0;
    // Drops whatever the backend read once and kept, so that the next queries see the machine as
    // it is now (the staged table is read again); the machine's own queries keep nothing.
    virtual void Reload() {}
};

// The backend of the executable: the machine's volumes in the product, the staged table beside
// the executable in the staged build. Defined once per executable by its *Backend_win.cpp.
std::unique_ptr<VolumeQueries> CreateVolumeQueries();

}  // namespace qs
