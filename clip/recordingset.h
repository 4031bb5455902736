#pragma once
// The recordings of one export opened with libavformat: their video and audio streams, their
// place on the common timeline, and whether their streams are alike enough to be joined.
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace clip {

struct FormatCloser {
    void operator()(AVFormatContext *c) const { avformat_close_input(&c); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;

struct PacketFree {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

// libavutil's text for an error code.
std::string avError(int code);

struct Recording {
    std::string path;
    FormatPtr format;
    int video = -1;          // stream index
    int audio = -1;          // stream index, -1 without sound
    std::int64_t videoStart = 0; // first video time stamp, in the video stream's time base
    double offset = 0;       // where it starts on the common timeline (seconds)
    double duration = 0;     // its video's length (seconds)

    AVStream *videoStream() const { return format->streams[video]; }
    AVStream *audioStream() const { return audio >= 0 ? format->streams[audio] : nullptr; }
    // A time stamp of stream s as seconds on the common timeline.
    double timelineSeconds(int s, std::int64_t ts) const;
    // Seconds on the common timeline as a time stamp of stream s.
    std::int64_t streamTs(int s, double seconds) const;
};

class RecordingSet {
public:
    // Opens every recording and reads its stream parameters; false with why when one cannot
    // be read or holds no video.
    bool open(const std::vector<std::string> &paths, std::string *why);
    // Why recordings [first, last] cannot be joined packet for packet (only their sound
    // when soundOnly); empty when they can.
    std::string joinProblem(std::size_t first, std::size_t last, bool soundOnly = false) const;
    // The recording that plays at `seconds` (the last one for the very end).
    std::size_t at(double seconds) const;
    double total() const { return m_recordings.empty() ? 0 : m_recordings.back().offset + m_recordings.back().duration; }
    std::size_t size() const { return m_recordings.size(); }
    Recording &operator[](std::size_t i) { return m_recordings[i]; }
    const Recording &operator[](std::size_t i) const { return m_recordings[i]; }

private:
    std::vector<Recording> m_recordings;
};

// Opens one recording (streams found, durations known).
bool openRecording(const std::string &path, Recording *r, std::string *why);

} // namespace clip
