// What fills a volume: every folder's total size and file count, summed over everything below it,
// with the folders that could not be read. Made by one walk of the volume through a FolderLister,
// on the worker thread; read by the window thread once the walk is done. Portable.
//
// A folder costs one Node (40 bytes) and its name's UTF-16 units in a shared pool; files cost
// nothing, since only their sums are kept.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/FolderLister.h"

namespace qs {

struct FolderTotal {
    std::uint64_t bytes = 0;  // 64-bit: the sum of every file's size below the folder
    std::uint32_t files = 0;  // NTFS holds at most 2^32 - 1 files on a volume
    // Folders below this one (itself included) whose listing failed at its start or partway:
    // their files are missing from the sums, which are then a lower bound.
    std::uint32_t unreadableFolders = 0;
};

class FolderTotals {
public:
    // The totals of the folder at this path below the root: names joined by backslashes, empty
    // for the root. Null when the walk did not see such a folder. Names compare as listed.
    const FolderTotal* Find(std::u16string_view relativePath) const;

    std::size_t FolderCount() const { return m_nodes.size(); }
    // The memory the totals hold, for the figure beside the benchmarks.
    std::size_t MemoryBytes() const {
        return m_nodes.capacity() * sizeof(Node) + m_names.capacity() * sizeof(char16_t);
    }

    // Walks everything below rootPath (a full path; the root's own ends with a backslash),
    // breadth first, listing each folder once. Junctions and symbolic links are counted as empty
    // folders and never entered, or a walk could loop. stopRequested is asked before each
    // folder; true ends the walk and the result is false, with the totals incomplete.
    bool Count(FolderLister& lister, const std::u16string& rootPath,
               const std::function<bool()>& stopRequested);

private:
    // Children are contiguous, in listing order, and always come after their parent, so the sums
    // roll up in one backward pass.
    struct Node {
        FolderTotal total;
        std::uint32_t parent = 0;
        std::uint32_t firstChild = 0;
        std::uint32_t childCount = 0;
        std::uint32_t nameOffset = 0;
        std::uint32_t nameLength = 0;
    };

    std::u16string_view NameOf(const Node& node) const {
        return std::u16string_view(m_names).substr(node.nameOffset, node.nameLength);
    }
    std::u16string PathOf(std::uint32_t index, const std::u16string& rootPath) const;

    std::vector<Node> m_nodes;
    std::u16string m_names;
};

}  // namespace qs
