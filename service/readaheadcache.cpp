#include "service/readaheadcache.h"

#include <algorithm>
#include <cstring>

ReadAheadCache::ReadAheadCache(qint64 blockSize, int maxBlocks)
    : m_blockSize(std::max<qint64>(blockSize, 1)), m_maxBlocks(std::max(maxBlocks, 1))
{
}

void ReadAheadCache::reset(qint64 fileLength)
{
    m_blocks.clear();
    m_fileLength = std::max<qint64>(fileLength, 0);
}

qint64 ReadAheadCache::read(char *buffer, qint64 offset, qint64 length, const Fetch &fetch)
{
    if (!buffer || offset < 0 || length <= 0)
        return -1;
    if (offset >= m_fileLength)
        return 0;
    const qint64 end = std::min(m_fileLength, offset + length);
    const qint64 first = offset / m_blockSize;
    const qint64 last = (end - 1) / m_blockSize;

    // A read wider than the whole cache would only flush it: pass it through.
    if (last - first + 1 > m_maxBlocks) {
        const std::optional<QByteArray> bytes = fetch(offset, end - offset);
        if (!bytes)
            return -1;
        const qint64 n = std::min<qint64>(bytes->size(), end - offset);
        std::memcpy(buffer, bytes->constData(), size_t(n));
        return n;
    }

    const bool complete = fill(first, last, fetch);
    qint64 copied = 0;
    for (qint64 b = first; b <= last; ++b) {
        const auto it = m_blocks.find(b);
        if (it == m_blocks.end())
            break;
        it->second.lastUse = ++m_clock;
        const qint64 blockStart = b * m_blockSize;
        const qint64 from = std::max(offset, blockStart) - blockStart;
        const qint64 to = std::min(end - blockStart, qint64(it->second.data.size()));
        if (to <= from)
            break;
        std::memcpy(buffer + copied, it->second.data.constData() + from, size_t(to - from));
        copied += to - from;
    }
    evict(first, last);
    if (copied == 0 && !complete)
        return -1;
    return copied;
}

bool ReadAheadCache::fill(qint64 first, qint64 last, const Fetch &fetch)
{
    for (qint64 b = first; b <= last;) {
        if (m_blocks.count(b)) {
            ++b;
            continue;
        }
        qint64 runEnd = b;
        while (runEnd + 1 <= last && !m_blocks.count(runEnd + 1))
            ++runEnd;
        const qint64 start = b * m_blockSize;
        const qint64 stop = std::min(m_fileLength, (runEnd + 1) * m_blockSize);
        const std::optional<QByteArray> bytes = fetch(start, stop - start);
        if (!bytes)
            return false;
        // Only whole blocks are kept: a short reply must not pass for the recording's end.
        for (qint64 k = b; k <= runEnd; ++k) {
            const qint64 at = (k - b) * m_blockSize;
            const qint64 expected = std::min(m_blockSize, m_fileLength - k * m_blockSize);
            if (bytes->size() - at < expected)
                return false;
            m_blocks[k] = Block{bytes->mid(at, expected), 0};
        }
        b = runEnd + 1;
    }
    return true;
}

void ReadAheadCache::evict(qint64 keepFirst, qint64 keepLast)
{
    while (int(m_blocks.size()) > m_maxBlocks) {
        auto oldest = m_blocks.end();
        for (auto it = m_blocks.begin(); it != m_blocks.end(); ++it) {
            if (it->first >= keepFirst && it->first <= keepLast)
                continue;
            if (oldest == m_blocks.end() || it->second.lastUse < oldest->second.lastUse)
                oldest = it;
        }
        if (oldest == m_blocks.end())
            return;
        m_blocks.erase(oldest);
    }
}
