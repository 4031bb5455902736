#include "instruments/map/tileworker.h"

#include <QBuffer>
#include <QImageReader>
#include <QTimer>

void TileWorker::begin()
{
    setUp();
    m_ready = true;
    schedulePump();
}

void TileWorker::setWanted(const QList<TileKey> &keys)
{
    m_queue.clear();
    for (const TileKey &k : keys)
        if (k.isValid() && !m_inFlight.contains(k) && !m_queue.contains(k))
            m_queue.append(k);
    schedulePump();
}

void TileWorker::done(const TileKey &key, const QImage &image)
{
    m_inFlight.remove(key);
    if (image.isNull())
        emit failed(key);
    else
        emit loaded(key, image);
    schedulePump();
}

TileWorker::Format TileWorker::sniff(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return Png;
    if (bytes.startsWith("\xff\xd8\xff"))
        return Jpeg;
    if (bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP")
        return WebP;
    return Format(0);
}

QImage TileWorker::decode(const QByteArray &bytes, int formats)
{
    if (bytes.isEmpty() || bytes.size() > kMaxTileBytes)
        return {};
    const Format format = sniff(bytes);
    if (!(format & formats))
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The format is named and never guessed again: no other reader sees the bytes.
    QImageReader reader(&buffer, format == Png ? "png" : format == Jpeg ? "jpeg" : "webp");
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    // The header tells the size; a picture far larger than a tile (a few kilobytes of
    // PNG can claim 4000 x 4000 pixels) is refused before a pixel is decoded.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxTilePixels || size.height() > kMaxTilePixels)
        return {};
    QImage image;
    if (!reader.read(&image) || image.width() > kMaxTilePixels || image.height() > kMaxTilePixels)
        return {};
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Pumping from the event loop rather than from done() keeps a source whose fetches end
// at once (a local file) from recursing, and lets a newer wanted list arrive in between.
void TileWorker::schedulePump()
{
    if (m_pumpScheduled || !m_ready)
        return;
    m_pumpScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_pumpScheduled = false;
        pump();
    });
}

void TileWorker::pump()
{
    while (m_inFlight.size() < m_maxParallel && !m_queue.isEmpty()) {
        const TileKey key = m_queue.takeFirst();
        m_inFlight.insert(key);
        fetch(key);
        if (!m_inFlight.contains(key))
            return; // ended at once; done() has scheduled the next round
    }
}
