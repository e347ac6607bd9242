// The viewer's Find on a 500 MiB file warm in the page cache, natively: a forward search for an
// absent 16-byte pattern through CMappedFileSource (one fresh view per 4 MiB window), beside glibc
// memmem over one mapping of the whole file (mapped and unmapped each time, as the search maps
// its windows), taken in turns, medians of the rounds. Goals: case-sensitive at least 0.8 x
// memmem's speed, case-insensitive and UTF-16 at least 0.5 x; memory growth over a search, peak
// resident and mapped sampled between windows, under 8 MiB. A missed goal is an error.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // memmem, the floor only
#endif
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/TableLine.h"
#include "platform/system/Text.h"
#include "preview/ByteSearch.h"
#include "preview/MappedFile.h"

namespace {

constexpr std::size_t kFileSize = std::size_t{500} << 20;
constexpr int kRounds = 7;

// Random-ish: 4 KiB blocks in turn of random bytes, mostly zeros (as in executables) and random
// lower-case letters, so the skip loop meets pairs of the patterns' bytes now and then.
// With QS_SEARCH_FILE set, the file is made there and kept, for the viewer's Find under Wine to
// search the same bytes; its last 16 bytes are then kEndMark, which no search here looks for.
constexpr char kEndMark[] = "QuarrystoneEndsX";

struct StagedFile {
    std::string path;
    bool kept = std::getenv("QS_SEARCH_FILE") != nullptr;

    StagedFile() {
        char name[] = "/tmp/qs-bytesearch-XXXXXX";
        const int fd = kept ? open(std::getenv("QS_SEARCH_FILE"), O_RDWR | O_CREAT | O_TRUNC, 0644)
                            : mkstemp(name);
        if (fd < 0)
            return;
        path = kept ? std::getenv("QS_SEARCH_FILE") : name;
        std::vector<std::uint8_t> chunk(1 << 20);
        std::uint64_t state = 0x9E3779B97F4A7C15u;
        auto next = [&state] {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            return state;
        };
        for (std::size_t done = 0; done < kFileSize && !path.empty(); done += chunk.size()) {
            for (std::size_t i = 0; i < chunk.size(); ++i) {
                const std::uint64_t r = next();
                switch ((i >> 12) % 3) {
                    case 0:
                        chunk[i] = static_cast<std::uint8_t>(r >> 24);
                        break;
                    case 1:
                        chunk[i] = (r & 15) == 0 ? static_cast<std::uint8_t>(r >> 24) : 0;
                        break;
                    default:
                        chunk[i] = static_cast<std::uint8_t>('a' + (r >> 24) % 26);
                        break;
                }
            }
            if (kept && done + chunk.size() >= kFileSize)
                std::copy_n(kEndMark, 16, chunk.end() - 16);
            if (write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size()))
                path.clear();
        }
        close(fd);
        if (path.empty() && !kept)
            unlink(name);
    }
    ~StagedFile() {
        if (!path.empty() && !kept)
            unlink(path.c_str());
    }
};

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Resident and mapped bytes of the process (/proc/self/statm: size, resident, in pages).
void ReadMemory(std::uint64_t* mapped, std::uint64_t* resident) {
    unsigned long pages = 0, residentPages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu %lu", &pages, &residentPages) != 2)
            pages = residentPages = 0;
        std::fclose(statm);
    }
    const auto page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    *mapped = pages * page;
    *resident = residentPages * page;
}

// The floor: the whole file mapped at once and searched by memmem. True when it is absent.
bool MemmemIsAbsent(const std::string& path, const std::vector<std::uint8_t>& needle) {
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    void* base = mmap(nullptr, kFileSize, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (base == MAP_FAILED)
        return false;
    const void* found = memmem(base, kFileSize, needle.data(), needle.size());
    benchmark::DoNotOptimize(found);
    munmap(base, kFileSize);
    return found == nullptr;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void BM_FindBesideMemmem(benchmark::State& state) {
    StagedFile staged;
    qs::CMappedFile file;
    if (staged.path.empty() || !file.Open(qs::Utf8ToUtf16(staged.path)) ||
        file.GetSize() != kFileSize) {
        state.SkipWithError("cannot make or open the 500 MiB file");
        return;
    }
    qs::CMappedFileSource source(file);
    // Patterns of letters: ignoring case, their pairs are the likeliest to meet the letter blocks.
    struct Search {
        const char* figure;
        const char* counter;
        qs::SearchPattern pattern;
        double goal;
        std::vector<double> seconds;
    } searches[] = {{"Find, case-sensitive, 500 MiB",
                     "exact_GBps",
                     qs::ParsePattern(u"QuarrystoneFinds", qs::SearchKind::Text, true).pattern,
                     0.8,
                     {}},
                    {"Find, ignoring case",
                     "nocase_GBps",
                     qs::ParsePattern(u"QuarrystoneFinds", qs::SearchKind::Text, false).pattern,
                     0.5,
                     {}},
                    {"Find, UTF-16, ignoring case",
                     "utf16_GBps",
                     qs::ParsePattern(u"BootMgrs", qs::SearchKind::Utf16, false).pattern,
                     0.5,
                     {}}};
    const std::vector<std::uint8_t>& needle = searches[0].pattern.bytes;
    std::vector<double> floorSeconds;
    std::uint64_t mappedBefore = 0, residentBefore = 0, mappedPeak = 0, residentPeak = 0;
    const qs::SearchProgress sample = [&](std::uint64_t, std::uint64_t) {
        std::uint64_t mapped = 0, resident = 0;
        ReadMemory(&mapped, &resident);
        mappedPeak = std::max(mappedPeak, mapped);
        residentPeak = std::max(residentPeak, resident);
        return true;
    };
    // Round 0 warms the page cache and is not counted. The memory is measured in the last round,
    // from a file just reopened, so that no view of an earlier search is in the baseline.
    auto runRounds = [&]() -> const char* {
        for (int round = 0; round <= kRounds; ++round) {
            Clock::time_point start = Clock::now();
            if (!MemmemIsAbsent(staged.path, needle))
                return "memmem failed or found the pattern";
            if (round > 0)
                floorSeconds.push_back(SecondsSince(start));
            for (Search& search : searches) {
                const bool measureMemory = &search == &searches[0] && round == kRounds;
                if (measureMemory) {
                    file.Open(qs::Utf8ToUtf16(staged.path));
                    ReadMemory(&mappedBefore, &residentBefore);
                }
                start = Clock::now();
                const qs::SearchResult result =
                    qs::FindForward(source, search.pattern, 0, measureMemory ? sample : nullptr);
                if (round > 0)
                    search.seconds.push_back(SecondsSince(start));
                if (result.outcome != qs::SearchOutcome::NotFound)
                    return "the search failed or found the absent pattern";
            }
        }
        return nullptr;
    };
    for (auto _ : state) {
        if (const char* error = runRounds()) {
            state.SkipWithError(error);
            return;
        }
    }
    const double floorSpeed = kFileSize / Median(floorSeconds) / 1e9;
    state.counters["memmem_GBps"] = floorSpeed;
    bool met = true;
    for (const Search& search : searches) {
        const double speed = kFileSize / Median(search.seconds) / 1e9;
        const bool ok = speed >= search.goal * floorSpeed;
        met = met && ok;
        state.counters[search.counter] = speed;
        PrintTableLine(search.figure, speed, "memmem, one mapping", floorSpeed, "GB/s",
                       search.goal == 0.8 ? "at least 0.8 x memmem" : "at least 0.5 x memmem", ok);
    }
    const double growthMiB =
        static_cast<double>(std::max(mappedPeak - std::min(mappedPeak, mappedBefore),
                                     residentPeak - std::min(residentPeak, residentBefore))) /
        (1 << 20);
    state.counters["memory_growth_MiB"] = growthMiB;
    PrintTableLine("  its memory growth (resident or mapped)", growthMiB, "limit", 8, "MiB",
                   "under 8 MiB", growthMiB < 8);
    if (!met || growthMiB >= 8)
        state.SkipWithError("a search goal was missed (see the table rows)");

    // The peer of the viewer's Find under Wine: the core finding the end mark, a whole file's
    // search, written in ms to QS_SEARCH_PEER.
    if (const char* peer = staged.kept ? std::getenv("QS_SEARCH_PEER") : nullptr) {
        const qs::SearchPattern mark =
            qs::ParsePattern(qs::Utf8ToUtf16(kEndMark), qs::SearchKind::Text, true).pattern;
        std::vector<double> seconds;
        for (int round = 0; round < kRounds; ++round) {
            const Clock::time_point start = Clock::now();
            const qs::SearchResult found = qs::FindForward(source, mark, 0, nullptr);
            seconds.push_back(SecondsSince(start));
            if (found.outcome != qs::SearchOutcome::Found || found.offset != kFileSize - 16)
                state.SkipWithError("the end mark was not found at the end");
        }
        if (FILE* out = std::fopen(peer, "w")) {
            std::fprintf(out, "%.3f\n", 1000 * Median(seconds));
            std::fclose(out);
        }
    }
}
BENCHMARK(BM_FindBesideMemmem)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return GoalsExitCode();
}
