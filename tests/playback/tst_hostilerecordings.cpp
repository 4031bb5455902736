// Damaged and hostile recordings played through the real player view, offscreen: bit flips,
// cut files, atoms whose sizes lie, empty files. Each may play, finish or fail, but none may
// crash or hang the player, and none may touch the media list or the settings.
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include "playback/mediaplayview.h"
#include "playback/vlcengine.h"
#include "playback/vlcmedia.h"

#include "support/testsettings.h"
#include "recordingdelegate.h"

namespace {

constexpr int kMutants = 200;
// Played side by side in one process: each is given up to kPlayMs before it is judged.
constexpr int kAtOnce = 8;
constexpr int kPlayMs = 2000;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray digestOf(const QString &path)
{
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256);
}

quint32 be32(const QByteArray &b, qsizetype at)
{
    return (quint32(quint8(b[at])) << 24) | (quint32(quint8(b[at + 1])) << 16) | (quint32(quint8(b[at + 2])) << 8) |
           quint8(b[at + 3]);
}

void putBe32(QByteArray &b, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (24 - 8 * i));
}

// Offsets of the atom headers of an ISO media file: the top level and the containers the
// demuxer walks into (moov, trak, mdia, minf, stbl).
QList<qsizetype> atomHeaders(const QByteArray &b)
{
    static const QList<QByteArray> kContainers = {"moov", "trak", "mdia", "minf", "stbl"};
    QList<qsizetype> out;
    QList<QPair<qsizetype, qsizetype>> spans = {{0, b.size()}};
    while (!spans.isEmpty()) {
        auto [p, end] = spans.takeLast();
        while (p + 8 <= end) {
            const quint32 size = be32(b, p);
            if (size < 8 || p + qsizetype(size) > end)
                break;
            out << p;
            if (kContainers.contains(b.mid(p + 4, 4)))
                spans.append({p + 8, p + qsizetype(size)});
            p += size;
        }
    }
    return out;
}

QByteArray mutate(const QByteArray &clean, bool isoMedia, int n, QRandomGenerator &rnd)
{
    QByteArray b = clean;
    switch (n % 5) {
    case 0: { // a few bit flips anywhere
        const int flips = 1 + int(rnd.bounded(16));
        for (int i = 0; i < flips; ++i)
            b[rnd.bounded(int(b.size()))] ^= char(1 << rnd.bounded(8));
        break;
    }
    case 1: { // many flips in the first kilobytes, where the headers are
        const int head = int(qMin<qsizetype>(b.size(), 4096));
        for (int i = 0; i < 64; ++i)
            b[rnd.bounded(head)] ^= char(1 << rnd.bounded(8));
        break;
    }
    case 2: // cut anywhere, as a power cut or a full card leaves it
        b.truncate(rnd.bounded(int(b.size())));
        break;
    case 3: { // an atom whose size lies (for transport streams: a packet whose header does)
        if (!isoMedia) {
            const qsizetype packets = b.size() / 188;
            for (int i = 0; i < 8 && packets > 0; ++i) {
                const qsizetype at = qsizetype(rnd.bounded(int(packets))) * 188;
                putBe32(b, at, rnd.generate());
            }
            break;
        }
        const QList<qsizetype> heads = atomHeaders(b);
        static const quint32 kLies[] = {0, 1, 7, 8, 0x7FFFFFFF, 0xFFFFFFFF};
        const qsizetype at = heads.at(rnd.bounded(int(heads.size())));
        const quint32 size = be32(b, at);
        const int pick = int(rnd.bounded(8));
        putBe32(b, at, pick < 6 ? kLies[pick] : (pick == 6 ? size * 2 : size / 2));
        break;
    }
    case 4: // nothing at all (every tenth), or only the start of a header
        b.truncate(n % 10 == 4 ? 0 : int(rnd.bounded(16)));
        break;
    }
    return b;
}

struct Slot {
    std::unique_ptr<MediaPlayView> view;
    std::unique_ptr<RecordingDelegate> delegate;
    QString path;
};

bool ended(const Slot &s)
{
    return s.view->playState() == MediaPlayStatePlaying || s.delegate->states.contains(MediaPlayStateFinished) ||
           s.delegate->states.contains(MediaPlayStateError);
}

} // namespace

class HostileRecordingsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The data directory of test mode lies under $HOME, which other test processes share.
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        isolateSettings();
        VlcMedia::setInstanceArguments({"--no-xlib", "--quiet", "--aout=adummy", "--no-video-title-show", "--no-osd"});
        QVERIFY(VlcMedia::instance());
    }

    void mutatedCopiesNeitherCrashNorHang()
    {
        const QStringList sources = {QStringLiteral(TRAVA_TEST_DATA "/playback/clip2s.mp4"),
                                     QStringLiteral(TRAVA_TEST_DATA "/playback/clip2s.mov"),
                                     QStringLiteral(TRAVA_TEST_DATA "/playback/clip2s.ts"),
                                     QStringLiteral(TRAVA_TEST_DATA "/clip-mp4-voka.mp4")};
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QRandomGenerator rnd(16);
        QStringList mutants;
        for (int n = 0; n < kMutants; ++n) {
            const QString source = sources.at(n % sources.size());
            const QByteArray clean = readAll(source);
            QVERIFY(!clean.isEmpty());
            const QString ext = QFileInfo(source).suffix();
            const QString path = dir.filePath(QStringLiteral("m%1.%2").arg(n, 3, 10, QLatin1Char('0')).arg(ext));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(mutate(clean, ext != QLatin1String("ts"), n / int(sources.size()), rnd));
            mutants << path;
        }

        // What the user keeps must come out of this unchanged: the media list and the settings.
        const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QVERIFY(QDir().mkpath(dataDir));
        const QString listPath = dataDir + QStringLiteral("/mediaList");
        {
            QFile list(listPath);
            QVERIFY(list.open(QIODevice::WriteOnly));
            list.write("<?xml version=\"1.0\"?><plist version=\"1.0\"><array><dict><key>fName</key>"
                       "<string>a.mp4</string><key>fLocalPath</key><string>/media/a.mp4</string></dict>"
                       "</array></plist>\n");
        }
        {
            QSettings settings;
            settings.setValue(QStringLiteral("hostile/marker"), 42);
            // The first text the player shows stores the language on a first run, which is
            // intended; with one stored, nothing may write the file.
            settings.setValue(QStringLiteral("kSelectLanguage"), QStringLiteral("en"));
        }
        const QString settingsPath = QSettings().fileName();
        const QByteArray listBefore = digestOf(listPath);
        const QByteArray settingsBefore = digestOf(settingsPath);
        QFile beforeFile(settingsPath);
        const QByteArray settingsText = beforeFile.open(QIODevice::ReadOnly) ? beforeFile.readAll() : QByteArray();

        int playing = 0, finished = 0, failed = 0;
        QElapsedTimer total;
        total.start();
        for (qsizetype first = 0; first < mutants.size(); first += kAtOnce) {
            std::vector<Slot> players;
            for (qsizetype i = first; i < qMin(first + kAtOnce, mutants.size()); ++i) {
                Slot s{std::make_unique<MediaPlayView>(), std::make_unique<RecordingDelegate>(), mutants.at(i)};
                s.view->resize(320, 180);
                s.view->setDelegate(s.delegate.get());
                s.view->playFile(s.path);
                players.push_back(std::move(s));
            }
            // Each plays for up to kPlayMs (the clips last 2 s), so that damage deep in a file is
            // decoded too; then every one must be playing, at its end or in the error state.
            QElapsedTimer round;
            round.start();
            while (round.elapsed() < kPlayMs) {
                bool allDone = true;
                for (const Slot &s : players)
                    allDone = allDone && (s.delegate->states.contains(MediaPlayStateFinished) ||
                                          s.delegate->states.contains(MediaPlayStateError));
                if (allDone)
                    break;
                QTest::qWait(20);
            }
            for (Slot &s : players) {
                if (!ended(s)) {
                    // Still opening: a slow machine under load gets one grace period, no more.
                    QTRY_VERIFY2_WITH_TIMEOUT(ended(s), qPrintable(s.path), 5000);
                }
                if (s.delegate->states.contains(MediaPlayStateError))
                    ++failed;
                else if (s.delegate->states.contains(MediaPlayStateFinished))
                    ++finished;
                else
                    ++playing;
                // Stopping must come back promptly whatever the file did to the decoder.
                QElapsedTimer stop;
                stop.start();
                s.view->stopPlayVideo();
                QVERIFY2(stop.elapsed() < 5000, qPrintable(s.path));
            }
            players.clear();
        }
        qInfo("%d mutants in %lld ms: %d playing, %d finished, %d in the error state", int(mutants.size()),
              total.elapsed(), playing, finished, failed);
        QCOMPARE(playing + finished + failed, kMutants);
        // Some damage must have been noticed, or the mutations were no test at all.
        QVERIFY(failed > 0);

        QCOMPARE(digestOf(listPath), listBefore);
        if (digestOf(settingsPath) != settingsBefore) {
            QFile after(settingsPath);
            qWarning("settings before:\n%s\nafter:\n%s", settingsText.constData(),
                     after.open(QIODevice::ReadOnly) ? after.readAll().constData() : "(unreadable)");
        }
        QCOMPARE(digestOf(settingsPath), settingsBefore);
        QCOMPARE(QSettings().value(QStringLiteral("hostile/marker")).toInt(), 42);
    }

private:
    QTemporaryDir m_home;
};

QTEST_MAIN(HostileRecordingsTest)
#include "tst_hostilerecordings.moc"
