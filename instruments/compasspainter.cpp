#include "instruments/compasspainter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "instruments/dashboardstate.h"
#include "instruments/picturecache.h"

float getAngle(float lat1, float lon1, float lat2, float lon2)
{
    const float dA = lat1 - lat2;
    const float dB = lon1 - lon2;
    if (dA == 0)
        return dB > 0 ? 0.0f : -180.0f; // standing still reads as east
    const float ratio = std::fabs(dB) / std::fabs(dA);
    const double g = std::atan(double(ratio)) * 180.0 / 3.141592653589793;
    double r;
    if (dA > 0)
        r = dB < 0 ? g + 90.0 : 90.0 - g;
    else
        r = dB < 0 ? 270.0 - g : g + 270.0;
    return float(r);
}

QRectF CompassPainter::pointerFrame(const QSizeF &box)
{
    // Whole pixels, as the pointer's own view had them.
    const int w = int(box.width()), h = int(box.height());
    return QRectF(std::max(0, (w - h) / 2), 0, h, h);
}

double CompassPainter::rotationFor(float angle) { return -double(angle) * M_PI / 180.0; }

void CompassPainter::paint(QPainter &p, const QRectF &box, double rotation)
{
    // The dial sits one pixel left of the box, as it always has.
    PictureCache::paintFitted(p, kDialPicture, box.translated(-1, 0));
    PictureCache::paintFitted(p, kPointerPicture, pointerFrame(box.size()).translated(box.topLeft()), rotation);
}

void CompassPainter::paint(QPainter &p, const QRectF &box, const DashboardState &state)
{
    paint(p, box, state.compassAngle ? rotationFor(*state.compassAngle) : 0.0);
}
