#include "instruments/picturecache.h"

#include <QHash>
#include <QMutex>
#include <QPainter>
#include <cmath>

#include "core/imagenamed.h"

namespace {
struct Key {
    QString name;
    int w, h;
    int dprMilli;
    bool operator==(const Key &o) const { return name == o.name && w == o.w && h == o.h && dprMilli == o.dprMilli; }
};
size_t qHash(const Key &k, size_t seed = 0) { return qHashMulti(seed, k.name, k.w, k.h, k.dprMilli); }

QMutex g_mutex;
QHash<Key, QImage> g_images;
constexpr int kMaxImages = 64; // a few sizes of a few pictures; a resize storm starts over
} // namespace

QImage PictureCache::fitted(const QString &name, const QSizeF &box, qreal dpr)
{
    if (name.isEmpty() || !(box.width() >= 1 && box.height() >= 1) || !(dpr > 0) || !std::isfinite(dpr))
        return QImage();
    const QSize boxPx = box.toSize();
    const Key key{name, boxPx.width(), boxPx.height(), int(std::lround(dpr * 1000))};
    QMutexLocker lock(&g_mutex);
    if (const auto it = g_images.constFind(key); it != g_images.constEnd())
        return *it;
    QImage img;
    QSize natural = imageNaturalSize(name);
    if (natural.isValid() && !natural.isEmpty() && boxPx.width() <= 16384 && boxPx.height() <= 16384) {
        natural.scale(boxPx, Qt::KeepAspectRatio);
        img = imageNamed(name, natural * dpr);
        img.setDevicePixelRatio(dpr);
    }
    if (g_images.size() >= kMaxImages)
        g_images.clear();
    g_images.insert(key, img);
    return img;
}

void PictureCache::paintFitted(QPainter &p, const QString &name, const QRectF &box, double radians)
{
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const QImage img = fitted(name, box.size(), dpr);
    if (img.isNull())
        return;
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    const QSizeF ps = img.deviceIndependentSize();
    p.translate(box.center());
    if (radians != 0 && std::isfinite(radians))
        p.rotate(radians * 180.0 / M_PI);
    p.drawImage(QPointF(-ps.width() / 2, -ps.height() / 2), img);
    p.restore();
}
