#include "widgets/mcustomslider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "widgets/imagerotated.h"

MCustomSlider::MCustomSlider(Qt::Orientation orientation, QWidget *parent)
    : QSlider(orientation, parent), m_cell(std::make_unique<MSliderCell>())
{
    // Pictures set right after construction arrive before the first paint; a late
    // full repaint still catches layouts that size the slider afterwards.
    QTimer::singleShot(100, this, qOverload<>(&QWidget::update));
}

MCustomSlider::~MCustomSlider() = default;

MCustomSlider *MCustomSlider::initWithKnobImage(const QImage &knob, Qt::Orientation orientation, QWidget *parent)
{
    auto cell = MSliderCell::initWithKnobImage(knob);
    if (!cell)
        return nullptr;
    auto *slider = new MCustomSlider(orientation, parent);
    slider->m_cell = std::move(cell);
    return slider;
}

MCustomSlider *MCustomSlider::initWithKnobImage(const QImage &knob, const InsetImage &minimum,
                                                const InsetImage &maximum, Qt::Orientation orientation,
                                                QWidget *parent)
{
    if (!MSliderCell::initWithKnobImage(knob, minimum, maximum))
        return nullptr;
    auto *slider = new MCustomSlider(orientation, parent);
    slider->setKnobImage(knob);
    slider->setMinimumValueImage(minimum);
    slider->setMaximumValueImage(maximum);
    return slider;
}

void MCustomSlider::setKnobImage(const QImage &image)
{
    m_cell->knobImage = image;
    update();
}

InsetImage MCustomSlider::preparedBarImage(const InsetImage &image, bool minimumSide, Qt::Orientation orientation)
{
    if (image.isNull() || image.hasCapInsets())
        return image;
    // Only the one-pixel strip next to the knob stretches; the far end keeps its shape.
    const qreal c = std::max(0.0, image.size().width() - 1);
    if (orientation == Qt::Horizontal)
        return InsetImage(image.image, minimumSide ? QMarginsF(c, 0, 0, 0) : QMarginsF(0, 0, c, 0));
    const QImage turned = imageRotated(image.image, 90);
    return InsetImage(turned, minimumSide ? QMarginsF(0, 0, 0, c) : QMarginsF(0, c, 0, 0));
}

void MCustomSlider::setMinimumValueImage(const InsetImage &image)
{
    m_cell->minimumValueImage = preparedBarImage(image, true, orientation());
    update();
}

void MCustomSlider::setMaximumValueImage(const InsetImage &image)
{
    m_cell->maximumValueImage = preparedBarImage(image, false, orientation());
    update();
}

void MCustomSlider::setFloatRange(double floatMinimum, double floatMaximum, int steps)
{
    if (!std::isfinite(floatMinimum) || !std::isfinite(floatMaximum) || steps < 1)
        return;
    m_hasFloatRange = true;
    m_floatMinimum = floatMinimum;
    m_floatMaximum = floatMaximum;
    setRange(0, steps);
}

double MCustomSlider::floatValue() const
{
    if (!m_hasFloatRange)
        return value();
    const int span = maximum() - minimum();
    if (span <= 0)
        return m_floatMinimum;
    return m_floatMinimum + (m_floatMaximum - m_floatMinimum) * double(value() - minimum()) / span;
}

void MCustomSlider::setFloatValue(double v)
{
    if (!std::isfinite(v))
        return; // a zero duration upstream must not throw the knob anywhere
    if (!m_hasFloatRange) {
        setValue(int(std::clamp(v, double(minimum()), double(maximum()))));
        return;
    }
    const double width = m_floatMaximum - m_floatMinimum;
    const double f = width == 0 ? 0.0 : std::clamp((v - m_floatMinimum) / width, 0.0, 1.0);
    setValue(minimum() + int(std::lround(f * (maximum() - minimum()))));
}

void MCustomSlider::paintEvent(QPaintEvent *event)
{
    m_cell->orientation = orientation();
    m_cell->invertedAppearance = invertedAppearance();
    if (!m_cell->drawsKnob()) {
        QSlider::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    m_cell->currentCellFrame = groove;
    m_cell->currentFlipped = false;
    if (!m_cell->drawsBar()) {
        QStyleOptionSlider bar = opt;
        bar.subControls = QStyle::SC_SliderGroove;
        if (tickPosition() != NoTicks)
            bar.subControls |= QStyle::SC_SliderTickmarks;
        bar.activeSubControls = QStyle::SC_None;
        style()->drawComplexControl(QStyle::CC_Slider, &bar, &p, this);
    }
    m_cell->drawKnob(p, handle); // draws the picture bar under the knob as well
}

void MCustomSlider::mousePressEvent(QMouseEvent *event)
{
    // A click into the bar moves the knob under the pointer and lets the drag go on
    // from there, instead of the platform's page-by-page stepping.
    if (event->button() == Qt::LeftButton && isEnabled() && maximum() > minimum()) {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
        const QPoint at = event->position().toPoint();
        if (!handle.contains(at)) {
            const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
            int pos, span;
            if (orientation() == Qt::Horizontal) {
                span = groove.width() - handle.width();
                pos = at.x() - groove.x() - handle.width() / 2;
            } else {
                span = groove.height() - handle.height();
                pos = at.y() - groove.y() - handle.height() / 2;
            }
            if (span > 0)
                setSliderPosition(QStyle::sliderValueFromPosition(minimum(), maximum(), std::clamp(pos, 0, span),
                                                                  span, opt.upsideDown));
        }
    }
    QSlider::mousePressEvent(event);
}
