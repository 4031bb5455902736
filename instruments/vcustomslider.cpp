#include "vcustomslider.h"

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
