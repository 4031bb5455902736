// A long run through the real main view, offscreen: a card's recordings are opened at once
// and played one after another by the list's automatic next, at 4x, with a seek and a
// snapshot on the way. Some recordings are damaged on the way, as a card that is pulled out
// or written by a failing camera would leave them: deleted, cut short or overwritten with
// noise while they wait in the list, or while they play; once the whole rest of the card
// goes at once.
//
// Judged: nothing crashes or hangs (a recording that neither ends nor fails within
// kRecordingTimeoutMs counts as a hang); every recording damaged before its turn ends in the
// error state (the user then presses next, as the view leaves it there) or is skipped with
// an alert; every intact one plays to its end; and after the first kWarmUp recordings the
// process's resident memory, open descriptors and threads stay within the tolerances below.
// They are printed every kWarmUp recordings, taken between two recordings; memory is also
// judged over the second half of the run alone.
//
// Usage: soak LISTFILE (one recording path a line; bench/soak.sh makes the card and the list)
// Last line: soak: recordings=N ... flat=yes|no ; exit status 1 on any failure.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include "app/incidentpreferences.h"
#include "app/incidenttools.h"
#include "app/ovraplayvc.h"
#include "app/playbacksync.h"
#include "app/snapshot.h"
#include "core/mediaplayerdelegate.h"
#include "core/notificationhub.h"
#include "library/medialistview.h"
#include "playback/mediaplayview.h"
#include "playback/playbackcontroller.h"

namespace {

constexpr int kWarmUp = 20;
constexpr qint64 kRecordingTimeoutMs = 30000;
// "Flat": growth from the figures after the warm-up to the largest later one. Memory moves
// by a few MiB with the allocator's arenas and libVLC's caches; a leak of one decoder, one
// picture pool or one file a recording would pass these within the run.
constexpr long kRssToleranceKib = 24 * 1024;
// Caches fill up early in the run; a leak goes on. Over the second half of the run memory
// may grow at most this much (a leak of 60 KiB a recording would pass it over 100).
constexpr long kLateRssToleranceKib = 6 * 1024;
constexpr int kFdTolerance = 4;
constexpr int kThreadTolerance = 4;

enum class Damage { None, DeletedQueued, CutQueued, NoiseQueued, DeletedPlaying, CutPlaying, NoisePlaying, CardPulled };

const char *damageName(Damage d)
{
    switch (d) {
    case Damage::None: return "intact";
    case Damage::DeletedQueued: return "deleted-queued";
    case Damage::CutQueued: return "cut-queued";
    case Damage::NoiseQueued: return "noise-queued";
    case Damage::DeletedPlaying: return "deleted-playing";
    case Damage::CutPlaying: return "cut-playing";
    case Damage::NoisePlaying: return "noise-playing";
    case Damage::CardPulled: return "card-pulled";
    }
    return "?";
}

bool damagedBeforeItsTurn(Damage d)
{
    return d == Damage::DeletedQueued || d == Damage::CutQueued || d == Damage::NoiseQueued || d == Damage::CardPulled;
}

// Which recordings are damaged, and how: spread over the whole run (the warm-up included, so
// that every path has run once before the first figures), the last tenth lost at once.
std::vector<Damage> plan(int count)
{
    std::vector<Damage> d(size_t(count), Damage::None);
    for (int i = 2; i < count; ++i) {
        if (i % 9 == 3)
            d[size_t(i)] = Damage::DeletedQueued;
        else if (i % 11 == 5)
            d[size_t(i)] = Damage::CutQueued;
        else if (i % 13 == 6)
            d[size_t(i)] = Damage::NoiseQueued;
        else if (i % 17 == 8)
            d[size_t(i)] = Damage::DeletedPlaying;
        else if (i % 19 == 9)
            d[size_t(i)] = Damage::CutPlaying;
        else if (i % 23 == 10)
            d[size_t(i)] = Damage::NoisePlaying;
    }
    // The card pulled out while one plays: every later recording of it is gone.
    const int pulled = count - count / 10;
    if (pulled >= 0 && pulled < count)
        d[size_t(pulled)] = Damage::None;
    for (int i = pulled + 1; i < count; ++i)
        d[size_t(i)] = Damage::CardPulled;
    return d;
}

void cut(const QString &path, qint64 keep)
{
    QFile f(path);
    if (f.open(QIODevice::ReadWrite))
        f.resize(std::min(keep, f.size()));
}

// Noise written over the file in place (an open reader sees it too).
void noise(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return;
    QByteArray bytes(int(f.size()), Qt::Uninitialized);
    auto *rng = QRandomGenerator::global();
    for (char &c : bytes)
        c = char(rng->generate() & 0xff);
    f.write(bytes);
}

void damage(Damage d, const QString &path)
{
    switch (d) {
    case Damage::DeletedQueued:
    case Damage::DeletedPlaying:
    case Damage::CardPulled:
        QFile::remove(path);
        break;
    case Damage::CutQueued:
        cut(path, 3000);
        break;
    case Damage::CutPlaying:
        cut(path, QFileInfo(path).size() / 3);
        break;
    case Damage::NoiseQueued:
    case Damage::NoisePlaying:
        noise(path);
        break;
    case Damage::None:
        break;
    }
}

struct Figures {
    int after = 0; // recordings
    long rssKib = 0;
    int fds = 0;
    int threads = 0;
};

Figures figures()
{
    Figures f;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = status.readAll().split('\n');
        for (const QByteArray &line : lines) {
            const QList<QByteArray> parts = line.simplified().split(' ');
            if (parts.size() < 2)
                continue;
            if (parts[0] == "VmRSS:")
                f.rssKib = parts[1].toLong();
            else if (parts[0] == "Threads:")
                f.threads = parts[1].toInt();
        }
    }
    f.fds = int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
    return f;
}

// Runs the event loop until done() or the time is up; false on time-out.
bool waitFor(const std::function<bool()> &done, qint64 timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

void pause(qint64 ms)
{
    waitFor([] { return false; }, ms);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak LISTFILE\n");
        return 2;
    }
    QStringList paths;
    {
        QFile list(QString::fromLocal8Bit(argv[1]));
        if (!list.open(QIODevice::ReadOnly | QIODevice::Text)) {
            std::fprintf(stderr, "soak: cannot read %s\n", argv[1]);
            return 2;
        }
        QTextStream in(&list);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (!line.isEmpty())
                paths << line;
        }
    }
    // A settings and data folder of this run's own; snapshots into a folder thrown away after.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setApplicationName(QStringLiteral("trava-soak-%1").arg(QCoreApplication::applicationPid()));
    QSettings().clear();
    QSettings().setValue("kSelectLanguage", "en");
    QTemporaryDir snapshots;
    IncidentPreferences::setSnapshotFolder(snapshots.path());

    int alerts = 0;
    struct Ending {
        int index;
        quint64 state;
        QString title; // of the selection in force when it was reported
        qint64 atMs;
    };
    std::vector<Ending> endings;
    int failures = 0;
    auto fail = [&failures](const QString &what) {
        ++failures;
        std::fprintf(stdout, "soak: FAIL %s\n", qPrintable(what));
        std::fflush(stdout);
    };

    QElapsedTimer elapsed;
    elapsed.start();
    int played = 0, errors = 0, skipped = 0, partly = 0, snapshotsSaved = 0, seeks = 0;
    std::vector<Figures> checkpoints;
    // Per kind of damage: how many, played to their end, ended in error.
    std::map<Damage, std::array<int, 3>> outcomes;
    {
        OvraPlayVC vc;
        vc.setAlertHandler([&alerts](const QString &, const QString &text, const QStringList &) {
            ++alerts;
            std::fprintf(stdout, "soak: alert %s\n", qPrintable(text));
            return 1000;
        });
        vc.resize(1080, 660);
        vc.show();
        MediaListView *list = vc.mediaList();
        MediaPlayView *player = vc.player();
        QString title;
        QObject::connect(vc.playbackSync(), &PlaybackSync::titleChanged, &vc, [&title](const QString &t) { title = t; });
        QObject::connect(vc.playbackSync(), &PlaybackSync::halted, &vc, [&](quint64 state) {
            endings.push_back({list->curIndex(), state, title, elapsed.elapsed()});
        });

        QList<QUrl> urls;
        for (const QString &p : std::as_const(paths))
            urls << QUrl::fromLocalFile(p);
        NotificationHub::defaultCenter()->post(QString::fromLatin1(kPlayFile), QVariant::fromValue(urls));
        const QList<MFileModel> records = list->dataArray();
        const int count = int(records.size());
        if (count != paths.size())
            fail(QStringLiteral("the list holds %1 of %2 recordings").arg(count).arg(paths.size()));
        const std::vector<Damage> damages = plan(count);
        player->controller()->setRate(4.0);

        for (int i = 0; i < count; ++i) {
            const Damage d = damages[size_t(i)];
            // Damage that waits in the list is done two turns ahead.
            if (i + 2 < count && damagedBeforeItsTurn(damages[size_t(i + 2)]) && damages[size_t(i + 2)] != Damage::CardPulled)
                damage(damages[size_t(i + 2)], records.at(i + 2).fLocalPath);
            const size_t seen = endings.size();
            auto ended = [&]() -> const Ending * {
                for (size_t k = seen; k < endings.size(); ++k)
                    if (endings[k].index == i && endings[k].state != MediaPlayStateStopped)
                        return &endings[k];
                return nullptr;
            };
            // Its turn: the list makes it current, and it plays, or fails.
            if (!waitFor([&] { return list->curIndex() == i && (player->playState() == MediaPlayStatePlaying || ended()); }, kRecordingTimeoutMs)) {
                fail(QStringLiteral("recording %1 (%2) never started nor failed").arg(i).arg(QLatin1String(damageName(d))));
                break;
            }
            bool hadPicture = false;
            if (!ended()) {
                if (player->controller()->rate() != 4.0)
                    fail(QStringLiteral("recording %1 plays at %2x").arg(i).arg(player->controller()->rate()));
                const int framesBefore = player->framesPresented();
                waitFor([&] { return player->framesPresented() > framesBefore || ended(); }, 3000);
                hadPicture = player->framesPresented() > framesBefore;
                if (d == Damage::DeletedPlaying || d == Damage::CutPlaying || d == Damage::NoisePlaying) {
                    damage(d, records.at(i).fLocalPath);
                } else if (i + 1 < count && damages[size_t(i + 1)] == Damage::CardPulled) {
                    for (int k = i + 1; k < count; ++k)
                        damage(Damage::CardPulled, records.at(k).fLocalPath);
                } else if (!ended()) {
                    // On the way: forward past the middle, or back to the start, then a snapshot.
                    player->performClick(i % 2 ? 0.6 : 0.05);
                    ++seeks;
                    if (hadPicture && !vc.incidentTools()->snapshot()->save().isEmpty())
                        ++snapshotsSaved;
                }
            }
            if (!waitFor([&] { return ended() != nullptr; }, kRecordingTimeoutMs)) {
                fail(QStringLiteral("recording %1 (%2) hung in state %3").arg(i).arg(QLatin1String(damageName(d))).arg(player->playState()));
                player->stopPlayVideo();
                waitFor([&] { return ended() != nullptr; }, 5000);
            }
            const quint64 state = ended() ? ended()->state : quint64(MediaPlayStateError);
            ++outcomes[d][0];
            ++outcomes[d][state == MediaPlayStateFinished ? 1 : 2];
            if (state == MediaPlayStateFinished) {
                ++played;
                if (damagedBeforeItsTurn(d) && d != Damage::CutQueued) {
                    fail(QStringLiteral("recording %1 (%2) reported as played to its end").arg(i).arg(QLatin1String(damageName(d))));
                    for (size_t k = endings.size() > 6 ? endings.size() - 6 : 0; k < endings.size(); ++k)
                        std::fprintf(stdout, "soak:   ending index=%d state=%llu title=%s at_ms=%lld\n", endings[k].index,
                                     (unsigned long long)endings[k].state, qPrintable(endings[k].title), (long long)endings[k].atMs);
                }
                if (d == Damage::CutQueued || d == Damage::CutPlaying)
                    ++partly;
            } else {
                ++errors;
                if (d == Damage::None)
                    fail(QStringLiteral("intact recording %1 ended in state %2").arg(i).arg(state));
                // The view stays in the error state; the user moves on.
                if (i + 1 < count) {
                    waitFor([&] { return player->playState() == MediaPlayStateStopped || player->playState() == MediaPlayStateError; }, 5000);
                    vc.nextVideoClick();
                }
            }
            if ((i + 1) % kWarmUp == 0 || i + 1 == count) {
                pause(50);
                Figures f = figures();
                f.after = i + 1;
                checkpoints.push_back(f);
                std::fprintf(stdout, "soak: after=%d rss_kib=%ld fds=%d threads=%d played=%d errors=%d elapsed_s=%.1f\n",
                             i + 1, f.rssKib, f.fds, f.threads, played, errors, double(elapsed.elapsed()) / 1000.0);
                std::fflush(stdout);
            }
        }
        skipped = alerts;
        player->stopPlayVideo();
        pause(300);
    }

    for (const auto &[kind, n] : outcomes)
        std::fprintf(stdout, "soak: kind=%s count=%d played=%d errors=%d\n", damageName(kind), n[0], n[1], n[2]);
    long rssGrowth = 0;
    int fdGrowth = 0, threadGrowth = 0;
    for (size_t k = 1; k < checkpoints.size(); ++k) {
        rssGrowth = std::max(rssGrowth, checkpoints[k].rssKib - checkpoints[0].rssKib);
        fdGrowth = std::max(fdGrowth, checkpoints[k].fds - checkpoints[0].fds);
        threadGrowth = std::max(threadGrowth, checkpoints[k].threads - checkpoints[0].threads);
    }
    long lateGrowth = 0;
    for (const Figures &f : checkpoints)
        if (2 * f.after >= checkpoints.back().after) {
            lateGrowth = checkpoints.back().rssKib - f.rssKib;
            break;
        }
    const bool flat = rssGrowth <= kRssToleranceKib && lateGrowth <= kLateRssToleranceKib && fdGrowth <= kFdTolerance
        && threadGrowth <= kThreadTolerance;
    if (!flat)
        fail(QStringLiteral("resources grew after the warm-up"));
    std::fprintf(stdout,
                 "soak: recordings=%d played=%d cut_short=%d errors=%d skipped=%d seeks=%d snapshots=%d "
                 "rss_growth_kib=%ld second_half_kib=%ld fd_growth=%d thread_growth=%d tolerance=%ld/%ld/%d/%d flat=%s "
                 "failures=%d elapsed_s=%.1f\n",
                 int(paths.size()), played, partly, errors, skipped, seeks, snapshotsSaved, rssGrowth, lateGrowth, fdGrowth,
                 threadGrowth, kRssToleranceKib, kLateRssToleranceKib, kFdTolerance, kThreadTolerance, flat ? "yes" : "no", failures,
                 double(elapsed.elapsed()) / 1000.0);
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
    QFile::remove(QSettings().fileName());
    return failures == 0 ? 0 : 1;
}
