#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/exportdialog.h"
#include "app/playbacksync.h"
#include "app/trackloader.h"
#include "core/zoneclocks.h"
#include "support/moviehead.h"
#include "support/testsettings.h"
#include "track/numbertext.h"
#include "track/trip.h"

namespace {
// 0.001 degrees north every 10 s from 12:00:00 UTC: a slow drive along a meridian.
QByteArray gpx(int points, const QDateTime &start = QDateTime(QDate(2026, 5, 14), QTime(12, 0), Qt::UTC))
{
    QByteArray doc = "<?xml version=\"1.0\"?><gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>";
    for (int i = 0; i < points; ++i)
        doc += QStringLiteral("<trkpt lat=\"%1\" lon=\"11.500000\"><time>%2</time></trkpt>")
                   .arg(48.0 + i * 0.001, 0, 'f', 6)
                   .arg(start.addSecs(i * 10).toString(Qt::ISODate))
                   .toUtf8();
    return doc + "</trkseg></trk></gpx>";
}

// What File -> Export Track... writes for the recordings, read back.
QByteArray exported(TrackExporter &exporter, const QString &recording, const QString &format, const QString &target)
{
    bool finished = false, ok = false;
    exporter.run({recording}, format, QStringLiteral("wgs84"), false, target, [&](bool r) {
        ok = r;
        finished = true;
    });
    if (!QTest::qWaitFor([&] { return finished; }, 20000) || !ok)
        return {};
    QFile f(target);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestTrackLoader : public QObject {
    Q_OBJECT
    TestSettings m_settings;
    QTemporaryDir m_dir;
    QStringList m_alerts;

    // A recording without telemetry whose name says the camera's clock started at 14:00:00;
    // its card is set to Europe/Berlin (UTC+2 in May), so second 0 is 12:00:00 UTC.
    QString recording() const { return m_dir.filePath(QStringLiteral("20260514140000_0001.MP4")); }
    QString gpxFile() const { return m_dir.filePath(QStringLiteral("drive.gpx")); }

    void select(PlaybackSync &sync)
    {
        sync.mediaPlayerDidSelectModel(MFileModel(QStringLiteral("20260514140000_0001.MP4"), recording()));
    }
    std::unique_ptr<TrackLoader> loader(PlaybackSync &sync)
    {
        auto l = std::make_unique<TrackLoader>(&sync, nullptr, nullptr);
        l->setAlertHandler([this](const QString &, const QString &text, const QStringList &) {
            m_alerts << text;
            return 1000;
        });
        TrackLoader *raw = l.get();
        sync.setTrackSource([raw](const QString &path, const Track &own) { return raw->source(path, own); });
        return l;
    }
    static QString latAt(const PlaybackSync &sync, std::size_t second)
    {
        const Track t = sync.stats().track();
        return second < trackSize(t) ? QString::fromStdString((*t)[second].latitude) : QString();
    }

private slots:
    void initTestCase()
    {
        TestSettings::clearInEnglish();
        QFile f(gpxFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(gpx(7));
        f.close();
        ZoneClocks::shared()->setFolderChoice(m_dir.path(), ZoneChoice::fromText("Europe/Berlin"));
    }

    void loadsNudgesAndRemembers()
    {
        PlaybackSync sync;
        auto l = loader(sync);
        select(sync);
        QCOMPARE(trackSize(sync.stats().track()), std::size_t(0));
        QSignalSpy loaded(l.get(), &TrackLoader::loaded);
        l->load(gpxFile(), {recording()});
        QVERIFY(loaded.wait(5000));
        QCOMPARE(loaded.first().first().toBool(), true);
        QVERIFY(m_alerts.isEmpty());
        QVERIFY(l->showsLoadedTrack());
        QCOMPARE(trackSize(sync.stats().track()), std::size_t(61)); // 60 s of points, unknown length
        QCOMPARE(latAt(sync, 0), QStringLiteral("48.000000"));
        QCOMPARE(latAt(sync, 10), QStringLiteral("48.001000"));
        QCOMPARE(latAt(sync, 15), QStringLiteral("48.001500"));
        QCOMPARE(l->offsetText(), QStringLiteral("Track 0.0 s"));
        // Speed from the points: 111 m in 10 s is about 40 km/h.
        QVERIFY(std::abs(leadingDouble((*sync.stats().track())[5].speed) - 40.0) < 0.5);

        // Played from second 1 to 20: 19 steps of about 11 m. A nudge keeps the distance
        // covered along the moved track to second 20 (as far: it stands still a second
        // longer at its start) rather than starting again; the next second adds its step.
        for (int t = 1; t <= 20; ++t)
            sync.mediaPlayerCurrentTime(t + 0.5);
        const double played = sync.stats().totalDistance();
        QVERIFY2(played > 205 && played < 215, qPrintable(QString::number(played)));
        l->nudge(1);
        QVERIFY2(std::abs(sync.stats().totalDistance() - played) < 1.0,
                 qPrintable(QString::number(sync.stats().totalDistance())));
        sync.mediaPlayerCurrentTime(21.5);
        QVERIFY(std::abs(sync.stats().totalDistance() - played * 20 / 19) < 1.0);
        l->nudge(-1);

        // Later by 1 s and by 0.1 s: what was at second 10 is now at 11.1.
        l->nudge(1);
        l->nudge(0.1);
        QCOMPARE(l->offsetText(), QStringLiteral("Track +1.1 s"));
        QCOMPARE(latAt(sync, 11), QStringLiteral("48.000990"));
        QCOMPARE(latAt(sync, 12), QStringLiteral("48.001090"));
        l->nudge(-2);
        QCOMPARE(l->offsetText(), QStringLiteral("Track -0.9 s"));
        QCOMPARE(l->nudgeOf(recording()), -0.9);
        // The nudge actions say the same.
        QCOMPARE(l->nudgeActions().size(), 4);
        l->nudgeActions().at(1)->trigger();
        QCOMPARE(l->nudgeOf(recording()), 0.1);
    }

    void aNewRunFindsTheTrackAgain()
    {
        PlaybackSync sync;
        auto l = loader(sync);
        QSignalSpy replaced(&sync, &PlaybackSync::trackLoaded);
        select(sync); // the file is read again off the window's thread
        QVERIFY(replaced.wait(5000) || replaced.count() >= 2);
        QTRY_VERIFY(l->showsLoadedTrack());
        QCOMPARE(l->trackFileOf(recording()), gpxFile());
        QCOMPARE(l->offsetText(), QStringLiteral("Track +0.1 s"));
        QCOMPARE(latAt(sync, 10), QStringLiteral("48.000990"));
        // Taken away: the recording has no track again, and none comes back.
        l->unloadAction()->trigger();
        QVERIFY(!l->showsLoadedTrack());
        QCOMPARE(trackSize(sync.stats().track()), std::size_t(0));
        QVERIFY(l->trackFileOf(recording()).isEmpty());
    }

    void ownTelemetryWinsUnlessTheLoadedIsPicked()
    {
        PlaybackSync sync;
        auto l = loader(sync);
        QSignalSpy loaded(l.get(), &TrackLoader::loaded);
        sync.mediaPlayerDidSelectModel(MFileModel(QStringLiteral("20260514140000_0001.MP4"), recording()));
        // The recording's own telemetry arrives (the fake extraction answered at once with none;
        // answer again as a camera with GPS).
        sync.mediaPlayerDidSelectModel(MFileModel(QStringLiteral("x"), recording()));
        l->load(gpxFile(), {recording()});
        QVERIFY(loaded.wait(5000));
        QVERIFY(l->showsLoadedTrack()); // no own samples: the loaded one shows
        l->preferAction()->trigger();     // picked: stays when the recording has its own
        QVERIFY(l->preferAction()->isChecked());
        const Track own = std::make_shared<const std::vector<GPSItem>>(
            std::vector<GPSItem>{GPSItem("2026/05/14 12:00:00", "9.0", "50.0", "10.0", 0, 0, 1)});
        QCOMPARE(latAt(sync, 0), QStringLiteral("48.000000"));
        QCOMPARE(trackSize(l->source(recording(), own)), std::size_t(61));
        l->preferAction()->trigger();
        QCOMPARE(trackSize(l->source(recording(), own)), std::size_t(1));
        QVERIFY(!l->showsLoadedTrack());
    }

    void badFilesAreSaidAndChangeNothing()
    {
        PlaybackSync sync;
        auto l = loader(sync);
        select(sync);
        m_alerts.clear();
        const QString bad = m_dir.filePath(QStringLiteral("bad.gpx"));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY a \"x\">]><gpx>&a;</gpx>");
        f.close();
        QSignalSpy loaded(l.get(), &TrackLoader::loaded);
        l->load(bad, {recording()});
        QVERIFY(loaded.wait(5000));
        QCOMPARE(loaded.first().first().toBool(), false);
        QCOMPARE(m_alerts.size(), 1);
        QVERIFY(m_alerts.first().startsWith(QLatin1String("The track could not be loaded:")));
        QVERIFY(l->trackFileOf(recording()).isEmpty() || l->trackFileOf(recording()) != bad);
        // A file of another day: the two never meet.
        const QString other = m_dir.filePath(QStringLiteral("other-day.gpx"));
        QFile o(other);
        QVERIFY(o.open(QIODevice::WriteOnly));
        o.write(gpx(3).replace("2026-05-14", "2026-05-20"));
        o.close();
        m_alerts.clear();
        l->load(other, {recording()});
        QVERIFY(loaded.wait(5000));
        QCOMPARE(m_alerts, QStringList{QStringLiteral("The track and the recording do not meet in time.")});
        QVERIFY(!l->showsLoadedTrack());
    }

    // Export Track... writes the track in use: the loaded one, nudged, where the recording has
    // none of its own or the loaded one is picked; its own otherwise.
    void exportWritesTheTrackInUse()
    {
        m_alerts.clear();
        // A recording without telemetry of 60 s by its movie header.
        moviehead::writeMovie(recording().toStdString(), sampleTimeSeconds("2026/05/14 14:00:00").value(), 0, 60000);
        PlaybackSync sync;
        auto l = loader(sync);
        select(sync);
        QSignalSpy loaded(l.get(), &TrackLoader::loaded);
        l->load(gpxFile(), {recording()});
        QVERIFY(loaded.wait(5000));
        l->nudge(1);
        TrackExporter exporter([](const QString &) {});
        TrackLoader *raw = l.get();
        exporter.setLinesFor([raw](const QString &path, const QStringList &own,
                                   std::function<void(const QStringList &)> then) { raw->exportLines(path, own, then); });
        // GPX in UTC with Z; what was at 12:00:10 shows a second later.
        const QByteArray gpxOut = exported(exporter, recording(), QStringLiteral("gpx"), m_dir.filePath(QStringLiteral("out.gpx")));
        QVERIFY2(gpxOut.contains("<trkpt lat=\"48.001000\" lon=\"11.500000\"><time>2026-05-14T12:00:11Z</time>"),
                 gpxOut.left(600).constData());
        QCOMPARE(gpxOut.count("<trkpt"), 61); // the recording's 60 s, not the file's
        // CSV with the card's offset (Europe/Berlin in May).
        const QByteArray csv = exported(exporter, recording(), QStringLiteral("csv"), m_dir.filePath(QStringLiteral("out.csv")));
        QVERIFY2(csv.contains(",2026-05-14T14:00:11+02:00,48.001000,11.500000,"), csv.left(400).constData());

        // A recording with telemetry of its own (08:30:01 UTC on), and a file of the same drive.
        const QString own = m_dir.filePath(QStringLiteral("trip-1.mp4"));
        QVERIFY(QFile::copy(QStringLiteral(TRAVA_TEST_DATA "/trip-1.mp4"), own));
        const QString phone = m_dir.filePath(QStringLiteral("phone.gpx"));
        QFile f(phone);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(gpx(7, QDateTime(QDate(2026, 5, 14), QTime(8, 30), Qt::UTC)));
        f.close();
        l->load(phone, {own});
        QVERIFY(loaded.wait(5000));
        const QString target = m_dir.filePath(QStringLiteral("own.gpx"));
        QByteArray out = exported(exporter, own, QStringLiteral("gpx"), target);
        QVERIFY2(out.contains("lat=\"48.16") && !out.contains("lat=\"48.00"), out.left(600).constData());
        // Picked for it: the loaded one, on the recording's own clock.
        QVariantMap all = QSettings().value(QStringLiteral("loadedTracks")).toMap();
        QVariantMap memory = all.value(own).toMap();
        memory.insert(QStringLiteral("prefer"), true);
        all.insert(own, memory);
        QSettings().setValue(QStringLiteral("loadedTracks"), all);
        out = exported(exporter, own, QStringLiteral("gpx"), target);
        QVERIFY2(out.contains("lat=\"48.000100\"") && !out.contains("lat=\"48.16"), out.left(600).constData());
        QVERIFY(m_alerts.isEmpty());
    }
};

QTEST_MAIN(TestTrackLoader)
#include "tst_trackloader.moc"
