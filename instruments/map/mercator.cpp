#include "instruments/map/mercator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace Mercator {

QPointF project(double latitude, double longitude)
{
    const double lat = std::clamp(latitude, -kMaxLatitude, kMaxLatitude);
    const double x = (longitude + 180.0) / 360.0;
    const double phi = lat * std::numbers::pi / 180.0;
    const double y = 0.5 - std::log(std::tan(std::numbers::pi / 4 + phi / 2)) / (2 * std::numbers::pi);
    return {x, y};
}

double latitudeOf(double worldY)
{
    const double n = std::numbers::pi * (1.0 - 2.0 * worldY);
    return std::atan(std::sinh(n)) * 180.0 / std::numbers::pi;
}

double longitudeOf(double worldX) { return worldX * 360.0 - 180.0; }

double worldPixels(double zoom) { return kTileSize * std::exp2(zoom); }

double zoomForSpan(double latitude, double spanDegrees, QSizeF viewSize)
{
    const double w = std::max(1.0, viewSize.width());
    const double h = std::max(1.0, viewSize.height());
    const double dx = spanDegrees / 360.0;
    const double lat = std::clamp(latitude, -kMaxLatitude + spanDegrees, kMaxLatitude - spanDegrees);
    const double dy = std::abs(project(lat - spanDegrees / 2, 0).y() - project(lat + spanDegrees / 2, 0).y());
    const double zw = std::log2(w / (kTileSize * dx));
    const double zh = dy > 0 ? std::log2(h / (kTileSize * dy)) : zw;
    return std::min(zw, zh);
}

double readDegrees(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // from_chars would accept "inf" and "nan"; a position is digits or nothing.
    if (i >= text.size() || !(std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
        return 0.0;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    (void)ptr;
    if (ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
}

} // namespace Mercator
