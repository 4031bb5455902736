// The clip library on real recordings: what a lossless cut holds, where it starts, how
// recordings join, a burned-in re-encode's pictures, and every way an export can fail
// without leaving a file behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "clip/clipexport.h"
#include "clip/composer.h"
#include "clip/filehash.h"
#include "clip/h264encoder.h"
#include "support/mediaprobe.h"
#include "support/processrunner.h"

namespace {

namespace fs = std::filesystem;
const std::string kClips = std::string(TRAVA_TEST_DATA) + "/clip";
const std::string kA = kClips + "/trip-a.mp4", kB = kClips + "/trip-b.mp4", kOther = kClips + "/other-size.mp4";
constexpr double kFrame = 1.0 / 30;

struct TempDir {
    fs::path path;
    explicit TempDir(const std::string &name)
        : path(fs::temp_directory_path() / (name + "-" + std::to_string(getpid())))
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const std::string &name) const { return (path / name).string(); }
    std::size_t entries() const { return std::size_t(std::distance(fs::directory_iterator(path), fs::directory_iterator())); }
};

// The request the tests start from: the quickest x264 preset when burning in.
clip::ClipRequest request(const std::vector<std::string> &recordings, double from, double to, const std::string &out,
                          bool burnIn = false)
{
    clip::ClipRequest r;
    r.recordings = recordings;
    r.from = from;
    r.to = to;
    r.output = out;
    r.burnIn = burnIn;
    r.preset = "ultrafast";
    return r;
}

clip::ClipResult cut(const std::vector<std::string> &recordings, double from, double to, const std::string &out,
                     bool burnIn = false, clip::ClipControl *control = nullptr)
{
    return clip::exportClip(request(recordings, from, to, out, burnIn), control);
}

// The source's video packets whose pictures a cut from key (a key frame's time) through the
// first picture at or after `end` must hold, in file order, recording after recording.
std::vector<std::string> sourcePackets(const std::vector<std::string> &files, double key, double end)
{
    std::vector<std::string> out;
    double offset = 0;
    for (const std::string &f : files) {
        const ProbedFile p = probeMedia(f);
        for (const ProbedPacket &k : p.video)
            if (k.pts + offset >= key - 1e-6 && k.pts + offset <= end + 1e-6)
                out.push_back(k.bytes);
        offset += p.videoDuration;
    }
    return out;
}

TEST(ClipLossless, PacketsAreTheRecordingsOwnFromTheKeyFrameBeforeTheMark)
{
    TempDir dir("clip-lossless");
    const clip::ClipResult r = cut({kA}, 2.5, 3.4, dir / "a.mp4");
    ASSERT_TRUE(r.ok) << r.error;
    // Key frames every second: the one at 2.0 s is at or before 2.5 s.
    EXPECT_NEAR(r.start, 2.0, 1e-6);
    const ProbedFile out = probeMedia(dir / "a.mp4");
    ASSERT_TRUE(out.ok);
    ASSERT_FALSE(out.video.empty());
    EXPECT_TRUE(out.video.front().key);
    // Up to the picture at 3.4 s (frame 102), the first at or after the end, and no further.
    const std::vector<std::string> expected = sourcePackets({kA}, 2.0, 3.4);
    ASSERT_EQ(out.video.size(), expected.size());
    EXPECT_EQ(out.video.size(), std::size_t(102 - 60 + 1));
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(out.video[i].bytes, expected[i]) << "packet " << i;
    EXPECT_TRUE(out.hasAudio);
    EXPECT_FALSE(out.audio.empty());
    EXPECT_EQ(dir.entries(), 1u);

    // A mark on a key frame starts there; one just before it starts a second earlier.
    const clip::ClipResult on = cut({kA}, 1.0, 1.5, dir / "b.mp4");
    ASSERT_TRUE(on.ok) << on.error;
    EXPECT_NEAR(on.start, 1.0, 1e-6);
    const clip::ClipResult before = cut({kA}, 0.99, 1.5, dir / "c.mp4");
    ASSERT_TRUE(before.ok) << before.error;
    EXPECT_NEAR(before.start, 0.0, 1e-6);
}

TEST(ClipLossless, RecordingsJoinSeamlessly)
{
    TempDir dir("clip-join");
    const clip::ClipResult r = cut({kA, kB}, 2.5, 6.2, dir / "j.mp4");
    ASSERT_TRUE(r.ok) << r.error;
    const ProbedFile out = probeMedia(dir / "j.mp4");
    const std::vector<std::string> expected = sourcePackets({kA, kB}, 2.0, 6.2);
    ASSERT_EQ(out.video.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(out.video[i].bytes, expected[i]) << "packet " << i;
    // One picture every 1/30 s straight across the join at 2.0 s of the clip, no gap, no overlap.
    std::vector<double> pts;
    for (const ProbedPacket &p : out.video)
        pts.push_back(p.pts);
    std::sort(pts.begin(), pts.end());
    for (std::size_t i = 1; i < pts.size(); ++i)
        ASSERT_NEAR(pts[i] - pts[i - 1], kFrame, 1e-4) << "at " << pts[i];
    EXPECT_NEAR(pts.front(), 0.0, 1e-6);
    EXPECT_NEAR(pts.back(), 6.2 - 2.0, 1e-4);
    // Sound never goes back in time.
    for (std::size_t i = 1; i < out.audio.size(); ++i)
        ASSERT_GT(out.audio[i].dts, out.audio[i - 1].dts);
    EXPECT_NEAR(r.end, 6.2 + kFrame, 1e-4);
}

// A third recording starts where the first two end; a transport stream's clock starts
// wherever the camera's did, and the clip's starts at 0.
TEST(ClipLossless, TimelineRunsOnOverEveryRecordingWhateverItsClock)
{
    TempDir dir("clip-timeline");
    const clip::ClipResult r = cut({kA, kB, kA}, 9.5, 10.0, dir / "t.mp4");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NEAR(r.start, 9.0, 1e-6);
    const ProbedFile out = probeMedia(dir / "t.mp4");
    EXPECT_EQ(out.video.size(), 31u); // 9.0 s to 10.0 s of the trip: frames 30 to 60 of the third
    EXPECT_EQ(out.video.front().bytes, probeMedia(kA).video[30].bytes);

    const std::string ts = std::string(TRAVA_TEST_DATA) + "/clip.ts";
    const clip::ClipResult t = cut({ts}, 0.5, 2.0, dir / "ts.mp4");
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_NEAR(t.start, 0.0, 1e-6);
    const ProbedFile fromTs = probeMedia(dir / "ts.mp4");
    ASSERT_FALSE(fromTs.video.empty());
    double first = 1e9;
    for (const ProbedPacket &p : fromTs.video)
        first = std::min(first, p.pts);
    EXPECT_NEAR(first, 0.0, 1e-3);
    EXPECT_EQ(fromTs.video.size(), 21u); // 10 fps: 0.0 s to 2.0 s
}

TEST(ClipLossless, WholeRecordingsByDefault)
{
    TempDir dir("clip-whole");
    const clip::ClipResult r = cut({kA, kB}, 0, -1, dir / "w.mp4");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(probeMedia(dir / "w.mp4").video.size(), 240u);
    const std::vector<double> d = clip::recordingDurations({kA, kB}, nullptr);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_NEAR(d[0], 4.0, 1e-6);
}

TEST(ClipLossless, RecordingsThatDoNotJoinAreRefusedWithTheReason)
{
    TempDir dir("clip-nojoin");
    const clip::ClipResult r = cut({kA, kOther}, 3, 5, dir / "x.mp4");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.cannotJoin);
    EXPECT_NE(r.error.find("other-size.mp4 does not join trip-a.mp4"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("320x180"), std::string::npos) << r.error;
    EXPECT_EQ(dir.entries(), 0u);
    // A range inside the first recording alone needs no join.
    EXPECT_TRUE(cut({kA, kOther}, 1, 2, dir / "y.mp4").ok);
}

// The digest an evidence list takes while the clip goes to disk is the finished file's, as
// sha256sum sees it, for the lossless cut and the burned-in one alike.
TEST(ClipLossless, DigestTakenAsWrittenIsTheFilesOwn)
{
    TempDir dir("clip-digest");
    for (const bool burn : {false, true}) {
        clip::ClipRequest r = request({kA, kB}, 1.5, 5.0, dir / (burn ? "burned.mp4" : "cut.mp4"), burn);
        r.hashOutput = true;
        const clip::ClipResult result = clip::exportClip(r);
        ASSERT_TRUE(result.ok) << result.error;
        ASSERT_EQ(result.sha256.size(), 64u);
        EXPECT_EQ(result.sha256, runProcess("sha256sum '" + r.output + "'").out.substr(0, 64));
    }
    EXPECT_TRUE(cut({kA}, 0, -1, dir / "plain.mp4").sha256.empty()); // not asked for, not taken
}

TEST(ClipHashes, FilesAndDescriptorsAndWhatIsNoFile)
{
    TempDir dir("clip-hashes");
    std::ofstream(dir / "abc") << "abc";
    std::ofstream(dir / "empty");
    EXPECT_EQ(clip::sha256OfFile(dir / "abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(clip::sha256OfFile(dir / "empty"), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    // Across many slices, counted as they go; the descriptor's position stays where it was.
    {
        std::ofstream big(dir / "big", std::ios::binary);
        for (int i = 0; i < 300000; ++i)
            big.put(char(i * 7 + i / 251));
    }
    const std::string tool = runProcess("sha256sum '" + (dir / "big") + "'").out.substr(0, 64);
    std::int64_t counted = 0;
    clip::HashWatch watch;
    watch.advanced = [&counted](std::int64_t n) { counted += n; };
    EXPECT_EQ(clip::sha256OfFile(dir / "big", watch), tool);
    EXPECT_EQ(counted, 300000);
    const int fd = ::open((dir / "big").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::lseek(fd, 1234, SEEK_SET), 1234);
    EXPECT_EQ(clip::sha256OfDescriptor(fd), tool);
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 1234);
    ::close(fd);
    // A cancel between slices gives no digest.
    clip::HashWatch stop;
    int asked = 0;
    stop.cancelled = [&asked] { return ++asked > 1; };
    EXPECT_EQ(clip::sha256OfFile(dir / "big", stop), "");
    // A folder, a FIFO (never waited on) and a missing file: no digest, and why.
    for (const std::string &name : {std::string("folder"), std::string("fifo"), std::string("missing")}) {
        if (name == "folder") {
            fs::create_directory(dir / name);
        } else if (name == "fifo") {
            ASSERT_EQ(::mkfifo((dir / name).c_str(), 0600), 0);
        }
        std::string why;
        EXPECT_EQ(clip::sha256OfFile(dir / name, {}, &why), "") << name;
        EXPECT_FALSE(why.empty()) << name;
    }
}

TEST(ClipBurnIn, PicturesCoverTheRangeWithTheOverlayOfTheirTime)
{
    TempDir dir("clip-burn");
    clip::ClipRequest r = request({kA, kB}, 2.5, 6.2, dir / "b.mp4", true);
    r.crf = 18;
    std::vector<clip::FrameTime> asked;
    int lastSecond = -1;
    // A white square whose place follows the second of the frame: repainted once a second.
    r.overlay = [&](const clip::FrameTime &t, int w, int h, clip::Overlay &o) {
        asked.push_back(t);
        EXPECT_EQ(w, 640);
        EXPECT_EQ(h, 360);
        const int second = int(t.seconds);
        if (second == lastSecond)
            return false;
        lastSecond = second;
        o.x = 40 * second;
        o.y = 300;
        o.width = o.height = 20;
        o.stride = 80;
        o.pixels.assign(std::size_t(o.stride) * 20, 0xff);
        return true;
    };
    const clip::ClipResult res = clip::exportClip(r);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(res.videoFrames, 111);
    EXPECT_EQ(res.timings.repaints, 5); // seconds 2, 3, 4, 5, 6
    ASSERT_EQ(asked.size(), 111u);
    EXPECT_NEAR(asked.front().seconds, 2.5, 1e-6);
    EXPECT_NEAR(asked.back().seconds, 6.2 - kFrame, 1e-6);
    EXPECT_EQ(asked.back().recording, 1u);
    EXPECT_NEAR(asked.back().inRecording, 2.2 - kFrame, 1e-6);

    const ProbedFile out = probeMedia(dir / "b.mp4");
    EXPECT_EQ(out.video.size(), 111u);
    EXPECT_NEAR(out.videoDuration, 3.7, 1e-3);
    EXPECT_TRUE(out.hasAudio);
    const std::vector<DecodedPicture> pics = decodePictures(dir / "b.mp4");
    ASSERT_EQ(pics.size(), 111u);
    auto grey = [](const DecodedPicture &p, int x, int y) {
        const std::uint8_t *q = p.bgra.data() + (std::size_t(y) * std::size_t(p.width) + std::size_t(x)) * 4;
        return (q[0] + q[1] + q[2]) / 3;
    };
    // Frame 45 of the clip is at 4.0 s: the square is at x 160; at 2.5 s (frame 0) at x 80.
    EXPECT_GT(grey(pics[45], 170, 310), 235);
    EXPECT_LT(grey(pics[45], 90, 310), 200);
    EXPECT_GT(grey(pics[0], 90, 310), 235);
}

// A hardware encoder this machine need not have: x264 underneath, named as VA-API, refusing
// every picture after the first `good` ones.
class RefusingHardware : public clip::H264Encoder {
public:
    static std::unique_ptr<clip::H264Encoder> open(const clip::EncoderSettings &s, int good, std::string *why)
    {
        std::unique_ptr<RefusingHardware> e(new RefusingHardware);
        if (!e->openAs(clip::EncoderKind::Libx264, {}, s, why))
            return nullptr;
        e->m_kind = clip::EncoderKind::Vaapi;
        e->m_name = "h264_vaapi";
        e->m_good = good;
        return e;
    }
    int send(const AVFrame *frame) override
    {
        return ++m_sent > m_good ? AVERROR(EIO) : H264Encoder::send(frame);
    }

private:
    int m_good = 0, m_sent = 0;
};

// The burn-in's devices and encoders replaced for one test, and TRAVA_CLIP_ENCODER set.
struct StandIn {
    clip::EncoderSystem saved = clip::encoderSystem();
    std::vector<std::string> opened; // "vaapi:NODE", "libx264", ...
    StandIn(clip::EncoderDevices devices, int goodPictures, const char *forced)
    {
        clip::encoderSystem() = {[devices] { return devices; },
                                 [this, goodPictures](clip::EncoderKind kind, const std::string &node,
                                                      const clip::EncoderSettings &s, std::string *why) {
                                     if (kind == clip::EncoderKind::Libx264) {
                                         opened.push_back("libx264");
                                         return clip::H264Encoder::open(kind, node, s, why);
                                     }
                                     opened.push_back("vaapi:" + node);
                                     return RefusingHardware::open(s, goodPictures, why);
                                 }};
        if (forced)
            setenv("TRAVA_CLIP_ENCODER", forced, 1);
        else
            unsetenv("TRAVA_CLIP_ENCODER");
    }
    ~StandIn()
    {
        clip::encoderSystem() = saved;
        unsetenv("TRAVA_CLIP_ENCODER");
    }
};

TEST(ClipBurnIn, EncoderChosenFromTheDevicesAndWhatOpens)
{
    using clip::EncoderKind;
    EncoderKind kind = EncoderKind::Nvenc;
    EXPECT_TRUE(clip::parseEncoderKind(nullptr, &kind));
    EXPECT_EQ(kind, EncoderKind::Auto);
    EXPECT_TRUE(clip::parseEncoderKind("vaapi", &kind));
    EXPECT_EQ(kind, EncoderKind::Vaapi);
    EXPECT_TRUE(clip::parseEncoderKind("libx264", &kind));
    EXPECT_EQ(kind, EncoderKind::Libx264);
    for (const char *bad : {"VAAPI", "x264", "nvenc ", "qsv"})
        EXPECT_FALSE(clip::parseEncoderKind(bad, &kind)) << bad;

    TempDir dir("clip-devices");
    for (const char *name : {"renderD129", "card0", "renderD128", "renderD"})
        std::ofstream(dir / name) << "";
    const clip::EncoderDevices found = clip::findEncoderDevices(dir.path.string(), dir / "card0");
    EXPECT_EQ(found.renderNodes, (std::vector<std::string>{dir / "renderD128", dir / "renderD129"}));
    EXPECT_TRUE(found.nvidia);
    EXPECT_FALSE(clip::findEncoderDevices(dir / "none", dir / "none").nvidia);
    EXPECT_TRUE(clip::findEncoderDevices(dir / "none", dir / "none").renderNodes.empty());

    clip::EncoderSettings s;
    s.width = 320;
    s.height = 180;
    s.preset = "ultrafast";
    std::vector<std::string> tried;
    const clip::EncoderOpener refusingHardware = [&](EncoderKind k, const std::string &node,
                                                     const clip::EncoderSettings &set, std::string *why) {
        tried.push_back(std::to_string(int(k)) + node);
        if (k == EncoderKind::Libx264)
            return clip::H264Encoder::open(k, node, set, why);
        *why = "refused on " + (node.empty() ? std::string("the card") : node);
        return std::unique_ptr<clip::H264Encoder>();
    };
    std::string why;
    auto e = clip::chooseEncoder(EncoderKind::Auto, found, s, refusingHardware, &why);
    ASSERT_TRUE(e) << why;
    EXPECT_EQ(e->name(), "libx264");
    EXPECT_FALSE(e->hardware());
    EXPECT_EQ(tried, (std::vector<std::string>{"2" + dir / "renderD128", "2" + dir / "renderD129", "3", "1"}));

    // Forced: only the one asked for, and its refusal is the answer.
    tried.clear();
    EXPECT_FALSE(clip::chooseEncoder(EncoderKind::Vaapi, found, s, refusingHardware, &why));
    EXPECT_EQ(why, "TRAVA_CLIP_ENCODER=vaapi: refused on " + dir / "renderD129");
    EXPECT_EQ(tried.size(), 2u);
    EXPECT_FALSE(clip::chooseEncoder(EncoderKind::Vaapi, {}, s, refusingHardware, &why));
    EXPECT_NE(why.find("no VA-API device"), std::string::npos) << why;
    EXPECT_FALSE(clip::chooseEncoder(EncoderKind::Nvenc, {}, s, refusingHardware, &why));
    EXPECT_NE(why.find("no NVIDIA card"), std::string::npos) << why;
    tried.clear();
    e = clip::chooseEncoder(EncoderKind::Libx264, found, s, refusingHardware, &why);
    ASSERT_TRUE(e) << why;
    EXPECT_EQ(tried, std::vector<std::string>{"1"});

    // The real opener on a node that is a plain file: VA-API refuses, x264 takes over.
    e = clip::chooseEncoder(EncoderKind::Auto, {{dir / "renderD128"}, false}, s, clip::H264Encoder::open, &why);
    ASSERT_TRUE(e) << why;
    EXPECT_EQ(e->name(), "libx264");
    EXPECT_FALSE(clip::chooseEncoder(EncoderKind::Vaapi, {{dir / "renderD128"}, false}, s, clip::H264Encoder::open, &why));
    EXPECT_NE(why.find(dir / "renderD128"), std::string::npos) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos) << why;
}

TEST(ClipBurnIn, HardwareRefusingTheFirstPicturesGivesWayToX264)
{
    TempDir dir("clip-refusing");
    clip::ClipRequest r = request({kA, kB}, 2.5, 6.2, dir / "b.mp4", true);
    int painted = 0;
    // Painted once, at the first picture: the overlay must outlive the encoder's replacement.
    r.overlay = [&](const clip::FrameTime &, int, int, clip::Overlay &o) {
        if (painted++)
            return false;
        o.x = 100;
        o.y = 100;
        o.width = o.height = 20;
        o.stride = 80;
        o.pixels.assign(std::size_t(o.stride) * 20, 0xff);
        return true;
    };
    {
        StandIn hw({{"/dev/dri/renderD128"}, false}, 1, nullptr);
        const clip::ClipResult res = clip::exportClip(r);
        ASSERT_TRUE(res.ok) << res.error;
        EXPECT_EQ(res.encoder, "libx264");
        EXPECT_EQ(hw.opened, (std::vector<std::string>{"vaapi:/dev/dri/renderD128", "libx264"}));
        EXPECT_EQ(res.videoFrames, 111);
        EXPECT_EQ(res.timings.repaints, 1);
    }
    const ProbedFile out = probeMedia(r.output);
    EXPECT_EQ(out.video.size(), 111u);
    EXPECT_NEAR(out.videoDuration, 3.7, 1e-3);
    EXPECT_TRUE(out.hasAudio);
    const std::vector<DecodedPicture> pics = decodePictures(r.output);
    ASSERT_EQ(pics.size(), 111u);
    for (std::size_t i : {std::size_t(0), std::size_t(110)}) {
        const std::uint8_t *q = pics[i].bgra.data() + (std::size_t(110) * std::size_t(pics[i].width) + 110) * 4;
        EXPECT_GT((q[0] + q[1] + q[2]) / 3, 235) << i;
    }
    fs::remove(r.output);

    // Refusing once pictures were written: an export error, nothing left.
    {
        StandIn hw({{"/dev/dri/renderD128"}, false}, 60, nullptr);
        const clip::ClipResult res = clip::exportClip(r);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.error.rfind("cannot encode: ", 0), 0u) << res.error;
        EXPECT_EQ(hw.opened.size(), 1u);
    }
    // Asked for by name: no stand-in.
    {
        StandIn hw({{"/dev/dri/renderD128"}, false}, 1, "vaapi");
        const clip::ClipResult res = clip::exportClip(r);
        EXPECT_FALSE(res.ok);
        EXPECT_NE(res.error.find("cannot encode"), std::string::npos) << res.error;
        EXPECT_EQ(hw.opened.size(), 1u);
    }
    EXPECT_EQ(dir.entries(), 0u);
}

// The frame number the fixtures draw (bits in blocks across the top, their complement in
// the band below) read from a box of a picture; -1 when the box holds no clean number.
int numberIn(const DecodedPicture &p, int bx, int by, int bw, int bh)
{
    auto grey = [&](double x, double y) {
        const std::uint8_t *q =
            p.bgra.data() + (std::size_t(by + int(y)) * std::size_t(p.width) + std::size_t(bx + int(x))) * 4;
        return (q[0] + q[1] + q[2]) / 3;
    };
    const double sx = bw / 320.0, sy = bh / 180.0;
    int n = 0, c = 0;
    for (int i = 0; i < 16; ++i) {
        if (grey((20 * i + 10) * sx, 20 * sy) > 128)
            n |= 1 << i;
        if (grey((20 * i + 10) * sx, 60 * sy) > 128)
            c |= 1 << i;
    }
    return (n ^ c) == 0xFFFF ? n : -1;
}

int frameAt(double seconds) { return int(std::floor(seconds * 30 + 1e-6)); }

clip::ClipRequest composed(clip::Layout layout, const std::string &out)
{
    clip::ClipRequest r = request({kA, kB}, 1.0, 6.0, out, true);
    r.crf = 16;
    r.layout = layout;
    return r;
}

// Three cameras in a 2x2 grid at the main one's size: the main picture, a second camera whose
// moments hold the other recording, and a third whose file is shorter than its moment (its
// last picture stays) and missing for the second moment (black).
TEST(ClipComposed, GridHoldsEachChannelsPictureOfThatTime)
{
    TempDir dir("clip-grid");
    clip::ClipRequest r = composed(clip::Layout::Grid, dir / "g.mp4");
    r.followers = {{{kB, kA}, 0}, {{kOther, ""}, 0}};
    const clip::ClipResult res = clip::exportClip(r);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(res.videoFrames, 150);
    const ProbedFile out = probeMedia(dir / "g.mp4");
    EXPECT_EQ(out.width, 640);
    EXPECT_EQ(out.height, 360);
    EXPECT_TRUE(out.hasAudio);
    const std::vector<DecodedPicture> pics = decodePictures(dir / "g.mp4");
    ASSERT_EQ(pics.size(), 150u);
    for (int i : {0, 29, 45, 89, 100, 149}) {
        const DecodedPicture &p = pics[std::size_t(i)];
        const double at = 1.0 + i / 30.0;
        const bool second = at >= 4.0 - 1e-9;
        const double in = second ? at - 4.0 : at;
        EXPECT_EQ(numberIn(p, 0, 0, 320, 180), frameAt(at)) << "main, frame " << i;
        EXPECT_EQ(numberIn(p, 320, 0, 320, 180), second ? frameAt(in) : 120 + frameAt(in)) << "second, frame " << i;
        if (second) {
            const std::uint8_t *q = p.bgra.data() + (std::size_t(270) * 640 + 160) * 4;
            EXPECT_LT((q[0] + q[1] + q[2]) / 3, 30) << "no third camera: black, frame " << i;
        } else {
            // 320x180 and 2 s long: scaled to its cell, then its last picture.
            EXPECT_EQ(numberIn(p, 0, 180, 320, 180), std::min(59, frameAt(in))) << "third, frame " << i;
        }
    }
    EXPECT_GT(res.timings.compose, 0.0);
}

// Picture in picture: the main picture whole, the other camera a quarter of the width in the
// lower left corner, shown half a second ahead (its offset) across the join of the moments.
TEST(ClipComposed, PictureInPictureFollowsTheOffset)
{
    TempDir dir("clip-pip");
    clip::ClipRequest r = composed(clip::Layout::PictureInPicture, dir / "p.mp4");
    r.followers = {{{kB, kA}, 0.5}};
    r.corner = clip::Corner::BottomLeft;
    const std::vector<clip::PictureBox> boxes = clip::layoutBoxes(r.layout, r.corner, 640, 360, 2);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], (clip::PictureBox{0, 0, 640, 360}));
    EXPECT_EQ(boxes[1], (clip::PictureBox{8, 262, 160, 90}));
    const clip::ClipResult res = clip::exportClip(r);
    ASSERT_TRUE(res.ok) << res.error;
    const std::vector<DecodedPicture> pics = decodePictures(dir / "p.mp4");
    ASSERT_EQ(pics.size(), 150u);
    for (int i : {0, 60, 80, 95, 149}) {
        const double at = 1.0 + i / 30.0, ahead = at + 0.5;
        const int follower = ahead >= 4.0 - 1e-9 ? frameAt(ahead - 4.0) : 120 + frameAt(ahead);
        EXPECT_EQ(numberIn(pics[std::size_t(i)], 0, 0, 640, 360), frameAt(at)) << "main, frame " << i;
        EXPECT_EQ(numberIn(pics[std::size_t(i)], 8, 262, 160, 90), follower) << "small, frame " << i;
    }
    // Beside the small picture the main one shows through.
    const std::uint8_t *q = pics[0].bgra.data() + (std::size_t(150) * 640 + 600) * 4;
    EXPECT_GT((q[0] + q[1] + q[2]) / 3, 80);
}

// A second camera whose file was cut short (its index whole, half its pictures gone): the
// clip is written, and that camera keeps its last picture to the end.
TEST(ClipComposed, TruncatedFollowerKeepsItsLastPicture)
{
    TempDir dir("clip-short-follower");
    std::ifstream in(kA, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(dir / "half.mp4", std::ios::binary).write(bytes.data(), std::streamsize(bytes.size() / 2));
    clip::ClipRequest r = composed(clip::Layout::SideBySide, dir / "s.mp4");
    r.to = 4.0;
    r.followers = {{{dir / "half.mp4", ""}, 0}};
    const clip::ClipResult res = clip::exportClip(r);
    ASSERT_TRUE(res.ok) << res.error;
    const std::vector<DecodedPicture> pics = decodePictures(dir / "s.mp4");
    ASSERT_EQ(pics.size(), 90u);
    // Side by side: each 16:9 picture half as wide, centred in its half of the frame.
    EXPECT_EQ(numberIn(pics[0], 320, 90, 320, 180), 30);
    const int last = numberIn(pics[89], 320, 90, 320, 180);
    EXPECT_GT(last, 30);
    EXPECT_LT(last, 110);
    EXPECT_EQ(numberIn(pics[85], 320, 90, 320, 180), last);
    EXPECT_EQ(numberIn(pics[89], 0, 90, 320, 180), 119);
}

TEST(ClipComposed, SideBySideBoxesAndRefusals)
{
    const std::vector<clip::PictureBox> side = clip::layoutBoxes(clip::Layout::SideBySide, clip::Corner::TopRight, 1920, 1080, 2);
    ASSERT_EQ(side.size(), 2u);
    EXPECT_EQ(side[1], (clip::PictureBox{960, 0, 960, 1080}));
    // A 16:9 picture in a half-width cell: as wide as the cell, bars above and below.
    EXPECT_EQ(clip::fitBox(side[1], 1920, 1080, {1, 1}), (clip::PictureBox{960, 270, 960, 540}));
    const std::vector<clip::PictureBox> grid = clip::layoutBoxes(clip::Layout::Grid, clip::Corner::TopRight, 1920, 1080, 3);
    ASSERT_EQ(grid.size(), 3u);
    EXPECT_EQ(grid[2], (clip::PictureBox{0, 540, 960, 540}));
    EXPECT_EQ(clip::layoutBoxes(clip::Layout::Grid, clip::Corner::TopRight, 1920, 1080, 2)[1],
              (clip::PictureBox{960, 0, 960, 540}));
    EXPECT_EQ(clip::layoutBoxes(clip::Layout::Grid, clip::Corner::TopRight, 1920, 1080, 5).size(), 5u);
    EXPECT_EQ(clip::layoutBoxes(clip::Layout::Grid, clip::Corner::TopRight, 1920, 1080, 5)[4],
              (clip::PictureBox{640, 540, 640, 540}));

    TempDir dir("clip-composed-bad");
    clip::ClipRequest r = composed(clip::Layout::SideBySide, dir / "s.mp4");
    r.followers = {{{kB}, 0}}; // one file for two moments
    EXPECT_NE(clip::exportClip(r).error.find("each recording"), std::string::npos);
    r.followers = {{{kB, dir / "missing.mp4"}, 0}};
    EXPECT_NE(clip::exportClip(r).error.find("missing.mp4"), std::string::npos);
    r.followers = {{{kB, kA}, 0}};
    r.burnIn = false;
    EXPECT_NE(clip::exportClip(r).error.find("burning in"), std::string::npos);
    EXPECT_EQ(dir.entries(), 0u);
}

TEST(ClipErrors, BadRangesAndRecordingsLeaveNothing)
{
    TempDir dir("clip-errors");
    const std::string out = dir / "o.mp4";
    struct Case {
        std::vector<std::string> files;
        double from, to;
        const char *says;
    } cases[] = {
        {{kA}, 4.5, -1, "lies after the end of the recordings"},
        {{kA}, 1, 9, "lies after the end of the recordings"},
        {{kA}, 3, 2, "is not after the start"},
        {{kA}, -1, 2, "from 0 on"},
        {{kA, dir / "missing.mp4"}, 0, -1, "cannot read"},
        {{kA}, 0, 1, nullptr},
    };
    for (const Case &c : cases) {
        const clip::ClipResult r = cut(c.files, c.from, c.to, c.says ? out : dir / "fine.mp4");
        if (!c.says) {
            EXPECT_TRUE(r.ok) << r.error;
            fs::remove(dir / "fine.mp4");
            continue;
        }
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
        EXPECT_EQ(dir.entries(), 0u) << c.says;
    }
    // An output named like a recording is refused before anything is read.
    fs::copy_file(kA, dir / "rec.mp4");
    const clip::ClipResult self = cut({dir / "rec.mp4"}, 0, 1, dir / "rec.mp4");
    EXPECT_FALSE(self.ok);
    EXPECT_NE(self.error.find("never written over"), std::string::npos) << self.error;
    EXPECT_EQ(fs::file_size(dir / "rec.mp4"), fs::file_size(kA));
}

TEST(ClipErrors, ForcedEncoderThatIsNotThereIsAnErrorAndLeavesNothing)
{
    TempDir dir("clip-forced");
    {
        StandIn none({}, 0, nullptr);
        const clip::ClipResult res = cut({kA}, 0, 1, dir / "auto.mp4", true);
        ASSERT_TRUE(res.ok) << res.error;
        EXPECT_EQ(res.encoder, "libx264");
        EXPECT_EQ(none.opened, std::vector<std::string>{"libx264"});
    }
    fs::remove(dir / "auto.mp4");
    const struct {
        const char *forced, *says;
    } cases[] = {{"vaapi", "TRAVA_CLIP_ENCODER=vaapi: no VA-API device"},
                 {"nvenc", "TRAVA_CLIP_ENCODER=nvenc: no NVIDIA card"},
                 {"x265", "TRAVA_CLIP_ENCODER must be auto, libx264, vaapi or nvenc"}};
    for (const auto &c : cases) {
        StandIn none({}, 0, c.forced);
        const clip::ClipResult res = cut({kA}, 0, 1, dir / "o.mp4", true);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.error.rfind(c.says, 0), 0u) << res.error;
        EXPECT_EQ(res.error.find('\n'), std::string::npos);
        EXPECT_TRUE(none.opened.empty()) << c.forced;
        EXPECT_EQ(dir.entries(), 0u) << c.forced;
    }
}

TEST(ClipErrors, TruncatedRecordingsAreNamed)
{
    TempDir dir("clip-truncated");
    std::ifstream in(kA, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The index stands first; half the pictures are gone.
    std::ofstream(dir / "half.mp4", std::ios::binary).write(bytes.data(), std::streamsize(bytes.size() / 2));
    std::ofstream(dir / "stub.mp4", std::ios::binary).write(bytes.data(), 600);
    for (bool burn : {false, true}) {
        const clip::ClipResult r = cut({dir / "half.mp4"}, 0.5, 3.5, dir / "o.mp4", burn);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("half.mp4 ends early"), std::string::npos) << r.error;
    }
    const clip::ClipResult stub = cut({dir / "stub.mp4"}, 0, 1, dir / "o.mp4");
    EXPECT_FALSE(stub.ok);
    EXPECT_NE(stub.error.find("stub.mp4"), std::string::npos) << stub.error;
    EXPECT_EQ(dir.entries(), 2u);
}

TEST(ClipErrors, UnwritableTargetsAndAFullDiskLeaveNothing)
{
    TempDir dir("clip-unwritable");
    const clip::ClipResult noFolder = cut({kA}, 0, 1, dir / "none/o.mp4");
    EXPECT_FALSE(noFolder.ok);
    EXPECT_NE(noFolder.error.find("cannot write"), std::string::npos) << noFolder.error;
    std::ofstream(dir / "file") << "x";
    const clip::ClipResult notFolder = cut({kA}, 0, 1, dir / "file/o.mp4");
    EXPECT_FALSE(notFolder.ok);
    const clip::ClipResult badEnding = cut({kA}, 0, 1, dir / "o.unknown-ending");
    EXPECT_FALSE(badEnding.ok);
    EXPECT_NE(badEnding.error.find("no container"), std::string::npos) << badEnding.error;

    // A disk that fills up: the file size limit makes every write past 20 kB fail as a full
    // disk's would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 20000;
    setrlimit(RLIMIT_FSIZE, &small);
    const clip::ClipResult lossless = cut({kA, kB}, 0, -1, dir / "full.mp4");
    const clip::ClipResult burned = cut({kA}, 0, 3, dir / "full.mp4", true);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    for (const clip::ClipResult &r : {lossless, burned}) {
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("cannot write"), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("too large"), std::string::npos) << r.error;
    }
    EXPECT_EQ(dir.entries(), 1u); // the plain file made above
}

TEST(ClipControl, ProgressAndACancelFromAnotherThread)
{
    TempDir dir("clip-cancel");
    for (bool burn : {false, true}) {
        clip::ClipControl control;
        std::vector<double> seen;
        control.onProgress = [&](double done, double total) {
            seen.push_back(done);
            EXPECT_NEAR(total, 6.0, 1e-9);
        };
        const clip::ClipResult whole = cut({kA, kB}, 1.0, 7.0, dir / "p.mp4", burn, &control);
        ASSERT_TRUE(whole.ok) << whole.error;
        ASSERT_GT(seen.size(), 10u);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_NEAR(seen.back(), 6.0, 1e-9);
        fs::remove(dir / "p.mp4");

        // Another thread cancels once half is done.
        clip::ClipControl stop;
        std::atomic<bool> half{false};
        stop.onProgress = [&](double done, double total) {
            if (done > total / 2)
                half = true;
            while (half && !stop.isCancelled())
                std::this_thread::yield();
        };
        std::thread canceller([&] {
            while (!half)
                std::this_thread::yield();
            stop.cancel();
        });
        const clip::ClipResult r = cut({kA, kB}, 1.0, 7.0, dir / "c.mp4", burn, &stop);
        canceller.join();
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.cancelled);
        EXPECT_EQ(r.error, "cancelled");
        EXPECT_EQ(dir.entries(), 0u);
    }
}

TEST(ClipTime, SecondsAndClockTimes)
{
    double t = -1;
    EXPECT_TRUE(clip::parseClipTime("12.5", &t));
    EXPECT_DOUBLE_EQ(t, 12.5);
    EXPECT_TRUE(clip::parseClipTime("01:02:03.250", &t));
    EXPECT_DOUBLE_EQ(t, 3723.25);
    EXPECT_TRUE(clip::parseClipTime("00:00:07", &t));
    EXPECT_DOUBLE_EQ(t, 7);
    for (const char *bad : {"", "-1", "+3", "1:2", "00:60:00", "00:00:60", "00:0:05", "1e3", "12,5", "ab", "00:00:.5",
                            "nan", "inf"})
        EXPECT_FALSE(clip::parseClipTime(bad, &t)) << bad;
}

} // namespace
