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

struct Boundary {
    QString phase;
    int error = 0;
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

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(const std::function<bool()> &cond, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > ms)
            return false;
        wait(5);
    }
    return true;
}

int percentile(std::vector<int> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t k = size_t(std::ceil(p * double(v.size()))) - 1;
    return v[std::min(k, v.size() - 1)];
}

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
    // Preferences of our own, never the user's.
    QTemporaryDir settingsDir;
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("TravaBench"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
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

    auto setRate = [&view](double rate) {
        // The speed slider's 0..1 maps onto 1/4x..4x logarithmically.
        view.controlView()->playSpeedSlider->setFloatValue((std::log(rate) / std::log(4.0) + 1.0) / 2.0);
    };
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
        setRate(1.0);

        meter.phase = QStringLiteral("1x");
        sync.mediaPlayerDidSelectModel(MFileModel{QFileInfo(clip).fileName(), clip});
        if (!waitFor([&] { return meter.painted > 0 && view.duration() > 1.0; }, 15000)) {
            std::printf("%s: could not play (state %llu)\n", qPrintable(clip), (unsigned long long)forward.state);
            failed = true;
            continue;
        }
        wait(8000 / scale);

        meter.phase = QStringLiteral("pause/resume");
        view.resumOrPauseVideo();
        wait(1000);
        view.resumOrPauseVideo();
        wait(3000 / scale);

        // As the progress knob does: a fraction of the length known now.
        auto seekTo = [&](double fraction, const char *phase) {
            meter.phase = QString::fromLatin1(phase);
            forward.continuous = false;
            forward.seekTicks = 2;
            meter.seek(fraction * view.duration());
            view.performClick(fraction);
        };
        seekTo(0.6, "seek forward");
        wait(3000 / scale);
        seekTo(0.25, "seek back");
        wait(3500 / scale);

        // Rate changes away from whole seconds, so that second boundaries fall among the
        // pictures libVLC had decoded before the change.
        meter.phase = QStringLiteral("0.5x");
        setRate(0.5);
        wait(4000 / scale);
        meter.phase = QStringLiteral("2x");
        setRate(2.0);
        wait(5000 / scale);
        meter.phase = QStringLiteral("0.5x");
        setRate(0.5);
        wait(3000 / scale);
        meter.phase = QStringLiteral("back to 1x");
        setRate(1.0);
        wait(2500 / scale);
        meter.close();
        view.stopPlayVideo();
        wait(200);

        std::vector<int> errors;
        std::map<QString, int> worst;
        for (const Boundary &b : meter.done) {
            errors.push_back(b.error);
            worst[b.phase] = std::max(worst[b.phase], b.error);
        }
        QString phases;
        for (const auto &[phase, w] : worst)
            phases += QStringLiteral(" %1:%2").arg(phase).arg(w);
        std::printf("%s: painted=%d unreadable=%d boundaries=%zu max_frames=%d p99_frames=%d backward_ticks=%d |%s\n",
                    qPrintable(QFileInfo(clip).fileName()), meter.painted, meter.unreadable, meter.done.size(),
                    errors.empty() ? 0 : *std::max_element(errors.begin(), errors.end()), percentile(errors, 0.99),
                    forward.backwards, qPrintable(phases));
        std::fflush(stdout);
        if (meter.done.empty())
            failed = true;
        all.insert(all.end(), meter.done.begin(), meter.done.end());
        backwardsTotal += forward.backwards;
    }
    std::vector<int> errors;
    for (const Boundary &b : all)
        errors.push_back(b.error);
    std::printf("backward ticks in normal play: %d\n", backwardsTotal);
    std::printf("sync: boundaries=%zu max_frames=%d p99_frames=%d\n", all.size(),
                errors.empty() ? 0 : *std::max_element(errors.begin(), errors.end()), percentile(errors, 0.99));
    return failed ? 1 : 0;
}
