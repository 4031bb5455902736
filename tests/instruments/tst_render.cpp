// Each instrument drawn with its real pictures and a two-minute drive, as the main view
// shows them. With TRAVA_SCREENSHOT_DIR set, the renderings are also saved there as PNGs.
#include <QLabel>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include "instruments/compassview.h"
#include "instruments/dashboardrenderer.h"
#include "core/mlanguagemanager.h"
#include "track/tripstatistics.h"
#include "drivetrack.h"
#include "instruments/gsensorstateview.h"
#include "widgets/imagerotated.h"
#include "widgets/mcustomslider.h"
#include "core/preferences.h"
#include "instruments/speeddialpainter.h"
#include "instruments/speedview.h"
#include "widgets/vcustomslider.h"

namespace {
// The main view's panel colour.
const QColor kPanel(49, 49, 49);

QWidget *panelFor(QWidget *instrument, const QSize &size)
{
    auto *host = new QWidget;
    host->setAutoFillBackground(true);
    QPalette pal = host->palette();
    pal.setColor(QPalette::Window, kPanel);
    host->setPalette(pal);
    auto *l = new QVBoxLayout(host);
    l->setContentsMargins(6, 6, 6, 6);
    l->addWidget(instrument);
    host->resize(size);
    host->show();
    return host;
}

// Distinct colours in the picture: a blank or single-colour panel has very few.
int distinctColours(const QImage &img)
{
    QSet<QRgb> seen;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            seen.insert(img.pixel(x, y));
    return int(seen.size());
}

void save(const QImage &img, const char *name)
{
    const QString dir = qEnvironmentVariable("TRAVA_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(img.save(dir + QLatin1Char('/') + QLatin1String(name)));
}

// Knobs are discs; bar pieces are rounded only at the bar's far end (squareRight: the
// minimum piece, whose right end meets the knob).
// A transparent w x h picture with one antialiased shape in fill, drawn by draw.
template <typename Draw>
QImage filledPicture(int w, int h, QColor fill, Draw draw)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    draw(p);
    return img;
}

QImage barPicture(int w, int h, QColor fill, bool squareRight)
{
    return filledPicture(w, h, fill, [&](QPainter &p) {
        p.drawRoundedRect(squareRight ? QRectF(0, 0, w + h, h) : QRectF(-h, 0, w + h, h), h / 2.0, h / 2.0);
    });
}

QImage sliderPicture(int w, int h, QColor fill, bool round)
{
    return filledPicture(w, h, fill, [&](QPainter &p) {
        if (round)
            p.drawEllipse(QRectF(0.5, 0.5, w - 1, h - 1));
        else
            p.drawRoundedRect(QRectF(0, 0, w, h), h / 2.0, h / 2.0);
    });
}
// Pixels that differ from the frame's fill, and whether any of them lies outside `inside`.
struct Changed {
    int within = 0, outside = 0;
};
Changed changedPixels(const QImage &img, QRgb fill, const QRect &inside)
{
    Changed c;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != fill)
                (inside.contains(x, y) ? c.within : c.outside)++;
    return c;
}

std::string localized(const std::string &key)
{
    return MLanguageManager::DPLocalizedString(QString::fromStdString(key)).toStdString();
}
} // namespace

class TestRender : public QObject {
    Q_OBJECT
    QTemporaryDir m_settingsDir;
    Track m_drive = makeDriveTrack(120);

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        Preferences::setSpeedUnitType(QStringLiteral("KMH"));
    }

    void speedDial()
    {
        auto *speed = new SpeedView;
        std::unique_ptr<QWidget> host(panelFor(speed, QSize(232, 212)));
        speed->setGpsData(m_drive);
        speed->setCurrentPlayerTime(70.4); // on the faster stretch
        QVERIFY(speed->speedText().toInt() > 60);
        const QImage img = host->grab().toImage();
        QVERIFY(distinctColours(img) > 50); // the dial picture is there
        save(img, "speedview.png");
    }

    void compass()
    {
        auto *compass = new CompassView;
        std::unique_ptr<QWidget> host(panelFor(compass, QSize(232, 212)));
        compass->setGpsData(m_drive);
        compass->setCurrentPlayerTime(30.2);
        QTRY_COMPARE_WITH_TIMEOUT(compass->animation()->state(), QAbstractAnimation::Stopped, 2000);
        const QImage img = host->grab().toImage();
        QVERIFY(distinctColours(img) > 50);
        save(img, "compassview.png");
    }

    void gsensorGraph()
    {
        auto *gsensor = new GsensorStateView;
        std::unique_ptr<QWidget> host(panelFor(gsensor, QSize(330, 190)));
        gsensor->setGpsData(m_drive);
        gsensor->setCurrentPlayerTime(44.5); // in the corner
        QVERIFY(gsensor->gSensorX()->text().startsWith(QLatin1String("X:")));
        QVERIFY(gsensor->gSensorX()->text() != QLatin1String("X:0.0000"));
        const QImage img = host->grab().toImage();
        QVERIFY(distinctColours(img) > 20);
        save(img, "gsensorview.png");
    }

    void sliders()
    {
        auto *host = new QWidget;
        std::unique_ptr<QWidget> owner(host);
        host->setAutoFillBackground(true);
        QPalette pal = host->palette();
        pal.setColor(QPalette::Window, QColor(20, 22, 25));
        host->setPalette(pal);
        auto *l = new QVBoxLayout(host);
        auto *progress = new VCustomSlider;
        progress->setKnobImage(sliderPicture(14, 14, QColor(240, 240, 240), true));
        progress->setMinimumValueImage(barPicture(8, 4, QColor(46, 196, 255), true));
        progress->setMaximumValueImage(barPicture(8, 4, QColor(255, 255, 255, 70), false));
        progress->setFloatRange(0, 1);
        progress->setFloatValue(0.35);
        auto *volume = new MCustomSlider;
        volume->setKnobImage(sliderPicture(12, 12, QColor(240, 240, 240), true));
        volume->setRange(0, 16);
        volume->setValue(11);
        auto *plain = new MCustomSlider; // no pictures: the platform's own look
        plain->setRange(0, 10);
        plain->setValue(5);
        auto *vertical = new MCustomSlider(Qt::Vertical);
        vertical->setKnobImage(sliderPicture(14, 14, QColor(240, 240, 240), true));
        vertical->setMinimumValueImage(barPicture(8, 4, QColor(75, 227, 138), true));
        vertical->setMaximumValueImage(barPicture(8, 4, QColor(255, 255, 255, 70), false));
        vertical->setRange(0, 100);
        vertical->setValue(30);
        vertical->setMinimumHeight(90);
        l->addWidget(progress);
        l->addWidget(volume);
        l->addWidget(plain);
        l->addWidget(vertical, 0, Qt::AlignHCenter);
        host->resize(300, 200);
        host->show();
        const QImage img = host->grab().toImage();
        save(img, "sliders.png");
        // Left of the progress knob the bar is blue, right of it grey.
        const QPointF knob = progress->mapTo(host, progress->sliderCell()->currentKnobRect.center().toPoint());
        const QRgb before = img.pixel(int(knob.x()) - 25, int(knob.y()));
        QVERIFY(qBlue(before) > 200 && qRed(before) < 100);
        const QRgb after = img.pixel(int(knob.x()) + 25, int(knob.y()));
        QVERIFY(qAbs(qRed(after) - qBlue(after)) < 30 && qRed(after) > 40);
    }

    // The band goes where it is asked, at pixel ratios 1 and 2, and nothing is drawn
    // beside it.
    void dashboardBandsGoWhereAsked()
    {
        using P = DashboardRenderer::Placement;
        const DashboardState state = dashboardStateAt(m_drive, 70.4, QStringLiteral("KMH"));
        const QRgb fill = qRgb(0, 0, 255);
        for (qreal dpr : {1.0, 2.0}) {
            for (P where : {P::BottomBand, P::TopBand, P::TopLeft, P::BottomRight, P::LeftPanel, P::RightPanel}) {
                const DashboardRenderer renderer(DashboardRenderer::AllWidgets, where);
                QImage frame(QSize(960, 540) * dpr, QImage::Format_RGB32);
                frame.setDevicePixelRatio(dpr);
                frame.fill(fill);
                renderer.compose(frame, state);
                const QRect band = renderer.bandRect(QSize(960, 540));
                const QRect pixels(band.topLeft() * dpr, band.size() * dpr);
                const Changed c = changedPixels(frame, fill, pixels);
                QCOMPARE(c.outside, 0);
                QVERIFY2(c.within > pixels.width() * pixels.height() / 4, qPrintable(QString::number(int(where))));
                if (where == P::BottomBand && dpr == 2.0)
                    save(frame, "dashboard-frame.png");
            }
        }
        const DashboardRenderer bottom;
        QCOMPARE(bottom.bandRect(QSize(1920, 1080)), QRect(0, 880, 1920, 200));
        QCOMPARE(DashboardRenderer(DashboardRenderer::AllWidgets, DashboardRenderer::Placement::TopBand)
                     .bandRect(QSize(1920, 1080)), QRect(0, 0, 1920, 200));
    }

    // A band is transparent where nothing is drawn and has the asked pixel size.
    void dashboardBandIsTransparentAroundItsWidgets()
    {
        const DashboardState state = dashboardStateAt(m_drive, 30.5, QStringLiteral("MPH"));
        const DashboardRenderer dialOnly(DashboardRenderer::Dial);
        for (qreal dpr : {1.0, 2.0}) {
            const QImage band = dialOnly.render(state, QSize(600, 200), dpr);
            QCOMPARE(band.format(), QImage::Format_ARGB32_Premultiplied);
            QCOMPARE(band.size(), QSize(600, 200) * dpr);
            QCOMPARE(band.devicePixelRatio(), dpr);
            QCOMPARE(qAlpha(band.pixel(QPoint(500, 100) * dpr)), 0); // right of the dial
            QVERIFY(qAlpha(band.pixel(QPoint(100, 100) * dpr)) > 0); // the dial
        }
        const QImage all = DashboardRenderer(DashboardRenderer::AllWidgets).render(state, QSize(1920, 200), 1.0);
        QVERIFY(distinctColours(all) > 100);
        save(all, "dashboard-band.png");
        save(DashboardRenderer().render(state, QSize(420, 1000), 1.0), "dashboard-panel.png");
        // Nonsense sizes give no picture rather than a huge one.
        QVERIFY(dialOnly.render(state, QSize(0, 200), 1.0).isNull());
        QVERIFY(dialOnly.render(state, QSize(100000, 200), 1.0).isNull());
        QVERIFY(!dialOnly.render(state, QSize(100, 100), std::nan("")).isNull());
    }

    // Absurd samples and times render without a crash or a hang.
    void dashboardOfAbsurdTrackRenders()
    {
        std::vector<GPSItem> items;
        const char *texts[] = {"nan", "inf", "-1e308", "1e308", "junk", "", "91", "-181", "48.1"};
        for (const char *t : texts)
            items.emplace_back(t, t, t, t, std::nan(""), 1e308, -HUGE_VAL);
        const Track track = std::make_shared<const std::vector<GPSItem>>(std::move(items));
        const DashboardRenderer renderer(DashboardRenderer::AllWidgets);
        for (double t : {std::nan(""), -5.0, 0.0, 1.5, 4.5, 8.9, 1e300}) {
            QVERIFY(!renderer.render(dashboardStateAt(track, t, QStringLiteral("KMH")), QSize(1920, 200), 1.0).isNull());
            QVERIFY(!renderer.render(dashboardStateAt(track, t, QStringLiteral("MPH")), QSize(300, 700), 2.0).isNull());
        }
        QVERIFY(!renderer.render(dashboardStateAt(nullptr, 3.0, QStringLiteral("KMH")), QSize(800, 120), 1.0).isNull());
    }

    // Straight through a recording (the one before ended in another second), the live
    // read-outs at each second are those the state for that second computes.
    void stateForASecondIsWhatPlaybackShows()
    {
        TripStatistics live(&dashboardDistance, localized);
        live.clearGpsInfo("KMH"); // as the view's set-up does
        live.handleGpsInfoWithArray(m_drive);
        live.setCurrentPlayerTime(37.0, "KMH"); // where the previous recording ended
        live.handleGpsInfoWithArray(m_drive);
        SpeedView speed;
        speed.setGpsData(m_drive);
        for (int tick = 1; tick <= 130 * 4; ++tick) { // the first report lies inside second 0
            const double t = tick * 0.25;
            live.setCurrentPlayerTime(t, "KMH");
            speed.setCurrentPlayerTime(t);
            if (tick % 4 != 3)
                continue; // compare within the second, after its ticks
            const DashboardState s = dashboardStateAt(m_drive, t, QStringLiteral("KMH"));
            const auto &l = live.labels();
            QCOMPARE(s.readouts.speed, QString::fromStdString(l.speed));
            QCOMPARE(s.readouts.lat, QString::fromStdString(l.lat));
            QCOMPARE(s.readouts.lon, QString::fromStdString(l.lon));
            QCOMPARE(s.readouts.distance, QString::fromStdString(l.distance));
            QCOMPARE(s.readouts.topSpeed, QString::fromStdString(l.topSpeed));
            QCOMPARE(s.readouts.aveSpeed, QString::fromStdString(l.aveSpeed));
            QCOMPARE(QString::number(SpeedDialPainter::displayedSpeed(s.sample.speed, s.speedUnit)), speed.speedText());
        }
        QVERIFY(live.totalDistance() > 100);
    }
};

QTEST_MAIN(TestRender)
#include "tst_render.moc"
