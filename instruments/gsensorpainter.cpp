#include "instruments/gsensorpainter.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "instruments/dashboardstate.h"
#include "instruments/harsheventmarks.h"

QRectF GsensorPainter::waveformFrame(const QSizeF &panel)
{
    return QRectF(30, 22, std::max(0.0, panel.width() - 30), std::max(0.0, panel.height() - 44));
}

QRectF GsensorPainter::labelFrame(const QSizeF &panel, int axis)
{
    const int left = 30;
    const int w = std::max(0, (int(panel.width()) - left) / 3);
    return QRectF(left + axis * w, 3, w, 18);
}

QFont GsensorPainter::labelFont()
{
    QFont f;
    f.setPixelSize(11);
    return f;
}

QString GsensorPainter::labelText(char axis, double reading)
{
    return QChar::fromLatin1(axis) + QStringLiteral(":") + QString::number(reading, 'f', 4);
}

float GsensorPainter::heightOf(double reading, double waveHeight)
{
    return float(waveHeight * 0.25 * (reading + 2.0));
}

void GsensorPainter::paintFrame(QPainter &p, const QRectF &panel)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor::fromRgbF(0.7f, 0.7f, 0.7f, 0.5f), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(panel.adjusted(0.25, 0.25, -0.25, -0.25));
    p.restore();
}

void GsensorPainter::paintLabels(QPainter &p, const QRectF &panel, double x, double y, double z)
{
    p.save();
    p.setFont(labelFont());
    const struct {
        char axis;
        double value;
        QColor colour;
    } labels[] = {{'X', x, colorX()}, {'Y', y, colorY()}, {'Z', z, colorZ()}};
    for (int i = 0; i < 3; ++i) {
        p.setPen(labels[i].colour);
        p.drawText(labelFrame(panel.size(), i).translated(panel.topLeft()), Qt::AlignLeft | Qt::AlignVCenter,
                   labelText(labels[i].axis, labels[i].value));
    }
    p.restore();
}

void GsensorPainter::paintCurves(QPainter &p, const QRectF &wave, const QVector<float> &x, const QVector<float> &y,
                                 const QVector<float> &z, double marginX)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double h = wave.height();
    // Far outside the view a point only sets its stretch's slope; an absurd reading must
    // not hand the rasterizer astronomic coordinates, and a NaN one breaks the line.
    const auto place = [&](qsizetype i, float height) {
        const double yy = std::clamp(h - double(height), -4 * h - 8, 5 * h + 8);
        return QPointF(wave.left() + double(i) * marginX, wave.top() + yy);
    };
    const struct {
        const QVector<float> *points;
        QColor color;
    } axes[] = {{&x, colorX()}, {&y, colorY()}, {&z, colorZ()}};
    for (const auto &axis : axes) { // Z last, so it lies on top
        const QVector<float> &pts = *axis.points;
        p.setPen(QPen(axis.color, 1.0));
        if (pts.size() == 1) {
            // A lone reading still shows: a short stroke from the left edge, beside the cursor.
            if (std::isfinite(pts[0]))
                p.drawLine(place(0, pts[0]), place(0, pts[0]) + QPointF(6, 0));
            continue;
        }
        QPolygonF line;
        line.reserve(pts.size());
        for (qsizetype i = 0; i < pts.size(); ++i) {
            if (!std::isfinite(pts[i])) {
                p.drawPolyline(line);
                line.clear();
                continue;
            }
            line.append(place(i, pts[i]));
        }
        p.drawPolyline(line);
    }
    p.restore();
}

void GsensorPainter::paintMarks(QPainter &p, const QRectF &wave, const TimelineMarks &marks)
{
    // Event ticks: a bar at the top edge and a faint line down through the curves.
    for (const TimelineMark &mark : marks) {
        const double x = wave.left() + std::clamp(mark.fraction, 0.0, 1.0) * (wave.width() - 1);
        QColor faint = mark.colour;
        faint.setAlpha(110);
        p.fillRect(QRectF(x - 0.5, wave.top(), 1.5, wave.height()), faint);
        p.fillRect(QRectF(x - 2, wave.top(), 5, 6), mark.colour);
    }
}

void GsensorPainter::paintCursor(QPainter &p, const QRectF &wave, double x)
{
    const double at = std::isfinite(x) ? std::clamp(x, 0.0, std::max(0.0, wave.width() - 1)) : 0.0;
    p.fillRect(QRectF(wave.left() + std::round(at), wave.top(), 1, wave.height()), Qt::white);
}

void GsensorPainter::paint(QPainter &p, const QRectF &panel, const DashboardState &state)
{
    paintFrame(p, panel);
    const GPSItem &s = state.sample;
    if (state.hasSample())
        paintLabels(p, panel, s.gsensorX, s.gsensorY, s.gsensorZ);
    else
        paintLabels(p, panel, 0.0, 0.0, 0.0);
    const std::size_t n = trackSize(state.track);
    if (n == 0)
        return;
    const QRectF wave = waveformFrame(panel.size()).translated(panel.topLeft());
    QVector<float> xs, ys, zs;
    xs.reserve(qsizetype(n));
    ys.reserve(qsizetype(n));
    zs.reserve(qsizetype(n));
    for (const GPSItem &item : *state.track) {
        xs.append(heightOf(item.gsensorX, wave.height()));
        ys.append(heightOf(item.gsensorY, wave.height()));
        zs.append(heightOf(item.gsensorZ, wave.height()));
    }
    const double marginX = n > 1 ? wave.width() / double(n - 1) : 0.0;
    paintCurves(p, wave, xs, ys, zs, marginX);
    paintMarks(p, wave, HarshEventMarks::marks(state.events, double(n - 1)));
    paintCursor(p, wave, state.index ? double(*state.index) * marginX : 0.0);
}
