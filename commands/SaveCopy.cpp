#include "commands/SaveCopy.h"

#include <algorithm>
#include <memory>
#include <new>

namespace qs {

namespace {

SaveCopyOutcome CopyContents(CopyFiles& files, std::uint64_t size, unsigned char* buffer) {
    for (std::uint64_t left = size; left > 0;) {
        const auto want = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kSaveCopyChunk));
        std::uint32_t read = 0;
        // A short read means the file shrank since its size was taken: not a whole copy.
        if (!files.ReadSource(buffer, want, read) || read != want)
            return SaveCopyOutcome::ReadFailed;
        std::uint32_t written = 0;
        if (!files.WriteTemporary(buffer, read, written) || written != read)
            return SaveCopyOutcome::WriteFailed;
        left -= read;
    }
    return SaveCopyOutcome::Copied;
}

}  // namespace

SaveCopyOutcome SaveCopy(CopyFiles& files, const std::u16string& source,
                         const std::u16string& target) {
    if (!files.OpenSource(source))
        return SaveCopyOutcome::SourceOpenFailed;
    std::uint64_t size = 0;
    if (!files.GetSourceSize(size))
        return SaveCopyOutcome::ReadFailed;
    if (size == 0)
        return SaveCopyOutcome::SourceEmpty;
    const std::unique_ptr<unsigned char[]> buffer(
        new (std::nothrow) unsigned char[static_cast<std::size_t>(
            std::min<std::uint64_t>(size, kSaveCopyChunk))]);
    if (!buffer)
        return SaveCopyOutcome::ReadFailed;
    if (!files.CanReplaceTarget(target) || !files.CreateTemporary(target))
        return SaveCopyOutcome::TargetOpenFailed;

    SaveCopyOutcome outcome = CopyContents(files, size, buffer.get());
    if (outcome == SaveCopyOutcome::Copied && !files.ReplaceTarget(target))
        outcome = SaveCopyOutcome::TargetOpenFailed;
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
            break;
    }
    return nullptr;
}

}  // namespace qs
