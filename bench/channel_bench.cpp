// How closely the channels of one moment keep step when played as one. Plays a card made by
// tools/make-channel-clips.sh (every channel is the same frame-numbered clip) through the real
// player view, the front as the main picture and the other channels following it, offscreen.
// At every second boundary of the main picture (by playing or after a seek) each follower's
// picture on screen is read, and the frames between it and the main one counted; through
// normal play, pause/resume, seeks both ways, 1/2x and 2x, and the switch to the next moment.
// Pictures a follower still shows from before a seek are not compared until it has one of
// the new place (at most 3 s).
//
// Usage: channel_bench [--quick] CARD... (bench/channel_bench.sh makes the cards)
// Last line: channels: boundaries=N max_frames=M p99_frames=P ; exit status 1 when a card
// could not be played.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "playback/channelset.h"
#include "playback/channelview.h"
#include "playback/mediaplayview.h"
#include "playback/playbackcontroller.h"
#include "playback/playcontrolview.h"
#include "playback/videooutput.h"
#include "widgets/mcustomslider.h"

#include "support/framenumber.h"

#include "benchkit.h"

using benchkit::Boundary;
using benchkit::wait;
using benchkit::waitFor;

namespace {

struct Group {
    QString main;
    QList<MChannelFile> others;
};

// Movie/2026_0514_091500_0001F.MP4 and its siblings: the name up to the channel letter is the moment.
QList<Group> readCard(const QString &dir)
{
    QMap<QString, Group> groups;
    const QStringList names = QDir(dir + QStringLiteral("/Movie")).entryList({QStringLiteral("*.MP4")}, QDir::Files, QDir::Name);
    static const QMap<QChar, QString> channels{{QLatin1Char('F'), QStringLiteral("front")},
                                               {QLatin1Char('R'), QStringLiteral("rear")},
                                               {QLatin1Char('I'), QStringLiteral("interior")},
                                               {QLatin1Char('T'), QStringLiteral("telephoto")}};
    for (const QString &name : names) {
        const QString base = QFileInfo(name).completeBaseName();
        const QString path = dir + QStringLiteral("/Movie/") + name;
        Group &g = groups[base.chopped(1)];
        const QString channel = channels.value(base.back(), QStringLiteral("other"));
        if (channel == QLatin1String("front"))
            g.main = path;
        else
            g.others << MChannelFile{channel, path};
    }
    return groups.values();
}

struct Follower {
    int frame = -1;
    bool fresh = true; // no picture of the current place yet (after a seek or a new moment)
};

struct Meter {
    double fps = 25;
    QString phase;
    int lastSecond = -1;
    std::vector<Follower> followers;
    std::vector<Boundary> done;
    int painted = 0;
    double seekTarget = -1; // after a seek, followers' pictures away from here are old ones
    QElapsedTimer seekAge;

    void restart(int count)
    {
        followers.assign(size_t(count), Follower{});
        lastSecond = -1;
    }
    void seek(double seconds)
    {
        seekTarget = seconds;
        seekAge.start();
        for (Follower &f : followers)
            f.fresh = true;
    }
    void followerPainted(size_t i, const QImage &img)
    {
        const int n = syncFrameNumber(img);
        if (n < 0 || i >= followers.size())
            return;
        if (followers[i].fresh && seekTarget >= 0 && std::fabs(n / fps - seekTarget) > 1.5 && seekAge.elapsed() < 3000)
            return;
        followers[i] = Follower{n, false};
    }
    void leaderPainted(const QImage &img)
    {
        ++painted;
        const int n = syncFrameNumber(img);
        if (n < 0)
            return;
        const int s = int(std::floor(n / fps));
        if (s == lastSecond)
            return;
        lastSecond = s;
        for (const Follower &f : followers)
            if (!f.fresh)
                done.push_back(Boundary{phase, std::abs(f.frame - n)});
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList cards;
    bool quick = false;
    double fps = 25;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--quick"))
            quick = true;
        else if (a.startsWith(QLatin1String("--fps=")))
            fps = a.mid(6).toDouble();
        else
            cards << a;
    }
    if (cards.isEmpty()) {
        std::fprintf(stderr, "usage: %s [--quick] [--fps=25] card...\n", argv[0]);
        return 2;
    }
    const benchkit::PrivateSettings settings;

    MediaPlayView view;
    view.resize(960, 540);
    view.show();
    Meter meter;
    meter.fps = fps;
    QObject::connect(&view, &MediaPlayView::framePainted, [&meter](const QImage &img) { meter.leaderPainted(img); });
    QList<QMetaObject::Connection> tileConnections;
    const auto watchTiles = [&] {
        for (const auto &c : std::as_const(tileConnections))
            QObject::disconnect(c);
        tileConnections.clear();
        ChannelSet *set = view.channels();
        meter.restart(set->tileCount());
        for (int i = 0; i < set->tileCount(); ++i)
            tileConnections << QObject::connect(set->tile(i)->output(), &VideoOutput::framePainted,
                                                [&meter, i](const QImage &img) { meter.followerPainted(size_t(i), img); });
    };
    const auto startGroup = [&](const Group &g) {
        view.setChannels(QStringLiteral("front"), g.others);
        view.playFile(g.main);
        // The players are kept from one moment to the next; until the new ones start, the
        // pictures on screen are the old moment's.
        meter.seek(0);
        const bool ok = waitFor([&] { return view.channels()->tileCount() == g.others.size() && view.duration() > 1.0
                                              && view.controller()->time() > 0; }, 15000);
        watchTiles();
        meter.seek(view.controller()->time());
        return ok;
    };
    const int scale = quick ? 2 : 1;
    bool failed = false;
    std::vector<Boundary> all;
    for (const QString &card : std::as_const(cards)) {
        const QList<Group> groups = readCard(card);
        if (groups.size() < 2 || groups.first().main.isEmpty()) {
            std::printf("%s: needs two moments with a front channel\n", qPrintable(card));
            failed = true;
            continue;
        }
        meter.done.clear();
        meter.painted = 0;
        benchkit::setRate(view, 1.0);
        meter.phase = QStringLiteral("1x");
        if (!startGroup(groups.at(0))) {
            std::printf("%s: could not play\n", qPrintable(card));
            failed = true;
            continue;
        }
        wait(6000 / scale);
        using S = benchkit::Step;
        benchkit::runSteps(view,
                           {{"pause/resume", S::PauseResume, 0, 3000},
                            {"seek forward", S::Seek, 0.6, 3000},
                            {"seek back", S::Seek, 0.25, 3500},
                            {"0.5x", S::Rate, 0.5, 4000},
                            {"2x", S::Rate, 2.0, 4000},
                            {"back to 1x", S::Rate, 1.0, 2000}},
                           scale, [&](const QString &phase, double seekSeconds) {
                               meter.phase = phase;
                               if (seekSeconds >= 0)
                                   meter.seek(seekSeconds);
                           });
        meter.phase = QStringLiteral("next moment");
        if (!startGroup(groups.at(1))) {
            std::printf("%s: the next moment did not play\n", qPrintable(card));
            failed = true;
        }
        wait(5000 / scale);
        view.stopPlayVideo();
        wait(200);

        const benchkit::BoundaryFigures f = benchkit::figures(meter.done);
        std::printf("%s (%d channels): painted=%d boundaries=%zu max_frames=%d p99_frames=%d |%s\n",
                    qPrintable(QFileInfo(card).fileName()), int(groups.at(0).others.size()) + 1, meter.painted,
                    meter.done.size(), f.max, f.p99, qPrintable(f.worstByPhase));
        std::fflush(stdout);
        if (meter.done.empty())
            failed = true;
        all.insert(all.end(), meter.done.begin(), meter.done.end());
    }
    const benchkit::BoundaryFigures f = benchkit::figures(all);
    std::printf("channels: boundaries=%zu max_frames=%d p99_frames=%d\n", all.size(), f.max, f.p99);
    return failed ? 1 : 0;
}
