#pragma once
// The part of a tile source that runs on the source's own thread: it keeps the queue
// of tiles the view wants now, starts at most maxParallel fetches at a time and reports
// each tile decoded (or failed). Tiles that left the queue before they were started are
// never fetched: only what is on screen is loaded.
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>

#include "instruments/map/tilekey.h"

class TileWorker : public QObject {
    Q_OBJECT
public:
    // Tiles are 256 px (512 px on high-density servers); their files a few kilobytes.
    static constexpr int kMaxTilePixels = 512;
    static constexpr qint64 kMaxTileBytes = 2 * 1024 * 1024;

    // The picture formats a tile may be in. Web tiles and .mbtiles files hold PNG or JPEG
    // (WebP where the file says so); nothing else is ever decoded: an SVG "tile" can
    // embed pictures of any size or name local files (a FIFO blocks the reader for good),
    // and other formats' readers are attack surface a tile has no need of.
    enum Format { Png = 1, Jpeg = 2, WebP = 4 };
    static constexpr int kWebFormats = Png | Jpeg;

    // The format bytes are in, by their magic number; 0 when none of the above.
    static Format sniff(const QByteArray &bytes);
    // Decodes a tile's bytes into a picture ready for fast drawing, with the reader of the
    // sniffed format only; null when not one of formats, undecodable, larger than
    // kMaxTileBytes or claiming more than kMaxTilePixels on a side.
    static QImage decode(const QByteArray &bytes, int formats = kWebFormats);

    explicit TileWorker(int maxParallel) : m_maxParallel(maxParallel < 1 ? 1 : maxParallel) {}

    // Runs on the worker thread once it has started, before the first fetch.
    virtual void setUp() {}
    // Called from another thread when the source goes: end a fetch under way soon.
    virtual void stop() {}

public slots:
    // Replaces the queue; tiles already being fetched run to their end.
    void setWanted(const QList<TileKey> &keys);
    void begin();

signals:
    void loaded(const TileKey &key, const QImage &image);
    void failed(const TileKey &key);

protected:
    // Starts fetching key; the worker must call done() for it exactly once, now or later.
    virtual void fetch(const TileKey &key) = 0;
    // Reports a fetch as ended: a null image means the tile could not be had.
    void done(const TileKey &key, const QImage &image);

private:
    void pump();
    void schedulePump();

    QList<TileKey> m_queue;
    QSet<TileKey> m_inFlight;
    int m_maxParallel;
    bool m_ready = false;
    bool m_pumpScheduled = false;
};
