#include "clip/composer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#include "clip/packetsource.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace clip {

namespace {
constexpr double kSame = 5e-7;

int even(int v) { return v & ~1; }

std::vector<PictureBox> cells(int width, int height, int columns, int rows, int count)
{
    std::vector<PictureBox> out;
    for (int i = 0; i < count; ++i) {
        const int c = i % columns, r = i / columns;
        // Edges from the whole span: the cells tile the frame without gaps.
        const int x0 = even(width * c / columns), x1 = c + 1 == columns ? width : even(width * (c + 1) / columns);
        const int y0 = even(height * r / rows), y1 = r + 1 == rows ? height : even(height * (r + 1) / rows);
        out.push_back({x0, y0, x1 - x0, y1 - y0});
    }
    return out;
}

bool fullRange(const AVFrame *f)
{
    return f->color_range == AVCOL_RANGE_JPEG || f->format == AV_PIX_FMT_YUVJ420P ||
           f->format == AV_PIX_FMT_YUVJ422P || f->format == AV_PIX_FMT_YUVJ444P;
}

double pictureTime(const Recording &r, const AVFrame *f)
{
    const std::int64_t ts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : f->pts;
    return ts == AV_NOPTS_VALUE ? -1e300 : r.timelineSeconds(r.video, ts);
}
} // namespace

CodecPtr openVideoDecoder(const AVStream *st, int threads, std::string *why)
{
    const AVCodec *codec = avcodec_find_decoder(st->codecpar->codec_id);
    CodecPtr ctx(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!ctx || avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0) {
        *why = "no decoder for " + std::string(avcodec_get_name(st->codecpar->codec_id));
        return nullptr;
    }
    ctx->pkt_timebase = st->time_base;
    ctx->thread_count = threads > 0 ? threads : int(std::clamp(std::thread::hardware_concurrency(), 1u, 16u));
    ctx->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    const int rc = avcodec_open2(ctx.get(), codec, nullptr);
    if (rc < 0) {
        *why = "cannot decode the video: " + avError(rc);
        return nullptr;
    }
    return ctx;
}

std::vector<PictureBox> layoutBoxes(Layout layout, Corner corner, int width, int height, int count)
{
    if (width <= 0 || height <= 0 || count < 1)
        return {};
    const PictureBox whole{0, 0, width, height};
    if (count == 1 || layout == Layout::Main)
        return std::vector<PictureBox>(std::size_t(count), whole);
    if (layout == Layout::SideBySide)
        return cells(width, height, count, 1, count);
    if (layout == Layout::Grid) {
        // 2x2 even for two or three cameras (side by side is there for two), larger beyond four.
        const int columns = int(std::ceil(std::sqrt(double(count))));
        return cells(width, height, columns, std::max(2, (count + columns - 1) / columns), count);
    }
    // Small pictures a quarter of the width, 16:9, stacked from the corner with a margin.
    std::vector<PictureBox> out{whole};
    const int margin = std::max(2, even(width / 80));
    const int w = std::max(2, std::min(even(width / 4), even(width - 2 * margin)));
    const int h = std::max(2, even(w * 9 / 16));
    const bool left = corner == Corner::TopLeft || corner == Corner::BottomLeft;
    const bool top = corner == Corner::TopLeft || corner == Corner::TopRight;
    const int x = left ? margin : even(width - margin - w);
    for (int i = 1; i < count; ++i) {
        const int step = (i - 1) * (h + margin);
        const int y = top ? margin + step : even(height - margin - h - step);
        out.push_back({x, std::clamp(y, 0, std::max(0, height - h)), w, std::min(h, height)});
    }
    return out;
}

PictureBox fitBox(const PictureBox &box, int width, int height, AVRational sar)
{
    if (width <= 0 || height <= 0 || box.width <= 0 || box.height <= 0)
        return box;
    const double pixel = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
    const double aspect = double(width) * pixel / double(height);
    PictureBox fit = box;
    if (double(box.width) / double(box.height) > aspect)
        fit.width = std::max(2, even(int(std::lround(box.height * aspect))));
    else
        fit.height = std::max(2, even(int(std::lround(box.width / aspect))));
    // Within a pixel pair of the box: the box itself (no bars of one line).
    if (box.width - fit.width <= 2)
        fit.width = box.width;
    if (box.height - fit.height <= 2)
        fit.height = box.height;
    fit.x = box.x + even((box.width - fit.width) / 2);
    fit.y = box.y + even((box.height - fit.height) / 2);
    return fit;
}

// One further channel read forward as the clip goes: the file of the moment at hand, its
// latest picture at or before the time asked, and the one after it.
class FollowerReader {
public:
    explicit FollowerReader(const FollowerChannel &channel) : m_channel(channel) {}

    bool open(std::string *why)
    {
        m_recs.resize(m_channel.recordings.size());
        for (std::size_t i = 0; i < m_recs.size(); ++i) {
            if (m_channel.recordings[i].empty())
                continue;
            auto r = std::make_unique<Recording>();
            if (!openRecording(m_channel.recordings[i], r.get(), why))
                return false;
            r->offset = 0; // times within the file
            m_recs[i] = std::move(r);
        }
        return m_cur && m_next && m_pkt;
    }

    // The picture of moment j at t seconds from its start; null for black.
    const AVFrame *at(std::size_t j, double t)
    {
        if (j >= m_recs.size())
            return m_haveCur ? m_cur.get() : nullptr;
        if (j != m_open) {
            m_open = j;
            if (!m_recs[j]) {
                stop();
                m_haveCur = false;
                return nullptr;
            }
            start(t); // the last picture of the previous moment stays until this one has one
        } else if (m_haveCur && t < m_curT - kSame) {
            m_haveCur = false; // back in time: read again from the key frame before it
            start(t);
        }
        while (!m_end || m_haveNext) {
            if (!m_haveNext && !decodeOne())
                break;
            if (m_nextT > t + kSame)
                break;
            std::swap(m_cur, m_next);
            av_frame_unref(m_next.get());
            m_haveNext = false;
            m_haveCur = true;
            m_curT = m_nextT;
        }
        return m_haveCur ? m_cur.get() : nullptr;
    }

private:
    void stop()
    {
        m_source.reset();
        m_dec.reset();
        av_frame_unref(m_next.get());
        m_haveNext = false;
        m_end = true;
    }

    void start(double t)
    {
        stop();
        Recording &r = *m_recs[m_open];
        std::string why;
        // One thread: a follower's pictures are small work beside the encoder, and every
        // further decoding thread would hold pictures of its own.
        m_dec = openVideoDecoder(r.videoStream(), 1, &why);
        if (!m_dec)
            return;
        m_source = std::make_unique<PacketSource>(r);
        double key = 0;
        if (!m_source->startAt(std::max(0.0, t), &key, &why)) {
            stop();
            return;
        }
        m_end = false;
        m_flushed = false;
        m_curT = -1e300;
    }

    // The next picture into m_next; false at the end of the file (or of what can be read).
    bool decodeOne()
    {
        const Recording &r = *m_recs[m_open];
        for (;;) {
            const int got = avcodec_receive_frame(m_dec.get(), m_next.get());
            if (got >= 0) {
                m_nextT = pictureTime(r, m_next.get());
                if (m_nextT < -1e299) {
                    av_frame_unref(m_next.get());
                    continue;
                }
                m_haveNext = true;
                return true;
            }
            if (got != AVERROR(EAGAIN) || m_flushed) {
                stop(); // the end, or a picture that cannot be had: the last one stays
                return false;
            }
            int rc = 0;
            do
                rc = m_source->next(m_pkt.get());
            while (rc > 0 && m_pkt->stream_index != r.video);
            if (rc <= 0) {
                avcodec_send_packet(m_dec.get(), nullptr);
                m_flushed = true;
                continue;
            }
            avcodec_send_packet(m_dec.get(), m_pkt.get()); // a damaged picture is skipped
        }
    }

    const FollowerChannel &m_channel;
    std::vector<std::unique_ptr<Recording>> m_recs;
    std::size_t m_open = std::size_t(-1);
    std::unique_ptr<PacketSource> m_source;
    CodecPtr m_dec;
    FramePtr m_cur{av_frame_alloc()}, m_next{av_frame_alloc()};
    PacketPtr m_pkt{av_packet_alloc()};
    bool m_haveCur = false, m_haveNext = false, m_end = true, m_flushed = false;
    double m_curT = -1e300, m_nextT = 0;
};

struct Composer::Scaler {
    SwsContext *ctx = nullptr;
    int srcW = 0, srcH = 0, srcFormat = -1, dstW = 0, dstH = 0;
    bool srcFull = false, dstFull = false;
    ~Scaler() { sws_freeContext(ctx); }
};

Composer::Composer(const RecordingSet &main, const ClipRequest &request, int width, int height)
    : m_main(main), m_request(request), m_width(width), m_height(height)
{
    const int count = 1 + int(request.followers.size());
    m_boxes = layoutBoxes(request.layout, request.corner, width, height, count);
    for (int i = 0; i < count; ++i)
        m_scalers.push_back(std::make_unique<Scaler>());
}

Composer::~Composer() = default;

bool Composer::open(std::string *why)
{
    for (const FollowerChannel &f : m_request.followers) {
        if (f.recordings.size() != m_main.size()) {
            *why = "every further channel needs one file (or none) for each recording";
            return false;
        }
        if (!std::isfinite(f.offset)) {
            *why = "a channel's offset must be a number of seconds";
            return false;
        }
        auto reader = std::make_unique<FollowerReader>(f);
        if (!reader->open(why)) {
            if (why->empty())
                *why = "out of memory";
            return false;
        }
        m_followers.push_back(std::move(reader));
    }
    m_canvas.reset(av_frame_alloc());
    if (!m_canvas) {
        *why = "out of memory";
        return false;
    }
    m_canvas->format = AV_PIX_FMT_YUV420P;
    m_canvas->width = m_width;
    m_canvas->height = m_height;
    if (av_frame_get_buffer(m_canvas.get(), 0) < 0) {
        *why = "out of memory";
        return false;
    }
    return true;
}

void Composer::black(const PictureBox &box)
{
    AVFrame *c = m_canvas.get();
    for (int y = 0; y < box.height; ++y)
        std::memset(c->data[0] + std::ptrdiff_t(box.y + y) * c->linesize[0] + box.x, m_full ? 0 : 16,
                    std::size_t(box.width));
    for (int p = 1; p <= 2; ++p)
        for (int y = 0; y < box.height / 2; ++y)
            std::memset(c->data[p] + std::ptrdiff_t(box.y / 2 + y) * c->linesize[p] + box.x / 2, 128,
                        std::size_t(box.width / 2));
}

bool Composer::place(const AVFrame *picture, const PictureBox &box, std::size_t slot, bool fillAround,
                     std::string *why)
{
    if (box.width <= 0 || box.height <= 0)
        return true;
    if (!picture) {
        black(box);
        return true;
    }
    const PictureBox fit = fitBox(box, picture->width, picture->height, picture->sample_aspect_ratio);
    if (fillAround && !(fit == box))
        black(box);
    AVFrame *c = m_canvas.get();
    std::uint8_t *dst[4] = {c->data[0] + std::ptrdiff_t(fit.y) * c->linesize[0] + fit.x,
                            c->data[1] + std::ptrdiff_t(fit.y / 2) * c->linesize[1] + fit.x / 2,
                            c->data[2] + std::ptrdiff_t(fit.y / 2) * c->linesize[2] + fit.x / 2, nullptr};
    const bool srcFull = fullRange(picture);
    const bool plain420 = picture->format == AV_PIX_FMT_YUV420P || picture->format == AV_PIX_FMT_YUVJ420P;
    if (plain420 && picture->width == fit.width && picture->height == fit.height && srcFull == m_full) {
        // The main picture at its own size: a copy, no scaling.
        av_image_copy_plane(dst[0], c->linesize[0], picture->data[0], picture->linesize[0], fit.width, fit.height);
        for (int p = 1; p <= 2; ++p)
            av_image_copy_plane(dst[p], c->linesize[p], picture->data[p], picture->linesize[p], fit.width / 2,
                                fit.height / 2);
        return true;
    }
    Scaler &s = *m_scalers[slot];
    if (!s.ctx || s.srcW != picture->width || s.srcH != picture->height || s.srcFormat != picture->format ||
        s.dstW != fit.width || s.dstH != fit.height || s.srcFull != srcFull || s.dstFull != m_full) {
        sws_freeContext(s.ctx);
        s.ctx = sws_getContext(picture->width, picture->height, AVPixelFormat(picture->format), fit.width, fit.height,
                               AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!s.ctx) {
            *why = "cannot scale a channel's pictures";
            return false;
        }
        int *inverse = nullptr, *table = nullptr, srcRange = 0, dstRange = 0, brightness = 0, contrast = 0,
            saturation = 0;
        if (sws_getColorspaceDetails(s.ctx, &inverse, &srcRange, &table, &dstRange, &brightness, &contrast,
                                     &saturation) >= 0)
            sws_setColorspaceDetails(s.ctx, inverse, srcFull, table, m_full, brightness, contrast, saturation);
        s.srcW = picture->width;
        s.srcH = picture->height;
        s.srcFormat = picture->format;
        s.dstW = fit.width;
        s.dstH = fit.height;
        s.srcFull = srcFull;
        s.dstFull = m_full;
    }
    sws_scale(s.ctx, picture->data, picture->linesize, 0, picture->height, dst, c->linesize);
    return true;
}

AVFrame *Composer::compose(const AVFrame *mainPicture, double seconds, std::string *why)
{
    if (!m_canvas || av_frame_make_writable(m_canvas.get()) < 0) {
        *why = "out of memory";
        return nullptr;
    }
    m_full = fullRange(mainPicture);
    const bool pip = m_request.layout == Layout::PictureInPicture;
    if (!pip)
        black({0, 0, m_width, m_height});
    if (!place(mainPicture, m_boxes[0], 0, pip, why))
        return nullptr;
    for (std::size_t i = 0; i < m_followers.size(); ++i) {
        const double t = seconds + m_request.followers[i].offset;
        const AVFrame *picture = nullptr;
        if (t >= -kSame) {
            const std::size_t moment = m_main.at(t);
            picture = m_followers[i]->at(moment, t - m_main[moment].offset);
        }
        if (!place(picture, m_boxes[i + 1], i + 1, true, why))
            return nullptr;
    }
    av_frame_copy_props(m_canvas.get(), mainPicture);
    m_canvas->color_range = m_full ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    return m_canvas.get();
}

} // namespace clip
