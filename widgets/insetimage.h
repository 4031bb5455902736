#pragma once
// A picture with cap insets: the margins stay unscaled and only the middle stretches,
// so that a bar picture keeps its rounded end while it grows to any length.
#include <QImage>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>

class QPainter;

struct InsetImage {
    InsetImage() = default;
    InsetImage(QImage img, QMarginsF insets = {}) : image(std::move(img)), capInsets(insets) {}

    QImage image;
    QMarginsF capInsets; // left, top, right, bottom in device-independent pixels

    bool isNull() const { return image.isNull(); }
    bool hasCapInsets() const { return !capInsets.isNull(); }
    // Size in device-independent pixels (honours the image's device pixel ratio).
    QSizeF size() const { return image.isNull() ? QSizeF() : image.deviceIndependentSize(); }
};

// Draws the picture stretched into target; with cap insets only the middle part stretches.
void drawInsetImage(QPainter &painter, const QRectF &target, const InsetImage &picture);
