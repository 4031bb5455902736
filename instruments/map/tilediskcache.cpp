#include "instruments/map/tilediskcache.h"

#include <QDateTime>

QNetworkCacheMetaData TileDiskCache::withDefaultLifetime(QNetworkCacheMetaData metaData)
{
    if (!metaData.expirationDate().isValid())
        metaData.setExpirationDate(QDateTime::currentDateTimeUtc().addSecs(kDefaultLifetimeSecs));
    return metaData;
}

QIODevice *TileDiskCache::prepare(const QNetworkCacheMetaData &metaData)
{
    return QNetworkDiskCache::prepare(withDefaultLifetime(metaData));
}

void TileDiskCache::updateMetaData(const QNetworkCacheMetaData &metaData)
{
    QNetworkDiskCache::updateMetaData(withDefaultLifetime(metaData));
}
