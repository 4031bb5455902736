#pragma once
// The user's choice of map source, kept across runs under "kMapSource":
// "osm" (or nothing) for OpenStreetMap, "mbtiles:<path>" for an offline map file.
#include <QString>
#include <functional>

class GpsMapView;

inline constexpr char kMapSource[] = "kMapSource";

namespace MapSourcePreference {
QString stored();
bool storedIsMbtiles();
QString storedMbtilesPath(); // empty unless an offline map is chosen
void storeOpenStreetMap();
void storeMbtiles(const QString &path);

// Gives map the stored source; an offline map is checked on another thread first, and
// done (may be empty) runs on the GUI thread once the source is set. An offline map that
// cannot be opened any more (moved, damaged, too slow to read) falls back to
// OpenStreetMap, keeps the stored choice and reports false.
void apply(GpsMapView *map, std::function<void(bool ok, const QString &error)> done = {});
} // namespace MapSourcePreference
