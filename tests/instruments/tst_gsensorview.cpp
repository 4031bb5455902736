// The G-sensor panel and its waveform: scale, sample spacing, cursor and labels.
#include <QLabel>
#include <QPainter>
#include <QtTest>

#include "instruments/dashboardstate.h"
#include "instruments/gsensorpainter.h"
#include "instruments/gsensorstateview.h"
#include "instruments/harsheventmarks.h"
#include "instruments/hearbitview.h"
#include "support/decodedtrack.h"
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
};

QTEST_MAIN(TestGsensorView)
#include "tst_gsensorview.moc"
