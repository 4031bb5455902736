#include "instruments/timelinepainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/mlanguagemanager.h"
#include "instruments/harsheventmarks.h"
#include "instruments/timelinemodel.h"
#include "instruments/timelinerange.h"

namespace TimelinePainter {
namespace {
QFont smallFont()
{
    QFont f;
    f.setPixelSize(9);
    return f;
}

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

// Widget x of a global time; far-off times stay far off without overflowing the painter.
double xAt(const QRectF &plot, const TimelineRange &range, double global)
{
    const double x = plot.left() + range.xOf(global, plot.width());
    return std::clamp(x, plot.left() - 1e5, plot.right() + 1e5);
}

// One point per pixel column at most: the highest reading of the samples in it, so that a
// short peak survives any zoom.
struct Column {
    double x;
    float speed;
    float g;
};

std::vector<Column> columnsOf(const TimelineModel::Part &part, const QRectF &plot, const TimelineRange &range)
{
    std::vector<Column> out;
    const std::size_t n = part.speed.size();
    if (n == 0)
        return out;
    const double from = range.start() - part.start, to = range.end() - part.start;
    if (to < 0 || from > double(n))
        return out;
    const std::size_t i0 = std::size_t(std::max(0.0, std::floor(from) - 1));
    const std::size_t i1 = std::min(n, std::size_t(std::max(0.0, std::ceil(to) + 2)));
    long lastColumn = std::numeric_limits<long>::min();
    for (std::size_t i = i0; i < i1; ++i) {
        const double x = xAt(plot, range, part.start + double(i) + 0.5);
        const long column = long(std::floor(x));
        if (column == lastColumn && !out.empty()) {
            out.back().speed = std::max(out.back().speed, part.speed[i]);
            out.back().g = std::max(out.back().g, part.g[i]);
            continue;
        }
        out.push_back({x, part.speed[i], part.g[i]});
        lastColumn = column;
    }
    return out;
}

void paintCurves(QPainter &p, const QRectF &plot, const TimelineModel &model, const TimelineRange &range)
{
    const double topSpeed = std::max(double(model.maxSpeed()) * 1.1, 20.0);
    const double topG = std::max(double(model.maxG()) * 1.15, 0.5);
    const auto yOf = [&](double v, double top) { return plot.bottom() - std::clamp(v / top, 0.0, 1.0) * plot.height(); };
    p.save();
    p.setClipRect(plot);
    p.setRenderHint(QPainter::Antialiasing);
    for (const TimelineModel::Part &part : model.parts()) {
        const std::vector<Column> cols = columnsOf(part, plot, range);
        if (cols.empty())
            continue;
        QPolygonF speed, g;
        speed.reserve(qsizetype(cols.size()) + 2);
        g.reserve(qsizetype(cols.size()));
        for (const Column &c : cols) {
            speed << QPointF(c.x, yOf(c.speed, topSpeed));
            g << QPointF(c.x, yOf(c.g, topG));
        }
        QPolygonF area = speed;
        area << QPointF(cols.back().x, plot.bottom()) << QPointF(cols.front().x, plot.bottom());
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(speedColour(), 70));
        p.drawPolygon(area);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(speedColour(), 1.2));
        p.drawPolyline(speed);
        p.setPen(QPen(gColour(), 1.0));
        p.drawPolyline(g);
    }
    p.restore();
}

void paintSpans(QPainter &p, const QRectF &plot, const TimelineModel &model, const TimelineRange &range)
{
    p.save();
    p.setClipRect(plot);
    p.setFont(smallFont());
    for (const TimelineSpan &s : model.spans) {
        const int part = s.part < 0 ? model.current() : s.part;
        if (part >= int(model.parts().size()) || !(s.to > s.from))
            continue;
        const double x0 = xAt(plot, range, model.toGlobal(part, s.from));
        const double x1 = xAt(plot, range, model.toGlobal(part, s.to));
        const QRectF band(QPointF(std::max(x0, plot.left()), plot.top()), QPointF(std::min(x1, plot.right()), plot.bottom()));
        if (band.width() <= 0)
            continue;
        p.fillRect(band, kindColour(s.kind));
        const QString word = s.kind;
        if (p.fontMetrics().horizontalAdvance(word) + 4 < band.width()) {
            p.setPen(withAlpha(kindColour(s.kind), 255).lighter(140));
            p.drawText(band.adjusted(2, 1, -2, 0), Qt::AlignLeft | Qt::AlignTop, word);
        }
    }
    p.restore();
}

void paintParts(QPainter &p, const QRectF &plot, const TimelineModel &model, const TimelineRange &range)
{
    if (model.parts().size() < 2)
        return;
    p.save();
    p.setClipRect(plot);
    for (std::size_t i = 0; i < model.parts().size(); ++i) {
        const TimelineModel::Part &part = model.parts()[i];
        const double x0 = xAt(plot, range, part.start);
        const double x1 = xAt(plot, range, part.start + part.seconds);
        // The recordings that are not playing step back.
        if (int(i) != model.current())
            p.fillRect(QRectF(QPointF(x0, plot.top()), QPointF(x1, plot.bottom())), QColor(0, 0, 0, 70));
        if (i > 0)
            p.fillRect(QRectF(std::round(x0), plot.top(), 1, plot.height()), QColor(255, 255, 255, 70));
    }
    p.restore();
}

void paintClip(QPainter &p, const QRectF &all, const QRectF &plot, const TimelineModel &model, const TimelineRange &range)
{
    if (!model.clipIn && !model.clipOut)
        return;
    const int part = model.current();
    const double in = xAt(plot, range, model.toGlobal(part, model.clipIn.value_or(0.0)));
    const double out = model.clipOut ? xAt(plot, range, model.toGlobal(part, *model.clipOut))
                                     : xAt(plot, range, model.toGlobal(part, model.parts().empty() ? 0.0 : model.parts()[std::size_t(part)].seconds));
    p.save();
    p.setClipRect(all);
    if (out > in)
        p.fillRect(QRectF(QPointF(std::max(in, plot.left()), plot.top()), QPointF(std::min(out, plot.right()), plot.bottom())),
                   QColor(255, 255, 255, 22));
    // Brackets: the in mark opens to the right, the out mark to the left.
    const auto bracket = [&](double x, const QColor &c, int direction) {
        if (x < plot.left() - 1 || x > plot.right() + 1)
            return;
        const double xr = std::round(x);
        p.fillRect(QRectF(xr - (direction > 0 ? 0 : 1), all.top() + 1, 2, plot.bottom() - all.top() - 1), c);
        p.fillRect(QRectF(direction > 0 ? xr : xr - 6, all.top() + 1, 6, 2), c);
        p.fillRect(QRectF(direction > 0 ? xr : xr - 6, plot.bottom() - 2, 6, 2), c);
    };
    if (model.clipIn)
        bracket(in, clipInColour(), 1);
    if (model.clipOut)
        bracket(out, clipOutColour(), -1);
    p.restore();
}

void paintEvents(QPainter &p, const QRectF &all, const QRectF &plot, const TimelineModel &model, const TimelineRange &range)
{
    p.save();
    p.setClipRect(all);
    const double y = all.top() + kMarkBand / 2;
    for (const TimelineModel::Part &part : model.parts()) {
        for (const HarshEvent &e : part.events) {
            const double x = xAt(plot, range, part.start + double(e.index) + 0.5);
            if (x < plot.left() - 4 || x > plot.right() + 4)
                continue;
            p.fillRect(QRectF(std::round(x), plot.top(), 1, plot.height()), withAlpha(HarshEventMarks::kindColour(e.kind), 110));
            paintEventMark(p, e.kind, x, y);
        }
    }
    p.restore();
}

void paintTimes(QPainter &p, const QRectF &all, const TimelineModel &model, const TimelineRange &range)
{
    if (model.total() <= 0)
        return;
    p.save();
    p.setFont(smallFont());
    const QRectF band(all.left() + 4, all.bottom() - kTimeBand, all.width() - 8, kTimeBand);
    p.setPen(QColor(200, 200, 200));
    p.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, clockText(range.start()));
    p.drawText(band, Qt::AlignRight | Qt::AlignVCenter, clockText(range.end()));
    // What the two curves are, in their colours.
    const QString speed = MLanguageManager::localized("Speed");
    const QString g = MLanguageManager::localized("G.sensor");
    const QFontMetrics fm = p.fontMetrics();
    const double w = fm.horizontalAdvance(speed) + 12 + fm.horizontalAdvance(g);
    double x = band.center().x() - w / 2;
    p.setPen(speedColour());
    p.drawText(QRectF(x, band.top(), w, band.height()), Qt::AlignLeft | Qt::AlignVCenter, speed);
    x += fm.horizontalAdvance(speed) + 12;
    p.setPen(gColour());
    p.drawText(QRectF(x, band.top(), w, band.height()), Qt::AlignLeft | Qt::AlignVCenter, g);
    // Zoomed: where the stretch on show lies in the whole.
    if (range.zoomed() && range.total() > 0) {
        const double x0 = all.left() + range.start() / range.total() * all.width();
        const double x1 = all.left() + range.end() / range.total() * all.width();
        p.fillRect(QRectF(all.left(), all.bottom() - 2, all.width(), 2), QColor(255, 255, 255, 40));
        p.fillRect(QRectF(x0, all.bottom() - 2, std::max(2.0, x1 - x0), 2), QColor(255, 255, 255, 170));
    }
    p.restore();
}
} // namespace

QColor kindColour(const QString &kind)
{
    const QString k = kind.toLower();
    if (k == QLatin1String("event"))
        return QColor(230, 60, 60, 70);
    if (k == QLatin1String("locked"))
        return QColor(240, 170, 30, 70);
    if (k == QLatin1String("parking"))
        return QColor(70, 120, 240, 70);
    return QColor(160, 160, 160, 60);
}

QRectF plotRect(const QRectF &all)
{
    return QRectF(all.left() + 4, all.top() + kMarkBand, std::max(0.0, all.width() - 8),
                  std::max(0.0, all.height() - kMarkBand - kTimeBand));
}

QString clockText(double seconds)
{
    const long long s = std::isfinite(seconds) ? std::llround(std::clamp(seconds, 0.0, 1e9)) : 0;
    const QChar zero(u'0');
    const QString mmss = QStringLiteral("%1:%2").arg((s / 60) % 60, 2, 10, zero).arg(s % 60, 2, 10, zero);
    return s >= 3600 ? QStringLiteral("%1:").arg(s / 3600, 2, 10, zero) + mmss : mmss;
}

void paintEventMark(QPainter &p, HarshKind kind, double x, double y)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 20, 20), 0.8));
    p.setBrush(HarshEventMarks::kindColour(kind));
    const double r = 5;
    switch (kind) {
    case HarshKind::Brake:
        p.drawPolygon(QPolygonF({QPointF(x - r, y - r + 1), QPointF(x + r, y - r + 1), QPointF(x, y + r)}));
        break;
    case HarshKind::Accel:
        p.drawPolygon(QPolygonF({QPointF(x - r, y + r - 1), QPointF(x + r, y + r - 1), QPointF(x, y - r)}));
        break;
    case HarshKind::Turn:
        p.drawPolygon(QPolygonF({QPointF(x, y - r), QPointF(x + r, y), QPointF(x, y + r), QPointF(x - r, y)}));
        break;
    case HarshKind::Impact:
        p.drawEllipse(QPointF(x, y), r, r);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(x, y), 2, 2);
        break;
    }
    p.restore();
}

void paintCursor(QPainter &p, const QRectF &all, double x)
{
    const QRectF plot = plotRect(all);
    const double xr = std::round(std::clamp(x, plot.left(), plot.right()));
    p.fillRect(QRectF(xr, all.top() + 2, 1, plot.bottom() - all.top() - 2), cursorColour());
    p.fillRect(QRectF(xr - 2, all.top() + 2, 5, 2), cursorColour());
}

void paintLayer(QPainter &p, const QRectF &all, const TimelineModel &model, const TimelineRange &range)
{
    p.fillRect(all, background());
    const QRectF plot = plotRect(all);
    p.fillRect(plot, QColor(38, 38, 38));
    paintSpans(p, plot, model, range);
    paintCurves(p, plot, model, range);
    paintParts(p, plot, model, range);
    paintClip(p, all, plot, model, range);
    paintEvents(p, all, plot, model, range);
    paintTimes(p, all, model, range);
}
} // namespace TimelinePainter
