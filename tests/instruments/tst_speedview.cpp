// The speed read-out: what each tick shows, in which unit, and where the texts sit.
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "core/preferences.h"
#include "instruments/dashboardstate.h"
#include "instruments/speeddialpainter.h"
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

// The dial painted over transparency (this binary has no dial picture: texts only).
template <typename Paint>
QImage painted(Paint paint)
{
    QImage img(200, 200, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    paint(p, QRectF(0, 0, 200, 200));
    return img;
}

// Bright pixels within the rows [top, bottom).
int brightRows(const QImage &img, int top, int bottom)
{
    int n = 0;
    for (int y = std::max(0, top); y < std::min(img.height(), bottom); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) > 128 && qRed(img.pixel(x, y)) > 128;
    return n;
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
        QCOMPARE(SpeedDialPainter::unitFont().pixelSize(), 16);
        QCOMPARE(SpeedDialPainter::numberFont().pixelSize(), 26);
    }

    void restingLookShowsZeroOverTheStoredUnit()
    {
        {
            SpeedView view;
            QCOMPARE(view.speedText(), QStringLiteral("0"));
            QCOMPARE(view.unitText(), QString()); // never chosen
        }
        Preferences::setSpeedUnitType(QStringLiteral("MPH"));
        SpeedView view;
        QCOMPARE(view.unitText(), QStringLiteral("MPH"));
    }

    void ticksFollowPlaybackInKilometresAndMiles()
    {
        SpeedView view;
        view.setGpsData(speeds({"100.0", "42.9", "55.5", "0.4"}));
        view.setCurrentPlayerTime(0.3); // a fresh track shows second 0 at once
        QCOMPARE(view.speedText(), QStringLiteral("100"));
        // An absent choice is stored in the player's own vocabulary.
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QStringLiteral("KMH"));
        QCOMPARE(view.unitText(), QStringLiteral("KMH"));
        view.setCurrentPlayerTime(1.2);
        QCOMPARE(view.speedText(), QStringLiteral("42")); // truncated, not rounded

        Preferences::setSpeedUnitType(QStringLiteral("MPH"));
        view.setCurrentPlayerTime(1.8); // same second: ignored even though the unit changed
        QCOMPARE(view.speedText(), QStringLiteral("42"));
        view.setCurrentPlayerTime(0.5); // seek back
        QCOMPARE(view.speedText(), QStringLiteral("62"));
        QCOMPARE(view.unitText(), QStringLiteral("MPH"));
        view.setCurrentPlayerTime(2.0);
        QCOMPARE(view.speedText(), QStringLiteral("34")); // 55.5 * 0.6214 = 34.49

        // A legacy or foreign stored unit reads as km/h and is never overwritten with "km/h".
        QSettings().setValue(kSpeedUnitType, QStringLiteral("km/h"));
        view.setCurrentPlayerTime(0.1);
        QCOMPARE(view.speedText(), QStringLiteral("100"));
        QCOMPARE(view.unitText(), QStringLiteral("KMH"));
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QStringLiteral("km/h"));
    }

    void aUnitChangeShowsWithoutWaitingForTheNextSecond()
    {
        SpeedView view;
        view.refreshSpeedUnit(); // resting, never chosen: stays empty
        QCOMPARE(view.unitText(), QString());
        view.setGpsData(speeds({"80.0", "100.0"}));
        view.setCurrentPlayerTime(1.5);
        QCOMPARE(view.speedText(), QStringLiteral("100"));
        Preferences::setSpeedUnitType(QStringLiteral("MPH"));
        view.refreshSpeedUnit();
        QCOMPARE(view.speedText(), QStringLiteral("62"));
        QCOMPARE(view.unitText(), QStringLiteral("MPH"));
        view.resetSpeedPoint();
        Preferences::setSpeedUnitType(QStringLiteral("KMH"));
        view.refreshSpeedUnit();
        QCOMPARE(view.speedText(), QStringLiteral("0"));
        QCOMPARE(view.unitText(), QStringLiteral("KMH"));
    }

    void pastTheEndAndAfterResetNothingChanges()
    {
        SpeedView view;
        view.setGpsData(speeds({"10", "20", "30"}));
        view.setCurrentPlayerTime(2.5);
        QCOMPARE(view.speedText(), QStringLiteral("30"));
        view.setCurrentPlayerTime(3.0);
        view.setCurrentPlayerTime(99.0);
        QCOMPARE(view.speedText(), QStringLiteral("30"));

        view.resetSpeedPoint();
        QVERIFY(!view.gpsArray());
        QCOMPARE(view.speedText(), QStringLiteral("0"));
        view.setCurrentPlayerTime(1.5);
        QCOMPARE(view.speedText(), QStringLiteral("0"));

        // The next track acts on its first tick, whatever second it lands in.
        view.setGpsData(speeds({"7", "8"}));
        view.setCurrentPlayerTime(1.5);
        QCOMPARE(view.speedText(), QStringLiteral("8"));
    }

    void absurdSpeedTextsStayReadable()
    {
        SpeedView view;
        view.setGpsData(speeds({"junk", "1e30", "-12.7", "nan"}));
        view.setCurrentPlayerTime(0.5);
        QCOMPARE(view.speedText(), QStringLiteral("0"));
        view.setCurrentPlayerTime(1.5);
        QVERIFY(view.speedText().toLongLong() > 2000000000LL); // clamped, not undefined
        view.setCurrentPlayerTime(2.5);
        QCOMPARE(view.speedText(), QStringLiteral("-12"));
        view.setCurrentPlayerTime(std::nan(""));
        view.setCurrentPlayerTime(1e300);
        QCOMPARE(view.speedText(), QStringLiteral("-12"));
    }

    // A picture of second t carries exactly the digits the read-out shows at t: the same
    // pixels as those digits drawn as text, not those of the neighbouring numbers.
    void thePainterDrawsTheDigitsOfTheSecond()
    {
        const Track track = speeds({"10", "20", "42.9", "100.0"});
        const auto fromState = [&](double t, const char *unit) {
            const DashboardState s = dashboardStateAt(track, t, QString::fromLatin1(unit));
            return painted([&](QPainter &p, const QRectF &r) { SpeedDialPainter::paint(p, r, s); });
        };
        const auto asText = [](const char *number, const char *unit) {
            return painted([&](QPainter &p, const QRectF &r) {
                SpeedDialPainter::paint(p, r, QString::fromLatin1(number), QString::fromLatin1(unit));
            });
        };
        QCOMPARE(fromState(2.7, "KMH"), asText("42", "KMH")); // truncated, not rounded
        QVERIFY(fromState(2.7, "KMH") != asText("43", "KMH"));
        QVERIFY(fromState(2.7, "KMH") != asText("42", "MPH"));
        QCOMPARE(fromState(3.2, "MPH"), asText("62", "MPH"));
        QCOMPARE(fromState(0.0, "KMH"), asText("0", "KMH")); // resting before the first sample
        QCOMPARE(fromState(50.0, "KMH"), asText("100", "KMH")); // past the end: the last sample

        // The digits sit in the number band (y 73.75 to 103.75), the unit right under it.
        const QImage img = fromState(2.7, "KMH");
        QVERIFY(brightRows(img, 74, 104) > 40);
        QVERIFY(brightRows(img, 104, 127) > 20);
        QCOMPARE(brightRows(img, 0, 72) + brightRows(img, 128, 200), 0);
    }

    // The widget draws what it holds through the same painter.
    void theViewPaintsThroughThePainter()
    {
        SpeedView view;
        view.resize(200, 200);
        view.setGpsData(speeds({"10", "57.3"}));
        view.setCurrentPlayerTime(1.5);
        QImage shown(200, 200, QImage::Format_ARGB32_Premultiplied);
        shown.fill(Qt::transparent);
        view.render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
        QCOMPARE(shown, painted([](QPainter &p, const QRectF &r) {
                     SpeedDialPainter::paint(p, r, QStringLiteral("57"), QStringLiteral("KMH"));
                 }));
    }

    void milesConversionIsNarrowedToSinglePrecision()
    {
        QCOMPARE(SpeedView::kmhToMph(100.0f), float(100.0 * 0.6214));
        QCOMPARE(SpeedView::kmhToMph(0.0f), 0.0f);
    }
};

QTEST_MAIN(TestSpeedView)
#include "tst_speedview.moc"
