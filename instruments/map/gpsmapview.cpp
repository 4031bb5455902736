#include "instruments/map/gpsmapview.h"
#include "core/logging.h"

#include <QApplication>
#include <QDebug>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "instruments/map/mappainter.h"
#include "instruments/map/mbtilessource.h"
#include "instruments/map/mercator.h"
#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "instruments/map/osmtilesource.h"
#include "core/preferences.h"

Q_LOGGING_CATEGORY(lcMap, "trava.map")


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
    m_route = {};
    m_markerIndex.reset();
    m_lookup.invalidate();
    // The region does not move until the next tick.
    MapPainter::appendTrack(m_route, track);
    update();
}

void GpsMapView::setTripContext(const std::vector<Track> &parts)
{
    const quint64 generation = ++m_tripGeneration;
    m_trip = {};
    std::size_t samples = 0;
    for (const Track &part : parts)
        samples += trackSize(part);
    if (parts.size() > 1 && samples > kInlineTripPoints) {
        // Reading and projecting sixty thousand samples would hold the window for a
        // noticeable while: the worker does it, the trip shows when it is done.
        m_worker.run(
            this,
            [parts] {
                MapPainter::Route trip;
                for (const Track &part : parts)
                    MapPainter::appendTrack(trip, part);
                return trip;
            },
            [this, generation](MapPainter::Route trip) {
                if (generation != m_tripGeneration)
                    return;
                m_trip = std::move(trip);
                update();
            });
    } else if (parts.size() > 1) {
        for (const Track &part : parts)
            MapPainter::appendTrack(m_trip, part);
    }
    update();
}

void GpsMapView::waitForTrip()
{
    m_worker.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void GpsMapView::setCurrentPlayerTime(double seconds)
{
    const auto index = m_lookup.select(m_track, seconds);
    if (!index)
        return;
    const GPSItem &item = (*m_track)[*index];
    const double lat = Mercator::readDegrees(item.latitude);
    const double lon = Mercator::readDegrees(item.longitude);
    if (!MapPainter::isValidPosition(lat, lon))
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
    m_route = {};
    m_trip = {};
    ++m_tripGeneration; // a trip still being projected stays away too
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

MapFrame GpsMapView::frame() const
{
    return MapFrame{m_center, m_zoom, QRectF(rect())};
}

QPointF GpsMapView::toScreen(const QPointF &world) const { return frame().toScreen(world); }

QPointF GpsMapView::toWorld(const QPointF &screen) const { return frame().toWorld(screen); }

QPointF GpsMapView::screenPosition(const QGeoCoordinate &c) const
{
    return toScreen(Mercator::project(c.latitude(), c.longitude()));
}

std::optional<std::size_t> GpsMapView::routePointAt(const QPointF &pos) const
{
    std::optional<std::size_t> best;
    double bestDist = double(kClickRadius) * kClickRadius;
    const MapFrame f = frame();
    for (std::size_t i = 0; i < m_route.points.size(); ++i) {
        const QPointF d = f.toScreen(m_route.points[i]) - pos;
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
    const MapFrame f = frame();
    const bool missingForFailure = MapPainter::paintTiles(p, f, m_source.get(), true);
    const bool mph = Preferences::speedUnitType() == QLatin1String("MPH");
    MapPainter::paintRoute(p, f, m_route, m_trip, mph);
    if (m_markerIndex)
        MapPainter::paintMarker(p, f.toScreen(m_markerWorld));
    m_noticeShown = missingForFailure;
    MapPainter::paintOverlays(p, QRectF(rect()), font(), !m_route.points.empty() || !m_trip.points.empty(), mph,
                              m_source.get(), missingForFailure);
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
