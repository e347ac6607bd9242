#include "platform/system/StagedVolumeQueries.h"

#include <fstream>
#include <sstream>

#include "platform/system/Text.h"

namespace qs {

namespace {

constexpr std::string_view kFails = "!";

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    if (text.empty()) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        const Number digit = static_cast<Number>(c - '0');
        if (value > (static_cast<Number>(-1) - digit) / 10) {
            return false;  // too large
        }
        value = static_cast<Number>(value * 10 + digit);
    }
    return true;
}

}  // namespace

class StagedVolumeQueries::Enumeration : public VolumeEnumeration {
public:
    explicit Enumeration(StagedVolumeQueries& owner) : m_owner(owner) {}
    ~Enumeration() override { m_owner.m_calls.push_back({Query::FindClose, {}}); }

    bool Next(std::u16string& name) override {
        m_owner.m_calls.push_back({Query::FindNext, {}});
        if (++m_position >= m_owner.m_volumes.size() || !FitsNameBuffer(m_position)) {
            m_position = m_owner.m_volumes.size();
            return false;
        }
        name = m_owner.m_volumes[m_position].name;
        return true;
    }

private:
    bool FitsNameBuffer(size_t position) const {
        return m_owner.m_volumes[position].name.size() + 1 <= VOLUME_NAME_CHARS;
    }

    StagedVolumeQueries& m_owner;
    size_t m_position = 0;
};

std::unique_ptr<StagedVolumeQueries> StagedVolumeQueries::FromText(std::string_view utf8Table) {
    std::unique_ptr<StagedVolumeQueries> queries(new StagedVolumeQueries());
    queries->m_usable = queries->Parse(utf8Table);
    return queries;
}

std::unique_ptr<StagedVolumeQueries> StagedVolumeQueries::FromFile(
    const std::filesystem::path& table) {
    std::ifstream in(table, std::ios::binary);
    if (!in.is_open()) {
        std::unique_ptr<StagedVolumeQueries> queries(new StagedVolumeQueries());
        queries->m_error = "cannot read the volume table " + table.u8string();
        return queries;
    }
    std::ostringstream text;
    text << in.rdbuf();  // an empty table reads as no volumes, which fails the walk as well
    std::unique_ptr<StagedVolumeQueries> queries = FromText(text.str());
    queries->m_file = table;
    return queries;
}

void StagedVolumeQueries::Reload() {
    if (m_file.empty()) {
        return;
    }
    std::unique_ptr<StagedVolumeQueries> fresh = FromFile(m_file);
    m_usable = fresh->m_usable;
    m_error = std::move(fresh->m_error);
    m_volumes = std::move(fresh->m_volumes);
}

bool StagedVolumeQueries::Parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    int lineNumber = 0;
    for (std::string_view line : Split(text, '\n')) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::vector<std::string_view> fields = Split(line, '|');
        const auto fail = [&](const char* why) {
            m_error = "line " + std::to_string(lineNumber) + ": " + why;
            m_volumes.clear();
            return false;
        };
        if (fields.size() != 5 && fields.size() != 6) {
            return fail("expected five or six fields separated by '|'");
        }
        Volume volume;
        volume.name = Utf8ToUtf16(fields[0]);
        if (fields[1] != kFails) {
            uint32_t type = 0;
            if (!ParseNumber(fields[1], type)) {
                return fail("the drive type is not a number");
            }
            volume.driveType = type;
        }
        if (fields[2] != kFails) {
            volume.mountPoints.emplace();
            if (!fields[2].empty()) {
                for (std::string_view mountPoint : Split(fields[2], ';')) {
                    if (mountPoint.empty()) {
                        return fail("empty mount point");
                    }
                    volume.mountPoints->push_back(Utf8ToUtf16(mountPoint));
                }
            }
        }
        if (fields[3] != kFails) {
            volume.fileSystem = Utf8ToUtf16(fields[3]);
        }
        if (fields[4] != kFails) {
            uint64_t total = 0;
            if (!ParseNumber(fields[4], total)) {
                return fail("the total size is not a number");
            }
            volume.totalBytes = total;
        }
        if (fields.size() == 6 && fields[5] != kFails) {
            uint64_t free = 0;
            if (!ParseNumber(fields[5], free)) {
                return fail("the free size is not a number");
            }
            volume.freeBytes = free;
        }
        m_volumes.push_back(std::move(volume));
    }
    return true;
}

const StagedVolumeQueries::Volume* StagedVolumeQueries::Find(const std::u16string& name) const {
    for (const Volume& volume : m_volumes) {
        if (volume.name == name) {
            return &volume;
        }
    }
    return nullptr;
}

std::unique_ptr<VolumeEnumeration> StagedVolumeQueries::EnumerateVolumes(std::u16string& name) {
    m_calls.push_back({Query::FindFirst, {}});
    // The platform's walk fails at its start when there is no volume at all.
    // A name that does not fit the platform's buffer fails that step as the platform's does.
    if (!m_usable || m_volumes.empty() || m_volumes.front().name.size() + 1 > VOLUME_NAME_CHARS) {
        return nullptr;
    }
    name = m_volumes.front().name;
    return std::make_unique<Enumeration>(*this);
}

uint32_t StagedVolumeQueries::QueryDriveType(const std::u16string& volume) {
    m_calls.push_back({Query::DriveType, volume});
    const Volume* v = Find(volume);
    return v && v->driveType ? *v->driveType : DRIVE_TYPE_UNKNOWN;
}

bool StagedVolumeQueries::QueryMountPoints(const std::u16string& volume,
                                           std::vector<std::u16string>& mountPoints) {
    m_calls.push_back({Query::MountPoints, volume});
    const Volume* v = Find(volume);
    if (!v || !v->mountPoints) {
        return false;
    }
    size_t needed = 1;  // the empty string that ends the list
    for (const std::u16string& mountPoint : *v->mountPoints) {
        needed += mountPoint.size() + 1;
    }
    if (needed > MOUNT_POINT_LIST_CHARS) {
        return false;
    }
    mountPoints = *v->mountPoints;
    return true;
}

bool StagedVolumeQueries::QueryFileSystemName(const std::u16string& volume, std::u16string& name) {
    m_calls.push_back({Query::FileSystem, volume});
    const Volume* v = Find(volume);
    if (!v || !v->fileSystem || v->fileSystem->size() + 1 > FILE_SYSTEM_NAME_CHARS) {
        return false;
    }
    name = *v->fileSystem;
    return true;
}

bool StagedVolumeQueries::QueryTotalBytes(const std::u16string& volume, uint64_t& totalBytes) {
    m_calls.push_back({Query::Total, volume});
    const Volume* v = Find(volume);
    if (!v || !v->totalBytes) {
        return false;
    }
    totalBytes = *v->totalBytes;
    return true;
}

bool StagedVolumeQueries::QueryFreeBytes(const std::u16string& volume, uint64_t& freeBytes) {
    m_calls.push_back({Query::Free, volume});
    const Volume* v = Find(volume);
    if (!v || !v->freeBytes) {
        return false;
    }
    freeBytes = *v->freeBytes;
    return true;
}

}  // namespace qs
