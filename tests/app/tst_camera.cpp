// A dash camera over its Wi-Fi in the window: listing in every dialect, a camera that falls
// silent, telemetry before any download, and downloads that resume, skip, verify and never
// write through a planted link. The camera is tests/support's test camera on 127.0.0.1.
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <unistd.h>

#include "app/cameraactions.h"
#include "app/cameradownloader.h"
#include "app/camerapanel.h"
#include "net/cameraconnection.h"
#include "support/cameracard.h"
#include "support/testcamera.h"
#include "support/testsettings.h"

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<CameraDownload> downloadsOf(const TestCamera &camera, const std::vector<std::string> &paths,
                                  std::int64_t sizeOverride = -1)
{
    QList<CameraDownload> files;
    for (const std::string &p : paths) {
        const QUrl address = CameraConnection::normalizedAddress(QString::fromStdString(camera.url()));
        CameraEntry e{p, "/" + p, 0, {}};
        files.append({CameraConnection::fileUrl(address, e), QString::fromStdString(p), 0});
    }
    if (sizeOverride >= 0)
        files.first().size = sizeOverride;
    return files;
}

} // namespace

class TestCamera_ : public QObject {
    Q_OBJECT
    TestSettings settings;

private slots:
    void init() { TestSettings::clearInEnglish(); }

    void addressesAreCheckedAndRemembered()
    {
        QString why;
        QCOMPARE(CameraConnection::normalizedAddress(QStringLiteral("192.168.1.254")).toString(),
                 QStringLiteral("http://192.168.1.254"));
        QVERIFY(!CameraConnection::normalizedAddress(QStringLiteral("ftp://192.168.1.254"), &why).isValid());
        QVERIFY(!CameraConnection::normalizedAddress(QStringLiteral("http://a@b/"), &why).isValid());
        QCOMPARE(cameraAddressChoices(),
                 (QStringList{QStringLiteral("http://192.168.1.254"), QStringLiteral("http://10.99.77.1")}));
        rememberCameraAddress(QStringLiteral("http://10.0.0.5"));
        QCOMPARE(cameraAddressChoices().first(), QStringLiteral("http://10.0.0.5"));
        QCOMPARE(cameraAddressChoices().size(), 3);
    }

    void listsEveryDialect_data()
    {
        QTest::addColumn<int>("dialect");
        QTest::newRow("xml") << int(TestCamera::Dialect::Xml);
        QTest::newRow("vod") << int(TestCamera::Dialect::Vod);
        QTest::newRow("html") << int(TestCamera::Dialect::Html);
    }
    void listsEveryDialect()
    {
        QFETCH(int, dialect);
        const auto d = TestCamera::Dialect(dialect);
        TestCamera camera(d);
        cameracard::fillCard(camera, d, 4, 10, 1000);
        CameraConnection connection;
        QSignalSpy listed(&connection, &CameraConnection::listed);
        connection.list(QUrl(QString::fromStdString(camera.url())));
        QVERIFY(listed.wait(5000));
        QCOMPARE(listed.first().first().value<CameraListing>().entries.size(), std::size_t(4));
    }

    void aSilentCameraGivesAClearState()
    {
        TestCamera camera(TestCamera::Dialect::Xml);
        camera.addFile("DCIM/Movie/a.MP4", "x");
        camera.stallAfterBytes = 20;
        CameraPanel panel;
        panel.connection()->silenceMs = 300;
        QElapsedTimer clock;
        clock.start();
        panel.connectTo(QUrl(QString::fromStdString(camera.url())));
        QTRY_VERIFY_WITH_TIMEOUT(panel.statusText().contains(QStringLiteral("cannot be read")), 5000);
        QVERIFY(clock.elapsed() < 4000);
        QCOMPARE(panel.headerRow()->childCount(), 0);
    }

    void telemetryShowsBeforeAnyDownloadAndRowsPlayFromTheCamera()
    {
        TestCamera camera(TestCamera::Dialect::Xml);
        const std::vector<std::string> card = cameracard::fillCard(camera, TestCamera::Dialect::Xml, 4, 60, 8u << 20);
        camera.addFile("DCIM/Movie/2026_0514_110000_009F.TS", std::string(188 * 10, '\0'));
        camera.addHostileName("A:\\DCIM\\..\\..\\<b>evil</b>.MP4");
        CameraPanel panel;
        QSignalSpy play(&panel, &CameraPanel::playRequested);
        panel.connectTo(QUrl(QString::fromStdString(camera.url())));
        QTRY_COMPARE_WITH_TIMEOUT(panel.headerRow()->childCount(), 5, 5000);
        QVERIFY(panel.headerRow()->text(0).contains(QString::fromStdString(camera.url())));
        QVERIFY(panel.statusText().contains(QStringLiteral("1 names refused")));
        QTreeWidgetItem *event = nullptr, *stream = nullptr;
        for (int i = 0; i < panel.headerRow()->childCount(); ++i) {
            QTreeWidgetItem *row = panel.headerRow()->child(i);
            if (row->text(0).endsWith(QLatin1String("004F.MP4")))
                event = row;
            if (row->text(0).endsWith(QLatin1String(".TS")))
                stream = row;
        }
        QVERIFY(event && stream);
        QVERIFY(stream->text(CameraPanel::TelemetryColumn).contains(QStringLiteral("full read")));
        QTRY_VERIFY_WITH_TIMEOUT(event->text(CameraPanel::TelemetryColumn).contains(QStringLiteral("1 harsh")), 20000);
        QVERIFY(event->text(CameraPanel::TelemetryColumn).startsWith(QStringLiteral("60 s")));
        // The routes came with a small share of the card: ranged reads of the telemetry
        // regions (the length request's GET is dropped once its header is in).
        std::uint64_t ranged = 0;
        for (const std::string &r : camera.requests()) {
            const std::size_t bar = r.find('|'), dash = r.rfind('-');
            if (bar + 1 < r.size() && dash != std::string::npos && dash + 1 < r.size())
                ranged += std::stoull(r.substr(dash + 1)) - std::stoull(r.substr(bar + 1)) + 1;
        }
        QVERIFY(ranged > 0);
        QVERIFY2(ranged < (4u * (8u << 20)) / 50, std::to_string(ranged).c_str());

        emit panel.tree()->itemDoubleClicked(event, 0);
        QCOMPARE(play.size(), 1);
        const MFileModel record = play.first().first().value<MFileModel>();
        QCOMPARE(record.fLocalPath, QString::fromStdString(camera.url()) + QStringLiteral("/DCIM/EMR/2026_0514_100300_004F.MP4"));

        // Once downloaded, the row plays from disk.
        QTemporaryDir dir;
        panel.tree()->clearSelection();
        event->setSelected(true);
        QSignalSpy done(panel.downloader(), &CameraDownloader::finished);
        panel.downloadSelected(dir.path());
        QVERIFY(done.wait(20000));
        const QString local = dir.path() + QStringLiteral("/DCIM/EMR/2026_0514_100300_004F.MP4");
        QCOMPARE(panel.recordAt(event).fLocalPath, local);
        QCOMPARE(QFileInfo(local).size(), qint64(camera.contents("DCIM/EMR/2026_0514_100300_004F.MP4").size()));
        QCOMPARE(panel.downloadKind(QStringLiteral("event"), dir.path()), 0); // no kind rule yet
    }

    // The window's panel reads kinds by the card's rules: "all events" takes the event
    // recordings and nothing else; a locked folder locks whatever the name says.
    void theWindowsPanelDownloadsByKind()
    {
        const auto kind = cameraKindRule();
        QCOMPARE(kind(CameraEntry{"DCIM/RO/2026_0514_091500_0001F.MP4", "", 0, {}}), QStringLiteral("locked"));
        QCOMPARE(kind(CameraEntry{"DCIM/Movie/2026_0514_091500_0003EF.MP4", "", 0, {}}), QStringLiteral("event"));
        QCOMPARE(kind(CameraEntry{"DCIM/Movie/2026_0514_091500_0002F.MP4", "", 0, {}}), QStringLiteral("normal"));
        TestCamera camera(TestCamera::Dialect::Vod);
        const std::vector<std::string> card = cameracard::fillCard(camera, TestCamera::Dialect::Vod, 4, 10, 200000);
        QWidget window;
        CameraPanel *panel = cameraPanel(&window, nullptr);
        QCOMPARE(cameraPanel(&window, nullptr), panel);
        panel->connectTo(QUrl(QString::fromStdString(camera.url())));
        QTRY_COMPARE_WITH_TIMEOUT(panel->headerRow()->childCount(), 4, 5000);
        QTemporaryDir dir;
        QSignalSpy done(panel->downloader(), &CameraDownloader::finished);
        QCOMPARE(panel->downloadKind(QStringLiteral("locked"), dir.path()), 0);
        QCOMPARE(panel->downloadKind(QStringLiteral("event"), dir.path()), 1);
        QVERIFY(done.wait(20000));
        for (const std::string &p : card) {
            const bool isEvent = p.find("_EF.") != std::string::npos;
            QCOMPARE(QFile::exists(dir.path() + QLatin1Char('/') + QString::fromStdString(p)), isEvent);
        }
    }

    void downloadsKeepTheLayoutResumeAndSkip()
    {
        TestCamera camera(TestCamera::Dialect::Vod);
        std::vector<std::string> paths = cameracard::fillCard(camera, TestCamera::Dialect::Vod, 3, 10, 600000);
        camera.dropAfterBytes = 200000;
        camera.drops = 2; // the first two answers break off
        QTemporaryDir dir;
        CameraDownloader downloader;
        downloader.retryDelayMs = 10;
        QSignalSpy finished(&downloader, &CameraDownloader::finished);
        QSignalSpy files(&downloader, &CameraDownloader::fileFinished);
        QVERIFY(downloader.start(dir.path(), downloadsOf(camera, paths)));
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().at(0).toInt(), 3);
        for (const QList<QVariant> &f : files)
            QVERIFY2(f.at(2).toString().isEmpty(), qPrintable(f.at(2).toString()));
        for (const std::string &p : paths) {
            const QString local = dir.path() + QLatin1Char('/') + QString::fromStdString(p);
            QVERIFY(readAll(local) == QByteArray::fromStdString(camera.contents(p)));
            QVERIFY(!QFile::exists(local + QStringLiteral(".part")));
        }
        int resumed = 0;
        for (const std::string &r : camera.requests())
            resumed += r.find("|200000-") != std::string::npos ? 1 : 0;
        QCOMPARE(resumed, 2);

        // Again: every file is whole already, nothing is asked for.
        const int before = camera.requestCount.load();
        finished.clear();
        QVERIFY(downloader.start(dir.path(), downloadsOf(camera, paths)));
        QVERIFY(finished.wait(5000));
        QCOMPARE(camera.requestCount.load(), before);
    }

    void sizesThatLieAndPlantedLinksFail()
    {
        TestCamera camera(TestCamera::Dialect::Vod);
        camera.addFile("Record/20260514_100000_NF.mp4", std::string(5000, 'a'));
        QTemporaryDir dir;
        CameraDownloader downloader;
        QSignalSpy files(&downloader, &CameraDownloader::fileFinished);
        QSignalSpy finished(&downloader, &CameraDownloader::finished);
        QVERIFY(downloader.start(dir.path(), downloadsOf(camera, {"Record/20260514_100000_NF.mp4"}, 6000)));
        QVERIFY(finished.wait(5000));
        QVERIFY(files.first().at(2).toString().contains(QStringLiteral("listed 6000")));
        QVERIFY(!QFile::exists(dir.path() + QStringLiteral("/Record/20260514_100000_NF.mp4")));

        // A link planted where the part goes is not written through.
        QFile::remove(dir.path() + QStringLiteral("/Record/20260514_100000_NF.mp4.part"));
        const QString victim = dir.path() + QStringLiteral("/victim");
        QFile(victim).open(QIODevice::WriteOnly);
        QVERIFY(QFile::link(victim, dir.path() + QStringLiteral("/Record/20260514_100000_NF.mp4.part")));
        finished.clear();
        files.clear();
        QVERIFY(downloader.start(dir.path(), downloadsOf(camera, {"Record/20260514_100000_NF.mp4"})));
        QVERIFY(finished.wait(5000));
        QVERIFY(!files.first().at(2).toString().isEmpty());
        QCOMPARE(QFileInfo(victim).size(), qint64(0));
    }

    void aDownloadCutOffForGoodSaysSoAndKeepsItsPart()
    {
        TestCamera camera(TestCamera::Dialect::Vod);
        camera.addFile("Record/20260514_100000_NF.mp4", std::string(300000, 'b'));
        camera.stallAfterBytes = 100000;
        QTemporaryDir dir;
        CameraDownloader downloader;
        downloader.silenceMs = 300;
        downloader.retries = 1;
        downloader.retryDelayMs = 10;
        QSignalSpy files(&downloader, &CameraDownloader::fileFinished);
        QVERIFY(downloader.start(dir.path(), downloadsOf(camera, {"Record/20260514_100000_NF.mp4"})));
        QTRY_COMPARE_WITH_TIMEOUT(files.size(), 1, 5000);
        QVERIFY(!files.first().at(2).toString().isEmpty());
        QCOMPARE(QFileInfo(dir.path() + QStringLiteral("/Record/20260514_100000_NF.mp4.part")).size(),
                 qint64(100000) * (downloader.retries + 1)); // each try got as far as the camera sent
    }
};

QTEST_MAIN(TestCamera_)
#include "tst_camera.moc"
