#include "instruments/map/tilesource.h"
#include "core/logging.h"

#include "instruments/map/tileworker.h"

#include <QDebug>
#include <QDeadlineTimer>

namespace {
// Cost unit: kilobytes of pixels. 48 MB holds a few screens of 256 px tiles.
constexpr int kMemoryBudgetKb = 48 * 1024;

int imageCostKb(const QPixmap &p) { return qMax(1, int(qint64(p.width()) * p.height() * 4 / 1024)); }
} // namespace

TileSource::TileSource(TileWorker *worker, QObject *parent)
    : QObject(parent), m_thread(new QThread), m_worker(worker), m_memory(kMemoryBudgetKb)
{
    qRegisterMetaType<TileKey>();
    qRegisterMetaType<QList<TileKey>>();
    m_clock.start();
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_worker, &TileWorker::begin);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &TileWorker::loaded, this, &TileSource::onLoaded, Qt::QueuedConnection);
    connect(m_worker, &TileWorker::failed, this, &TileSource::onFailed, Qt::QueuedConnection);
    m_thread->setObjectName(QStringLiteral("map tiles"));
    m_thread->start(QThread::LowPriority);
}

TileSource::~TileSource()
{
    m_worker->stop();
    m_thread->quit();
    if (m_thread->wait(QDeadlineTimer(kStopWaitMs))) {
        delete m_thread;
        return;
    }
    // A worker stuck beyond its own limits must not hang the map (or quitting): it is
    // left to end on its own and cleans up after itself then.
    qCWarning(lcMap) << "map tiles: worker did not stop in time; left to end on its own";
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
}

void TileSource::setZoomRange(int minZoom, int maxZoom)
{
    m_minZoom = qBound(0, minZoom, 22);
    m_maxZoom = qBound(m_minZoom, maxZoom, 22);
}

QPixmap TileSource::cachedTile(const TileKey &key) const
{
    if (const QPixmap *p = m_memory.object(key))
        return *p;
    return {};
}

bool TileSource::failedRecently(const TileKey &key) const
{
    const auto it = m_failedAt.constFind(key);
    return it != m_failedAt.cend() && m_clock.elapsed() - it.value() < m_retryAfterMs;
}

void TileSource::requestTiles(const QList<TileKey> &keys)
{
    QList<TileKey> missing;
    missing.reserve(keys.size());
    for (const TileKey &k : keys) {
        if (k.z < m_minZoom || k.z > m_maxZoom || !k.isValid())
            continue;
        if (m_memory.contains(k) || failedRecently(k))
            continue;
        missing.append(k);
    }
    if (missing == m_lastSent)
        return;
    m_lastSent = missing;
    QMetaObject::invokeMethod(m_worker, "setWanted", Qt::QueuedConnection, Q_ARG(QList<TileKey>, missing));
}

void TileSource::onLoaded(const TileKey &key, const QImage &image)
{
    auto *pixmap = new QPixmap(QPixmap::fromImage(image));
    // A picture the cache refuses (it deletes it) would be asked for again at every
    // repaint: it counts as failed instead, and is retried only after the delay.
    if (!m_memory.insert(key, pixmap, imageCostKb(*pixmap))) {
        onFailed(key);
        return;
    }
    m_failedAt.remove(key);
    m_lastSent.removeAll(key);
    emit tilesChanged();
}

void TileSource::onFailed(const TileKey &key)
{
    m_failedAt.insert(key, m_clock.elapsed());
    m_lastSent.removeAll(key);
    emit tilesChanged();
}
