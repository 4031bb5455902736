#include "widgets/mslidercell.h"

#include <QPainter>
#include <algorithm>

std::unique_ptr<MSliderCell> MSliderCell::initWithKnobImage(const QImage &knob)
{
    if (knob.isNull())
        return nullptr;
    auto cell = std::make_unique<MSliderCell>();
    cell->knobImage = knob;
    return cell;
}

std::unique_ptr<MSliderCell> MSliderCell::initWithKnobImage(const QImage &knob, const InsetImage &minimum,
                                                           const InsetImage &maximum)
{
    if (knob.isNull() || minimum.isNull() || maximum.isNull())
        return nullptr;
    auto cell = std::make_unique<MSliderCell>();
    cell->knobImage = knob;
    cell->minimumValueImage = minimum;
    cell->maximumValueImage = maximum;
    return cell;
}

bool MSliderCell::drawKnob(QPainter &painter, const QRectF &knobRect)
{
    if (!drawsKnob())
        return false;
    const QSizeF is = knobImage.deviceIndependentSize();
    currentKnobRect = knobRect.adjusted((knobRect.width() - is.width()) / 2, (knobRect.height() - is.height()) / 2,
                                       -(knobRect.width() - is.width()) / 2, -(knobRect.height() - is.height()) / 2);
    // The bar is drawn after the knob has moved so that its split follows the knob.
    drawBarInside(painter, currentCellFrame, currentFlipped);
    painter.drawImage(currentKnobRect, knobImage);
    return true;
}

bool MSliderCell::drawBarInside(QPainter &painter, const QRectF &bar, bool flipped)
{
    currentCellFrame = bar;
    currentFlipped = flipped;
    if (!drawsBar())
        return false;
    drawInsetImage(painter, beforeKnobRect(bar), minimumValueImage);
    drawInsetImage(painter, afterKnobRect(bar), maximumValueImage);
    return true;
}

// The screen's y axis points down: on a vertical slider the minimum lies at the bottom,
// so the minimum piece runs from the knob's centre down to the bar's bottom edge.
// An inverted slider swaps the ends. Pieces never get a negative length.
QRectF MSliderCell::beforeKnobRect(const QRectF &bar) const
{
    const QPointF m = currentKnobRect.center();
    const QSizeF bs = minimumValueImage.size();
    if (orientation == Qt::Horizontal) {
        const qreal y = bar.center().y() - bs.height() / 2;
        if (invertedAppearance)
            return QRectF(m.x(), y, std::max(0.0, bar.right() - m.x()), bs.height());
        return QRectF(bar.x(), y, std::max(0.0, m.x() - bar.x()), bs.height());
    }
    const qreal x = bar.center().x() - bs.width() / 2;
    if (invertedAppearance)
        return QRectF(x, bar.y(), bs.width(), std::max(0.0, m.y() - bar.y()));
    return QRectF(x, m.y(), bs.width(), std::max(0.0, bar.bottom() - m.y()));
}

QRectF MSliderCell::afterKnobRect(const QRectF &bar) const
{
    const QPointF m = currentKnobRect.center();
    const QSizeF as = maximumValueImage.size();
    if (orientation == Qt::Horizontal) {
        const qreal y = bar.y() + (bar.height() - as.height()) / 2;
        if (invertedAppearance)
            return QRectF(bar.x(), y, std::max(0.0, m.x() - bar.x()), as.height());
        return QRectF(m.x(), y, std::max(0.0, bar.right() - m.x()), as.height());
    }
    const qreal x = bar.x() + (bar.width() - as.width()) / 2;
    if (invertedAppearance)
        return QRectF(x, m.y(), as.width(), std::max(0.0, bar.bottom() - m.y()));
    return QRectF(x, bar.y(), as.width(), std::max(0.0, m.y() - bar.y()));
}
