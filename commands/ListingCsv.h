// Save Listing As: every folder and file below an item, as a CSV file that a spreadsheet opens
// as it is (UTF-8 with a byte-order mark, RFC 4180 quoting). Portable: the walk runs over a
// FolderLister, and the file is written whole or not at all through the copy's files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/SaveCopy.h"
#include "platform/system/FolderLister.h"

namespace qs {

// A field as RFC 4180 writes it: in quotes, its quotes doubled, when it holds a comma, a quote
// or a line break; otherwise as it is.
std::u16string QuoteCsvField(const std::u16string& field);
// A last-write time (100-nanosecond ticks since 1601-01-01 UTC) as "2019-12-07T10:09:00Z".
std::u16string FormatUtcTime(std::uint64_t ticks);

struct ListingRow {
    std::u16string path;     // relative to the item; a folder's ends with a backslash
    bool known = true;       // false for a folder that can't be listed: its size stays empty
    std::uint64_t size = 0;  // a folder's: the total of the files below it
    std::uint64_t lastWrite = 0;
};

// The rows below the folder in the tree's order: folders first, each followed by its own rows,
// then files, each group in listing order. False, with no rows, when the folder itself can't be
// listed.
bool ListFolder(FolderLister& lister, const std::u16string& folder, std::vector<ListingRow>& rows);
// The file's bytes: the byte-order mark, the header "Path,Size,Modified" and a line per row.
std::string FormatListing(const std::vector<ListingRow>& rows);

// Lists the folder and writes the file at target through a temporary: Copied, ReadFailed (the
// folder can't be listed), TargetOpenFailed or WriteFailed.
SaveCopyOutcome SaveListing(CopyFiles& files, FolderLister& lister, const std::u16string& folder,
                            const std::u16string& target);

}  // namespace qs
