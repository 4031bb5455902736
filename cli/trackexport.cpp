#include "cli/trackexport.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "telemetry/kalgpsapi.h"
#include "track/trackdecoder.h"
#include "cli/trackformats.h"

namespace {

// The library's sample lines of one local file, each without its ';'. A ';' right before
// a ':' is a hemisphere letter, not the end of a line.
std::vector<std::string> sampleLines(const std::string &path)
{
    std::vector<std::string> lines;
    kalGpsInit();
    char *text = nullptr;
    if (kalGpsDecode(&text, path.c_str(), 0) > 0 && text) {
        std::string line;
        for (const char *p = text; *p; ++p) {
            if (*p == ';' && p[1] != ':') {
                lines.push_back(std::move(line));
                line.clear();
            } else {
                line += *p;
            }
        }
    }
    std::free(text);
    kalGpsExit();
    return lines;
}

const char *unreadable(const std::string &path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return "is a directory";
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::strerror(errno);
    std::fclose(f);
    return nullptr;
}

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
    int status = 0;
    std::vector<RecordingLines> recordings;
    for (const std::string &path : paths) {
        if (const char *why = unreadable(path)) {
            err << "trava-gps: cannot read " << path << ": " << why << "\n";
            status = 2;
            continue;
        }
        recordings.push_back({baseName(path), path, sampleLines(path)});
    }
    const int written = exportRecordingLines(format, datum, merge, recordings, out, err, sensitivity);
    return status != 0 ? status : written;
}

int exportRecordingLines(const std::string &format, const std::string &datum, bool merge,
                         const std::vector<RecordingLines> &recordings, std::ostream &out, std::ostream &err,
                         HarshSensitivity sensitivity)
{
    if (!isExportFormat(format)) {
        err << "trava-gps: unknown format '" << format << "'\n";
        return 2;
    }
    const TrackDatum mode = datum == "gcj02" ? TrackDatum::Gcj02InsideChina : TrackDatum::Wgs84;
    int status = 0;
    std::vector<NamedTrack> tracks;
    std::vector<std::string> mergedLines;
    std::unordered_set<std::string> mergedSeen;
    for (const RecordingLines &recording : recordings) {
        if (recording.lines.empty()) {
            err << "trava-gps: no telemetry in " << recording.label << "\n";
            status = 1;
            continue;
        }
        if (merge) {
            appendUnique(mergedLines, mergedSeen, recording.lines);
            continue;
        }
        std::vector<std::string> unique;
        std::unordered_set<std::string> seen;
        appendUnique(unique, seen, recording.lines);
        Track track = decodeGpsData(unique, mode);
        if (trackSize(track) == 0) {
            err << "trava-gps: no telemetry in " << recording.label << "\n";
            status = 1;
            continue;
        }
        tracks.push_back({recording.name, std::move(track)});
    }
    if (merge && !mergedLines.empty())
        tracks.push_back({"merged drive", decodeGpsData(mergedLines, mode)});

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
