// The compass: heading angles, which entry a tick picks, and how the pointer turns.
#include <QVariantAnimation>
#include <QtTest>
#include <cmath>

#include "instruments/compassview.h"
#include "instruments/pictureview.h"
#include "support/trackbuilder.h"

namespace {
Track positions(std::initializer_list<std::pair<const char *, const char *>> latLon)
{
    std::vector<GPSItem> items;
    for (const auto &[lat, lon] : latLon)
        items.push_back(makeSample({.lat = lat, .lon = lon, .speed = "30.0"}));
    return makeTrack(std::move(items));
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
        QTRY_COMPARE_WITH_TIMEOUT(view.pointImgView()->rotation(), -3 * M_PI / 2, 2000); // stays at its end

        view.setPointRotate(315);
        view.setPointRotate(-180); // replaces the running turn, starting from its target
        QCOMPARE(view.animation()->startValue().toDouble(), -315 * M_PI / 180);
        QCOMPARE(view.animation()->endValue().toDouble(), M_PI);
        QCOMPARE(view.animation()->state(), QAbstractAnimation::Running);
        QTRY_COMPARE_WITH_TIMEOUT(view.pointImgView()->rotation(), M_PI, 2000);

        view.resetCompass();
        QVERIFY(view.angles().isEmpty());
        QCOMPARE(view.curTime(), qint64(-1));
        QCOMPARE(view.curPosition(), 0.0f);
        QTRY_COMPARE_WITH_TIMEOUT(view.pointImgView()->rotation(), 0.0, 2000);
    }

    void pointerCoversTheHeightSquareAndShowsTheTravelDirection()
    {
        CompassView view;
        view.resize(260, 200);
        view.show();
        QCOMPARE(view.pointImgView()->geometry(), QRect(30, 0, 200, 200)); // centred over the dial
        view.resize(200, 200);
        QCOMPARE(view.pointImgView()->geometry(), QRect(0, 0, 200, 200));
        QVERIFY(view.pointImgView()->hasPicture()); // the test needle, pointing west at rest

        // Which side of the centre holds the red needle.
        auto needleSide = [&view] {
            const QImage img = view.pointImgView()->grab().toImage();
            const QPoint c(100, 100);
            const QPoint probes[4] = {c + QPoint(0, -35), c + QPoint(35, 0), c + QPoint(0, 35), c + QPoint(-35, 0)};
            QString sides;
            const char names[4] = {'N', 'E', 'S', 'W'};
            for (int i = 0; i < 4; ++i)
                if (qRed(img.pixel(probes[i])) > 200 && qAlpha(img.pixel(probes[i])) > 200)
                    sides += QLatin1Char(names[i]);
            return sides;
        };
        QCOMPARE(needleSide(), QStringLiteral("W"));
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
};

QTEST_MAIN(TestCompassView)
#include "tst_compassview.moc"
