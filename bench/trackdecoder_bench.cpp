// Decoding one hour of telemetry (3600 sample lines) with every position inside China,
// so that each sample takes the region test and the GCJ-02 conversion.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "track/trackdecoder.h"

namespace {

std::vector<std::string> hourInsideChina()
{
    std::vector<std::string> lines;
    lines.reserve(3600);
    for (int i = 0; i < 3600; ++i) {
        char line[160];
        // A drive north-east out of Shenzhen, one sample a second.
        std::snprintf(line, sizeof line,
                      "%d 2019/11/28 %02d:%02d:%02d N:%.6f E:%.6f %.1f km/h x:%.2f y:%.2f z:%.2f", i, 8 + i / 3600,
                      (i / 60) % 60, i % 60, 22.543210 + i * 0.00012, 113.943210 + i * 0.00015, 40.0 + (i % 50) * 0.5,
                      (i % 7) * 0.01, -(i % 5) * 0.02, 9.81);
        lines.emplace_back(line);
    }
    return lines;
}

void BM_DecodeHourInsideChina(benchmark::State &state)
{
    const std::vector<std::string> lines = hourInsideChina();
    for (auto _ : state) {
        Track track = decodeGpsData(lines);
        benchmark::DoNotOptimize(track);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(lines.size()));
}
BENCHMARK(BM_DecodeHourInsideChina)->Unit(benchmark::kMillisecond);

// The same lines without the datum step: what parsing and sorting cost alone.
void BM_DecodeHourWithoutConversion(benchmark::State &state)
{
    const std::vector<std::string> lines = hourInsideChina();
    for (auto _ : state) {
        Track track = decodeGpsData(lines, TrackDatum::Wgs84);
        benchmark::DoNotOptimize(track);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(lines.size()));
}
BENCHMARK(BM_DecodeHourWithoutConversion)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
