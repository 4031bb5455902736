#pragma once
// Cutting a stretch of consecutive dash-camera recordings into one new video file, on the
// FFmpeg libraries: either the recordings' own packets copied unchanged (lossless), or the
// picture decoded, an overlay blended into every frame and encoded again as H.264 (burn-in).
// C++ standard library and FFmpeg only; nothing here knows Qt, so the command line and the
// window share it, and a caller paints its overlay with whatever it likes.
//
// One call does one export on the caller's thread and returns when the file is written or
// when it failed; another thread may watch its progress and cancel it through ClipControl.
// The file appears under its final name whole or not at all: it is written to a hidden
// temporary name in the target folder and renamed at the end; on any failure (a cancel, a
// full disk, a missing, truncated or vanished recording, a folder that cannot be written)
// the temporary file is removed and ClipResult::error says why in one line.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace clip {

// The time of one frame on the recordings' common timeline.
struct FrameTime {
    double seconds = 0;         // from the start of the first recording
    std::size_t recording = 0;  // which recording the frame comes from (index into the list)
    double inRecording = 0;     // from the start of that recording
};

// A picture to lay over the video: premultiplied 8-bit BGRA in memory order (Qt's
// ARGB32_Premultiplied on a little-endian machine), `stride` bytes a row, placed with its
// top-left corner at (x, y) of the frame. Parts outside the frame are left out.
struct Overlay {
    int x = 0, y = 0, width = 0, height = 0, stride = 0;
    std::vector<std::uint8_t> pixels;
};

// Asked before each frame is encoded, with the overlay of the previous frame (empty at
// first): returns true when it changed the overlay (it is then converted again), false when
// the previous one still holds. Called on the exporting thread. The frame's size is passed
// so a caller can lay out for it.
using OverlayPainter = std::function<bool(const FrameTime &time, int frameWidth, int frameHeight, Overlay &overlay)>;

// Watched and stopped from any thread while an export runs.
class ClipControl {
public:
    // Asks the export to stop; it then removes what it wrote and returns "cancelled".
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }
    // Seconds of the range done and in all, updated as the export goes.
    double done() const { return m_done.load(); }
    double total() const { return m_total.load(); }
    // Optional: called on the exporting thread whenever `done` moves on (at most once a
    // frame); set it before the export starts.
    std::function<void(double done, double total)> onProgress;

    // Burn-in: the encoder in use (ClipResult::encoder), set before the first frame; read it
    // in onProgress or after the export.
    const std::string &encoder() const { return m_encoder; }

    // For the exporter.
    void report(double done, double total);
    void setEncoder(const std::string &name) { m_encoder = name; }

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<double> m_done{0}, m_total{0};
    std::string m_encoder;
};

// How the channels of a moment share the burned-in picture: the main channel alone; the main
// one whole with the others small in a corner; side by side; a grid (2x2 for up to four).
enum class Layout { Main, PictureInPicture, SideBySide, Grid };
enum class Corner { TopLeft, TopRight, BottomLeft, BottomRight };

// Another camera (rear, interior, ...) of the same moments as the request's recordings.
struct FollowerChannel {
    // One per recording of the request, "" where this camera has no file for that moment
    // (its place stays black). Each starts when the main channel's recording of it starts.
    std::vector<std::string> recordings;
    double offset = 0; // seconds this channel is shown ahead (+) or behind (-) the main one
};

struct ClipRequest {
    std::vector<std::string> recordings; // consecutive recordings of one trip, in order
    double from = 0;                     // seconds from the start of the first recording
    double to = -1;                      // ditto; negative: to the end of the last one
    std::string output;                  // the file to write; its ending picks the container
    bool burnIn = false;                 // false: lossless packet copy
    // Burn-in only:
    int crf = 20;                        // x264 quality, 0..51 (hardware: the nearest constant QP)
    std::string preset = "veryfast";     // x264 preset
    OverlayPainter overlay;              // may be empty: a plain re-encode
    // Burn-in of several channels: the followers composed with the main channel at its size
    // and frame rate, each showing its latest picture at or before the main picture's time
    // (plus its offset); the overlay goes over the composition, the sound is the main one's.
    Layout layout = Layout::Main;
    std::vector<FollowerChannel> followers; // used with a layout other than Main
    Corner corner = Corner::TopRight;       // picture in picture: where the small ones go
    // Take the written file's SHA-256 (ClipResult::sha256) on the way, for an evidence list.
    bool hashOutput = false;
};

// Where a burn-in spent its time (seconds of the thread's own clock, summed over frames).
struct ClipTimings {
    double read = 0, decode = 0, paint = 0, blend = 0, encode = 0, write = 0;
    double compose = 0; // the followers decoded, every picture scaled into its place
    int repaints = 0;
};

struct ClipResult {
    bool ok = false;
    std::string error;        // one line when !ok
    bool cannotJoin = false;  // the recordings' streams differ: error names what differs
    bool cancelled = false;
    double start = 0;         // where the clip really starts, on the common timeline
    double end = 0;           //   and ends (lossless: the key frame before `from`, ...)
    std::int64_t videoFrames = 0;
    std::string encoder;      // burn-in: the encoder used ("libx264", "h264_vaapi", "h264_nvenc")
    std::string sha256;       // with hashOutput: the clip's SHA-256, lower-case hex
    ClipTimings timings;
};

// Durations (seconds) of recordings as the cut sees them, so a caller can map a mark in the
// window to the common timeline; empty with `error` set when one cannot be read.
std::vector<double> recordingDurations(const std::vector<std::string> &recordings, std::string *error);

// Why a lossless cut of [from, to] (to negative: the end) cannot join the recordings it
// touches, in one line; empty when it can, or when they cannot be read (the export says so).
std::string joinProblem(const std::vector<std::string> &recordings, double from, double to);

// Writes the clip the request describes. control may be null.
ClipResult exportClip(const ClipRequest &request, ClipControl *control = nullptr);

// "HH:MM:SS[.fff]" or plain seconds ("12.5") into seconds; false for anything else.
bool parseClipTime(const std::string &text, double *seconds);

} // namespace clip
