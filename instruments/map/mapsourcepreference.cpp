#include "instruments/map/mapsourcepreference.h"

#include <QDebug>
#include <QPointer>
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

void apply(GpsMapView *map, std::function<void(bool, const QString &)> done)
{
    if (!storedIsMbtiles()) {
        map->useOpenStreetMap();
        if (done)
            done(true, QString());
        return;
    }
    // The file is checked away from the window, which shows its grid meanwhile.
    map->setTileSource(nullptr);
    QPointer<GpsMapView> guard(map);
    map->openMbtiles(storedMbtilesPath(), [guard, done](bool ok, const QString &error) {
        if (!ok && guard && !guard->tileSource())
            guard->useOpenStreetMap();
        if (!ok)
            qInfo() << "stored offline map not usable, showing OpenStreetMap:" << error;
        if (done)
            done(ok, error);
    });
}

} // namespace MapSourcePreference
