#pragma once
// What the two ways of cutting share: the recordings, the range on their common timeline,
// the muxer writing into the temporary file, and where progress, cancel and errors go.
#include "clip/clipexport.h"
#include "clip/recordingset.h"

namespace clip {

struct CutJob {
    RecordingSet &set;
    const ClipRequest &request;
    std::size_t first = 0, last = 0; // the recordings the range touches
    double from = 0, to = 0;         // the range, on the timeline
    bool toEnd = false;              // the range runs to the end of the last recording
    AVFormatContext *out = nullptr;  // muxer with its I/O set, no streams yet
    ClipControl *control = nullptr;
    ClipResult &result;

    bool cancelled() const { return control && control->isCancelled(); }
    void progress(double at) const
    {
        if (control)
            control->report(std::max(0.0, std::min(at, to) - from), to - from);
    }
    bool fail(const std::string &why) const
    {
        if (result.error.empty())
            result.error = why;
        return false;
    }
};

// Time stamps of a recording's stream moved onto the clip's own clock in the output
// stream's time base, whole ticks when the time bases agree.
std::int64_t clipTs(const Recording &r, int stream, std::int64_t ts, AVRational out, double clipStart);

// True when the recording stopped before it should: its last picture ends more than half a
// second before `expected` (timeline seconds).
bool endsEarly(double lastPictureEnd, double expected);

bool cutLossless(CutJob &job);
bool burnIn(CutJob &job);

} // namespace clip
