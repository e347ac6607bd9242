#include "preview/MappedFile.h"

namespace qs {

namespace {

constexpr std::uint64_t kMaxReachableSize = std::uint64_t{1} << 32;

}  // namespace

CMappedFile::CMappedFile() : m_granularity(mapping::GetGranularity()) {}

CMappedFile::~CMappedFile() {
    Close();
}

bool CMappedFile::Open(const std::u16string& path) {
    std::lock_guard<std::recursive_mutex> lock(m_viewLock);
    if (m_fileHandle != mapping::kInvalidFile) {
        Close();
    }
    m_openError = 0;
    m_fileHandle = mapping::OpenReadShared(path, &m_openError);
    if (m_fileHandle == mapping::kInvalidFile) {
        return false;
    }
    m_mappingHandle = mapping::CreateReadOnlyMapping(m_fileHandle);
    std::uint64_t size = 0;
    if (mapping::QuerySize(m_fileHandle, &size)) {
        m_fileSize = size;
    }
    return true;
}

bool CMappedFile::Close() {
    // The owner serialises Open and Close with its own lock; both take the view lock as well, so a
    // stray GetBytes on another thread races neither the table's clean-up nor a new file.
    std::lock_guard<std::recursive_mutex> lock(m_viewLock);
    for (const auto& entry : m_views) {
        mapping::UnmapView(entry.second);
    }
    m_views.clear();
    mapping::CloseMapping(m_mappingHandle);
    mapping::CloseFile(m_fileHandle);
    m_mappingHandle = mapping::kNoMapping;
    m_fileSize = 0;
    m_fileHandle = mapping::kInvalidFile;
    m_openError = 0;
    return true;
}

std::uint64_t CMappedFile::GetSize() const {
    return m_fileSize < kMaxReachableSize ? m_fileSize : kMaxReachableSize;
}

const std::uint8_t* CMappedFile::GetBytes(std::uint32_t offset, std::uint32_t length) {
    const std::thread::id thread = std::this_thread::get_id();
    const std::uint32_t remainder = offset % m_granularity;
    const std::uint32_t viewStart = offset - remainder;

    std::lock_guard<std::recursive_mutex> lock(m_viewLock);
    if (m_mappingHandle == mapping::kNoMapping) {
        return nullptr;
    }
    auto entry = m_views.find(thread);
    if (entry != m_views.end()) {
        mapping::UnmapView(entry->second);
        entry->second = mapping::View{};
    } else {
        entry = m_views.emplace(thread, mapping::View{}).first;
    }
    // A range the caller should never ask for maps nothing rather than a view past the end.
    const std::uint64_t end = std::uint64_t{offset} + length;
    if (length == 0 || end > GetSize()) {
        return nullptr;
    }
    entry->second = mapping::MapView(m_mappingHandle, viewStart, std::size_t{remainder} + length);
    if (entry->second.base == nullptr) {
        return nullptr;
    }
    return static_cast<const std::uint8_t*>(entry->second.base) + remainder;
}

}  // namespace qs
