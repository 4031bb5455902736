#include "widgets/imagerotated.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

QImage imageRotated(const QImage &image, double degrees)
{
    if (image.isNull() || !std::isfinite(degrees))
        return image;
    const double a = std::fmod(degrees, 360.0); // keeps the sign of degrees
    if (a == 0)
        return image;
    const QSizeF s = image.deviceIndependentSize();
    QSizeF n;
    if (a == 90 || a == -90 || a == 270 || a == -270) {
        n = s.transposed();
    } else if (a == 180 || a == -180) {
        n = s;
    } else {
        const qreal side = std::max(s.width(), s.height()) + 20;
        n = QSizeF(side, side);
    }
    const qreal dpr = image.devicePixelRatio();
    QImage out(QSize(int(std::ceil(n.width() * dpr)), int(std::ceil(n.height() * dpr))),
               QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.translate(n.width() / 2, n.height() / 2);
    // The screen's y axis points down, so a positive angle turns the other way here.
    p.rotate(-a);
    p.drawImage(QPointF(-s.width() / 2, -s.height() / 2), image);
    return out;
}
