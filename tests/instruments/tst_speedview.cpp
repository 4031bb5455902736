// The speed read-out: what each tick shows, in which unit, and where the texts sit.
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "core/preferences.h"
#include "instruments/speedview.h"
#include "support/trackbuilder.h"

namespace {
Track speeds(std::initializer_list<const char *> values)
{
    std::vector<GPSItem> items;
    for (const char *v : values)
        items.push_back(makeSample({.speed = v}));
    return makeTrack(std::move(items));
}
} // namespace

class TestSpeedView : public QObject {
    Q_OBJECT
    QTemporaryDir m_settingsDir;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    }
    void init() { QSettings().remove(kSpeedUnitType); }

    void labelsSitInTheirBands()
    {
        SpeedView view;
        view.resize(240, 200);
        view.show();
        // y-up: unit text at 73.75 (22.5 high), number at 96.25 (30 high); Qt counts from the top.
        QCOMPARE(SpeedView::unitLabelFrame(QSizeF(240, 200)), QRectF(0, 103.75, 240, 22.5));
        QCOMPARE(SpeedView::speedLabelFrame(QSizeF(240, 200)), QRectF(0, 73.75, 240, 30));
        QCOMPARE(view.unitLabel()->geometry().top(), 104);
        QCOMPARE(view.speedLabel()->geometry().top(), 74);
        QCOMPARE(view.speedLabel()->geometry().width(), 240);
        QVERIFY(view.speedLabel()->alignment() & Qt::AlignHCenter);
        QCOMPARE(view.unitLabel()->font().pixelSize(), 16);
        QCOMPARE(view.speedLabel()->font().pixelSize(), 26);
    }

    void restingLookShowsZeroOverTheStoredUnit()
    {
        {
            SpeedView view;
            QCOMPARE(view.speedLabel()->text(), QStringLiteral("0"));
            QCOMPARE(view.unitLabel()->text(), QString()); // never chosen
        }
        Preferences::setSpeedUnitType(QStringLiteral("MPH"));
        SpeedView view;
        QCOMPARE(view.unitLabel()->text(), QStringLiteral("MPH"));
    }

    void ticksFollowPlaybackInKilometresAndMiles()
    {
        SpeedView view;
        view.setGpsData(speeds({"100.0", "42.9", "55.5", "0.4"}));
        view.setCurrentPlayerTime(0.3); // a fresh track shows second 0 at once
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("100"));
        // An absent choice is stored in the player's own vocabulary.
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QStringLiteral("KMH"));
        QCOMPARE(view.unitLabel()->text(), QStringLiteral("KMH"));
        view.setCurrentPlayerTime(1.2);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("42")); // truncated, not rounded

        Preferences::setSpeedUnitType(QStringLiteral("MPH"));
        view.setCurrentPlayerTime(1.8); // same second: ignored even though the unit changed
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("42"));
        view.setCurrentPlayerTime(0.5); // seek back
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("62"));
        QCOMPARE(view.unitLabel()->text(), QStringLiteral("MPH"));
        view.setCurrentPlayerTime(2.0);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("34")); // 55.5 * 0.6214 = 34.49

        // A legacy or foreign stored unit reads as km/h and is never overwritten with "km/h".
        QSettings().setValue(kSpeedUnitType, QStringLiteral("km/h"));
        view.setCurrentPlayerTime(0.1);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("100"));
        QCOMPARE(view.unitLabel()->text(), QStringLiteral("KMH"));
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QStringLiteral("km/h"));
    }

    void aUnitChangeShowsWithoutWaitingForTheNextSecond()
    {
        SpeedView view;
        view.refreshSpeedUnit(); // resting, never chosen: stays empty
        QCOMPARE(view.unitLabel()->text(), QString());
        view.setGpsData(speeds({"80.0", "100.0"}));
        view.setCurrentPlayerTime(1.5);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("100"));
        Preferences::setSpeedUnitType(QStringLiteral("MPH"));
        view.refreshSpeedUnit();
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("62"));
        QCOMPARE(view.unitLabel()->text(), QStringLiteral("MPH"));
        view.resetSpeedPoint();
        Preferences::setSpeedUnitType(QStringLiteral("KMH"));
        view.refreshSpeedUnit();
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("0"));
        QCOMPARE(view.unitLabel()->text(), QStringLiteral("KMH"));
    }

    void pastTheEndAndAfterResetNothingChanges()
    {
        SpeedView view;
        view.setGpsData(speeds({"10", "20", "30"}));
        view.setCurrentPlayerTime(2.5);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("30"));
        view.setCurrentPlayerTime(3.0);
        view.setCurrentPlayerTime(99.0);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("30"));

        view.resetSpeedPoint();
        QVERIFY(!view.gpsArray());
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("0"));
        view.setCurrentPlayerTime(1.5);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("0"));

        // The next track acts on its first tick, whatever second it lands in.
        view.setGpsData(speeds({"7", "8"}));
        view.setCurrentPlayerTime(1.5);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("8"));
    }

    void absurdSpeedTextsStayReadable()
    {
        SpeedView view;
        view.setGpsData(speeds({"junk", "1e30", "-12.7", "nan"}));
        view.setCurrentPlayerTime(0.5);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("0"));
        view.setCurrentPlayerTime(1.5);
        QVERIFY(view.speedLabel()->text().toLongLong() > 2000000000LL); // clamped, not undefined
        view.setCurrentPlayerTime(2.5);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("-12"));
        view.setCurrentPlayerTime(std::nan(""));
        view.setCurrentPlayerTime(1e300);
        QCOMPARE(view.speedLabel()->text(), QStringLiteral("-12"));
    }

    void milesConversionIsNarrowedToSinglePrecision()
    {
        QCOMPARE(SpeedView::kmhToMph(100.0f), float(100.0 * 0.6214));
        QCOMPARE(SpeedView::kmhToMph(0.0f), 0.0f);
    }
};

QTEST_MAIN(TestSpeedView)
#include "tst_speedview.moc"
