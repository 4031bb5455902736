// In-process decode times of the telemetry library (no process start-up, no printing).
// The large inputs come from bench/make-telemetry-inputs.py; missing ones are reported as skipped.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "telemetry/kalgpsapi.h"

namespace {

const std::string kRoot = TRAVA_SOURCE_DIR;

void decode(benchmark::State& state, const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        state.SkipWithError(("missing " + path + ": run bench/make-telemetry-inputs.py").c_str());
        return;
    }
    int samples = 0;
    for (auto _ : state) {
        kalGpsInit();
        char* text = nullptr;
        samples = kalGpsDecode(&text, path.c_str(), 0);
        benchmark::DoNotOptimize(text);
        std::free(text);
        kalGpsExit();
    }
    state.counters["samples"] = samples;
    state.SetBytesProcessed(int64_t(state.iterations()) * st.st_size);
}

void BM_DecodeDemoDrive(benchmark::State& state)
{
    decode(state, kRoot + "/resources/demo/demo-drive.mp4");
}
void BM_DecodeTs1GiB(benchmark::State& state)
{
    decode(state, kRoot + "/bench/out/drive-1h.ts");
}
void BM_DecodeMp4SkipAtom2GiB(benchmark::State& state)
{
    decode(state, kRoot + "/bench/out/drive-2g-skip.mp4");
}
void BM_DecodeMp4RecordTable2GiB(benchmark::State& state)
{
    decode(state, kRoot + "/bench/out/drive-2g-table.mp4");
}

} // namespace

BENCHMARK(BM_DecodeDemoDrive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTs1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DecodeMp4SkipAtom2GiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeMp4RecordTable2GiB)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
