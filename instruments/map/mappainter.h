#pragma once
// How the route map looks, wherever it is drawn: tiles (or the light grid where none
// is at hand), the route coloured by speed with start and end markers, the pin at the
// current sample, the legend, the attribution and the offline notice. The window's
// GpsMapView and the dashboard renderer both draw through here. Painting never waits:
// it draws the tiles already in memory and, when asked to, requests the missing ones.
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <vector>

#include "track/gpsitem.h"

struct DashboardState;
class QPainter;
class TileSource;

// Where the map looks: the centre in world units and the zoom, drawn into `box`.
struct MapFrame {
    QPointF center{0.5, 0.4};
    double zoom = 2.0;
    QRectF box;

    QPointF toScreen(const QPointF &world) const;
    QPointF toWorld(const QPointF &screen) const;
};

namespace MapPainter {
inline constexpr double kSpanDegrees = 0.01;
inline constexpr double kRouteWidth = 3.0;
inline constexpr double kMinZoom = 1.0;
inline constexpr double kMaxZoom = 19.0;

// A route in world units with the speed (km/h) at each point; NaN where a sample's
// position holds no number. A whole day's trip is tens of thousands of points: `bounds`
// holds the world bounds of each run of kChunk points (with the step on to the next run),
// so that painting looks only at the runs in view.
struct Route {
    static constexpr std::size_t kChunk = 128;
    std::vector<QPointF> points;
    std::vector<double> speeds;
    std::vector<QRectF> bounds; // empty rect: a run without a finite step
};
// Appends every sample of the track, even ones a tick would refuse: the projection
// clamps what lies beyond its reach.
void appendTrack(Route &route, const Track &track);
// The route through the runs that touch `visible` (screen), in screen coordinates, with
// points closer than `minStep` pixels to the last one kept left out (the last point of a
// run always stays) and a NaN point where runs not drawn lie between. Every stretch of the
// route in view is still drawn, to within minStep; the colours are the kept points' speeds.
void screenRoute(const MapFrame &frame, const Route &route, const QRectF &visible, double minStep,
                 std::vector<QPointF> *points, std::vector<double> *speeds);
bool isValidPosition(double lat, double lon);

// Background and tiles; true when tiles are missing for failure (offline, no coverage).
// With `request`, the missing tiles of the view are asked for, nearest the centre first.
bool paintTiles(QPainter &p, const MapFrame &frame, TileSource *source, bool request);
// The recording's route; with a trip, the trip pale beneath it and the recording bold.
void paintRoute(QPainter &p, const MapFrame &frame, const Route &route, const Route &trip, bool mph);
// A red pin whose tip marks the position.
void paintMarker(QPainter &p, const QPointF &tip);
// Legend (when there is a route), the source's attribution and the notice.
void paintOverlays(QPainter &p, const QRectF &box, const QFont &font, bool hasRoute, bool mph,
                   const TileSource *source, bool notice);

// The map as the window shows it at the state's second: centred on the sample with the
// span of 0.01 degree, or, before the first sample, on the whole route. Only tiles
// already in memory are drawn, the grid elsewhere.
void paint(QPainter &p, const QRectF &box, const DashboardState &state, TileSource *cachedTiles = nullptr);
} // namespace MapPainter
