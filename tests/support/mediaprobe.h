#pragma once
// Test support: what a video file holds, read with libavformat/libavcodec: its packets (with
// their bytes) and its decoded pictures, for tests that check a written clip.
#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

struct ProbedPacket {
    bool key = false;
    double pts = 0, dts = 0; // seconds
    std::string bytes;
};

struct ProbedFile {
    bool ok = false;
    int width = 0, height = 0;
    bool hasAudio = false;
    double videoDuration = 0; // seconds, as the stream says
    std::vector<ProbedPacket> video, audio;
};

inline ProbedFile probeMedia(const std::string &path)
{
    ProbedFile f;
    AVFormatContext *fmt = nullptr;
    if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0)
        return f;
    if (avformat_find_stream_info(fmt, nullptr) >= 0) {
        const int v = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        const int a = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (v >= 0) {
            f.ok = true;
            f.width = fmt->streams[v]->codecpar->width;
            f.height = fmt->streams[v]->codecpar->height;
            f.hasAudio = a >= 0;
            if (fmt->streams[v]->duration > 0)
                f.videoDuration = double(fmt->streams[v]->duration) * av_q2d(fmt->streams[v]->time_base);
            AVPacket *p = av_packet_alloc();
            while (av_read_frame(fmt, p) >= 0) {
                if (p->stream_index == v || p->stream_index == a) {
                    const AVRational tb = fmt->streams[p->stream_index]->time_base;
                    ProbedPacket q{bool(p->flags & AV_PKT_FLAG_KEY), double(p->pts) * av_q2d(tb),
                                   double(p->dts) * av_q2d(tb), std::string(reinterpret_cast<char *>(p->data), std::size_t(p->size))};
                    (p->stream_index == v ? f.video : f.audio).push_back(std::move(q));
                }
                av_packet_unref(p);
            }
            av_packet_free(&p);
        }
    }
    avformat_close_input(&fmt);
    return f;
}

// Every picture of the file's video as packed 8-bit BGRA rows (width * 4 bytes each), in
// display order, with its time in seconds.
struct DecodedPicture {
    double seconds = 0;
    int width = 0, height = 0;
    std::vector<std::uint8_t> bgra;
};

inline std::vector<DecodedPicture> decodePictures(const std::string &path)
{
    std::vector<DecodedPicture> out;
    AVFormatContext *fmt = nullptr;
    if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0)
        return out;
    avformat_find_stream_info(fmt, nullptr);
    const int v = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVCodec *codec = v >= 0 ? avcodec_find_decoder(fmt->streams[v]->codecpar->codec_id) : nullptr;
    AVCodecContext *dec = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (dec && avcodec_parameters_to_context(dec, fmt->streams[v]->codecpar) >= 0 &&
        avcodec_open2(dec, codec, nullptr) >= 0) {
        AVPacket *p = av_packet_alloc();
        AVFrame *fr = av_frame_alloc();
        SwsContext *sws = nullptr;
        auto drain = [&] {
            while (avcodec_receive_frame(dec, fr) >= 0) {
                DecodedPicture pic;
                pic.seconds = double(fr->best_effort_timestamp) * av_q2d(fmt->streams[v]->time_base);
                pic.width = fr->width;
                pic.height = fr->height;
                pic.bgra.resize(std::size_t(fr->width) * std::size_t(fr->height) * 4);
                sws = sws_getCachedContext(sws, fr->width, fr->height, AVPixelFormat(fr->format), fr->width,
                                           fr->height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
                uint8_t *dst[4] = {pic.bgra.data(), nullptr, nullptr, nullptr};
                int lines[4] = {fr->width * 4, 0, 0, 0};
                sws_scale(sws, fr->data, fr->linesize, 0, fr->height, dst, lines);
                out.push_back(std::move(pic));
                av_frame_unref(fr);
            }
        };
        while (av_read_frame(fmt, p) >= 0) {
            if (p->stream_index == v && avcodec_send_packet(dec, p) >= 0)
                drain();
            av_packet_unref(p);
        }
        avcodec_send_packet(dec, nullptr);
        drain();
        sws_freeContext(sws);
        av_frame_free(&fr);
        av_packet_free(&p);
    }
    avcodec_free_context(&dec);
    avformat_close_input(&fmt);
    return out;
}
