// Save As's copy as the program makes it, through its Win32 files, of a 500 MiB file under Wine,
// beside the system's own CopyFileExW copying the same file in the same run, each right after the
// other (goal: the median of the per-copy ratios at most 1.2). Every copy is checked against its
// source. Usage: SaveCopy_winbench [folder]   (the temporary folder when none is given)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/TableLine.h"
#include "bench/WinBench.h"
#include "commands/SaveCopy.h"
#include "platform/system/WideText.h"

namespace {

constexpr DWORD kChunk = 1 << 20;
constexpr int kChunks = 500;
constexpr int kSamples = 11;

// Every byte written, none alike from one MiB to the next: no hole for either copy to skip.
bool MakeSource(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<unsigned char> chunk(kChunk);
    bool ok = true;
    for (int c = 0; ok && c < kChunks; ++c) {
        for (DWORD i = 0; i < kChunk; ++i)
            chunk[i] = static_cast<unsigned char>(i * 7 + c + (i >> 12));
        DWORD written = 0;
        ok = ::WriteFile(file, chunk.data(), kChunk, &written, nullptr) && written == kChunk;
    }
    return ::CloseHandle(file) && ok;
}

bool SameBytes(const std::wstring& a, const std::wstring& b) {
    const HANDLE files[] = {
        ::CreateFileW(a.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
        ::CreateFileW(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                      nullptr)};
    std::vector<unsigned char> left(kChunk), right(kChunk);
    bool same = files[0] != INVALID_HANDLE_VALUE && files[1] != INVALID_HANDLE_VALUE;
    for (DWORD gotLeft = kChunk, gotRight = 0; same && gotLeft == kChunk;) {
        same = ::ReadFile(files[0], left.data(), kChunk, &gotLeft, nullptr) &&
               ::ReadFile(files[1], right.data(), kChunk, &gotRight, nullptr) &&
               gotLeft == gotRight && std::memcmp(left.data(), right.data(), gotLeft) == 0;
    }
    for (const HANDLE file : files)
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
    return same;
}

const char* Measure(const std::wstring& source, const std::wstring& saved,
                    const std::wstring& copied) {
    if (!MakeSource(source))
        return "cannot make the 500 MiB source file";
    if (TimeCopyFileExW(source, copied) < 0)  // also brings the source into memory for both
        return "CopyFileExW failed";
    std::vector<double> ours, floors;
    for (int i = 0; i < kSamples; ++i) {
        const LONGLONG start = Now();
        const qs::SaveCopyOutcome outcome = qs::SaveCopy(
            *qs::MakeCopyFiles(), qs::FromWide(source.c_str()), qs::FromWide(saved.c_str()));
        ours.push_back(MillisecondsSince(start));
        floors.push_back(TimeCopyFileExW(source, copied));
        if (outcome != qs::SaveCopyOutcome::Copied || floors.back() < 0)
            return "a copy failed";
    }
    if (!SameBytes(source, saved) || !SameBytes(source, copied))
        return "a copy differs from its source";
    std::printf("Save As of 500 MiB under Wine, %d copies each, in turns:\n", kSamples);
    const double median = Report("Save As (the program's Win32 files)", ours);
    const double floor = Report("CopyFileExW", floors);
    const double ratio = ReportRatios("Save As / CopyFileExW", ours, floors);
    PrintTableLine("Save As of 500 MiB, under Wine", median, "CopyFileExW, same file", floor, "ms",
                   "median ratio at most 1.2", ratio <= 1.2, ratio);
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    std::wstring folder;
    if (argc > 1) {
        const std::string narrow = argv[1];
        folder.assign(narrow.begin(), narrow.end());
    } else {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        folder = temp;
    }
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    const std::wstring base =
        folder + L"qs-savecopy-winbench-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring source = base + L".bin", saved = base + L"-saved.bin",
                       copied = base + L"-copied.bin";
    const char* error = Measure(source, saved, copied);
    for (const std::wstring* path : {&source, &saved, &copied})
        ::DeleteFileW(path->c_str());
    if (error != nullptr) {
        std::fprintf(stderr, "save copy benchmark failed: %s\n", error);
        return 1;
    }
    return GoalsExitCode();
}
