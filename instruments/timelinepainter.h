#pragma once
// How the timeline under the picture looks: a band of event marks on top, the speed curve
// (filled) and the G-sensor jolt curve across the stretch on show, faint lines where one
// recording of a trip ends and the next begins, the recordings that do not play dimmed,
// shaded kind stretches, the clip's in and out marks, times along the bottom, and the
// cursor. Everything but the cursor is drawn once per change into a cache.
#include <QColor>
#include <QRectF>
#include <QString>

#include "track/harshevents.h"

class QPainter;
class TimelineModel;
class TimelineRange;

namespace TimelinePainter {
constexpr double kMarkBand = 13;  // event marks above the curves
constexpr double kTimeBand = 13;  // time labels under them

inline QColor background() { return QColor(49, 49, 49); }
inline QColor speedColour() { return QColor(70, 200, 150); }
inline QColor gColour() { return QColor(190, 150, 255); }
inline QColor cursorColour() { return Qt::white; }
inline QColor clipInColour() { return QColor(80, 230, 90); }
inline QColor clipOutColour() { return QColor(255, 120, 60); }
// "event" red, "locked" amber, "parking" blue, any other word grey (all see-through).
QColor kindColour(const QString &kind);

// Where the curves go inside the widget's rect.
QRectF plotRect(const QRectF &all);
// "01:02:03", or "02:03" under an hour.
QString clockText(double seconds);

// Everything but the cursor.
void paintLayer(QPainter &p, const QRectF &all, const TimelineModel &model, const TimelineRange &range);
// A mark whose shape names its kind: brake a triangle down, acceleration up, a turn a
// diamond, an impact a ringed dot; centred at (x, y).
void paintEventMark(QPainter &p, HarshKind kind, double x, double y);
void paintCursor(QPainter &p, const QRectF &all, double x);
} // namespace TimelinePainter
