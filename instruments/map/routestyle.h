#pragma once
// How the route map draws a route: stretches coloured by the speed driven there, a small
// legend in the chosen unit, and start and end markers. Town speeds are the classic
// green; slower turns blue, faster yellow, orange and red.
#include <QColor>
#include <QPointF>
#include <QString>
#include <vector>

class QPainter;
class QRectF;

namespace RouteStyle {

// The colour of a speed in km/h; mph chooses the mph stops (0, 20, 30, 50, 70, 90 mph
// instead of 0, 30, 50, 80, 110, 140 km/h), so the legend reads in round numbers.
QColor speedColour(double kmh, bool mph);
// The stops of the scale in the unit: where each colour of the legend sits.
std::vector<double> stops(bool mph);

// Strokes the route given in widget coordinates, each stretch in the colour of the mean
// speed of its two ends (km/h). Only stretches that touch `visible` are drawn. With
// `faded`, the colours are pale (the other recordings of a trip); `width` in pixels;
// `mph` places the colour bands at the mph stops, as the legend shows them.
void paintSpeedRoute(QPainter &p, const std::vector<QPointF> &points, const std::vector<double> &speedsKmh,
                     const QRectF &visible, double width, bool faded, bool mph);
// Cuts the segment a-b to the rectangle; false when it misses it. Long strokes towards
// an absurd sample are cut before they reach the stroker, which would fill them for minutes.
bool clipSegment(QPointF &a, QPointF &b, const QRectF &r);
// A white-ringed disc: green for the start, chequered black for the end.
void paintStartMarker(QPainter &p, const QPointF &at);
void paintEndMarker(QPainter &p, const QPointF &at);
// The legend in the lower left corner of `area`: a colour bar with the unit's speeds.
void paintLegend(QPainter &p, const QRectF &area, bool mph, const QString &unitText);

} // namespace RouteStyle
