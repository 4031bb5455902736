// trava-clip: cuts the moment of an incident out of dash-camera recordings, losslessly or
// with the dashboard burned into the picture.
#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "cli/clipchannels.h"
#include "cli/clipevidence.h"
#include "cli/clipoptions.h"
#include "cli/dashboardoverlay.h"
#include "clip/clipexport.h"
#include "track/cardrules.h"

namespace {

// Standard error carries one line on failure and the progress line; Qt's own notes (a
// missing runtime folder, fonts) would only bury them.
void quietQt(QtMsgType, const QMessageLogContext &, const QString &) {}

int fail(const std::string &why)
{
    std::cerr << "trava-clip: " << why << "\n";
    return 2;
}

std::string oneDecimal(double v)
{
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 1);
    return ec == std::errc() ? std::string(text, end) : std::string("?");
}

// "  12.3 s of 20.0 s  61 %  libx264" (the encoder with --burn-in), redrawn in place at most five times a second.
class ClipProgressLine {
public:
    void draw(double done, double total, const std::string &encoder)
    {
        const auto now = std::chrono::steady_clock::now();
        if (m_shown && now - m_last < std::chrono::milliseconds(200))
            return;
        m_last = now;
        m_shown = true;
        const int percent = total > 0 ? int(std::clamp(done / total, 0.0, 1.0) * 100) : 0;
        const std::string line =
            "\r\033[K" + oneDecimal(done) + " s of " + oneDecimal(total) + " s  " + std::to_string(percent) + " %" +
            (encoder.empty() ? "" : "  " + encoder);
        (void)!::write(STDERR_FILENO, line.data(), line.size());
    }
    ~ClipProgressLine()
    {
        if (m_shown)
            (void)!::write(STDERR_FILENO, "\r\033[K", 4);
    }

private:
    std::chrono::steady_clock::time_point m_last;
    bool m_shown = false;
};

} // namespace

int main(int argc, char **argv)
{
    // libva writes its own notes (the driver it tries, why it failed) to standard error when
    // the burn-in looks for the video hardware; the export says in one line what matters.
    setenv("LIBVA_MESSAGING_LEVEL", "0", 0);
    ClipOptions o;
    std::string why;
    if (!parseClipOptions(argc, argv, &o, &why))
        return fail(why + " (see --help)");
    if (o.help) {
        std::cout << kClipUsage;
        return 0;
    }
    if (o.version) {
        std::cout << "trava-clip " << TRAVA_VERSION << "\n";
        return 0;
    }
    if (o.evidence && !evidencePackageAvailable())
        return fail("evidence package not available in this build");

    clip::ClipRequest request;
    request.recordings = o.recordings;
    request.from = o.from;
    request.to = o.to;
    request.output = o.output;
    request.burnIn = o.burnIn;
    request.crf = o.crf;
    request.preset = o.preset;
    std::vector<std::string> others; // the further cameras' files, for the checksums
    if (o.layout != "main") {
        std::vector<std::string> ruleErrors; // a broken line of the user's rules: that rule is left out
        ClipChannels channels;
        if (!sortClipChannels(o.recordings, loadCardRules(&ruleErrors), &channels, &why))
            return fail(why);
        request.recordings = channels.main;
        request.layout = o.layout == "pip"    ? clip::Layout::PictureInPicture
                         : o.layout == "side" ? clip::Layout::SideBySide
                                              : clip::Layout::Grid;
        // The small pictures keep clear of the dashboard's band.
        request.corner = o.place == "band-top" ? clip::Corner::BottomRight : clip::Corner::TopRight;
        for (const std::vector<std::string> &files : channels.followers) {
            request.followers.push_back({files, 0.0});
            for (const std::string &f : files)
                if (!f.empty())
                    others.push_back(f);
        }
    }

    // The dashboard is painted with Qt's raster engine; no window is opened.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QGuiApplication> app;
    std::unique_ptr<DashboardOverlay> overlay;
    if (o.burnIn || o.evidence) {
        // The report's PDF needs the fonts as much as the dashboard does.
        qInstallMessageHandler(quietQt);
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    if (o.burnIn) {
        std::vector<Track> tracks;
        for (const std::string &r : request.recordings)
            tracks.push_back(recordingTrack(r));
        overlay = std::make_unique<DashboardOverlay>(std::move(tracks), dashboardWidgets(o.widgets),
                                                     dashboardPlacement(o.place),
                                                     o.unit == "mph" ? QStringLiteral("MPH") : QStringLiteral("KMH"));
        request.overlay = [&overlay](const clip::FrameTime &t, int w, int h, clip::Overlay &ov) {
            return (*overlay)(t, w, h, ov);
        };
    }

    clip::ClipControl control;
    std::unique_ptr<ClipProgressLine> progress;
    if (isatty(STDERR_FILENO)) {
        progress = std::make_unique<ClipProgressLine>();
        control.onProgress = [&progress, &control](double done, double total) {
            progress->draw(done, total, control.encoder());
        };
    }
    const clip::ClipResult result =
        o.evidence ? exportClipWithEvidence(request, {request.recordings, 0, 0, o.output, o.unit == "mph", others, {}},
                                            &control)
                   : clip::exportClip(request, &control);
    progress.reset();
    if (!result.ok && result.cannotJoin && !o.burnIn)
        return fail(result.error + "; --burn-in re-encodes them into one clip");
    if (!result.ok)
        return fail(result.error);
    return 0;
}
