// Drives the real main view offscreen: recordings enter through "kPlayFile", libVLC plays
// them, and their telemetry must reach every instrument and read-out in step with playback.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QStandardPaths>
#include <QUrl>
#include <QtTest>

#include "app/colorpanel.h"
#include "instruments/compassview.h"
#include "instruments/map/gpsmapview.h"
#include "instruments/gsensorstateview.h"
#include "library/medialistmodel.h"
#include "library/medialistview.h"
#include "playback/mediaplayview.h"
#include "instruments/map/mapsourcepreference.h"
#include "instruments/map/mbtilessource.h"
#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "app/ovraplayvc.h"
#include "instruments/timelineview.h"
#include "app/playbacksync.h"
#include "core/preferences.h"
#include "instruments/speedview.h"
#include "support/sceneview.h"

namespace {
const QString kFirst = QStringLiteral(TRAVA_TEST_DATA "/clip-mp4-voka.mp4");  // 4 s, 4 samples
const QString kSecond = QStringLiteral(TRAVA_TEST_DATA "/clip.ts");           // 3 s, 3 samples

QString L(const char *key) { return MLanguageManager::DPLocalizedString(QString::fromLatin1(key)); }
} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // A data folder of this run's own: runs from other checkouts on the machine must
        // not write into the list this one reads (a second writer's entries are merged).
        QCoreApplication::setApplicationName(
            QStringLiteral("tst_endtoend-%1").arg(QCoreApplication::applicationPid()));
        QSettings().clear();
        QSettings().setValue(kSelectLanguage, "en");
        QFile::remove(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/mediaList");
        QVERIFY(QFile::exists(kFirst));
        QVERIFY(QFile::exists(kSecond));
    }

    void twoRecordingsPlayWithTheirTelemetry()
    {
        OvraPlayVC vc;
        vc.resize(1080, 660);
        vc.show();
        QVERIFY(QTest::qWaitForWindowExposed(&vc));

        // Set-up: defaults stored, read-outs empty, settings panel fading out.
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QString("KMH"));
        QCOMPARE(QSettings().value(kVideoSound).toString(), QString("16"));
        QCOMPARE(QSettings().value(kAudioSwitch).toBool(), true);
        QCOMPARE(sceneView<QLabel>(vc, "speedLabel")->text(), QString("---KMH"));
        QCOMPARE(sceneView<QLabel>(vc, "topSpeedLabel")->text(), L("TopSpeed") + ":---");
        QVERIFY(!vc.isSetShow());
        QTRY_VERIFY(!sceneView<SettingsPanel>(vc, "settingView")->isVisible());

        NotificationHub::defaultCenter()->post(
            kPlayFile, QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile(kFirst), QUrl::fromLocalFile(kSecond)}));
        MediaListView *list = vc.mediaList();
        QCOMPARE(list->dataArray().size(), 2);
        QCOMPARE(list->dataArray().at(0).fLocalPath, kFirst);

        // The first plays, with its track in every instrument before the first tick.
        QTRY_COMPARE_WITH_TIMEOUT(sceneView<QLabel>(vc, "titleLabel")->text(), QString("clip-mp4-voka.mp4"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(vc.player()->playState(), quint64(MediaPlayStatePlaying), 10000);
        QCOMPARE(list->highlightedRow(), 0);
        QCOMPARE(vc.gpsMap()->routePointCount(), std::size_t(4));
        QCOMPARE(trackSize(vc.speedGauge()->gpsArray()), std::size_t(4));
        QCOMPARE(trackSize(vc.gsensor()->gpsArray()), std::size_t(4));
        QCOMPARE(vc.compass()->angles().size(), 4);
        QCOMPARE(sceneView<QLabel>(vc, "topSpeedLabel")->text(), L("TopSpeed") + ":51.4KMH");
        QCOMPARE(sceneView<QLabel>(vc, "aveSpeedLabel")->text(), L("AveSpeed") + ":51.0KMH");

        // Ticks move every view once per whole second.
        QList<int> markers;
        QStringList speeds, lats, gx, distances;
        QElapsedTimer clock;
        clock.start();
        while (vc.player()->playState() == MediaPlayStatePlaying && clock.elapsed() < 15000) {
            const auto m = vc.gpsMap()->markerIndex();
            if (m && (markers.isEmpty() || markers.last() != int(*m))) {
                markers << int(*m);
                speeds << sceneView<QLabel>(vc, "speedLabel")->text();
                lats << sceneView<QLabel>(vc, "latLabel")->text();
                gx << vc.gsensor()->gSensorX()->text();
                distances << sceneView<QLabel>(vc, "distanceLabel")->text();
            }
            QTest::qWait(20);
        }
        qInfo() << "markers" << markers << speeds << lats << gx;
        QVERIFY2(markers.size() >= 2, "the marker should have moved with playback");
        for (int i = 1; i < markers.size(); ++i)
            QVERIFY(markers[i] > markers[i - 1]);
        QVERIFY(markers.last() >= 2);
        const QRegularExpression speedText("^\\d+KMH$");
        for (const QString &s : speeds)
            QVERIFY2(speedText.match(s).hasMatch(), qPrintable(s));
        QVERIFY(lats.contains(L("Lat") + ":48.159824"));  // sample 2, as the track holds it
        QVERIFY(gx.contains("X:0.0300"));
        // About 14 m per second along the Munich samples.
        QCOMPARE(distances.first(), L("Distance") + ":0.00KM");
        QCOMPARE(distances.last(), L("Distance") + QString::asprintf(":%.2fKM", 0.0142 * double(markers.size() - 1)));
        QVERIFY(vc.playbackSync()->stats().totalDistance() > 10.0);

        // The end of the first starts the second: reset, then the next record plays.
        QTRY_COMPARE_WITH_TIMEOUT(sceneView<QLabel>(vc, "titleLabel")->text(), QString("clip.ts"), 10000);
        QCOMPARE(list->curIndex(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(vc.player()->playState(), quint64(MediaPlayStatePlaying), 10000);
        QCOMPARE(list->highlightedRow(), 1);
        QCOMPARE(vc.gpsMap()->routePointCount(), std::size_t(3));
        QCOMPARE(sceneView<QLabel>(vc, "topSpeedLabel")->text().left(L("TopSpeed").size() + 1), L("TopSpeed") + ":");
        QTRY_VERIFY_WITH_TIMEOUT(vc.gpsMap()->markerIndex().has_value(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(speedText.match(sceneView<QLabel>(vc, "speedLabel")->text()).hasMatch(), 5000);

        // The unit box switches the read-out at once and the next second shows mph.
        vc.speedUnitChange(1);
        QCOMPARE(sceneView<QLabel>(vc, "speedLabel")->text(), QString("---MPH"));
        QCOMPARE(sceneView<QComboBox>(vc, "speedUnitBox")->currentText(), QString("MPH"));
        vc.speedUnitChange(0);

        // Stop clears every read-out and instrument.
        vc.stopBtnClick();
        QTRY_COMPARE_WITH_TIMEOUT(vc.player()->playState(), quint64(MediaPlayStateStopped), 5000);
        // The player's own stopped report is what clears them.
        QTRY_COMPARE_WITH_TIMEOUT(sceneView<QLabel>(vc, "latLabel")->text(), L("Lat") + ":---", 5000);
        QCOMPARE(sceneView<QLabel>(vc, "speedLabel")->text(), QString("---KMH"));
        QCOMPARE(sceneView<QLabel>(vc, "topSpeedLabel")->text(), L("TopSpeed") + ":---");
        QCOMPARE(sceneView<QLabel>(vc, "distanceLabel")->text(), L("Distance") + ":---");
        QVERIFY(!vc.gpsMap()->hasRoute());
        QVERIFY(!vc.gpsMap()->markerIndex().has_value());
        QVERIFY(!vc.speedGauge()->gpsArray());
        QVERIFY(!vc.gsensor()->gpsArray());
        QCOMPARE(vc.gsensor()->gSensorX()->text(), QString("X:0.0000"));
        QVERIFY(vc.compass()->angles().isEmpty());
        // Nothing else starts after a stop.
        QTest::qWait(400);
        QCOMPARE(vc.player()->playState(), quint64(MediaPlayStateStopped));
        QCOMPARE(list->curIndex(), 1);
    }

    void removingTheCurrentRecordingStopsIt()
    {
        OvraPlayVC vc;
        vc.resize(1080, 660);
        vc.show();
        MediaListView *list = vc.mediaList();
        QCOMPARE(list->dataArray().size(), 2);  // the list of the previous run came back
        QCOMPARE(vc.player()->playState(), quint64(MediaPlayStateStopped));  // ... without playing

        vc.mediaPlayerReadFileList(nullptr, {kSecond});  // already listed: becomes current
        QTRY_COMPARE_WITH_TIMEOUT(vc.player()->playState(), quint64(MediaPlayStatePlaying), 10000);
        QCOMPARE(list->curIndex(), 1);
        list->menuWillOpen(nullptr, 0);  // not the current one: playback goes on
        list->deleteMedia();
        QTest::qWait(200);
        QCOMPARE(vc.player()->playState(), quint64(MediaPlayStatePlaying));
        QCOMPARE(list->curIndex(), 0);
        list->menuWillOpen(nullptr, 0);
        list->deleteMedia();
        QTRY_COMPARE_WITH_TIMEOUT(vc.player()->playState(), quint64(MediaPlayStateStopped), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(sceneView<QLabel>(vc, "topSpeedLabel")->text(), L("TopSpeed") + ":---", 5000);
        QVERIFY(list->dataArray().isEmpty());
    }

    void clickingTheRouteSeeksToThatSecond()
    {
        const QString demo = QStringLiteral(TRAVA_TEST_DATA "/../../resources/demo/demo-drive.mp4");
        if (!QFile::exists(demo))
            QSKIP("demo recording missing");
        OvraPlayVC vc;
        vc.resize(1080, 660);
        vc.show();
        // Not playing: a click on the route does nothing.
        emit vc.gpsMap()->routePointClicked(5);
        QCOMPARE(vc.player()->playState(), quint64(MediaPlayStateStopped));

        NotificationHub::defaultCenter()->post(kPlayFile, QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile(demo)}));
        QTRY_COMPARE_WITH_TIMEOUT(vc.player()->playState(), quint64(MediaPlayStatePlaying), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(vc.gpsMap()->markerIndex().has_value(), 5000);
        QVERIFY(*vc.gpsMap()->markerIndex() < 10);
        const Track track = vc.playbackSync()->stats().track();
        QCOMPARE(trackSize(track), std::size_t(75));

        emit vc.gpsMap()->routePointClicked(50);
        QTRY_VERIFY_WITH_TIMEOUT(vc.gpsMap()->markerIndex().value_or(0) >= 50, 5000);
        QVERIFY(*vc.gpsMap()->markerIndex() <= 52);
        QTRY_VERIFY_WITH_TIMEOUT(sceneView<QLabel>(vc, "latLabel")->text().startsWith(L("Lat") + ":"), 2000);
        const int shown = int(*vc.gpsMap()->markerIndex());
        QTRY_VERIFY_WITH_TIMEOUT(sceneView<QLabel>(vc, "latLabel")->text() == L("Lat") + ":" + QString::fromStdString((*track)[shown].latitude)
                                     || vc.gpsMap()->markerIndex() != std::size_t(shown), 3000);
        // Seeking back adds the step back to the distance, never subtracts.
        const double before = vc.playbackSync()->stats().totalDistance();
        emit vc.gpsMap()->routePointClicked(20);
        QTRY_VERIFY_WITH_TIMEOUT(vc.gpsMap()->markerIndex().value_or(99) <= 22, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(vc.playbackSync()->stats().totalDistance() > before, 3000);
        // A click on the timeline under the picture seeks to the second under the pointer.
        TimelineView *timeline = vc.timeline();
        QTRY_COMPARE_WITH_TIMEOUT(timeline->model().total(), 75.0, 3000);
        QTest::mouseClick(timeline, Qt::LeftButton, {}, QPoint(int(timeline->xOf(40.5)), timeline->height() / 2));
        QTRY_VERIFY_WITH_TIMEOUT(vc.gpsMap()->markerIndex().value_or(0) >= 40, 5000);
        QVERIFY(*vc.gpsMap()->markerIndex() <= 42);
        QTRY_VERIFY_WITH_TIMEOUT(timeline->cursorSeconds().value_or(0) >= 40, 3000);
        vc.stopBtnClick();
        QTRY_COMPARE_WITH_TIMEOUT(vc.player()->playState(), quint64(MediaPlayStateStopped), 5000);
    }

    void mapSourceChoiceIsRemembered()
    {
        QTemporaryDir dir;
        const QString bogus = dir.filePath("bogus.mbtiles");
        {
            QFile f(bogus);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a database");
        }
        const QString good = dir.filePath("city.mbtiles");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make-mbtiles");
            db.setDatabaseName(good);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("CREATE TABLE metadata (name TEXT, value TEXT)"));
            QVERIFY(q.exec("INSERT INTO metadata VALUES ('format', 'png'), ('name', 'city'), ('minzoom', '1'), ('maxzoom', '14')"));
            QVERIFY(q.exec("CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER, tile_data BLOB)"));
            db.close();
        }
        QSqlDatabase::removeDatabase("make-mbtiles");

        QStringList alerts;
        {
            OvraPlayVC vc;
            vc.setAlertHandler([&alerts](const QString &, const QString &text, const QStringList &) {
                alerts << text;
                return 1000;
            });
            QCOMPARE(sceneView<QComboBox>(vc, "mapBox")->currentIndex(), 0);
            QString pick = bogus;
            vc.setMbtilesChooser([&pick] { return pick; });
            vc.mapChange(sceneView<QComboBox>(vc, "mapBox")->count() - 1);
            // The file is checked off the GUI thread; the answer follows.
            QTRY_COMPARE(alerts, QStringList{L("Map.cannotOpen")});
            QCOMPARE(sceneView<QComboBox>(vc, "mapBox")->currentIndex(), 0);
            QVERIFY(!MapSourcePreference::storedIsMbtiles());

            pick = QString();  // the dialog cancelled
            vc.mapChange(sceneView<QComboBox>(vc, "mapBox")->count() - 1);
            QCOMPARE(sceneView<QComboBox>(vc, "mapBox")->currentIndex(), 0);

            pick = good;
            vc.mapChange(sceneView<QComboBox>(vc, "mapBox")->count() - 1);
            QTRY_COMPARE(MapSourcePreference::storedMbtilesPath(), good);
            QTRY_COMPARE(sceneView<QComboBox>(vc, "mapBox")->currentText(), QString("city.mbtiles"));
            QCOMPARE(alerts.size(), 1);
        }
        {
            OvraPlayVC again;
            QCOMPARE(sceneView<QComboBox>(again, "mapBox")->currentText(), QString("city.mbtiles"));
            QTRY_VERIFY(qobject_cast<MbtilesTileSource *>(again.gpsMap()->tileSource()));
            again.mapChange(0);
            QVERIFY(!MapSourcePreference::storedIsMbtiles());
            QCOMPARE(sceneView<QComboBox>(again, "mapBox")->currentIndex(), 0);
            QCOMPARE(sceneView<QComboBox>(again, "mapBox")->count(), 2);  // OpenStreetMap and "choose a file"
        }
    }

    void settingsPanelTogglesAndLanguageRetitles()
    {
        OvraPlayVC vc;
        vc.resize(1080, 660);
        vc.show();
        QTRY_VERIFY(!sceneView<SettingsPanel>(vc, "settingView")->isVisible());
        vc.showSetting();
        QVERIFY(vc.isSetShow());
        QVERIFY(sceneView<SettingsPanel>(vc, "settingView")->isVisible());
        vc.showSetting();
        QVERIFY(!vc.isSetShow());
        QTRY_VERIFY(!sceneView<SettingsPanel>(vc, "settingView")->isVisible());

        vc.languageChange(-1);
        QCOMPARE(MLanguageManager::currentLanguage(), QString("en"));
        vc.languageChange(3);
        QCOMPARE(MLanguageManager::currentLanguage(), QString("de"));
        QCOMPARE(sceneView<QComboBox>(vc, "languageBox")->currentText(), QString("Deutsch"));
        QCOMPARE(sceneView<QLabel>(vc, "baseSettingLabel")->text(), L("Basic.settings"));
        QCOMPARE(sceneView<QLabel>(vc, "latLabel")->text(), L("Lat") + ":---");
        QCOMPARE(vc.mediaList()->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), L("File.name"));
        vc.languageChange(0);
        QCOMPARE(sceneView<QLabel>(vc, "baseSettingLabel")->text(), L("Basic.settings"));
    }

    void cleanupTestCase()
    {
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
        QFile::remove(QSettings().fileName());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
