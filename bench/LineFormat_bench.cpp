// Lines per second of FormatLine at 10 and 16 bytes per line, beside `xxd -c 10` formatting the
// same bytes in the same run. The xxd run goes first; the FormatLine runs report their speed as a
// multiple of it (counter "x_xxd").
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/TableLine.h"
#include "preview/LineFormat.h"

namespace {

constexpr std::size_t kDataSize = 32 << 20;

struct Data {
    std::string path;
    std::vector<std::uint8_t> bytes;

    Data() : bytes(kDataSize) {
        // Random bytes: every hex digit and both kinds of character column entries.
        std::mt19937_64 random(20261206);
        for (std::size_t i = 0; i < bytes.size(); i += 8) {
            const std::uint64_t value = random();
            for (int k = 0; k < 8; ++k) {
                bytes[i + k] = static_cast<std::uint8_t>(value >> (8 * k));
            }
        }
        char name[] = "/tmp/qs-lineformat-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) {
            close(fd);
            path = name;
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        }
    }
    ~Data() {
        if (!path.empty()) {
            unlink(path.c_str());
        }
    }
};

Data& GetData() {
    static Data data;
    return data;
}

void BM_Xxd_c10(benchmark::State& state) {
    Data& data = GetData();
    if (data.path.empty() || std::system("command -v xxd >/dev/null 2>&1") != 0) {
        state.SkipWithError("xxd is not installed (tools/ensure-packages xxd)");
        return;
    }
    const std::string command = "xxd -c 10 '" + data.path + "' >/dev/null";
    std::int64_t lines = 0;
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("xxd failed");
            return;
        }
        lines += static_cast<std::int64_t>((data.bytes.size() + 9) / 10);
    }
    state.SetItemsProcessed(lines);
    state.counters["lines_per_s"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}

void BM_FormatLine(benchmark::State& state) {
    const Data& data = GetData();
    const int n = static_cast<int>(state.range(0));
    const std::uint8_t* bytes = data.bytes.data();
    const std::size_t lineCount = data.bytes.size() / static_cast<std::size_t>(n);
    std::size_t line = 0;
    std::int64_t lines = 0;
    for (auto _ : state) {
        const std::uint32_t offset = static_cast<std::uint32_t>(line * n);
        std::u16string text = qs::FormatLine(bytes + offset, n, offset, n);
        benchmark::DoNotOptimize(text.data());
        if (++line == lineCount) {
            line = 0;
        }
        ++lines;
    }
    state.SetItemsProcessed(lines);
    state.counters["lines_per_s"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}

// Remembers the xxd speed and adds to each FormatLine run its speed as a multiple of it.
class XxdReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown = runs;
        for (Run& run : shown) {
            const auto speed = run.counters.find("lines_per_s");
            if (run.error_occurred || speed == run.counters.end()) {
                continue;
            }
            if (run.benchmark_name().rfind("BM_Xxd_c10", 0) == 0) {
                m_xxdLinesPerSecond = speed->second.value;
            } else if (m_xxdLinesPerSecond > 0) {
                const double ratio = speed->second.value / m_xxdLinesPerSecond;
                run.counters["x_xxd"] = ratio;
                if (run.benchmark_name() == "BM_FormatLine/10/real_time")
                    PrintTableLine("FormatLine, 10 bytes a line", speed->second.value / 1e6,
                                   "xxd -c 10", m_xxdLinesPerSecond / 1e6, "M lines/s",
                                   "at least 5 x xxd", ratio >= 5);
            }
        }
        ConsoleReporter::ReportRuns(shown);
    }

private:
    double m_xxdLinesPerSecond = 0;
};

BENCHMARK(BM_Xxd_c10)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FormatLine)->Arg(10)->Arg(16)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    XxdReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return GoalsExitCode();
}
