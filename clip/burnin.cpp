// The range decoded, the overlay blended into every picture and the pictures encoded again
// as H.264 (on the video hardware when there is some, else x264); the sound's packets are
// copied as they are.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "clip/cutjob.h"
#include "clip/composer.h"
#include "clip/h264encoder.h"
#include "clip/packetsource.h"
#include "clip/yuvoverlay.h"

extern "C" {
#include <libavcodec/avcodec.h>
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
    bool pass();
    bool header();
    bool recording(std::size_t k);
    bool picture(Recording &rec, std::size_t k, AVFrame *decoded, bool *past);
    bool encode(AVFrame *frame);
    bool write(AVPacket *pkt, AVStream *to);
    bool writeSound(const Recording &rec, AVPacket *pkt);

    CutJob &m_job;
    EncoderSettings m_settings;
    std::unique_ptr<H264Encoder> m_enc;
    AVCodecContext *m_ctx = nullptr; // m_enc's
    bool m_chosen = false;           // no TRAVA_CLIP_ENCODER: x264 may step in for the hardware
    bool m_encoderFailed = false, m_headerWritten = false, m_hasSound = false;
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
    // Sound read before the first encoded picture: the header waits for the encoder to
    // prove itself, so that nothing is written yet if it has to be replaced.
    std::vector<std::pair<const Recording *, PacketPtr>> m_heldSound;
    PacketPtr m_out{av_packet_alloc()};
};

bool BurnIn::setUp()
{
    EncoderKind kind = EncoderKind::Auto;
    if (!parseEncoderKind(std::getenv("TRAVA_CLIP_ENCODER"), &kind))
        return m_job.fail("TRAVA_CLIP_ENCODER must be auto, libx264, vaapi or nvenc");
    m_chosen = kind == EncoderKind::Auto;
    const AVStream *in = m_job.set[m_job.first].videoStream();
    AVRational rate = in->avg_frame_rate.num > 0 ? in->avg_frame_rate : in->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = {30, 1};
    m_frameSeconds = av_q2d(av_inv_q(rate));
    m_hasSound = m_job.set[m_job.first].audioStream() != nullptr;
    const AVCodecParameters *par = in->codecpar;
    m_settings = {par->width, par->height, in->time_base, rate, par->sample_aspect_ratio, par->color_range,
                  par->color_space, par->color_primaries, par->color_trc, m_job.request.crf, m_job.request.preset,
                  (m_job.out->oformat->flags & AVFMT_GLOBALHEADER) != 0, cores()};
    std::string why;
    const EncoderSystem &system = encoderSystem();
    const EncoderDevices devices = kind == EncoderKind::Libx264 ? EncoderDevices{} : system.devices();
    m_enc = chooseEncoder(kind, devices, m_settings, system.open, &why);
    if (!m_enc)
        return m_job.fail(why);
    m_ctx = m_enc->context();
    m_job.result.encoder = m_enc->name();
    if (m_job.control)
        m_job.control->setEncoder(m_enc->name());
    m_scaled.reset(av_frame_alloc());
    if (!m_out || !m_scaled)
        return m_job.fail("out of memory");
    return true;
}

// The streams and the header, once the encoder gave its first picture (its parameter sets
// known), then the sound held back until then.
bool BurnIn::header()
{
    m_headerWritten = true;
    m_outVideo = avformat_new_stream(m_job.out, nullptr);
    if (!m_outVideo || avcodec_parameters_from_context(m_outVideo->codecpar, m_ctx) < 0)
        return m_job.fail("cannot set up the output streams");
    m_outVideo->time_base = m_ctx->time_base;
    m_outVideo->avg_frame_rate = m_settings.frameRate;
    if (const AVStream *a = m_job.set[m_job.first].audioStream()) {
        m_outAudio = avformat_new_stream(m_job.out, nullptr);
        if (!m_outAudio || avcodec_parameters_copy(m_outAudio->codecpar, a->codecpar) < 0)
            return m_job.fail("cannot set up the output streams");
        m_outAudio->codecpar->codec_tag = 0;
        m_outAudio->time_base = a->time_base;
    }
    const int rc = avformat_write_header(m_job.out, nullptr);
    if (rc < 0)
        return m_job.fail("cannot write " + m_job.request.output + ": " + avError(rc));
    std::vector<std::pair<const Recording *, PacketPtr>> held;
    held.swap(m_heldSound);
    for (auto &[rec, pkt] : held)
        if (!writeSound(*rec, pkt.get()))
            return false;
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
    if (!m_headerWritten) {
        m_heldSound.emplace_back(&rec, av_packet_clone(pkt));
        return m_heldSound.back().second || m_job.fail("out of memory");
    }
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
    int rc = m_enc->send(frame);
    if (rc < 0) {
        m_encoderFailed = true;
        return m_job.fail("cannot encode: " + avError(rc));
    }
    for (;;) {
        rc = m_enc->receive(m_out.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            break;
        if (rc < 0) {
            m_encoderFailed = true;
            return m_job.fail("cannot encode: " + avError(rc));
        }
        m_job.result.timings.encode += since(t);
        if (!m_headerWritten && !header())
            return false;
        av_packet_rescale_ts(m_out.get(), m_ctx->time_base, m_outVideo->time_base);
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
    } else if (decoded->width != m_ctx->width || decoded->height != m_ctx->height ||
        (decoded->format != AV_PIX_FMT_YUV420P && decoded->format != AV_PIX_FMT_YUVJ420P)) {
        m_scale.reset(sws_getCachedContext(m_scale.release(), decoded->width, decoded->height,
                                           AVPixelFormat(decoded->format), m_ctx->width, m_ctx->height,
                                           AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
        av_frame_unref(m_scaled.get());
        m_scaled->format = AV_PIX_FMT_YUV420P;
        m_scaled->width = m_ctx->width;
        m_scaled->height = m_ctx->height;
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
        const bool changed = m_job.request.overlay(when, m_ctx->width, m_ctx->height, m_overlay);
        m_job.result.timings.paint += since(t);
        if (changed) {
            t = Clock::now();
            const bool full = decoded->color_range == AVCOL_RANGE_JPEG || decoded->format == AV_PIX_FMT_YUVJ420P;
            const bool hd = frame->colorspace == AVCOL_SPC_BT709 ||
                            (frame->colorspace == AVCOL_SPC_UNSPECIFIED && m_ctx->height > 576);
            m_yuv.set(m_overlay, m_ctx->width, m_ctx->height,
                      hd ? YuvOverlay::Matrix::Bt709 : YuvOverlay::Matrix::Bt601, full);
            ++m_job.result.timings.repaints;
            m_job.result.timings.paint += since(t);
        }
        const auto b = Clock::now();
        m_yuv.blend(frame);
        m_job.result.timings.blend += since(b);
    }
    frame->pts = clipTs(rec, rec.video, ts, m_ctx->time_base, m_clipStart);
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
            if (!m_hasSound || pkt->pts == AV_NOPTS_VALUE)
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

// Every recording of the range through the encoder, from the start.
bool BurnIn::pass()
{
    m_job.result.error.clear();
    m_job.result.videoFrames = 0;
    m_started = m_encoderFailed = false;
    m_clipStart = m_lastPictureEnd = 0;
    m_lastAudioDts = INT64_MIN;
    m_earlySound.clear();
    m_heldSound.clear();
    m_composer.reset();
    if (m_job.request.layout != Layout::Main && !m_job.request.followers.empty()) {
        m_composer = std::make_unique<Composer>(m_job.set, m_job.request, m_ctx->width, m_ctx->height);
        std::string why;
        if (!m_composer->open(&why))
            return m_job.fail(why);
    }
    for (std::size_t k = m_job.first; k <= m_job.last; ++k)
        if (!recording(k))
            return false;
    if (!encode(nullptr))
        return false;
    if (!m_job.result.videoFrames)
        return m_job.fail("no picture in the range");
    if (!m_headerWritten && !header())
        return false;
    const int rc = av_write_trailer(m_job.out);
    if (rc < 0)
        return m_job.fail("cannot write " + m_job.request.output + ": " + avError(rc));
    return true;
}

bool BurnIn::run()
{
    if (!setUp())
        return false;
    if (pass())
        return true;
    // A driver may open the encoder and then refuse its pictures; while nothing is written
    // the clip is made again with x264 instead. The overlay stays: its painter only repaints
    // when it changes.
    if (!m_chosen || !m_enc->hardware() || !m_encoderFailed || m_headerWritten || m_job.cancelled())
        return false;
    std::string why;
    m_enc = encoderSystem().open(EncoderKind::Libx264, {}, m_settings, &why);
    if (!m_enc) {
        m_job.result.error = why;
        return false;
    }
    m_ctx = m_enc->context();
    m_job.result.encoder = m_enc->name();
    if (m_job.control)
        m_job.control->setEncoder(m_enc->name());
    return pass();
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
