// How closely the instruments follow the picture on screen. Plays recordings made by
// tools/make-sync-clips.sh (every frame carries its frame number as a pixel pattern, sample i
// of the telemetry has the speed 10 + i km/h) through the real player view and the real
// telemetry side, offscreen. For every painted frame it compares the second the frame itself
// encodes with the second the speed read-out shows, through normal play, pause/resume, seeks
// both ways and the rates 1/2x and 2x.
//
// Per second boundary (the picture moves into another second, by playing or by a seek) the
// error is the number of frames painted with the read-out of another second, until the
// read-out agrees; the frames between a seek and the first picture of the new position are
// not counted (a seek shows its target at once, before libVLC has a picture of it).
//
// Usage: sync_bench [--quick] clip... (bench/sync_bench.sh makes the clips)
// Last line: sync: boundaries=N max_frames=M p99_frames=P ; exit status 1 when a clip could
// not be played.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "core/mediaplayerdelegate.h"
#include "core/preferences.h"
#include "app/playbacksync.h"
#include "playback/mediaplayview.h"
#include "playback/playcontrolview.h"
#include "playback/vlcengine.h"
#include "service/kalgpstool.h"
#include "track/instrument.h"
#include "widgets/mcustomslider.h"

#include "support/framenumber.h"

#include "benchkit.h"

using benchkit::Boundary;
using benchkit::wait;
using benchkit::waitFor;

namespace {

// Keeps the track so that a speed read-out can be told back into its sample index.
struct TrackProbe : Instrument {
    std::map<int, int> indexBySpeed;
    void setGpsData(const Track &track) override
    {
        indexBySpeed.clear();
        for (size_t i = 0; i < trackSize(track); ++i)
            indexBySpeed[int(std::strtof(track->at(i).speed.c_str(), nullptr))] = int(i);
    }
    void setCurrentPlayerTime(double) override {}
};

struct Forwarder : MediaPlayerDelegate {
    PlaybackSync *sync = nullptr;
    std::vector<double> times;
    int backwards = 0;
    bool continuous = false; // false across a seek or a new file
    // Ticks a seek makes: its target at once, then where the stream really landed, which for
    // a transport stream is the nearest key picture and may lie before the target.
    int seekTicks = 0;
    quint64 state = MediaPlayStateStopped;
    void mediaPlayerCurrentTime(QObject *, double seconds) override
    {
        if (seekTicks > 0)
            --seekTicks;
        else if (continuous && !times.empty() && seconds < times.back())
            ++backwards;
        continuous = true;
        times.push_back(seconds);
        sync->mediaPlayerCurrentTime(seconds);
    }
    void mediaPlayerCurrentState(QObject *, quint64 s) override
    {
        state = s;
        sync->mediaPlayerCurrentState(s);
    }
};

struct Meter {
    double fps = 25;
    TrackProbe *probe = nullptr;
    PlaybackSync *sync = nullptr;
    QString phase;
    int lastSecond = -1;
    int lastFrame = -1;
    bool open = false; // a boundary whose error is still being measured
    Boundary current;
    std::vector<Boundary> done;
    int painted = 0;
    int unreadable = 0;
    // After a seek: frames still from before it are skipped until the picture is near here.
    double seekTarget = -1;
    QElapsedTimer seekAge;

    void close()
    {
        if (open)
            done.push_back(current);
        open = false;
    }
    void seek(double seconds)
    {
        close();
        seekTarget = seconds;
        seekAge.start();
    }
    int instrumentSecond() const
    {
        const QString text = sync->speedText();
        static const QRegularExpression digits(QStringLiteral("^(\\d+)"));
        const auto m = digits.match(text);
        if (!m.hasMatch())
            return -1;
        const auto it = probe->indexBySpeed.find(m.captured(1).toInt());
        return it == probe->indexBySpeed.end() ? -1 : it->second;
    }
    void painted_(const QImage &img)
    {
        ++painted;
        const int n = syncFrameNumber(img);
        if (n < 0) {
            ++unreadable;
            return;
        }
        if (seekTarget >= 0) {
            if (std::fabs(n / fps - seekTarget) > 1.5 && seekAge.elapsed() < 3000)
                return;
            seekTarget = -1;
            lastSecond = -1; // the first picture at the new place is a boundary of its own
        }
        const int s = int(std::floor(n / fps));
        const int shown = instrumentSecond();
        if (s != lastSecond && n != lastFrame) {
            close();
            if (lastSecond >= 0 || shown >= 0) {
                open = true;
                current = Boundary{phase, 0};
            }
        }
        lastSecond = s;
        lastFrame = n;
        if (!open || shown < 0)
            return;
        int err = 0;
        if (shown < s)
            err = n - int(std::ceil((shown + 1) * fps)) + 1; // frames since the read-out should have moved on
        else if (shown > s)
            err = int(std::ceil(shown * fps)) - n;             // frames until the picture gets there
        current.error = std::max(current.error, err);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList clips;
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--quick"))
            quick = true;
        else
            clips << a;
    }
    if (clips.isEmpty()) {
        std::fprintf(stderr, "usage: %s [--quick] clip...\n", argv[0]);
        return 2;
    }
    const benchkit::PrivateSettings settings;
    Preferences::setSpeedUnitType(QStringLiteral("KMH"));

    MediaPlayView view;
    view.resize(960, 540);
    view.show();
    PlaybackSync sync;
    TrackProbe probe;
    sync.setGauges({PlaybackSync::Gauge{&probe, {}, false}});
    QObject::connect(&sync, &PlaybackSync::telemetryRequested, &sync, [&sync](quint64 ticket, const QString &path) {
        KalGpsTool::shareTool()->request(path, ExtractionPriority::Player,
                                         [&sync, ticket](const Extraction &e) { sync.telemetryArrived(ticket, e.lines); });
    });
    QObject::connect(&sync, &PlaybackSync::stopRequested, &view, &MediaPlayView::stopPlayVideo);
    QObject::connect(&sync, &PlaybackSync::playRequested, &view, &MediaPlayView::playFile);
    Forwarder forward;
    forward.sync = &sync;
    view.setDelegate(&forward);
    Meter meter;
    meter.probe = &probe;
    meter.sync = &sync;
    QObject::connect(&view, &MediaPlayView::framePainted, [&meter](const QImage &img) { meter.painted_(img); });

    const int scale = quick ? 2 : 1;
    bool failed = false;
    std::vector<Boundary> all;
    int backwardsTotal = 0;
    for (const QString &clip : std::as_const(clips)) {
        static const QRegularExpression fpsName(QStringLiteral("(\\d+)fps"));
        const auto m = fpsName.match(QFileInfo(clip).fileName());
        meter.fps = m.hasMatch() ? m.captured(1).toDouble() : 25.0;
        meter.done.clear();
        meter.painted = meter.unreadable = 0;
        meter.lastSecond = meter.lastFrame = -1;
        meter.open = false;
        meter.seekTarget = -1;
        forward.continuous = false;
        forward.seekTicks = 0;
        forward.backwards = 0;
        benchkit::setRate(view, 1.0);

        meter.phase = QStringLiteral("1x");
        sync.mediaPlayerDidSelectModel(MFileModel{QFileInfo(clip).fileName(), clip});
        if (!waitFor([&] { return meter.painted > 0 && view.duration() > 1.0; }, 15000)) {
            std::printf("%s: could not play (state %llu)\n", qPrintable(clip), (unsigned long long)forward.state);
            failed = true;
            continue;
        }
        wait(8000 / scale);

        // Rate changes away from whole seconds, so that second boundaries fall among the
        // pictures libVLC had decoded before the change.
        using S = benchkit::Step;
        benchkit::runSteps(view,
                           {{"pause/resume", S::PauseResume, 0, 3000},
                            {"seek forward", S::Seek, 0.6, 3000},
                            {"seek back", S::Seek, 0.25, 3500},
                            {"0.5x", S::Rate, 0.5, 4000},
                            {"2x", S::Rate, 2.0, 5000},
                            {"0.5x", S::Rate, 0.5, 3000},
                            {"back to 1x", S::Rate, 1.0, 2500}},
                           scale, [&](const QString &phase, double seekSeconds) {
                               meter.phase = phase;
                               if (seekSeconds < 0)
                                   return;
                               forward.continuous = false;
                               forward.seekTicks = 2;
                               meter.seek(seekSeconds);
                           });
        meter.close();
        view.stopPlayVideo();
        wait(200);

        const benchkit::BoundaryFigures f = benchkit::figures(meter.done);
        std::printf("%s: painted=%d unreadable=%d boundaries=%zu max_frames=%d p99_frames=%d backward_ticks=%d |%s\n",
                    qPrintable(QFileInfo(clip).fileName()), meter.painted, meter.unreadable, meter.done.size(), f.max,
                    f.p99, forward.backwards, qPrintable(f.worstByPhase));
        std::fflush(stdout);
        if (meter.done.empty())
            failed = true;
        all.insert(all.end(), meter.done.begin(), meter.done.end());
        backwardsTotal += forward.backwards;
    }
    const benchkit::BoundaryFigures f = benchkit::figures(all);
    std::printf("backward ticks in normal play: %d\n", backwardsTotal);
    std::printf("sync: boundaries=%zu max_frames=%d p99_frames=%d\n", all.size(), f.max, f.p99);
    return failed ? 1 : 0;
}
