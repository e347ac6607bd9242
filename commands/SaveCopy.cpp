#include "commands/SaveCopy.h"

#include <algorithm>
#include <memory>
#include <new>

namespace qs {

namespace {

// The system's code is taken at once, before anything else can replace it.
SaveCopyOutcome Failed(const CopyFiles& files, SaveCopyOutcome outcome, std::uint32_t& error) {
    error = files.LastError();
    return outcome;
}

SaveCopyOutcome CopyContents(CopyFiles& files, std::uint64_t size, unsigned char* buffer,
                             const SaveCopyOptions& options, std::uint32_t& error) {
    for (std::uint64_t left = size; left > 0;) {
        const auto want = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kSaveCopyChunk));
        std::uint32_t read = 0;
        if (!files.ReadSource(buffer, want, read))
            return Failed(files, SaveCopyOutcome::ReadFailed, error);
        // A short read means the file shrank since its size was taken: not a whole copy.
        if (read != want)
            return SaveCopyOutcome::ReadFailed;
        std::uint32_t written = 0;
        if (!files.WriteTemporary(buffer, read, written) || written != read)
            return Failed(files, SaveCopyOutcome::WriteFailed, error);
        left -= read;
        if (options.onChunk && !options.onChunk(read))
            return SaveCopyOutcome::Cancelled;
    }
    return SaveCopyOutcome::Copied;
}

}  // namespace

SaveCopyOutcome SaveCopy(CopyFiles& files, const std::u16string& source,
                         const std::u16string& target) {
    std::uint32_t error = 0;
    return SaveCopy(files, source, target, SaveCopyOptions(), error);
}

SaveCopyOutcome SaveCopy(CopyFiles& files, const std::u16string& source,
                         const std::u16string& target, const SaveCopyOptions& options,
                         std::uint32_t& error) {
    error = 0;
    if (!files.OpenSource(source))
        return Failed(files, SaveCopyOutcome::SourceOpenFailed, error);
    std::uint64_t size = 0;
    if (!files.GetSourceSize(size))
        return Failed(files, SaveCopyOutcome::ReadFailed, error);
    if (size == 0 && !options.copyEmpty)
        return SaveCopyOutcome::SourceEmpty;
    std::unique_ptr<unsigned char[]> owned;
    if (options.buffer == nullptr) {
        owned.reset(new (std::nothrow) unsigned char[static_cast<std::size_t>(
            std::min<std::uint64_t>(std::max<std::uint64_t>(size, 1), kSaveCopyChunk))]);
        if (!owned)
            return SaveCopyOutcome::ReadFailed;
    }
    unsigned char* const buffer = options.buffer != nullptr ? options.buffer : owned.get();
    if ((!options.newFolder && !files.CanReplaceTarget(target)) || !files.CreateTemporary(target))
        return Failed(files, SaveCopyOutcome::TargetOpenFailed, error);

    SaveCopyOutcome outcome = CopyContents(files, size, buffer, options, error);
    if (outcome == SaveCopyOutcome::Copied && options.lastWrite != 0 &&
        !files.SetTemporaryTime(options.lastWrite))
        outcome = Failed(files, SaveCopyOutcome::WriteFailed, error);
    if (outcome == SaveCopyOutcome::Copied && !files.ReplaceTarget(target))
        outcome = Failed(files, SaveCopyOutcome::TargetOpenFailed, error);
    if (outcome != SaveCopyOutcome::Copied)
        files.DiscardTemporary();
    return outcome;
}

const char16_t* GetSaveCopyMessage(SaveCopyOutcome outcome) {
    switch (outcome) {
        case SaveCopyOutcome::SourceOpenFailed:
            return u"Can't open selected file";
        case SaveCopyOutcome::SourceEmpty:
            return u"Selected file is empty";
        case SaveCopyOutcome::ReadFailed:
            return u"Can't read selected file";
        case SaveCopyOutcome::TargetOpenFailed:
            return u"Can't open target file";
        case SaveCopyOutcome::WriteFailed:
            return u"Can't write target file";
        case SaveCopyOutcome::Copied:
        case SaveCopyOutcome::Cancelled:
            break;
    }
    return nullptr;
}

}  // namespace qs
