// Volume queries answered from a table of made-up volumes, for the tests and the staged build
// (the platform under test cannot give a volume without a drive letter).
//
// The table is UTF-8 text, one volume per line in enumeration order; blank lines and lines
// starting with '#' are ignored. Each line has five or six fields separated by '|':
//   volume name | drive type number | mount points separated by ';' | file system | total bytes
//   [| free bytes]
// (without the sixth field the free-space query fails).
// A field that is exactly "!" makes that query fail. Fields are taken as written (no trimming:
// "NTFS " is a file system of its own). A missing or unreadable table, or one with a malformed
// line, makes the enumeration fail at its start.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/VolumeQueries.h"

namespace qs {

class StagedVolumeQueries : public VolumeQueries {
public:
    // One query made of the table, in the order made, for tests that check which were asked.
    enum class Query {
        FindFirst,
        FindNext,
        FindClose,
        DriveType,
        MountPoints,
        FileSystem,
        Total,
        Free
    };
    struct Call {
        Query query;
        std::u16string volume;  // empty for the enumeration calls
        bool operator==(const Call& other) const {
            return query == other.query && volume == other.volume;
        }
    };

    static std::unique_ptr<StagedVolumeQueries> FromText(std::string_view utf8Table);
    static std::unique_ptr<StagedVolumeQueries> FromFile(const std::filesystem::path& table);

    // Why the table could not be used; empty when it could.
    const std::string& Error() const { return m_error; }
    const std::vector<Call>& Calls() const { return m_calls; }

    std::unique_ptr<VolumeEnumeration> EnumerateVolumes(std::u16string& name) override;
    uint32_t QueryDriveType(const std::u16string& volume) override;
    bool QueryMountPoints(const std::u16string& volume,
                          std::vector<std::u16string>& mountPoints) override;
    bool QueryFileSystemName(const std::u16string& volume, std::u16string& name) override;
    bool QueryTotalBytes(const std::u16string& volume, uint64_t& totalBytes) override;
    bool QueryFreeBytes(const std::u16string& volume, uint64_t& freeBytes) override;
    // A table made from a file reads it again; the calls made so far are kept.
    void Reload() override;

private:
    struct Volume {
        std::u16string name;
        std::optional<uint32_t> driveType;
        std::optional<std::vector<std::u16string>> mountPoints;
        std::optional<std::u16string> fileSystem;
        std::optional<uint64_t> totalBytes;
        std::optional<uint64_t> freeBytes;
    };
    class Enumeration;

    StagedVolumeQueries() = default;
    bool Parse(std::string_view utf8Table);
    const Volume* Find(const std::u16string& name) const;

    std::filesystem::path m_file;  // empty for a table made from text
    bool m_usable = false;
    std::string m_error;
    std::vector<Volume> m_volumes;
    std::vector<Call> m_calls;
};

}  // namespace qs
