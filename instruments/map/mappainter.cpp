#include "instruments/map/mappainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "core/mlanguagemanager.h"
#include "instruments/dashboardstate.h"
#include "instruments/map/mercator.h"
#include "instruments/map/osmtilesource.h"
#include "instruments/map/routestyle.h"
#include "instruments/map/tilesource.h"
#include "track/numbertext.h"

namespace {
const QColor kBackground(0xf2, 0xef, 0xe9);
const QColor kGrid(0xd6, 0xd1, 0xc8);
const QColor kGridFine(0xe6, 0xe2, 0xdb);

constexpr double kMinTilePixels = 48.0;

// Draws the part of a (possibly hugely enlarged) tile that falls inside the box, so that
// deep zoom beyond a source's finest tiles stays cheap and exact.
void drawClipped(QPainter &p, const QRectF &box, const QRectF &target, const QPixmap &pix, const QRectF &source)
{
    const QRectF visible = target.intersected(box);
    if (visible.isEmpty())
        return;
    const double sx = source.width() / target.width(), sy = source.height() / target.height();
    const QRectF part(source.left() + (visible.left() - target.left()) * sx,
                      source.top() + (visible.top() - target.top()) * sy, visible.width() * sx, visible.height() * sy);
    p.drawPixmap(visible, pix, part);
}

// Where no tile is, a light grid keeps the map readable as a map: it shows the scale
// and moves with dragging.
void paintGridCell(QPainter &p, const QRectF &cell)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGridFine, 1));
    for (int i = 1; i < 4; ++i) {
        const double dx = cell.left() + cell.width() * i / 4, dy = cell.top() + cell.height() * i / 4;
        p.drawLine(QPointF(dx, cell.top()), QPointF(dx, cell.bottom()));
        p.drawLine(QPointF(cell.left(), dy), QPointF(cell.right(), dy));
    }
    p.setPen(QPen(kGrid, 1));
    p.drawRect(cell);
}

// A coarser tile already in memory stands in, enlarged, while the sharp one loads.
bool drawFallback(QPainter &p, const QRectF &box, const TileSource &source, const TileKey &key, const QRectF &target)
{
    for (int up = 1; up <= 4 && key.z - up >= source.minZoom(); ++up) {
        const TileKey parent{key.z - up, key.x >> up, key.y >> up};
        const QPixmap pix = source.cachedTile(parent);
        if (pix.isNull())
            continue;
        const double part = pix.width() / double(1 << up);
        const QRectF from((key.x - (parent.x << up)) * part, (key.y - (parent.y << up)) * part, part, part);
        drawClipped(p, box, target, pix, from);
        return true;
    }
    return false;
}

// The bounds of the finite points among [first, end); an empty optional when there are none
// (a point without a position projects to NaN).
std::optional<QRectF> finiteBounds(const QPointF *first, const QPointF *end)
{
    double x0 = 2, y0 = 2, x1 = -1, y1 = -1;
    for (const QPointF *pt = first; pt != end; ++pt) {
        if (!std::isfinite(pt->x()) || !std::isfinite(pt->y()))
            continue;
        x0 = std::min(x0, pt->x());
        x1 = std::max(x1, pt->x());
        y0 = std::min(y0, pt->y());
        y1 = std::max(y1, pt->y());
    }
    if (x1 < x0)
        return std::nullopt;
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

// The whole route in view: its finite points' bounds at the zoom that fits them.
MapFrame fitRoute(const std::vector<QPointF> &points, const QRectF &box)
{
    MapFrame f;
    f.box = box;
    const std::optional<QRectF> bounds = finiteBounds(points.data(), points.data() + points.size());
    if (!bounds)
        return f;
    const double x0 = bounds->left(), x1 = bounds->right(), y0 = bounds->top(), y1 = bounds->bottom();
    f.center = QPointF((x0 + x1) / 2, (y0 + y1) / 2);
    const double span = std::max({x1 - x0, y1 - y0, 1e-9});
    const double fit = std::min(box.width(), box.height()) * 0.8 / (span * Mercator::kTileSize);
    f.zoom = std::clamp(std::log2(std::max(fit, 1e-9)), MapPainter::kMinZoom, MapPainter::kMaxZoom);
    return f;
}
} // namespace

QPointF MapFrame::toScreen(const QPointF &world) const
{
    return (world - center) * Mercator::worldPixels(zoom) + box.center();
}

QPointF MapFrame::toWorld(const QPointF &screen) const
{
    return (screen - box.center()) / Mercator::worldPixels(zoom) + center;
}

bool MapPainter::isValidPosition(double lat, double lon)
{
    return !(lon < -180 || lon > 180 || lat > 90 || lat < -90);
}

void MapPainter::appendTrack(Route &route, const Track &track)
{
    const std::size_t n = trackSize(track);
    const std::size_t before = route.points.size();
    route.points.reserve(before + n);
    route.speeds.reserve(before + n);
    for (std::size_t i = 0; i < n; ++i) {
        const GPSItem &item = (*track)[i];
        route.points.push_back(
            Mercator::project(Mercator::readDegrees(item.latitude), Mercator::readDegrees(item.longitude)));
        route.speeds.push_back(leadingDouble(item.speed));
    }
    // The run that held the old last point now also holds the step on to the new first.
    const std::size_t total = route.points.size();
    const std::size_t runs = total == 0 ? 0 : (total + Route::kChunk - 1) / Route::kChunk;
    const std::size_t from = before == 0 ? 0 : (before - 1) / Route::kChunk;
    route.bounds.resize(runs);
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t c = from; c < runs; ++c) {
        const std::size_t last = std::min((c + 1) * Route::kChunk, total - 1);
        const QPointF *run = route.points.data();
        // NaN bounds compare false with everything: a run without a number is never in view.
        route.bounds[c] = finiteBounds(run + c * Route::kChunk, run + last + 1).value_or(QRectF(nan, nan, nan, nan));
    }
}

void MapPainter::screenRoute(const MapFrame &frame, const Route &route, const QRectF &visible, double minStep,
                             std::vector<QPointF> *points, std::vector<double> *speeds)
{
    points->clear();
    speeds->clear();
    const std::size_t total = route.points.size();
    if (total == 0)
        return;
    const QPointF a = frame.toWorld(visible.topLeft()), b = frame.toWorld(visible.bottomRight());
    const double wx0 = std::min(a.x(), b.x()), wx1 = std::max(a.x(), b.x());
    const double wy0 = std::min(a.y(), b.y()), wy1 = std::max(a.y(), b.y());
    const bool indexed = route.bounds.size() == (total + Route::kChunk - 1) / Route::kChunk;
    auto finite = [](const QPointF &p) { return std::isfinite(p.x()) && std::isfinite(p.y()); };
    auto speedAt = [&](std::size_t i) { return i < route.speeds.size() ? route.speeds[i] : 0.0; };
    const double minStep2 = minStep * minStep;
    // frame.toScreen, its scale worked out once rather than per point.
    const double scale = Mercator::worldPixels(frame.zoom);
    const QPointF middle = frame.box.center();
    auto toScreen = [&](const QPointF &w) { return (w - frame.center) * scale + middle; };
    const QPointF gap(std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN());
    std::size_t next = 0; // the first point not yet looked at
    QPointF kept;
    bool haveKept = false;
    const std::size_t runs = (total + Route::kChunk - 1) / Route::kChunk;
    for (std::size_t c = 0; c < runs; ++c) {
        const std::size_t first = c * Route::kChunk, last = std::min((c + 1) * Route::kChunk, total - 1);
        if (indexed) {
            const QRectF &r = route.bounds[c];
            if (!(r.left() <= wx1 && r.right() >= wx0 && r.top() <= wy1 && r.bottom() >= wy0))
                continue;
        }
        if (first > next) {
            // Runs left out lie between: the line must not jump across them.
            if (!points->empty()) {
                points->push_back(gap);
                speeds->push_back(0);
            }
            next = first;
            haveKept = false;
        }
        for (std::size_t i = next; i <= last; ++i) {
            const QPointF s = toScreen(route.points[i]);
            const bool end = i == last || !finite(route.points[i + 1]);
            if (finite(s)) {
                const QPointF d = s - kept;
                if (haveKept && !end && d.x() * d.x() + d.y() * d.y() < minStep2)
                    continue;
                kept = s;
                haveKept = true;
            } else {
                haveKept = false;
            }
            points->push_back(s);
            speeds->push_back(speedAt(i));
        }
        next = last + 1;
    }
}

bool MapPainter::paintTiles(QPainter &p, const MapFrame &frame, TileSource *source, bool request)
{
    p.fillRect(frame.box, kBackground);
    bool missingForFailure = false;
    const double zoom = std::isfinite(frame.zoom) ? frame.zoom : 2.0;
    int z = std::clamp(int(std::lround(zoom)), source ? source->minZoom() : 0, source ? source->maxZoom() : 19);
    double tilePx = Mercator::kTileSize * std::exp2(zoom - z);
    if (tilePx < kMinTilePixels) {
        // Far below the source's coarsest tiles, thousands of specks would be asked
        // for: show the grid of the view's own zoom instead.
        source = nullptr;
        z = std::clamp(int(std::lround(zoom)), 0, 19);
        tilePx = Mercator::kTileSize * std::exp2(zoom - z);
    }
    const int n = 1 << z;
    const QPointF topLeft = frame.toWorld(frame.box.topLeft()) * double(n);
    const QPointF bottomRight = frame.toWorld(frame.box.bottomRight()) * double(n);
    if (!std::isfinite(topLeft.x()) || !std::isfinite(topLeft.y()) || !std::isfinite(bottomRight.x()) ||
        !std::isfinite(bottomRight.y()))
        return false;
    const int x0 = int(std::clamp(std::floor(topLeft.x()), 0.0, double(n - 1)));
    const int y0 = int(std::clamp(std::floor(topLeft.y()), 0.0, double(n - 1)));
    const int x1 = int(std::clamp(std::floor(bottomRight.x()), -1.0, double(n - 1)));
    const int y1 = int(std::clamp(std::floor(bottomRight.y()), -1.0, double(n - 1)));
    const QPointF origin = frame.toScreen(QPointF(0, 0));

    p.save();
    p.setClipRect(frame.box, Qt::IntersectClip);
    QList<TileKey> wanted;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const TileKey key{z, x, y};
            const QRectF target(origin.x() + x * tilePx, origin.y() + y * tilePx, tilePx, tilePx);
            const QPixmap tile = source ? source->cachedTile(key) : QPixmap();
            if (!tile.isNull()) {
                drawClipped(p, frame.box, target, tile, tile.rect());
                continue;
            }
            if (!source || !drawFallback(p, frame.box, *source, key, target))
                paintGridCell(p, target);
            if (!source)
                continue;
            // Offline, the notice stays up while failed tiles are retried now and then.
            if (source->hasFailed(key))
                missingForFailure = true;
            wanted.append(key);
        }
    }
    p.restore();
    if (source && request) {
        // Nearest the centre first: what the user looks at arrives first.
        const QPointF centreTile = frame.center * double(n);
        std::sort(wanted.begin(), wanted.end(), [&](const TileKey &a, const TileKey &b) {
            const auto d = [&](const TileKey &k) {
                const double dx = k.x + 0.5 - centreTile.x(), dy = k.y + 0.5 - centreTile.y();
                return dx * dx + dy * dy;
            };
            return d(a) < d(b);
        });
        source->requestTiles(wanted);
    }
    return missingForFailure;
}

void MapPainter::paintRoute(QPainter &p, const MapFrame &frame, const Route &route, const Route &trip, bool mph)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(frame.box, Qt::IntersectClip);
    const QRectF visible = frame.box;
    // A pixel is as fine as the eye sees: a day's trip seen whole is a few thousand strokes,
    // not sixty thousand, and at street level only the runs in view are looked at.
    constexpr double kMinStep = 1.0;
    const QRectF reach = visible.adjusted(-24, -24, 24, 24);
    std::vector<QPointF> line, tripLine;
    std::vector<double> speeds, tripSpeeds;
    screenRoute(frame, route, reach, kMinStep, &line, &speeds);
    if (!trip.points.empty()) {
        screenRoute(frame, trip, reach, kMinStep, &tripLine, &tripSpeeds);
        // The trip pale and thin; the recording's own part bold on a dark casing.
        RouteStyle::paintSpeedRoute(p, tripLine, tripSpeeds, visible, kRouteWidth, true, mph);
        if (!line.empty()) {
            p.save();
            p.setPen(QPen(QColor(40, 40, 40, 170), kRouteWidth + 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            // Stretch by stretch, each cut to the view (none across samples without a number).
            const QRectF area = visible.adjusted(-16, -16, 16, 16);
            QPointF last;
            bool haveLast = false;
            for (const QPointF &pt : line) {
                if (!std::isfinite(pt.x()) || !std::isfinite(pt.y())) {
                    haveLast = false; // as the coloured line: no stroke across a gap
                    continue;
                }
                QPointF a = last, b = pt;
                if (haveLast && RouteStyle::clipSegment(a, b, area))
                    p.drawLine(a, b);
                last = pt;
                haveLast = true;
            }
            p.restore();
            RouteStyle::paintSpeedRoute(p, line, speeds, visible, kRouteWidth + 1, false, mph);
        }
    } else if (!line.empty()) {
        RouteStyle::paintSpeedRoute(p, line, speeds, visible, kRouteWidth, false, mph);
    }
    const std::vector<QPointF> &ends = trip.points.empty() ? route.points : trip.points;
    if (ends.size() >= 2) {
        RouteStyle::paintStartMarker(p, frame.toScreen(ends.front()));
        RouteStyle::paintEndMarker(p, frame.toScreen(ends.back()));
    }
    p.restore();
}

// In the manner of a map's default marker.
void MapPainter::paintMarker(QPainter &p, const QPointF &tip)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double r = 8.0;
    const QPointF head(tip.x(), tip.y() - 22.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawEllipse(tip, 5.0, 2.0);

    QPainterPath pin;
    pin.moveTo(tip);
    pin.lineTo(head.x() - r * 0.62, head.y() + r * 0.8);
    pin.arcTo(QRectF(head.x() - r, head.y() - r, 2 * r, 2 * r), 218, -256);
    pin.closeSubpath();
    p.setPen(QPen(QColor(140, 20, 20), 1.0));
    p.setBrush(QColor(230, 45, 40));
    p.drawPath(pin);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(head, r * 0.38, r * 0.38);
    p.restore();
}

void MapPainter::paintOverlays(QPainter &p, const QRectF &box, const QFont &font, bool hasRoute, bool mph,
                               const TileSource *source, bool notice)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QFont small = font;
    if (small.pointSizeF() > 0)
        small.setPointSizeF(std::max(7.0, small.pointSizeF() * 0.8));
    else
        small.setPixelSize(std::max(9, int(small.pixelSize() * 0.8)));
    p.setFont(small);
    const QFontMetrics fm(small);

    if (hasRoute)
        RouteStyle::paintLegend(p, box, mph, mph ? QStringLiteral("mph") : QStringLiteral("km/h"));

    const QString attribution = source ? source->attribution() : QString();
    if (!attribution.isEmpty()) {
        const QString text = fm.elidedText(attribution, Qt::ElideRight, int(box.width()) - 8);
        QRectF label(0, 0, fm.horizontalAdvance(text) + 8, fm.height() + 2);
        label.moveBottomRight(box.bottomRight());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 190));
        p.drawRect(label);
        p.setPen(QColor(60, 60, 60));
        p.drawText(label, Qt::AlignCenter, text);
    }

    if (notice) {
        const bool offline = qobject_cast<const OsmTileSource *>(source) != nullptr;
        using L = MLanguageManager;
        const QString text = offline ? L::localized("Map.offline", "Map offline: showing the route only")
                                     : L::localized("Map.noTiles", "No offline map for this area");
        const QString shown = fm.elidedText(text, Qt::ElideRight, int(box.width()) - 20);
        const QRectF label(box.left() + 6, box.top() + 6, fm.horizontalAdvance(shown) + 12, fm.height() + 6);
        p.setPen(QPen(QColor(0, 0, 0, 40), 1));
        p.setBrush(QColor(255, 255, 255, 215));
        p.drawRoundedRect(label, 4, 4);
        p.setPen(QColor(90, 90, 90));
        p.drawText(label, Qt::AlignCenter, shown);
    }
    p.restore();
}

void MapPainter::paint(QPainter &p, const QRectF &box, const DashboardState &state, TileSource *cachedTiles)
{
    if (box.isEmpty())
        return;
    Route route, trip;
    appendTrack(route, state.track);
    if (state.tripParts.size() > 1)
        for (const Track &part : state.tripParts)
            appendTrack(trip, part);

    MapFrame frame = fitRoute(trip.points.empty() ? route.points : trip.points, box);
    std::optional<QPointF> marker;
    if (state.hasSample()) {
        const double lat = Mercator::readDegrees(state.sample.latitude);
        const double lon = Mercator::readDegrees(state.sample.longitude);
        if (isValidPosition(lat, lon)) {
            frame.center = Mercator::project(lat, lon);
            frame.zoom = std::clamp(Mercator::zoomForSpan(lat, kSpanDegrees, box.size()), kMinZoom, kMaxZoom);
            marker = frame.center;
        }
    }
    p.save();
    p.setClipRect(box, Qt::IntersectClip);
    const bool notice = paintTiles(p, frame, cachedTiles, false);
    const bool mph = state.speedUnit == QLatin1String("MPH");
    paintRoute(p, frame, route, trip, mph);
    if (marker)
        paintMarker(p, frame.toScreen(*marker));
    QFont font;
    font.setPixelSize(std::clamp(int(box.height() / 14), 9, 14));
    paintOverlays(p, box, font, !route.points.empty() || !trip.points.empty(), mph, cachedTiles, notice);
    p.restore();
}
