#pragma once
// How the read-out strip looks, wherever it is drawn: three dark cards on a grey frame,
// the current speed large in the first, latitude and longitude in the second, top and
// average speed and the distance in the third. The texts are the controller's own label
// texts ("42KMH", "Lat:48.1", "TopSpeed:30.0KMH" ...), unchanged.
#include <QColor>
#include <QRectF>
#include <QString>

#include "instruments/dashboardstate.h"

class QPainter;

namespace ReadoutCards {
inline const QColor kFrame(94, 94, 94);
inline const QColor kCard(49, 49, 49);
inline const QColor kText(240, 242, 244);

// The three cards' boxes within `box` (widths 3 : 4 : 4 after 4-pixel margins and gaps).
QRectF cardFrame(const QRectF &box, int card);

void paint(QPainter &p, const QRectF &box, const DashboardState::Readouts &texts);
inline void paint(QPainter &p, const QRectF &box, const DashboardState &state) { paint(p, box, state.readouts); }

// One dark card with stacked lines, centred as a group; the first card's line is large,
// bold and centred. Also used for the renderer's single read-outs (speed, time, position).
void paintCard(QPainter &p, const QRectF &card, const QStringList &lines, int pixelSize, bool bold, bool centred);
} // namespace ReadoutCards
