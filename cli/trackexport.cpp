#include "cli/trackexport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "telemetry/kalgpsapi.h"
#include "track/trackdecoder.h"
#include "cli/trackformats.h"

namespace {


std::string baseName(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Lines repeated character for character are dropped, keeping the first, as the player
// does before decoding; recordings of one drive often overlap by a second.
void appendUnique(std::vector<std::string> &to, std::unordered_set<std::string> &seen, std::vector<std::string> lines)
{
    for (std::string &line : lines) {
        if (seen.insert(line).second)
            to.push_back(std::move(line));
    }
}

} // namespace

std::vector<std::string> splitSampleLines(const char *text)
{
    // A ';' right before a ':' is a hemisphere letter, not the end of a line.
    std::vector<std::string> lines;
    std::string line;
    for (const char *p = text; p && *p; ++p) {
        if (*p == ';' && p[1] != ':') {
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line += *p;
        }
    }
    return lines;
}

DecodedFile decodeFile(const std::string &path)
{
    DecodedFile file{path, {}, {}};
    if (const char *why = unreadable(path)) {
        file.unreadable = why;
        return file;
    }
    kalGpsInit();
    char *text = nullptr;
    if (kalGpsDecode(&text, path.c_str(), 0) > 0 && text)
        file.lines = splitSampleLines(text);
    std::free(text);
    kalGpsExit();
    return file;
}

const char *unreadable(const std::string &path, std::uint64_t *size)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come. Only
    // regular files are recordings; a block device may hold a card's image.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    struct stat st {};
    const int statted = fstat(fd, &st);
    const int error = errno;
    close(fd);
    if (statted != 0)
        return std::strerror(error);
    if (S_ISDIR(st.st_mode))
        return "is a directory";
    if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode))
        return "not a regular file";
    if (size)
        *size = std::uint64_t(st.st_size);
    return nullptr;
}

bool isExportFormat(const std::string &format)
{
    return format == "csv" || format == "gpx" || format == "kml" || format == "geojson" || format == "events";
}

int exportTracks(const std::string &format, const std::string &datum, bool merge,
                 const std::vector<std::string> &paths, std::ostream &out, std::ostream &err,
                 HarshSensitivity sensitivity)
{
    if (!isExportFormat(format)) {
        err << "trava-gps: unknown format '" << format << "'\n";
        return 2;
    }
    if (datum != "wgs84" && datum != "gcj02") {
        err << "trava-gps: unknown datum '" << datum << "'\n";
        return 2;
    }
    if (paths.empty()) {
        err << "trava-gps: no file given\n";
        return 2;
    }
    std::vector<DecodedFile> files;
    files.reserve(paths.size());
    for (const std::string &path : paths)
        files.push_back(decodeFile(path));
    return exportDecoded(format, datum, merge, files, out, err, nullptr, sensitivity);
}

int exportRecordingLines(const std::string &format, const std::string &datum, bool merge,
                         const std::vector<RecordingLines> &recordings, std::ostream &out, std::ostream &err,
                         HarshSensitivity sensitivity, const ClockOf &clockOf)
{
    std::vector<DecodedFile> files;
    std::vector<std::string> names;
    files.reserve(recordings.size());
    names.reserve(recordings.size());
    for (const RecordingLines &r : recordings) {
        files.push_back({r.label, {}, r.lines});
        names.push_back(r.name);
    }
    return exportDecoded(format, datum, merge, files, out, err, nullptr, sensitivity, &names, clockOf);
}

int exportDecoded(const std::string &format, const std::string &datum, bool merge,
                  const std::vector<DecodedFile> &files, std::ostream &out, std::ostream &err,
                  std::vector<int> *perFile, HarshSensitivity sensitivity, const std::vector<std::string> *names,
                  const ClockOf &clockOf)
{
    if (!isExportFormat(format) || (datum != "wgs84" && datum != "gcj02")) {
        err << "trava-gps: unknown format '" << format << "' or datum '" << datum << "'\n";
        return 2;
    }
    const TrackDatum mode = datum == "gcj02" ? TrackDatum::Gcj02InsideChina : TrackDatum::Wgs84;

    int status = 0;
    std::vector<NamedTrack> tracks;
    std::vector<std::string> mergedLines;
    std::unordered_set<std::string> mergedSeen;
    std::string mergedFirstPath; // the drive's first recording names its camera's clock
    if (perFile)
        perFile->assign(files.size(), 0);
    auto outcome = [&](std::size_t i, int code) {
        if (perFile)
            (*perFile)[i] = code;
        if (code > status)
            status = code;
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        const DecodedFile &file = files[i];
        const std::string &path = file.path;
        if (!file.unreadable.empty()) {
            err << "trava-gps: cannot read " << path << ": " << file.unreadable << "\n";
            outcome(i, 2);
            continue;
        }
        if (file.lines.empty()) {
            err << "trava-gps: no telemetry in " << path << "\n";
            outcome(i, 1);
            continue;
        }
        if (merge) {
            if (mergedFirstPath.empty())
                mergedFirstPath = path;
            appendUnique(mergedLines, mergedSeen, file.lines);
            continue;
        }
        std::vector<std::string> unique;
        std::unordered_set<std::string> seen;
        appendUnique(unique, seen, file.lines);
        Track track = decodeGpsData(unique, mode);
        if (trackSize(track) == 0) {
            err << "trava-gps: no telemetry in " << path << "\n";
            outcome(i, 1);
            continue;
        }
        ZonedClock clock = clockOf ? clockOf(path, track) : ZonedClock();
        tracks.push_back({names ? (*names)[i] : baseName(path), std::move(track), std::move(clock)});
    }
    if (merge && !mergedLines.empty()) {
        Track track = decodeGpsData(mergedLines, mode);
        ZonedClock clock = clockOf ? clockOf(mergedFirstPath, track) : ZonedClock();
        tracks.push_back({"merged drive", std::move(track), std::move(clock)});
    }

    if (format == "events") {
        writeEvents(tracks, sensitivity, out);
        out.flush();
        return status;
    }

    for (const NamedTrack &t : tracks) {
        std::size_t unplaced = 0;
        for (const GPSItem &s : *t.track)
            unplaced += hasValidPosition(s) ? 0 : 1;
        if (unplaced)
            err << "trava-gps: " << t.name << ": " << unplaced << " samples without a valid position left out\n";
    }

    if (format == "csv")
        writeCsv(tracks, out);
    else if (format == "gpx")
        writeGpx(tracks, out);
    else if (format == "kml")
        writeKml(tracks, out);
    else
        writeGeoJson(tracks, out);
    out.flush();
    return status;
}
