#include "clip/packetsource.h"

namespace clip {

namespace {
// Half a microsecond: marks and time stamps that meet are the same instant.
constexpr double kSame = 5e-7;

double packetTime(const Recording &r, const AVPacket *p, bool decodeOrder)
{
    std::int64_t ts = decodeOrder ? p->dts : p->pts;
    if (ts == AV_NOPTS_VALUE)
        ts = decodeOrder ? p->pts : p->dts;
    if (ts == AV_NOPTS_VALUE)
        return -1e300;
    return r.timelineSeconds(p->stream_index, ts);
}
} // namespace

// Reads from a seek point, keeping the packets since the last key frame at or before
// `seconds`. Decided once a video packet is decoded after that time: no later key frame can
// then be shown before it.
bool PacketSource::scanFrom(std::int64_t seekTs, bool fromStart, double seconds, double *keyTime, int *error)
{
    m_pending.clear();
    const int rc = fromStart ? avformat_seek_file(m_rec.format.get(), m_rec.video, INT64_MIN, seekTs, seekTs, 0)
                             : av_seek_frame(m_rec.format.get(), m_rec.video, seekTs, AVSEEK_FLAG_BACKWARD);
    if (rc < 0 && !fromStart)
        return false; // the caller reads from the start instead
    bool haveKey = false;
    for (;;) {
        PacketPtr pkt(av_packet_alloc());
        if (!pkt) {
            *error = AVERROR(ENOMEM);
            return true;
        }
        const int r = av_read_frame(m_rec.format.get(), pkt.get());
        if (r == AVERROR_EOF)
            break;
        if (r < 0) {
            *error = r;
            return true;
        }
        const int s = pkt->stream_index;
        if (s != m_rec.video && s != m_rec.audio)
            continue;
        if (s == m_rec.video) {
            const bool key = pkt->flags & AV_PKT_FLAG_KEY;
            const double shown = packetTime(m_rec, pkt.get(), false);
            if (key && shown <= seconds + kSame) {
                m_pending.clear();
                haveKey = true;
                *keyTime = shown;
                m_pending.push_back(std::move(pkt));
                continue;
            }
            if (!haveKey) {
                if (!key)
                    continue; // nothing can be decoded from it
                if (!fromStart)
                    return false; // overshot: nothing at or before the mark from here
                // Nothing at or before the mark in the whole file: its first key frame.
                haveKey = true;
                *keyTime = shown;
                m_pending.push_back(std::move(pkt));
                break;
            }
            const bool decided = key || packetTime(m_rec, pkt.get(), true) > seconds + kSame;
            m_pending.push_back(std::move(pkt));
            if (decided)
                break;
            continue;
        }
        if (haveKey)
            m_pending.push_back(std::move(pkt));
    }
    if (!haveKey) {
        *error = AVERROR_INVALIDDATA;
        return true;
    }
    return true;
}

bool PacketSource::startAt(double seconds, double *keyTime, std::string *why)
{
    int error = 0;
    const std::int64_t target = m_rec.streamTs(m_rec.video, seconds);
    const bool atStart = seconds <= m_rec.offset + kSame;
    if (atStart || !scanFrom(target, false, seconds, keyTime, &error)) {
        error = 0;
        scanFrom(m_rec.videoStart, true, seconds, keyTime, &error);
    }
    if (error < 0) {
        *why = error == AVERROR_INVALIDDATA ? "no key frame in " + m_rec.path
                                            : "cannot read " + m_rec.path + ": " + avError(error);
        return false;
    }
    return true;
}

int PacketSource::next(AVPacket *pkt)
{
    av_packet_unref(pkt);
    if (!m_pending.empty()) {
        av_packet_move_ref(pkt, m_pending.front().get());
        m_pending.pop_front();
        return 1;
    }
    for (;;) {
        const int r = av_read_frame(m_rec.format.get(), pkt);
        if (r == AVERROR_EOF)
            return 0;
        if (r < 0)
            return r;
        if (pkt->stream_index == m_rec.video || pkt->stream_index == m_rec.audio)
            return 1;
        av_packet_unref(pkt);
    }
}

} // namespace clip
