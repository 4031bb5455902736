// The route map as an instrument: route, marker, once-a-second recentring, the user's
// pan and zoom, clicks on the route, and pictures of it for the documentation.
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>

#include "instruments/dashboardstate.h"
#include "instruments/map/gpsmapview.h"
#include "instruments/map/mappainter.h"
#include "instruments/map/mercator.h"
#include "munichdrive.h"
#include "support/trackbuilder.h"
#include "instruments/map/osmtilesource.h"
#include "instruments/map/routestyle.h"
#include "core/preferences.h"
#include "support/testsettings.h"

namespace {
Track straightTrack(int n, double lat0 = 48.1374, double lon0 = 11.5755)
{
    return ::straightTrack(n, lat0, lon0, 0.0002, 0.0003);
}

double lat(const Track &t, std::size_t i) { return Mercator::readDegrees((*t)[i].latitude); }
double lon(const Track &t, std::size_t i) { return Mercator::readDegrees((*t)[i].longitude); }

bool near(const QGeoCoordinate &c, double la, double lo)
{
    return std::abs(c.latitude() - la) < 1e-7 && std::abs(c.longitude() - lo) < 1e-7;
}

void sendMouse(QWidget *w, QEvent::Type type, QPointF pos, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void drag(QWidget *w, QPointF from, QPointF to)
{
    sendMouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, to, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

void click(QWidget *w, QPointF at)
{
    sendMouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

int countPixels(const QImage &image, bool (*match)(const QColor &))
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += match(image.pixelColor(x, y));
    return n;
}
// The picture without the speed legend in its lower left corner.
QImage withoutLegend(QImage image)
{
    QPainter(&image).fillRect(0, image.height() - 45, 150, 45, Qt::white);
    return image;
}
bool isRouteGreen(const QColor &c) { return c.green() > 200 && c.red() < 60 && c.blue() < 60; }
bool isMarkerRed(const QColor &c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }
} // namespace

class TestGpsMapView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Positions are read as the leading decimal number of their text, whatever the locale.
    void readingPositions()
    {
        QCOMPARE(Mercator::readDegrees("48.137154"), 48.137154);
        QCOMPARE(Mercator::readDegrees("  -0.5;"), -0.5);
        QCOMPARE(Mercator::readDegrees("+11.5km"), 11.5);
        QCOMPARE(Mercator::readDegrees(".25"), 0.25);
        QCOMPARE(Mercator::readDegrees("1.5e1"), 15.0);
        for (const char *none : {"", "-", "N:48.1", "inf", "-nan", "1e999", "48,5x"})
            QCOMPARE(Mercator::readDegrees(none), std::string_view(none) == "48,5x" ? 48.0 : 0.0);
        // Beyond the projection's reach a position lands on the map's edge, not at infinity.
        QCOMPARE(Mercator::project(91.0, 0).y(), Mercator::project(Mercator::kMaxLatitude, 0).y());
        QVERIFY(std::isfinite(Mercator::project(-1e300, 1e300).x()));
        QVERIFY(std::abs(Mercator::latitudeOf(Mercator::project(48.1374, 11.5755).y()) - 48.1374) < 1e-9);
    }

    void recentresOncePerWholeSecond()
    {
        GpsMapView view;
        view.resize(400, 300);
        const Track track = straightTrack(20);
        view.setGpsData(track);
        QCOMPARE(view.routePointCount(), std::size_t(20));
        QVERIFY(!view.markerCoordinate().isValid());

        // A fresh track: even second 0 is news.
        view.setCurrentPlayerTime(0.5);
        QCOMPARE(view.markerIndex(), std::optional<std::size_t>(0));

        view.setCurrentPlayerTime(7.1);
        QCOMPARE(view.markerIndex(), std::optional<std::size_t>(7));
        QVERIFY(near(view.markerCoordinate(), lat(track, 7), lon(track, 7)));
        QVERIFY(near(view.centerCoordinate(), lat(track, 7), lon(track, 7)));

        // The region fits 0.01 degree both ways, and tightly in one of them.
        const QPointF a = view.screenPosition({lat(track, 7) + 0.005, lon(track, 7) - 0.005});
        const QPointF b = view.screenPosition({lat(track, 7) - 0.005, lon(track, 7) + 0.005});
        QVERIFY(a.x() >= -0.5 && a.y() >= -0.5 && b.x() <= 400.5 && b.y() <= 300.5);
        QVERIFY(std::abs((b.x() - a.x()) - 400) < 1 || std::abs((b.y() - a.y()) - 300) < 1);

        // Within the same second the user's view is left alone.
        view.setCenter(QGeoCoordinate(48.0, 11.0), 12);
        view.setCurrentPlayerTime(7.8);
        QVERIFY(near(view.centerCoordinate(), 48.0, 11.0));
        QCOMPARE(view.markerIndex(), std::optional<std::size_t>(7));
        view.setCurrentPlayerTime(8.0);
        QCOMPARE(view.markerIndex(), std::optional<std::size_t>(8));
        QVERIFY(near(view.centerCoordinate(), lat(track, 8), lon(track, 8)));

        // Seeking back shows that second at once.
        view.setCurrentPlayerTime(2.2);
        QCOMPARE(view.markerIndex(), std::optional<std::size_t>(2));
    }

    void nothingAtZeroOrPastTheEnd()
    {
        GpsMapView view;
        view.resize(300, 200);
        const Track track = straightTrack(10);
        view.setGpsData(track);
        view.setCenter(QGeoCoordinate(40, 10), 8);
        view.setCurrentPlayerTime(0.0);
        view.setCurrentPlayerTime(0.5); // second 0 already handled
        QVERIFY(!view.markerCoordinate().isValid());
        QVERIFY(near(view.centerCoordinate(), 40, 10));
        view.setCurrentPlayerTime(1.0);
        QCOMPARE(view.markerIndex(), std::optional<std::size_t>(1));
        view.setCurrentPlayerTime(9.5);
        view.setCurrentPlayerTime(10.0);
        view.setCurrentPlayerTime(1e12);
        view.setCurrentPlayerTime(std::nan(""));
        QCOMPARE(view.markerIndex(), std::optional<std::size_t>(9));
        QVERIFY(near(view.centerCoordinate(), lat(track, 9), lon(track, 9)));
    }

    void samplesOutOfRangeAreDrawnButNotShown()
    {
        auto v = std::make_shared<std::vector<GPSItem>>(*straightTrack(6));
        (*v)[3].latitude = "91.0";
        (*v)[4].longitude = "-181.0";
        (*v)[5].latitude = "nan";
        const Track track = v;
        GpsMapView view;
        view.resize(300, 200);
        view.setGpsData(track);
        QCOMPARE(view.routePointCount(), std::size_t(6));
        view.setCurrentPlayerTime(2.0);
        view.setCurrentPlayerTime(3.0);
        view.setCurrentPlayerTime(3.5); // not retried
        view.setCurrentPlayerTime(4.2);
        QCOMPARE(view.markerIndex(), std::optional<std::size_t>(2));
        QVERIFY(near(view.centerCoordinate(), lat(track, 2), lon(track, 2)));
        // A text without a number reads as 0: a valid position, shown as such.
        view.setCurrentPlayerTime(5.0);
        QVERIFY(near(view.markerCoordinate(), 0.0, lon(track, 5)));
        QVERIFY(!view.grab().isNull());
    }

    // A straight stretch whose ends both lie far outside the view still crosses it.
    void longStretchAcrossTheView()
    {
        auto v = std::make_shared<std::vector<GPSItem>>();
        for (const char *lon : {"11.40", "11.80", "11.80"})
            v->emplace_back("2024/05/04 10:00:00", lon, "48.1374", "40.0", 0, 0, 1);
        v->back().latitude = "48.30";
        GpsMapView view;
        view.resize(300, 200);
        view.setGpsData(v);
        view.setCenter(QGeoCoordinate(48.1374, 11.6), 15);
        QVERIFY(countPixels(withoutLegend(view.grab().toImage()), isRouteGreen) >= 280);
        view.setCenter(QGeoCoordinate(48.20, 11.80), 15); // the vertical stretch
        QVERIFY(countPixels(withoutLegend(view.grab().toImage()), isRouteGreen) >= 180);
        view.setCenter(QGeoCoordinate(48.25, 11.6), 15); // nowhere near
        QCOMPARE(countPixels(withoutLegend(view.grab().toImage()), isRouteGreen), 0);
    }

    // A stretch towards an absurd sample is cut to the view: painting stays quick and the
    // visible part is still drawn.
    void stretchToAnAbsurdSampleIsCut()
    {
        QPointF a(150, 100), b(1e12, -3e11);
        QVERIFY(RouteStyle::clipSegment(a, b, QRectF(0, 0, 300, 200)));
        QCOMPARE(a, QPointF(150, 100));
        QVERIFY(b.x() <= 300.0001 && b.y() >= -0.0001);
        QPointF c(-10, -10), d(-5, 500);
        QVERIFY(!RouteStyle::clipSegment(c, d, QRectF(0, 0, 300, 200)));

        auto v = std::make_shared<std::vector<GPSItem>>();
        v->emplace_back("t", "11.5755", "48.1374", "40.0", 0, 0, 1);
        v->emplace_back("t", "11.5760", "-89.9999", "40.0", 0, 0, 1);
        v->emplace_back("t", "11.5765", "48.1376", "40.0", 0, 0, 1);
        GpsMapView view;
        view.resize(300, 200);
        view.setGpsData(v);
        view.setCenter(QGeoCoordinate(48.1374, 11.5755), 19);
        QVERIFY(countPixels(withoutLegend(view.grab().toImage()), isRouteGreen) > 20);
    }

    // The painter draws the state's second: the pin at the centre on its sample, the
    // whole route in view before the first sample.
    void painterShowsTheStatesSecond()
    {
        const Track track = straightTrack(20);
        DashboardState state;
        state.track = track;
        state.speedUnit = QStringLiteral("KMH");
        const auto paint = [&state] {
            QImage img(300, 200, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
            QPainter p(&img);
            MapPainter::paint(p, QRectF(0, 0, 300, 200), state);
            p.end();
            return img;
        };
        QCOMPARE(countPixels(withoutLegend(paint()), isMarkerRed), 0);
        QVERIFY(countPixels(withoutLegend(paint()), isRouteGreen) > 40); // all of it in view
        state.index = 7;
        state.sample = (*track)[7];
        const QImage img = paint();
        QVERIFY(countPixels(img, isMarkerRed) > 40);
        // The pin's head sits right above its tip at the centre.
        QVERIFY(isMarkerRed(img.pixelColor(150, 100 - 22 + 6)));
        QVERIFY(!isMarkerRed(img.pixelColor(150, 100 + 30)));
    }

    void clearingDropsRouteAndMarker()
    {
        GpsMapView view;
        view.resize(300, 200);
        view.setGpsData(straightTrack(10));
        view.setCurrentPlayerTime(3.0);
        const QGeoCoordinate centre = view.centerCoordinate();
        view.clearMapAnotation();
        QVERIFY(!view.hasRoute());
        QVERIFY(!view.markerCoordinate().isValid());
        view.setCurrentPlayerTime(5.0);
        QVERIFY(!view.markerCoordinate().isValid());
        QCOMPARE(view.centerCoordinate(), centre);
        QCOMPARE(countPixels(view.grab().toImage(), isRouteGreen), 0);

        // An empty track, too, takes the previous route and marker away.
        view.setGpsData(straightTrack(10));
        view.setCurrentPlayerTime(4.0);
        view.setGpsData(std::make_shared<std::vector<GPSItem>>());
        QVERIFY(!view.hasRoute());
        QVERIFY(!view.markerIndex());
        view.setGpsData(nullptr);
        view.setCurrentPlayerTime(6.0);
        QVERIFY(!view.markerIndex());
    }

    void panAndZoomUntilTheNextSecond()
    {
        GpsMapView view;
        view.resize(400, 300);
        const Track track = straightTrack(20);
        view.setGpsData(track);
        view.setCurrentPlayerTime(3.0);
        const double zoom = view.zoomLevel();
        const QPointF markerBefore = view.screenPosition(view.markerCoordinate());

        drag(&view, {200, 150}, {260, 110});
        const QPointF markerAfter = view.screenPosition(view.markerCoordinate());
        QVERIFY(std::abs(markerAfter.x() - markerBefore.x() - 60) < 0.5);
        QVERIFY(std::abs(markerAfter.y() - markerBefore.y() + 40) < 0.5);

        const QPointF cursor(100, 100);
        const QPointF markerPos = view.screenPosition(view.markerCoordinate());
        QWheelEvent wheel(cursor, view.mapToGlobal(cursor), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
        QVERIFY(std::abs(view.zoomLevel() - (zoom + 0.5)) < 1e-9);
        // Zooming keeps the point under the cursor where it is.
        const QPointF zoomed = view.screenPosition(view.markerCoordinate());
        const double f = std::exp2(0.5);
        QVERIFY(std::abs(zoomed.x() - (cursor.x() + (markerPos.x() - cursor.x()) * f)) < 0.5);

        view.setCurrentPlayerTime(3.9);
        QVERIFY(std::abs(view.zoomLevel() - (zoom + 0.5)) < 1e-9);
        view.setCurrentPlayerTime(4.0);
        QVERIFY(std::abs(view.zoomLevel() - zoom) < 1e-4);
        QVERIFY(near(view.centerCoordinate(), lat(track, 4), lon(track, 4)));
    }

    void clickOnRouteReportsItsSample()
    {
        GpsMapView view;
        view.resize(400, 300);
        const Track track = straightTrack(20);
        view.setGpsData(track);
        view.setCurrentPlayerTime(6.0);
        QSignalSpy spy(&view, &GpsMapView::routePointClicked);

        const QPointF p5 = view.screenPosition({lat(track, 5), lon(track, 5)});
        sendMouse(&view, QEvent::MouseMove, p5 + QPointF(0, 40), Qt::NoButton);
        QCOMPARE(view.cursor().shape(), Qt::OpenHandCursor);
        sendMouse(&view, QEvent::MouseMove, p5 + QPointF(3, -2), Qt::NoButton);
        QCOMPARE(view.cursor().shape(), Qt::PointingHandCursor);
        click(&view, p5 + QPointF(3, -2));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.takeFirst().at(0).toInt(), 5);

        // Far from the route: nothing.
        click(&view, p5 + QPointF(0, 60));
        QCOMPARE(spy.count(), 0);

        // A drag that ends on the route is a pan, not a click.
        const QPointF p9 = view.screenPosition({lat(track, 9), lon(track, 9)});
        drag(&view, p9 + QPointF(-40, 30), p9);
        QCOMPARE(spy.count(), 0);

        // Between two samples, the nearer one wins.
        const QPointF p10 = view.screenPosition({lat(track, 10), lon(track, 10)});
        const QPointF p11 = view.screenPosition({lat(track, 11), lon(track, 11)});
        click(&view, p10 + (p11 - p10) * 0.7);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.takeFirst().at(0).toInt(), 11);
    }

    // The offline look (no tiles at all) and the tiled look, for the documentation.
    // Colours follow the speed in bands that read in round numbers of the chosen unit.
    void speedColours()
    {
        using RouteStyle::speedColour;
        QCOMPARE(speedColour(40, false), QColor(0, 220, 0));     // town speed: green
        QCOMPARE(speedColour(0, false), QColor(40, 110, 255));   // standing: blue
        QCOMPARE(speedColour(140, false), QColor(215, 0, 40));   // motorway and beyond: red
        QCOMPARE(speedColour(1e9, false), QColor(215, 0, 40));
        QCOMPARE(speedColour(-5, false), speedColour(0, false)); // nonsense reads as standing
        QCOMPARE(speedColour(std::nan(""), false), speedColour(0, false));
        QCOMPARE(speedColour(80, false), QColor(255, 215, 0));
        // 50 mph is the yellow stop on the mph scale.
        QCOMPARE(speedColour(50 * 1.609344, true), QColor(255, 215, 0));
        QVERIFY(speedColour(65, false).red() > speedColour(55, false).red());
        QCOMPARE(RouteStyle::stops(true).back(), 90.0);
    }

    // Slow and fast stretches in their colours, start and end markers, and the legend
    // in the unit the user chose.
    void routeColouredBySpeedWithLegendAndEnds()
    {
        TestSettings settings;
        auto v = std::make_shared<std::vector<GPSItem>>();
        for (int i = 0; i < 20; ++i)
            v->emplace_back("2024/05/04 10:00:00", QString::number(11.570 + i * 0.0004, 'f', 6).toStdString(),
                            "48.1374", i < 10 ? "5.0" : "130.0", 0, 0, 1);
        GpsMapView view;
        view.resize(400, 240);
        view.setGpsData(v);
        view.setCenter(QGeoCoordinate(48.1374, 11.5738), 16);
        const QImage img = view.grab().toImage();
        const QPointF slow = view.screenPosition(QGeoCoordinate(48.1374, 11.5720));
        const QPointF fast = view.screenPosition(QGeoCoordinate(48.1374, 11.5760));
        const QColor s = img.pixelColor(slow.toPoint()), f = img.pixelColor(fast.toPoint());
        QVERIFY2(s.blue() > 200 && s.red() < 100, qPrintable(s.name()));
        QVERIFY2(f.red() > 200 && f.green() < 100, qPrintable(f.name()));
        // Start: green disc; end: dark disc.
        const QColor start = img.pixelColor(view.screenPosition(QGeoCoordinate(48.1374, 11.570)).toPoint() + QPoint(-4, 0));
        const QColor end = img.pixelColor(view.screenPosition(QGeoCoordinate(48.1374, 11.5776)).toPoint() + QPoint(2, -2));
        QVERIFY2(start.green() > 120 && start.red() < 60, qPrintable(start.name()));
        QVERIFY2(end.red() < 80 && end.green() < 80 && end.blue() < 80, qPrintable(end.name()));
        // The legend sits in the lower left corner and changes with the unit.
        const QImage corner = img.copy(0, 180, 200, 60);
        Preferences::setSpeedUnitType(QStringLiteral("MPH"));
        const QImage cornerMph = view.grab().toImage().copy(0, 180, 200, 60);
        QVERIFY(corner != cornerMph);
        QVERIFY(countPixels(corner, [](const QColor &c) { return c.red() > 240 && c.green() > 200 && c.blue() < 40; }) > 5);
        // No route, no legend.
        view.clearMapAnotation();
        QCOMPARE(countPixels(view.grab().toImage().copy(0, 180, 200, 60),
                             [](const QColor &c) { return c.red() > 240 && c.green() > 200 && c.blue() < 40; }), 0);
    }

    // A trip: every recording's route pale, the current one bold; clearing leaves nothing
    // of it: no pale route, no end markers, no legend.
    void tripShowsEveryPartAndHighlightsTheCurrent()
    {
        const Track a = straightTrack(10), b = straightTrack(10, 48.1394, 11.5785);
        GpsMapView view;
        view.resize(400, 300);
        view.setTripContext({a, b});
        view.setGpsData(b);
        view.setCenter(QGeoCoordinate(48.1392, 11.5782), 16);
        QVERIFY(view.hasTrip());
        const QImage img = view.grab().toImage();
        const QColor pale = img.pixelColor(view.screenPosition(QGeoCoordinate(lat(a, 5), lon(a, 5))).toPoint());
        const QColor bold = img.pixelColor(view.screenPosition(QGeoCoordinate(lat(b, 5), lon(b, 5))).toPoint());
        QVERIFY2(isRouteGreen(bold), qPrintable(bold.name()));
        QVERIFY2(!isRouteGreen(pale) && pale.green() > 200 && pale.red() > 100, qPrintable(pale.name()));
        const QImage before = view.grab().toImage();
        view.clearMapAnotation();
        QVERIFY(!view.hasTrip());
        const QImage after = view.grab().toImage();
        const QColor gone = after.pixelColor(view.screenPosition(QGeoCoordinate(lat(a, 5), lon(a, 5))).toPoint());
        QVERIFY2(gone != pale && !isRouteGreen(gone), qPrintable(gone.name()));
        // The trip's start disc, its end disc and the legend's yellow are gone with it.
        const QPoint start = view.screenPosition(QGeoCoordinate(lat(a, 0), lon(a, 0))).toPoint();
        const QPoint end = view.screenPosition(QGeoCoordinate(lat(b, 9), lon(b, 9))).toPoint();
        QVERIFY(before.pixelColor(start) != after.pixelColor(start));
        QVERIFY(before.pixelColor(end) != after.pixelColor(end));
        auto legend = [](const QImage &img) {
            return countPixels(img.copy(0, img.height() - 60, 200, 60),
                               [](const QColor &c) { return c.red() > 240 && c.green() > 200 && c.blue() < 40; });
        };
        QVERIFY(legend(before) > 5);
        QCOMPARE(legend(after), 0);
        view.setTripContext({a, b});
        QVERIFY(view.hasTrip());
        view.setTripContext({});
        QVERIFY(!view.hasTrip());
        view.setTripContext({a}); // one recording alone is no trip
        QVERIFY(!view.hasTrip());
    }

    // A day of one-minute files is projected on the worker: the trip shows a moment later,
    // and one that was called off (cleared, or replaced by another) never comes back.
    void longTripIsProjectedOffTheWindowsThread()
    {
        const int each = int(GpsMapView::kInlineTripPoints / 2) + 500;
        const Track a = straightTrack(each), b = straightTrack(each, 48.1394, 11.5785);
        const std::size_t whole = std::size_t(2 * each);
        GpsMapView view;
        view.resize(400, 300);
        view.setTripContext({a, b});
        QVERIFY(!view.hasTrip()); // not yet: the worker has it
        view.waitForTrip();
        QCOMPARE(view.tripPointCount(), whole);

        view.setTripContext({a, b});
        view.clearMapAnotation();
        view.waitForTrip();
        QVERIFY(!view.hasTrip());

        const Track c = straightTrack(10), d = straightTrack(10, 48.1394, 11.5785);
        view.setTripContext({a, b});
        view.setTripContext({c, d}); // small: shown at once, and the long one is stale
        QCOMPARE(view.tripPointCount(), std::size_t(20));
        view.waitForTrip();
        QCOMPARE(view.tripPointCount(), std::size_t(20));

        view.setTripContext({a, b});
        view.setTripContext({});
        view.waitForTrip();
        QVERIFY(!view.hasTrip());
    }

    // Painting leaves out what a pixel cannot show and the runs out of view, but never a
    // stretch in view: at street level a long route is drawn where it passes.
    void longRouteIsDrawnWhereItPassesInView()
    {
        // North, east, north again: decimating across a corner would cut it.
        std::vector<GPSItem> items;
        const int leg = int(GpsMapView::kInlineTripPoints) / 3 + 1000;
        double la = 48.1374, lo = 11.5755;
        for (int i = 0; i < 3 * leg; ++i) {
            items.push_back(makeSample({.lat = sixDecimals(la), .lon = sixDecimals(lo), .speed = "40.0"}));
            (i / leg == 1 ? lo : la) += 0.0002;
        }
        const Track a = makeTrack(std::move(items));
        GpsMapView view;
        view.resize(400, 300);
        view.setGpsData(a);
        for (const std::size_t corner : {std::size_t(leg), std::size_t(2 * leg)}) {
            view.setCenter(QGeoCoordinate(lat(a, corner), lon(a, corner)), 17);
            const QColor c = view.grab().toImage().pixelColor(
                view.screenPosition(QGeoCoordinate(lat(a, corner), lon(a, corner))).toPoint());
            QVERIFY2(isRouteGreen(c), qPrintable(QString::number(corner) + " " + c.name()));
        }
        for (const std::size_t at : {std::size_t(0), std::size_t(7001), trackSize(a) - 1}) {
            view.setCenter(QGeoCoordinate(lat(a, at), lon(a, at)), 17);
            const QImage img = view.grab().toImage();
            // Halfway between two samples, away from the start and end discs.
            const std::size_t from = at == 0 ? 3 : at - 3;
            const QPointF p = (view.screenPosition(QGeoCoordinate(lat(a, from), lon(a, from))) +
                               view.screenPosition(QGeoCoordinate(lat(a, from + 1), lon(a, from + 1)))) / 2;
            const QColor c = img.pixelColor(p.toPoint());
            QVERIFY2(isRouteGreen(c), qPrintable(QString::number(at) + " " + c.name()));
        }
        // Far out, the whole route is a short line of specks a pixel apart: still drawn.
        const std::size_t mid = trackSize(a) / 2;
        view.setCenter(QGeoCoordinate(lat(a, mid), lon(a, mid)), 5);
        const QColor c = view.grab().toImage().pixelColor(view.screenPosition(QGeoCoordinate(lat(a, mid), lon(a, mid))).toPoint());
        QVERIFY2(isRouteGreen(c), qPrintable(c.name()));
    }

    void pictures()
    {
        const QString out = qEnvironmentVariable("TRAVA_SCREENSHOT_DIR");
        QTemporaryDir tmp;
        const QString dir = out.isEmpty() ? tmp.path() : out;
        const Track track = munichDrive();
        QVERIFY(track->size() > 300);

        // As without network: the web source fails (nothing listens on port 1).
        GpsMapView view;
        view.resize(420, 300);
        view.setTileSource(std::make_unique<OsmTileSource>(QStringLiteral("http://127.0.0.1:1/{z}/{x}/{y}.png"),
                                                           tmp.filePath("cache")));
        view.setGpsData(track);
        view.setCurrentPlayerTime(181.4);
        QTRY_VERIFY_WITH_TIMEOUT((view.grab(), view.isShowingNotice()), 5000);
        QImage offline = view.grab().toImage();
        QVERIFY(countPixels(offline, isRouteGreen) > 200);
        QVERIFY(countPixels(offline, isMarkerRed) > 40);
        QVERIFY(offline.save(dir + "/mapview-offline.png"));

        QString error;
        const QString mbtiles = tmp.filePath("munich.mbtiles");
        QVERIFY(buildMunichMbtiles(mbtiles, view.zoomLevel()));
        QVERIFY2(view.useMbtiles(mbtiles, &error), qPrintable(error));
        QTRY_VERIFY_WITH_TIMEOUT((view.grab(), view.grab().toImage() != offline && !view.isShowingNotice()), 5000);
        QTest::qWait(300);
        QImage tiled = view.grab().toImage();
        QVERIFY(countPixels(tiled, isRouteGreen) > 200);
        QVERIFY(tiled.save(dir + "/mapview-tiles.png"));
    }
};

QTEST_MAIN(TestGpsMapView)
#include "tst_gpsmapview.moc"
