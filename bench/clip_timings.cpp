// Where a burned-in clip's time goes: the export of trava-clip --burn-in with the default
// widgets, run in-process, with the clip library's own account of reading, decoding,
// painting the dashboard, blending it in, encoding and writing.
// With --evidence: the lossless cut with its evidence package as trava-clip writes it, run
// RUNS times in one process, so the figures leave out the start of a process (loading the
// FFmpeg and Qt libraries), as in the window, where they are loaded already.
// Usage: clip_timings IN.mp4 FROM TO OUT.mp4 [pip|side|grid FOLLOWER.mp4]
//        clip_timings --evidence IN.mp4 FROM TO OUT.mp4 [RUNS]
// (with a layout, FOLLOWER is composed with IN as a second camera of the same moment)
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/clipevidence.h"
#include "cli/dashboardoverlay.h"
#include "clip/clipexport.h"

namespace {

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int evidenceRuns(int argc, char **argv)
{
    clip::ClipRequest r;
    r.recordings = {argv[2]};
    r.from = std::atof(argv[3]);
    r.to = std::atof(argv[4]);
    r.output = argv[5];
    const int runs = argc > 6 ? std::max(1, std::atoi(argv[6])) : 5;
    std::vector<double> walls;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const clip::ClipResult res = exportClipWithEvidence(r, {r.recordings, 0, 0, r.output, false, {}, {}});
        walls.push_back(since(start));
        if (!res.ok) {
            std::fprintf(stderr, "clip_timings: %s\n", res.error.c_str());
            return 1;
        }
        std::printf("lossless with evidence, in-process run %d: wall %.3f s, x real time %.0f\n", i + 1, walls.back(),
                    (r.to - r.from) / walls.back());
    }
    std::sort(walls.begin() + 1, walls.end());
    if (runs > 1)
        std::printf("first run %.3f s (the report's fonts loaded), median of the rest %.3f s = %.0fx real time\n",
                    walls.front(), walls[1 + (runs - 1) / 2], (r.to - r.from) / walls[1 + (runs - 1) / 2]);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const bool evidence = argc >= 2 && std::string(argv[1]) == "--evidence";
    if ((evidence && argc != 6 && argc != 7) || (!evidence && argc != 5 && argc != 7)) {
        std::fprintf(stderr, "usage: clip_timings IN.mp4 FROM TO OUT.mp4 [pip|side|grid FOLLOWER.mp4]\n"
                             "       clip_timings --evidence IN.mp4 FROM TO OUT.mp4 [RUNS]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (evidence)
        return evidenceRuns(argc, argv);
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
    const double wall = since(start);
    if (!res.ok) {
        std::fprintf(stderr, "clip_timings: %s\n", res.error.c_str());
        return 1;
    }
    const clip::ClipTimings &t = res.timings;
    std::printf("encoder %s\n", res.encoder.c_str());
    std::printf("frames %lld, wall %.2f s: read %.2f, decode %.2f, compose %.2f, paint %.3f (%d repaints), "
                "blend %.3f, encode %.2f, write %.3f s\n",
                (long long)res.videoFrames, wall, t.read, t.decode, t.compose, t.paint, t.repaints, t.blend, t.encode,
                t.write);
    return 0;
}
