#pragma once
// A QSlider whose knob and bar are drawn from pictures by an MSliderCell; without
// pictures it looks exactly like the platform's slider. Besides the integer value of
// QSlider it offers a floating value over a range of the caller's choice (0..1 by
// default is not assumed: call setFloatRange), for sliders that show fractions.
#include <memory>

#include <QSlider>

#include "widgets/insetimage.h"
#include "widgets/mslidercell.h"

class MCustomSlider : public QSlider {
    Q_OBJECT
public:
    explicit MCustomSlider(Qt::Orientation orientation = Qt::Horizontal, QWidget *parent = nullptr);
    ~MCustomSlider() override;
    // Null when the knob picture is missing.
    static MCustomSlider *initWithKnobImage(const QImage &knob, Qt::Orientation orientation = Qt::Horizontal,
                                            QWidget *parent = nullptr);
    // Null unless all three pictures are present. Bar pictures get cap insets as by the setters.
    static MCustomSlider *initWithKnobImage(const QImage &knob, const InsetImage &minimum, const InsetImage &maximum,
                                            Qt::Orientation orientation = Qt::Horizontal, QWidget *parent = nullptr);

    MSliderCell *sliderCell() const { return m_cell.get(); }

    QImage knobImage() const { return m_cell->knobImage; }
    InsetImage minimumValueImage() const { return m_cell->minimumValueImage; }
    InsetImage maximumValueImage() const { return m_cell->maximumValueImage; }
    void setKnobImage(const QImage &image);
    // A picture without cap insets gets insets that stretch only the one-pixel strip at
    // the knob's side; vertical sliders get it turned by 90 degrees first.
    void setMinimumValueImage(const InsetImage &image);
    void setMaximumValueImage(const InsetImage &image);

    // The floating value: minimum()..maximum() mapped linearly onto floatMinimum..floatMaximum.
    void setFloatRange(double floatMinimum, double floatMaximum, int steps = 1000);
    double floatValue() const;
    void setFloatValue(double value);

    // The picture a bar side gets for the given orientation (exposed for its tests).
    static InsetImage preparedBarImage(const InsetImage &image, bool minimumSide, Qt::Orientation orientation);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    std::unique_ptr<MSliderCell> m_cell;
    bool m_hasFloatRange = false;
    double m_floatMinimum = 0.0;
    double m_floatMaximum = 1.0;
};
