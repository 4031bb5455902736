#pragma once
// Track export of trava-gps: csv, gpx, kml and geojson renderings of decoded tracks.
#include <ostream>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "track/harshevents.h"
#include "track/zonedclock.h"

// One input's decoded telemetry, ready for export: the library's sample lines (each without
// its ';'), or why the file could not be read.
struct DecodedFile {
    std::string path;
    std::string unreadable; // empty when the file was read
    std::vector<std::string> lines;
};

// One recording's sample lines (each without its ';') as the player already extracted them.
struct RecordingLines {
    std::string name;  // the track's name in the output: the file name
    std::string label; // how messages name it: the path
    std::vector<std::string> lines;
};

// The library's text split into sample lines, each without its ';'.
std::vector<std::string> splitSampleLines(const char *text);

// Null when path is a file that can be opened for reading (its size then goes to size, when
// given); otherwise why not.
const char *unreadable(const std::string &path, std::uint64_t *size = nullptr);

// Reads one local file with the library (not re-entrant: one call at a time per process).
DecodedFile decodeFile(const std::string &path);

// Decodes each path's telemetry into a track and writes it to out in the given format.
// datum: "wgs84" or "gcj02". merge: join all files' samples into one track in time order.
// Returns the process exit code: 0 every file yielded samples, 1 a readable file had none,
// 2 usage error or unreadable file (a one-line message naming it goes to err).
// format "events" writes the harsh events found at the given sensitivity instead.
int exportTracks(const std::string &format, const std::string &datum, bool merge,
                 const std::vector<std::string> &paths, std::ostream &out, std::ostream &err,
                 HarshSensitivity sensitivity = HarshSensitivity::Normal);

// The zone a recording's times are written in, from its path and its decoded track (the
// camera's clock is read from both). Without one, times are written as recorded.
using ClockOf = std::function<ZonedClock(const std::string &path, const Track &track)>;

// The same for files already decoded (by worker processes, in any order of completion).
// perFile, when given, receives each file's own code (0, 1 or 2) in the order of files.
int exportDecoded(const std::string &format, const std::string &datum, bool merge,
                  const std::vector<DecodedFile> &files, std::ostream &out, std::ostream &err,
                  std::vector<int> *perFile = nullptr,
                  HarshSensitivity sensitivity = HarshSensitivity::Normal,
                  const std::vector<std::string> *names = nullptr, // output names, else the paths' file names
                  const ClockOf &clockOf = {});

// The same from sample lines already extracted (the player's path): repeated lines
// dropped, decoded in the datum, written. Returns 0, or 1 when a recording had no samples.
int exportRecordingLines(const std::string &format, const std::string &datum, bool merge,
                         const std::vector<RecordingLines> &recordings, std::ostream &out, std::ostream &err,
                         HarshSensitivity sensitivity = HarshSensitivity::Normal, const ClockOf &clockOf = {});

// True for the formats exportTracks handles (csv, gpx, kml, geojson, events).
bool isExportFormat(const std::string &format);
