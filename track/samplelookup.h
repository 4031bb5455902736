#pragma once
// Maps a playback time to the sample of the current whole second.
// Each user keeps one of these next to its track: a tick inside the second already
// shown selects nothing, a seek to another second selects that second at once.
#include <cstdint>
#include <optional>

#include "track/gpsitem.h"

class SampleLookup {
public:
    // The index of the sample to show for playback time t (seconds), or nothing.
    std::optional<std::size_t> select(const Track &track, double t);
    // Forget the remembered second, as when a new track arrives or an instrument resets.
    void reset() { curTime = 0; }
    // Remember no second at all, so that the next tick acts whatever its second (even 0).
    void invalidate() { curTime = -1; }
    std::int64_t currentSecond() const { return curTime; }

private:
    std::int64_t curTime = 0;
};
