// Copy as Hex of a 16 MiB selection, through the file's mapped views up to having the text (the
// clipboard left out), beside its floor in the same run: a bare loop that writes the same text
// from the bytes in memory, one table load and one 8-byte store a byte, into a buffer allocated
// before it is timed. Each copy's text is a new allocation, and so is each floor's buffer: both
// pay the first touch of memory fresh from the system. Goals: the copy's median time at most 1.5
// times the floor's; the copy's peak memory growth at most 2 times the text's size. Fails when a
// goal is missed.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/TableLine.h"
#include "platform/system/Text.h"
#include "preview/ByteSelection.h"
#include "preview/LineFormat.h"
#include "preview/MappedFile.h"

namespace {

constexpr std::uint64_t kSelection = qs::kMaxCopyBytes;
constexpr std::size_t kTextUnits = 3 * kSelection - 1;
constexpr int kRuns = 11;

double PeakResidentMiB() {
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The floor: the text of `bytes` into `out`, the last byte's field without its space.
void WriteHexFromMemory(const std::uint8_t* bytes, std::size_t count, char16_t* out) {
    for (std::size_t i = 0; i + 1 < count; ++i)
        std::memcpy(out + 3 * i, qs::kHexFields[bytes[i]].units, sizeof(qs::HexField));
    std::memcpy(out + 3 * (count - 1), qs::kHexFields[bytes[count - 1]].units,
                2 * sizeof(char16_t));
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void BM_CopyHexBesideTableLoop(benchmark::State& state) {
    std::vector<std::uint8_t> bytes(kSelection);
    std::mt19937_64 random(22);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string path = std::string(base) + "/qs-copyhex-bench-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(kSelection));
    qs::CMappedFile file;
    const bool opened = file.Open(qs::Utf8ToUtf16(path));
    unlink(path.c_str());
    if (!opened || file.GetSize() != kSelection) {
        state.SkipWithError("cannot make or open the 16 MiB file");
        return;
    }

    // The peak first, before the floor's buffers raise it; the text is checked against the floor's.
    const double peakBefore = PeakResidentMiB();
    bool same = false, met = true;
    {
        qs::CMappedFileSource source(file);
        std::u16string text;
        const bool copied = qs::FormatHexCopy(source, {0, kSelection}, text);
        const double growth = PeakResidentMiB() - peakBefore;
        std::unique_ptr<char16_t[]> floor(new char16_t[kTextUnits]);
        WriteHexFromMemory(bytes.data(), bytes.size(), floor.get());
        same = copied && text.size() == kTextUnits &&
               std::memcmp(text.data(), floor.get(), kTextUnits * sizeof(char16_t)) == 0;
        const double textMiB = kTextUnits * sizeof(char16_t) / 1048576.0;
        state.counters["peak_growth_MiB"] = growth;
        PrintTableLine("  Copy as Hex's peak memory growth", growth, "the text's size", textMiB,
                       "MiB", "at most 2 x the text", growth <= 2 * textMiB);
        met = growth <= 2 * textMiB;
    }
    if (!same) {
        state.SkipWithError("the copy failed or its text differs from the floor's");
        return;
    }

    using Clock = std::chrono::steady_clock;
    // For reference only (counter warm_floor_ms): the same loop into a buffer already touched,
    // which no copy can have, since its text is always new memory.
    std::unique_ptr<char16_t[]> warm(new char16_t[kTextUnits]);
    WriteHexFromMemory(bytes.data(), bytes.size(), warm.get());
    std::vector<double> floorMs, warmMs, copyMs;
    for (auto _ : state) {
        {
            const auto start = Clock::now();
            WriteHexFromMemory(bytes.data(), bytes.size(), warm.get());
            benchmark::DoNotOptimize(warm.get());
            benchmark::ClobberMemory();
            warmMs.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        {
            std::unique_ptr<char16_t[]> buffer(new char16_t[kTextUnits]);
            const auto start = Clock::now();
            WriteHexFromMemory(bytes.data(), bytes.size(), buffer.get());
            benchmark::DoNotOptimize(buffer.get());
            benchmark::ClobberMemory();
            floorMs.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::u16string text;
        const auto start = Clock::now();
        qs::CMappedFileSource source(file);
        const bool copied = qs::FormatHexCopy(source, {0, kSelection}, text);
        copyMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!copied) {
            state.SkipWithError("the copy failed");
            return;
        }
    }
    const double floor = Median(floorMs), copy = Median(copyMs);
    state.counters["floor_ms"] = floor;
    state.counters["warm_floor_ms"] = Median(warmMs);
    state.counters["copy_ms"] = copy;
    state.counters["time_x_floor"] = copy / floor;
    PrintTableLine("Copy as Hex of 16 MiB (median)", copy, "table loop from memory", floor, "ms",
                   "at most 1.5 x the loop", copy <= 1.5 * floor);
    if (!met || copy > 1.5 * floor)
        state.SkipWithError("a goal was missed (the rows above)");
}
BENCHMARK(BM_CopyHexBesideTableLoop)->Iterations(kRuns)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return GoalsExitCode();
}
