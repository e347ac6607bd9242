// Save As's copy step: a byte-for-byte copy of a file onto the name the user chose. Portable.
//
// The copy is written to a temporary file beside the target and takes the target's name only
// once it is complete, so a copy that fails leaves a file already at that name as it was and
// leaves no partial file behind. It streams in chunks: a file on the hidden volume can be a
// recovery image of hundreds of MiB.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/system/CopyFiles.h"

namespace qs {

enum class SaveCopyOutcome {
    Copied,
    SourceOpenFailed,  // missing, unreadable, or held open for writing by another program
    SourceEmpty,       // 0 bytes: refused before any target is touched
    ReadFailed,        // the size, a read, or the file shorter than its size
    TargetOpenFailed,  // the target can't be created or replaced
    WriteFailed,       // a write failed or wrote fewer bytes
    Cancelled,         // a folder's copy was stopped between two chunks
};

constexpr std::uint32_t kSaveCopyChunk = 1u << 20;

SaveCopyOutcome SaveCopy(CopyFiles& files, const std::u16string& source,
                         const std::u16string& target);

// What a folder's copy asks beyond that, for each of its files.
struct SaveCopyOptions {
    bool copyEmpty = false;       // a 0-byte file is copied, not refused
    bool newFolder = false;       // the target's folder is the copy's own: nothing there to check
    std::uint64_t lastWrite = 0;  // given to the copy when not 0
    // kSaveCopyChunk bytes to copy through, kept from file to file: a block that size is mapped
    // and unmapped again for every allocation, which cost as much as the copy of a small file.
    unsigned char* buffer = nullptr;
    // After each chunk, with its size; false stops the copy (Cancelled), leaving no temporary.
    std::function<bool(std::uint32_t)> onChunk;
};
// The same copy; error receives the system's code for a failure (0 when it gave none).
SaveCopyOutcome SaveCopy(CopyFiles& files, const std::u16string& source,
                         const std::u16string& target, const SaveCopyOptions& options,
                         std::uint32_t& error);

// What the user is told of an outcome; null for Copied, which says nothing.
const char16_t* GetSaveCopyMessage(SaveCopyOutcome outcome);

}  // namespace qs
