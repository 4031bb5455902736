#pragma once
// Raster tiles from a web tile server by URL template ("{z}", "{x}", "{y}"),
// OpenStreetMap's standard tiles by default. Downloads name the application in their
// User-Agent, run at most two at a time, go through a disk cache under the user's
// cache directory and are tried again no sooner than half a minute after a failure.
#include "instruments/map/tilesource.h"

class OsmTileSource : public TileSource {
    Q_OBJECT
public:
    static constexpr char kDefaultUrlTemplate[] = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
    static constexpr int kMaxParallel = 2;

    // An empty cacheDirectory means "<cache location>/tiles/<host>".
    explicit OsmTileSource(const QString &urlTemplate = QString::fromLatin1(kDefaultUrlTemplate),
                           const QString &cacheDirectory = QString(), QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("OpenStreetMap"); }
    QString urlTemplate() const { return m_urlTemplate; }
    QString cacheDirectory() const { return m_cacheDirectory; }

    static QString defaultCacheDirectory(const QString &urlTemplate);
    static QByteArray userAgent();
    static QUrl tileUrl(const QString &urlTemplate, const TileKey &key);

private:
    QString m_urlTemplate;
    QString m_cacheDirectory;
};
