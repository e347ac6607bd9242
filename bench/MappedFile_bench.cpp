// The preview's paint path on a 4 GiB sparse file, natively:
// - BM_PageOfLines: one page of 60 lines (GetBytes + FormatLine per line) at random offsets,
//   beside BM_BareMmapLoop, one bare mmap + read + munmap per line at the same kind of offsets.
//   Both report the median and 90th percentile of a page (counters median_ms, p90_ms).
//   BM_PageBesideBareLoop takes turns between the two, for a ratio that a busy machine skews less.
// - BM_PageThroughWholeFile: pages of 60 lines drawn at every MiB from the start to the end of
//   the file, with the resident memory growth over the file merely being open, and the counts
//   of views mapped and unmapped (all must be unmapped after Close).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/TableLine.h"
#include "platform/system/FileMapping.h"
#include "platform/system/Text.h"
#include "preview/LineFormat.h"
#include "preview/MappedFile.h"

namespace {

constexpr std::uint64_t kFileSize = std::uint64_t{1} << 32;
constexpr int kBytesPerLine = 10;
constexpr std::uint64_t kLinesPerPage = 60;

struct SparseFile {
    std::string path;

    SparseFile() {
        char name[] = "/tmp/qs-mappedfile-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) {
            return;
        }
        // A hole reads as zeros; a few bytes of text make the dump less uniform.
        if (ftruncate(fd, static_cast<off_t>(kFileSize)) == 0 &&
            pwrite(fd, "Quarrystone", 11, static_cast<off_t>(kFileSize / 2)) == 11) {
            path = name;
        } else {
            unlink(name);
        }
        close(fd);
    }
    ~SparseFile() {
        if (!path.empty()) {
            unlink(path.c_str());
        }
    }
};

const SparseFile& GetFile() {
    static SparseFile file;
    return file;
}

std::uint64_t ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return static_cast<std::uint64_t>(resident) * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

// What the preview control does for each visible line.
std::size_t DrawPage(qs::CMappedFile& file, std::uint64_t firstLine) {
    const std::uint64_t size = file.GetSize();
    const std::uint64_t lines = qs::GetLineCount(size, kBytesPerLine);
    const std::uint64_t end = std::min(firstLine + kLinesPerPage, lines);
    std::size_t chars = 0;
    for (std::uint64_t line = firstLine; line < end; ++line) {
        const auto offset = static_cast<std::uint32_t>(line * kBytesPerLine);
        const auto count = static_cast<int>(std::min<std::uint64_t>(size - offset, kBytesPerLine));
        const std::uint8_t* bytes = file.GetBytes(offset, static_cast<std::uint32_t>(count));
        const std::u16string text = qs::FormatLine(bytes, bytes ? count : 0, offset, kBytesPerLine);
        benchmark::DoNotOptimize(text.data());
        chars += text.size();
    }
    return chars;
}

void ReportPageTimes(benchmark::State& state, std::vector<double>& pageMs) {
    if (pageMs.empty()) {
        return;
    }
    std::sort(pageMs.begin(), pageMs.end());
    state.counters["median_ms"] = pageMs[pageMs.size() / 2];
    state.counters["p90_ms"] = pageMs[pageMs.size() * 9 / 10];
}

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_PageOfLines(benchmark::State& state) {
    const SparseFile& sparse = GetFile();
    qs::CMappedFile file;
    if (sparse.path.empty() || !file.Open(qs::Utf8ToUtf16(sparse.path))) {
        state.SkipWithError("cannot make or open the 4 GiB sparse file");
        return;
    }
    const std::uint64_t lines = qs::GetLineCount(file.GetSize(), kBytesPerLine);
    std::mt19937_64 random(1);
    std::uniform_int_distribution<std::uint64_t> pick(0, lines - kLinesPerPage);
    std::vector<double> pageMs;
    for (auto _ : state) {
        const std::uint64_t first = pick(random);
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(DrawPage(file, first));
        pageMs.push_back(MillisecondsSince(start));
    }
    ReportPageTimes(state, pageMs);
}

// The peer: one bare mmap + read + munmap per line, page-aligned, no formatting. False when a
// mapping fails.
bool ReadBarePage(int fd, std::uint64_t firstLine) {
    const std::uint64_t page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    unsigned sum = 0;
    for (std::uint64_t line = firstLine; line < firstLine + kLinesPerPage; ++line) {
        const std::uint64_t offset = line * kBytesPerLine;
        const std::uint64_t start = offset - offset % page;
        const std::size_t size = static_cast<std::size_t>(offset - start + kBytesPerLine);
        void* view = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, static_cast<off_t>(start));
        if (view == MAP_FAILED) {
            return false;
        }
        const auto* bytes = static_cast<const std::uint8_t*>(view) + (offset - start);
        for (int k = 0; k < kBytesPerLine; ++k) {
            sum += bytes[k];
        }
        munmap(view, size);
    }
    benchmark::DoNotOptimize(sum);
    return true;
}

void BM_BareMmapLoop(benchmark::State& state) {
    const SparseFile& sparse = GetFile();
    const int fd = sparse.path.empty() ? -1 : open(sparse.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        state.SkipWithError("cannot make or open the 4 GiB sparse file");
        return;
    }
    std::mt19937_64 random(2);
    std::uniform_int_distribution<std::uint64_t> pick(0, kFileSize / kBytesPerLine - kLinesPerPage);
    std::vector<double> pageMs;
    for (auto _ : state) {
        const std::uint64_t first = pick(random);
        const Clock::time_point start = Clock::now();
        if (!ReadBarePage(fd, first)) {
            state.SkipWithError("mmap failed");
            break;
        }
        pageMs.push_back(MillisecondsSince(start));
    }
    close(fd);
    ReportPageTimes(state, pageMs);
}

// Both, page by page in turn at fresh random offsets, so that a busy machine slows both alike:
// the medians of each and their ratio (goal: at most 1.2).
// The medians of the last (longest) run of BM_PageBesideBareLoop, for the closing table: the
// library calls a benchmark several times while it settles on an iteration count.
struct {
    double page = 0, bare = 0;
} g_lastPageBesideBare;

void BM_PageBesideBareLoop(benchmark::State& state) {
    const SparseFile& sparse = GetFile();
    qs::CMappedFile file;
    const int fd = sparse.path.empty() ? -1 : open(sparse.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.Open(qs::Utf8ToUtf16(sparse.path))) {
        state.SkipWithError("cannot make or open the 4 GiB sparse file");
        if (fd >= 0) {
            close(fd);
        }
        return;
    }
    std::mt19937_64 random(3);
    std::uniform_int_distribution<std::uint64_t> pick(0, kFileSize / kBytesPerLine - kLinesPerPage);
    std::vector<double> pageMs;
    std::vector<double> bareMs;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(DrawPage(file, pick(random)));
        pageMs.push_back(MillisecondsSince(start));
        start = Clock::now();
        if (!ReadBarePage(fd, pick(random))) {
            state.SkipWithError("mmap failed");
            break;
        }
        bareMs.push_back(MillisecondsSince(start));
    }
    close(fd);
    if (pageMs.empty() || bareMs.empty()) {
        return;
    }
    std::sort(pageMs.begin(), pageMs.end());
    std::sort(bareMs.begin(), bareMs.end());
    const double page = pageMs[pageMs.size() / 2];
    const double bare = bareMs[bareMs.size() / 2];
    state.counters["median_ms"] = page;
    state.counters["bare_median_ms"] = bare;
    state.counters["x_bare"] = page / bare;
    g_lastPageBesideBare = {page, bare};
}

void BM_PageThroughWholeFile(benchmark::State& state) {
    const SparseFile& sparse = GetFile();
    for (auto _ : state) {
        const qs::mapping::Counters before = qs::mapping::GetCounters();
        qs::CMappedFile file;
        if (sparse.path.empty() || !file.Open(qs::Utf8ToUtf16(sparse.path))) {
            state.SkipWithError("cannot make or open the 4 GiB sparse file");
            return;
        }
        const std::uint64_t lines = qs::GetLineCount(file.GetSize(), kBytesPerLine);
        const std::uint64_t stride = (std::uint64_t{1} << 20) / kBytesPerLine;  // about a MiB
        // The process with the file open and nothing drawn is the baseline.
        const std::uint64_t baseline = ResidentBytes();
        std::uint64_t peak = baseline;
        std::uint64_t pages = 0;
        for (std::uint64_t first = 0; first < lines; first += stride) {
            DrawPage(file, first);
            ++pages;
            if (pages % 64 == 0) {
                peak = std::max(peak, ResidentBytes());
            }
        }
        DrawPage(file, lines - kLinesPerPage);  // the very end: last line ends at 4 GiB
        ++pages;
        peak = std::max(peak, ResidentBytes());
        const std::uint64_t after = ResidentBytes();
        file.Close();
        const qs::mapping::Counters done = qs::mapping::GetCounters();

        const double kib = 1024.0;
        state.counters["pages"] = static_cast<double>(pages);
        state.counters["rss_peak_growth_KiB"] = static_cast<double>(peak - baseline) / kib;
        state.counters["rss_end_growth_KiB"] =
            static_cast<double>(after > baseline ? after - baseline : 0) / kib;
        state.counters["maps"] = static_cast<double>(done.viewsMapped - before.viewsMapped);
        state.counters["unmaps"] = static_cast<double>(done.viewsUnmapped - before.viewsUnmapped);
        state.counters["mapped_GiB"] =
            static_cast<double>(done.bytesMapped - before.bytesMapped) / (kib * kib * kib);
        state.counters["open_mappings"] =
            static_cast<double>((done.mappingsCreated - before.mappingsCreated) -
                                (done.mappingsClosed - before.mappingsClosed));
    }
}

BENCHMARK(BM_PageOfLines)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_BareMmapLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_PageBesideBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(4.0);
BENCHMARK(BM_PageThroughWholeFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto& last = g_lastPageBesideBare;
    if (last.bare > 0)
        PrintTableLine("a page of 60 lines (view + format)", last.page, "bare map loop", last.bare,
                       "ms", "at most 1.2 x the bare loop", last.page <= 1.2 * last.bare);
    return GoalsExitCode();
}
