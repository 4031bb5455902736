// The recordings' own packets, copied unchanged: from the key frame at or before the start,
// through whole recordings in between, to the first picture at or after the end.
#include <algorithm>
#include <cmath>

#include "clip/cutjob.h"
#include "clip/packetsource.h"

namespace clip {

namespace {
constexpr double kSame = 5e-7;

bool addStream(AVFormatContext *out, const AVStream *in, AVStream **made)
{
    AVStream *st = avformat_new_stream(out, nullptr);
    if (!st || avcodec_parameters_copy(st->codecpar, in->codecpar) < 0)
        return false;
    st->codecpar->codec_tag = 0;
    st->time_base = in->time_base;
    st->avg_frame_rate = in->avg_frame_rate;
    st->r_frame_rate = in->r_frame_rate;
    *made = st;
    return true;
}
} // namespace

bool cutLossless(CutJob &job)
{
    const Recording &head = job.set[job.first];
    AVStream *outVideo = nullptr, *outAudio = nullptr;
    if (!addStream(job.out, head.videoStream(), &outVideo) ||
        (head.audioStream() && !addStream(job.out, head.audioStream(), &outAudio)))
        return job.fail("cannot set up the output streams");
    int rc = avformat_write_header(job.out, nullptr);
    if (rc < 0)
        return job.fail("cannot write " + job.request.output + ": " + avError(rc));

    double clipStart = 0;
    double videoEnd = job.from;          // end of the last picture written (timeline)
    std::int64_t lastAudioDts = INT64_MIN;
    PacketPtr pkt(av_packet_alloc());
    if (!pkt)
        return job.fail("out of memory");

    for (std::size_t k = job.first; k <= job.last; ++k) {
        Recording &rec = job.set[k];
        PacketSource source(rec);
        std::string why;
        if (k == job.first) {
            if (!source.startAt(job.from, &clipStart, &why))
                return job.fail(why);
            job.result.start = clipStart;
        }
        const bool lastOne = k == job.last;
        double endPicture = -1;   // time of the first picture at or after the end, once seen
        bool videoDone = false;
        double fileVideoEnd = rec.offset;
        for (;;) {
            if (job.cancelled())
                return job.fail("cancelled");
            rc = source.next(pkt.get());
            if (rc == 0)
                break;
            if (rc < 0)
                return job.fail("cannot read " + rec.path + ": " + avError(rc));
            const bool isVideo = pkt->stream_index == rec.video;
            if (pkt->pts == AV_NOPTS_VALUE && pkt->dts == AV_NOPTS_VALUE)
                continue;
            const std::int64_t pts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
            const std::int64_t dts = pkt->dts != AV_NOPTS_VALUE ? pkt->dts : pkt->pts;
            const double shown = rec.timelineSeconds(pkt->stream_index, pts);
            const double decoded = rec.timelineSeconds(pkt->stream_index, dts);
            if (isVideo) {
                if (videoDone)
                    continue;
                if (lastOne && !job.toEnd && decoded >= job.to - kSame && endPicture >= 0 &&
                    decoded >= endPicture - kSame) {
                    videoDone = true; // nothing later can be shown before the end picture
                    if (!outAudio || rec.audio < 0)
                        break;
                    continue;
                }
                // Past the first picture at or after the end only what is shown before it.
                if (endPicture >= 0 && shown > endPicture + kSame)
                    continue;
                if (lastOne && !job.toEnd && shown >= job.to - kSame)
                    endPicture = endPicture < 0 ? shown : std::min(endPicture, shown);
                const double frame = pkt->duration > 0 ? double(pkt->duration) * av_q2d(rec.videoStream()->time_base)
                                                       : 0.0;
                fileVideoEnd = std::max(fileVideoEnd, shown + frame);
                videoEnd = std::max(videoEnd, shown + frame);
                ++job.result.videoFrames;
            } else {
                if (!outAudio || shown < clipStart - kSame)
                    continue;
                // Sound past the end mark is left out; once the pictures are done, that is
                // everything that follows.
                if (lastOne && !job.toEnd && shown >= job.to - kSame) {
                    if (videoDone)
                        break;
                    continue;
                }
            }
            AVStream *to = isVideo ? outVideo : outAudio;
            pkt->pts = clipTs(rec, pkt->stream_index, pts, to->time_base, clipStart);
            pkt->dts = clipTs(rec, pkt->stream_index, dts, to->time_base, clipStart);
            pkt->duration = av_rescale_q(pkt->duration, rec.format->streams[pkt->stream_index]->time_base, to->time_base);
            if (!isVideo) {
                // A recording's sound may run a little past its pictures: never back in time.
                if (pkt->dts <= lastAudioDts)
                    continue;
                lastAudioDts = pkt->dts;
            }
            pkt->stream_index = to->index;
            pkt->pos = -1;
            rc = av_write_frame(job.out, pkt.get());
            if (rc < 0)
                return job.fail("cannot write " + job.request.output + ": " + avError(rc));
            if (isVideo)
                job.progress(shown);
        }
        const double expected = lastOne && !job.toEnd ? job.to : rec.offset + rec.duration;
        if (endsEarly(fileVideoEnd, expected))
            return job.fail(rec.path + " ends early, at " + std::to_string(int(fileVideoEnd - rec.offset)) + " s of " +
                            std::to_string(int(rec.duration)) + " s: truncated or removed while it was read");
    }
    job.result.end = videoEnd;
    rc = av_write_trailer(job.out);
    if (rc < 0)
        return job.fail("cannot write " + job.request.output + ": " + avError(rc));
    return true;
}

} // namespace clip
