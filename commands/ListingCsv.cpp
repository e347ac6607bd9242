#include "commands/ListingCsv.h"

#include <algorithm>
#include <cstdio>

#include "platform/system/Text.h"
#include "tree/ItemPath.h"

namespace qs {

namespace {

// Appends the rows below the folder and adds its files' sizes to total; false, adding nothing,
// when it can't be listed.
bool AddRows(FolderLister& lister, const std::u16string& folder, const std::u16string& relative,
             std::vector<ListingRow>& rows, std::uint64_t& total) {
    std::vector<FolderEntry> entries;
    if (!lister.List(folder, entries))
        return false;
    for (const FolderEntry& entry : entries) {
        if (!entry.isFolder)
            continue;
        const std::size_t at = rows.size();
        const std::u16string path = relative + entry.name + u'\\';
        rows.push_back({path, true, 0, entry.lastWrite});
        // A junction or link is not followed (it could loop): like an unreadable folder, its
        // size is unknown.
        std::uint64_t size = 0;
        const bool known = !entry.isReparsePoint &&
                           AddRows(lister, MakeItemPath(folder, entry.name), path, rows, size);
        rows[at].known = known;  // (rows may have moved)
        rows[at].size = size;
        total += size;
    }
    for (const FolderEntry& entry : entries) {
        if (entry.isFolder)
            continue;
        rows.push_back({relative + entry.name, true, entry.size, entry.lastWrite});
        total += entry.size;
    }
    return true;
}

}  // namespace

std::u16string QuoteCsvField(const std::u16string& field) {
    if (field.find_first_of(u",\"\r\n") == std::u16string::npos)
        return field;
    std::u16string quoted = u"\"";
    for (const char16_t c : field) {
        quoted += c;
        if (c == u'"')
            quoted += c;
    }
    return quoted + u'"';
}

std::u16string FormatUtcTime(std::uint64_t ticks) {
    const std::uint64_t seconds = ticks / 10000000;
    // Days since 1601-01-01 to a civil date: counted from 0000-03-01, whose 400-year eras
    // start at a leap day's year (the usual days-to-civil arithmetic, shifted to 1601).
    const std::int64_t days = static_cast<std::int64_t>(seconds / 86400) + 584694;
    const std::int64_t era = days / 146097, dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t m = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * m + 2) / 5 + 1);
    const int month = static_cast<int>(m < 10 ? m + 3 : m - 9);
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    const int second = static_cast<int>(seconds % 86400);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02dZ", year, month, day,
                  second / 3600, second / 60 % 60, second % 60);
    return Utf8ToUtf16(text);
}

bool ListFolder(FolderLister& lister, const std::u16string& folder, std::vector<ListingRow>& rows) {
    rows.clear();
    std::uint64_t total = 0;
    return AddRows(lister, folder, u"", rows, total);
}

std::string FormatListing(const std::vector<ListingRow>& rows) {
    std::string text = "\xEF\xBB\xBFPath,Size,Modified\r\n";
    for (const ListingRow& row : rows) {
        text += Utf16ToUtf8(QuoteCsvField(row.path)) + ',';
        if (row.known)
            text += std::to_string(row.size);
        text += ',' + Utf16ToUtf8(FormatUtcTime(row.lastWrite)) + "\r\n";
    }
    return text;
}

SaveCopyOutcome SaveListing(CopyFiles& files, FolderLister& lister, const std::u16string& folder,
                            const std::u16string& target) {
    // A folder that can't be listed gets no file: a header alone would read as an empty folder.
    std::vector<ListingRow> rows;
    if (!ListFolder(lister, folder, rows))
        return SaveCopyOutcome::ReadFailed;
    const std::string text = FormatListing(rows);
    if (!files.CanReplaceTarget(target) || !files.CreateTemporary(target))
        return SaveCopyOutcome::TargetOpenFailed;
    SaveCopyOutcome outcome = SaveCopyOutcome::Copied;
    for (std::size_t at = 0; at < text.size() && outcome == SaveCopyOutcome::Copied;) {
        const auto count =
            static_cast<std::uint32_t>(std::min<std::size_t>(text.size() - at, kSaveCopyChunk));
        std::uint32_t written = 0;
        if (!files.WriteTemporary(reinterpret_cast<const unsigned char*>(text.data() + at), count,
                                  written) ||
            written != count)
            outcome = SaveCopyOutcome::WriteFailed;
        at += count;
    }
    if (outcome == SaveCopyOutcome::Copied && !files.ReplaceTarget(target))
        outcome = SaveCopyOutcome::TargetOpenFailed;
    if (outcome != SaveCopyOutcome::Copied)
        files.DiscardTemporary();
    return outcome;
}

}  // namespace qs
