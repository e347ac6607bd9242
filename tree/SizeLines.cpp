#include "tree/SizeLines.h"

namespace qs {

namespace {

// "3.48 MB in 14 files", with "at least" and the unreadable folders when there are any.
std::u16string DescribeTotal(const FolderTotal& total, const SizeFormatter& format) {
    std::u16string text;
    if (total.unreadableFolders > 0) {
        text += u"at least ";
    }
    text += format.Bytes(total.bytes) + u" in " + format.Count(total.files) +
            (total.files == 1 ? u" file" : u" files");
    if (total.unreadableFolders > 0) {
        text += u" (" + format.Count(total.unreadableFolders) +
                (total.unreadableFolders == 1 ? u" folder" : u" folders") + u" could not be read)";
    }
    return text;
}

}  // namespace

std::u16string MakeVolumeLine(const VolumeSpace& space, const SizeFormatter& format) {
    if (!space.capacity || space.fileSystem.empty()) {
        return std::u16string();
    }
    std::u16string line = format.Bytes(*space.capacity) + u" " + space.fileSystem + u" volume";
    if (space.freeBytes) {
        line += u", " + format.Bytes(*space.freeBytes) + u" free";
    }
    return line;
}

std::u16string MakeFileLine(std::u16string_view name, std::uint64_t size,
                            const SizeFormatter& format) {
    return std::u16string(name) + u": " + format.Bytes(size);
}

std::u16string MakeFolderLine(std::u16string_view name, const FolderTotal* total, bool counting,
                              const SizeFormatter& format) {
    if (total != nullptr) {
        return std::u16string(name) + u": " + DescribeTotal(*total, format);
    }
    return std::u16string(name) + (counting ? u": counting\u2026" : u"");
}

std::u16string MakeRootLine(const FolderTotal* total, bool counting, const VolumeSpace& space,
                            const SizeFormatter& format) {
    std::u16string line = MakeFolderLine(u"All files", total, counting, format);
    if (total != nullptr && space.capacity && space.freeBytes &&
        *space.freeBytes <= *space.capacity && *space.capacity - *space.freeBytes >= total->bytes) {
        line += u"; " + format.Bytes(*space.capacity - *space.freeBytes - total->bytes) + u" other";
    }
    return line;
}

std::size_t FitWholeCharacters(std::u16string_view text, std::size_t fit) {
    if (fit == 0 || fit >= text.size()) {
        return fit < text.size() ? fit : text.size();
    }
    const bool splitsPair = text[fit - 1] >= 0xD800 && text[fit - 1] <= 0xDBFF &&
                            text[fit] >= 0xDC00 && text[fit] <= 0xDFFF;
    return splitsPair ? fit - 1 : fit;
}

}  // namespace qs
