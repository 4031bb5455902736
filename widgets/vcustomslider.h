#pragma once
// The progress slider: while the user holds the knob (or clicks into the bar), it is
// `seeking` and reports every new value to its delegate, so that playback can follow
// the knob live. Arrow keys and the wheel report their step the same way.
// Programmatic setValue/setFloatValue never reports.
#include "widgets/customsliderdelegate.h"
#include "widgets/mcustomslider.h"
#include "widgets/timelinemark.h"

class QPainter;

class VCustomSlider : public MCustomSlider {
    Q_OBJECT
public:
    explicit VCustomSlider(Qt::Orientation orientation = Qt::Horizontal, QWidget *parent = nullptr);

    // Not owned; the delegate must outlive the slider or be cleared with setDelegate(nullptr).
    void setDelegate(CustomSliderDelegate *delegate) { m_delegate = delegate; }
    CustomSliderDelegate *delegate() const { return m_delegate; }
    bool seeking() const { return m_seeking; }

    // Ticks over the bar (harsh events), each with its tooltip; an empty list removes them.
    void setMarks(const TimelineMarks &marks);
    const TimelineMarks &marks() const { return m_marks; }
    // The clip's In and Out: brackets at each side that is set, and a band between them.
    void setMarkedRange(const MarkedStretch &range);
    const MarkedStretch &markedRange() const { return m_range; }
    // Where a fraction of the range lies along the bar, in widget x.
    double positionOf(double fraction) const;

signals:
    void seekingChanged(bool seeking);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    template <typename Step> void userStep(Step step);
    void setSeeking(bool seeking);
    void report();

    CustomSliderDelegate *m_delegate = nullptr;
    bool m_seeking = false;
    void paintMarkedRange(QPainter &p);

    TimelineMarks m_marks;
    MarkedStretch m_range;
};
