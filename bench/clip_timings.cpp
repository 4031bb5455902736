// Where a burned-in clip's time goes: the export of trava-clip --burn-in with the default
// widgets, run in-process, with the clip library's own account of reading, decoding,
// painting the dashboard, blending it in, encoding and writing.
// Usage: clip_timings IN.mp4 FROM TO OUT.mp4 [pip|side|grid FOLLOWER.mp4]
// (with a layout, FOLLOWER is composed with IN as a second camera of the same moment)
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/dashboardoverlay.h"
#include "clip/clipexport.h"

int main(int argc, char **argv)
{
    if (argc != 5 && argc != 7) {
        std::fprintf(stderr, "usage: clip_timings IN.mp4 FROM TO OUT.mp4 [pip|side|grid FOLLOWER.mp4]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    DashboardOverlay overlay({recordingTrack(argv[1])}, dashboardWidgets({"speed", "time", "position", "gsensor"}),
                             DashboardRenderer::Placement::BottomBand, QStringLiteral("KMH"));
    clip::ClipRequest r;
    r.recordings = {argv[1]};
    r.from = std::atof(argv[2]);
    r.to = std::atof(argv[3]);
    r.output = argv[4];
    r.burnIn = true;
    if (argc == 7) {
        const std::string layout = argv[5];
        r.layout = layout == "pip" ? clip::Layout::PictureInPicture
                   : layout == "side" ? clip::Layout::SideBySide
                                      : clip::Layout::Grid;
        r.followers = {{{argv[6]}, 0.0}};
    }
    r.overlay = [&](const clip::FrameTime &t, int w, int h, clip::Overlay &o) { return overlay(t, w, h, o); };
    const auto start = std::chrono::steady_clock::now();
    const clip::ClipResult res = clip::exportClip(r);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!res.ok) {
        std::fprintf(stderr, "clip_timings: %s\n", res.error.c_str());
        return 1;
    }
    const clip::ClipTimings &t = res.timings;
    std::printf("frames %lld, wall %.2f s: read %.2f, decode %.2f, compose %.2f, paint %.3f (%d repaints), "
                "blend %.3f, encode %.2f, write %.3f s\n",
                (long long)res.videoFrames, wall, t.read, t.decode, t.compose, t.paint, t.repaints, t.blend, t.encode,
                t.write);
    return 0;
}
