#include "instruments/pictureview.h"

#include <QPainter>
#include <cmath>

#include "core/imagenamed.h"

PictureView::PictureView(const QString &imageName, QWidget *parent) : QWidget(parent), m_name(imageName)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PictureView::setImageName(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    m_cacheValid = false;
    update();
}

bool PictureView::hasPicture() const { return !m_name.isEmpty() && imageExists(m_name); }

void PictureView::setRotation(double radians)
{
    if (!std::isfinite(radians) || radians == m_rotation)
        return;
    m_rotation = radians;
    update();
}

void PictureView::resizeEvent(QResizeEvent *) { m_cacheValid = false; }

const QPixmap &PictureView::pixmap()
{
    const qreal dpr = devicePixelRatioF();
    if (m_cacheValid && m_cacheSize == size() && m_cacheDpr == dpr)
        return m_cache;
    m_cacheValid = true;
    m_cacheSize = size();
    m_cacheDpr = dpr;
    m_cache = QPixmap();
    if (m_name.isEmpty() || size().isEmpty())
        return m_cache;
    QSize natural = imageNaturalSize(m_name);
    if (!natural.isValid() || natural.isEmpty())
        return m_cache;
    natural.scale(size(), Qt::KeepAspectRatio);
    m_cache = pixmapNamed(m_name, natural, dpr);
    return m_cache;
}

void PictureView::paintEvent(QPaintEvent *)
{
    const QPixmap &pm = pixmap();
    if (pm.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    const QSizeF ps = pm.deviceIndependentSize();
    p.translate(width() / 2.0, height() / 2.0);
    if (m_rotation != 0)
        p.rotate(m_rotation * 180.0 / M_PI);
    p.drawPixmap(QPointF(-ps.width() / 2, -ps.height() / 2), pm);
}
