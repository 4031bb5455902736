// Route map timings with a one-hour track (3600 samples): taking the track, one
// playback tick, and a tick with the repaint it causes.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

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
// A day on one card: 1,000 one-minute parts (60,000 samples). `drive`: one long drive, the
// parts one after the other; otherwise every part the same minute (a car parked, a loop
// driven again and again), the worst a view can be asked to draw.
std::vector<Track> dayOfParts(bool drive)
{
    std::vector<Track> parts;
    for (int p = 0; p < 1000; ++p) {
        auto v = std::make_shared<std::vector<GPSItem>>();
        for (int i = 0; i < 60; ++i) {
            const int k = drive ? p * 60 + i : i;
            const double a = k * 0.002;
            char lat[32], lon[32];
            std::snprintf(lat, sizeof lat, "%.6f", 48.137 + 0.03 * std::sin(a) + k * 0.00001);
            std::snprintf(lon, sizeof lon, "%.6f", 11.575 + 0.05 * std::cos(a * 1.3));
            v->emplace_back("2024/05/04 10:00:00", lon, lat, "48.5", 0.01, -0.02, 0.98);
        }
        parts.push_back(std::move(v));
    }
    return parts;
}

// Handing the day's trip to the map: what the window's thread spends (the projection
// itself runs on the map's worker).
void BM_MapSetTripContextDay(benchmark::State &state)
{
    const std::vector<Track> parts = dayOfParts(true);
    GpsMapView view;
    view.resize(420, 300);
    for (auto _ : state) {
        view.setTripContext(parts);
        state.PauseTiming();
        view.waitForTrip();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MapSetTripContextDay)->Unit(benchmark::kMillisecond);

// One paint with the day's trip beneath the part on display: at street level (the playing
// view) and with the whole trip in view. Arg 1: one drive; 0: every part the same minute.
void paintDay(benchmark::State &state, bool street)
{
    const std::vector<Track> parts = dayOfParts(state.range(0) != 0);
    GpsMapView view;
    view.resize(420, 300);
    view.setTileSource(nullptr);
    view.setTripContext(parts);
    view.waitForTrip();
    view.setGpsData(parts[500]);
    if (street)
        view.setCurrentPlayerTime(30.0);
    else
        view.setCenter(QGeoCoordinate(48.16, 11.575), 9);
    for (auto _ : state)
        benchmark::DoNotOptimize(view.grab());
}
void BM_MapPaintDayStreet(benchmark::State &state) { paintDay(state, true); }
BENCHMARK(BM_MapPaintDayStreet)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
void BM_MapPaintDayWhole(benchmark::State &state) { paintDay(state, false); }
BENCHMARK(BM_MapPaintDayWhole)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
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
