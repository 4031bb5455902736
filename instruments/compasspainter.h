#pragma once
// How the compass looks, wherever it is drawn: the north-up dial with the pointer
// turned to a heading. The window's CompassView (which animates the turn) and the
// dashboard renderer both draw through here.
#include <QRectF>
#include <QString>

struct DashboardState;
class QPainter;

// Heading from the earlier to the later position, in this instrument's own angle
// convention: 270 minus the compass heading (north 270, south 90, west 0, east -180).
// Degrees of latitude and longitude count as equal units.
float getAngle(float lat1, float lon1, float lat2, float lon2);

namespace CompassPainter {
inline const QString kDialPicture = QStringLiteral("指南针");
inline const QString kPointerPicture = QStringLiteral("指南针指针");

// Where the pointer turns: the square of the box's height, in the middle of a box wider
// than tall (where the dial, scaled to fit, has its centre); relative to the box.
QRectF pointerFrame(const QSizeF &box);
// The pointer picture points west at rest; a rotation of -angle (clockwise positive on
// screen) points it along the direction of travel on the north-up dial.
double rotationFor(float angle);

// rotation in radians, clockwise on screen.
void paint(QPainter &p, const QRectF &box, double rotation);
// The pointer where the compass stands at the state's second (at rest without a heading).
void paint(QPainter &p, const QRectF &box, const DashboardState &state);
} // namespace CompassPainter
