// The track decoder on arbitrary sample lines (the input split at '\n'), decoded under both
// datums: the datum moves positions, never which lines are accepted.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "track/trackdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size; ++i) {
        const char c = char(data[i]);
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back().push_back(c);
    }
    const Track shown = decodeGpsData(lines, TrackDatum::Gcj02InsideChina);
    const Track recorded = decodeGpsData(lines, TrackDatum::Wgs84);
    if (trackSize(shown) != trackSize(recorded))
        std::abort();
    return 0;
}
