// The two passes over ISO base media atoms (MP4/MOV): text blocks first, binary records second.
#include <cstdlib>
#include <cstring>

#include "telemetry/kalgpsblocks.h"
#include "telemetry/kalgpsscan.h"
#include "telemetry/kalgpsscantable.h"

namespace {

struct Atom {
    int64_t p;      // first byte of the atom
    int64_t base;   // what the offsets inside it count from: p, or p + 8 after a 64-bit size
    uint64_t size;
    unsigned char type[4];
};

enum class Step { Enter8, Enter16, Skip, EndWalk, EndPass };

bool is(const Atom& a, const char* name)
{
    return std::memcmp(a.type, name, 4) == 0;
}

bool containsGps(const Atom& a)
{
    auto gps = [](const unsigned char* s) {
        return (s[0] == 'g' && s[1] == 'p' && s[2] == 's') || (s[0] == 'G' && s[1] == 'P' && s[2] == 'S');
    };
    return gps(a.type) || gps(a.type + 1);
}

// Walks the atoms from the start of the file. Returns false when the handler ended the pass.
template <typename Handler>
bool walkAtoms(KalGpsFile* file, int64_t length, Handler handle)
{
    if (length < 16)
        return true;
    int64_t p = 0;
    do {
        unsigned char head[8];
        if (ReadData(head, p, 8, file) == 0)
            return true;
        Atom a{p, p, kalBe32(head), {head[4], head[5], head[6], head[7]}};
        if (a.size == 1) {
            unsigned char big[8];
            if (ReadData(big, p + 8, 8, file) == 0)
                return true;
            a.size = kalBe64(big);
            a.base = p + 8;
            if (int64_t(a.size) <= 0)
                return true;
        } else if (a.size == 0) {
            return true;
        }
        switch (handle(a)) {
        case Step::Enter8:
            p = a.base + 8;
            break;
        case Step::Enter16:
            p = a.base + 16;
            break;
        case Step::Skip:
            // Compared before adding: a 64-bit size must not wrap the position.
            if (a.size > uint64_t(length - p))
                return true;
            p += int64_t(a.size);
            break;
        case Step::EndWalk:
            return true;
        case Step::EndPass:
            return false;
        }
    } while (p + 16 <= length);
    return true;
}

bool readBe32(KalGpsFile* file, int64_t offset, uint32_t* value)
{
    unsigned char b[4];
    if (ReadData(b, offset, 4, file) == 0)
        return false;
    *value = kalBe32(b);
    return true;
}

// An audio chunk that holds a "free" atom of GPS data one 64 KiB step in.
bool audioChunkHasGps(KalGpsFile* file, const Atom& a, bool* readFailed)
{
    uint32_t c0 = 0;
    unsigned char probe[12];
    if (!readBe32(file, a.base + 16, &c0) || ReadData(probe, int64_t(c0) + 65536, 12, file) == 0) {
        *readFailed = true;
        return false;
    }
    return std::memcmp(probe + 4, "free", 4) == 0 && std::memcmp(probe + 8, "GPS", 3) == 0;
}

// A table of (offset, length) pairs: regions that lie inside the file become segments.
bool readGpsTable(KalGpsFile* file, const Atom& a, int64_t length)
{
    return kalGpsReadTable(file, a.base + 16, a.size - 16, 8, [&](const unsigned char* e) {
        uint32_t off = kalBe32(e), len = kalBe32(e + 4);
        if (off != 0 && len != 0 && int64_t(off) + len <= length)
            kalGpsAddSegment(off, len);
    });
}

// Chunk table of an audio track: each chunk's GPS block sits `shift` bytes into the chunk.
bool addAudioChunks(KalGpsFile* file, int64_t tableOffset, uint64_t tableSize, uint32_t shift)
{
    uint32_t room = shift < 256 ? shift : 256;
    return kalGpsReadTable(file, tableOffset + 16, tableSize - 16, 4, [&](const unsigned char* e) {
        kalGpsAddSegment(int64_t(kalBe32(e)) + shift, room);
    });
}

// Pass 1: text blocks in udta/skip atoms, gps tables, gpmd and audio chunks, AMBA line tracks.
void passText(KalGpsFile* file)
{
    KalGpsState& st = kalGpsState();
    int64_t length = GetFileLength(file);
    int trackKind = 0, gpsTrack = 0;
    uint32_t audioWord = 0;
    int64_t tableOffset = 0;
    uint64_t tableSize = 0;

    bool completed = walkAtoms(file, length, [&](const Atom& a) -> Step {
        if (is(a, "moov") || is(a, "MOOV"))
            return Step::Enter8;
        if (is(a, "udta")) {
            unsigned char child[4];
            if (ReadData(child, a.base + 12, 4, file) != 0) {
                if (std::memcmp(child, "AMBA", 4) == 0)
                    trackKind = 1;
                if (std::memcmp(child, "GPS", 3) == 0)
                    kalGpsAddSegment(a.p, a.size);
            }
            return Step::Skip;
        }
        if (is(a, "trak") || is(a, "mdia"))
            return Step::Enter8;
        if (is(a, "tkhd")) {
            uint32_t id = 0;
            if (readBe32(file, a.base + 20, &id) && trackKind == 1 && id == 3)
                gpsTrack = 3;
            return Step::Skip;
        }
        if (is(a, "minf") || is(a, "stbl"))
            return Step::Enter8;
        if (is(a, "stsd")) {
            unsigned char format[4];
            if (ReadData(format, a.base + 20, 4, file) != 0 && std::memcmp(format, "gpmd", 4) == 0) {
                trackKind = 2;
                gpsTrack = 3;
            }
            audioWord = 0;
            return Step::Enter16;
        }
        if (is(a, "sowt"))
            return readBe32(file, a.base + 24, &audioWord) ? Step::Skip : Step::EndWalk;
        if (is(a, "stco")) {
            if (trackKind == 1 && gpsTrack == 3) {
                uint32_t count = 0;
                if (!readBe32(file, a.base + 12, &count))
                    return Step::EndPass;
                kalGpsReadTable(file, a.base + 16, uint64_t(count) * 4, 4, [&](const unsigned char* e) {
                    unsigned char chunk[128];
                    if (ReadData(chunk, int64_t(kalBe32(e)) + 2, sizeof chunk, file) != 0)
                        kalGpsAmbaInfo(chunk, int32_t(sizeof chunk));
                });
                return Step::EndPass;
            }
            if (audioWord != 0) {
                bool failed = false;
                if (audioChunkHasGps(file, a, &failed)) {
                    tableOffset = a.p;
                    tableSize = a.size;
                }
                return failed ? Step::EndPass : Step::Skip;
            }
            if (trackKind == 2 && gpsTrack == 3) {
                uint64_t bytes = a.size > 16 ? a.size - 16 : 0;
                bool ok = kalGpsReadTable(file, a.base + 16, bytes, 4, [&](const unsigned char* e) {
                    kalGpsAddSegment(kalBe32(e), 820);
                });
                if (!ok)
                    return Step::EndPass;
                tableOffset = a.p;
                tableSize = a.size;
            }
            return Step::Skip;
        }
        if (containsGps(a)) {
            if (a.size < 16)
                return Step::Skip;
            return readGpsTable(file, a, length) ? Step::EndWalk : Step::EndPass;
        }
        if (is(a, "skip") || is(a, "SKIP") || is(a, "udat") || is(a, "UDAT"))
            kalGpsAddSegment(a.p, a.size);
        return Step::Skip;
    });
    if (!completed)
        return;
    if (tableSize > 16 && tableOffset > 0 && list_empty(st.gpsSegmentHead)) {
        if (!addAudioChunks(file, tableOffset, tableSize, audioWord))
            return;
    }
    kalGpsDecodeSegments(file, kalGpsPaserInfo);
}

// Where the 44-byte record sits in a segment, or null.
const unsigned char* locateRecord(const unsigned char* s, uint32_t size)
{
    bool gps = size >= 16 && std::memcmp(s + 8, "GPS", 3) == 0;
    uint32_t declared = size >= 16 ? kalLe32(s + 12) : 0;
    if (gps && declared >= 44 && declared <= 71 && size >= 16 + kGpsBinaryRecordSize)
        return s + 16;
    if (size > 40 && (s[40] == 'V' || s[40] == 'A') && size >= 16 + kGpsBinaryRecordSize)
        return s + 16;
    if (gps && declared >= 72 && size >= 48 + kGpsBinaryRecordSize)
        return s + 48;
    return nullptr;
}

// Pass 2: binary records in the regions of a gps table or of an audio track's chunks.
void passRecords(KalGpsFile* file)
{
    KalGpsState& st = kalGpsState();
    int64_t length = GetFileLength(file);
    uint32_t audioBytes = 0;
    int64_t tableOffset = 0;
    uint64_t tableSize = 0;

    bool completed = walkAtoms(file, length, [&](const Atom& a) -> Step {
        if (is(a, "moov") || is(a, "MOOV") || is(a, "trak") || is(a, "mdia") || is(a, "minf") || is(a, "stbl"))
            return Step::Enter8;
        if (is(a, "stsd")) {
            audioBytes = 0;
            return Step::Enter16;
        }
        if (is(a, "sowt")) {
            unsigned char f[12];
            if (ReadData(f, a.base + 24, sizeof f, file) == 0)
                return Step::EndWalk;
            uint32_t channels = kalBe16(f), bits = kalBe16(f + 2), rate = kalBe16(f + 8);
            audioBytes = (channels * bits * rate / 8 + 32767) & 0x3FFF8000u;
            return Step::Skip;
        }
        if (is(a, "stco")) {
            if (audioBytes != 0) {
                bool failed = false;
                if (audioChunkHasGps(file, a, &failed)) {
                    tableOffset = a.p;
                    tableSize = a.size;
                }
                if (failed)
                    return Step::EndPass;
            }
            return Step::Skip;
        }
        if (containsGps(a)) {
            if (a.size <= 16)
                return Step::Skip;
            return readGpsTable(file, a, length) ? Step::EndWalk : Step::EndPass;
        }
        return Step::Skip;
    });
    if (!completed)
        return;
    if (tableSize > 16 && tableOffset > 0 && list_empty(st.gpsSegmentHead)) {
        if (!addAudioChunks(file, tableOffset, tableSize, audioBytes))
            return;
    }
    kalGpsAnnounceSegments(file);
    int32_t k = 0;
    while (GpsSegment* seg = list_pop(st.gpsSegmentHead)) {
        if (seg->size > 0 && seg->size <= kGpsSegmentMaxSize && seg->offset >= 0 &&
            seg->offset <= length - int64_t(seg->size)) {
            if (auto* s = static_cast<unsigned char*>(std::malloc(seg->size))) {
                if (ReadData(s, seg->offset, seg->size, file) == int64_t(seg->size)) {
                    st.mType = 5;
                    if (const unsigned char* rec = locateRecord(s, seg->size)) {
                        RmcInfo info{};
                        if (kalU8ToRmcinfo(rec, &info))
                            kalGpsRmcToInfo(k, info);
                    }
                }
                std::free(s);
            }
        }
        std::free(seg);
        ++k;
    }
}

} // namespace

void kalGpsScanMp4(KalGpsFile* file)
{
    passText(file);
    if (kalGpsState().nGpsInfoCount != 0)
        return;
    passRecords(file);
}
