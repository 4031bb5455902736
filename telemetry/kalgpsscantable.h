// Shared helpers of the container scanners: table reads.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "telemetry/kalgpsbytes.h"
#include "telemetry/kalgpsreader.h"

// Reads a table of `bytes` bytes at offset in pieces (so a hostile size costs no memory) and
// calls fn(entry) for each whole entry of entrySize bytes. Entries past the end of the
// recording are not visited. Returns false when the read failed (nothing could be read, an
// empty table, or no memory), which callers treat as the failed read of the whole table.
template <typename Fn>
bool kalGpsReadTable(KalGpsFile* file, int64_t offset, uint64_t bytes, uint32_t entrySize, Fn fn)
{
    constexpr uint32_t kChunkEntries = 4096;
    // A table never reaches past the end of the recording, whatever its size field says: the
    // buffer (and the bytes cleared for each read) stay as small as the table really is.
    int64_t length = GetFileLength(file);
    // (A last entry cut by the end is still visited, its missing bytes read as zero.)
    if (length > 0 && offset >= 0) {
        uint64_t left = offset < length ? uint64_t(length - offset) : 0;
        bytes = std::min<uint64_t>(bytes, (left + entrySize - 1) / entrySize * entrySize);
    }
    uint64_t entries = bytes / entrySize;
    if (bytes == 0 || offset < 0)
        return false;
    uint32_t chunk = entrySize * kChunkEntries;
    auto* buf = static_cast<unsigned char*>(std::malloc(size_t(std::min<uint64_t>(chunk, bytes))));
    if (!buf)
        return false;
    bool readAny = false;
    // A table shorter than one entry is still read (and then has no entry to visit).
    uint64_t done = 0;
    do {
        uint64_t left = entries - done;
        uint32_t want = left ? uint32_t(std::min<uint64_t>(left, kChunkEntries)) * entrySize
                             : uint32_t(std::min<uint64_t>(bytes, chunk));
        int64_t n = ReadData(buf, offset + int64_t(done * entrySize), want, file);
        if (n <= 0)
            break;
        readAny = true;
        uint64_t whole = std::min<uint64_t>(want / entrySize, (uint64_t(n) + entrySize - 1) / entrySize);
        for (uint64_t i = 0; i < whole; ++i)
            fn(buf + i * entrySize);
        done += whole;
        if (uint64_t(n) < want)
            break;
    } while (done < entries);
    std::free(buf);
    return readAny;
}
