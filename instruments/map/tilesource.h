#pragma once
// Where the map's raster tiles come from. The GUI-side face of a source: an in-memory
// pixmap cache in front of a worker that fetches and decodes tiles on its own thread,
// so that painting never waits for the network or the disk.
#include <QCache>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QThread>

#include "instruments/map/tilekey.h"

class TileWorker;

class TileSource : public QObject {
    Q_OBJECT
public:
    ~TileSource() override;

    virtual QString name() const = 0;
    // How long a source's going waits for its worker before leaving it to end alone.
    static constexpr int kStopWaitMs = 1000;
    // Shown on the map whenever this source's tiles are.
    QString attribution() const { return m_attribution; }
    int minZoom() const { return m_minZoom; }
    int maxZoom() const { return m_maxZoom; }

    // The decoded tile if it is in memory, else a null pixmap.
    QPixmap cachedTile(const TileKey &key) const;
    // True when the last attempt to fetch key failed. It is tried again when asked for
    // no sooner than the retry delay (kRetryAfterMs) after the failure.
    bool hasFailed(const TileKey &key) const { return m_failedAt.contains(key); }
    // The tiles on screen now, most important first. The missing ones are fetched;
    // earlier requests not started yet are dropped.
    void requestTiles(const QList<TileKey> &keys);

    static constexpr int kRetryAfterMs = 30000;
    void setRetryDelay(int ms) { m_retryAfterMs = ms; }

signals:
    // A tile arrived or failed; the view repaints.
    void tilesChanged();

protected:
    // Takes ownership of worker and runs it on a thread of its own.
    TileSource(TileWorker *worker, QObject *parent);
    void setAttribution(const QString &text) { m_attribution = text; }
    void setZoomRange(int minZoom, int maxZoom);

private:
    bool failedRecently(const TileKey &key) const;
    void onLoaded(const TileKey &key, const QImage &image);
    void onFailed(const TileKey &key);

    QThread *m_thread; // may outlive this source, see the destructor
    TileWorker *m_worker = nullptr;
    QCache<TileKey, QPixmap> m_memory;
    QHash<TileKey, qint64> m_failedAt; // ms on m_clock
    QElapsedTimer m_clock;
    QList<TileKey> m_lastSent;
    QString m_attribution;
    int m_minZoom = 0;
    int m_maxZoom = 19;
    int m_retryAfterMs = kRetryAfterMs;
};
