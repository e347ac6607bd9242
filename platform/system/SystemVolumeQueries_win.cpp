#include "platform/system/SystemVolumeQueries.h"

#include <windows.h>

#include <cwchar>

#include "platform/system/WideText.h"

namespace qs {

namespace {

class CSystemVolumeEnumeration : public VolumeEnumeration {
public:
    explicit CSystemVolumeEnumeration(HANDLE find) : m_find(find) {}
    ~CSystemVolumeEnumeration() override { ::FindVolumeClose(m_find); }
    CSystemVolumeEnumeration(const CSystemVolumeEnumeration&) = delete;
    CSystemVolumeEnumeration& operator=(const CSystemVolumeEnumeration&) = delete;

    bool Next(std::u16string& name) override {
        wchar_t buffer[VOLUME_NAME_CHARS] = {};
        if (!::FindNextVolumeW(m_find, buffer, VOLUME_NAME_CHARS)) {
            return false;
        }
        name = FromWide(buffer, ::wcsnlen(buffer, VOLUME_NAME_CHARS));
        return true;
    }

private:
    HANDLE m_find;
};

class CSystemVolumeQueries : public VolumeQueries {
public:
    std::unique_ptr<VolumeEnumeration> EnumerateVolumes(std::u16string& name) override {
        wchar_t buffer[VOLUME_NAME_CHARS] = {};
        const HANDLE find = ::FindFirstVolumeW(buffer, VOLUME_NAME_CHARS);
        if (find == INVALID_HANDLE_VALUE) {
            return nullptr;
        }
        name = FromWide(buffer, ::wcsnlen(buffer, VOLUME_NAME_CHARS));
        return std::make_unique<CSystemVolumeEnumeration>(find);
    }

    // The name must end with a backslash, which volume names from the enumeration do.
    uint32_t QueryDriveType(const std::u16string& volume) override {
        return ::GetDriveTypeW(AsWide(volume));
    }

    // A list longer than the buffer fails with ERROR_MORE_DATA, which rejects the volume.
    bool QueryMountPoints(const std::u16string& volume,
                          std::vector<std::u16string>& mountPoints) override {
        wchar_t buffer[MOUNT_POINT_LIST_CHARS] = {};
        DWORD returned = 0;
        if (!::GetVolumePathNamesForVolumeNameW(AsWide(volume), buffer, MOUNT_POINT_LIST_CHARS,
                                                &returned)) {
            return false;
        }
        mountPoints.clear();
        size_t at = 0;
        while (at < MOUNT_POINT_LIST_CHARS && buffer[at] != L'\0') {
            const size_t length = ::wcsnlen(buffer + at, MOUNT_POINT_LIST_CHARS - at);
            mountPoints.push_back(FromWide(buffer + at, length));
            at += length + 1;
        }
        return true;
    }

    bool QueryFileSystemName(const std::u16string& volume, std::u16string& name) override {
        wchar_t buffer[FILE_SYSTEM_NAME_CHARS] = {};
        if (!::GetVolumeInformationW(AsWide(volume), nullptr, 0, nullptr, nullptr, nullptr, buffer,
                                     FILE_SYSTEM_NAME_CHARS)) {
            return false;
        }
        name = FromWide(buffer, ::wcsnlen(buffer, FILE_SYSTEM_NAME_CHARS));
        return true;
    }

    bool QueryTotalBytes(const std::u16string& volume, uint64_t& totalBytes) override {
        ULARGE_INTEGER total = {};
        if (!::GetDiskFreeSpaceExW(AsWide(volume), nullptr, &total, nullptr)) {
            return false;
        }
        totalBytes = total.QuadPart;
        return true;
    }

    // On the volume's own path, which a standard user may ask without a drive letter.
    bool QueryFreeBytes(const std::u16string& volume, uint64_t& freeBytes) override {
        ULARGE_INTEGER free = {};
        if (!::GetDiskFreeSpaceExW(AsWide(volume), nullptr, nullptr, &free)) {
            return false;
        }
        freeBytes = free.QuadPart;
        return true;
    }
};

}  // namespace

std::unique_ptr<VolumeQueries> CreateSystemVolumeQueries() {
    return std::make_unique<CSystemVolumeQueries>();
}

}  // namespace qs
