// A file's bytes read a window at a time. The viewer's search and its copy go through one, so that
// neither ever holds more of a file than one window, and tests can hand them bytes from memory.
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>

#include "preview/MappedFile.h"

namespace qs {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual std::uint64_t GetSize() const = 0;

    // `length` bytes from `offset`, readable until the next Read. The caller keeps offset + length
    // within GetSize(). Null when the bytes can't be read (a view that fails to map).
    virtual const std::uint8_t* Read(std::uint64_t offset, std::size_t length) = 0;
};

// The bytes of the file a CMappedFile has open: each Read maps a fresh view of just those bytes
// and unmaps this thread's previous one.
class CMappedFileSource : public ByteSource {
public:
    explicit CMappedFileSource(CMappedFile& file) : m_file(file) {}

    std::uint64_t GetSize() const override { return m_file.GetSize(); }

    const std::uint8_t* Read(std::uint64_t offset, std::size_t length) override {
        // Views reach the first 4 GiB only, which is also all that GetSize() admits.
        if (length == 0 || offset + length > GetSize())
            return nullptr;
        return m_file.GetBytes(static_cast<std::uint32_t>(offset),
                               static_cast<std::uint32_t>(length));
    }

private:
    CMappedFile& m_file;
};

}  // namespace qs
