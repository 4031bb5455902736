#pragma once
// The pictures of several cameras of one moment put together into one frame for a burn-in:
// the main channel's picture and, for each further channel, its latest picture at or before
// the main picture's time (plus the channel's offset), each scaled into its place. A channel
// that has no file for a moment shows black; one that ends early, or lacks a picture, keeps
// showing its last one. Followers are decoded on one thread each, two pictures held at most,
// so a composition costs little more memory than its canvas.
#include <memory>
#include <string>
#include <vector>

#include "clip/clipexport.h"
#include "clip/recordingset.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

struct SwsContext;

namespace clip {

struct CodecFree {
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
struct FrameFree {
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

// A video decoder for st with `threads` threads (0: one a core).
CodecPtr openVideoDecoder(const AVStream *st, int threads, std::string *why);

// A picture's place in a frame, on even pixels for the chroma grid.
struct PictureBox {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PictureBox &) const = default;
};

// The places of `count` pictures in a width x height frame: the first is the main channel's
// (the whole frame in picture in picture), then the others in order. The grid is 2x2 up to
// four pictures.
std::vector<PictureBox> layoutBoxes(Layout layout, Corner corner, int width, int height, int count);
// The largest box of the picture's shape (width x height, pixel aspect sar) centred in box.
PictureBox fitBox(const PictureBox &box, int width, int height, AVRational sar);

class FollowerReader;

class Composer {
public:
    // main: the request's recordings on their timeline; width x height: the clip's frame.
    Composer(const RecordingSet &main, const ClipRequest &request, int width, int height);
    ~Composer();
    Composer(const Composer &) = delete;
    Composer &operator=(const Composer &) = delete;

    // Opens every follower file; false with why when one cannot be read.
    bool open(std::string *why);
    // The frame for the main channel's picture shown at `seconds` on the timeline; null with
    // why when the frame cannot be made. The frame stays the composer's.
    AVFrame *compose(const AVFrame *mainPicture, double seconds, std::string *why);

private:
    struct Scaler;
    bool place(const AVFrame *picture, const PictureBox &box, std::size_t slot, bool fillAround, std::string *why);
    void black(const PictureBox &box);

    const RecordingSet &m_main;
    const ClipRequest &m_request;
    int m_width, m_height;
    bool m_full = false; // the canvas's range: that of the main channel's pictures
    std::vector<PictureBox> m_boxes;
    std::vector<std::unique_ptr<FollowerReader>> m_followers;
    std::vector<std::unique_ptr<Scaler>> m_scalers;
    FramePtr m_canvas;
};

} // namespace clip
