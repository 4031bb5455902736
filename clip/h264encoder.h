#pragma once
// The H.264 encoder of a burned-in clip: the machine's video hardware when it has some
// (VA-API on a render node, NVIDIA's NVENC), else x264. The choice is split from the opening
// so that what happens when a device is missing or refuses is decided without the hardware.
// TRAVA_CLIP_ENCODER=auto|libx264|vaapi|nvenc (default auto) forces one; a forced hardware
// encoder that does not open is an error rather than a quiet step down to x264.
#include <functional>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

struct SwsContext;

namespace clip {

enum class EncoderKind { Auto, Libx264, Vaapi, Nvenc };

// TRAVA_CLIP_ENCODER's value (null or empty: Auto); false for anything else.
bool parseEncoderKind(const char *text, EncoderKind *kind);

// What every encoder is opened with, taken from the clip's first recording and the request.
struct EncoderSettings {
    int width = 0, height = 0;
    AVRational timeBase{1, 30}, frameRate{30, 1}, sampleAspect{0, 1};
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
    AVColorSpace space = AVCOL_SPC_UNSPECIFIED;
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    int crf = 20;                   // x264's scale; the hardware gets the nearest constant QP
    std::string preset = "veryfast"; // x264 only
    bool globalHeader = false;      // the container wants the parameter sets apart
    int threads = 1;                // x264 only
};

// One opened encoder. Takes the clip's planar 4:2:0 pictures whatever the encoder wants
// (hardware surfaces are filled here).
class H264Encoder {
public:
    virtual ~H264Encoder();
    H264Encoder(const H264Encoder &) = delete;
    H264Encoder &operator=(const H264Encoder &) = delete;

    // Opens one kind (not Auto); node is the render node for VA-API. Null with why otherwise.
    static std::unique_ptr<H264Encoder> open(EncoderKind kind, const std::string &node, const EncoderSettings &s,
                                             std::string *why);

    const std::string &name() const { return m_name; } // "libx264", "h264_vaapi", "h264_nvenc"
    bool hardware() const { return m_kind != EncoderKind::Libx264; }
    AVCodecContext *context() const { return m_ctx; }
    // avcodec_send_frame / avcodec_receive_packet with the picture uploaded first; frame null drains.
    virtual int send(const AVFrame *frame);
    int receive(AVPacket *pkt) { return avcodec_receive_packet(m_ctx, pkt); }

protected:
    H264Encoder() = default;
    // Opens kind into this encoder.
    bool openAs(EncoderKind kind, const std::string &node, const EncoderSettings &s, std::string *why);

    EncoderKind m_kind = EncoderKind::Libx264;
    std::string m_name;

private:
    bool openX264(const EncoderSettings &s, std::string *why);
    bool openVaapi(const std::string &node, const EncoderSettings &s, std::string *why);
    bool openNvenc(const EncoderSettings &s, std::string *why);
    bool start(const char *codecName, const EncoderSettings &s, AVPixelFormat format, std::string *why);

    AVCodecContext *m_ctx = nullptr;
    AVBufferRef *m_device = nullptr, *m_frames = nullptr;
    SwsContext *m_convert = nullptr;
    AVFrame *m_soft = nullptr, *m_surface = nullptr;
};

// The hardware this machine shows: its render nodes, sorted, and whether an NVIDIA card is there.
struct EncoderDevices {
    std::vector<std::string> renderNodes;
    bool nvidia = false;
};
EncoderDevices findEncoderDevices(const std::string &driDir = "/dev/dri", const std::string &nvidiaControl = "/dev/nvidiactl");

using EncoderOpener = std::function<std::unique_ptr<H264Encoder>(EncoderKind, const std::string &node,
                                                                 const EncoderSettings &, std::string *why)>;

// Auto tries VA-API on each render node, then NVENC when the card is there, then x264; a forced
// kind tries only itself. Null with a one-line why when nothing opened.
std::unique_ptr<H264Encoder> chooseEncoder(EncoderKind wanted, const EncoderDevices &devices, const EncoderSettings &s,
                                           const EncoderOpener &open, std::string *why);

// Where the burn-in finds its devices and opens its encoders: this machine's unless a test
// stands in for hardware it does not have.
struct EncoderSystem {
    std::function<EncoderDevices()> devices;
    EncoderOpener open;
};
EncoderSystem &encoderSystem();

} // namespace clip
