// The two lines under the tree that say how full the hidden volume is and what the selected item
// holds, built from sizes and counts that the platform formats (sizes as the shell writes them,
// counts in the user's number format). Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tree/FolderTotals.h"

namespace qs {

class SizeFormatter {
public:
    virtual ~SizeFormatter() = default;
    virtual std::u16string Bytes(std::uint64_t bytes) const = 0;
    virtual std::u16string Count(std::uint64_t count) const = 0;
};

// What the volume queries said of the hidden volume; a failed query leaves its field empty.
struct VolumeSpace {
    std::optional<std::uint64_t> capacity;
    std::u16string fileSystem;
    std::optional<std::uint64_t> freeBytes;
};

// "100 MB NTFS volume, 42.0 MB free"; without the free part when it is unknown; empty when the
// capacity or the file system is.
std::u16string MakeVolumeLine(const VolumeSpace& space, const SizeFormatter& format);

// "bootmgr: 1000 bytes".
std::u16string MakeFileLine(std::u16string_view name, std::uint64_t size,
                            const SizeFormatter& format);

// "Boot: 3.48 MB in 14 files", "SVI: at least 0 bytes in 0 files (1 folder could not be read)";
// "Boot: counting…" without totals while a count runs, the name alone once it has ended without
// seeing the folder (one made after the count).
std::u16string MakeFolderLine(std::u16string_view name, const FolderTotal* total, bool counting,
                              const SizeFormatter& format);

// "All files: 6.12 MB in 20 files; 51.9 MB other", where other is capacity - free - total: the
// file system's own structures and whatever could not be read. The other part is left out when
// the free space is unknown or the difference is negative.
std::u16string MakeRootLine(const FolderTotal* total, bool counting, const VolumeSpace& space,
                            const SizeFormatter& format);

// Where a line cut for its ellipsis may end, given that `fit` UTF-16 units fit: one unit earlier
// when the cut would split a surrogate pair (a name outside the Basic Multilingual Plane), so
// that no half character is ever drawn.
std::size_t FitWholeCharacters(std::u16string_view text, std::size_t fit);

}  // namespace qs
