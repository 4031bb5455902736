#include "instruments/map/osmtileworker.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "instruments/map/osmtilesource.h"
#include "instruments/map/tilediskcache.h"

OsmTileWorker::OsmTileWorker(QString urlTemplate, QString cacheDirectory)
    : TileWorker(OsmTileSource::kMaxParallel), m_urlTemplate(std::move(urlTemplate)),
      m_cacheDirectory(std::move(cacheDirectory))
{
}

void OsmTileWorker::setUp()
{
    m_nam = new QNetworkAccessManager(this);
    m_cache = new TileDiskCache(this);
    m_cache->setCacheDirectory(m_cacheDirectory);
    m_cache->setMaximumCacheSize(kDiskCacheBytes);
    m_nam->setCache(m_cache);
}

void OsmTileWorker::fetch(const TileKey &key)
{
    const QUrl url = OsmTileSource::tileUrl(m_urlTemplate, key);
    if (!url.isValid()) {
        done(key, {});
        return;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, OsmTileSource::userAgent());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, true);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(kTransferTimeoutMs);
    QNetworkReply *reply = m_nam->get(request);
    // Past this much unread, Qt stops taking data from the connection (and the cap
    // below has already ended the reply).
    reply->setReadBufferSize(kMaxTileBytes + 64 * 1024);
    // Silence is caught by the transfer time-out; a trickle by the deadline, and a flood
    // by the size cap: neither may hold a download slot or fill memory.
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [reply] {
        reply->setProperty("travaAborted", QStringLiteral("no complete tile in time"));
        reply->abort();
    });
    deadline->start(kDeadlineMs);
    connect(reply, &QNetworkReply::readyRead, reply, [reply] {
        const qint64 declared = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (declared > kMaxTileBytes || reply->bytesAvailable() > kMaxTileBytes) {
            reply->setProperty("travaAborted", QStringLiteral("tile too large"));
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, key] { finished(reply, key); });
}

void OsmTileWorker::finished(QNetworkReply *reply, const TileKey &key)
{
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString aborted = reply->property("travaAborted").toString();
    if (!aborted.isEmpty()) {
        qDebug() << "map tile" << key.toString() << "refused:" << aborted;
        done(key, {});
        return;
    }
    if (reply->error() == QNetworkReply::NoError && (status == 0 || (status >= 200 && status < 400))) {
        const QImage image = decode(reply->read(kMaxTileBytes + 1));
        if (!image.isNull()) {
            done(key, image);
            return;
        }
        qDebug() << "map tile" << key.toString() << "is not a picture";
    } else {
        qDebug() << "map tile" << key.toString() << "failed:" << reply->errorString();
    }
    // Offline with an outdated copy on disk: an old map beats none.
    done(key, staleCopy(reply->request().url()));
}

QImage OsmTileWorker::staleCopy(const QUrl &url) const
{
    QIODevice *device = m_cache->data(url);
    if (!device)
        return {};
    const QImage image = decode(device->read(kMaxTileBytes + 1));
    delete device;
    return image;
}
