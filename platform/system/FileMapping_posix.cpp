// POSIX half of the read-only file mapping: serves the native tests and benchmarks.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "platform/system/FileMapping.h"
#include "platform/system/FileMappingCount.h"
#include "platform/system/Text.h"

namespace qs {
namespace mapping {

namespace {

// The page size, not Win32's 64 KiB: measured here, views of up to 64 KiB cost more than twice as
// much per line as page-sized ones (each fault maps, and each munmap then shoots down, up to 16
// pages). The view arithmetic is the same for any granularity; the Win32 tests run it at 64 KiB.
std::uint32_t PageSize() {
    static const std::uint32_t size = static_cast<std::uint32_t>(sysconf(_SC_PAGESIZE));
    return size;
}

// POSIX has no mapping object: the mapping keeps its own descriptor (so it outlives the file
// handle, as on Win32) and the size it was made with, to refuse views past the end as Win32
// does instead of faulting on access.
struct PosixMapping {
    int fd;
    std::uint64_t size;
};

PosixMapping* ToMapping(MappingHandle handle) {
    return reinterpret_cast<PosixMapping*>(handle);
}

}  // namespace

std::uint32_t GetGranularity() {
    return PageSize();
}

FileHandle OpenReadShared(const std::u16string& path, std::uint32_t* error) {
    const auto fail = [error](int code) {
        if (error != nullptr)
            *error = static_cast<std::uint32_t>(code);
        return kInvalidFile;
    };
    if (path.empty() || path.find(u'\0') != std::u16string::npos) {
        return fail(ENOENT);
    }
    // O_NONBLOCK: a FIFO must not hang the open. Only regular files are accepted, as CreateFileW
    // refuses folders without FILE_FLAG_BACKUP_SEMANTICS.
    const int fd = open(Utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return fail(errno);
    }
    struct stat st;
    const int refused = fstat(fd, &st) != 0   ? errno
                        : S_ISREG(st.st_mode) ? 0
                        : S_ISDIR(st.st_mode) ? EISDIR
                                              : EINVAL;  // a FIFO or a device: not a file to map
    if (refused != 0) {
        close(fd);
        return fail(refused);
    }
    detail::Count(detail::g_counters.filesOpened);
    return fd;
}

bool QuerySize(FileHandle file, std::uint64_t* size) {
    struct stat st;
    if (file == kInvalidFile || fstat(static_cast<int>(file), &st) != 0 || st.st_size < 0) {
        return false;
    }
    *size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

MappingHandle CreateReadOnlyMapping(FileHandle file) {
    std::uint64_t size = 0;
    if (!QuerySize(file, &size) || size == 0) {
        return kNoMapping;
    }
    const int fd = fcntl(static_cast<int>(file), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        return kNoMapping;
    }
    auto* mapping = new (std::nothrow) PosixMapping{fd, size};
    if (mapping == nullptr) {
        close(fd);
        return kNoMapping;
    }
    detail::Count(detail::g_counters.mappingsCreated);
    return reinterpret_cast<MappingHandle>(mapping);
}

// POSIX has no sharing mode: a file truncated by another process after Open makes reads through
// the view raise SIGBUS. Only the native tests and benchmarks use this backend.
View MapView(MappingHandle handle, std::uint32_t offset, std::size_t size) {
    const PosixMapping* mapping = ToMapping(handle);
    if (mapping == nullptr || size == 0 || offset % PageSize() != 0 || size > mapping->size ||
        offset > mapping->size - size) {
        return View{};
    }
    void* base =
        mmap(nullptr, size, PROT_READ, MAP_SHARED, mapping->fd, static_cast<off_t>(offset));
    if (base == MAP_FAILED) {
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
    munmap(const_cast<void*>(view.base), view.size);
    detail::Count(detail::g_counters.viewsUnmapped);
}

void CloseMapping(MappingHandle handle) {
    PosixMapping* mapping = ToMapping(handle);
    if (mapping == nullptr) {
        return;
    }
    close(mapping->fd);
    delete mapping;
    detail::Count(detail::g_counters.mappingsClosed);
}

void CloseFile(FileHandle file) {
    if (file == kInvalidFile) {
        return;
    }
    close(static_cast<int>(file));
    detail::Count(detail::g_counters.filesClosed);
}

}  // namespace mapping
}  // namespace qs
