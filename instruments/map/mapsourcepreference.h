#pragma once
// The user's choice of map source, kept across runs under "kMapSource":
// "osm" (or nothing) for OpenStreetMap, "mbtiles:<path>" for an offline map file.
#include <QString>

class GpsMapView;

inline constexpr char kMapSource[] = "kMapSource";

namespace MapSourcePreference {
QString stored();
bool storedIsMbtiles();
QString storedMbtilesPath(); // empty unless an offline map is chosen
void storeOpenStreetMap();
void storeMbtiles(const QString &path);

// Gives map the stored source. An offline map that cannot be opened any more (moved,
// damaged) falls back to OpenStreetMap, keeps the stored choice and returns false.
bool apply(GpsMapView *map, QString *error = nullptr);
} // namespace MapSourcePreference
