#include "instruments/map/osmtilesource.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QUrl>

#include "instruments/map/osmtileworker.h"

#ifndef TRAVA_VERSION
#define TRAVA_VERSION "1.0.0"
#endif

OsmTileSource::OsmTileSource(const QString &urlTemplate, const QString &cacheDirectory, QObject *parent)
    : TileSource(new OsmTileWorker(urlTemplate,
                                   cacheDirectory.isEmpty() ? defaultCacheDirectory(urlTemplate) : cacheDirectory),
                 parent),
      m_urlTemplate(urlTemplate),
      m_cacheDirectory(cacheDirectory.isEmpty() ? defaultCacheDirectory(urlTemplate) : cacheDirectory)
{
    setAttribution(QStringLiteral("© OpenStreetMap contributors"));
    setZoomRange(0, 19);
}

QString OsmTileSource::defaultCacheDirectory(const QString &urlTemplate)
{
    QString host = QUrl(urlTemplate).host();
    if (host.isEmpty())
        host = QStringLiteral("default");
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .filePath(QStringLiteral("tiles/") + host);
}

QByteArray OsmTileSource::userAgent()
{
    QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty())
        version = QStringLiteral(TRAVA_VERSION);
    return "TravaPlayer/" + version.toUtf8();
}

QUrl OsmTileSource::tileUrl(const QString &urlTemplate, const TileKey &key)
{
    QString text = urlTemplate;
    text.replace(QLatin1String("{z}"), QString::number(key.z));
    text.replace(QLatin1String("{x}"), QString::number(key.x));
    text.replace(QLatin1String("{y}"), QString::number(key.y));
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return {};
    return url;
}
