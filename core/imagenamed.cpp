#include "core/imagenamed.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace {
QString svgPath(const QString &name) { return QStringLiteral(":/images/%1.svg").arg(name); }
QString pngPath(const QString &name) { return QStringLiteral(":/images/%1.png").arg(name); }
} // namespace

bool imageExists(const QString &name)
{
    return QFile::exists(svgPath(name)) || QFile::exists(pngPath(name));
}

QSize imageNaturalSize(const QString &name)
{
    if (QFile::exists(svgPath(name))) {
        QSvgRenderer r(svgPath(name));
        return r.isValid() ? r.defaultSize() : QSize();
    }
    QImage png(pngPath(name));
    return png.isNull() ? QSize() : png.size();
}

QImage imageNamed(const QString &name, const QSize &size)
{
    if (size.isEmpty())
        return {};
    if (QFile::exists(svgPath(name))) {
        QSvgRenderer r(svgPath(name));
        if (!r.isValid())
            return {};
        QImage img(size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        r.render(&p);
        return img;
    }
    QImage png(pngPath(name));
    return png.isNull() ? QImage() : png.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QPixmap pixmapNamed(const QString &name, const QSize &size, qreal devicePixelRatio)
{
    QImage img = imageNamed(name, (QSizeF(size) * devicePixelRatio).toSize());
    if (img.isNull())
        return {};
    QPixmap pm = QPixmap::fromImage(img);
    pm.setDevicePixelRatio(devicePixelRatio);
    return pm;
}
