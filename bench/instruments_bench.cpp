// The instruments against a one-hour track: a playback tick through the speed dial, the
// compass and the G-sensor panel, a full repaint of the waveform, and taking a new track.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "instruments/compassview.h"
#include "drivetrack.h"
#include "instruments/gsensorstateview.h"
#include "instruments/hearbitview.h"
#include "instruments/speedview.h"

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
