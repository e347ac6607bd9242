// A file opened read-only and mapped whole, from which one small view per thread is mapped on
// request: the preview shows files of any size without reading them into memory.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/system/FileMapping.h"

namespace qs {

class CMappedFile {
public:
    CMappedFile();
    ~CMappedFile();
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    // Opens `path` read-only, closing the file shown before. False when the file cannot be opened
    // (missing, denied, or held by a writer); nothing is open then. An empty file opens with size
    // 0 and no mapping; a failed mapping is not reported (GetBytes then gives null).
    bool Open(const std::u16string& path);
    // Why the last Open failed: the system's error code (GetLastError, errno); 0 while a file is
    // open or after Close.
    std::uint32_t GetOpenError() const { return m_openError; }

    // Unmaps every thread's view, closes the mapping and the file. Always true.
    bool Close();

    // Bytes that can be shown: the file's size, but at most 4 GiB. Offsets are 32-bit here and in
    // the dump, so a larger file shows its first 4 GiB with true offsets instead of wrapping; the
    // last line then ends exactly at 4 GiB, which a 32-bit view offset still reaches.
    std::uint64_t GetSize() const;

    // Pointer to `length` readable bytes at `offset`, valid until this thread's next GetBytes or
    // Close. Each call unmaps this thread's previous view and maps a fresh one. Null when no
    // mapping exists, when the range is empty or passes GetSize(), or when the view fails.
    const std::uint8_t* GetBytes(std::uint32_t offset, std::uint32_t length);

private:
    mapping::FileHandle m_fileHandle = mapping::kInvalidFile;
    mapping::MappingHandle m_mappingHandle = mapping::kNoMapping;
    std::uint32_t m_granularity;
    std::uint64_t m_fileSize = 0;
    std::uint32_t m_openError = 0;
    std::recursive_mutex m_viewLock;
    std::map<std::thread::id, mapping::View> m_views;
};

}  // namespace qs
