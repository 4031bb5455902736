#include "telemetry/kalgpsscan.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "telemetry/kalgpsblocks.h"
#include "telemetry/kalgpsscantable.h"

namespace {

bool contains(const char* text, const char* part)
{
    return std::strstr(text, part) != nullptr;
}

void scanText(KalGpsFile* file)
{
    int64_t length = GetFileLength(file);
    if (length <= 0)
        return;
    // The whole file is one buffer for the block decoder; a telemetry text file is small,
    // and a huge one is read no further than a decodable region may reach.
    uint32_t size = uint32_t(std::min<int64_t>(length, kGpsSegmentMaxSize));
    auto* buf = static_cast<unsigned char*>(std::malloc(size));
    if (!buf)
        return;
    if (ReadData(buf, 0, size, file) != 0)
        kalGpsPaserInfo(buf, int32_t(size));
    std::free(buf);
}

void scanTrailerOnly(KalGpsFile* file)
{
    if (int64_t distance = kalGpsSkipPosition(file))
        kalGpsJieLi(file, distance);
}

} // namespace

void kalGpsPaserInit()
{
    KalGpsState& st = kalGpsState();
    list_free_all(st.gpsSegmentHead);
    list_free_all(st.gpsInfoHead);
}

void kalGpsPaserCallBack(KalGpsReadCb callback)
{
    kalGpsState().readcb = callback;
}

void kalGpsPaserExit()
{
    ClearSegmentList();
}

void kalGpsAddSegment(int64_t offset, uint64_t size)
{
    // A size beyond 32 bits can never pass the size rule; keep it failing rather than wrapping.
    uint32_t stored = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(size);
    if (GpsSegment* seg = kalGpsNewSegment(offset, stored))
        list_add_tail(seg, kalGpsState().gpsSegmentHead);
}

void kalGpsAnnounceSegments(KalGpsFile* file)
{
    // Worth it only with several regions; past a bound a hostile table costs no more memory.
    constexpr size_t kMostAnnounced = 1 << 20;
    KalGpsState& st = kalGpsState();
    if (st.fType != 0 || !file || !file->isOpen() || !st.gpsSegmentHead.head || !st.gpsSegmentHead.head->next)
        return;
    std::vector<KalGpsFile::Region> regions;
    for (GpsSegment* s = st.gpsSegmentHead.head; s && regions.size() < kMostAnnounced; s = s->next) {
        if (s->size > 0 && s->size <= kGpsSegmentMaxSize)
            regions.push_back({s->offset, int64_t(s->size)});
    }
    file->announce(std::move(regions));
}

void kalGpsDecodeSegments(KalGpsFile* file, KalGpsRegionDecoder decode)
{
    KalGpsState& st = kalGpsState();
    int64_t length = GetFileLength(file);
    kalGpsAnnounceSegments(file);
    while (GpsSegment* seg = list_pop(st.gpsSegmentHead)) {
        if (!st.abandoned && seg->size > 0 && seg->size <= kGpsSegmentMaxSize && seg->offset >= 0 &&
            seg->offset <= length - int64_t(seg->size)) {
            if (auto* buf = static_cast<unsigned char*>(std::malloc(seg->size))) {
                if (ReadData(buf, seg->offset, seg->size, file) != 0)
                    decode(buf, int32_t(seg->size));
                std::free(buf);
            }
        }
        std::free(seg);
    }
}

int64_t kalGpsSkipPosition(KalGpsFile* file)
{
    int64_t length = GetFileLength(file);
    if (length < 8)
        return 0;
    unsigned char tail[8];
    if (ReadData(tail, length - 8, 8, file) == 0)
        return 0;
    if (std::memcmp(tail, "&&&&", 4) != 0)
        return 0;
    return kalBe32(tail + 4);
}

void kalGpsJieLi(KalGpsFile* file, int64_t distance)
{
    int64_t length = GetFileLength(file);
    int64_t p = length - distance;
    // Headers before the start of the file cannot be read; step over them at once rather than
    // failing one 8-byte read at a time.
    if (p < 0)
        p += (-p + 7) / 8 * 8;
    constexpr uint32_t kChunk = 64 * 1024;
    unsigned char buf[kChunk];
    bool found = false;
    while (!found && p + 154 <= length && kalGpsProgress(p, length)) {
        // Only headers that start at a position the walk would visit, in one read per chunk.
        int64_t last = length - 154;  // last position the walk may look at
        uint32_t want = uint32_t(std::min<int64_t>(kChunk, last - p + 8));
        int64_t n = ReadData(buf, p, want, file);
        if (n < 8 && kalGpsCancelled())
            break;
        if (n < 8) {
            p += 8;
            continue;
        }
        int64_t q = 0;
        for (; q + 8 <= n && p + q <= last; q += 8) {
            const unsigned char* h = buf + q;
            if (std::memcmp(h + 4, "skip", 4) == 0 || std::memcmp(h + 4, "SKIP", 4) == 0) {
                kalGpsAddSegment(p + q, kalBe32(h));
                found = true;
                break;
            }
        }
        p += q;
    }
    kalGpsDecodeSegments(file, kalGpsPaserInfo);
}

void kalGpsScanTs(KalGpsFile* file)
{
    if (int64_t distance = kalGpsSkipPosition(file)) {
        kalGpsJieLi(file, distance);
        return;
    }
    ClearSegmentList();
    int64_t length = GetFileLength(file);
    unsigned char head[3];
    unsigned char payload[178];
    for (int64_t i = 0; i + 188 <= length; i += 188) {
        if (!kalGpsProgress(i, length))
            break;
        if (ReadData(head, i, 3, file) == 0)
            break;
        if (head[0] != 0x47)
            continue;
        bool taken = (head[1] == 0x43 && head[2] == 0x00) || (head[1] == 0x01 && head[2] == 0xE4) ||
                     (head[1] == 0x00 && head[2] == 0x09);
        if (taken && ReadData(payload, i + 10, sizeof payload, file) != 0)
            kalGpsPaserInfo(payload, int32_t(sizeof payload));
    }
}

int32_t kalGpsPaser(const char* path, int32_t type)
{
    KalGpsState& st = kalGpsState();
    kalGpsResetDecodeState(type);
    if (!path)
        return 0;
    KalGpsFile file;
    if (type == 0 && !file.open(path))
        return 0;
    const char* dot = std::strrchr(path, '.');
    if (!dot)
        return 0;
    const char* ext = dot + 1;
    // Substring tests, in this order: "mts" is a transport stream, "Mp4" is nothing.
    if (contains(ext, "TS") || contains(ext, "ts")) {
        kalGpsScanTs(&file);
    } else if (contains(ext, "txt") || contains(ext, "TXT")) {
        scanText(&file);
    } else if (contains(ext, "avi") || contains(ext, "AVI")) {
        scanTrailerOnly(&file);
    } else if (contains(ext, "mp4") || contains(ext, "MP4") || contains(ext, "mov") || contains(ext, "MOV")) {
        scanTrailerOnly(&file);
        if (st.nGpsInfoCount == 0 && !st.abandoned)
            kalGpsScanMp4(&file);
    }
    int64_t length = GetFileLength(&file);
    kalGpsProgress(length, length);
    return st.nGpsInfoCount;
}
