#pragma once
// The route map: the recording's route coloured by speed (legend in the chosen unit,
// start and end markers), a single marker at the
// sample of the current playback second and the map recentred on it once per whole
// second. Between seconds the user may drag and wheel-zoom; the next second takes the
// map back. Clicking on (or within a few pixels of) a point of the route reports that
// sample's index, so that the controller can seek there.
//
// Tiles come from a TileSource (web tiles or an .mbtiles file); without tiles, the map
// still shows the route and the marker on a light grid, with a small notice.
#include <QGeoCoordinate>
#include <QPointF>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/serialworker.h"
#include "track/instrument.h"
#include "track/samplelookup.h"
#include "instruments/map/mappainter.h"
#include "instruments/map/tilesource.h"

class GpsMapView : public QWidget, public Instrument {
    Q_OBJECT
public:
    static constexpr double kSpanDegrees = MapPainter::kSpanDegrees;
    static constexpr double kRouteWidth = MapPainter::kRouteWidth;
    static constexpr double kMinZoom = MapPainter::kMinZoom;
    static constexpr double kMaxZoom = MapPainter::kMaxZoom;
    static constexpr int kClickRadius = 6; // pixels around a route point that count as on it

    explicit GpsMapView(QWidget *parent = nullptr);
    ~GpsMapView() override;

    void setGpsData(const Track &track) override;
    void setCurrentPlayerTime(double seconds) override;
    // Drops route, marker and trip (and with them the end markers and the legend); the
    // map stays where it is. Whoever moves on within a trip puts the trip back.
    void clearMapAnotation();
    // The whole trip the recording belongs to (its tracks in order, the recording's own
    // among them), drawn pale beneath the recording's part; no tracks, no trip. A trip of
    // more than kInlineTripPoints samples (a day of one-minute files) is projected on a
    // worker and shows a moment later; a later call or a clear supersedes it.
    void setTripContext(const std::vector<Track> &parts);
    static constexpr std::size_t kInlineTripPoints = 20000;
    bool hasTrip() const { return !m_trip.points.empty(); }
    std::size_t tripPointCount() const { return m_trip.points.size(); }
    // Blocks until a trip handed to the worker is projected and, when still wanted, shown
    // (for tests and benchmarks: the window itself never waits for it).
    void waitForTrip();

    // The view owns its source; null shows the grid only.
    void setTileSource(std::unique_ptr<TileSource> source);
    TileSource *tileSource() const { return m_source.get(); }
    // OpenStreetMap's standard tiles, or another server of the same URL scheme.
    void useOpenStreetMap(const QString &urlTemplate = QString());
    // Switches to an offline map; on failure the current source stays and *error says why.
    // The file is checked on the calling thread (within a time limit).
    bool useMbtiles(const QString &path, QString *error = nullptr);
    // The same, with the check on another thread: the window never waits for a file.
    // done (may be empty) runs on the GUI thread; a later call supersedes an earlier
    // one that has not finished, whose done then reports false with an empty error.
    void openMbtiles(const QString &path, std::function<void(bool ok, const QString &error)> done = {});

    // Where the map looks and what it shows.
    QGeoCoordinate centerCoordinate() const;
    double zoomLevel() const { return m_zoom; }
    void setCenter(const QGeoCoordinate &center, double zoom);
    QGeoCoordinate markerCoordinate() const; // invalid when there is no marker
    std::optional<std::size_t> markerIndex() const { return m_markerIndex; }
    bool hasRoute() const { return !m_route.points.empty(); }
    std::size_t routePointCount() const { return m_route.points.size(); }
    QPointF screenPosition(const QGeoCoordinate &coordinate) const;
    // The index of the route point at (or within kClickRadius of) a widget position.
    std::optional<std::size_t> routePointAt(const QPointF &pos) const;
    // True when the last paint showed tiles missing for failure (offline, no coverage).
    bool isShowingNotice() const { return m_noticeShown; }

signals:
    void routePointClicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    MapFrame frame() const;
    QPointF toScreen(const QPointF &world) const;
    QPointF toWorld(const QPointF &screen) const;

    Track m_track;
    MapPainter::Route m_route; // world units; NaN for samples without a number
    MapPainter::Route m_trip;
    SampleLookup m_lookup;
    std::optional<std::size_t> m_markerIndex;
    QPointF m_markerWorld;
    QGeoCoordinate m_markerCoordinate;

    QPointF m_center{0.5, 0.4}; // world units
    double m_zoom = 2.0;
    std::unique_ptr<TileSource> m_source;

    QPointF m_pressPos;
    QPointF m_lastDragPos;
    bool m_pressed = false;
    bool m_dragging = false;
    bool m_noticeShown = false;
    quint64 m_openGeneration = 0;
    quint64 m_tripGeneration = 0; // the trip asked for last; a projection of an older one is dropped
    SerialWorker m_worker; // last: it waits for its job before the rest goes
};
