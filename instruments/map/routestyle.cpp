#include "instruments/map/routestyle.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

constexpr double kKmhPerMph = 1.609344;
const QColor kColours[] = {QColor(40, 110, 255), QColor(0, 220, 0), QColor(0, 220, 0),
                           QColor(255, 215, 0), QColor(255, 120, 0), QColor(215, 0, 40)};
constexpr int kStopCount = 6;
const double kKmhStops[kStopCount] = {0, 30, 50, 80, 110, 140};
const double kMphStops[kStopCount] = {0, 20, 30, 50, 70, 90};

QColor mix(const QColor &a, const QColor &b, double f)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * f), float(a.greenF() + (b.greenF() - a.greenF()) * f),
                            float(a.blueF() + (b.blueF() - a.blueF()) * f));
}

QColor faded(const QColor &c)
{
    return mix(c, QColor(255, 255, 255), 0.55);
}

// The round badge under the start and end symbols: white-rimmed, left ready to draw the
// symbol in white.
void paintBadge(QPainter &p, const QPointF &at, const QColor &fill)
{
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(fill);
    p.drawEllipse(at, 6.0, 6.0);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
}

// A stroke as the raster sees it: its ends to a quarter pixel (the clipped ends lie within
// the view's margin, so they fit an int) and the speed that colours it.
struct StrokeKey {
    int ax, ay, bx, by;
    double speed;
    static StrokeKey of(const QPointF &a, const QPointF &b, double speed)
    {
        auto q = [](double v) { return int(std::lround(v * 4)); };
        return {q(a.x()), q(a.y()), q(b.x()), q(b.y()), std::isnan(speed) ? -1.0 : speed};
    }
    bool operator==(const StrokeKey &) const = default;
};

struct StrokeKeyHash {
    std::size_t operator()(const StrokeKey &k) const
    {
        std::size_t h = std::hash<int>()(k.ax);
        for (const std::size_t v : {std::size_t(unsigned(k.ay)), std::size_t(unsigned(k.bx)),
                                    std::size_t(unsigned(k.by)), std::hash<double>()(k.speed)})
            h = h * 1000003u ^ v;
        return h;
    }
};

} // namespace

namespace RouteStyle {

std::vector<double> stops(bool mph)
{
    const double *s = mph ? kMphStops : kKmhStops;
    return std::vector<double>(s, s + kStopCount);
}

QColor speedColour(double kmh, bool mph)
{
    if (!std::isfinite(kmh) || kmh < 0)
        kmh = 0;
    const double v = mph ? kmh / kKmhPerMph : kmh;
    const double *s = mph ? kMphStops : kKmhStops;
    if (v >= s[kStopCount - 1])
        return kColours[kStopCount - 1];
    for (int i = 1; i < kStopCount; ++i) {
        if (v < s[i])
            return mix(kColours[i - 1], kColours[i], (v - s[i - 1]) / (s[i] - s[i - 1]));
    }
    return kColours[kStopCount - 1];
}

// Liang-Barsky.
bool clipSegment(QPointF &a, QPointF &b, const QRectF &r)
{
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF from = a;
    a = from + QPointF(dx, dy) * t0;
    b = from + QPointF(dx, dy) * t1;
    return true;
}

void paintSpeedRoute(QPainter &p, const std::vector<QPointF> &points, const std::vector<double> &speedsKmh,
                     const QRectF &visible, double width, bool fade, bool mph)
{
    auto speedAt = [&](std::size_t i) { return i < speedsKmh.size() ? speedsKmh[i] : 0.0; };
    // Beyond the caps' reach, so that a cut end never shows.
    const double margin = 2 * width + 2;
    const QRectF area = visible.adjusted(-margin, -margin, margin, margin);
    p.setBrush(Qt::NoBrush);
    if (points.size() == 1) {
        const QColor c = speedColour(speedAt(0), mph);
        p.setPen(Qt::NoPen);
        p.setBrush(fade ? faded(c) : c);
        p.drawEllipse(points.front(), width / 2, width / 2);
        return;
    }
    // A car parked all day, or a loop driven again and again, lays the same stretches over
    // each other hundreds of times: each is stroked once (to a quarter pixel, in its colour).
    std::unordered_set<StrokeKey, StrokeKeyHash> stroked;
    stroked.reserve(std::min<std::size_t>(points.size(), 4096));
    for (std::size_t i = 1; i < points.size(); ++i) {
        QPointF a = points[i - 1], b = points[i];
        if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y()))
            continue;
        // Both ends beyond one side: out of view without the cutting.
        if ((a.x() < area.left() && b.x() < area.left()) || (a.x() > area.right() && b.x() > area.right()) ||
            (a.y() < area.top() && b.y() < area.top()) || (a.y() > area.bottom() && b.y() > area.bottom()))
            continue;
        if (!clipSegment(a, b, area))
            continue;
        const double speed = (speedAt(i - 1) + speedAt(i)) / 2;
        if (!stroked.insert(StrokeKey::of(a, b, speed)).second)
            continue;
        const QColor c = speedColour(speed, mph);
        p.setPen(QPen(fade ? faded(c) : c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(a, b);
    }
}

void paintStartMarker(QPainter &p, const QPointF &at)
{
    paintBadge(p, at, QColor(0, 150, 60));
    QPolygonF play;
    play << at + QPointF(-2, -3.5) << at + QPointF(3.5, 0) << at + QPointF(-2, 3.5);
    p.drawPolygon(play);
}

void paintEndMarker(QPainter &p, const QPointF &at)
{
    paintBadge(p, at, QColor(30, 30, 30));
    p.drawRect(QRectF(at.x() - 3, at.y() - 3, 3, 3));
    p.drawRect(QRectF(at.x(), at.y(), 3, 3));
}

void paintLegend(QPainter &p, const QRectF &area, bool mph, const QString &unitText)
{
    const std::vector<double> s = stops(mph);
    const QFontMetrics fm(p.font());
    const double barWidth = 96, barHeight = 6;
    const double unitWidth = fm.horizontalAdvance(unitText) + 6;
    const QRectF box(area.left() + 6, area.bottom() - fm.height() - barHeight - 15, barWidth + 16 + unitWidth,
                     fm.height() + barHeight + 9);
    p.setPen(QPen(QColor(0, 0, 0, 40), 1));
    p.setBrush(QColor(255, 255, 255, 215));
    p.drawRoundedRect(box, 4, 4);
    const QRectF bar(box.left() + 6, box.top() + 5, barWidth, barHeight);
    QLinearGradient g(bar.topLeft(), bar.topRight());
    const double top = s.back();
    for (std::size_t i = 0; i < s.size(); ++i)
        g.setColorAt(s[i] / top, speedColour(mph ? s[i] * kKmhPerMph : s[i], mph));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(bar);
    p.setPen(QColor(60, 60, 60));
    const double textTop = bar.bottom() + 1;
    auto label = [&](double value, int align, const QString &suffix = QString()) {
        const double x = bar.left() + bar.width() * value / top;
        const QString text = QString::number(int(value)) + suffix;
        const double w = fm.horizontalAdvance(text) + 2;
        const double left = align < 0 ? x : align > 0 ? x - w : x - w / 2;
        p.drawText(QRectF(left, textTop, w, fm.height()), Qt::AlignCenter, text);
    };
    label(s.front(), -1);
    label(s[2], 0);
    label(s[3], 0);
    label(top, 1, QStringLiteral("+"));
    p.drawText(QRectF(bar.right() + 6, box.top(), unitWidth, box.height()), Qt::AlignLeft | Qt::AlignVCenter, unitText);
}

} // namespace RouteStyle
