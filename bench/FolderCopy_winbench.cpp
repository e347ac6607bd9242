// A folder's Save As under Wine, beside its floor in the same run: the same 2,000 files (200 MB
// in 20 folders) copied by a bare loop of CreateDirectoryW and CopyFileExW over a list made
// beforehand. Goal: the median of the per-sample ratios at most 1.2. Also the growth of the peak
// working set over a copy (goal: under 16 MiB, the same whatever the folder's size). For the
// record, a second floor: the same list copied by a bare loop of the steps that keep a copy from
// ever being partial (each file written to a temporary, given its time, then renamed), which is
// what the program adds to CopyFileExW's work.
// Usage: FolderCopy_winbench <stage folder> [runs]; the stage is made there and left for `cp -r`.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/TableLine.h"
#include "bench/WinBench.h"
#include "commands/FolderCopy.h"
#include "platform/system/Text.h"
#include "platform/system/WideText.h"
#include "platform/system/WorkerThread.h"

namespace {

namespace fs = std::filesystem;
constexpr int kFolders = 20, kFilesPerFolder = 100;
constexpr DWORD kFileSize = 100 * 1024;

[[noreturn]] void Fail(const char* reason) {
    std::fprintf(stderr, "folder copy benchmark failed: %s\n", reason);
    std::exit(2);
}

double PeakMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

std::wstring Folder(int i) {
    wchar_t name[16];
    std::swprintf(name, 16, L"folder%02d", i);
    return name;
}

// The program's copy, on its worker thread as Save As runs it; the copy's folder.
std::wstring CopyByProgram(const std::wstring& source, const std::wstring& target) {
    qs::FolderCopyProgress progress;
    qs::FolderCopyResult result;
    const auto lister = qs::MakeFolderLister();
    // The end is waited for as the window thread waits for its nudge, without polling: Stop()
    // would ask the copy to stop.
    const HANDLE ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    qs::CWorkerThread worker;
    worker.Start([&](const qs::CWorkerThread::StopToken& stop) {
        qs::FolderCopyJob job;
        job.source = qs::FromWide(source.c_str());
        job.targetParent = qs::FromWide(target.c_str());
        job.lister = lister.get();
        job.makeFiles = [] { return qs::MakeCopyFiles(); };
        job.stopRequested = [&stop] { return stop.IsStopRequested(); };
        result = qs::CopyFolder(job, progress);
        ::SetEvent(ended);
    });
    ::WaitForSingleObject(ended, INFINITE);
    worker.Stop();
    ::CloseHandle(ended);
    if (result.copied != kFolders * kFilesPerFolder || result.failureCount != 0) {
        std::fprintf(stderr, "%llu of %llu: %s\n", static_cast<unsigned long long>(result.copied),
                     static_cast<unsigned long long>(result.total),
                     qs::Utf16ToUtf8(qs::FormatCopyReport(result)).c_str());
        Fail("the program's copy was not whole");
    }
    return std::wstring(qs::AsWide(result.folder));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        Fail("no stage folder given");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    const fs::path stage(qs::AsWide(qs::Utf8ToUtf16(argv[1])));
    const std::wstring source = (stage / L"source").wstring(),
                       targets = (stage / L"copies").wstring();
    std::printf("staging %d files of %lu bytes in %d folders...\n", kFolders * kFilesPerFolder,
                kFileSize, kFolders);
    fs::create_directories(stage / L"source");
    fs::create_directories(stage / L"copies");
    std::vector<char> bytes(kFileSize);
    std::vector<std::wstring> folders, files;  // relative to the source
    for (int f = 0; f < kFolders; ++f) {
        folders.push_back(Folder(f));
        ::CreateDirectoryW((source + L"\\" + folders.back()).c_str(), nullptr);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            files.push_back(folders.back() + L"\\file" + std::to_wstring(i) + L".bin");
            for (size_t b = 0; b < bytes.size(); b += 64)
                bytes[b] = static_cast<char>(f * 131 + i * 7 + b);
            const HANDLE file = ::CreateFileW((source + L"\\" + files.back()).c_str(),
                                              GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written = 0;
            if (file == INVALID_HANDLE_VALUE ||
                !::WriteFile(file, bytes.data(), kFileSize, &written, nullptr))
                Fail("the stage could not be written");
            ::CloseHandle(file);
        }
    }

    // The floor: the folders and files known beforehand, each file one CopyFileExW.
    const auto floor = [&] {
        const std::wstring copy = targets + L"\\floor";
        ::CreateDirectoryW(copy.c_str(), nullptr);
        for (const std::wstring& folder : folders)
            ::CreateDirectoryW((copy + L"\\" + folder).c_str(), nullptr);
        for (const std::wstring& file : files)
            if (!::CopyFileExW((source + L"\\" + file).c_str(), (copy + L"\\" + file).c_str(),
                               nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS))
                Fail("CopyFileExW failed");
        return copy;
    };

    // The never-partial floor: read into one buffer, write a temporary, set its time, rename.
    const auto bareNeverPartial = [&] {
        const std::wstring copy = targets + L"\\bare";
        ::CreateDirectoryW(copy.c_str(), nullptr);
        for (const std::wstring& folder : folders)
            ::CreateDirectoryW((copy + L"\\" + folder).c_str(), nullptr);
        for (const std::wstring& file : files) {
            const std::wstring to = copy + L"\\" + file;
            const std::wstring temporary = to.substr(0, to.rfind(L'\\') + 1) + L"qs-bare.tmp";
            const HANDLE in = ::CreateFileW((source + L"\\" + file).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            const HANDLE out =
                ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            DWORD read = 0, written = 0;
            FILETIME time = {1, 1};
            const bool copied = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE &&
                                ::ReadFile(in, bytes.data(), kFileSize, &read, nullptr) &&
                                ::WriteFile(out, bytes.data(), read, &written, nullptr) &&
                                ::SetFileTime(out, nullptr, nullptr, &time);
            ::CloseHandle(in);
            ::CloseHandle(out);
            if (!copied || !::MoveFileExW(temporary.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
                Fail("the never-partial floor failed");
        }
        return copy;
    };

    // Its memory first, before the floor's buffers raise the peak.
    const double peakBefore = PeakMiB();
    fs::remove_all(CopyByProgram(source, targets));
    const double growth = PeakMiB() - peakBefore;

    std::vector<double> ours, floors, bares;
    for (int run = 0; run < runs; ++run) {
        LONGLONG start = Now();
        const std::wstring copy = CopyByProgram(source, targets);
        ours.push_back(MillisecondsSince(start));
        fs::remove_all(copy);
        start = Now();
        const std::wstring bare = floor();
        floors.push_back(MillisecondsSince(start));
        fs::remove_all(bare);
        start = Now();
        const std::wstring neverPartial = bareNeverPartial();
        bares.push_back(MillisecondsSince(start));
        fs::remove_all(neverPartial);
    }
    std::printf("a folder of 2,000 files, 200 MB (%d runs each):\n", runs);
    const double ourMedian = Report("Save As on the folder", ours);
    const double floorMedian = Report("CopyFileExW loop", floors);
    const double ratio = ReportRatios("per-sample ratio", ours, floors);
    const double bareMedian = Report("bare never-partial loop", bares);
    const double bareRatio = ReportRatios("per-sample ratio to it", ours, bares);
    std::printf("  peak working set growth over a copy: %.1f MiB\n", growth);
    PrintTableLine("folder Save As, 2,000 files / 200 MB", ourMedian, "CopyFileExW loop",
                   floorMedian, "ms", "at most 1.2 x (median ratio)", ratio <= 1.2, ratio);
    PrintTableLine("  beside a bare loop of its never-partial steps", ourMedian,
                   "temporary, time, rename", bareMedian, "ms", "for the record", true, bareRatio);
    PrintTableLine("  its peak memory growth", growth, "limit", 16, "MiB", "under 16 MiB",
                   growth < 16);
    fs::remove_all(stage / L"copies");
    return ratio <= 1.2 && growth < 16 ? 0 : 1;
}
