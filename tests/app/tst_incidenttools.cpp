// The after-the-incident tools of the main view: snapshot picture and name, the trip of
// real recordings, the track export read back by GPSBabel, and their settings section.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/exportdialog.h"
#include "app/incidentpreferences.h"
#include "app/incidenttools.h"
#include "app/ovraplayvc.h"
#include "app/snapshot.h"
#include "app/tripcontroller.h"
#include "core/preferences.h"
#include "playback/mediaplayview.h"
#include "service/kalgpstool.h"
#include "support/testsettings.h"
#include "track/trackdecoder.h"

namespace {
const QString kData = QStringLiteral(TRAVA_TEST_DATA);

void extract(const QString &path, std::function<void(const QStringList &)> done)
{
    KalGpsTool::shareTool()->getGpsInfo(path, [done](KalGpsTool::GpsLines lines) { done(lines ? *lines : QStringList()); });
}

GPSItem sample() { return GPSItem("2026/05/14 09:00:22", "11.585906", "48.160351", "100.0", 0, 0, 1); }
} // namespace

class TestIncidentTools : public QObject {
    Q_OBJECT
    TestSettings settings;

private slots:
    void init() { TestSettings::clear(); }

    // The stamp sits in the lower left corner at the picture's own size; speed follows the unit.
    void snapshotStampAndName()
    {
        QImage frame(640, 360, QImage::Format_RGB32);
        frame.fill(QColor(0, 90, 200));
        const Snapshot::Stamp kmh = Snapshot::stampFor(sample(), QStringLiteral("KMH"));
        QCOMPARE(kmh.time, QStringLiteral("2026/05/14 09:00:22"));
        QCOMPARE(kmh.speed, QStringLiteral("100 km/h"));
        QCOMPARE(kmh.position, QStringLiteral("48.160351, 11.585906"));
        QCOMPARE(Snapshot::stampFor(sample(), QStringLiteral("MPH")).speed, QStringLiteral("62 mph"));
        // Without a fix there is no position to stamp.
        QVERIFY(Snapshot::stampFor(GPSItem("t", "0", "0", "x", 0, 0, 0), QStringLiteral("KMH")).position.isEmpty());

        const QImage out = Snapshot::stamped(frame, kmh);
        QCOMPARE(out.size(), frame.size());
        QVERIFY(out.pixelColor(20, 340) != QColor(0, 90, 200)); // the stamp's box
        QCOMPARE(out.pixelColor(620, 20), QColor(0, 90, 200));  // the rest untouched
        QCOMPARE(Snapshot::stamped(frame, {}).pixelColor(20, 340), QColor(0, 90, 200));

        QTemporaryDir dir;
        const QString first = Snapshot::fileName(dir.path(), QStringLiteral("/cards/inc:ident.mp4"),
                                                 QStringLiteral("2026/05/14 09:00:22"), 0);
        QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("inc_ident_2026-05-14_09-00-22.png"));
        QVERIFY(out.save(first));
        QCOMPARE(QFileInfo(Snapshot::fileName(dir.path(), QStringLiteral("inc:ident.mp4"), QStringLiteral("2026/05/14 09:00:22"), 0)).fileName(),
                 QStringLiteral("inc_ident_2026-05-14_09-00-22-2.png"));
        QCOMPARE(QFileInfo(Snapshot::fileName(dir.path(), QStringLiteral("a.mp4"), QString(), 3725.9)).fileName(),
                 QStringLiteral("a_01-02-05.png"));
        // A dangling link takes its name: saving through it would create its target.
        QVERIFY(QFile::link(dir.filePath("elsewhere/victim"), dir.filePath("a_01-02-05.png")));
        QCOMPARE(QFileInfo(Snapshot::fileName(dir.path(), QStringLiteral("a.mp4"), QString(), 3725.9)).fileName(),
                 QStringLiteral("a_01-02-05-2.png"));
        // With every name taken there is none, rather than the last one written over.
        for (int n = 2; n < 10000; ++n)
            QFile(dir.filePath(QStringLiteral("a_01-02-05-%1.png").arg(n))).open(QIODevice::WriteOnly);
        QVERIFY(Snapshot::fileName(dir.path(), QStringLiteral("a.mp4"), QString(), 3725.9).isEmpty());
    }

    // Another user who can write the folder plants links where the player writes: a dangling
    // link under the snapshot's name, a link under the export's name. Neither is followed.
    void plantedLinksAreNeverWrittenThrough()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("shared"));
        QVERIFY(QDir(dir.path()).mkpath("home"));
        QFile::setPermissions(dir.filePath("shared"), QFileDevice::Permissions(0x7777));
        QFile mine(dir.filePath("home/profile"));
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("mine");
        mine.close();

        QStringList notices;
        TrackExporter exporter(extract, [&](const QString &n) { notices << n; });
        const QString target = dir.filePath("shared/track.gpx");
        QVERIFY(QFile::link(mine.fileName(), target));
        bool done = false, ok = false;
        exporter.run({kData + "/trip-1.mp4"}, QStringLiteral("gpx"), QStringLiteral("wgs84"), false, target,
                     [&](bool r) { done = true; ok = r; });
        QTRY_VERIFY(done);
        QVERIFY2(ok, qPrintable(notices.join('\n')));
        QVERIFY(!QFileInfo(target).isSymLink());
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("<gpx"));
        QVERIFY(mine.open(QIODevice::ReadOnly));
        QCOMPARE(mine.readAll(), QByteArray("mine"));
        mine.close();
        // A folder link in a folder everybody writes is not followed: nothing lands at home.
        QVERIFY(QFile::link(dir.filePath("home"), dir.filePath("shared/tracks")));
        done = false;
        exporter.run({kData + "/trip-1.mp4"}, QStringLiteral("gpx"), QStringLiteral("wgs84"), false,
                     dir.filePath("shared/tracks/track.gpx"), [&](bool r) { done = true; ok = r; });
        QTRY_VERIFY(done);
        QVERIFY(!ok);
        QVERIFY(!QFile::exists(dir.filePath("home/track.gpx")));

        // The snapshot folder with a dangling link under the first name: the picture takes the
        // next name and the link's target is never created.
        QWidget window;
        MediaPlayView view(&window);
        window.show();
        Snapshot shot(&window, &view, [] { return std::optional<GPSItem>(sample()); },
                      [] { return kData + "/playback/clip2s.mp4"; });
        IncidentPreferences::setSnapshotFolder(dir.filePath("shared"));
        QVERIFY(QFile::link(dir.filePath("home/planted.png"), dir.filePath("shared/clip2s_2026-05-14_09-00-22.png")));
        view.playFile(kData + "/playback/clip2s.mp4");
        QTRY_VERIFY_WITH_TIMEOUT(!view.previousPixelBuffer().isNull(), 10000);
        const QString saved = shot.save();
        QCOMPARE(QFileInfo(saved).fileName(), QStringLiteral("clip2s_2026-05-14_09-00-22-2.png"));
        QVERIFY(!QFile::exists(dir.filePath("home/planted.png")));
        QCOMPARE(QImage(saved).size(), QSize(320, 180));
        view.stopPlayVideo();
    }

    // Three recordings of one drive in the list with an unrelated one: the trip is found
    // from any of its parts, extracting the neighbours through the service.
    void tripOfRealRecordings()
    {
        QStringList list{kData + "/incident.mp4", kData + "/trip-1.mp4", kData + "/trip-2.mp4", kData + "/trip-3.mp4"};
        TripController trip([list] { return list; }, extract, nullptr);
        QSignalSpy changed(&trip, &TripController::tripChanged);
        Track middle;
        extract(list[2], [&](const QStringList &lines) {
            std::vector<std::string> raw;
            for (const QString &l : lines)
                raw.push_back(l.toStdString());
            middle = decodeGpsData(raw);
        });
        QTRY_VERIFY(middle);
        trip.recordingLoaded(list[2], middle);
        QTRY_VERIFY(!trip.searching());
        QCOMPARE(trip.tripPaths(), list.mid(1));
        QCOMPARE(trip.currentPart(), 1);
        QCOMPARE(trip.tripSummary().durationSeconds, 29);
        QVERIFY(trip.tripText().contains(QStringLiteral("00:00:29")));
        // Choosing the next part keeps the trip; choosing another recording drops it.
        trip.recordingSelected(list[3]);
        QVERIFY(trip.isTrip());
        trip.recordingSelected(list[0]);
        QVERIFY(!trip.isTrip());
        QVERIFY(trip.tripText().isEmpty());
    }

    // The player's export goes through trava-gps's writers; GPSBabel reads it back.
    void exportReadBackByGpsBabel()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty())
            QSKIP("gpsbabel not installed");
        QTemporaryDir dir;
        QStringList notices;
        TrackExporter exporter(extract, [&](const QString &n) { notices << n; });
        const QStringList trip{kData + "/trip-1.mp4", kData + "/trip-2.mp4", kData + "/trip-3.mp4"};
        for (const QString &format : {QStringLiteral("gpx"), QStringLiteral("kml"), QStringLiteral("csv"), QStringLiteral("geojson")}) {
            const QString target = dir.filePath(TrackExporter::suggestedName(trip[0], true, format));
            bool done = false, ok = false;
            exporter.run(trip, format, QStringLiteral("wgs84"), true, target, [&](bool r) { done = true; ok = r; });
            QTRY_VERIFY(done);
            QVERIFY2(ok, qPrintable(notices.join('\n')));
            QVERIFY(notices.last().endsWith(target));
            if (format == QLatin1String("csv"))
                continue; // our CSV has its own columns
            if (format == QLatin1String("geojson")) {
                // GPSBabel takes GeoJSON lines for routes, not tracks: read it as JSON.
                QFile f(target);
                QVERIFY(f.open(QIODevice::ReadOnly));
                const QJsonArray coords = QJsonDocument::fromJson(f.readAll())["features"][0]["geometry"]["coordinates"].toArray();
                QCOMPARE(coords.size(), 30);
                continue;
            }
            const QString babel = format;
            QProcess p;
            p.start(QStringLiteral("gpsbabel"), {QStringLiteral("-t"), QStringLiteral("-i"), babel, QStringLiteral("-f"), target,
                                                  QStringLiteral("-o"), QStringLiteral("unicsv"), QStringLiteral("-F"), QStringLiteral("-")});
            QVERIFY(p.waitForFinished(30000));
            const QStringList rows = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
            // A header and the 30 samples of the whole trip, the first at trip-1's start.
            QCOMPARE(rows.size(), 31);
            QVERIFY2(rows[1].contains(QStringLiteral("48.16196")), qPrintable(rows[1]));
        }
        // A recording without telemetry is said so, and nothing is written.
        bool done = false, ok = true;
        const QString none = dir.filePath(QStringLiteral("none.gpx"));
        exporter.run({kData + "/playback/clip2s.mp4"}, QStringLiteral("gpx"), QStringLiteral("wgs84"), false, none,
                     [&](bool r) { done = true; ok = r; });
        QTRY_VERIFY(done);
        QVERIFY(!ok);
        QVERIFY(!QFile::exists(none));
    }

    // A view smaller than the recording gets smaller pictures; the snapshot still has the
    // recording's own size, stamped, playing or paused.
    void snapshotHasTheRecordingsSize()
    {
        QWidget window;
        MediaPlayView view(&window);
        view.resize(160, 90);
        window.show();
        Snapshot shot(&window, &view, [] { return std::optional<GPSItem>(sample()); },
                      [] { return kData + "/playback/clip2s.mp4"; });
        view.playFile(kData + "/playback/clip2s.mp4");
        QTRY_VERIFY_WITH_TIMEOUT(!view.previousPixelBuffer().isNull(), 10000);
        QCOMPARE(view.previousPixelBuffer().width(), 160);
        QCOMPARE(shot.picture().size(), QSize(320, 180));
        view.resumOrPauseVideo();
        QTRY_COMPARE_WITH_TIMEOUT(view.playState(), quint64(MediaPlayStatePaused), 10000);
        QCOMPARE(shot.picture().size(), QSize(320, 180));
    }

    // The main view carries the tools: window shortcuts, the File-menu action, and the
    // settings that the snapshot and the detector read.
    void mainViewCarriesTheTools()
    {
        OvraPlayVC vc;
        vc.resize(1080, 660);
        auto *tools = vc.findChild<IncidentTools *>();
        QVERIFY(tools);
        QCOMPARE(tools->snapshot()->saveAction()->shortcut(), QKeySequence(Qt::Key_S));
        QCOMPARE(tools->snapshot()->copyAction()->shortcut(), QKeySequence::Copy);
        QVERIFY(tools->exportAction()->property("fileMenu").toBool());
        QVERIFY(vc.findChild<QAction *>(QStringLiteral("nextEventAction")));
        QVERIFY(IncidentPreferences::snapshotStamp());
        tools->stampBox()->setChecked(false);
        QVERIFY(!IncidentPreferences::snapshotStamp());
        QCOMPARE(tools->sensitivityBox()->count(), 3);
        QCOMPARE(tools->sensitivityBox()->currentIndex(), 1);
        // Nothing plays: a snapshot saves nothing and says so.
        QVERIFY(tools->snapshot()->save().isEmpty());
        QVERIFY(!tools->snapshot()->lastNotice().isEmpty());
        QVERIFY(!tools->tripLabel()->isVisible());
    }
};

QTEST_MAIN(TestIncidentTools)
#include "tst_incidenttools.moc"
