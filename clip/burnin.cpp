// The range decoded, the overlay blended into every picture and the pictures encoded again
// as H.264 with x264; the sound's packets are copied as they are.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "clip/cutjob.h"
#include "clip/composer.h"
#include "clip/packetsource.h"
#include "clip/yuvoverlay.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace clip {

namespace {
constexpr double kSame = 5e-7;

struct ScaleFree {
    void operator()(SwsContext *s) const { sws_freeContext(s); }
};

using Clock = std::chrono::steady_clock;

int cores() { return int(std::clamp(std::thread::hardware_concurrency(), 1u, 16u)); }
double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// The whole burn-in state: one encoder for the clip, one decoder per recording in turn.
class BurnIn {
public:
    explicit BurnIn(CutJob &job) : m_job(job) {}
    bool run();

private:
    bool setUp();
    bool recording(std::size_t k);
    bool picture(Recording &rec, std::size_t k, AVFrame *decoded, bool *past);
    bool encode(AVFrame *frame);
    bool write(AVPacket *pkt, AVStream *to);
    bool writeSound(const Recording &rec, AVPacket *pkt);

    CutJob &m_job;
    CodecPtr m_enc;
    AVStream *m_outVideo = nullptr, *m_outAudio = nullptr;
    std::unique_ptr<SwsContext, ScaleFree> m_scale;
    FramePtr m_scaled;
    std::unique_ptr<Composer> m_composer; // several channels in one picture
    YuvOverlay m_yuv;
    Overlay m_overlay;
    bool m_started = false;
    double m_clipStart = 0, m_frameSeconds = 0, m_lastPictureEnd = 0;
    std::int64_t m_lastAudioDts = INT64_MIN;
    std::vector<PacketPtr> m_earlySound;
    PacketPtr m_out{av_packet_alloc()};
};

bool BurnIn::setUp()
{
    const Recording &head = m_job.set[m_job.first];
    const AVStream *in = head.videoStream();
    const AVCodec *codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        return m_job.fail("no H.264 encoder (libx264) in this FFmpeg");
    m_enc.reset(avcodec_alloc_context3(codec));
    if (!m_enc)
        return m_job.fail("out of memory");
    AVRational rate = in->avg_frame_rate.num > 0 ? in->avg_frame_rate : in->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = {30, 1};
    m_frameSeconds = av_q2d(av_inv_q(rate));
    m_enc->width = in->codecpar->width;
    m_enc->height = in->codecpar->height;
    m_enc->sample_aspect_ratio = in->codecpar->sample_aspect_ratio;
    m_enc->pix_fmt = AV_PIX_FMT_YUV420P;
    m_enc->time_base = in->time_base;
    m_enc->framerate = rate;
    m_enc->color_range = in->codecpar->color_range;
    m_enc->colorspace = in->codecpar->color_space;
    m_enc->color_primaries = in->codecpar->color_primaries;
    m_enc->color_trc = in->codecpar->color_trc;
    m_enc->thread_count = cores(); // x264's own choice (1.5 a core) holds more frames in flight
    if (m_job.out->oformat->flags & AVFMT_GLOBALHEADER)
        m_enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (av_opt_set(m_enc->priv_data, "preset", m_job.request.preset.c_str(), 0) < 0)
        return m_job.fail("unknown x264 preset '" + m_job.request.preset + "'");
    av_opt_set_double(m_enc->priv_data, "crf", m_job.request.crf, 0);
    // No extra frames queued between the lookahead and the encoding threads: about 30 MiB
    // less at 1080p, at no cost in pictures.
    av_opt_set(m_enc->priv_data, "x264-params", "sync-lookahead=0", 0);
    int rc = avcodec_open2(m_enc.get(), codec, nullptr);
    if (rc < 0)
        return m_job.fail("cannot start the H.264 encoder (preset '" + m_job.request.preset + "'): " + avError(rc));
    m_job.result.encoder = "libx264";

    m_outVideo = avformat_new_stream(m_job.out, nullptr);
    if (!m_outVideo || avcodec_parameters_from_context(m_outVideo->codecpar, m_enc.get()) < 0)
        return m_job.fail("cannot set up the output streams");
    m_outVideo->time_base = m_enc->time_base;
    m_outVideo->avg_frame_rate = rate;
    if (const AVStream *a = head.audioStream()) {
        m_outAudio = avformat_new_stream(m_job.out, nullptr);
        if (!m_outAudio || avcodec_parameters_copy(m_outAudio->codecpar, a->codecpar) < 0)
            return m_job.fail("cannot set up the output streams");
        m_outAudio->codecpar->codec_tag = 0;
        m_outAudio->time_base = a->time_base;
    }
    rc = avformat_write_header(m_job.out, nullptr);
    if (rc < 0)
        return m_job.fail("cannot write " + m_job.request.output + ": " + avError(rc));
    m_scaled.reset(av_frame_alloc());
    if (!m_out || !m_scaled)
        return m_job.fail("out of memory");
    if (m_job.request.layout != Layout::Main && !m_job.request.followers.empty()) {
        m_composer = std::make_unique<Composer>(m_job.set, m_job.request, m_enc->width, m_enc->height);
        std::string why;
        if (!m_composer->open(&why))
            return m_job.fail(why);
    }
    return true;
}

bool BurnIn::write(AVPacket *pkt, AVStream *to)
{
    const auto t = Clock::now();
    pkt->stream_index = to->index;
    pkt->pos = -1;
    const int rc = av_interleaved_write_frame(m_job.out, pkt);
    m_job.result.timings.write += since(t);
    if (rc < 0)
        return m_job.fail("cannot write " + m_job.request.output + ": " + avError(rc));
    return true;
}

bool BurnIn::writeSound(const Recording &rec, AVPacket *pkt)
{
    if (!pkt || pkt->pts == AV_NOPTS_VALUE || rec.timelineSeconds(pkt->stream_index, pkt->pts) < m_clipStart - kSame)
        return true;
    const std::int64_t dts = pkt->dts != AV_NOPTS_VALUE ? pkt->dts : pkt->pts;
    const AVRational tb = rec.format->streams[pkt->stream_index]->time_base;
    pkt->pts = clipTs(rec, pkt->stream_index, pkt->pts, m_outAudio->time_base, m_clipStart);
    pkt->dts = clipTs(rec, pkt->stream_index, dts, m_outAudio->time_base, m_clipStart);
    pkt->duration = av_rescale_q(pkt->duration, tb, m_outAudio->time_base);
    if (pkt->dts <= m_lastAudioDts)
        return true; // a recording's sound may run a little past its pictures: never back in time
    m_lastAudioDts = pkt->dts;
    return write(pkt, m_outAudio);
}

bool BurnIn::encode(AVFrame *frame)
{
    auto t = Clock::now();
    int rc = avcodec_send_frame(m_enc.get(), frame);
    if (rc < 0)
        return m_job.fail("cannot encode: " + avError(rc));
    for (;;) {
        rc = avcodec_receive_packet(m_enc.get(), m_out.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            break;
        if (rc < 0)
            return m_job.fail("cannot encode: " + avError(rc));
        m_job.result.timings.encode += since(t);
        av_packet_rescale_ts(m_out.get(), m_enc->time_base, m_outVideo->time_base);
        if (!write(m_out.get(), m_outVideo))
            return false;
        t = Clock::now();
    }
    m_job.result.timings.encode += since(t);
    return true;
}

// One decoded picture: left out before the range, blended and encoded inside it; past is
// set once a picture starts at or after the end.
bool BurnIn::picture(Recording &rec, std::size_t k, AVFrame *decoded, bool *past)
{
    const std::int64_t ts = decoded->best_effort_timestamp != AV_NOPTS_VALUE ? decoded->best_effort_timestamp
                                                                             : decoded->pts;
    if (ts == AV_NOPTS_VALUE)
        return true;
    const double shown = rec.timelineSeconds(rec.video, ts);
    const double length = decoded->pkt_duration > 0 ? double(decoded->pkt_duration) * av_q2d(rec.videoStream()->time_base)
                                                : m_frameSeconds;
    m_lastPictureEnd = std::max(m_lastPictureEnd, shown + length);
    if (!m_job.toEnd && shown >= m_job.to - kSame) {
        *past = true;
        return true;
    }
    if (shown + length <= m_job.from + kSame)
        return true;
    if (!m_started) {
        m_started = true;
        m_clipStart = shown;
        m_job.result.start = shown;
        for (PacketPtr &p : m_earlySound)
            if (!writeSound(rec, p.get()))
                return false;
        m_earlySound.clear();
    }
    AVFrame *frame = decoded;
    if (m_composer) {
        const auto t = Clock::now();
        std::string why;
        frame = m_composer->compose(decoded, shown, &why);
        m_job.result.timings.compose += since(t);
        if (!frame)
            return m_job.fail(why);
    } else if (decoded->width != m_enc->width || decoded->height != m_enc->height ||
        (decoded->format != AV_PIX_FMT_YUV420P && decoded->format != AV_PIX_FMT_YUVJ420P)) {
        m_scale.reset(sws_getCachedContext(m_scale.release(), decoded->width, decoded->height,
                                           AVPixelFormat(decoded->format), m_enc->width, m_enc->height,
                                           AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
        av_frame_unref(m_scaled.get());
        m_scaled->format = AV_PIX_FMT_YUV420P;
        m_scaled->width = m_enc->width;
        m_scaled->height = m_enc->height;
        if (!m_scale || av_frame_get_buffer(m_scaled.get(), 0) < 0)
            return m_job.fail("cannot convert the pictures of " + rec.path);
        sws_scale(m_scale.get(), decoded->data, decoded->linesize, 0, decoded->height, m_scaled->data,
                  m_scaled->linesize);
        av_frame_copy_props(m_scaled.get(), decoded);
        frame = m_scaled.get();
    } else if (av_frame_make_writable(decoded) < 0) {
        return m_job.fail("out of memory");
    }
    frame->format = AV_PIX_FMT_YUV420P; // the same planes; the range travels in color_range

    if (m_job.request.overlay) {
        auto t = Clock::now();
        const FrameTime when{shown, k, shown - rec.offset};
        const bool changed = m_job.request.overlay(when, m_enc->width, m_enc->height, m_overlay);
        m_job.result.timings.paint += since(t);
        if (changed) {
            t = Clock::now();
            const bool full = decoded->color_range == AVCOL_RANGE_JPEG || decoded->format == AV_PIX_FMT_YUVJ420P;
            const bool hd = frame->colorspace == AVCOL_SPC_BT709 ||
                            (frame->colorspace == AVCOL_SPC_UNSPECIFIED && m_enc->height > 576);
            m_yuv.set(m_overlay, m_enc->width, m_enc->height,
                      hd ? YuvOverlay::Matrix::Bt709 : YuvOverlay::Matrix::Bt601, full);
            ++m_job.result.timings.repaints;
            m_job.result.timings.paint += since(t);
        }
        const auto b = Clock::now();
        m_yuv.blend(frame);
        m_job.result.timings.blend += since(b);
    }
    frame->pts = clipTs(rec, rec.video, ts, m_enc->time_base, m_clipStart);
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    ++m_job.result.videoFrames;
    m_job.result.end = shown + length;
    m_job.progress(shown + length);
    return encode(frame);
}

bool BurnIn::recording(std::size_t k)
{
    Recording &rec = m_job.set[k];
    std::string why;
    // One thread a core: each further frame thread holds its own pictures (memory) and
    // buys nothing on a machine whose cores the encoder keeps busy anyway.
    CodecPtr dec = openVideoDecoder(rec.videoStream(), 0, &why);
    if (!dec)
        return m_job.fail(why);
    PacketSource source(rec);
    if (k == m_job.first) {
        double key = 0;
        if (!source.startAt(m_job.from, &key, &why))
            return m_job.fail(why);
    }
    PacketPtr pkt(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!pkt || !frame)
        return m_job.fail("out of memory");
    m_lastPictureEnd = rec.offset;
    bool past = false, draining = false;
    while (!past) {
        if (m_job.cancelled())
            return m_job.fail("cancelled");
        auto t = Clock::now();
        const int rc = draining ? 0 : source.next(pkt.get());
        m_job.result.timings.read += since(t);
        if (rc < 0)
            return m_job.fail("cannot read " + rec.path + ": " + avError(rc));
        if (rc > 0 && pkt->stream_index != rec.video) {
            if (!m_outAudio || pkt->pts == AV_NOPTS_VALUE)
                continue;
            const double shown = rec.timelineSeconds(pkt->stream_index, pkt->pts);
            if (!m_job.toEnd && shown >= m_job.to - kSame)
                continue;
            if (!m_started) {
                // The decoder holds pictures back: sound read before the first picture of
                // the range waits until the range's start is known.
                m_earlySound.emplace_back(av_packet_clone(pkt.get()));
                continue;
            }
            if (!writeSound(rec, pkt.get()))
                return false;
            continue;
        }
        t = Clock::now();
        int sent = avcodec_send_packet(dec.get(), rc > 0 ? pkt.get() : nullptr);
        draining = rc == 0;
        if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_EOF)
            sent = 0; // a damaged picture is skipped, as a player would
        for (;;) {
            const int got = avcodec_receive_frame(dec.get(), frame.get());
            if (got == AVERROR(EAGAIN))
                break;
            if (got == AVERROR_EOF) {
                past = true;
                break;
            }
            if (got < 0)
                return m_job.fail("cannot decode " + rec.path + ": " + avError(got));
            m_job.result.timings.decode += since(t);
            const bool ok = picture(rec, k, frame.get(), &past);
            av_frame_unref(frame.get());
            if (!ok)
                return false;
            t = Clock::now();
            if (past)
                break;
        }
        m_job.result.timings.decode += since(t);
    }
    const double expected = k == m_job.last && !m_job.toEnd ? m_job.to : rec.offset + rec.duration;
    if (endsEarly(m_lastPictureEnd, expected))
        return m_job.fail(rec.path + " ends early, at " + std::to_string(int(m_lastPictureEnd - rec.offset)) + " s of " +
                          std::to_string(int(rec.duration)) + " s: truncated or removed while it was read");
    return true;
}

bool BurnIn::run()
{
    if (!setUp())
        return false;
    for (std::size_t k = m_job.first; k <= m_job.last; ++k)
        if (!recording(k))
            return false;
    if (!encode(nullptr))
        return false;
    if (!m_job.result.videoFrames)
        return m_job.fail("no picture in the range");
    const int rc = av_write_trailer(m_job.out);
    if (rc < 0)
        return m_job.fail("cannot write " + m_job.request.output + ": " + avError(rc));
    return true;
}
} // namespace

bool burnIn(CutJob &job)
{
    // Sound is copied, so every recording's sound must be alike; the pictures are decoded
    // and may differ (they are scaled to the first recording's size).
    const std::string problem = job.set.joinProblem(job.first, job.last, true);
    if (!problem.empty()) {
        job.result.cannotJoin = true;
        return job.fail(problem);
    }
    BurnIn b(job);
    return b.run();
}

} // namespace clip
