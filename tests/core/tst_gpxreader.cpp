#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "core/gpxreader.h"
#include "core/zoneclocks.h"
#include "support/moviehead.h"
#include "support/testsettings.h"
#include "track/cameraclock.h"
#include "track/trip.h"

namespace {
const QString kGpx = QStringLiteral(TRAVA_TEST_DATA "/gpx/");
double utc(const char *text) { return double(sampleTimeSeconds(text).value()); }
} // namespace

class TestGpxReader : public QObject {
    Q_OBJECT
    TestSettings m_settings;

private slots:
    void phoneAppWithSegmentsExtensionsAndOffsets()
    {
        const GpxRead r = GpxReader::readFile(kGpx + QStringLiteral("phone.gpx"));
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.points.size(), std::size_t(4)); // both segments, metadata time ignored
        QVERIFY(r.cleaning.timed);
        QCOMPARE(*r.points[0].utcSeconds, utc("2026/05/14 12:00:00"));
        QCOMPARE(*r.points[2].utcSeconds, utc("2026/05/14 12:00:03")); // +02:00 read as such
        QCOMPARE(*r.points[0].speedKmh, 36.0);                         // m/s in the file
        QVERIFY(!r.points[2].speedKmh);
        QCOMPARE(r.points[1].latitude, 48.0001);
    }

    void bikeComputerAndGpsBabelRoute()
    {
        const GpxRead bike = GpxReader::readFile(kGpx + QStringLiteral("bike.gpx"));
        QVERIFY2(bike.ok(), qPrintable(bike.error));
        QCOMPARE(bike.points.size(), std::size_t(2));
        QCOMPARE(*bike.points[1].speedKmh, 5.5 * 3.6);
        // No track: the route's points, without times; the waypoint is no part of it.
        const GpxRead route = GpxReader::readFile(kGpx + QStringLiteral("gpsbabel-route.gpx"));
        QVERIFY2(route.ok(), qPrintable(route.error));
        QCOMPARE(route.points.size(), std::size_t(3));
        QVERIFY(!route.cleaning.timed);
        QCOMPARE(route.points[2].latitude, 48.3);
    }

    void timesInTheirForms()
    {
        QCOMPARE(GpxReader::isoSeconds(u"2026-05-14T12:00:00Z").value(), utc("2026/05/14 12:00:00"));
        QCOMPARE(GpxReader::isoSeconds(u"2026-05-14T12:00:00.250Z").value(), utc("2026/05/14 12:00:00") + 0.25);
        QCOMPARE(GpxReader::isoSeconds(u"2026-05-14T07:00:00-05:00").value(), utc("2026/05/14 12:00:00"));
        QCOMPARE(GpxReader::isoSeconds(u"2026-05-14T17:45:00+0545").value(), utc("2026/05/14 12:00:00"));
        QCOMPARE(GpxReader::isoSeconds(u"2026-05-14T12:00:00").value(), utc("2026/05/14 12:00:00"));
        for (const char16_t *bad : {u"", u"2026-05-14", u"2026-13-14T12:00:00Z", u"2026-05-14T12:00:00+25:00",
                                    u"2026-05-14T12:00:00 CEST", u"yesterday"})
            QVERIFY2(!GpxReader::isoSeconds(QStringView(bad)), qPrintable(QString::fromUtf16(bad)));
    }

    void hostileFilesAreRefusedOrTrimmed()
    {
        const QByteArray head = "<?xml version=\"1.0\"?><gpx version=\"1.1\"><trk><trkseg>";
        const QByteArray tail = "</trkseg></trk></gpx>";
        auto read = [&](const QByteArray &points) { return GpxReader::readData(head + points + tail); };
        // Entities: an internal subset is refused before the parser sees it.
        const GpxRead lol = GpxReader::readData(
            "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
            "<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"1\"><name>&b;</name></trkpt></trkseg></trk></gpx>");
        QVERIFY(!lol.ok());
        // Deep nesting and a tag of many attributes: refused by the linear scan.
        QVERIFY(!read(QByteArray("<a>").repeated(10000) + QByteArray("</a>").repeated(10000)).ok());
        QByteArray attrs = "<trkpt lat=\"1\" lon=\"1\"";
        for (int i = 0; i < 5000; ++i)
            attrs += " a" + QByteArray::number(i) + "=\"1\"";
        QVERIFY(!read(attrs + "/>").ok());
        // Broken XML says where.
        const GpxRead broken = read("<trkpt lat=\"1\" lon=\"1\">");
        QVERIFY(!broken.ok());
        QVERIFY(broken.error.contains(QLatin1String("line")));
        // Not a GPX document at all, and a GPX without points.
        QVERIFY(!GpxReader::readData("<kml><Placemark/></kml>").ok());
        QVERIFY(!read("").ok());
        // NaN, out of range and unreadable positions, times backwards and missing: trimmed.
        const GpxRead mixed = read(
            "<trkpt lat=\"NaN\" lon=\"1\"><time>2026-05-14T12:00:00Z</time></trkpt>"
            "<trkpt lat=\"48\" lon=\"11\"><time>2026-05-14T12:00:01Z</time></trkpt>"
            "<trkpt lat=\"95\" lon=\"11\"><time>2026-05-14T12:00:02Z</time></trkpt>"
            "<trkpt lat=\"48\" lon=\"inf\"><time>2026-05-14T12:00:03Z</time></trkpt>"
            "<trkpt lat=\"48.1\" lon=\"11\"><time>2026-05-14T11:00:00Z</time></trkpt>"
            "<trkpt lat=\"48.2\" lon=\"11\"></trkpt>"
            "<trkpt lat=\"48.3\" lon=\"11\"><time>2026-05-14T12:00:05Z</time></trkpt>");
        QVERIFY2(mixed.ok(), qPrintable(mixed.error));
        QCOMPARE(mixed.points.size(), std::size_t(2));
        QCOMPARE(mixed.cleaning.offGlobe, std::size_t(3));
        QCOMPARE(mixed.cleaning.outOfOrder, std::size_t(1));
        QCOMPARE(mixed.cleaning.untimed, std::size_t(1));
        QVERIFY(!read("<trkpt lat=\"NaN\" lon=\"1\"/><trkpt lat=\"91\" lon=\"1\"/>").ok());
        // Past the size cap: refused before it is read into memory.
        QTemporaryFile huge;
        QVERIFY(huge.open());
        QVERIFY(huge.resize(GpxReader::kMaxBytes + 1));
        huge.close();
        const GpxRead big = GpxReader::readFile(huge.fileName());
        QVERIFY(!big.ok());
        QVERIFY(big.error.contains(QLatin1String("too large")));
    }

    void zonesOfTheSystemDatabase()
    {
        const ZoneLookup berlin = ZoneClocks::lookupFor(QStringLiteral("Europe/Berlin"));
        QVERIFY(berlin);
        const ZonedClock named = ZonedClock::named("Europe/Berlin", berlin);
        QCOMPARE(QString::fromStdString(named.timeText("2026/05/14 12:05:12")), QStringLiteral("14:05:12 CEST"));
        QCOMPARE(QString::fromStdString(named.timeText("2026/01/14 12:05:12")), QStringLiteral("13:05:12 CET"));
        const ZoneLookup kathmandu = ZoneClocks::lookupFor(QStringLiteral("Asia/Kathmandu"));
        QVERIFY(kathmandu);
        QCOMPARE(QString::fromStdString(ZonedClock::named("Asia/Kathmandu", kathmandu).isoText("2026/05/14 12:05:12")),
                 QStringLiteral("2026-05-14T17:50:12+05:45"));
        QVERIFY(!ZoneClocks::lookupFor(QStringLiteral("Nowhere/Zone")));
    }

    void choicePerFolderAndTheTip()
    {
        ZoneClocks *clocks = ZoneClocks::shared();
        const QString card = QStringLiteral("/media/card/DCIM");
        const QString path = card + QStringLiteral("/20260514140512_0001.MP4");
        QCOMPARE(clocks->choiceFor(path).mode, ZoneChoice::Mode::Recorded);
        const auto track = std::make_shared<const std::vector<GPSItem>>(
            std::vector<GPSItem>{GPSItem("2026/05/14 12:05:10", "11.5", "48.1", "30.0", 0, 0, 1)});
        clocks->setCurrent(path, track);
        QCOMPARE(clocks->timeText("2026/05/14 12:05:10"), QStringLiteral("12:05:10"));
        clocks->setFolderChoice(card, ZoneChoice::fromText("auto"));
        QCOMPARE(clocks->timeText("2026/05/14 12:05:10"), QStringLiteral("14:05:10 UTC+2"));
        clocks->setFolderChoice(card, ZoneChoice::fromText("America/New_York"));
        QCOMPARE(clocks->dateTimeText("2026/05/14 12:05:10"), QStringLiteral("2026/05/14 08:05:10 EDT"));
        // Another card keeps its own.
        QCOMPARE(clocks->choiceFor(QStringLiteral("/media/other/20260514140512.MP4")).mode, ZoneChoice::Mode::Recorded);
        const QString tip = clocks->clockNote(path, track);
        QVERIFY2(tip.contains(QLatin1String("UTC+2")) && tip.contains(QLatin1String("+2 s")), qPrintable(tip));
        QVERIFY(!tip.contains(QLatin1Char('\n')));
        // Name and telemetry to the second: the tip says the camera may write local time.
        const QString same = card + QStringLiteral("/20260514120510.MP4");
        QVERIFY(clocks->clockNote(same, track).contains(QLatin1Char('\n')));
        clocks->setFolderChoice(card, ZoneChoice::fromText("UTC"));
        QVERIFY(!clocks->clockNote(same, track).contains(QLatin1Char('\n')));
        QVERIFY(clocks->clockNote(card + QStringLiteral("/clip.mp4"), track).isEmpty());
        clocks->setFolderChoice(card, ZoneChoice());
        QCOMPARE(clocks->timeText("2026/05/14 12:05:10"), QStringLiteral("12:05:10"));

        // A name without a time: the movie header's creation time is the camera's clock, and
        // the tip says where it was read.
        QTemporaryDir dir;
        const QString clip = dir.filePath(QStringLiteral("CLIP0001.MP4"));
        moviehead::writeMovie(clip.toStdString(), sampleTimeSeconds("2026/05/14 14:05:12").value());
        QCOMPARE(ZoneClocks::cameraStart(clip), sampleTimeSeconds("2026/05/14 14:05:12"));
        const QString fromHeader = clocks->clockNote(clip, track);
        QVERIFY2(fromHeader.contains(QLatin1String("UTC+2")) && fromHeader.contains(QLatin1String("+2 s")),
                 qPrintable(fromHeader));
        QCOMPARE(fromHeader.count(QLatin1Char('\n')), 1);
        clocks->setFolderChoice(dir.path(), ZoneChoice::fromText("auto"));
        clocks->setCurrent(clip, track);
        QCOMPARE(clocks->timeText("2026/05/14 12:05:10"), QStringLiteral("14:05:10 UTC+2"));
        clocks->setFolderChoice(dir.path(), ZoneChoice());
    }
};

QTEST_MAIN(TestGpxReader)
#include "tst_gpxreader.moc"
