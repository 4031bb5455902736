#pragma once
// Block read-ahead for reading a recording over HTTP.
// The scanner reads a recording in many small pieces (an 8-byte atom header here, a
// table there); sent one by one, each piece costs a round trip. This cache fetches whole
// aligned blocks instead, runs of missing blocks in one request, and keeps a bounded
// number of them, so that an atom walk costs a handful of requests.
#include <QByteArray>
#include <QtGlobal>

#include <functional>
#include <map>
#include <optional>

class ReadAheadCache {
public:
    // Fetches length bytes at offset; fewer at the end of the recording; none on failure.
    using Fetch = std::function<std::optional<QByteArray>(qint64 offset, qint64 length)>;

    explicit ReadAheadCache(qint64 blockSize = 64 * 1024, int maxBlocks = 32);

    // Forgets every block; a new recording of the given length follows.
    void reset(qint64 fileLength);
    // Copies at most length bytes at offset into buffer. Returns the number copied: 0 at or
    // past the end, fewer than asked when a fetch failed part-way, -1 when nothing could be read.
    qint64 read(char *buffer, qint64 offset, qint64 length, const Fetch &fetch);

    int cachedBlocks() const { return int(m_blocks.size()); }
    qint64 blockSize() const { return m_blockSize; }

private:
    struct Block {
        QByteArray data;
        quint64 lastUse = 0;
    };
    bool fill(qint64 first, qint64 last, const Fetch &fetch);
    void evict(qint64 keepFirst, qint64 keepLast);

    const qint64 m_blockSize;
    const int m_maxBlocks;
    qint64 m_fileLength = 0;
    quint64 m_clock = 0;
    std::map<qint64, Block> m_blocks;
};
