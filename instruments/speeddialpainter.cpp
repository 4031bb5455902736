#include "instruments/speeddialpainter.h"

#include <QPainter>
#include <cmath>
#include <limits>

#include "core/appfonts.h"
#include "instruments/dashboardstate.h"
#include "instruments/picturecache.h"
#include "track/numbertext.h"

QRectF SpeedDialPainter::unitTextFrame(const QSizeF &size)
{
    // 22.5 high, its bottom edge 26.25 below the vertical centre.
    return QRectF(0, size.height() * 0.5 + 3.75, size.width(), 22.5);
}

QRectF SpeedDialPainter::numberTextFrame(const QSizeF &size)
{
    // 30 high, from 26.25 above the vertical centre down to the unit text's top edge.
    return QRectF(0, size.height() * 0.5 - 26.25, size.width(), 30);
}

// Sizes are in pixels: the text bands (22.5 and 30 high) are laid out for them.
QFont SpeedDialPainter::numberFont()
{
    QFont f;
    f.setPixelSize(26);
    return f;
}

QFont SpeedDialPainter::unitFont()
{
    QFont f = fontNamed(QStringLiteral("MSYH"), 0);
    f.setPixelSize(16);
    return f;
}

int SpeedDialPainter::displayedSpeed(const std::string &speedText, const QString &unit)
{
    float v = leadingFloat(speedText);
    if (unit == QLatin1String("MPH"))
        v = float(double(v) * 0.6214);
    if (!std::isfinite(v))
        return 0;
    constexpr float lo = float(std::numeric_limits<int>::min());
    constexpr float hi = 2147483520.0f; // the largest float below 2^31
    return v <= lo ? std::numeric_limits<int>::min() : v >= hi ? int(hi) : int(v);
}

void SpeedDialPainter::paint(QPainter &p, const QRectF &box, const QString &number, const QString &unit)
{
    PictureCache::paintFitted(p, kDialPicture, box);
    p.save();
    p.setPen(Qt::white);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Whole pixels, as the labels these bands once were.
    const QPointF at = box.topLeft();
    p.setFont(unitFont());
    p.drawText(unitTextFrame(box.size()).translated(at).toRect(), Qt::AlignCenter, unit);
    p.setFont(numberFont());
    p.drawText(numberTextFrame(box.size()).translated(at).toRect(), Qt::AlignCenter, number);
    p.restore();
}

void SpeedDialPainter::paint(QPainter &p, const QRectF &box, const DashboardState &state)
{
    const int speed = state.hasSample() ? displayedSpeed(state.sample.speed, state.speedUnit) : 0;
    // The text bands are laid out in pixels for a dial 200 high; any other dial is that
    // one scaled, so that its read-out keeps its proportions.
    const double k = box.height() / 200.0;
    if (!(k > 0) || !std::isfinite(k) || k == 1.0) {
        paint(p, box, QString::number(speed), state.speedUnit);
        return;
    }
    p.save();
    p.translate(box.topLeft());
    p.scale(k, k);
    paint(p, QRectF(0, 0, box.width() / k, 200), QString::number(speed), state.speedUnit);
    p.restore();
}
