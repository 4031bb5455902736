#include "clip/clipexport.h"

#include <sys/stat.h>

#include <charconv>
#include <cmath>

#include "clip/cutjob.h"
#include "clip/tempoutput.h"

extern "C" {
#include <libavutil/log.h>
}

namespace clip {

namespace {
constexpr double kSame = 5e-7;

std::string seconds(double s)
{
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, s, std::chars_format::fixed, 3);
    return (ec == std::errc() ? std::string(text, end) : std::string("?")) + " s";
}

bool sameFile(const std::string &a, const std::string &b)
{
    struct stat sa {}, sb {};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void quietLibraries()
{
    // The libraries' own chatter is no use on a clip's command line or in the window.
    static const bool once = [] {
        av_log_set_level(AV_LOG_FATAL);
        return true;
    }();
    (void)once;
}
} // namespace

void ClipControl::report(double done, double total)
{
    m_total.store(total);
    if (done <= m_done.load() && done != 0)
        return;
    m_done.store(done);
    if (onProgress)
        onProgress(done, total);
}

std::int64_t clipTs(const Recording &r, int stream, std::int64_t ts, AVRational out, double clipStart)
{
    const AVStream *in = r.format->streams[stream];
    const std::int64_t zero = av_rescale_q(r.videoStart, r.videoStream()->time_base, in->time_base);
    const std::int64_t shift = std::llround((r.offset - clipStart) / av_q2d(out));
    return av_rescale_q(ts - zero, in->time_base, out) + shift;
}

bool endsEarly(double lastPictureEnd, double expected) { return lastPictureEnd < expected - 0.5; }

bool parseClipTime(const std::string &text, double *out)
{
    if (text.empty() || text.size() > 64)
        return false;
    auto number = [](std::string_view part, double *v, bool whole) {
        if (part.empty() || part[0] == '+' || part[0] == '-')
            return false;
        if (whole && part.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), *v, std::chars_format::fixed);
        return ec == std::errc() && ptr == part.data() + part.size() && std::isfinite(*v);
    };
    std::string_view t(text);
    const auto first = t.find(':');
    if (first == std::string_view::npos) {
        double v = 0;
        if (!number(t, &v, false))
            return false;
        *out = v;
        return true;
    }
    const auto second = t.find(':', first + 1);
    if (second == std::string_view::npos)
        return false;
    double h = 0, m = 0, s = 0;
    const std::string_view sec = t.substr(second + 1);
    if (!number(t.substr(0, first), &h, true) || !number(t.substr(first + 1, second - first - 1), &m, true) ||
        second - first - 1 != 2 || !number(sec, &s, false) || sec.size() < 2 || sec[0] == '.' || sec[1] == '.' ||
        m >= 60 || s >= 60)
        return false;
    *out = h * 3600 + m * 60 + s;
    return true;
}

std::vector<double> recordingDurations(const std::vector<std::string> &recordings, std::string *error)
{
    quietLibraries();
    std::vector<double> out;
    for (const std::string &path : recordings) {
        Recording r;
        std::string why;
        if (!openRecording(path, &r, &why)) {
            if (error)
                *error = why;
            return {};
        }
        out.push_back(r.duration);
    }
    return out;
}

std::string joinProblem(const std::vector<std::string> &recordings, double from, double to)
{
    quietLibraries();
    RecordingSet set;
    std::string why;
    if (recordings.empty() || !set.open(recordings, &why))
        return {};
    const double end = to < 0 ? set.total() : std::min(to, set.total());
    if (!std::isfinite(from) || from < 0 || end <= from)
        return {};
    return set.joinProblem(set.at(from), set.at(end - kSame));
}

ClipResult exportClip(const ClipRequest &request, ClipControl *control)
{
    quietLibraries();
    ClipResult result;
    auto failed = [&](const std::string &why) {
        result.ok = false;
        result.error = why;
        result.cancelled = control && control->isCancelled();
        return result;
    };
    if (request.recordings.empty())
        return failed("no recording given");
    if (request.output.empty())
        return failed("no output file given");
    for (const std::string &r : request.recordings)
        if (sameFile(r, request.output))
            return failed(request.output + " is one of the recordings; never written over");
    if (request.layout != Layout::Main && !request.burnIn)
        return failed("the channels are only composed when burning in");
    if (request.burnIn && (request.crf < 0 || request.crf > 51))
        return failed("the quality (crf) must be 0 to 51");

    RecordingSet set;
    std::string why;
    if (!set.open(request.recordings, &why))
        return failed(why);
    const double total = set.total();
    const bool toEnd = request.to < 0;
    const double to = toEnd ? total : request.to;
    if (!std::isfinite(request.from) || request.from < 0)
        return failed("the start must be a time from 0 on");
    if (request.from >= total)
        return failed("the start " + seconds(request.from) + " lies after the end of the recordings (" + seconds(total) + ")");
    if (!toEnd && to > total + kSame)
        return failed("the end " + seconds(to) + " lies after the end of the recordings (" + seconds(total) + ")");
    if (to <= request.from)
        return failed("the end " + seconds(to) + " is not after the start " + seconds(request.from));

    CutJob job{set, request, set.at(request.from), set.at(to - kSame), request.from, to, toEnd, nullptr, control, result};
    if (!request.burnIn) {
        const std::string problem = set.joinProblem(job.first, job.last);
        if (!problem.empty()) {
            result.cannotJoin = true;
            return failed(problem);
        }
    }

    const AVOutputFormat *format = av_guess_format(nullptr, request.output.c_str(), nullptr);
    if (!format)
        return failed("no container known for the ending of " + request.output + " (use .mp4, .mov, .mkv or .ts)");
    TempOutput file;
    if (!file.create(request.output, &why))
        return failed(why);
    AVFormatContext *out = nullptr;
    if (avformat_alloc_output_context2(&out, format, nullptr, nullptr) < 0 || !out)
        return failed("cannot set up the output");
    out->pb = file.io();
    out->flags |= AVFMT_FLAG_CUSTOM_IO;
    job.out = out;
    if (control)
        control->report(0, to - request.from);

    const bool done = request.burnIn ? burnIn(job) : cutLossless(job);
    avformat_free_context(out);
    if (!done || file.error()) {
        std::string error = result.error;
        if (file.error())
            error = "cannot write " + request.output + ": " + avError(file.error());
        if (control && control->isCancelled())
            error = "cancelled";
        file.discard();
        return failed(error);
    }
    if (control && control->isCancelled()) {
        file.discard();
        return failed("cancelled");
    }
    if (!file.commit(&why, request.hashOutput ? &result.sha256 : nullptr))
        return failed(why);
    if (control)
        control->report(to - request.from, to - request.from);
    result.ok = true;
    result.error.clear();
    return result;
}

} // namespace clip
