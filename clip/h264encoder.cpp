#include "clip/h264encoder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "clip/recordingset.h"

extern "C" {
#include <libavutil/hwcontext.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace clip {

namespace {
const char *label(EncoderKind kind)
{
    switch (kind) {
    case EncoderKind::Vaapi: return "vaapi";
    case EncoderKind::Nvenc: return "nvenc";
    case EncoderKind::Libx264: return "libx264";
    case EncoderKind::Auto: break;
    }
    return "auto";
}

// x264's crf and a constant QP agree roughly at the same number; QP 0 means "unset" to the
// hardware encoders, so the lossless end is their finest step.
int hardwareQp(int crf) { return std::clamp(crf, 1, 51); }
} // namespace

bool parseEncoderKind(const char *text, EncoderKind *kind)
{
    const std::string t = text ? text : "";
    for (EncoderKind k : {EncoderKind::Auto, EncoderKind::Libx264, EncoderKind::Vaapi, EncoderKind::Nvenc})
        if (t == label(k) || (t.empty() && k == EncoderKind::Auto)) {
            *kind = k;
            return true;
        }
    return false;
}

H264Encoder::~H264Encoder()
{
    avcodec_free_context(&m_ctx);
    av_frame_free(&m_soft);
    av_frame_free(&m_surface);
    sws_freeContext(m_convert);
    av_buffer_unref(&m_frames);
    av_buffer_unref(&m_device);
}

std::unique_ptr<H264Encoder> H264Encoder::open(EncoderKind kind, const std::string &node, const EncoderSettings &s,
                                               std::string *why)
{
    std::unique_ptr<H264Encoder> e(new H264Encoder);
    if (!e->openAs(kind, node, s, why))
        e.reset();
    return e;
}

bool H264Encoder::openAs(EncoderKind kind, const std::string &node, const EncoderSettings &s, std::string *why)
{
    m_kind = kind;
    switch (kind) {
    case EncoderKind::Libx264: return openX264(s, why);
    case EncoderKind::Vaapi: return openVaapi(node, s, why);
    case EncoderKind::Nvenc: return openNvenc(s, why);
    case EncoderKind::Auto: break;
    }
    *why = "no encoder kind given";
    return false;
}

bool H264Encoder::start(const char *codecName, const EncoderSettings &s, AVPixelFormat format, std::string *why)
{
    const AVCodec *codec = avcodec_find_encoder_by_name(codecName);
    if (!codec) {
        *why = std::string("no H.264 encoder (") + codecName + ") in this FFmpeg";
        return false;
    }
    m_name = codecName;
    m_ctx = avcodec_alloc_context3(codec);
    if (!m_ctx) {
        *why = "out of memory";
        return false;
    }
    m_ctx->width = s.width;
    m_ctx->height = s.height;
    m_ctx->sample_aspect_ratio = s.sampleAspect;
    m_ctx->pix_fmt = format;
    m_ctx->time_base = s.timeBase;
    m_ctx->framerate = s.frameRate;
    m_ctx->color_range = s.range;
    m_ctx->colorspace = s.space;
    m_ctx->color_primaries = s.primaries;
    m_ctx->color_trc = s.transfer;
    if (s.globalHeader)
        m_ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    return true;
}

bool H264Encoder::openX264(const EncoderSettings &s, std::string *why)
{
    if (!start("libx264", s, AV_PIX_FMT_YUV420P, why))
        return false;
    m_ctx->thread_count = s.threads; // x264's own choice (1.5 a core) holds more frames in flight
    if (av_opt_set(m_ctx->priv_data, "preset", s.preset.c_str(), 0) < 0) {
        *why = "unknown x264 preset '" + s.preset + "'";
        return false;
    }
    av_opt_set_double(m_ctx->priv_data, "crf", s.crf, 0);
    // No extra frames queued between the lookahead and the encoding threads: about 30 MiB
    // less at 1080p, at no cost in pictures.
    av_opt_set(m_ctx->priv_data, "x264-params", "sync-lookahead=0", 0);
    const int rc = avcodec_open2(m_ctx, m_ctx->codec, nullptr);
    if (rc < 0) {
        *why = "cannot start the H.264 encoder (preset '" + s.preset + "'): " + avError(rc);
        return false;
    }
    return true;
}

bool H264Encoder::openVaapi(const std::string &node, const EncoderSettings &s, std::string *why)
{
    int rc = av_hwdevice_ctx_create(&m_device, AV_HWDEVICE_TYPE_VAAPI, node.c_str(), nullptr, 0);
    if (rc < 0) {
        *why = "no VA-API device on " + node + ": " + avError(rc);
        return false;
    }
    // The surfaces' layout in memory: NV12 wherever the driver offers it.
    AVPixelFormat layout = AV_PIX_FMT_NV12;
    if (AVHWFramesConstraints *c = av_hwdevice_get_hwframe_constraints(m_device, nullptr)) {
        bool nv12 = false;
        for (const AVPixelFormat *f = c->valid_sw_formats; f && *f != AV_PIX_FMT_NONE; ++f)
            nv12 = nv12 || *f == AV_PIX_FMT_NV12;
        if (!nv12 && c->valid_sw_formats && *c->valid_sw_formats != AV_PIX_FMT_NONE)
            layout = *c->valid_sw_formats;
        av_hwframe_constraints_free(&c);
    }
    m_frames = av_hwframe_ctx_alloc(m_device);
    if (!m_frames) {
        *why = "out of memory";
        return false;
    }
    auto *frames = reinterpret_cast<AVHWFramesContext *>(m_frames->data);
    frames->format = AV_PIX_FMT_VAAPI;
    frames->sw_format = layout;
    frames->width = s.width;
    frames->height = s.height;
    frames->initial_pool_size = 16;
    rc = av_hwframe_ctx_init(m_frames);
    if (rc < 0) {
        *why = "the VA-API device on " + node + " has no surfaces for the clip: " + avError(rc);
        return false;
    }
    if (!start("h264_vaapi", s, AV_PIX_FMT_VAAPI, why))
        return false;
    m_ctx->hw_frames_ctx = av_buffer_ref(m_frames);
    av_opt_set_int(m_ctx->priv_data, "qp", hardwareQp(s.crf), 0);
    m_soft = av_frame_alloc();
    m_surface = av_frame_alloc();
    if (!m_ctx->hw_frames_ctx || !m_soft || !m_surface) {
        *why = "out of memory";
        return false;
    }
    m_soft->format = layout;
    m_soft->width = s.width;
    m_soft->height = s.height;
    m_convert = sws_getContext(s.width, s.height, AV_PIX_FMT_YUV420P, s.width, s.height, layout, SWS_POINT, nullptr,
                               nullptr, nullptr);
    if (!m_convert || av_frame_get_buffer(m_soft, 0) < 0) {
        *why = "cannot convert the pictures for the VA-API encoder";
        return false;
    }
    rc = avcodec_open2(m_ctx, m_ctx->codec, nullptr);
    if (rc < 0) {
        *why = "the VA-API H.264 encoder on " + node + " does not start: " + avError(rc);
        return false;
    }
    return true;
}

bool H264Encoder::openNvenc(const EncoderSettings &s, std::string *why)
{
    // NVENC takes planar 4:2:0 from memory as it is.
    if (!start("h264_nvenc", s, AV_PIX_FMT_YUV420P, why))
        return false;
    av_opt_set(m_ctx->priv_data, "rc", "constqp", 0);
    av_opt_set_int(m_ctx->priv_data, "qp", hardwareQp(s.crf), 0);
    const int rc = avcodec_open2(m_ctx, m_ctx->codec, nullptr);
    if (rc < 0) {
        *why = "the NVENC H.264 encoder does not start: " + avError(rc);
        return false;
    }
    return true;
}

int H264Encoder::send(const AVFrame *frame)
{
    if (!frame || !m_frames)
        return avcodec_send_frame(m_ctx, frame);
    int rc = av_frame_make_writable(m_soft);
    if (rc < 0)
        return rc;
    sws_scale(m_convert, frame->data, frame->linesize, 0, frame->height, m_soft->data, m_soft->linesize);
    av_frame_unref(m_surface);
    if ((rc = av_hwframe_get_buffer(m_frames, m_surface, 0)) < 0 ||
        (rc = av_hwframe_transfer_data(m_surface, m_soft, 0)) < 0 ||
        (rc = av_frame_copy_props(m_surface, frame)) < 0)
        return rc;
    return avcodec_send_frame(m_ctx, m_surface);
}

EncoderDevices findEncoderDevices(const std::string &driDir, const std::string &nvidiaControl)
{
    EncoderDevices d;
    if (DIR *dir = opendir(driDir.c_str())) {
        while (const dirent *e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name.rfind("renderD", 0) == 0 && name.size() > 7)
                d.renderNodes.push_back(driDir + "/" + name);
        }
        closedir(dir);
    }
    std::sort(d.renderNodes.begin(), d.renderNodes.end());
    struct stat st {};
    d.nvidia = stat(nvidiaControl.c_str(), &st) == 0;
    return d;
}

std::unique_ptr<H264Encoder> chooseEncoder(EncoderKind wanted, const EncoderDevices &devices, const EncoderSettings &s,
                                           const EncoderOpener &open, std::string *why)
{
    std::string refusal;
    if (wanted == EncoderKind::Auto || wanted == EncoderKind::Vaapi) {
        for (const std::string &node : devices.renderNodes)
            if (auto e = open(EncoderKind::Vaapi, node, s, &refusal))
                return e;
        if (wanted == EncoderKind::Vaapi) {
            *why = devices.renderNodes.empty() ? "TRAVA_CLIP_ENCODER=vaapi: no VA-API device (no render node in /dev/dri)"
                                               : "TRAVA_CLIP_ENCODER=vaapi: " + refusal;
            return nullptr;
        }
    }
    if (wanted == EncoderKind::Nvenc && !devices.nvidia) {
        *why = "TRAVA_CLIP_ENCODER=nvenc: no NVIDIA card (no /dev/nvidiactl)";
        return nullptr;
    }
    if (devices.nvidia && (wanted == EncoderKind::Nvenc || wanted == EncoderKind::Auto)) {
        if (auto e = open(EncoderKind::Nvenc, {}, s, &refusal))
            return e;
        if (wanted == EncoderKind::Nvenc) {
            *why = "TRAVA_CLIP_ENCODER=nvenc: " + refusal;
            return nullptr;
        }
    }
    return open(EncoderKind::Libx264, {}, s, why);
}

EncoderSystem &encoderSystem()
{
    static EncoderSystem system{[] { return findEncoderDevices(); }, H264Encoder::open};
    return system;
}

} // namespace clip
