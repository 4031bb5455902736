#pragma once
// Draws a slider's knob and bar from pictures. The bar is two stretched pictures that
// meet under the knob's centre, so the two sides of the knob can look different.
// Without pictures the owning slider falls back to the platform's look.
#include <memory>

#include <QImage>
#include <QRectF>

#include "widgets/insetimage.h"

class QPainter;

class MSliderCell {
public:
    MSliderCell() = default;
    // Null when the knob picture is missing.
    static std::unique_ptr<MSliderCell> initWithKnobImage(const QImage &knob);
    // Null unless all three pictures are present.
    static std::unique_ptr<MSliderCell> initWithKnobImage(const QImage &knob, const InsetImage &minimum,
                                                          const InsetImage &maximum);

    QImage knobImage;
    InsetImage minimumValueImage; // the bar from its start to the knob
    InsetImage maximumValueImage; // the bar from the knob to its end
    QRectF currentKnobRect;       // where the knob picture was drawn last
    QRectF currentCellFrame;      // bar rectangle of the last bar drawing
    bool currentFlipped = false;
    Qt::Orientation orientation = Qt::Horizontal;
    // Vertical sliders keep their minimum at the bottom unless inverted (like QSlider).
    bool invertedAppearance = false;

    bool drawsKnob() const { return !knobImage.isNull(); }
    bool drawsBar() const { return drawsKnob() && !minimumValueImage.isNull() && !maximumValueImage.isNull(); }

    // Draws the knob picture centred in knobRect, redrawing the bar first so that its
    // split follows the knob. Returns false (drawing nothing) without a knob picture.
    bool drawKnob(QPainter &painter, const QRectF &knobRect);
    // Remembers the bar rectangle and draws the two pieces. Returns false (drawing
    // nothing) when a picture is missing: the caller draws the platform bar then.
    bool drawBarInside(QPainter &painter, const QRectF &bar, bool flipped);

    // The bar piece on the minimum side of the knob's centre and the one on the maximum side.
    QRectF beforeKnobRect(const QRectF &bar) const;
    QRectF afterKnobRect(const QRectF &bar) const;
};
