// The picture-drawn sliders: bar pieces, prepared bar pictures, rotation, drawing and
// the progress slider's live reports while the user drags.
#include <QPainter>
#include <QtTest>

#include "widgets/imagerotated.h"
#include "widgets/insetimage.h"
#include "widgets/mcustomslider.h"
#include "widgets/vcustomslider.h"

namespace {
QImage solid(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}
QImage grabbed(QWidget *w) { return w->grab().toImage().convertToFormat(QImage::Format_ARGB32); }

struct Recorder : CustomSliderDelegate {
    QVector<double> values;
    QVector<bool> seekingAtCall;
    void customSliderFloatValue(VCustomSlider *slider, double value) override
    {
        values.append(value);
        seekingAtCall.append(slider->seeking());
        QCOMPARE(slider->floatValue(), value); // the slider already holds what it reports
    }
};
} // namespace

class TestSliders : public QObject {
    Q_OBJECT
private slots:
    // The bar's pieces meet at the knob's centre. Vertical bars have their minimum at the
    // bottom, so the minimum's piece runs from the knob down (up, when inverted).
    void barPiecesSplitAtTheKnobCentre_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("inverted");
        QTest::addColumn<QRectF>("knob");
        QTest::addColumn<QRectF>("bar");
        QTest::addColumn<QRectF>("before");
        QTest::addColumn<QRectF>("after");
        QTest::newRow("horizontal, knob centred at x = 60")
            << false << false << QRectF(50, 0, 20, 20) << QRectF(10, 5, 200, 4) << QRectF(10, 5, 50, 4)
            << QRectF(60, 6, 150, 2);
        QTest::newRow("vertical, knob centred at y = 60")
            << true << false << QRectF(0, 50, 20, 20) << QRectF(5, 10, 4, 200) << QRectF(5, 60, 4, 150)
            << QRectF(6, 10, 2, 50);
        QTest::newRow("vertical inverted") << true << true << QRectF(0, 50, 20, 20) << QRectF(5, 10, 4, 200)
                                           << QRectF(5, 10, 4, 50) << QRectF(6, 60, 2, 150);
    }
    void barPiecesSplitAtTheKnobCentre()
    {
        QFETCH(bool, vertical);
        QFETCH(bool, inverted);
        QFETCH(QRectF, knob);
        QFETCH(QRectF, bar);
        MSliderCell cell;
        cell.knobImage = solid(20, 20, Qt::white);
        cell.minimumValueImage = vertical ? solid(4, 8, Qt::red) : solid(8, 4, Qt::red);
        cell.maximumValueImage = vertical ? solid(2, 8, Qt::blue) : solid(8, 2, Qt::blue);
        cell.orientation = vertical ? Qt::Vertical : Qt::Horizontal;
        cell.invertedAppearance = inverted;
        cell.currentKnobRect = knob;
        QTEST(cell.beforeKnobRect(bar), "before");
        QTEST(cell.afterKnobRect(bar), "after");

        // A knob beyond the bar's end never yields a piece of negative length: the piece
        // between the knob and that end is empty.
        cell.currentKnobRect = vertical ? QRectF(0, 300, 20, 20) : QRectF(300, 0, 20, 20);
        const QRectF beyond = vertical && !inverted ? cell.beforeKnobRect(bar) : cell.afterKnobRect(bar);
        QCOMPARE(vertical ? beyond.height() : beyond.width(), 0.0);
    }

    void knobDrawingCentresThePictureAndRemembersIt()
    {
        auto none = MSliderCell::initWithKnobImage(QImage());
        QVERIFY(!none);
        QVERIFY(!MSliderCell::initWithKnobImage(solid(4, 4, Qt::red), solid(4, 4, Qt::red), QImage()));
        auto cell = MSliderCell::initWithKnobImage(solid(10, 6, Qt::green));
        QVERIFY(cell);
        QImage canvas = solid(40, 40, Qt::black);
        QPainter p(&canvas);
        QVERIFY(!cell->drawBarInside(p, QRectF(0, 18, 40, 4), true)); // bar left to the platform
        QCOMPARE(cell->currentCellFrame, QRectF(0, 18, 40, 4));
        QVERIFY(cell->currentFlipped);
        QVERIFY(cell->drawKnob(p, QRectF(10, 10, 20, 20)));
        p.end();
        QCOMPARE(cell->currentKnobRect, QRectF(15, 17, 10, 6));
        QCOMPARE(canvas.pixel(20, 20), QColor(Qt::green).rgb());
        QCOMPARE(canvas.pixel(12, 20), QColor(Qt::black).rgb());
    }

    void rotatedPictureSizesAndSense()
    {
        const QImage img = solid(30, 10, Qt::red);
        QCOMPARE(imageRotated(img, 450).size(), QSize(10, 30));
        QCOMPARE(imageRotated(img, -90).size(), QSize(10, 30));
        QCOMPARE(imageRotated(img, -180).size(), QSize(30, 10));
        QCOMPARE(imageRotated(img, 45).size(), QSize(50, 50));
        QCOMPARE(imageRotated(img, 720).cacheKey(), img.cacheKey()); // the picture itself
        QVERIFY(imageRotated(QImage(), 90).isNull());

        // A quarter turn is counter-clockwise on screen: the left end goes to the bottom.
        QImage halves(20, 10, QImage::Format_ARGB32);
        QPainter p(&halves);
        p.fillRect(0, 0, 10, 10, Qt::red);
        p.fillRect(10, 0, 10, 10, Qt::blue);
        p.end();
        const QImage turned = imageRotated(halves, 90).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(turned.size(), QSize(10, 20));
        QCOMPARE(turned.pixel(5, 17), QColor(Qt::red).rgb());
        QCOMPARE(turned.pixel(5, 2), QColor(Qt::blue).rgb());
    }

    void barPicturesGetInsetsAtTheFarEnd()
    {
        const QImage bar = solid(12, 4, Qt::red);
        InsetImage h = MCustomSlider::preparedBarImage(bar, true, Qt::Horizontal);
        QCOMPARE(h.capInsets, QMarginsF(11, 0, 0, 0));
        QCOMPARE(h.size(), QSizeF(12, 4));
        QCOMPARE(MCustomSlider::preparedBarImage(bar, false, Qt::Horizontal).capInsets, QMarginsF(0, 0, 11, 0));
        InsetImage v = MCustomSlider::preparedBarImage(bar, true, Qt::Vertical);
        QCOMPARE(v.size(), QSizeF(4, 12));
        QCOMPARE(v.capInsets, QMarginsF(0, 0, 0, 11));
        QCOMPARE(MCustomSlider::preparedBarImage(bar, false, Qt::Vertical).capInsets, QMarginsF(0, 11, 0, 0));
        // A picture that brings its own insets is taken as it is, even for a vertical slider.
        InsetImage own(bar, QMarginsF(2, 0, 2, 0));
        InsetImage kept = MCustomSlider::preparedBarImage(own, true, Qt::Vertical);
        QCOMPARE(kept.size(), QSizeF(12, 4));
        QCOMPARE(kept.capInsets, QMarginsF(2, 0, 2, 0));

        // Drawing stretches only the middle: the capped end keeps its pixels.
        QImage striped(10, 4, QImage::Format_ARGB32);
        striped.fill(Qt::red);
        for (int y = 0; y < 4; ++y)
            striped.setPixel(9, y, QColor(Qt::blue).rgb());
        QImage canvas = solid(100, 4, Qt::black);
        QPainter p(&canvas);
        drawInsetImage(p, QRectF(0, 0, 100, 4), InsetImage(striped, QMarginsF(9, 0, 0, 0)));
        p.end();
        QCOMPARE(canvas.pixel(8, 2), QColor(Qt::red).rgb());
        QCOMPARE(canvas.pixel(10, 2), QColor(Qt::blue).rgb());
        QCOMPARE(canvas.pixel(99, 2), QColor(Qt::blue).rgb());
    }

    void withoutPicturesItLooksLikeThePlatformSlider()
    {
        MCustomSlider custom;
        QSlider plain(Qt::Horizontal);
        for (QSlider *s : {static_cast<QSlider *>(&custom), &plain}) {
            s->resize(160, 24);
            s->setRange(0, 100);
            s->setValue(30);
        }
        QCOMPARE(grabbed(&custom), grabbed(&plain));
        QVERIFY(!MCustomSlider::initWithKnobImage(QImage()));
        QVERIFY(!MCustomSlider::initWithKnobImage(solid(8, 8, Qt::red), solid(8, 4, Qt::red), QImage()));
    }

    void picturesSplitTheBarUnderTheKnob()
    {
        std::unique_ptr<MCustomSlider> s(MCustomSlider::initWithKnobImage(
            solid(12, 12, Qt::green), solid(8, 4, Qt::red), solid(8, 4, Qt::blue)));
        QVERIFY(s);
        s->resize(200, 24);
        s->setRange(0, 100);
        s->setValue(50);
        const QImage img = grabbed(s.get());
        const QPointF knob = s->sliderCell()->currentKnobRect.center();
        QVERIFY(std::abs(knob.x() - 100) < 12);
        QCOMPARE(img.pixel(int(knob.x()), int(knob.y())), QColor(Qt::green).rgb());
        QCOMPARE(img.pixel(int(knob.x()) - 30, int(knob.y())), QColor(Qt::red).rgb());
        QCOMPARE(img.pixel(int(knob.x()) + 30, int(knob.y())), QColor(Qt::blue).rgb());

        s->setValue(90);
        const QImage later = grabbed(s.get());
        const QPointF moved = s->sliderCell()->currentKnobRect.center();
        QVERIFY(moved.x() > knob.x() + 50);
        QCOMPARE(later.pixel(int(moved.x()) - 20, int(moved.y())), QColor(Qt::red).rgb());
    }

    void floatValueMapsTheIntegerRange()
    {
        MCustomSlider s;
        s.setRange(0, 16);
        s.setValue(7);
        QCOMPARE(s.floatValue(), 7.0);
        s.setFloatRange(0.0, 1.0);
        s.setFloatValue(0.25);
        QCOMPARE(s.value(), 250);
        QCOMPARE(s.floatValue(), 0.25);
        s.setFloatValue(7.5);
        QCOMPARE(s.floatValue(), 1.0);
        s.setFloatValue(std::nan("")); // a zero duration upstream leaves the knob alone
        QCOMPARE(s.floatValue(), 1.0);
    }

    void progressSliderReportsOnlyWhileTheUserDrags()
    {
        VCustomSlider s;
        s.setFloatRange(0.0, 1.0);
        s.resize(300, 24);
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        Recorder rec;
        s.setDelegate(&rec);
        QSignalSpy seekingSpy(&s, &VCustomSlider::seekingChanged);
        s.setFloatValue(0.5);
        QVERIFY(rec.values.isEmpty());
        QVERIFY(!s.seeking());

        // Press into the bar near the right end: the knob jumps there and the drag begins.
        const int y = s.height() / 2;
        QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(270, y));
        QVERIFY(s.seeking());
        QVERIFY(!rec.values.isEmpty());
        QVERIFY(rec.values.last() > 0.8);
        QTest::mouseMove(&s, QPoint(150, y));
        QTest::mouseMove(&s, QPoint(60, y));
        QVERIFY(rec.values.last() < 0.25);
        QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(60, y));
        QVERIFY(!s.seeking());
        QCOMPARE(seekingSpy.count(), 2);
        QVERIFY(rec.seekingAtCall.size() >= 3);
        for (bool b : rec.seekingAtCall)
            QVERIFY(b);
        const auto reported = rec.values.size();
        s.setFloatValue(0.9);
        QCOMPARE(rec.values.size(), reported);
        // An arrow key is a one-step seek of its own.
        s.setFocus();
        QTest::keyClick(&s, Qt::Key_Left);
        QCOMPARE(rec.values.size(), reported + 1);
        QCOMPARE(rec.values.last(), s.floatValue());
        QVERIFY(rec.seekingAtCall.last());
        QVERIFY(!s.seeking());
        s.setDelegate(nullptr);
        QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(20, y)); // no delegate: no crash
        QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(20, y));
    }

    // Ticks over the progress bar at events; the one under the pointer names itself.
    void progressSliderShowsMarks()
    {
        VCustomSlider slider;
        slider.setFloatRange(0.0, 1.0);
        slider.resize(300, 24);
        slider.setMarks({TimelineMark{0.25, QColor(255, 0, 255), QStringLiteral("Impact")},
                         TimelineMark{1.0, QColor(255, 0, 255), QStringLiteral("End")}});
        QCOMPARE(slider.marks().size(), 2);
        const double x = slider.positionOf(0.25);
        QVERIFY(x > 50 && x < 100);
        QVERIFY(slider.positionOf(0.0) < x && slider.positionOf(1.0) <= 300);
        const QImage img = slider.grab().toImage();
        QCOMPARE(img.pixelColor(int(x), 1), QColor(255, 0, 255));
        const double left = slider.positionOf(0.0), span = slider.positionOf(1.0) - left;
        QCOMPARE(timelineMarkAt(slider.marks(), x + 2, left, span), 0);
        QCOMPARE(timelineMarkAt(slider.marks(), x + 30, left, span), -1);
        slider.setMarks({});
        QVERIFY(slider.grab().toImage().pixelColor(int(x), 1) != QColor(255, 0, 255));
    }

    // The clip's In and Out: a bracket at each side that is set, a band between them.
    void progressSliderShowsTheMarkedRange()
    {
        VCustomSlider slider;
        slider.setFloatRange(0.0, 1.0);
        slider.resize(300, 24);
        const QColor bracket(255, 196, 0);
        const int in = int(slider.positionOf(0.2)), out = int(slider.positionOf(0.7));
        const int middle = (in + out) / 2;
        const QImage before = slider.grab().toImage();
        QVERIFY(before.pixelColor(in, 0) != bracket);

        slider.setMarkedRange({0.2, std::nullopt}); // In alone: its bracket, no band
        QImage img = slider.grab().toImage();
        QCOMPARE(img.pixelColor(in, 0), bracket);
        QCOMPARE(img.pixelColor(middle, 12), before.pixelColor(middle, 12));

        slider.setMarkedRange({0.2, 0.7});
        QCOMPARE(slider.markedRange(), (MarkedStretch{0.2, 0.7}));
        img = slider.grab().toImage();
        QCOMPARE(img.pixelColor(in, 0), bracket);
        QCOMPARE(img.pixelColor(out, 0), bracket);
        QVERIFY(img.pixelColor(middle, 12) != before.pixelColor(middle, 12));
        QCOMPARE(img.pixelColor(int(slider.positionOf(0.9)), 12), before.pixelColor(int(slider.positionOf(0.9)), 12));

        slider.setMarkedRange({});
        QCOMPARE(slider.grab().toImage(), before);
    }
};

QTEST_MAIN(TestSliders)
#include "tst_sliders.moc"
