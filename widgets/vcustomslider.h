#pragma once
// The progress slider: while the user holds the knob (or clicks into the bar), it is
// `seeking` and reports every new value to its delegate, so that playback can follow
// the knob live. Arrow keys and the wheel report their step the same way.
// Programmatic setValue/setFloatValue never reports.
#include "widgets/customsliderdelegate.h"
#include "widgets/mcustomslider.h"

class VCustomSlider : public MCustomSlider {
    Q_OBJECT
public:
    explicit VCustomSlider(Qt::Orientation orientation = Qt::Horizontal, QWidget *parent = nullptr);

    // Not owned; the delegate must outlive the slider or be cleared with setDelegate(nullptr).
    void setDelegate(CustomSliderDelegate *delegate) { m_delegate = delegate; }
    CustomSliderDelegate *delegate() const { return m_delegate; }
    bool seeking() const { return m_seeking; }

signals:
    void seekingChanged(bool seeking);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    template <typename Step> void userStep(Step step);
    void setSeeking(bool seeking);
    void report();

    CustomSliderDelegate *m_delegate = nullptr;
    bool m_seeking = false;
};
