// Read-only memory mapping of a file, as thin calls over the platform's handles. Each handle and
// view has one owner (CMappedFile) that releases it exactly once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qs {
namespace mapping {

// A Win32 HANDLE or a POSIX descriptor, carried as an integer so that no system header is needed.
using FileHandle = std::intptr_t;
constexpr FileHandle kInvalidFile = -1;  // INVALID_HANDLE_VALUE; no descriptor on POSIX

// A Win32 file-mapping object, or on POSIX a private record of the descriptor and size.
using MappingHandle = std::intptr_t;
constexpr MappingHandle kNoMapping = 0;

// A mapped view. The size travels with the base because POSIX needs it to unmap.
struct View {
    const void* base = nullptr;
    std::size_t size = 0;
};

// Every view starts at a multiple of this: the allocation granularity on Win32 (64 KiB), the
// page size on POSIX.
std::uint32_t GetGranularity();

// Opens an existing regular file for reading. Other openers may read it but neither write nor
// delete it while it is open (Win32; POSIX has no such sharing mode). kInvalidFile on failure,
// with the system's error code (GetLastError, errno) in `error` when one is given.
FileHandle OpenReadShared(const std::u16string& path, std::uint32_t* error = nullptr);

// The file's size in bytes; false when it cannot be read.
bool QuerySize(FileHandle file, std::uint64_t* size);

// A read-only mapping of the whole file as it is now. kNoMapping on failure, and for an empty
// file, which cannot be mapped.
MappingHandle CreateReadOnlyMapping(FileHandle file);

// Maps `size` bytes of the mapping from `offset`, a multiple of GetGranularity(); the offset is
// 32-bit, so views reach the first 4 GiB only. A null base when the view cannot be mapped,
// including a view that would pass the end of the mapping.
View MapView(MappingHandle mapping, std::uint32_t offset, std::size_t size);

void UnmapView(const View& view);          // ignores a null view
void CloseMapping(MappingHandle mapping);  // ignores kNoMapping
void CloseFile(FileHandle file);           // ignores kInvalidFile

// Successful operations since the process started. Tests and benchmarks compare two snapshots to
// check that every file, mapping and view was released, and how much each view covered.
struct Counters {
    std::uint64_t filesOpened = 0;
    std::uint64_t filesClosed = 0;
    std::uint64_t mappingsCreated = 0;
    std::uint64_t mappingsClosed = 0;
    std::uint64_t viewsMapped = 0;
    std::uint64_t viewsUnmapped = 0;
    std::uint64_t bytesMapped = 0;  // sum of the sizes of all views mapped
};
Counters GetCounters();

}  // namespace mapping
}  // namespace qs
