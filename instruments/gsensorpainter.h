#pragma once
// How the G-sensor panel looks, wherever it is drawn: a thin frame, the three readings
// of the current second in their curves' colours, the three axes of the whole track as
// curves across the waveform's width, harsh-event ticks and the cursor. The window's
// GsensorStateView/HearBitView and the dashboard renderer both draw through here.
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QVector>

#include "widgets/timelinemark.h"

struct DashboardState;
class QPainter;

namespace GsensorPainter {
inline QColor colorX() { return QColor(215, 240, 241); }
inline QColor colorY() { return QColor(221, 32, 43); }
inline QColor colorZ() { return QColor(33, 219, 56); }

// Free margins around the waveform: 30 on the left, 22 above and below.
QRectF waveformFrame(const QSizeF &panel);
// The strip above the waveform, one third of it per reading (X, Y, Z).
QRectF labelFrame(const QSizeF &panel, int axis);
QFont labelFont();
// "X:0.0123" (four decimals, independent of the locale).
QString labelText(char axis, double reading);

// Height above the waveform's bottom edge (y up) of a reading: -2 at the bottom, +2 at
// the top.
float heightOf(double reading, double waveHeight);

// The panel's frame line: light grey, half transparent, half a pixel.
void paintFrame(QPainter &p, const QRectF &panel);
void paintLabels(QPainter &p, const QRectF &panel, double x, double y, double z);
// The curves from heights (y up) within `wave`, sample i at i * marginX; Z lies on top.
void paintCurves(QPainter &p, const QRectF &wave, const QVector<float> &x, const QVector<float> &y,
                 const QVector<float> &z, double marginX);
void paintMarks(QPainter &p, const QRectF &wave, const TimelineMarks &marks);
// x within the wave, clamped inside it.
void paintCursor(QPainter &p, const QRectF &wave, double x);

// The whole panel for the state: the readings of its sample (0 before one), the curves
// of its track, its harsh events and the cursor at its sample.
void paint(QPainter &p, const QRectF &panel, const DashboardState &state);
} // namespace GsensorPainter
