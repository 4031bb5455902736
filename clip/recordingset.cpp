#include "clip/recordingset.h"

#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace clip {

std::string avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

double Recording::timelineSeconds(int s, std::int64_t ts) const
{
    const AVStream *st = format->streams[s];
    const std::int64_t zero = av_rescale_q(videoStart, videoStream()->time_base, st->time_base);
    return offset + double(ts - zero) * av_q2d(st->time_base);
}

std::int64_t Recording::streamTs(int s, double seconds) const
{
    const AVStream *st = format->streams[s];
    const std::int64_t zero = av_rescale_q(videoStart, videoStream()->time_base, st->time_base);
    return zero + std::llround((seconds - offset) / av_q2d(st->time_base));
}

bool openRecording(const std::string &path, Recording *r, std::string *why)
{
    AVFormatContext *raw = nullptr;
    int rc = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (rc < 0) {
        *why = "cannot read " + path + ": " + avError(rc);
        return false;
    }
    r->path = path;
    r->format.reset(raw);
    // An MP4 or MOV index already names every stream's coding, size and rate; only other
    // containers (a transport stream) need pictures decoded to learn them, which costs more
    // than a whole lossless cut.
    bool described = raw->nb_streams > 0;
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        const AVCodecParameters *p = raw->streams[i]->codecpar;
        if (p->codec_type == AVMEDIA_TYPE_VIDEO && (p->width <= 0 || p->height <= 0 ||
                                                    raw->streams[i]->avg_frame_rate.num <= 0))
            described = false;
        if (p->codec_type == AVMEDIA_TYPE_AUDIO && (p->sample_rate <= 0 || p->ch_layout.nb_channels <= 0))
            described = false;
    }
    if (!described || std::strstr(raw->iformat->name, "mp4") == nullptr) {
        rc = avformat_find_stream_info(raw, nullptr);
        if (rc < 0) {
            *why = "cannot read " + path + ": " + avError(rc);
            return false;
        }
    }
    // The index hands every packet over whole, with its key flag from the sync table; passing
    // each through the codec's parser as well cost a fifth of a lossless cut and changes
    // nothing we copy. A transport stream needs its parser to find the pictures at all.
    if (std::strstr(raw->iformat->name, "mp4") != nullptr)
        raw->flags |= AVFMT_FLAG_NOPARSE;
    r->video = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (r->video < 0) {
        *why = "no video in " + path;
        return false;
    }
    const int audio = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, r->video, nullptr, 0);
    r->audio = audio >= 0 ? audio : -1;
    AVStream *v = raw->streams[r->video];
    if (v->time_base.num <= 0 || v->time_base.den <= 0) {
        *why = "no time base in " + path;
        return false;
    }
    r->videoStart = v->start_time != AV_NOPTS_VALUE ? v->start_time : 0;
    double length = 0;
    if (v->duration != AV_NOPTS_VALUE && v->duration > 0)
        length = double(v->duration) * av_q2d(v->time_base);
    else if (raw->duration != AV_NOPTS_VALUE && raw->duration > 0)
        length = double(raw->duration) / AV_TIME_BASE;
    if (!(length > 0) || !std::isfinite(length)) {
        *why = "no length known for " + path;
        return false;
    }
    r->duration = length;
    return true;
}

bool RecordingSet::open(const std::vector<std::string> &paths, std::string *why)
{
    m_recordings.clear();
    double offset = 0;
    for (const std::string &path : paths) {
        Recording r;
        if (!openRecording(path, &r, why))
            return false;
        r.offset = offset;
        offset += r.duration;
        m_recordings.push_back(std::move(r));
    }
    if (m_recordings.empty()) {
        *why = "no recording";
        return false;
    }
    return true;
}

std::size_t RecordingSet::at(double seconds) const
{
    for (std::size_t i = 0; i < m_recordings.size(); ++i) {
        if (seconds < m_recordings[i].offset + m_recordings[i].duration)
            return i;
    }
    return m_recordings.empty() ? 0 : m_recordings.size() - 1;
}

namespace {
std::string describeVideo(const AVCodecParameters *p)
{
    const char *pix = av_get_pix_fmt_name(AVPixelFormat(p->format));
    // An MP4 index names no pixel format (nothing is decoded to learn it): left out then.
    return std::string(avcodec_get_name(p->codec_id)) + " " + std::to_string(p->width) + "x" +
           std::to_string(p->height) + (pix ? std::string(" ") + pix : std::string());
}

std::string describeAudio(const AVCodecParameters *p)
{
    if (!p)
        return "no sound";
    return std::string(avcodec_get_name(p->codec_id)) + " " + std::to_string(p->sample_rate) + " Hz " +
           std::to_string(p->ch_layout.nb_channels) + " ch";
}

bool sameExtradata(const AVCodecParameters *a, const AVCodecParameters *b)
{
    return a->extradata_size == b->extradata_size &&
           (a->extradata_size == 0 || std::memcmp(a->extradata, b->extradata, std::size_t(a->extradata_size)) == 0);
}

std::string fileName(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

std::string RecordingSet::joinProblem(std::size_t first, std::size_t last, bool soundOnly) const
{
    const Recording &a = m_recordings[first];
    const AVCodecParameters *av = a.videoStream()->codecpar;
    const AVCodecParameters *aa = a.audioStream() ? a.audioStream()->codecpar : nullptr;
    for (std::size_t i = first + 1; i <= last && i < m_recordings.size(); ++i) {
        const Recording &b = m_recordings[i];
        const AVCodecParameters *bv = b.videoStream()->codecpar;
        const AVCodecParameters *ba = b.audioStream() ? b.audioStream()->codecpar : nullptr;
        const std::string pair = fileName(b.path) + " does not join " + fileName(a.path) + ": ";
        if (!soundOnly && describeVideo(av) != describeVideo(bv))
            return pair + "video " + describeVideo(bv) + " after " + describeVideo(av);
        if (!soundOnly && !sameExtradata(av, bv))
            return pair + "the video's coding parameters differ";
        if (describeAudio(aa) != describeAudio(ba))
            return pair + "sound " + describeAudio(ba) + " after " + describeAudio(aa);
        if (aa && ba && !sameExtradata(aa, ba))
            return pair + "the sound's coding parameters differ";
    }
    return {};
}

} // namespace clip
