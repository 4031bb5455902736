#include "kalgpsoutput.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "kalgpslocale.h"

namespace {

// A zero letter (a camera line whose hemisphere could not be read) would end the text
// in the middle of the buffer and hide every later line from a reader of C strings.
int letter(char c)
{
    return c == '\0' ? '-' : static_cast<unsigned char>(c);
}

} // namespace

size_t kalGpsFormatLine(char* dst, size_t room, const RmcInfo& r, KalLineFormat format)
{
    KalCLocaleScope cLocale;
    char scratch[1];
    if (!dst || room == 0) {
        dst = scratch;
        room = 0;
    }
    int n = 0;
    switch (format) {
    case KalLineFormat::Sample:
        n = std::snprintf(dst, room,
                          "%u %04d/%02d/%02d %02d:%02d:%02d %c:%.06f %c:%.06f %.01f km/h x:%.02f y:%.02f z:%.02f;",
                          static_cast<unsigned>(r.sampleIndex), r.year, r.month, r.day, r.hour, r.minute,
                          r.second, letter(r.latHemisphere), r.latitude, letter(r.lonHemisphere), r.longitude,
                          r.speed, r.gsensorX, r.gsensorY, r.gsensorZ);
        break;
    case KalLineFormat::Extended:
        n = std::snprintf(dst, room,
                          "%d %04d/%02d/%02d %02d:%02d:%02d %c:%.06f %c:%.06f %.01f km/h x:%.02f y:%.02f z:%.02f "
                          "A:%.01f H:%.01f V:%d;",
                          r.sampleIndex, r.year, r.month, r.day, r.hour, r.minute, r.second,
                          letter(r.latHemisphere), r.latitude, letter(r.lonHemisphere), r.longitude, r.speed,
                          r.gsensorX, r.gsensorY, r.gsensorZ, r.aValue, r.hValue, r.aPresent);
        break;
    case KalLineFormat::Gsensor:
        n = std::snprintf(dst, room, "%u %04d/%02d/%02d %02d:%02d:%02d x:%.02f y:%.02f z:%.02f;",
                          static_cast<unsigned>(r.sampleIndex), r.year, r.month, r.day, r.hour, r.minute,
                          r.second, r.gsensorX, r.gsensorY, r.gsensorZ);
        break;
    }
    return n > 0 ? static_cast<size_t>(n) : 0;
}

size_t kalGpsLinesBufferSize(const KalList<RmcInfoNode>& list, int32_t count, KalLineFormat format)
{
    size_t total = 1;
    for (const RmcInfoNode* node = list.head; node; node = node->next)
        total += kalGpsFormatLine(nullptr, 0, node->info, format);
    size_t nominal = count > 0 ? static_cast<size_t>(count) * kGpsLineRoom : 0;
    return std::max(total, nominal);
}

char* kalGpsWriteLines(KalList<RmcInfoNode>& list, int32_t count, KalLineFormat format, size_t* outSize)
{
    const size_t size = kalGpsLinesBufferSize(list, count, format);
    auto* buffer = static_cast<char*>(std::malloc(size));
    if (!buffer)
        return nullptr;
    std::memset(buffer, 0, size);
    size_t used = 0;
    while (RmcInfoNode* node = list_pop(list)) {
        used += kalGpsFormatLine(buffer + used, size - used, node->info, format);
        std::free(node);
    }
    if (outSize)
        *outSize = size;
    return buffer;
}
