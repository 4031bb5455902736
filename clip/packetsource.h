#pragma once
// Reads one recording's video and sound packets in file order, optionally starting at the
// key frame at or before a time: a decoder needs nothing before it, and a lossless cut
// starts there.
#include <deque>
#include <string>

#include "clip/recordingset.h"

namespace clip {

class PacketSource {
public:
    explicit PacketSource(Recording &recording) : m_rec(recording) {}

    // Positions the reading at the last video key frame whose time is at or before
    // `seconds` (timeline), or at the first key frame when there is none before it; the key
    // frame's time goes to keyTime. False with why when the recording cannot be read.
    bool startAt(double seconds, double *keyTime, std::string *why);
    // The next video or sound packet into pkt (unreferenced first): 1, 0 at the end, or a
    // negative error code.
    int next(AVPacket *pkt);

private:
    bool scanFrom(std::int64_t seekTs, bool fromStart, double seconds, double *keyTime, int *error);

    Recording &m_rec;
    std::deque<PacketPtr> m_pending;
};

} // namespace clip
