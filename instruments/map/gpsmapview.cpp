#include "instruments/map/gpsmapview.h"
#include "core/logging.h"

#include <QApplication>
#include <QDebug>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "instruments/map/mbtilessource.h"
#include "instruments/map/mercator.h"
#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "instruments/map/osmtilesource.h"
#include "instruments/map/routestyle.h"
#include "core/preferences.h"
#include "track/numbertext.h"

Q_LOGGING_CATEGORY(lcMap, "trava.map")

namespace {
const QColor kBackground(0xf2, 0xef, 0xe9);
const QColor kGrid(0xd6, 0xd1, 0xc8);
const QColor kGridFine(0xe6, 0xe2, 0xdb);

constexpr double kMinTilePixels = 48.0;

// Draws the part of a (possibly hugely enlarged) tile that falls inside the widget,
// so that deep zoom beyond a source's finest tiles stays cheap and exact.
void drawClipped(QPainter &p, const QRectF &target, const QPixmap &pix, const QRectF &source)
{
    const QRectF visible = target.intersected(QRectF(p.window()));
    if (visible.isEmpty())
        return;
    const double sx = source.width() / target.width(), sy = source.height() / target.height();
    const QRectF part(source.left() + (visible.left() - target.left()) * sx,
                      source.top() + (visible.top() - target.top()) * sy, visible.width() * sx, visible.height() * sy);
    p.drawPixmap(visible, pix, part);
}

bool isValidPosition(double lat, double lon)
{
    return !(lon < -180 || lon > 180 || lat > 90 || lat < -90);
}
} // namespace

GpsMapView::GpsMapView(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(120, 90);
    setMouseTracking(true);
    setCursor(Qt::OpenHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { update(); });
}

GpsMapView::~GpsMapView() = default;

void GpsMapView::setGpsData(const Track &track)
{
    m_track = track;
    m_route.clear();
    m_speeds.clear();
    m_markerIndex.reset();
    m_lookup.invalidate();
    const std::size_t n = trackSize(track);
    m_route.reserve(n);
    m_speeds.reserve(n);
    // Every sample joins the line, even one a tick would refuse; the projection clamps
    // what lies beyond its reach. The region does not move until the next tick.
    for (std::size_t i = 0; i < n; ++i) {
        const GPSItem &item = (*track)[i];
        m_route.push_back(Mercator::project(Mercator::readDegrees(item.latitude),
                                            Mercator::readDegrees(item.longitude)));
        m_speeds.push_back(leadingDouble(item.speed));
    }
    update();
}

void GpsMapView::setTripContext(const std::vector<Track> &parts)
{
    m_tripRoute.clear();
    m_tripSpeeds.clear();
    if (parts.size() > 1) {
        for (const Track &part : parts) {
            for (std::size_t i = 0; i < trackSize(part); ++i) {
                const GPSItem &item = (*part)[i];
                m_tripRoute.push_back(Mercator::project(Mercator::readDegrees(item.latitude),
                                                        Mercator::readDegrees(item.longitude)));
                m_tripSpeeds.push_back(leadingDouble(item.speed));
            }
        }
    }
    update();
}

void GpsMapView::setCurrentPlayerTime(double seconds)
{
    const auto index = m_lookup.select(m_track, seconds);
    if (!index)
        return;
    const GPSItem &item = (*m_track)[*index];
    const double lat = Mercator::readDegrees(item.latitude);
    const double lon = Mercator::readDegrees(item.longitude);
    if (!isValidPosition(lat, lon))
        return;
    m_center = Mercator::project(lat, lon);
    m_zoom = std::clamp(Mercator::zoomForSpan(lat, kSpanDegrees, size()), kMinZoom, kMaxZoom);
    m_markerIndex = *index;
    m_markerWorld = m_center;
    m_markerCoordinate = QGeoCoordinate(lat, lon);
    update();
}

void GpsMapView::clearMapAnotation()
{
    m_track.reset();
    m_route.clear();
    m_speeds.clear();
    m_tripRoute.clear();
    m_tripSpeeds.clear();
    m_markerIndex.reset();
    m_lookup.invalidate();
    update();
}

void GpsMapView::setTileSource(std::unique_ptr<TileSource> source)
{
    ++m_openGeneration; // a pending check of a file no longer decides the source
    m_source = std::move(source);
    if (m_source)
        connect(m_source.get(), &TileSource::tilesChanged, this, qOverload<>(&QWidget::update));
    update();
}

void GpsMapView::useOpenStreetMap(const QString &urlTemplate)
{
    setTileSource(std::make_unique<OsmTileSource>(
        urlTemplate.isEmpty() ? QString::fromLatin1(OsmTileSource::kDefaultUrlTemplate) : urlTemplate));
}

bool GpsMapView::useMbtiles(const QString &path, QString *error)
{
    auto source = MbtilesTileSource::open(path, error);
    if (!source) {
        qCDebug(lcMap) << "offline map refused:" << path << (error ? *error : QString());
        return false;
    }
    setTileSource(std::move(source));
    return true;
}

void GpsMapView::openMbtiles(const QString &path, std::function<void(bool, const QString &)> done)
{
    const quint64 generation = ++m_openGeneration;
    MbtilesTileSource::inspectInBackground(
        path, this, [this, path, generation, done](bool ok, const MbtilesTileSource::Info &info, const QString &error) {
            if (generation != m_openGeneration) {
                if (done)
                    done(false, QString());
                return;
            }
            if (ok)
                setTileSource(MbtilesTileSource::fromInspected(path, info));
            else
                qCDebug(lcMap) << "offline map refused:" << path << error;
            if (done)
                done(ok, error);
        });
}

QGeoCoordinate GpsMapView::centerCoordinate() const
{
    return QGeoCoordinate(Mercator::latitudeOf(m_center.y()), Mercator::longitudeOf(m_center.x()));
}

void GpsMapView::setCenter(const QGeoCoordinate &center, double zoom)
{
    if (center.isValid())
        m_center = Mercator::project(center.latitude(), center.longitude());
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    update();
}

QGeoCoordinate GpsMapView::markerCoordinate() const
{
    return m_markerIndex ? m_markerCoordinate : QGeoCoordinate();
}

QPointF GpsMapView::toScreen(const QPointF &world) const
{
    const double scale = Mercator::worldPixels(m_zoom);
    return (world - m_center) * scale + QPointF(width() / 2.0, height() / 2.0);
}

QPointF GpsMapView::toWorld(const QPointF &screen) const
{
    const double scale = Mercator::worldPixels(m_zoom);
    return (screen - QPointF(width() / 2.0, height() / 2.0)) / scale + m_center;
}

QPointF GpsMapView::screenPosition(const QGeoCoordinate &c) const
{
    return toScreen(Mercator::project(c.latitude(), c.longitude()));
}

std::optional<std::size_t> GpsMapView::routePointAt(const QPointF &pos) const
{
    std::optional<std::size_t> best;
    double bestDist = double(kClickRadius) * kClickRadius;
    for (std::size_t i = 0; i < m_route.size(); ++i) {
        const QPointF d = toScreen(m_route[i]) - pos;
        const double dist = d.x() * d.x() + d.y() * d.y();
        if (dist <= bestDist && (!best || dist < bestDist)) {
            best = i;
            bestDist = dist;
        }
    }
    return best;
}

// --- painting ------------------------------------------------------------------

void GpsMapView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    bool missingForFailure = false;
    paintTiles(p, &missingForFailure);
    p.setRenderHint(QPainter::Antialiasing);
    paintRoute(p);
    if (m_markerIndex)
        paintMarker(p, toScreen(m_markerWorld));
    m_noticeShown = missingForFailure;
    paintOverlays(p, missingForFailure);
}

void GpsMapView::paintTiles(QPainter &p, bool *missingForFailure)
{
    TileSource *source = m_source.get();
    int z = std::clamp(int(std::lround(m_zoom)), source ? source->minZoom() : 0, source ? source->maxZoom() : 19);
    double tilePx = Mercator::kTileSize * std::exp2(m_zoom - z);
    if (tilePx < kMinTilePixels) {
        // Far below the source's coarsest tiles, thousands of specks would be asked
        // for: show the grid of the view's own zoom instead.
        source = nullptr;
        z = std::clamp(int(std::lround(m_zoom)), 0, 19);
        tilePx = Mercator::kTileSize * std::exp2(m_zoom - z);
    }
    const int n = 1 << z;
    const QPointF topLeft = toWorld(QPointF(0, 0)) * double(n);
    const QPointF bottomRight = toWorld(QPointF(width(), height())) * double(n);
    const int x0 = std::max(0, int(std::floor(topLeft.x())));
    const int y0 = std::max(0, int(std::floor(topLeft.y())));
    const int x1 = std::min(n - 1, int(std::floor(bottomRight.x())));
    const int y1 = std::min(n - 1, int(std::floor(bottomRight.y())));
    const QPointF origin = toScreen(QPointF(0, 0));

    QList<TileKey> wanted;
    const QPointF centreTile = m_center * double(n);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const TileKey key{z, x, y};
            const QRectF target(origin.x() + x * tilePx, origin.y() + y * tilePx, tilePx, tilePx);
            const QPixmap tile = source ? source->cachedTile(key) : QPixmap();
            if (!tile.isNull()) {
                drawClipped(p, target, tile, tile.rect());
                continue;
            }
            if (!source || !drawFallback(p, key, target))
                paintGridCell(p, target);
            if (!source)
                continue;
            // Offline, the notice stays up while failed tiles are retried now and then.
            if (source->hasFailed(key))
                *missingForFailure = true;
            wanted.append(key);
        }
    }
    if (source) {
        // Nearest the centre first: what the user looks at arrives first.
        std::sort(wanted.begin(), wanted.end(), [&](const TileKey &a, const TileKey &b) {
            const auto d = [&](const TileKey &k) {
                const double dx = k.x + 0.5 - centreTile.x(), dy = k.y + 0.5 - centreTile.y();
                return dx * dx + dy * dy;
            };
            return d(a) < d(b);
        });
        source->requestTiles(wanted);
    }
}

// Where no tile is, a light grid keeps the map readable as a map: it shows the scale
// and moves with dragging.
void GpsMapView::paintGridCell(QPainter &p, const QRectF &cell) const
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
bool GpsMapView::drawFallback(QPainter &p, const TileKey &key, const QRectF &target) const
{
    for (int up = 1; up <= 4 && key.z - up >= m_source->minZoom(); ++up) {
        const TileKey parent{key.z - up, key.x >> up, key.y >> up};
        const QPixmap pix = m_source->cachedTile(parent);
        if (pix.isNull())
            continue;
        const double part = pix.width() / double(1 << up);
        const QRectF source((key.x - (parent.x << up)) * part, (key.y - (parent.y << up)) * part, part, part);
        drawClipped(p, target, pix, source);
        return true;
    }
    return false;
}

std::vector<QPointF> GpsMapView::onScreen(const std::vector<QPointF> &world) const
{
    std::vector<QPointF> out;
    out.reserve(world.size());
    for (const QPointF &w : world)
        out.push_back(toScreen(w));
    return out;
}

void GpsMapView::paintRoute(QPainter &p) const
{
    const bool mph = Preferences::speedUnitType() == QLatin1String("MPH");
    const QRectF visible(rect());
    const std::vector<QPointF> route = onScreen(m_route);
    if (!m_tripRoute.empty()) {
        // The trip pale and thin; the recording's own part bold on a dark casing.
        RouteStyle::paintSpeedRoute(p, onScreen(m_tripRoute), m_tripSpeeds, visible, kRouteWidth, true, mph);
        if (!route.empty()) {
            p.save();
            QPen casing(QColor(40, 40, 40, 170), kRouteWidth + 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            p.setPen(casing);
            p.setBrush(Qt::NoBrush);
            QPolygonF line;
            for (const QPointF &pt : route)
                if (std::isfinite(pt.x()) && std::isfinite(pt.y()))
                    line << pt;
            p.drawPolyline(line);
            p.restore();
            RouteStyle::paintSpeedRoute(p, route, m_speeds, visible, kRouteWidth + 1, false, mph);
        }
    } else if (!route.empty()) {
        RouteStyle::paintSpeedRoute(p, route, m_speeds, visible, kRouteWidth, false, mph);
    }
    const std::vector<QPointF> &ends = m_tripRoute.empty() ? m_route : m_tripRoute;
    if (ends.size() >= 2) {
        RouteStyle::paintStartMarker(p, toScreen(ends.front()));
        RouteStyle::paintEndMarker(p, toScreen(ends.back()));
    }
}

// A red pin whose tip marks the position, in the manner of a map's default marker.
void GpsMapView::paintMarker(QPainter &p, const QPointF &tip) const
{
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
}

void GpsMapView::paintOverlays(QPainter &p, bool notice) const
{
    QFont small = font();
    small.setPointSizeF(std::max(7.0, small.pointSizeF() * 0.8));
    p.setFont(small);
    const QFontMetrics fm(small);

    if (!m_route.empty() || !m_tripRoute.empty()) {
        const bool mph = Preferences::speedUnitType() == QLatin1String("MPH");
        RouteStyle::paintLegend(p, QRectF(rect()), mph, mph ? QStringLiteral("mph") : QStringLiteral("km/h"));
    }

    const QString attribution = m_source ? m_source->attribution() : QString();
    if (!attribution.isEmpty()) {
        const QString text = fm.elidedText(attribution, Qt::ElideRight, width() - 8);
        QRectF box(0, 0, fm.horizontalAdvance(text) + 8, fm.height() + 2);
        box.moveBottomRight(QPointF(width(), height()));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 190));
        p.drawRect(box);
        p.setPen(QColor(60, 60, 60));
        p.drawText(box, Qt::AlignCenter, text);
    }

    if (notice) {
        const bool offline = qobject_cast<OsmTileSource *>(m_source.get()) != nullptr;
        using L = MLanguageManager;
        const QString text = offline ? L::localized("Map.offline", "Map offline: showing the route only")
                                     : L::localized("Map.noTiles", "No offline map for this area");
        const QString shown = fm.elidedText(text, Qt::ElideRight, width() - 20);
        const QRectF box(6, 6, fm.horizontalAdvance(shown) + 12, fm.height() + 6);
        p.setPen(QPen(QColor(0, 0, 0, 40), 1));
        p.setBrush(QColor(255, 255, 255, 215));
        p.drawRoundedRect(box, 4, 4);
        p.setPen(QColor(90, 90, 90));
        p.drawText(box, Qt::AlignCenter, shown);
    }
}

// --- mouse ---------------------------------------------------------------------

void GpsMapView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_dragging = false;
    m_pressPos = m_lastDragPos = event->position();
    event->accept();
}

void GpsMapView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    if (!m_pressed) {
        // A hand that points says "this point of the route can be clicked".
        const auto index = routePointAt(pos);
        setCursor(index ? Qt::PointingHandCursor : Qt::OpenHandCursor);
        setToolTip(index ? QString::fromStdString((*m_track)[*index].time) : QString());
        return;
    }
    if (!m_dragging && (pos - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    if (!m_dragging) {
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
    m_center -= (pos - m_lastDragPos) / Mercator::worldPixels(m_zoom);
    m_center.setY(std::clamp(m_center.y(), 0.0, 1.0));
    m_lastDragPos = pos;
    update();
}

void GpsMapView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (m_dragging) {
        m_dragging = false;
        setCursor(Qt::OpenHandCursor);
        return;
    }
    if (const auto index = routePointAt(event->position()))
        emit routePointClicked(int(*index));
}

void GpsMapView::wheelEvent(QWheelEvent *event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) {
        event->ignore();
        return;
    }
    // The point under the cursor stays put, as users of web maps expect.
    const QPointF pos = event->position();
    const QPointF before = toWorld(pos);
    m_zoom = std::clamp(m_zoom + steps * 0.5, kMinZoom, kMaxZoom);
    m_center += before - toWorld(pos);
    event->accept();
    update();
}
