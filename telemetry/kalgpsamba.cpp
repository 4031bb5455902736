// Camera text lines ("$GS" G-sensor line, "$G" position line) of an AMBA track chunk.
#include <cstdio>
#include <cstring>

#include "telemetry/kalgpsblocks.h"
#include "telemetry/kalgpslocale.h"
#include "telemetry/kalgpsstate.h"

namespace {

constexpr int kChunkSize = 128;
constexpr int kLastLineStart = 107;

} // namespace

void kalGpsAmbaInfo(const unsigned char* chunk, int32_t size)
{
    KalGpsState& s = kalGpsState();
    s.mType = 1;
    if (!chunk || size <= 0)
        return;
    // A zero-terminated copy, so the scanf reads stop at the chunk's end.
    char text[kChunkSize + 1];
    const int n = size < kChunkSize ? size : kChunkSize;
    std::memcpy(text, chunk, static_cast<size_t>(n));
    text[n] = '\0';

    KalCLocaleScope cLocale;
    int gx = 0, gy = 0, gz = 0, speed = 0;
    for (int p = 0; p <= kLastLineStart && p + 3 <= n; ++p) {
        if (text[p] != '$' || text[p + 1] != 'G' || text[p + 2] != 'S')
            continue;
        if (p + 4 < n) {
            char values[kChunkSize + 1];
            const char* from = text + p + 4;
            const char* dollar = std::strchr(from, '$');
            const size_t len = dollar ? static_cast<size_t>(dollar - from) : std::strlen(from);
            std::memcpy(values, from, len);
            values[len] = '\0';
            std::sscanf(values, "%d,%d,%d", &gx, &gy, &gz);
        }
        break;
    }
    int q = -1;
    for (int p = 0; p <= kLastLineStart && p + 3 <= n; ++p) {
        if (text[p] == '$' && text[p + 1] == 'G' && text[p + 2] != 'S') {
            q = p;
            break;
        }
    }
    if (q < 0)
        return;
    RmcInfo r{};
    if (q + 3 < n)
        std::sscanf(text + q + 3, "%04d-%02d-%02d", &r.year, &r.month, &r.day);
    if (q + 13 < n)
        std::sscanf(text + q + 13, "%02d:%02d:%02d-%c%f-%c%f-S%03d", &r.hour, &r.minute, &r.second,
                    &r.latHemisphere, &r.latitude, &r.lonHemisphere, &r.longitude, &speed);
    r.gsensorX = static_cast<float>(gx);
    r.gsensorY = static_cast<float>(gy);
    r.gsensorZ = static_cast<float>(gz);
    r.speed = static_cast<float>(speed / 1.852);
    const RmcInfo& prev = s.prermcinfo;
    if (r.hour == prev.hour && r.minute == prev.minute && r.second == prev.second && r.year == prev.year
        && r.month == prev.month && r.day == prev.day)
        return;
    r.aPresent = 0;
    s.prermcinfo = r;
    kalGpsRmcToInfo(0, r);
}
