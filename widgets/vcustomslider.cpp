#include "widgets/vcustomslider.h"

#include <QKeyEvent>
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
