// Route map timings with a one-hour track (3600 samples): taking the track, one
// playback tick, and a tick with the repaint it causes.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>

#include "instruments/map/gpsmapview.h"

namespace {
Track oneHourTrack()
{
    auto v = std::make_shared<std::vector<GPSItem>>();
    v->reserve(3600);
    for (int i = 0; i < 3600; ++i) {
        const double a = i * 0.002;
        char lat[32], lon[32];
        std::snprintf(lat, sizeof lat, "%.6f", 48.137 + 0.03 * std::sin(a) + i * 0.00001);
        std::snprintf(lon, sizeof lon, "%.6f", 11.575 + 0.05 * std::cos(a * 1.3));
        v->emplace_back("2024/05/04 10:00:00", lon, lat, "48.5", 0.01, -0.02, 0.98);
    }
    return v;
}

void BM_MapSetGpsData(benchmark::State &state)
{
    const Track track = oneHourTrack();
    GpsMapView view;
    view.resize(420, 300);
    for (auto _ : state)
        view.setGpsData(track);
}
BENCHMARK(BM_MapSetGpsData)->Unit(benchmark::kMillisecond);

// Ticks through the hour without tiles, optionally painting the view after each one. Every
// tick lands in a new second, so each one recentres and moves the marker.
void runTicks(benchmark::State &state, bool repaint)
{
    const Track track = oneHourTrack();
    GpsMapView view;
    view.resize(420, 300);
    view.setTileSource(nullptr);
    view.setGpsData(track);
    double t = 1.0;
    for (auto _ : state) {
        view.setCurrentPlayerTime(t);
        if (repaint)
            benchmark::DoNotOptimize(view.grab());
        t = t >= 3598 ? 1.0 : t + 1.0;
    }
}

void BM_MapTick(benchmark::State &state) { runTicks(state, false); }
BENCHMARK(BM_MapTick)->Unit(benchmark::kMicrosecond);

void BM_MapTickAndRepaint(benchmark::State &state) { runTicks(state, true); }
BENCHMARK(BM_MapTickAndRepaint)->Unit(benchmark::kMillisecond);

void BM_MapClickHitTest(benchmark::State &state)
{
    GpsMapView view;
    view.resize(420, 300);
    view.setGpsData(oneHourTrack());
    view.setCurrentPlayerTime(1800.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(view.routePointAt(QPointF(210, 150)));
}
BENCHMARK(BM_MapClickHitTest)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
