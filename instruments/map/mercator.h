#pragma once
// Web Mercator as raster tiles use it, in "world units": the whole world is the unit
// square, x eastwards from longitude -180, y southwards from the top edge (~85.05 N).
// A world unit is 256 * 2^zoom pixels at a given zoom.
#include <QPointF>
#include <QSizeF>
#include <optional>
#include <string_view>

namespace Mercator {
inline constexpr double kTileSize = 256.0;
inline constexpr double kMaxLatitude = 85.0511287798;

// Latitudes beyond the projection's reach are clamped so that absurd samples still
// land on the edge of the map instead of producing infinities.
QPointF project(double latitude, double longitude);
double latitudeOf(double worldY);
double longitudeOf(double worldX);

double worldPixels(double zoom);

// The fractional zoom at which a box of spanDegrees x spanDegrees centred on latitude
// just fits into a view of the given size (what "region that fits" means here).
double zoomForSpan(double latitude, double spanDegrees, QSizeF viewSize);

// The leading decimal number of a text, as samples store positions ("48.137154",
// "-0.5;"): optional white space and sign, digits, fraction, exponent. Locale
// independent. A text without a leading number, or one that overflows, reads as 0.
double readDegrees(std::string_view text);
} // namespace Mercator
