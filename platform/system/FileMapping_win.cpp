// Win32 half of the read-only file mapping.
#include <windows.h>

#include "platform/system/FileMapping.h"
#include "platform/system/FileMappingCount.h"
#include "platform/system/WideText.h"

namespace qs {
namespace mapping {

namespace {

HANDLE ToHandle(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

}  // namespace

std::uint32_t GetGranularity() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwAllocationGranularity;
}

FileHandle OpenReadShared(const std::u16string& path, std::uint32_t* error) {
    // CreateFileW would stop at an embedded NUL and open a different file.
    if (path.find(u'\0') != std::u16string::npos) {
        if (error != nullptr)
            *error = ERROR_INVALID_NAME;
        return kInvalidFile;
    }
    // FILE_SHARE_READ only: while the file is shown nobody may write or delete it, and a file that
    // someone holds open for writing cannot be opened here (ERROR_SHARING_VIOLATION).
    HANDLE file = CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (error != nullptr)
            *error = GetLastError();
        return kInvalidFile;
    }
    detail::Count(detail::g_counters.filesOpened);
    return reinterpret_cast<FileHandle>(file);
}

bool QuerySize(FileHandle file, std::uint64_t* size) {
    LARGE_INTEGER value;
    if (file == kInvalidFile || !GetFileSizeEx(ToHandle(file), &value) || value.QuadPart < 0) {
        return false;
    }
    *size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
}

MappingHandle CreateReadOnlyMapping(FileHandle file) {
    // Maximum size 0 maps the whole file; an empty file fails with ERROR_FILE_INVALID.
    HANDLE mapping = CreateFileMappingW(ToHandle(file), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr) {
        return kNoMapping;
    }
    detail::Count(detail::g_counters.mappingsCreated);
    return reinterpret_cast<MappingHandle>(mapping);
}

View MapView(MappingHandle mapping, std::uint32_t offset, std::size_t size) {
    // An offset off the allocation granularity fails (ERROR_MAPPED_ALIGNMENT), as does a view that
    // passes the end of the mapping.
    if (mapping == kNoMapping || size == 0) {
        return View{};
    }
    const void* base = MapViewOfFile(ToHandle(mapping), FILE_MAP_READ, 0, offset, size);
    if (base == nullptr) {
        return View{};
    }
    detail::Count(detail::g_counters.viewsMapped);
    detail::Count(detail::g_counters.bytesMapped, size);
    return View{base, size};
}

void UnmapView(const View& view) {
    if (view.base == nullptr) {
        return;
    }
    UnmapViewOfFile(view.base);
    detail::Count(detail::g_counters.viewsUnmapped);
}

void CloseMapping(MappingHandle mapping) {
    if (mapping == kNoMapping) {
        return;
    }
    CloseHandle(ToHandle(mapping));
    detail::Count(detail::g_counters.mappingsClosed);
}

void CloseFile(FileHandle file) {
    if (file == kInvalidFile) {
        return;
    }
    CloseHandle(ToHandle(file));
    detail::Count(detail::g_counters.filesClosed);
}

}  // namespace mapping
}  // namespace qs
