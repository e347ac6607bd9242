// Save As on a folder or the whole volume: a new folder, where the user chose, with every
// folder and file below the item, each file whole or not at all (Save As's own copy), with its
// last-write time and without the source's attributes. Portable: it runs over a FolderLister and
// the copy's files, on the worker thread; the window thread reads its progress.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/system/CopyFiles.h"
#include "platform/system/FolderLister.h"

namespace qs {

// The copy's name before any number: the item's own name, "Hidden Volume" for the root (whose
// full path ends with a backslash).
std::u16string GetCopyBaseName(const std::u16string& fullPath);
// The n-th name tried for the copy: the base name, then "Boot (2)", "Boot (3)"...
std::u16string MakeCopyName(const std::u16string& base, unsigned n);
// True when path is folder or lies below it, by names compared without case; a "\\?\" in
// front of either is ignored. The copy is never written inside what it copies.
bool IsSameOrInside(const std::u16string& path, const std::u16string& folder);

struct CopyFailure {
    std::u16string path;  // relative to the item; a folder's ends with a backslash
    std::u16string reason;
};

enum class CopyStop { None, Cancelled, WriteFailed };

struct FolderCopyResult {
    std::u16string folder;  // the copy's folder, empty when none could be made
    std::uint64_t copied = 0;
    std::uint64_t total = 0;
    // The first kReportedFailures of them; failureCount counts them all.
    std::vector<CopyFailure> failures;
    std::uint64_t failureCount = 0;
    CopyStop stop = CopyStop::None;
    std::u16string stopPath;  // what could not be written, relative; empty for the folder itself
    std::u16string stopReason;
};
constexpr std::size_t kReportedFailures = 10;

// What the window thread shows while the copy runs; the worker writes it under the lock.
struct FolderCopyProgress {
    std::mutex lock;
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::u16string current;  // the file being copied, relative to the item
};

struct FolderCopyJob {
    std::u16string source;        // the item's full path
    std::u16string targetParent;  // the folder the user chose
    FolderLister* lister = nullptr;
    std::function<std::unique_ptr<CopyFiles>()> makeFiles;
    std::function<bool()> stopRequested;
};

// Counts the files and bytes, makes the copy's folder under the first free name, then copies
// folder by folder. A file that can't be read is left out and the copy goes on; a write that
// fails, or a stop, ends it there, with no temporary left.
FolderCopyResult CopyFolder(const FolderCopyJob& job, FolderCopyProgress& progress);

// What the user is told at the end: empty when nothing was left out.
std::u16string FormatCopyReport(const FolderCopyResult& result);

}  // namespace qs
