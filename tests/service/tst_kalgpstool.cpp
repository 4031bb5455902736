#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "httpfileserver.h"
#include "service/telemetrysources.h"
#include "service/gpsworker.h"
#include "service/kalgpstool.h"
#include "support/stalleddecode.h"
#include "support/testcamera.h"
#include "telemetry/kalgpsapi.h"

namespace {

const QString kData = QStringLiteral(TRAVA_TEST_DATA);

// The 75-second demo drive that ships with the player: the largest recording at hand.
const QString kDemo = QStringLiteral("../../resources/demo/demo-drive.mp4");

QByteArray fileBytes(const QString &name)
{
    QFile f(kData + '/' + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Collects the completions of one or more requests, in the order they arrive.
struct Completions {
    QList<KalGpsTool::GpsLines> results;
    QList<QString> tags;
    bool offGuiThread = false;

    KalGpsTool::GpsInfoBlock block(const QString &tag = QString())
    {
        return [this, tag](KalGpsTool::GpsLines lines) {
            offGuiThread |= QThread::currentThread() != qApp->thread();
            results.append(lines);
            tags.append(tag);
        };
    }
    bool waitFor(int count, int ms = 20000)
    {
        QElapsedTimer clock;
        clock.start();
        while (results.size() < count && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return results.size() >= count;
    }
};

const QStringList kVokaLines = {
    "0 2026/05/14 08:15:00 N:48.160076 E:11.585832 51.4 km/h x:0.02 y:0.02 z:1.01",
    "1 2026/05/14 08:15:01 N:48.159950 E:11.585798 51.2 km/h x:-0.03 y:-0.01 z:0.99",
    "2 2026/05/14 08:15:02 N:48.159824 E:11.585764 50.9 km/h x:0.03 y:0.02 z:1.02",
    "3 2026/05/14 08:15:03 N:48.159702 E:11.585730 50.6 km/h x:-0.02 y:-0.01 z:1.00",
};

// A telemetry text file: one block group of the given block texts, as a camera packs it.
bool writeBlockFile(const QString &path, const QList<QByteArray> &texts)
{
    KalSetEncType(1);
    QByteArray out(20, '\0');
    MakeHeader(reinterpret_cast<unsigned char *>(out.data()), int(texts.size()));
    for (int i = 0; i < texts.size(); ++i) {
        unsigned char block[132];
        MakeEncryptDataBlock(i, texts[i].constData(), int(texts[i].size()), block);
        out.append(reinterpret_cast<const char *>(block), sizeof block);
    }
    KalSetEncType(0);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size();
}

// A transport stream with padding packets before the telemetry clip: the scan has a way
// to go (and reports progress) before it finds anything.
QString paddedStream(const QTemporaryDir &dir, const QString &name, int mebibytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    QByteArray pad(188, char(0xFF));
    pad[0] = 0x47;
    pad[1] = 0x1F;
    for (int i = 0; i < (mebibytes << 20) / 188; ++i)
        f.write(pad);
    f.write(fileBytes("clip.ts"));
    return path;
}

// The outcomes of requests made through request(), in the order they arrive.
struct Outcomes {
    QList<Extraction> results;
    QStringList tags;
    KalGpsTool::ExtractionBlock block(const QString &tag)
    {
        return [this, tag](const Extraction &e) {
            results.append(e);
            tags.append(tag);
        };
    }
    bool waitFor(int count, int ms = 20000)
    {
        QElapsedTimer clock;
        clock.start();
        while (results.size() < count && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return results.size() >= count;
    }
    const Extraction &of(const QString &tag) const { return results.at(tags.indexOf(tag)); }
};

} // namespace

class TestKalGpsTool : public QObject {
    Q_OBJECT

private slots:
    void init() { KalGpsTool::shareTool()->setReadAheadEnabled(true); }

    void localRecordingGivesItsLinesOnTheGuiThread()
    {
        Completions done;
        KalGpsTool::shareTool()->getGpsInfo(kData + "/clip-mp4-voka.mp4", done.block());
        QVERIFY(done.results.isEmpty()); // never before getGpsInfo returns
        QVERIFY(done.waitFor(1));
        QVERIFY(!done.offGuiThread);
        QVERIFY(done.results[0].has_value());
        QCOMPARE(*done.results[0], kVokaLines);
        QVERIFY(KalGpsTool::shareTool()->getKalGpsDataVersion() != 0);
    }

    void recordingWithoutTelemetryGivesNoList()
    {
        QTemporaryDir dir;
        QFile junk(dir.filePath("junk.mp4"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        Completions done;
        KalGpsTool::shareTool()->getGpsInfo(junk.fileName(), done.block());
        KalGpsTool::shareTool()->getGpsInfo(dir.filePath("missing.mp4"), done.block());
        QVERIFY(done.waitFor(2));
        QVERIFY(!done.results[0].has_value());
        QVERIFY(!done.results[1].has_value());
    }

    void aChannelWithoutTelemetryBorrowsItsMomentsAndBatchesAnswerInOrder()
    {
        QTemporaryDir dir;
        QFile rear(dir.filePath("2026_0514_091500_0001R.MP4"));
        QVERIFY(rear.open(QIODevice::WriteOnly));
        rear.write(QByteArray(4096, 'x'));
        rear.close();
        KalGpsTool *tool = KalGpsTool::shareTool();
        Outcomes done;
        tool->request(rear.fileName(), ExtractionPriority::Background, done.block("alone"));
        QVERIFY(done.waitFor(1));
        QCOMPARE(done.of("alone").status, ExtractionStatus::Complete);
        QVERIFY(done.of("alone").lines.isEmpty());
        // The moment's other channels, tried in order: a missing one, then the front.
        TelemetrySources::setAlternates(rear.fileName(), {dir.filePath("missing.MP4"), kData + "/clip-mp4-voka.mp4"});
        tool->request(rear.fileName(), ExtractionPriority::Background, done.block("borrowed"));
        QVERIFY(done.waitFor(2));
        QCOMPARE(done.of("borrowed").lines, kVokaLines);
        QVERIFY(done.of("borrowed").track);

        QStringList order;
        bool finished = false;
        tool->requestMany({kData + "/clip.mov", rear.fileName(), dir.filePath("missing.MP4")},
                          [&](const QString &path, const Extraction &e) {
                              order << QFileInfo(path).fileName();
                              if (path == rear.fileName())
                                  QCOMPARE(e.lines, kVokaLines);
                              if (path.endsWith("missing.MP4"))
                                  QCOMPARE(e.status, ExtractionStatus::Failed);
                          },
                          [&] { finished = true; });
        QTRY_VERIFY_WITH_TIMEOUT(finished, 20000);
        QCOMPARE(order, (QStringList{"clip.mov", rear.fileName().section('/', -1), "missing.MP4"}));
        TelemetrySources::setAlternates(rear.fileName(), {});
        QVERIFY(TelemetrySources::alternates(rear.fileName()).isEmpty());
    }

    void glitchedHemisphereLetterKeepsEverySample()
    {
        // One byte that is not UTF-8 where the camera writes "N": the track must survive.
        QTemporaryDir dir;
        const QString path = dir.filePath("glitch.txt");
        QVERIFY(writeBlockFile(path, {"2019/11/28 08:15:42 N:22.5 E:113.9 36.5 km/h x:0.10 y:-0.20 z:9.80",
                                      "2019/11/28 08:15:43 \xC4:22.6 E:114.0 37.5 km/h x:0.10 y:-0.20 z:9.80",
                                      "2019/11/28 08:15:44 N:22.7 \xFF:114.1 38.5 km/h x:0.10 y:-0.20 z:9.80"}));
        Completions done;
        KalGpsTool::shareTool()->getGpsInfo(path, done.block());
        QVERIFY(done.waitFor(1));
        QVERIFY(done.results[0].has_value());
        const QStringList lines = *done.results[0];
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[1].contains(" -:22.600000 E:114.000000 37.5 km/h"), qPrintable(lines[1]));
        QVERIFY2(lines[2].contains(" N:22.700001 -:114.099998 38.5 km/h"), qPrintable(lines[2]));
        // Called directly, the decoder gives the same lines.
        kalGpsInit();
        QCOMPARE(*KalGpsTool::shareTool()->startDecode(path, 0), lines);
    }

    void gsensorValuesDoNotLeakIntoTheNextRecording()
    {
        QTemporaryDir dir;
        const QString withG = dir.filePath("with.txt"), withoutG = dir.filePath("without.txt");
        QVERIFY(writeBlockFile(withG, {"2019/11/28 08:15:42 N:22.5 E:113.9 36.5 km/h x:0.10 y:-0.20 z:9.80",
                                       "2019/11/28 08:15:43 N:22.6 E:114.0 37.5 km/h"}));
        QVERIFY(writeBlockFile(withoutG, {"2019/11/28 09:00:00 N:23.5 E:113.9 36.5 km/h"}));
        Completions done;
        KalGpsTool::shareTool()->getGpsInfo(withG, done.block());
        KalGpsTool::shareTool()->getGpsInfo(withoutG, done.block());
        QVERIFY(done.waitFor(2));
        QVERIFY(done.results[0].has_value() && done.results[1].has_value());
        // Inside one recording the last values carry on ...
        QVERIFY2(done.results[0]->at(1).endsWith("x:0.10 y:-0.20 z:9.80"), qPrintable(done.results[0]->at(1)));
        // ... but the next recording starts from none.
        QVERIFY2(done.results[1]->at(0).endsWith("x:0.00 y:0.00 z:0.00"), qPrintable(done.results[1]->at(0)));
    }

    // A FIFO named like a recording has no writer: the one telemetry thread must not wait on
    // it, and the recording asked for next still gets its telemetry.
    void fifoDoesNotBlockTheTelemetryThread()
    {
        QTemporaryDir dir;
        const QByteArray fifo = QFile::encodeName(dir.filePath("pipe.mp4"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        // Should a reader wait in open() after all, a writer that comes and goes frees it.
        const auto release = qScopeGuard([&] {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
        Completions done;
        KalGpsTool::shareTool()->getGpsInfo(dir.filePath("pipe.mp4"), done.block());
        KalGpsTool::shareTool()->getGpsInfo(kData + "/clip-mp4-voka.mp4", done.block());
        QVERIFY(done.waitFor(2, 5000));
        QVERIFY(!done.results[0].has_value());
        QVERIFY(done.results[1].has_value());
        QCOMPARE(*done.results[1], kVokaLines);
    }

    void httpPathIsAnsweredAtOnceWithAnEmptyList()
    {
        Completions done;
        KalGpsTool::shareTool()->getGpsInfo("http://127.0.0.1:1/clip.mp4", done.block());
        QCOMPARE(done.results.size(), 1);
        QVERIFY(done.results[0].has_value());
        QVERIFY(done.results[0]->isEmpty());
    }

    void lastSelectionCompletesLast()
    {
        Completions done;
        KalGpsTool *tool = KalGpsTool::shareTool();
        tool->getGpsInfo(kData + "/clip.mov", done.block("mov"));
        tool->getGpsInfo(kData + "/clip.ts", done.block("ts"));
        tool->getGpsInfo(kData + "/clip-mp4-voka.mp4", done.block("mp4"));
        QVERIFY(done.waitFor(3));
        QCOMPARE(done.tags, QList<QString>({"mov", "ts", "mp4"}));
        QCOMPARE(done.results[0]->size(), 4);
        QCOMPARE(done.results[1]->size(), 3);
        QCOMPARE(*done.results[2], kVokaLines);
    }

    void remoteDecodeMatchesLocal_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("mp4") << "clip-mp4-voka.mp4";
        QTest::newRow("mov") << "clip.mov";
        QTest::newRow("ts") << "clip.ts";
        QTest::newRow("avi") << "clip.avi";
        if (QFile::exists(kData + '/' + kDemo))
            QTest::newRow("demo") << kDemo;
    }
    void remoteDecodeMatchesLocal()
    {
        QFETCH(QString, name);
        KalGpsTool *tool = KalGpsTool::shareTool();
        Completions local;
        tool->getGpsInfo(kData + '/' + name, local.block());
        QVERIFY(local.waitFor(1));
        QVERIFY(local.results[0].has_value());

        HttpFileServer server;
        const QByteArray path = "/" + QFileInfo(name).fileName().toLatin1();
        server.addFile(path, fileBytes(name));
        int requests[2] = {0, 0};
        for (bool readAhead : {false, true}) {
            tool->setReadAheadEnabled(readAhead);
            server.requests.clear();
            Completions remote;
            tool->getRemoteGpsInfo(server.url(path), remote.block());
            QVERIFY(remote.waitFor(1));
            QVERIFY(!remote.offGuiThread);
            QCOMPARE(remote.results[0], local.results[0]);
            // The length request asks for the first byte only; every other request reads a range.
            QVERIFY(server.requests.size() >= 2);
            QCOMPARE(server.requests[0].range, QByteArray("bytes=0-0"));
            QCOMPARE(server.rangedRequests(), int(server.requests.size()) - 1);
            requests[readAhead] = server.rangedRequests();
        }
        qInfo("%s (%lld bytes): %d ranged requests one per read, %d with read-ahead", qPrintable(QFileInfo(name).fileName()),
              qlonglong(fileBytes(name).size()), requests[0], requests[1]);
        QVERIFY(requests[1] <= requests[0]);
        QVERIFY(requests[1] <= 4);
    }

    void missingLengthOrMissingFileGivesNoList()
    {
        HttpFileServer server;
        server.addFile("/clip.mov", fileBytes("clip.mov"));
        // Without ranges the only length is the header's, and this server sends none.
        server.sendContentLength = false;
        server.honourRange = false;
        Completions done;
        KalGpsTool::shareTool()->getRemoteGpsInfo(server.url("/clip.mov"), done.block());
        KalGpsTool::shareTool()->getRemoteGpsInfo(server.url("/gone.mov"), done.block());
        QVERIFY(done.waitFor(2));
        QVERIFY(!done.results[0].has_value());
        QVERIFY(!done.results[1].has_value());
        QCOMPARE(server.requests.size(), 2); // the two length requests, nothing read after them
        QCOMPARE(server.rangedRequests(), 0);
    }

    void serverIgnoringRangesStillDecodes()
    {
        HttpFileServer server;
        server.addFile("/clip.mov", fileBytes("clip.mov"));
        server.honourRange = false;
        Completions done;
        KalGpsTool::shareTool()->getRemoteGpsInfo(server.url("/clip.mov"), done.block());
        QVERIFY(done.waitFor(1));
        QVERIFY(done.results[0].has_value());
        QCOMPARE(done.results[0]->size(), 4);
        QVERIFY(done.results[0]->at(0).contains("N:22.537540 E:114.027100"));
    }

    void rangeTextCarriesFullOffsets()
    {
        HttpFileServer server;
        server.addFile("/clip.mov", fileBytes("clip.mov"));
        KalGpsTool *tool = KalGpsTool::shareTool();
        tool->setRequest(server.url("/clip.mov"));
        std::optional<QByteArray> bytes;
        QThread *reader = QThread::create([&] { bytes = tool->getData(4294967300LL, 8); });
        reader->start();
        while (!reader->wait(10))
            QCoreApplication::processEvents();
        delete reader;
        QCOMPARE(server.requests.size(), 1);
        QCOMPARE(server.requests[0].range, QByteArray("bytes=4294967300-4294967307"));
        QVERIFY(!bytes.has_value()); // past the end: 416

        reader = QThread::create([&] { bytes = tool->getData(4, 4); });
        reader->start();
        while (!reader->wait(10))
            QCoreApplication::processEvents();
        delete reader;
        QCOMPARE(server.requests[1].range, QByteArray("bytes=4-7"));
        QVERIFY(bytes.has_value());
        QCOMPARE(*bytes, fileBytes("clip.mov").mid(4, 4));
        tool->setRequest(QUrl());
    }

    // A server that answers a small range with an endless body: only the asked bytes
    // are kept, and the transfer is stopped once they are in.
    void floodedRangedReadKeepsOnlyItsLength()
    {
        HttpFileServer server;
        server.addFile("/clip.mov", fileBytes("clip.mov"));
        server.floodRanges = true;
        KalGpsTool *tool = KalGpsTool::shareTool();
        tool->setRequest(server.url("/clip.mov"));
        std::optional<QByteArray> bytes;
        QThread *reader = QThread::create([&] { bytes = tool->getData(0, 4096); });
        reader->start();
        while (!reader->wait(10))
            QCoreApplication::processEvents();
        delete reader;
        QVERIFY(bytes.has_value());
        QCOMPARE(bytes->size(), 4096);
        QCOMPARE(*bytes, QByteArray(4096, 'f'));
        const qint64 sent = server.floodBytesSent;
        QTest::qWait(200);
        QVERIFY2(server.floodBytesSent - sent < 8 * 1024 * 1024, "the flood was not stopped");
        QVERIFY2(sent < 64 * 1024 * 1024, qPrintable(QString::number(sent)));
        tool->setRequest(QUrl());
    }

    // Quitting does not wait for a job under way: a bounded shut-down answers at once
    // that the thread still runs, and the job is left to end on its own.
    void boundedShutDownDoesNotWaitForTheJob()
    {
        GpsWorker worker;
        worker.start();
        std::atomic<bool> release{false};
        std::atomic<bool> started{false};
        worker.submit([&] {
            started = true;
            while (!release)
                QThread::msleep(5);
        });
        QTRY_VERIFY(started);
        QElapsedTimer t;
        t.start();
        QVERIFY(!worker.shutDown(0));
        QVERIFY(t.elapsed() < 1000);
        QVERIFY(worker.isRunning());
        release = true;
        QVERIFY(worker.shutDown(5000));
    }

    void cancellingEndsTheDecodeWithWhatItHas()
    {
        HttpFileServer server;
        server.addFile("/clip.ts", fileBytes("clip.ts"));
        server.delayMs = 150;
        KalGpsTool *tool = KalGpsTool::shareTool();
        tool->setReadAheadEnabled(false);

        Completions done;
        QElapsedTimer clock;
        clock.start();
        tool->getRemoteGpsInfo(server.url("/clip.ts"), done.block("remote"));
        tool->getGpsInfo(kData + "/clip.mov", done.block("queued"));
        QTRY_VERIFY_WITH_TIMEOUT(server.rangedRequests() >= 2, 10000);
        tool->stopGetInfo();
        QVERIFY(done.waitFor(2, 10000));
        QCOMPARE(done.tags, QList<QString>({"remote", "queued"}));
        // The transport stream needs a read per packet: far more than were sent.
        QVERIFY2(server.rangedRequests() < 10, qPrintable(QString::number(server.rangedRequests())));
        QVERIFY(!done.results[0].has_value() || done.results[0]->size() < 3);
        QVERIFY(!done.results[1].has_value()); // made before the stop: not decoded

        // A request after the stop runs normally.
        Completions after;
        tool->getGpsInfo(kData + "/clip-mp4-voka.mp4", after.block());
        QVERIFY(after.waitFor(1));
        QCOMPARE(*after.results[0], kVokaLines);
    }

    void localDecodeReportsProgressAndStopsWhenCancelled()
    {
        // 8 MiB of padding packets before the telemetry clip: the scan has a way to go.
        QTemporaryDir dir;
        const QString path = dir.filePath("long.ts");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray pad(188, char(0xFF));
        pad[0] = 0x47;
        pad[1] = 0x1F;
        for (int i = 0; i < (8 << 20) / 188; ++i)
            f.write(pad);
        f.write(fileBytes("clip.ts"));
        const qint64 size = f.size();
        f.close();

        KalGpsTool *tool = KalGpsTool::shareTool();
        QList<QPair<qint64, qint64>> seen;
        bool offGuiThread = false;
        auto conn = connect(tool, &KalGpsTool::decodeProgress, this,
                            [&](const QString &p, qint64 done, qint64 total) {
                                offGuiThread |= QThread::currentThread() != qApp->thread();
                                if (p == path)
                                    seen.append({done, total});
                            });
        Completions done;
        tool->getGpsInfo(path, done.block());
        QVERIFY(done.waitFor(1));
        QCoreApplication::processEvents();
        QVERIFY(!offGuiThread);
        QCOMPARE(done.results[0]->size(), 3);
        QVERIFY(seen.size() >= 2);
        QCOMPARE(seen.first().first, 0);
        QCOMPARE(seen.last(), qMakePair(size, size));
        disconnect(conn);

        // Cancelled at its first report (straight from the worker), the scan stops there
        // and never reaches the telemetry at the end.
        int reports = 0;
        conn = connect(tool, &KalGpsTool::decodeProgress, tool, [&, tool](const QString &, qint64, qint64) {
            if (++reports == 1)
                tool->stopGetInfo();
        }, Qt::DirectConnection);
        Completions cancelled;
        tool->getGpsInfo(path, cancelled.block());
        QVERIFY(cancelled.waitFor(1));
        disconnect(conn);
        QCOMPARE(reports, 1);
        QVERIFY(!cancelled.results[0].has_value());
    }

    // Cancelling one handle stops that request alone: its decode under way ends early and
    // says so, with nothing of what it had read; the requests queued behind it run as usual.
    void cancellingOneRequestLeavesTheOthers()
    {
        QTemporaryDir dir;
        const QString longTs = paddedStream(dir, "long.ts", 4);
        QVERIFY(!longTs.isEmpty());
        KalGpsTool *tool = KalGpsTool::shareTool();
        StalledDecode held(longTs);
        Outcomes done;
        const KalGpsTool::Handle running = tool->request(longTs, ExtractionPriority::Background, done.block("running"));
        QVERIFY(held.waitUntilHeld());
        const KalGpsTool::Handle queued = tool->request(kData + "/clip.mov", ExtractionPriority::Background, done.block("queued"));
        tool->request(kData + "/clip-mp4-voka.mp4", ExtractionPriority::Background, done.block("other"));
        tool->request(longTs, ExtractionPriority::Background, done.block("again"));
        QVERIFY(running != queued && running != 0 && queued != 0);
        tool->cancel(running);
        tool->cancel(queued);
        held.release();
        QVERIFY(done.waitFor(4));
        QCOMPARE(done.tags, QStringList({"running", "queued", "other", "again"}));
        QCOMPARE(done.of("running").status, ExtractionStatus::Cancelled);
        QVERIFY(done.of("running").lines.isEmpty() && !done.of("running").track);
        QCOMPARE(done.of("queued").status, ExtractionStatus::Cancelled);
        QCOMPARE(done.of("other").status, ExtractionStatus::Complete);
        QCOMPARE(done.of("other").lines, kVokaLines);
        QCOMPARE(trackSize(done.of("other").track), size_t(4));
        // The same recording asked for again is read in full: the cancel was that handle's.
        QCOMPARE(done.of("again").status, ExtractionStatus::Complete);
        QCOMPARE(done.of("again").lines.size(), 3);
        // Cancelling a handle that has answered, or one never given, touches nothing.
        tool->cancel(running);
        tool->cancel(0);
        Outcomes after;
        tool->request(kData + "/clip-mp4-voka.mp4", ExtractionPriority::Background, after.block("after"));
        QVERIFY(after.waitFor(1));
        QCOMPARE(after.of("after").status, ExtractionStatus::Complete);
    }

    // The player's request goes before every other one still waiting; a file that cannot
    // be read fails, which is not the same as having no telemetry.
    void playerRequestGoesFirstAndFailureIsNotEmpty()
    {
        QTemporaryDir dir;
        const QString longTs = paddedStream(dir, "long.ts", 2);
        QFile junk(dir.filePath("junk.mp4"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        KalGpsTool *tool = KalGpsTool::shareTool();
        StalledDecode held(longTs);
        Outcomes done;
        tool->request(longTs, ExtractionPriority::Background, done.block("held"));
        QVERIFY(held.waitUntilHeld());
        tool->request(kData + "/clip.mov", ExtractionPriority::Background, done.block("trip"));
        tool->request(dir.filePath("missing.mp4"), ExtractionPriority::Background, done.block("missing"));
        tool->request(junk.fileName(), ExtractionPriority::Player, done.block("player1"));
        tool->request(kData + "/clip-mp4-voka.mp4", ExtractionPriority::Player, done.block("player2"));
        held.release();
        QVERIFY(done.waitFor(5));
        QCOMPARE(done.tags, QStringList({"held", "player1", "player2", "trip", "missing"}));
        QCOMPARE(done.of("held").status, ExtractionStatus::Complete);
        QCOMPARE(done.of("held").lines.size(), 3);
        QCOMPARE(done.of("missing").status, ExtractionStatus::Failed);
        QCOMPARE(done.of("player1").status, ExtractionStatus::Complete); // read: no telemetry
        QVERIFY(done.of("player1").lines.isEmpty());
        QCOMPARE(done.of("player2").lines, kVokaLines);
    }

    // The old surface keeps its meaning on top of the handles: stopGetInfo calls off every
    // request made before it (whoever made it), and a cut-short decode gives no list -
    // never the part it had read.
    void stopGetInfoCallsOffEveryEarlierRequest()
    {
        QTemporaryDir dir;
        const QString longTs = paddedStream(dir, "long.ts", 2);
        KalGpsTool *tool = KalGpsTool::shareTool();
        StalledDecode held(longTs);
        Completions old;
        Outcomes done;
        tool->getGpsInfo(longTs, old.block("old"));
        QVERIFY(held.waitUntilHeld());
        tool->request(kData + "/clip.mov", ExtractionPriority::Player, done.block("before"));
        tool->stopGetInfo();
        tool->request(kData + "/clip-mp4-voka.mp4", ExtractionPriority::Background, done.block("after"));
        held.release();
        QVERIFY(old.waitFor(1));
        QVERIFY(done.waitFor(2));
        QVERIFY(!old.results[0].has_value());
        QCOMPARE(done.of("before").status, ExtractionStatus::Cancelled);
        QCOMPARE(done.of("after").status, ExtractionStatus::Complete);
        QCOMPARE(done.of("after").lines, kVokaLines);
    }

    void cancellingThePendingLengthRequestStillCompletes()
    {
        HttpFileServer server;
        server.addFile("/clip.mov", fileBytes("clip.mov"));
        server.delayMs = 8000;
        Completions done;
        QElapsedTimer clock;
        clock.start();
        KalGpsTool::shareTool()->getRemoteGpsInfo(server.url("/clip.mov"), done.block());
        QTRY_VERIFY_WITH_TIMEOUT(server.requests.size() == 1, 5000);
        KalGpsTool::shareTool()->stopGetInfo();
        QVERIFY(done.waitFor(1, 10000));
        QVERIFY(clock.elapsed() < 6000); // not held until the server answers
        QVERIFY(!done.results[0].has_value());
        QCOMPARE(server.requests.size(), 1);
        QCOMPARE(server.rangedRequests(), 0);
    }

    void slowRangedReadsTimeOutAfterTwoSeconds()
    {
        HttpFileServer server;
        server.addFile("/clip.avi", fileBytes("clip.avi"));
        server.rangeDelayMs = 6000;
        Completions done;
        QElapsedTimer clock;
        clock.start();
        KalGpsTool::shareTool()->getRemoteGpsInfo(server.url("/clip.avi"), done.block());
        QVERIFY(done.waitFor(1, 30000));
        const qint64 elapsed = clock.elapsed();
        const int reads = server.rangedRequests();
        QVERIFY(reads >= 1);
        // Each read gives up after its 2 s, long before the server would answer.
        QVERIFY2(elapsed >= 2000 && elapsed < reads * 2000 + 2500,
                 qPrintable(QString("%1 ms for %2 reads").arg(elapsed).arg(reads)));
        QVERIFY(!done.results[0].has_value() || done.results[0]->isEmpty());
    }

    void lengthRequestReportsTheLengthOnTheGuiThread()
    {
        HttpFileServer server;
        const QByteArray file = fileBytes("clip.mov");
        server.addFile("/clip.mov", file);
        KalGpsTool *tool = KalGpsTool::shareTool();
        tool->setRequest(server.url("/clip.mov"));
        qint64 length = -1;
        bool onGui = false;
        tool->getFileLength([&](qint64 n, QString) {
            length = n;
            onGui = QThread::currentThread() == qApp->thread();
        });
        QTRY_VERIFY_WITH_TIMEOUT(length >= 0, 10000);
        QCOMPARE(length, qint64(file.size()));
        QVERIFY(onGui);
        tool->setRequest(QUrl());
    }

    // A camera's card over its Wi-Fi: the length comes from a one-byte range, so hardly a byte
    // of the recording moves; a camera without ranges gives it in the header of a transfer
    // stopped at once; one that keeps the total back in its ranges is asked with HEAD.
    void lengthIsLearntWithoutMovingTheBody_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("asked");
        QTest::newRow("range") << 0 << QStringLiteral("/DCIM/a.MP4|0-0");
        QTest::newRow("no ranges") << 1 << QStringLiteral("/DCIM/a.MP4|0-0");
        QTest::newRow("total kept back") << 2 << QStringLiteral("/DCIM/a.MP4|0-0,HEAD /DCIM/a.MP4|");
    }
    void lengthIsLearntWithoutMovingTheBody()
    {
        QFETCH(int, mode);
        QFETCH(QString, asked);
        TestCamera camera(TestCamera::Dialect::Xml);
        TestCamera::File file;
        file.size = 64u << 20;
        file.pieces[0] = "ftyp";
        camera.addFile("DCIM/a.MP4", file);
        camera.ignoreRange = mode == 1;
        camera.hideTotal = mode == 2;
        camera.bytesPerSecond = 4u << 20; // the old whole-file GET would move megabytes before its abort landed
        KalGpsTool *tool = KalGpsTool::shareTool();
        tool->setRequest(QUrl(QString::fromStdString(camera.url() + "/DCIM/a.MP4")));
        qint64 length = -1;
        QString error;
        tool->getFileLength([&](qint64 n, QString why) {
            length = n;
            error = why;
        });
        QTRY_VERIFY_WITH_TIMEOUT(length >= 0, 10000);
        tool->setRequest(QUrl());
        QCOMPARE(length, qint64(64) << 20);
        QVERIFY(error.isEmpty());
        QStringList log;
        for (const std::string &r : camera.requests())
            log << QString::fromStdString(r);
        QCOMPARE(log.join(QLatin1Char(',')), asked);
        if (mode == 1)
            QVERIFY2(camera.bytesSent.load() < (1u << 20), std::to_string(camera.bytesSent.load()).c_str());
        else
            QVERIFY2(camera.bytesSent.load() <= 1, std::to_string(camera.bytesSent.load()).c_str());
    }

    void aMissingRecordingHasNoLength()
    {
        TestCamera camera(TestCamera::Dialect::Xml);
        KalGpsTool *tool = KalGpsTool::shareTool();
        tool->setRequest(QUrl(QString::fromStdString(camera.url() + "/DCIM/gone.MP4")));
        qint64 length = -1;
        QString error;
        tool->getFileLength([&](qint64 n, QString why) {
            length = n;
            error = why;
        });
        QTRY_VERIFY_WITH_TIMEOUT(length >= 0, 10000);
        tool->setRequest(QUrl());
        QCOMPARE(length, qint64(0));
        QVERIFY(error.contains(QStringLiteral("404")));
    }

    void datumOperationsForward()
    {
        KalGpsTool *tool = KalGpsTool::shareTool();
        QVERIFY(tool->isInsideChina(39.908692f, 116.397477f));
        QVERIFY(!tool->isInsideChina(48.25f, 11.5f));
        const Coordinate c = tool->wgs84ToGcj02({39.908692, 116.397477});
        QCOMPARE(QString::number(c.latitude, 'f', 6), QString("39.910095"));
        QCOMPARE(QString::number(c.longitude, 'f', 6), QString("116.403721"));
    }
};

QTEST_GUILESS_MAIN(TestKalGpsTool)
#include "tst_kalgpstool.moc"
