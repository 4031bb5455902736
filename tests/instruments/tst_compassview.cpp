// The compass: heading angles, which entry a tick picks, and how the pointer turns.
#include <QPainter>
#include <QVariantAnimation>
#include <QtTest>
#include <cmath>

#include "instruments/compassview.h"
#include "instruments/dashboardstate.h"
#include "instruments/picturecache.h"
#include "support/trackbuilder.h"

namespace {
Track positions(std::initializer_list<std::pair<const char *, const char *>> latLon)
{
    std::vector<GPSItem> items;
    for (const auto &[lat, lon] : latLon)
        items.push_back(makeSample({.lat = lat, .lon = lon, .speed = "30.0"}));
    return makeTrack(std::move(items));
}
// The view's own painting over transparency.
QImage grabbed(QWidget *w)
{
    QImage img(w->size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    w->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img.convertToFormat(QImage::Format_ARGB32);
}

bool isRed(QRgb p) { return qRed(p) > 200 && qGreen(p) < 90 && qAlpha(p) > 200; }

// Which sides of a 200 x 200 picture's centre hold the red test needle, 35 pixels out.
QString redSides(const QImage &img)
{
    const QPoint c(100, 100);
    const QPoint probes[4] = {c + QPoint(0, -35), c + QPoint(35, 0), c + QPoint(0, 35), c + QPoint(-35, 0)};
    QString sides;
    const char names[4] = {'N', 'E', 'S', 'W'};
    for (int i = 0; i < 4; ++i)
        if (isRed(img.pixel(probes[i])))
            sides += QLatin1Char(names[i]);
    return sides;
}

// Red pixels on the ray from the centre at the compass bearing (degrees clockwise from
// north), counted from 15 to 45 pixels out.
int redAlong(const QImage &img, double bearing)
{
    int n = 0;
    const double rad = bearing * M_PI / 180.0;
    for (int r = 15; r <= 45; ++r)
        n += isRed(img.pixel(QPoint(int(std::lround(100 + r * std::sin(rad))), int(std::lround(100 - r * std::cos(rad))))));
    return n;
}

QImage painted(const DashboardState &state)
{
    QImage img(200, 200, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    CompassPainter::paint(p, QRectF(0, 0, 200, 200), state);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}
} // namespace

class TestCompassView : public QObject {
    Q_OBJECT
private slots:
    void anglesForEachDirection()
    {
        const float lat = 30.0f, lon = 120.0f, d = 0.001f;
        QCOMPARE(getAngle(lat, lon, lat + d, lon), 270.0f);  // north
        QCOMPARE(getAngle(lat, lon, lat - d, lon), 90.0f);   // south
        QCOMPARE(getAngle(lat, lon, lat, lon - d), 0.0f);    // west
        QCOMPARE(getAngle(lat, lon, lat, lon + d), -180.0f); // east
        QCOMPARE(getAngle(lat, lon, lat, lon), -180.0f);     // standing still
        QVERIFY(std::fabs(getAngle(0, 0, 1, 1) - 225.0f) < 1e-4f);   // north-east
        QVERIFY(std::fabs(getAngle(0, 0, -1, 1) - 135.0f) < 1e-4f);  // south-east
        QVERIFY(std::fabs(getAngle(0, 0, -1, -1) - 45.0f) < 1e-4f);  // south-west
        QVERIFY(std::fabs(getAngle(0, 0, 1, -1) - 315.0f) < 1e-4f);  // north-west
        // Degrees count alike in both directions: two north per one east is 270 - 26.565.
        QVERIFY(std::fabs(getAngle(0, 0, 2, 1) - float(270.0 - std::atan(0.5) * 180 / M_PI)) < 1e-4f);
    }

    void oneAnglePerSampleFirstStepTwice()
    {
        CompassView view;
        view.setGpsData(positions({{"30.0", "120.0"}, {"30.001", "120.0"}}));
        QCOMPARE(view.angles(), (QVector<float>{270.0f, 270.0f}));
        view.setGpsData(positions({{"30.0", "120.0"}, {"30.001", "120.0"}, {"30.001", "120.001"}}));
        QCOMPARE(view.angles(), (QVector<float>{270.0f, 270.0f, -180.0f}));
        QCOMPARE(view.curTime(), qint64(-1));

        view.setGpsData(positions({{"30.0", "120.0"}}));
        QVERIFY(view.angles().isEmpty());
        view.setCurrentPlayerTime(0.5);
        QCOMPARE(view.curPosition(), 0.0f);
        view.setGpsData(nullptr);
        QVERIFY(view.angles().isEmpty());
    }

    void ticksPickTheEntryOfTheirSecondOnce()
    {
        CompassView view;
        view.setGpsData(positions({{"30.0", "120.0"}, {"30.001", "120.0"}, {"30.001", "120.001"}}));
        view.setCurrentPlayerTime(0.5); // second 0 turns too
        QCOMPARE(view.curPosition(), 270.0f);
        view.setCurrentPlayerTime(2.1);
        QCOMPARE(view.curPosition(), -180.0f);
        view.setCurrentPlayerTime(2.9);
        QCOMPARE(view.animation()->startValue().toDouble(), -270.0 * M_PI / 180.0); // no new turn
        view.setCurrentPlayerTime(3.0); // past the end: remembered, nothing turns
        QCOMPARE(view.curTime(), qint64(3));
        QCOMPARE(view.curPosition(), -180.0f);
        view.setCurrentPlayerTime(-0.5); // truncates to second 0, index 0: turns again
        QCOMPARE(view.curPosition(), 270.0f);
        view.setCurrentPlayerTime(-1.5);
        QCOMPARE(view.curTime(), qint64(-1));
        QCOMPARE(view.curPosition(), 270.0f);
        view.setCurrentPlayerTime(std::nan(""));
        view.setCurrentPlayerTime(1e300);
        QCOMPARE(view.curPosition(), 270.0f);
    }

    void turnsSweepNumericallyAndReplaceARunningTurn()
    {
        CompassView view;
        view.setPointRotate(270);
        QCOMPARE(view.animation()->duration(), 250);
        QCOMPARE(view.animation()->startValue().toDouble(), 0.0);
        QCOMPARE(view.animation()->endValue().toDouble(), -3 * M_PI / 2);
        QTRY_COMPARE_WITH_TIMEOUT(view.pointerRotation(), -3 * M_PI / 2, 2000); // stays at its end

        view.setPointRotate(315);
        view.setPointRotate(-180); // replaces the running turn, starting from its target
        QCOMPARE(view.animation()->startValue().toDouble(), -315 * M_PI / 180);
        QCOMPARE(view.animation()->endValue().toDouble(), M_PI);
        QCOMPARE(view.animation()->state(), QAbstractAnimation::Running);
        QTRY_COMPARE_WITH_TIMEOUT(view.pointerRotation(), M_PI, 2000);

        view.resetCompass();
        QVERIFY(view.angles().isEmpty());
        QCOMPARE(view.curTime(), qint64(-1));
        QCOMPARE(view.curPosition(), 0.0f);
        QTRY_COMPARE_WITH_TIMEOUT(view.pointerRotation(), 0.0, 2000);
    }

    void pointerCoversTheHeightSquareAndShowsTheTravelDirection()
    {
        CompassView view;
        view.resize(260, 200);
        view.show();
        QCOMPARE(CompassPainter::pointerFrame(view.size()), QRectF(30, 0, 200, 200)); // centred over the dial
        view.resize(200, 200);
        QCOMPARE(CompassPainter::pointerFrame(view.size()), QRectF(0, 0, 200, 200));
        QVERIFY(PictureCache::fitted(CompassPainter::kPointerPicture, QSizeF(200, 200), 1.0).width() > 0);

        auto needleSide = [&view] { return redSides(grabbed(&view)); };
        QCOMPARE(needleSide(), QStringLiteral("W")); // the test needle points west at rest
        const struct {
            const char *lat, *lon;
            const char *side;
        } moves[] = {{"30.001", "120.0", "N"}, {"30.0", "120.001", "E"}, {"29.999", "120.0", "S"}, {"30.0", "119.999", "W"}};
        for (const auto &m : moves) {
            view.setGpsData(positions({{"30.0", "120.0"}, {m.lat, m.lon}}));
            view.setCurrentPlayerTime(1.0);
            QTRY_COMPARE_WITH_TIMEOUT(view.animation()->state(), QAbstractAnimation::Stopped, 2000);
            QCOMPARE(needleSide(), QString::fromLatin1(m.side));
        }
    }

    // A picture of second t shows the heading the compass turns to in that second: the
    // needle's pixels lie on the line of travel and nowhere else.
    void thePainterShowsTheHeadingOfTheSecond()
    {
        // North, then east, then north-east.
        const Track track = positions({{"30.0", "120.0"}, {"30.001", "120.0"}, {"30.001", "120.001"}, {"30.002", "120.002"}});
        const struct {
            double t, bearing;
        } cases[] = {{0.5, 0}, {1.5, 0}, {2.5, 90}, {3.5, 45}, {99.0, 45}};
        for (const auto &c : cases) {
            const DashboardState state = dashboardStateAt(track, c.t, QStringLiteral("KMH"));
            QVERIFY(state.compassAngle);
            const QImage img = painted(state);
            QVERIFY2(redAlong(img, c.bearing) >= 25, qPrintable(QString::number(c.t)));
            for (double other : {c.bearing + 90, c.bearing + 180, c.bearing + 270})
                QVERIFY2(redAlong(img, other) == 0, qPrintable(QString::number(c.t)));
        }
        // Without a heading (one sample, NaN time) the needle rests pointing west.
        QCOMPARE(redSides(painted(dashboardStateAt(positions({{"30.0", "120.0"}}), 3.0, QStringLiteral("KMH")))),
                 QStringLiteral("W"));
        QCOMPARE(redSides(painted(dashboardStateAt(track, std::nan(""), QStringLiteral("KMH")))), QStringLiteral("W"));
    }
};

QTEST_MAIN(TestCompassView)
#include "tst_compassview.moc"
