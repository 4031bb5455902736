#include "widgets/insetimage.h"

#include <QPainter>
#include <algorithm>

void drawInsetImage(QPainter &painter, const QRectF &target, const InsetImage &picture)
{
    if (picture.isNull() || !(target.width() > 0) || !(target.height() > 0))
        return;
    const QImage &img = picture.image;
    if (!picture.hasCapInsets()) {
        painter.drawImage(target, img);
        return;
    }
    const QSizeF s = picture.size();
    const qreal dpr = img.devicePixelRatio();
    // Insets larger than the picture would address pixels that do not exist.
    const qreal l = std::clamp(picture.capInsets.left(), 0.0, s.width());
    const qreal r = std::clamp(picture.capInsets.right(), 0.0, s.width() - l);
    const qreal t = std::clamp(picture.capInsets.top(), 0.0, s.height());
    const qreal b = std::clamp(picture.capInsets.bottom(), 0.0, s.height() - t);
    // A target shorter than both caps shrinks the caps rather than overlapping them.
    const qreal kx = (l + r > target.width()) ? target.width() / (l + r) : 1.0;
    const qreal ky = (t + b > target.height()) ? target.height() / (t + b) : 1.0;

    const qreal xs[4] = {0, l, s.width() - r, s.width()};
    const qreal ys[4] = {0, t, s.height() - b, s.height()};
    const qreal xt[4] = {target.left(), target.left() + l * kx, target.right() - r * kx, target.right()};
    const qreal yt[4] = {target.top(), target.top() + t * ky, target.bottom() - b * ky, target.bottom()};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const QRectF src(xs[i] * dpr, ys[j] * dpr, (xs[i + 1] - xs[i]) * dpr, (ys[j + 1] - ys[j]) * dpr);
            const QRectF dst(xt[i], yt[j], xt[i + 1] - xt[i], yt[j + 1] - yt[j]);
            if (src.width() > 0 && src.height() > 0 && dst.width() > 0 && dst.height() > 0)
                painter.drawImage(dst, img, src);
        }
    }
}
