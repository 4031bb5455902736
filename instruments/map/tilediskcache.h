#pragma once
// The disk cache of downloaded tiles. Responses keep the lifetime their HTTP headers
// give (Cache-Control max-age, Expires); a tile that came without one is kept fresh
// for a week, as tile servers ask of their users, instead of being fetched again on
// every view.
#include <QNetworkDiskCache>

class TileDiskCache : public QNetworkDiskCache {
    Q_OBJECT
public:
    static constexpr qint64 kDefaultLifetimeSecs = 7 * 24 * 3600;

    explicit TileDiskCache(QObject *parent = nullptr) : QNetworkDiskCache(parent) {}

    QIODevice *prepare(const QNetworkCacheMetaData &metaData) override;
    void updateMetaData(const QNetworkCacheMetaData &metaData) override;

    static QNetworkCacheMetaData withDefaultLifetime(QNetworkCacheMetaData metaData);
};
