#include "telemetry/kalgpsmovietime.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Atoms looked at per level: a camera file has a handful; a hostile one cannot make us walk
// millions of empty atoms.
constexpr int kMaxAtoms = 64;

uint64_t be(const unsigned char* p, int bytes)
{
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return v;
}

bool readAt(int fd, int64_t offset, unsigned char* buffer, size_t length)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = pread(fd, buffer + done, length - done, off_t(offset + int64_t(done)));
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// The atom of type within [begin, end): its payload's offset and end.
bool findAtom(int fd, int64_t begin, int64_t end, const char* type, int64_t* payload, int64_t* payloadEnd)
{
    int64_t at = begin;
    for (int i = 0; i < kMaxAtoms && at + 8 <= end; ++i) {
        unsigned char head[16];
        if (!readAt(fd, at, head, 8))
            return false;
        uint64_t size = be(head, 4);
        int64_t header = 8;
        if (size == 1) {
            if (at + 16 > end || !readAt(fd, at + 8, head + 8, 8))
                return false;
            size = be(head + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = uint64_t(end - at);
        }
        if (size < uint64_t(header) || size > uint64_t(end - at))
            return false;
        if (head[4] == type[0] && head[5] == type[1] && head[6] == type[2] && head[7] == type[3]) {
            *payload = at + header;
            *payloadEnd = at + int64_t(size);
            return true;
        }
        at += int64_t(size);
    }
    return false;
}

} // namespace

namespace {

// The first bytes of the movie header's payload: version and flags, then the times, the
// time scale and the duration (32-bit in version 0, 64-bit in version 1).
struct MovieHeader {
    unsigned char body[32] = {};
    bool wide = false; // version 1
};

bool readMovieHeader(const char* path, MovieHeader* header)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    int64_t moov = 0, moovEnd = 0, mvhd = 0, mvhdEnd = 0;
    ok = ok && findAtom(fd, 0, int64_t(st.st_size), "moov", &moov, &moovEnd) &&
         findAtom(fd, moov, moovEnd, "mvhd", &mvhd, &mvhdEnd);
    ok = ok && mvhdEnd - mvhd >= 12 && readAt(fd, mvhd, header->body, 1);
    header->wide = ok && header->body[0] == 1;
    const int64_t need = header->wide ? 32 : 20;
    // A header too short for its duration still has its creation time.
    const int64_t length = mvhdEnd - mvhd < need ? 12 : need;
    ok = ok && readAt(fd, mvhd, header->body, size_t(length));
    close(fd);
    return ok;
}

} // namespace

bool kalGpsMovieCreationTime(const char* path, uint64_t* seconds1904)
{
    MovieHeader h;
    if (!readMovieHeader(path, &h))
        return false;
    const uint64_t created = h.wide ? be(h.body + 4, 8) : be(h.body + 4, 4);
    if (created == 0)
        return false;
    *seconds1904 = created;
    return true;
}

bool kalGpsMovieDuration(const char* path, double* seconds)
{
    MovieHeader h;
    if (!readMovieHeader(path, &h))
        return false;
    const uint64_t scale = h.wide ? be(h.body + 20, 4) : be(h.body + 12, 4);
    const uint64_t duration = h.wide ? be(h.body + 24, 8) : be(h.body + 16, 4);
    // All ones is "unknown" in either width.
    if (scale == 0 || duration == 0 || duration == (h.wide ? UINT64_MAX : 0xffffffffu))
        return false;
    *seconds = double(duration) / double(scale);
    return true;
}

bool kalGpsMoviePictureSize(const char* path, uint32_t* width, uint32_t* height)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    int64_t moov = 0, moovEnd = 0;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              findAtom(fd, 0, int64_t(st.st_size), "moov", &moov, &moovEnd);
    uint32_t bestW = 0, bestH = 0;
    // Each trak in turn: the next search starts where the last trak ended.
    int64_t from = moov, trak = 0, trakEnd = 0;
    for (int i = 0; ok && i < kMaxAtoms && findAtom(fd, from, moovEnd, "trak", &trak, &trakEnd); ++i) {
        from = trakEnd;
        int64_t tkhd = 0, tkhdEnd = 0;
        if (!findAtom(fd, trak, trakEnd, "tkhd", &tkhd, &tkhdEnd))
            continue;
        // Width and height close the header (16.16 fixed point): 84 bytes for version 0,
        // 96 for version 1.
        unsigned char version = 0;
        if (!readAt(fd, tkhd, &version, 1))
            continue;
        const int64_t sizeAt = tkhd + (version == 1 ? 88 : 76);
        unsigned char dims[8];
        if (sizeAt + 8 > tkhdEnd || !readAt(fd, sizeAt, dims, 8))
            continue;
        const uint32_t w = uint32_t(be(dims, 4) >> 16), h = uint32_t(be(dims + 4, 4) >> 16);
        if (w > 0 && h > 0 && h > bestH) {
            bestW = w;
            bestH = h;
        }
    }
    close(fd);
    if (bestH == 0)
        return false;
    *width = bestW;
    *height = bestH;
    return true;
}
