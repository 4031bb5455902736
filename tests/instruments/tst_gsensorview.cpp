// The G-sensor panel and its waveform: scale, sample spacing, cursor and labels; the timeline
// under the picture with its speed and G curves: seeking, zooming, marks and stretches.
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include "instruments/dashboardstate.h"
#include "instruments/gsensorpainter.h"
#include "instruments/gsensorstateview.h"
#include "core/mlanguagemanager.h"
#include "core/zoneclocks.h"
#include "instruments/harsheventmarks.h"
#include "instruments/hearbitview.h"
#include "instruments/timelinepainter.h"
#include "instruments/timelineview.h"
#include "support/decodedtrack.h"
#include "support/testsettings.h"
#include "support/trackbuilder.h"

namespace {
Track readings(int n, double x, double y, double z)
{
    std::vector<GPSItem> items;
    for (int i = 0; i < n; ++i)
        items.push_back(makeSample({.x = x + i * 0.001, .y = y, .z = z}));
    return makeTrack(std::move(items));
}
// A curve of that colour crosses column x within a pixel of row y (antialiasing spreads it).
bool curveAt(const QImage &img, int x, int y, const QColor &c)
{
    for (int row = y - 1; row <= y + 1; ++row) {
        const QRgb p = img.pixel(x, row);
        if (qAlpha(p) > 100 && std::abs(qRed(p) - c.red()) < 30 && std::abs(qGreen(p) - c.green()) < 30 &&
            std::abs(qBlue(p) - c.blue()) < 30)
            return true;
    }
    return false;
}
// The widget's own painting (and its children's) over transparency, without the window behind it.
QImage grabbed(QWidget *w)
{
    QImage img(w->size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    w->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img.convertToFormat(QImage::Format_ARGB32);
}
// A drive of n seconds at speeds rising by a km/h a second.
Track rising(int n)
{
    std::vector<GPSItem> items;
    for (int i = 0; i < n; ++i)
        items.push_back(makeSample({.speed = std::to_string(10 + i), .z = 1}));
    return makeTrack(std::move(items));
}
bool near(QRgb p, const QColor &c, int tolerance = 40)
{
    return std::abs(qRed(p) - c.red()) < tolerance && std::abs(qGreen(p) - c.green()) < tolerance &&
           std::abs(qBlue(p) - c.blue()) < tolerance;
}
void wheel(QWidget *w, QPointF at, int delta)
{
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
}
} // namespace

class TestGsensorView : public QObject {
    Q_OBJECT
private slots:
    void waveformScaleAndSpacing()
    {
        GsensorStateView panel;
        panel.resize(330, 144);
        panel.show();
        HearBitView *wave = panel.heartBitView();
        QCOMPARE(wave->geometry(), QRect(30, 22, 300, 100));
        QCOMPARE(wave->convertGsensorToCoor(1.0), 75.0f);
        QCOMPARE(wave->convertGsensorToCoor(-2.0), 0.0f);
        QCOMPARE(wave->convertGsensorToCoor(2.0), 100.0f);
        QCOMPARE(wave->convertGsensorToCoor(0.0), 50.0f);

        panel.setGpsData(readings(11, 0.0, 1.0, -1.0));
        QCOMPARE(wave->marginX(), 30.0); // x of sample i = 300 * i / 10
        QCOMPARE(wave->pointsYArray().size(), 11);
        QCOMPARE(wave->pointsYArray().at(5), 75.0f);
        QCOMPARE(wave->pointsZArray().at(0), 25.0f);

        // On screen (y down): the Y curve (reading 1.0) runs 25 below the top, Z 75.
        const QImage img = grabbed(wave);
        QVERIFY(curveAt(img, 150, 25, HearBitView::colorY()));
        QVERIFY(curveAt(img, 150, 75, HearBitView::colorZ()));
        QVERIFY(curveAt(img, 150, 50, HearBitView::colorX()));
        QVERIFY(!curveAt(img, 150, 60, HearBitView::colorY()));
        QCOMPARE(qAlpha(img.pixel(150, 10)), 0);

        // A taller waveform re-scales the stored points; a wider one spreads them.
        panel.resize(630, 244);
        QCOMPARE(wave->geometry(), QRect(30, 22, 600, 200));
        QCOMPARE(wave->pointsYArray().at(5), 150.0f);
        QCOMPARE(wave->marginX(), 60.0);
    }

    void ticksMoveCursorAndLabelsOncePerSecond()
    {
        GsensorStateView panel;
        panel.resize(330, 144);
        panel.show();
        panel.setGpsData(readings(11, 0.0123, -0.5, 1.0));
        HearBitView *wave = panel.heartBitView();
        QVERIFY(wave->asignView()->isVisible());
        QCOMPARE(wave->asignView()->x(), 0);
        QCOMPARE(wave->asignView()->height(), 100);

        panel.setCurrentPlayerTime(0.4); // second 0 on a fresh panel
        QCOMPARE(panel.gSensorX()->text(), QStringLiteral("X:0.0123"));
        panel.setCurrentPlayerTime(3.2);
        QCOMPARE(panel.gSensorX()->text(), QStringLiteral("X:0.0153"));
        QCOMPARE(panel.gSensorY()->text(), QStringLiteral("Y:-0.5000"));
        QCOMPARE(panel.gSensorZ()->text(), QStringLiteral("Z:1.0000"));
        QCOMPARE(wave->asignView()->x(), 90);
        panel.setCurrentPlayerTime(3.9);
        QCOMPARE(wave->asignView()->x(), 90);
        panel.setCurrentPlayerTime(4.0);
        QCOMPARE(wave->asignView()->x(), 120);
        panel.setCurrentPlayerTime(10.0); // last sample: on the right edge, still visible
        QCOMPARE(wave->asignView()->x(), 299);
        panel.setCurrentPlayerTime(11.0); // past the end: unchanged
        QCOMPARE(wave->asignView()->x(), 299);
        QCOMPARE(panel.gSensorX()->text(), QStringLiteral("X:0.0223"));
        panel.setCurrentPlayerTime(2.0); // seek back
        QCOMPARE(wave->asignView()->x(), 60);

        // Empty and absent tracks change nothing.
        panel.setGpsData(std::make_shared<std::vector<GPSItem>>());
        panel.setGpsData(nullptr);
        QCOMPARE(wave->pointsXArray().size(), 11);
        QVERIFY(panel.gpsArray());
    }

    void resetEmptiesTheGraph()
    {
        GsensorStateView panel;
        panel.resize(330, 144);
        panel.show();
        panel.setGpsData(readings(5, 0.3, 0.2, 0.1));
        panel.setCurrentPlayerTime(2.5);
        panel.resetGsensor();
        QVERIFY(!panel.gpsArray());
        QVERIFY(panel.heartBitView()->pointsXArray().isEmpty());
        QVERIFY(!panel.heartBitView()->asignView()->isVisible());
        QCOMPARE(panel.heartBitView()->asignView()->x(), 0);
        QCOMPARE(panel.gSensorX()->text(), QStringLiteral("X:0.0000"));
        QCOMPARE(panel.gSensorZ()->text(), QStringLiteral("Z:0.0000"));
        panel.setCurrentPlayerTime(3.5);
        QCOMPARE(panel.gSensorX()->text(), QStringLiteral("X:0.0000"));
        const QImage img = grabbed(panel.heartBitView());
        for (int x = 0; x < img.width(); x += 7)
            for (int y = 0; y < img.height(); y += 5)
                QCOMPARE(qAlpha(img.pixel(x, y)), 0);
    }

    // The incident recording's events as ticks over the curves, named on hover, gone
    // with the reset.
    void harshEventTicksWithTooltips()
    {
        const Track track = decodedTrack(QStringLiteral(TRAVA_TEST_DATA "/incident.mp4").toStdString());
        const auto events = detectHarshEvents(track);
        QCOMPARE(events.size(), std::size_t(3));
        GsensorStateView panel;
        panel.resize(330, 144);
        panel.show();
        panel.setGpsData(track);
        panel.setEventMarks(HarshEventMarks::marks(events, double(track->size() - 1)));
        HearBitView *wave = panel.heartBitView();
        QCOMPARE(wave->eventMarks().size(), 3);
        QCOMPARE(wave->eventMarks()[0].toolTip,
                 HarshEventMarks::kindName(HarshKind::Brake) + QStringLiteral(" · 2026/05/14 09:00:08 · 0.62 g"));
        QVERIFY(wave->eventMarks()[2].toolTip.endsWith(QStringLiteral(" · 2026/05/14 09:00:22 · 2.13 g")));
        const QImage img = grabbed(wave);
        const int impactX = int(std::lround(22.0 / 29.0 * (wave->width() - 1)));
        QCOMPARE(img.pixelColor(impactX, 2).rgb(), HarshEventMarks::kindColour(HarshKind::Impact).rgb());
        // The tooltip finds the mark under the pointer, within a few pixels.
        QCOMPARE(timelineMarkAt(wave->eventMarks(), impactX + 3, 0, wave->width() - 1), 2);
        QCOMPARE(timelineMarkAt(wave->eventMarks(), impactX + 40, 0, wave->width() - 1), -1);
        panel.resetGsensor();
        QVERIFY(wave->eventMarks().isEmpty());
    }

    void oneSampleSitsAtTheLeftEdge()
    {
        GsensorStateView panel;
        panel.resize(330, 144);
        panel.show();
        panel.setGpsData(readings(1, 0.25, 0.5, 0.75));
        HearBitView *wave = panel.heartBitView();
        QCOMPARE(wave->marginX(), 0.0);
        panel.setCurrentPlayerTime(0.5);
        QCOMPARE(panel.gSensorY()->text(), QStringLiteral("Y:0.5000"));
        QCOMPARE(wave->asignView()->x(), 0);
        QVERIFY(wave->asignView()->isVisible());
        const QImage img = grabbed(wave);
        QCOMPARE(img.pixel(0, 60), QColor(Qt::white).rgb()); // the cursor
        // Short strokes beside the cursor: Y's 0.5 lies 62.5 above the bottom, Z's 0.75 68.75.
        QVERIFY(curveAt(img, 4, 37, HearBitView::colorY()));
        QVERIFY(curveAt(img, 4, 31, HearBitView::colorZ()));
        QVERIFY(!curveAt(img, 20, 37, HearBitView::colorY()));
    }

    // A picture of second t: the cursor on sample t's column, the curves where the window
    // draws them, and the readings of sample t as the labels show them.
    void thePainterShowsTheSecond()
    {
        const Track track = readings(5, 0.0, 1.0, -1.0); // Y at 1.0, Z at -1.0
        const QRectF panel(0, 0, 330, 190); // waveform (30, 22) 300 x 146: 75 per sample
        const auto paint = [&](const DashboardState &state) {
            QImage img(330, 190, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
            QPainter p(&img);
            GsensorPainter::paint(p, panel, state);
            p.end();
            return img.convertToFormat(QImage::Format_ARGB32);
        };
        const DashboardState state = dashboardStateAt(track, 2.5, QStringLiteral("KMH"));
        const QImage img = paint(state);
        const auto whiteRows = [&img](int x) {
            int n = 0;
            for (int y = 22; y < 168; ++y)
                n += img.pixel(x, y) == qRgb(255, 255, 255);
            return n;
        };
        QVERIFY(whiteRows(30 + 150) > 130); // the cursor at 2 x 75
        QCOMPARE(whiteRows(30 + 75), 0);
        QCOMPARE(whiteRows(30 + 225), 0);
        // Y = 1.0 lies at 3/4 of the height (y up), Z = -1.0 at 1/4.
        QVERIFY(curveAt(img, 60, 22 + int(146 * 0.25), HearBitView::colorY()));
        QVERIFY(curveAt(img, 60, 22 + int(146 * 0.75), HearBitView::colorZ()));

        // The readings: the same pixels as the labels' texts of sample 2 drawn alone.
        QImage labels(330, 190, QImage::Format_ARGB32_Premultiplied);
        labels.fill(Qt::transparent);
        QPainter lp(&labels);
        GsensorPainter::paintLabels(lp, panel, 0.002, 1.0, -1.0);
        lp.end();
        const QRect strip(30, 3, 290, 18); // short of the frame line on the right
        QCOMPARE(img.copy(strip), labels.convertToFormat(QImage::Format_ARGB32).copy(strip));
        QCOMPARE(GsensorPainter::labelText('X', 0.002), QStringLiteral("X:0.0020"));

        // Before the first sample: no cursor, zero readings.
        const QImage rest = paint(dashboardStateAt(track, 0.0, QStringLiteral("KMH")));
        QVERIFY(rest != img);
    }

    void absurdReadingsPaintWithoutHarm()
    {
        std::vector<GPSItem> items;
        for (double v : {std::nan(""), 1e308, -1e308, HUGE_VAL, 0.5, -HUGE_VAL})
            items.push_back(makeSample({.x = v, .y = -v, .z = v}));
        const Track track = makeTrack(std::move(items));
        for (double t : {std::nan(""), -3.0, 0.5, 2.5, 1e300}) {
            QImage img(330, 190, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
            QPainter p(&img);
            GsensorPainter::paint(p, QRectF(0, 0, 330, 190), dashboardStateAt(track, t, QStringLiteral("MPH")));
        }
        GsensorStateView view;
        view.resize(330, 190);
        view.setGpsData(track);
        view.setCurrentPlayerTime(1.5);
        QVERIFY(!grabbed(&view).isNull());
    }
    // A click lands on the second under the pointer, in the player's seconds; a click on
    // another recording of the trip asks for that recording at that second.
    void timelineSeeksWhereClicked()
    {
        TimelineView view;
        view.resize(608, 64);
        view.show();
        view.setTrack(rising(60));
        QCOMPARE(view.model().total(), 60.0);
        QSignalSpy seek(&view, &TimelineView::seekRequested);
        for (double second : {0.0, 12.0, 30.0, 59.0}) {
            QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(int(view.xOf(second + 0.5)), 40));
            QCOMPARE(seek.size(), 1);
            const double at = seek.takeFirst().at(0).toDouble();
            QCOMPARE(std::floor(at), second);
        }
        // The hover names that second, its speed and its G.
        const QString hover = view.hoverText(view.xOf(30.5));
        QVERIFY2(hover.startsWith(QStringLiteral("00:30")) && hover.contains(QStringLiteral("40 km/h")) &&
                     hover.contains(QStringLiteral(" g")), qPrintable(hover));
        // The cursor follows the player's time.
        view.setTime(20.4, 60);
        QCOMPARE(view.cursorSeconds().value(), 20.4);
        const QImage img = grabbed(&view);
        QVERIFY(near(img.pixel(int(std::round(view.xOf(20.4))), 40), Qt::white, 10));

        // A trip of three: part 1 plays; a click in part 2 asks for it, a drag within part 1 scrubs.
        view.setParts({rising(20), rising(20), rising(20)}, 0);
        QCOMPARE(view.model().total(), 60.0);
        QSignalSpy part(&view, &TimelineView::partRequested);
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(int(view.xOf(5.5, 1)), 40));
        QCOMPARE(part.size(), 1);
        QCOMPARE(part.at(0).at(0).toInt(), 1);
        QCOMPARE(std::floor(part.at(0).at(1).toDouble()), 5.0);
        QVERIFY(seek.isEmpty());
        QVERIFY(view.hoverText(view.xOf(5.5, 2)).startsWith(MLanguageManager::localized("Trip.part").arg(3).arg(3)));
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(int(view.xOf(2.5)), 40));
        QTest::mouseMove(&view, QPoint(int(view.xOf(8.5)), 40));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(int(view.xOf(8.5)), 40));
        QVERIFY(!seek.isEmpty());
        QCOMPARE(std::floor(seek.last().at(0).toDouble()), 8.0);
    }

    // The hover gives the sample's time in the zone chosen for the card, named as the
    // read-outs name it, not the camera's raw clock.
    void timelineHoverUsesTheZoneClock()
    {
        isolateSettings();
        std::vector<GPSItem> items;
        for (int i = 0; i < 20; ++i)
            items.push_back(makeSample({.time = "2026/05/14 12:05:" + std::string(i < 10 ? "0" : "") + std::to_string(i), .z = 1}));
        const Track track = makeTrack(std::move(items));
        ZoneClocks *clocks = ZoneClocks::shared();
        const QString card = QStringLiteral("/media/hovercard");
        const QString path = card + QStringLiteral("/clip.mp4");
        clocks->setFolderChoice(card, ZoneChoice::fromText("America/New_York"));
        clocks->setCurrent(path, track);
        TimelineView view;
        view.resize(608, 64);
        view.setTrack(track);
        const QString hover = view.hoverText(view.xOf(7.5));
        QVERIFY2(hover.contains(QStringLiteral("08:05:07 EDT")) && !hover.contains(QStringLiteral("12:05:07")), qPrintable(hover));
        // An event's tip is in the same zone.
        const QString event = HarshEventMarks::describe(HarshEvent{7, HarshKind::Turn, 0.62, "2026/05/14 12:05:07"});
        QVERIFY2(event.contains(QStringLiteral(" · 2026/05/14 08:05:07 EDT · 0.62 g")), qPrintable(event));
        clocks->setFolderChoice(card, ZoneChoice());
        QVERIFY2(view.hoverText(view.xOf(7.5)).contains(QStringLiteral("12:05:07")), qPrintable(view.hoverText(view.xOf(7.5))));
    }

    // The wheel zooms around the pointer: the second under it stays under it. A drag then
    // moves the stretch instead of seeking; Home, End and a double click show the whole.
    void timelineZoomsAroundThePointer()
    {
        TimelineView view;
        view.resize(608, 64);
        view.show();
        view.setTrack(rising(600));
        const double x = 200;
        const double before = view.range().secondsAt(x - view.plotRect().left(), view.plotRect().width());
        wheel(&view, QPointF(x, 40), 120);
        wheel(&view, QPointF(x, 40), 240);
        QVERIFY(view.range().zoomed());
        QVERIFY(std::abs(view.range().span() - 600 * 0.8 * 0.8 * 0.8) < 1e-6);
        const double after = view.range().secondsAt(x - view.plotRect().left(), view.plotRect().width());
        QVERIFY2(std::abs(after - before) < 1e-6, qPrintable(QString::number(after - before)));
        // Zooming in never goes below ten seconds, and out never past the whole.
        for (int i = 0; i < 40; ++i)
            wheel(&view, QPointF(x, 40), 120);
        QCOMPARE(view.range().span(), TimelineRange::kMinSpan);
        QSignalSpy seek(&view, &TimelineView::seekRequested);
        for (int i = 0; i < 10; ++i)
            wheel(&view, QPointF(x, 40), 120 * -6);
        QVERIFY(!view.range().zoomed());
        wheel(&view, QPointF(x, 40), 720);
        const double start = view.range().start();
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(300, 40));
        QTest::mouseMove(&view, QPoint(250, 40));
        QTest::mouseMove(&view, QPoint(200, 40));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(200, 40));
        QVERIFY(view.range().start() > start); // dragged to the left: later seconds come in
        QVERIFY(seek.isEmpty());
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Home);
        QVERIFY(!view.range().zoomed());
        wheel(&view, QPointF(x, 40), 360);
        QTest::keyClick(&view, Qt::Key_End);
        QVERIFY(!view.range().zoomed());
        wheel(&view, QPointF(x, 40), 360);
        QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(300, 40));
        QVERIFY(!view.range().zoomed());
    }

    // Events, kind stretches and clip marks are painted at their seconds, each kind in its
    // own colour; the stretch's word is the caller's.
    void timelinePaintsMarksWhereTheyBelong()
    {
        TimelineView view;
        view.resize(608, 64);
        view.show();
        view.setTrack(rising(60));
        std::vector<HarshEvent> events{{10, HarshKind::Brake, 0.6, ""}, {40, HarshKind::Accel, 0.5, ""}, {50, HarshKind::Impact, 2.0, ""}};
        view.setEvents(0, events);
        view.setKindSpans({{20, 30, QStringLiteral("locked")}});
        view.setClipMarks(5.0, 55.0);
        const QImage img = grabbed(&view);
        const int band = int(TimelinePainter::kMarkBand / 2);
        const QRgb brake = img.pixel(int(std::round(view.xOf(10.5))), band);
        const QRgb accel = img.pixel(int(std::round(view.xOf(40.5))), band);
        QVERIFY(near(brake, HarshEventMarks::kindColour(HarshKind::Brake)));
        QVERIFY(near(accel, HarshEventMarks::kindColour(HarshKind::Accel)));
        QVERIFY(!near(brake, QColor::fromRgb(accel)));
        QVERIFY(!near(img.pixel(int(view.xOf(25.5)), band), HarshEventMarks::kindColour(HarshKind::Brake)));
        // The locked stretch tints its seconds amber above the curve; outside it stays grey.
        const int y = int(view.plotRect().top()) + 3;
        const QRgb inside = img.pixel(int(view.xOf(28)), y), outside = img.pixel(int(view.xOf(33)), y);
        QVERIFY2(qRed(inside) > qRed(outside) + 20 && qRed(inside) > qBlue(inside) + 20, qPrintable(QString::number(inside, 16)));
        QVERIFY(std::abs(qRed(outside) - qBlue(outside)) < 12);
        // In and out marks at 5 s and 55 s, in their colours.
        QVERIFY(near(img.pixel(int(std::round(view.xOf(5))), y + 6), TimelinePainter::clipInColour()));
        QVERIFY(near(img.pixel(int(std::round(view.xOf(55))) - 1, y + 6), TimelinePainter::clipOutColour()));
        // Stretches of another part of a trip sit in that part.
        view.setParts({rising(30), rising(30)}, 0);
        view.setKindSpans({{0, 10, QStringLiteral("parking"), 1}});
        const QImage trip = grabbed(&view);
        const QRgb parked = trip.pixel(int(view.xOf(5, 1)), y);
        QVERIFY2(qBlue(parked) > qRed(parked) + 15, qPrintable(QString::number(parked, 16)));
        QVERIFY(std::abs(qRed(trip.pixel(int(view.xOf(5, 0)), y)) - qBlue(trip.pixel(int(view.xOf(5, 0)), y))) < 12);
    }
    // Broken readings, absurd times and no track at all: drawn and answered without harm.
    void timelineTakesBrokenData()
    {
        TimelineView view;
        view.resize(300, 64);
        view.show();
        QSignalSpy seek(&view, &TimelineView::seekRequested);
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(100, 40)); // nothing on show: no seek
        QVERIFY(seek.isEmpty());
        QVERIFY(view.hoverText(100).isEmpty());
        std::vector<GPSItem> items;
        for (const char *speed : {"nan", "1e308", "-5", "abc", "5000"})
            items.push_back(makeSample({.speed = speed, .x = std::nan(""), .y = 1e308, .z = -HUGE_VAL}));
        view.setTrack(makeTrack(std::move(items)));
        QCOMPARE(view.model().maxSpeed(), 1000.0f);
        for (double t : {std::nan(""), -3.0, HUGE_VAL, 1e300, 2.5})
            view.setTime(t, t);
        view.setClipMarks(std::nan(""), HUGE_VAL);
        view.setKindSpans({{5, 1, QStringLiteral("event")}, {-1e308, 1e308, QStringLiteral("<b>x</b>"), 7}});
        QVERIFY(!grabbed(&view).isNull());
        // A recording without telemetry still has its length to seek in.
        view.setTrack(Track());
        view.setTime(1.0, 120.0);
        QCOMPARE(view.model().total(), 120.0);
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(int(view.xOf(60.5)), 40));
        QCOMPARE(seek.size(), 1);
        QCOMPARE(std::floor(seek.at(0).at(0).toDouble()), 60.0);
    }
};

QTEST_MAIN(TestGsensorView)
#include "tst_gsensorview.moc"
