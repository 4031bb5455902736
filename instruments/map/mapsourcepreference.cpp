#include "instruments/map/mapsourcepreference.h"

#include <QSettings>

#include "instruments/map/gpsmapview.h"

namespace {
const QString kPrefix = QStringLiteral("mbtiles:");
}

namespace MapSourcePreference {

QString stored() { return QSettings().value(QString::fromLatin1(kMapSource)).toString(); }

bool storedIsMbtiles() { return stored().startsWith(kPrefix) && stored().size() > kPrefix.size(); }

QString storedMbtilesPath() { return storedIsMbtiles() ? stored().mid(kPrefix.size()) : QString(); }

void storeOpenStreetMap() { QSettings().setValue(QString::fromLatin1(kMapSource), QStringLiteral("osm")); }

void storeMbtiles(const QString &path) { QSettings().setValue(QString::fromLatin1(kMapSource), kPrefix + path); }

bool apply(GpsMapView *map, QString *error)
{
    if (storedIsMbtiles()) {
        if (map->useMbtiles(storedMbtilesPath(), error))
            return true;
        map->useOpenStreetMap();
        return false;
    }
    map->useOpenStreetMap();
    return true;
}

} // namespace MapSourcePreference
