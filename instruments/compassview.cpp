#include "instruments/compassview.h"

#include <QPainter>
#include <QVariantAnimation>
#include <cmath>

#include "track/numbertext.h"

CompassView::CompassView(QWidget *parent) : DialInstrument(parent)
{
    setupBasicUI();
}

void CompassView::setupBasicUI()
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_animation = new QVariantAnimation(this);
    m_animation->setDuration(250);
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &v) { setRotation(v.value<qreal>()); });
    // Interpolation may miss the target by a rounding step; the turn ends exactly on it.
    connect(m_animation, &QVariantAnimation::finished, this,
            [this] { setRotation(m_animation->endValue().value<qreal>()); });
}

void CompassView::setRotation(double radians)
{
    if (!std::isfinite(radians) || radians == m_rotation)
        return;
    m_rotation = radians;
    update();
}

void CompassView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    CompassPainter::paint(p, QRectF(rect()), m_rotation);
}

void CompassView::setGpsData(const Track &track)
{
    m_angles.clear();
    m_curTime = -1;
    const std::size_t n = trackSize(track);
    if (n < 2)
        return;
    m_angles.reserve(qsizetype(n));
    const auto &items = *track;
    for (std::size_t k = 1; k < n; ++k) {
        const float a = getAngle(leadingFloat(items[k - 1].latitude), leadingFloat(items[k - 1].longitude),
                                 leadingFloat(items[k].latitude), leadingFloat(items[k].longitude));
        if (k == 1)
            m_angles.append(a); // the first second has no earlier sample: it shares the first step's heading
        m_angles.append(a);
    }
}

void CompassView::setCurrentPlayerTime(double seconds)
{
    if (m_angles.isEmpty() || !std::isfinite(seconds))
        return;
    // Times beyond any track are clamped before the conversion so it stays defined.
    const double t = std::fmax(std::fmin(seconds, 2147483647.0), -2147483648.0);
    const qint64 s = qint32(t);
    if (s == m_curTime)
        return;
    m_curTime = s;
    const qint64 i = qint64(t);
    if (i < 0 || i >= m_angles.size())
        return;
    setPointRotate(m_angles[i]);
}

void CompassView::resetCompass()
{
    m_angles.clear();
    m_curTime = -1;
    setPointRotate(0);
}

void CompassView::setPointRotate(float angle)
{
    // A new turn starts from the previous target, not from where a running turn stands;
    // it sweeps numerically (from 315 to -180 it goes through 495 degrees).
    m_animation->stop();
    m_animation->setStartValue(CompassPainter::rotationFor(m_curPosition));
    m_animation->setEndValue(CompassPainter::rotationFor(angle));
    m_animation->start();
    m_curPosition = angle;
}
