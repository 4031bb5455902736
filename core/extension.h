#pragma once
// Frame shortcuts for widgets, in the y-up convention the layout numbers are written in:
// y is the distance from the bottom edge of the parent (for a window: of the screen's
// available area) to the bottom edge of the widget. A widget at the top of a parent of
// height H with height h therefore has y == H - h. x, width and height are Qt's own.
//
// Every setter replaces one component of the frame and keeps the others; in y-up terms a
// height change keeps the bottom edge where it is.
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

class QWidget;

namespace Extension {
int x(const QWidget *w);
int y(const QWidget *w);
int width(const QWidget *w);
int height(const QWidget *w);
QPoint origin(const QWidget *w); // (x, y) in y-up terms
QSize size(const QWidget *w);

void setX(QWidget *w, int x);
void setY(QWidget *w, int y);
void setWidth(QWidget *w, int width);
void setHeight(QWidget *w, int height);
void setOrigin(QWidget *w, const QPoint &origin);
void setSize(QWidget *w, const QSize &size);

// Widgets have no layer to rotate about; the anchor is kept as the widget property
// "anchorPoint" (fractions of the size, (0.5, 0.5) = centre) for views that rotate their
// own painting, and the frame is left where it is.
void setAnchorPoint(QWidget *w, const QPointF &anchor);
QPointF anchorPoint(const QWidget *w); // (0, 0) unless set

// Height of the space the widget's y is measured in (parent height, or the available
// screen height for a window).
int containerHeight(const QWidget *w);
} // namespace Extension
