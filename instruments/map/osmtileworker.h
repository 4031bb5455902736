#pragma once
// Downloads tiles for OsmTileSource on its thread (see there).
#include <QHash>
#include <QPointer>

#include "instruments/map/tileworker.h"

class QNetworkAccessManager;
class QNetworkReply;
class TileDiskCache;

class OsmTileWorker : public TileWorker {
    Q_OBJECT
public:
    OsmTileWorker(QString urlTemplate, QString cacheDirectory);

    static constexpr int kTransferTimeoutMs = 15000; // without a byte
    static constexpr int kDeadlineMs = 20000;        // for the whole tile
    static constexpr qint64 kDiskCacheBytes = 256LL * 1024 * 1024;

protected:
    void setUp() override;
    void fetch(const TileKey &key) override;

private:
    void finished(QNetworkReply *reply, const TileKey &key);
    QImage staleCopy(const QUrl &url) const;

    QString m_urlTemplate;
    QString m_cacheDirectory;
    QNetworkAccessManager *m_nam = nullptr;
    TileDiskCache *m_cache = nullptr;
};
