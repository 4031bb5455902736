#include "app/clipexportengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "cli/dashboardoverlay.h"

namespace {

std::string local(const QString &path) { return QFile::encodeName(path).toStdString(); }

// One channel to one file: the library runs here, while a watcher turns the window's
// cancel into the library's (the library only looks at its own flag).
QString exportOne(clip::ClipRequest request, const std::function<void(double)> &progress,
                  const std::function<bool()> &cancelled, std::string *digest)
{
    clip::ClipControl control;
    control.onProgress = [&progress](double done, double total) {
        if (progress && total > 0)
            progress(std::clamp(done / total, 0.0, 1.0));
    };
    std::atomic<bool> over{false};
    std::thread watcher([&] {
        while (!over.load()) {
            if (cancelled && cancelled()) {
                control.cancel();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    });
    const clip::ClipResult result = clip::exportClip(request, &control);
    over = true;
    watcher.join();
    if (result.ok) {
        *digest = result.sha256;
        return {};
    }
    if (result.cancelled || control.isCancelled())
        return QStringLiteral("cancelled");
    return QString::fromStdString(result.error);
}

} // namespace

bool ClipExportEngine::commonRange(const QList<ClipRecording> &recordings, clip::ClipRequest *out, QString *error)
{
    out->recordings.clear();
    for (const ClipRecording &r : recordings)
        out->recordings.push_back(local(r.path));
    if (recordings.isEmpty()) {
        *error = QStringLiteral("no recording to cut");
        return false;
    }
    const ClipRecording &last = recordings.last();
    out->from = std::max(0.0, recordings.first().from);
    const bool toEnd = !std::isfinite(last.to);
    // A single recording needs no lengths; a later end sits after every earlier recording.
    double before = 0;
    if (recordings.size() > 1 && !toEnd) {
        std::string why;
        const std::vector<double> lengths = clip::recordingDurations(out->recordings, &why);
        if (lengths.size() != out->recordings.size()) {
            *error = QString::fromStdString(why.empty() ? std::string("cannot read the recordings") : why);
            return false;
        }
        for (std::size_t i = 0; i + 1 < lengths.size(); ++i)
            before += lengths[i];
    }
    out->to = toEnd ? -1 : before + std::max(0.0, last.to);
    return true;
}

QString ClipExportEngine::channelOutput(const QString &output, const QString &channel, int index)
{
    QString name;
    for (const QChar c : channel)
        if (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-'))
            name += c;
    if (name.isEmpty())
        name = QStringLiteral("channel") + QString::number(index + 2);
    const QFileInfo info(output);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('-') + name + suffix);
}

namespace {
// A channel's stretches without the moments it has no file for (each to its own file).
QList<ClipRecording> present(const QList<ClipRecording> &recordings)
{
    QList<ClipRecording> out;
    for (const ClipRecording &r : recordings)
        if (!r.path.isEmpty())
            out.append(r);
    return out;
}

clip::Layout libraryLayout(const QString &layout)
{
    if (layout == QLatin1String("pip"))
        return clip::Layout::PictureInPicture;
    if (layout == QLatin1String("side"))
        return clip::Layout::SideBySide;
    if (layout == QLatin1String("grid"))
        return clip::Layout::Grid;
    return clip::Layout::Main;
}
} // namespace

QString ClipExportEngine::joinProblem(const ClipRequest &request)
{
    QList<QList<ClipRecording>> channels{request.recordings};
    for (const QList<ClipRecording> &c : request.otherChannels)
        channels.append(present(c));
    for (const QList<ClipRecording> &c : std::as_const(channels)) {
        clip::ClipRequest lib;
        QString why;
        if (c.size() < 2 || !commonRange(c, &lib, &why))
            continue; // one recording joins nothing; one that cannot be read is the export's to say
        const std::string problem = clip::joinProblem(lib.recordings, lib.from, lib.to);
        if (!problem.empty())
            return QString::fromStdString(problem);
    }
    return {};
}

double ClipExportEngine::length(const QString &path)
{
    const std::vector<double> lengths = clip::recordingDurations({local(path)}, nullptr);
    return lengths.empty() ? 0.0 : lengths.front();
}

ClipExportRunner::Result ClipExportEngine::run(const ClipRequest &request, const std::function<void(double)> &progress,
                                               const std::function<bool()> &cancelled)
{
    const bool burnIn = request.kind == ClipRequest::Kind::WithDashboard;
    // Burned in with a layout: every channel in the one clip; else each to its own file.
    const bool composed = burnIn && !request.otherChannels.isEmpty() && libraryLayout(request.layout) != clip::Layout::Main;

    // The main channel first, then each further one to its own file.
    struct Part {
        QList<ClipRecording> recordings;
        QString output;
    };
    std::vector<Part> parts{{request.recordings, request.output}};
    for (qsizetype i = 0; i < request.otherChannels.size() && !composed; ++i)
        if (!present(request.otherChannels[i]).isEmpty())
            parts.push_back({present(request.otherChannels[i]),
                             channelOutput(request.output, request.otherChannelNames.value(i), int(i))});

    Result result;
    auto fail = [&result](const QString &why) {
        for (const QString &f : std::as_const(result.files))
            QFile::remove(f);
        return Result{{}, why, {}};
    };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (cancelled && cancelled())
            return fail(QStringLiteral("cancelled"));
        clip::ClipRequest lib;
        QString why;
        if (!commonRange(parts[i].recordings, &lib, &why))
            return fail(why);
        lib.output = local(parts[i].output);
        lib.burnIn = burnIn;
        lib.hashOutput = request.evidence;
        if (composed) {
            lib.layout = libraryLayout(request.layout);
            // The small pictures keep clear of a band over the picture.
            lib.corner = request.placement == DashboardRenderer::Placement::TopBand ? clip::Corner::BottomRight
                                                                                    : clip::Corner::TopRight;
            for (qsizetype c = 0; c < request.otherChannels.size(); ++c) {
                clip::FollowerChannel follower;
                for (const ClipRecording &r : request.otherChannels[c])
                    follower.recordings.push_back(local(r.path));
                follower.recordings.resize(lib.recordings.size());
                follower.offset = request.otherChannelOffsets.value(c, 0.0);
                lib.followers.push_back(std::move(follower));
            }
        }
        std::unique_ptr<DashboardOverlay> overlay;
        if (burnIn) {
            // Each recording's track decoded as the window decodes it, painted as it paints it.
            std::vector<Track> tracks;
            for (const std::string &r : lib.recordings)
                tracks.push_back(recordingTrack(r));
            overlay = std::make_unique<DashboardOverlay>(std::move(tracks), request.widgets, request.placement,
                                                         request.speedUnit);
            lib.overlay = [&overlay](const clip::FrameTime &t, int w, int h, clip::Overlay &o) {
                return (*overlay)(t, w, h, o);
            };
        }
        const double share = 1.0 / double(parts.size());
        std::string digest;
        why = exportOne(lib, [&](double f) { if (progress) progress((double(i) + f) * share); }, cancelled, &digest);
        if (!why.isEmpty())
            return fail(why);
        result.files << parts[i].output;
        if (!digest.empty())
            result.digests.insert(parts[i].output, QByteArray::fromStdString(digest));
    }
    return result;
}
