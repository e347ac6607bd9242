// Full paths of tree items and the split of a folder listing. Windows path rules on every host:
// the separator is always a backslash.
//
// A full path names an item on the hidden volume. The root's is the volume name with its
// trailing backslash ("\\?\Volume{...}\"); a folder's is the volume name and the folder names
// below it joined by single backslashes, with no trailing backslash ("...}\Boot"); a file's is
// its folder's path, a backslash and its name ("...}\Boot\BCD").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// The platform's path limit in UTF-16 units, terminator included.
constexpr size_t MAX_PATH_CHARS = 260;

// The full path of a new item: the parent path, a backslash unless it already ends with one,
// and the name unless it is empty (the root is inserted with an empty name under the volume
// name, so its path is the volume name).
std::u16string MakeItemPath(std::u16string_view parentPath, std::u16string_view name);

// One step of rebuilding a path from the item texts, walked from an item up to the root:
// puts the text of the next item up in front of what has been built so far.
void PrependItemText(std::u16string& path, std::u16string_view text);

// The full path from the texts of an item and its ancestors, the item's own text first and
// the root's last.
std::u16string JoinItemTexts(const std::vector<std::u16string>& textsLeafFirst);

// The pattern that lists a folder: the path and "*.*", with a backslash between them unless
// the path already ends with one (only the root's does).
std::u16string MakeSearchPattern(std::u16string_view folderPath);

// Patterns of MAX_PATH_CHARS units or more are not searched: such a folder counts as empty.
inline bool IsSearchable(std::u16string_view pattern) {
    return pattern.size() < MAX_PATH_CHARS;
}

// The attribute bit that marks a directory entry in a listing.
constexpr uint32_t ENTRY_ATTRIBUTE_DIRECTORY = 0x10;

// A folder's entries as the tree shows them: folders first, then files, each group in listing
// order, "." and ".." dropped.
struct FolderListing {
    std::vector<std::u16string> folders;
    std::vector<std::u16string> files;

    // Sorts one listed entry into its group. Only the directory bit is looked at: hidden,
    // system and read-only entries are listed like any other.
    void Add(std::u16string_view name, uint32_t attributes);
};

// True for the "." and ".." entries of a directory listing.
bool IsDotEntry(std::u16string_view name, uint32_t attributes);

}  // namespace qs
