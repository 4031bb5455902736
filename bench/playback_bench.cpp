// Plays one recording offscreen through the player view and reports what a viewer would
// notice: pictures decoded, pictures handed over, pictures that reached the screen, pictures
// libVLC dropped as late, CPU seconds, peak memory and the time to the first picture.
// Usage: playback_bench [--rear=FILE] <file> [width height [screenshot.png]]   (bench/playback_bench.sh makes
// the file). With --rear, FILE plays as a second channel following the first, and its pictures are counted too.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

#include "core/mediaplayerdelegate.h"
#include "playback/channelset.h"
#include "playback/channelview.h"
#include "playback/playbackcontroller.h"
#include "playback/videooutput.h"
#include "playback/mediaplayview.h"
#include "playback/vlcengine.h"

namespace {
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Watcher : MediaPlayerDelegate {
    MediaPlayView *view = nullptr;
    VlcEngine::Stats stats;
    int delivered = 0;
    int presented = 0;
    VlcEngine::Stats rearStats;
    int rearDelivered = 0;
    int rearPresented = 0;
    bool finished = false;
    void mediaPlayerCurrentState(QObject *, quint64 state) override
    {
        if (state == MediaPlayStateFinished || state == MediaPlayStateError) {
            // Read before the stop that follows resets the media.
            if (VlcEngine *e = view->playerIfCreated()) {
                stats = e->stats();
                delivered = e->framesDelivered();
            }
            presented = view->framesPresented();
            if (ChannelView *rear = view->channels()->tile(0)) {
                if (VlcEngine *e = rear->controller()->engineIfCreated()) {
                    rearStats = e->stats();
                    rearDelivered = e->framesDelivered();
                }
                rearPresented = rear->output()->framesPresented();
            }
            finished = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QString rearPath;
    if (argc > 1 && qstrncmp(argv[1], "--rear=", 7) == 0) {
        rearPath = QString::fromLocal8Bit(argv[1] + 7);
        --argc;
        ++argv;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <recording> [width height]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int w = argc > 3 ? atoi(argv[2]) : 960;
    const int h = argc > 3 ? atoi(argv[3]) : 540;

    MediaPlayView view;
    view.resize(w, h);
    view.show();
    Watcher watcher;
    watcher.view = &view;
    view.setDelegate(&watcher);

    // First use creates libVLC itself: measured apart from the time to the first picture.
    QElapsedTimer clock;
    clock.start();
    view.player();
    const qint64 createMs = clock.elapsed();

    qint64 firstFrameMs = -1;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (firstFrameMs < 0 && view.framesPresented() > 0) {
            firstFrameMs = clock.elapsed();
            poll.stop();
        }
    });
    // Where the time to the first picture goes.
    qint64 openingMs = -1, playingMs = -1, firstDeliveredMs = -1;
    QObject::connect(view.player(), &VlcEngine::stateChanged, [&](int s) {
        if (s == VlcEngine::Opening && openingMs < 0)
            openingMs = clock.elapsed();
        if (s == VlcEngine::Playing && playingMs < 0)
            playingMs = clock.elapsed();
    });
    QObject::connect(view.player(), &VlcEngine::frameReady, [&] {
        if (firstDeliveredMs < 0)
            firstDeliveredMs = clock.elapsed();
    });
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    clock.restart();
    if (!rearPath.isEmpty())
        view.setChannels(QStringLiteral("front"), {MChannelFile{QStringLiteral("rear"), rearPath}});
    view.playFile(path);
    poll.start();
    QTimer::singleShot(120000, &app, &QCoreApplication::quit);
    if (argc > 4) {
        const QString shot = QString::fromLocal8Bit(argv[4]);
        QString idle = shot;
        idle.replace(QLatin1String(".png"), QLatin1String("-idle.png"));
        view.grab().save(idle); // still idle: the start is deferred to the event loop
        QTimer::singleShot(2500, &view, [&view, shot] { view.grab().save(shot); });
    }
    app.exec();
    const double cpu = cpuSeconds() - cpu0;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);

    std::printf("file                       %s\n", argv[1]);
    std::printf("view                       %dx%d offscreen\n", w, h);
    std::printf("finished                   %s\n", watcher.finished ? "yes" : "NO (timed out)");
    std::printf("libVLC instance+player     %lld ms\n", (long long)createMs);
    std::printf("playFile -> first picture  %lld ms\n", (long long)firstFrameMs);
    std::printf("  opening / playing / first picture handed over at %lld / %lld / %lld ms\n", (long long)openingMs,
                (long long)playingMs, (long long)firstDeliveredMs);
    std::printf("wall time                  %.2f s\n", wall.elapsed() / 1000.0);
    std::printf("pictures decoded           %d\n", watcher.stats.decodedVideo);
    std::printf("pictures lost (late)       %d\n", watcher.stats.lostPictures);
    std::printf("pictures displayed (libVLC) %d\n", watcher.stats.displayedPictures);
    std::printf("pictures handed to the GUI %d\n", watcher.delivered);
    std::printf("pictures presented         %d\n", watcher.presented);
    if (!rearPath.isEmpty())
        std::printf("rear: decoded %d, lost (late) %d, handed to the GUI %d, presented %d\n",
                    watcher.rearStats.decodedVideo, watcher.rearStats.lostPictures, watcher.rearDelivered,
                    watcher.rearPresented);
    std::printf("CPU seconds                %.2f (%.0f %% of one core)\n", cpu, 100.0 * cpu / (wall.elapsed() / 1000.0));
    std::printf("peak memory (max RSS)      %.1f MiB\n", u.ru_maxrss / 1024.0);
    return watcher.finished ? 0 : 1;
}
