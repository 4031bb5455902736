#include "instruments/compassview.h"

#include <QVariantAnimation>
#include <algorithm>
#include <cmath>

#include "track/numbertext.h"
#include "instruments/pictureview.h"

float getAngle(float lat1, float lon1, float lat2, float lon2)
{
    const float dA = lat1 - lat2;
    const float dB = lon1 - lon2;
    if (dA == 0)
        return dB > 0 ? 0.0f : -180.0f; // standing still reads as east
    const float ratio = std::fabs(dB) / std::fabs(dA);
    const double g = std::atan(double(ratio)) * 180.0 / 3.141592653589793;
    double r;
    if (dA > 0)
        r = dB < 0 ? g + 90.0 : 90.0 - g;
    else
        r = dB < 0 ? 270.0 - g : g + 270.0;
    return float(r);
}

CompassView::CompassView(QWidget *parent) : DialInstrument(parent)
{
    setupBasicUI();
}

void CompassView::setupBasicUI()
{
    m_dial = new PictureView(QStringLiteral("指南针"), this);
    // The pointer picture points west at rest; a rotation of -angle (clockwise positive
    // on screen) then points it along the direction of travel on the north-up dial.
    m_pointImgView = new PictureView(QStringLiteral("指南针指针"), this);
    m_animation = new QVariantAnimation(this);
    m_animation->setDuration(250);
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &v) { m_pointImgView->setRotation(v.value<qreal>()); });
    // Interpolation may miss the target by a rounding step; the turn ends exactly on it.
    connect(m_animation, &QVariantAnimation::finished, this,
            [this] { m_pointImgView->setRotation(m_animation->endValue().value<qreal>()); });
    layoutChildren();
}

void CompassView::layoutChildren()
{
    m_dial->setGeometry(-1, 0, width(), height());
    // The square of the view's height; in a view wider than tall it moves to the middle,
    // where the dial picture (scaled to fit, centred) has its centre.
    m_pointImgView->setGeometry(std::max(0, (width() - height()) / 2), 0, height(), height());
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
    m_animation->setStartValue(-double(m_curPosition) * M_PI / 180.0);
    m_animation->setEndValue(-double(angle) * M_PI / 180.0);
    m_animation->start();
    m_curPosition = angle;
}
