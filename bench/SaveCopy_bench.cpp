// The copy's portable loop through its POSIX files (the tests' stand-in for the Win32 half that the
// program copies with) on a 500 MiB file, beside `cp` copying the same file in the same run (the
// source warm in memory for both). Counters: each one's speed, the ratio of their times and the
// growth of the process's peak resident memory over the copies (goal: under 16 MiB). The time is
// for the record only: coreutils' cp copies inside the kernel (copy_file_range) where the loop
// goes through a 1 MiB buffer; Save As's speed goal is held under Wine, beside CopyFileExW.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/TableLine.h"
#include "commands/SaveCopy.h"
#include "platform/system/Text.h"

namespace {

constexpr std::size_t kFileSize = std::size_t{500} << 20;

double PeakResidentMiB() {
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Written a chunk at a time, so that making it does not raise the peak that the copy is held to.
bool MakeSource(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    for (std::size_t done = 0; done < kFileSize; done += chunk.size()) {
        for (std::size_t i = 0; i < chunk.size(); i += 512)
            chunk[i] = static_cast<char>(done / chunk.size() + i);
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    return static_cast<bool>(out);
}

void BM_SaveCopyBesideCp(benchmark::State& state) {
    // In memory where there is a tmpfs: the copy's own cost, not the disk's writeback, which
    // varies from one run to the next by more than the difference between the two.
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string folder = std::string(base) + "/qs-savecopy-bench-" + std::to_string(getpid());
    const std::string source = folder + "/source", byCp = folder + "/cp", byUs = folder + "/copy";
    if (std::system(("mkdir -p " + folder).c_str()) != 0 || !MakeSource(source)) {
        state.SkipWithError("cannot make the 500 MiB source file");
        return;
    }
    const std::string cp = "cp " + source + " " + byCp;
    if (std::system(cp.c_str()) != 0) {  // also warms the page cache for both
        state.SkipWithError("cp failed");
        return;
    }
    using Clock = std::chrono::steady_clock;
    double cpSeconds = 0, ourSeconds = 0;
    const double peakBefore = PeakResidentMiB();
    for (auto _ : state) {
        const auto start = Clock::now();
        const int cpStatus = std::system(cp.c_str());
        const auto middle = Clock::now();
        const auto outcome =
            qs::SaveCopy(*qs::MakeCopyFiles(), qs::Utf8ToUtf16(source), qs::Utf8ToUtf16(byUs));
        const auto end = Clock::now();
        if (cpStatus != 0 || outcome != qs::SaveCopyOutcome::Copied ||
            std::system(("cmp -s " + source + " " + byUs).c_str()) != 0) {
            state.SkipWithError("a copy failed or differs from its source");
            break;
        }
        cpSeconds += std::chrono::duration<double>(middle - start).count();
        ourSeconds += std::chrono::duration<double>(end - middle).count();
    }
    const double growth = PeakResidentMiB() - peakBefore;
    std::system(("rm -rf " + folder).c_str());
    const double bytes = static_cast<double>(kFileSize) * static_cast<double>(state.iterations());
    state.counters["cp_GBps"] = bytes / cpSeconds / 1e9;
    state.counters["SaveCopy_GBps"] = bytes / ourSeconds / 1e9;
    state.counters["time_x_cp"] = ourSeconds / cpSeconds;
    state.counters["peak_growth_MiB"] = growth;
    PrintTableLine("Save As's loop, POSIX files, 500 MiB", ourSeconds / state.iterations(), "cp",
                   cpSeconds / state.iterations(), "s",
                   "for the record (cp copies inside the kernel)", true);
    PrintTableLine("  its peak memory growth", growth, "limit", 16, "MiB", "under 16 MiB",
                   growth < 16);
}
BENCHMARK(BM_SaveCopyBesideCp)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return GoalsExitCode();
}
