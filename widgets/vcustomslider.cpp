#include "widgets/vcustomslider.h"

#include <algorithm>

#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>
#include <QWheelEvent>

VCustomSlider::VCustomSlider(Qt::Orientation orientation, QWidget *parent) : MCustomSlider(orientation, parent)
{
    connect(this, &QAbstractSlider::sliderPressed, this, [this] {
        setSeeking(true);
        report();
    });
    // valueChanged (not sliderMoved) so that the delegate reading floatValue() sees the new value.
    connect(this, &QAbstractSlider::valueChanged, this, [this] {
        if (m_seeking)
            report();
    });
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
        report();
        setSeeking(false);
    });
}

void VCustomSlider::setSeeking(bool seeking)
{
    if (m_seeking == seeking)
        return;
    m_seeking = seeking;
    emit seekingChanged(seeking);
}

void VCustomSlider::report()
{
    if (m_delegate)
        m_delegate->customSliderFloatValue(this, floatValue());
}

// A key or wheel step is a short seek of its own, unless the knob is already held.
template <typename Step> void VCustomSlider::userStep(Step step)
{
    if (m_seeking) {
        step();
        return;
    }
    setSeeking(true); // the value change it causes reports through valueChanged
    step();
    setSeeking(false);
}

void VCustomSlider::keyPressEvent(QKeyEvent *event)
{
    userStep([&] { MCustomSlider::keyPressEvent(event); });
}

void VCustomSlider::wheelEvent(QWheelEvent *event)
{
    userStep([&] { MCustomSlider::wheelEvent(event); });
}

void VCustomSlider::setMarks(const TimelineMarks &marks)
{
    m_marks = marks;
    update();
}

double VCustomSlider::positionOf(double fraction) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    // The knob's centre travels from half a knob inside one end to half a knob inside the other.
    return groove.x() + handle.width() / 2.0 + std::clamp(fraction, 0.0, 1.0) * (groove.width() - handle.width());
}

void VCustomSlider::paintEvent(QPaintEvent *event)
{
    MCustomSlider::paintEvent(event);
    if (orientation() != Qt::Horizontal)
        return;
    if (!m_range.isEmpty()) {
        QPainter p(this);
        paintMarkedRange(p);
    }
    if (m_marks.isEmpty())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double h = height();
    for (const TimelineMark &mark : std::as_const(m_marks)) {
        const double x = positionOf(mark.fraction);
        p.setPen(Qt::NoPen);
        p.setBrush(mark.colour);
        // A small triangle above the bar pointing at the moment, and a thin line through it.
        QPolygonF tip;
        tip << QPointF(x - 4, 0) << QPointF(x + 4, 0) << QPointF(x, 5);
        p.drawPolygon(tip);
        p.fillRect(QRectF(x - 1, 0, 2, h), mark.colour);
    }
}

void VCustomSlider::setMarkedRange(const MarkedStretch &range)
{
    if (range == m_range)
        return;
    m_range = range;
    update();
}

void VCustomSlider::paintMarkedRange(QPainter &p)
{
    const QColor colour(255, 196, 0);
    const double h = height();
    const double left = positionOf(std::clamp(m_range.from.value_or(0.0), 0.0, 1.0));
    const double right = positionOf(std::clamp(m_range.to.value_or(1.0), 0.0, 1.0));
    // The band only where both ends are known: an In alone is a bracket, not a range.
    if (m_range.from && m_range.to && right > left)
        p.fillRect(QRectF(left, h * 0.3, right - left, h * 0.4), QColor(255, 196, 0, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    // [ at the In, ] at the Out, the height of the bar.
    if (m_range.from) {
        p.drawRect(QRectF(left - 1, 0, 2, h));
        p.drawRect(QRectF(left - 1, 0, 5, 2));
        p.drawRect(QRectF(left - 1, h - 2, 5, 2));
    }
    if (m_range.to) {
        p.drawRect(QRectF(right - 1, 0, 2, h));
        p.drawRect(QRectF(right - 4, 0, 5, 2));
        p.drawRect(QRectF(right - 4, h - 2, 5, 2));
    }
}

bool VCustomSlider::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && orientation() == Qt::Horizontal) {
        auto *help = static_cast<QHelpEvent *>(event);
        const double left = positionOf(0.0), span = positionOf(1.0) - left;
        const int i = timelineMarkAt(m_marks, help->pos().x(), left, span);
        if (i >= 0)
            QToolTip::showText(help->globalPos(), m_marks[i].toolTip, this);
        else
            QToolTip::hideText();
        return true;
    }
    return MCustomSlider::event(event);
}
