#pragma once
// The instruments' pictures, rendered once per name, size and pixel ratio and kept as
// images, so that painting a dial costs one image copy and works on any thread (an
// export paints away from the GUI thread). A missing picture is a null image.
#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

namespace PictureCache {
// The picture fitted into `box` (aspect kept, centred), turned clockwise by `radians`
// about the box's centre.
void paintFitted(QPainter &p, const QString &name, const QRectF &box, double radians = 0.0);
// The rendered picture for a box of the given size at the painter's pixel ratio.
QImage fitted(const QString &name, const QSizeF &box, qreal devicePixelRatio);
} // namespace PictureCache
