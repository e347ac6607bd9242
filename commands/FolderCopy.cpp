#include "commands/FolderCopy.h"

#include "commands/SaveCopy.h"
#include "platform/system/CaseMapping.h"
#include "platform/system/ErrorText.h"
#include "tree/ItemPath.h"

namespace qs {

namespace {

std::u16string Number(std::uint64_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string WithoutLongPrefix(std::u16string path) {
    if (path.rfind(u"\\\\?\\", 0) == 0)
        path.erase(0, 4);
    while (!path.empty() && path.back() == u'\\')
        path.pop_back();
    return ToLowerCase(path);
}

class CFolderCopier {
public:
    CFolderCopier(const FolderCopyJob& job, FolderCopyProgress& progress)
        : m_job(job), m_progress(progress) {}

    void Count(const std::u16string& folder) {
        std::vector<FolderEntry> entries;
        m_job.lister->List(folder, entries);
        for (const FolderEntry& entry : entries) {
            if (m_job.stopRequested())
                return;
            if (entry.isFolder && !entry.isReparsePoint)
                Count(MakeItemPath(folder, entry.name));
            if (entry.isFolder)
                continue;
            const std::lock_guard<std::mutex> hold(m_progress.lock);
            ++m_progress.filesTotal;
            m_progress.bytesTotal += entry.size;
        }
    }

    bool MakeTopFolder(const std::u16string& base) {
        const std::unique_ptr<CopyFiles> files = m_job.makeFiles();
        const std::u16string parent = MakeLongFormPath(m_job.targetParent);
        for (unsigned n = 1; n < 10000; ++n) {
            const std::u16string folder = MakeItemPath(parent, MakeCopyName(base, n));
            const CopyFiles::FolderMade made = files->CreateFolder(folder);
            if (made == CopyFiles::FolderMade::Made) {
                m_result.folder = folder;
                return true;
            }
            if (made == CopyFiles::FolderMade::Failed) {
                Stop(CopyStop::WriteFailed, m_job.targetParent, files->LastError());
                return false;
            }
        }
        Stop(CopyStop::WriteFailed, m_job.targetParent, 0);
        return false;
    }

    // False once the copy has stopped.
    bool CopyContents(const std::u16string& source, const std::u16string& target,
                      const std::u16string& relative) {
        std::vector<FolderEntry> entries;
        if (!m_job.lister->List(source, entries)) {
            // Gone or unreadable since it was counted: said, and the copy goes on without it. (The
            // item itself is named by its own name.)
            const std::unique_ptr<CopyFiles> files = m_job.makeFiles();
            Fail(relative.empty() ? GetCopyBaseName(m_job.source) + u'\\' : relative,
                 files->LastError());
            return true;
        }
        for (const FolderEntry& entry : entries) {
            const std::u16string from = MakeItemPath(source, entry.name),
                                 to = MakeItemPath(target, entry.name);
            const std::u16string path = relative + entry.name;
            if (m_job.stopRequested())
                return Stop(CopyStop::Cancelled, path, 0);
            if (!entry.isFolder) {
                if (!CopyFile(from, to, path, entry))
                    return false;
                continue;
            }
            const std::unique_ptr<CopyFiles> files = m_job.makeFiles();
            if (files->CreateFolder(to) != CopyFiles::FolderMade::Made)
                return Stop(CopyStop::WriteFailed, path + u'\\', files->LastError());
            // A junction or link is copied as an empty folder: going in could loop.
            if (!entry.isReparsePoint && !CopyContents(from, to, path + u'\\'))
                return false;
        }
        return true;
    }

    const std::u16string& Folder() const { return m_result.folder; }

    FolderCopyResult Take() {
        const std::lock_guard<std::mutex> hold(m_progress.lock);
        m_result.total = m_progress.filesTotal;
        return std::move(m_result);
    }

private:
    bool CopyFile(const std::u16string& from, const std::u16string& to, const std::u16string& path,
                  const FolderEntry& entry) {
        {
            const std::lock_guard<std::mutex> hold(m_progress.lock);
            m_progress.current = path;
        }
        std::uint64_t done = 0;
        SaveCopyOptions options;
        options.copyEmpty = true;
        options.newFolder = true;
        options.buffer = m_buffer.get();
        options.lastWrite = entry.lastWrite;
        options.onChunk = [this, &done](std::uint32_t bytes) {
            done += bytes;
            const std::lock_guard<std::mutex> hold(m_progress.lock);
            m_progress.bytesDone += bytes;
            return !m_job.stopRequested();
        };
        std::uint32_t error = 0;
        const SaveCopyOutcome outcome = SaveCopy(*m_job.makeFiles(), from, to, options, error);
        {
            // A file left out still moves the bar on by its size.
            const std::lock_guard<std::mutex> hold(m_progress.lock);
            ++m_progress.filesDone;
            m_progress.bytesDone += entry.size > done ? entry.size - done : 0;
        }
        switch (outcome) {
            case SaveCopyOutcome::Copied:
                ++m_result.copied;
                return true;
            case SaveCopyOutcome::SourceOpenFailed:
            case SaveCopyOutcome::SourceEmpty:
            case SaveCopyOutcome::ReadFailed:
                Fail(path, error);
                return true;
            case SaveCopyOutcome::Cancelled:
                return Stop(CopyStop::Cancelled, path, 0);
            case SaveCopyOutcome::TargetOpenFailed:
            case SaveCopyOutcome::WriteFailed:
                break;
        }
        return Stop(CopyStop::WriteFailed, path, error);
    }

    void Fail(const std::u16string& path, std::uint32_t error) {
        if (m_result.failures.size() < kReportedFailures)
            m_result.failures.push_back({path, Reason(error)});
        ++m_result.failureCount;
    }

    bool Stop(CopyStop stop, const std::u16string& path, std::uint32_t error) {
        m_result.stop = stop;
        m_result.stopPath = path;
        m_result.stopReason = stop == CopyStop::WriteFailed ? Reason(error) : u"";
        return false;
    }

    static std::u16string Reason(std::uint32_t error) {
        // A file that shrank while it was read gives no code.
        return error != 0 ? DescribeSystemError(error) : u"It changed while it was read.";
    }

    const FolderCopyJob& m_job;
    FolderCopyProgress& m_progress;
    FolderCopyResult m_result;
    const std::unique_ptr<unsigned char[]> m_buffer{new unsigned char[kSaveCopyChunk]};
};

}  // namespace

std::u16string GetCopyBaseName(const std::u16string& fullPath) {
    if (fullPath.empty() || fullPath.back() == u'\\')
        return u"Hidden Volume";
    return fullPath.substr(fullPath.rfind(u'\\') + 1);
}

std::u16string MakeCopyName(const std::u16string& base, unsigned n) {
    return n < 2 ? base : base + u" (" + Number(n) + u")";
}

bool IsSameOrInside(const std::u16string& path, const std::u16string& folder) {
    const std::u16string inner = WithoutLongPrefix(path), outer = WithoutLongPrefix(folder);
    return inner.rfind(outer, 0) == 0 &&
           (inner.size() == outer.size() || inner[outer.size()] == u'\\');
}

FolderCopyResult CopyFolder(const FolderCopyJob& job, FolderCopyProgress& progress) {
    CFolderCopier copier(job, progress);
    copier.Count(job.source);
    if (job.stopRequested()) {
        // Cancelled while the files were still being counted: nothing was made.
        FolderCopyResult result = copier.Take();
        result.stop = CopyStop::Cancelled;
        return result;
    }
    if (copier.MakeTopFolder(GetCopyBaseName(job.source)))
        copier.CopyContents(job.source, copier.Folder(), u"");
    return copier.Take();
}

std::u16string FormatCopyReport(const FolderCopyResult& result) {
    const std::u16string copied =
        u"Copied " + Number(result.copied) + u" of " + Number(result.total) + u" files";
    std::u16string text;
    if (result.stop == CopyStop::Cancelled && result.folder.empty())
        return u"The copy was cancelled before any file was copied.";
    if (result.stop == CopyStop::WriteFailed && result.folder.empty())
        return u"The copy could not be made in " + result.stopPath + u":\n" + result.stopReason;
    if (result.stop != CopyStop::None) {
        // Shown as the user would type it, without the long form's prefix.
        std::u16string folder = result.folder;
        if (folder.rfind(u"\\\\?\\UNC\\", 0) == 0)
            folder.replace(0, 8, u"\\\\");
        else if (folder.rfind(u"\\\\?\\", 0) == 0)
            folder.erase(0, 4);
        text = result.stop == CopyStop::Cancelled
                   ? u"The copy was cancelled."
                   : u"The copy stopped: " + result.stopPath + u" could not be written.\n" +
                         result.stopReason;
        text += u"\n" + copied + u" into " + folder + u".";
    }
    if (result.failureCount == 0)
        return text;
    text +=
        text.empty() ? copied + u". These could not be read:\n" : u"\n\nThese could not be read:\n";
    for (const CopyFailure& failure : result.failures)
        text += u"\n" + failure.path + u": " + failure.reason;
    if (result.failureCount > result.failures.size())
        text += u"\nand " + Number(result.failureCount - result.failures.size()) + u" more";
    return text;
}

}  // namespace qs
