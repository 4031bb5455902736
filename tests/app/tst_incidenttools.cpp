// The after-the-incident tools of the main view: snapshot picture and name, the trip of
// real recordings, the track export read back by GPSBabel, and their settings section.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLayout>
#include <QToolButton>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/colorpanel.h"
#include "app/exportdialog.h"
#include "app/incidentpreferences.h"
#include "app/incidenttools.h"
#include "app/ovraplayvc.h"
#include "app/playbacksync.h"
#include "app/playerextraction.h"
#include "app/snapshot.h"
#include "app/tripcontroller.h"
#include "core/mediaplayerdelegate.h"
#include "core/mlanguagemanager.h"
#include "core/zoneclocks.h"
#include "instruments/map/gpsmapview.h"
#include "core/preferences.h"
#include "instruments/dashboardstate.h"
#include "playback/channelset.h"
#include "playback/mediaplayview.h"
#include "playback/playcontrolview.h"
#include "service/kalgpstool.h"
#include "support/channelcard.h"
#include "support/stalleddecode.h"
#include "support/sceneview.h"
#include "support/testsettings.h"
#include "support/tsrecording.h"
#include "track/cameraclock.h"
#include "track/trackdecoder.h"
#include "track/trip.h"
#include "track/zonedclock.h"

namespace {
const QString kData = QStringLiteral(TRAVA_TEST_DATA);

void extract(const QString &path, std::function<void(const QStringList &)> done)
{
    KalGpsTool::shareTool()->getGpsInfo(path, [done](KalGpsTool::GpsLines lines) { done(lines ? *lines : QStringList()); });
}

// Three recordings of one generated drive, 12 samples each (35 s, 36 samples in all).
QStringList driveOfThree(const QTemporaryDir &dir)
{
    QStringList parts;
    for (int i = 0; i < 3; ++i) {
        parts << dir.filePath(QStringLiteral("drive-%1.ts").arg(i + 1));
        if (!writeTsRecording(parts.last(), 12 * i, 12))
            return {};
    }
    return parts;
}

GPSItem sample() { return GPSItem("2026/05/14 09:00:22", "11.585906", "48.160351", "100.0", 0, 0, 1); }
Track twoSamples()
{
    return std::make_shared<const std::vector<GPSItem>>(std::vector<GPSItem>{
        sample(), GPSItem("2026/05/14 09:00:23", "11.586206", "48.160551", "90.0", 0.1, 0, 1)});
}
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
        TrackExporter exporter([&](const QString &n) { notices << n; });
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

    // "With dashboard": the band under the picture (which stays as it was) or over its
    // lower part, drawn from the state of the second on display.
    void snapshotWithDashboard()
    {
        QImage frame(640, 360, QImage::Format_RGB32);
        frame.fill(QColor(0, 90, 200));
        const Track track = twoSamples();
        const DashboardState state = dashboardStateAt(track, 1.5, QStringLiteral("KMH"));
        QVERIFY(state.hasSample());
        const QImage under = Snapshot::withDashboard(frame, state, Snapshot::DashboardBand::Under);
        QCOMPARE(under.size(), QSize(640, 360 + 120));
        QCOMPARE(under.copy(0, 0, 640, 360), frame);
        QImage plainBand(640, 120, QImage::Format_RGB32);
        plainBand.fill(QColor(30, 30, 30));
        QVERIFY(under.copy(0, 360, 640, 120) != plainBand); // the instruments are drawn on it
        const QImage over = Snapshot::withDashboard(frame, state, Snapshot::DashboardBand::Over);
        QCOMPARE(over.size(), frame.size());
        QCOMPARE(over.copy(0, 0, 640, 290), frame.copy(0, 0, 640, 290)); // above the band (67 high)
        QVERIFY(over.copy(0, 293, 640, 67) != frame.copy(0, 293, 640, 67));
        QCOMPARE(Snapshot::withDashboard(frame, state, Snapshot::DashboardBand::Off), frame);
        QVERIFY(Snapshot::withDashboard(QImage(), state, Snapshot::DashboardBand::Under).isNull());

        QCOMPARE(Snapshot::dashboardBand(), Snapshot::DashboardBand::Off);
        Snapshot::setDashboardBand(Snapshot::DashboardBand::Over);
        QCOMPARE(QSettings().value(QLatin1String(kSnapshotWithDashboard)).toString(), QStringLiteral("over"));
        QCOMPARE(Snapshot::dashboardBand(), Snapshot::DashboardBand::Over);
        QSettings().setValue(QLatin1String(kSnapshotWithDashboard), QStringLiteral("junk"));
        QCOMPARE(Snapshot::dashboardBand(), Snapshot::DashboardBand::Off);
    }

    // Three recordings of one drive in the list with an unrelated one: the trip is found
    // from any of its parts, extracting the neighbours through the service.
    void tripOfRealRecordings()
    {
        QStringList list{kData + "/incident.mp4", kData + "/trip-1.mp4", kData + "/trip-2.mp4", kData + "/trip-3.mp4"};
        TripController trip([list] { return list; }, nullptr);
        trip.setInlineSummaryLimit(0); // summed on the worker, as a day's trip is
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
        QCOMPARE(changed.count(), 1); // once, when the sums are in
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

    // The trip search reads a neighbour while the user picks another recording: the
    // player's selection calls off only the player's own reading, and whatever part of a
    // neighbour had been read is never remembered as its telemetry.
    void tripSearchSurvivesAnotherSelection()
    {
        QTemporaryDir dir;
        const QStringList parts = driveOfThree(dir);
        QVERIFY(!parts.isEmpty());
        PlaybackSync sync;
        connectPlayerExtraction(&sync, nullptr);
        GpsMapView map;
        TripController trip([parts] { return parts; }, &map);
        QString loaded;
        // As the main view does it: the trip hears of a choice first, of its track after.
        connect(&sync, &PlaybackSync::trackLoaded, &trip, [&](const QString &path, int) {
            loaded = path;
            trip.recordingLoaded(path, sync.stats().track(), sync.trackComplete());
        });
        auto select = [&](const QString &path) {
            trip.recordingSelected(path);
            sync.mediaPlayerDidSelectModel(MFileModel::fromPath(path));
        };
        StalledDecode held(parts[1], 1 << 20);
        select(parts[0]);
        QVERIFY(held.waitUntilHeld()); // the search is half-way through drive-2
        QVERIFY(trip.searching());
        select(parts[2]);
        held.release();
        QTRY_COMPARE_WITH_TIMEOUT(loaded, parts[2], 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!trip.searching(), 20000);
        QCOMPARE(trip.tripPaths(), parts);
        QCOMPARE(trip.currentPart(), 2);
        const TripSummary whole = trip.tripSummary();
        QCOMPARE(whole.samples, size_t(36));
        QCOMPARE(whole.durationSeconds, 35);
        QVERIFY(whole.topSpeedKmh > 39.9 && whole.topSpeedKmh < 40.1);
        QVERIFY(trip.tripText().contains(QStringLiteral("00:00:35")));
        // When the trip ran, on the clock chosen for its card and named by its zone; the card
        // shows it in place of the duration.
        const auto first = trackTimeSpan(trip.tripTracks().front()), last = trackTimeSpan(trip.tripTracks().back());
        QVERIFY(first && last);
        const std::string from = sampleTimeText(first->first), to = sampleTimeText(last->last);
        QCOMPARE(trip.tripClockText(), QString::fromStdString(ZonedClock().spanText(from, to)));
        ZoneClocks::shared()->setFolderChoice(dir.path(), ZoneChoice::fromText("Asia/Kathmandu"));
        const QString kathmandu = trip.tripClockText();
        QCOMPARE(kathmandu, QString::fromStdString(
                                ZonedClock::named("Asia/Kathmandu", ZoneClocks::lookupFor(QStringLiteral("Asia/Kathmandu")))
                                    .spanText(from, to)));
        QVERIFY2(kathmandu.endsWith(QLatin1String(" UTC+5:45")), qPrintable(kathmandu));
        QVERIFY(trip.tripCardText().contains(kathmandu) && !trip.tripCardText().contains(QLatin1String("00:00:35")));
        QVERIFY(trip.tripText().contains(kathmandu) && trip.recordingText().contains(QLatin1String(" UTC+5:45")));
        ZoneClocks::shared()->setFolderChoice(dir.path(), ZoneChoice());
        QVERIFY(map.hasTrip());
        // The last part finished: the end of the trip leaves the map empty.
        map.clearMapAnotation();
        trip.playbackHalted(MediaPlayStateFinished);
        QVERIFY(!map.hasTrip());
        // Choosing drive-2 now finds the same trip from the middle.
        select(parts[1]);
        QTRY_COMPARE_WITH_TIMEOUT(loaded, parts[1], 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!trip.searching(), 20000);
        QCOMPARE(trip.tripPaths(), parts);
        QCOMPARE(trip.recordingSummary().samples, size_t(12));
        // Stopped, failed or finished with its next part to come: only moving on within the
        // trip keeps it on the map (the reset has just cleared the map of everything).
        map.clearMapAnotation();
        trip.playbackHalted(MediaPlayStateFinished);
        QVERIFY(map.hasTrip());
        for (quint64 state : {quint64(MediaPlayStateStopped), quint64(MediaPlayStateError)}) {
            map.clearMapAnotation();
            trip.playbackHalted(state);
            QVERIFY(!map.hasTrip());
        }
        trip.recordingSelected(parts[2]); // the next part was chosen: the player stops first
        map.clearMapAnotation();
        trip.playbackHalted(MediaPlayStateStopped);
        QVERIFY(map.hasTrip());
        map.clearMapAnotation();
        trip.playbackHalted(MediaPlayStateError);
        QVERIFY(!map.hasTrip());
    }

    // A whole-trip export runs while playback moves on to the next recording: the file has
    // every sample of the trip. Called off from outside (the application quitting), the
    // export says it failed and leaves no file.
    void wholeTripExportSurvivesPlaybackMovingOn()
    {
        QTemporaryDir dir;
        const QStringList parts = driveOfThree(dir);
        QVERIFY(!parts.isEmpty());
        PlaybackSync sync;
        connectPlayerExtraction(&sync, nullptr);
        QStringList notices;
        TrackExporter exporter([&](const QString &n) { notices << n; });
        bool done = false, ok = false;
        const QString target = dir.filePath(QStringLiteral("drive-trip.gpx"));
        {
            StalledDecode held(parts[1], 1 << 20);
            exporter.run(parts, QStringLiteral("gpx"), QStringLiteral("wgs84"), true, target,
                         [&](bool r) { done = true; ok = r; });
            QVERIFY(held.waitUntilHeld());
            // Playback moves on, and on again before the first one's track is read.
            sync.mediaPlayerDidSelectModel(MFileModel::fromPath(parts[2]));
            sync.mediaPlayerDidSelectModel(MFileModel::fromPath(parts[0]));
            held.release();
            QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(trackSize(sync.stats().track()), size_t(12), 10000);
        QCOMPARE(sync.stats().track()->front().time, std::string("2026/05/14 08:15:00"));
        QVERIFY2(ok, qPrintable(notices.join('\n')));
        QVERIFY(notices.last().endsWith(QDir::toNativeSeparators(target)));
        QFile gpx(target);
        QVERIFY(gpx.open(QIODevice::ReadOnly));
        const QByteArray text = gpx.readAll();
        QCOMPARE(text.count("<trkpt "), 36);
        QVERIFY(text.contains("2026-05-14T08:15:35"));

        done = false;
        ok = true;
        const QString cut = dir.filePath(QStringLiteral("cut.gpx"));
        {
            StalledDecode held(parts[1], 1 << 20);
            exporter.run(parts, QStringLiteral("gpx"), QStringLiteral("wgs84"), true, cut,
                         [&](bool r) { done = true; ok = r; });
            QVERIFY(held.waitUntilHeld());
            KalGpsTool::shareTool()->stopGetInfo();
            held.release();
            QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        }
        QVERIFY(!ok);
        QVERIFY(!QFile::exists(cut));
        QVERIFY2(notices.last().startsWith(MLanguageManager::DPLocalizedString(QStringLiteral("Export.failed"))),
                 qPrintable(notices.last()));
    }

    // The player's export goes through trava-gps's writers; GPSBabel reads it back.
    void exportReadBackByGpsBabel()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty())
            QSKIP("gpsbabel not installed");
        QTemporaryDir dir;
        QStringList notices;
        TrackExporter exporter([&](const QString &n) { notices << n; });
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

    // A moment of two channels: one picture each, same stamp, the channel in each name.
    void snapshotSavesEveryChannel()
    {
        QTemporaryDir card;
        const MFileModel moment = channelMoment(card.path(), kData + "/playback/sync4s-25fps.mp4",
                                                QStringLiteral("2026_0514_091500_0001"),
                                                {QStringLiteral("front"), QStringLiteral("rear")});
        QVERIFY(!moment.isEmpty());
        QWidget window;
        MediaPlayView view(&window);
        view.resize(320, 180);
        window.show();
        Snapshot shot(&window, &view, [] { return std::optional<GPSItem>(sample()); },
                      [&moment] { return moment.fLocalPath; });
        IncidentPreferences::setSnapshotFolder(card.filePath("shots"));
        view.setChannels(moment.channel, moment.otherChannels);
        view.playFile(moment.fLocalPath);
        QTRY_VERIFY_WITH_TIMEOUT(view.channels()->pictures().size() == 1 && !view.previousPixelBuffer().isNull(), 10000);
        const QString saved = shot.save();
        QCOMPARE(QFileInfo(saved).fileName(), QStringLiteral("2026_0514_091500_0001F_front_2026-05-14_09-00-22.png"));
        QCOMPARE(shot.lastSaved().size(), 2);
        QCOMPARE(QFileInfo(shot.lastSaved().at(1)).fileName(), QStringLiteral("2026_0514_091500_0001F_rear_2026-05-14_09-00-22.png"));
        for (const QString &path : shot.lastSaved())
            QCOMPARE(QImage(path).size(), QSize(320, 180));
        QCOMPARE(QDir(card.filePath("shots")).entryList(QDir::Files).size(), 2);
        view.stopPlayVideo();
        // One channel: one picture, named as ever.
        view.setChannels(QString(), {});
        view.playFile(kData + "/playback/clip2s.mp4");
        QTRY_VERIFY_WITH_TIMEOUT(view.playState() == MediaPlayStatePlaying && !view.previousPixelBuffer().isNull(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(view.channels()->tileCount() == 0, 10000);
        QVERIFY(!shot.save().isEmpty());
        QCOMPARE(shot.lastSaved().size(), 1);
        QVERIFY(!QFileInfo(shot.lastSaved().at(0)).fileName().contains(QStringLiteral("front")));
        view.stopPlayVideo();
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
        // With the dashboard under it, the picture grows by the band.
        const Track track = twoSamples();
        shot.setDashboardState([track] { return dashboardStateAt(track, 1.0, QStringLiteral("KMH")); });
        Snapshot::setDashboardBand(Snapshot::DashboardBand::Under);
        QCOMPARE(shot.picture().size(), QSize(320, 180 + 120));
        Snapshot::setDashboardBand(Snapshot::DashboardBand::Off);
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
        QCOMPARE(tools, vc.incidentTools());
        QVERIFY(vc.findChild<QAction *>(QStringLiteral("nextEventAction")));
        QVERIFY(IncidentPreferences::snapshotStamp());
        tools->stampBox()->setChecked(false);
        QVERIFY(!IncidentPreferences::snapshotStamp());
        QCOMPARE(tools->sensitivityBox()->count(), 3);
        QCOMPARE(tools->sensitivityBox()->currentIndex(), 1);
        QCOMPARE(tools->dashboardBox()->count(), 3);
        QCOMPARE(tools->dashboardBox()->currentIndex(), 0);
        tools->dashboardBox()->setCurrentIndex(1);
        emit tools->dashboardBox()->activated(1);
        QCOMPARE(Snapshot::dashboardBand(), Snapshot::DashboardBand::Under);
        // Nothing plays: a snapshot saves nothing and says so.
        QVERIFY(tools->snapshot()->save().isEmpty());
        QVERIFY(!tools->snapshot()->lastNotice().isEmpty());
        QVERIFY(!tools->tripLabel()->isVisible());

        // Their places: a card at the end of the read-outs, a section between the basic
        // settings and the software service, a camera button before the sound controls.
        auto *readouts = sceneView<ColorPanel>(vc, "gpsInfoBgView");
        auto *tripCard = sceneView<ColorPanel>(vc, "tripBgView");
        QVERIFY(tripCard && tripCard->parentWidget() == readouts && tripCard->isAncestorOf(tools->tripLabel()));
        QCOMPARE(readouts->layout()->indexOf(tripCard), readouts->layout()->count() - 1);
        QLayout *settings = sceneView<QWidget>(vc, "settingView")->layout();
        const int basic = settings->indexOf(sceneView<QWidget>(vc, "basicSetView"));
        const int ours = settings->indexOf(sceneView<QWidget>(vc, "incidentSetView"));
        const int service = settings->indexOf(sceneView<QWidget>(vc, "softServerLabel"));
        QVERIFY(basic >= 0 && basic < ours && ours < service);
        QVERIFY(sceneView<QWidget>(vc, "incidentSetView")->isAncestorOf(tools->stampBox()));
        QWidget *bar = vc.player()->controlView();
        auto *camera = sceneView<QToolButton>(bar, "snapshotBtn");
        QVERIFY(camera);
        QLayout *row = vc.player()->controlView()->buttonRow();
        QCOMPARE(row->indexOf(camera) + 1, row->indexOf(vc.player()->controlView()->soundBtn));
        QCOMPARE(camera->toolTip(), tools->snapshot()->saveAction()->toolTip());
        QVERIFY(camera->toolTip().endsWith(QStringLiteral(" (S)")));
        QSignalSpy saved(tools->snapshot()->saveAction(), &QAction::triggered);
        camera->click();
        QCOMPARE(saved.count(), 1);
    }
};

QTEST_MAIN(TestIncidentTools)
#include "tst_incidenttools.moc"
