// The instruments against a one-hour track: a playback tick through the speed dial, the
// compass and the G-sensor panel, a full repaint of the waveform, taking a new track, and
// the dashboard as a clip would burn it in: one 1920 x 200 band per second of content.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "instruments/compassview.h"
#include "instruments/dashboardrenderer.h"
#include "drivetrack.h"
#include "instruments/gsensorstateview.h"
#include "instruments/hearbitview.h"
#include "instruments/speedview.h"
#include "instruments/timelineview.h"

namespace {
const Track &hourTrack()
{
    static const Track track = makeDriveTrack(3600);
    return track;
}

struct Gauges {
    SpeedView speed;
    CompassView compass;
    GsensorStateView gsensor;
    Gauges()
    {
        speed.resize(232, 212);
        compass.resize(232, 212);
        gsensor.resize(330, 190);
        speed.show();
        compass.show();
        gsensor.show();
        QCoreApplication::processEvents();
    }
};
} // namespace

// Every tick lands in a new second, so each one does the full work of showing a sample.
static void BM_InstrumentsTick(benchmark::State &state)
{
    Gauges g;
    g.speed.setGpsData(hourTrack());
    g.compass.setGpsData(hourTrack());
    g.gsensor.setGpsData(hourTrack());
    int second = 0;
    for (auto _ : state) {
        const double t = second + 0.5;
        g.speed.setCurrentPlayerTime(t);
        g.compass.setCurrentPlayerTime(t);
        g.gsensor.setCurrentPlayerTime(t);
        second = (second + 7) % 3600;
    }
}
BENCHMARK(BM_InstrumentsTick)->Unit(benchmark::kMicrosecond);

// The waveform drawn from scratch: the curves of 3 x 3600 points are stroked again
// (a width change invalidates them) and the whole view is painted.
static void BM_GsensorFullRepaint(benchmark::State &state)
{
    Gauges g;
    g.gsensor.setGpsData(hourTrack());
    HearBitView *wave = g.gsensor.heartBitView();
    QImage target(QSize(302, 146), QImage::Format_ARGB32_Premultiplied);
    bool wide = false;
    for (auto _ : state) {
        wave->resize(wide ? 300 : 301, 146);
        wide = !wide;
        target.fill(Qt::transparent);
        wave->render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    }
}
BENCHMARK(BM_GsensorFullRepaint)->Unit(benchmark::kMicrosecond);

// What a cursor move repaints: the cached curves.
static void BM_GsensorCachedRepaint(benchmark::State &state)
{
    Gauges g;
    g.gsensor.setGpsData(hourTrack());
    HearBitView *wave = g.gsensor.heartBitView();
    QImage target(wave->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        target.fill(Qt::transparent);
        wave->render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    }
}
BENCHMARK(BM_GsensorCachedRepaint)->Unit(benchmark::kMicrosecond);

// Per tick, the timeline under the picture against the G-sensor panel: the tick moves the
// cursor to a new second and the widget repaints what the tick invalidated (both over
// the whole hour, the timeline 560 x 64 as at the default window).
static void BM_GsensorTickRepaint(benchmark::State &state)
{
    Gauges g;
    g.gsensor.setGpsData(hourTrack());
    QImage target(g.gsensor.size(), QImage::Format_ARGB32_Premultiplied);
    int second = 0;
    for (auto _ : state) {
        g.gsensor.setCurrentPlayerTime(second + 0.5);
        g.gsensor.render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
        second = (second + 7) % 3600;
    }
}
BENCHMARK(BM_GsensorTickRepaint)->Unit(benchmark::kMicrosecond);

static void BM_TimelineTickRepaint(benchmark::State &state)
{
    TimelineView timeline;
    timeline.resize(560, 64);
    timeline.show();
    timeline.setTrack(hourTrack());
    timeline.setEvents(0, detectHarshEvents(hourTrack()));
    QImage target(timeline.size(), QImage::Format_ARGB32_Premultiplied);
    timeline.render(&target); // the curves' cache, as on screen before the first tick
    int second = 0;
    for (auto _ : state) {
        timeline.setTime(second + 0.5, 3600);
        timeline.render(&target);
        second = (second + 7) % 3600;
    }
}
BENCHMARK(BM_TimelineTickRepaint)->Unit(benchmark::kMicrosecond);

// The timeline drawn from scratch (a zoom or a new track): curves of the hour per pixel column.
static void BM_TimelineFullRepaint(benchmark::State &state)
{
    TimelineView timeline;
    timeline.resize(560, 64);
    timeline.show();
    timeline.setTrack(hourTrack());
    QImage target(timeline.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        timeline.showAll(); // drops the cache
        timeline.render(&target);
    }
}
BENCHMARK(BM_TimelineFullRepaint)->Unit(benchmark::kMicrosecond);

static void BM_InstrumentsSetGpsData(benchmark::State &state)
{
    Gauges g;
    for (auto _ : state) {
        g.speed.setGpsData(hourTrack());
        g.compass.setGpsData(hourTrack());
        g.gsensor.setGpsData(hourTrack());
    }
}
BENCHMARK(BM_InstrumentsSetGpsData)->Unit(benchmark::kMicrosecond);

// The state of one second and the band drawn from it: dials, compass, waveform, route
// map (grid, no tiles) and read-out cards, at pixel ratio 1. Seconds step through the hour.
static void BM_DashboardBand(benchmark::State &state)
{
    const DashboardRenderer renderer;
    int second = 1;
    for (auto _ : state) {
        const DashboardState s = dashboardStateAt(hourTrack(), second + 0.5, QStringLiteral("KMH"));
        const QImage band = renderer.render(s, QSize(1920, 200), 1.0);
        benchmark::DoNotOptimize(band.constBits());
        second = (second + 97) % 3600;
    }
}
BENCHMARK(BM_DashboardBand)->Unit(benchmark::kMillisecond);

// The state alone (sample lookup, compass heading, read-out texts and the distance added
// up along the samples so far).
static void BM_DashboardState(benchmark::State &state)
{
    int second = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dashboardStateAt(hourTrack(), second + 0.5, QStringLiteral("KMH")));
        second = (second + 97) % 3600;
    }
}
BENCHMARK(BM_DashboardState)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
