#pragma once
// Track export of trava-gps: csv, gpx, kml and geojson renderings of decoded tracks.
#include <ostream>
#include <string>
#include <vector>

// One input's decoded telemetry, ready for export: the library's sample lines (each without
// its ';'), or why the file could not be read.
struct DecodedFile {
    std::string path;
    std::string unreadable; // empty when the file was read
    std::vector<std::string> lines;
};

// The library's text split into sample lines, each without its ';'.
std::vector<std::string> splitSampleLines(const char *text);

// Reads one local file with the library (not re-entrant: one call at a time per process).
DecodedFile decodeFile(const std::string &path);

// Decodes each path's telemetry into a track and writes it to out in the given format.
// datum: "wgs84" or "gcj02". merge: join all files' samples into one track in time order.
// Returns the process exit code: 0 every file yielded samples, 1 a readable file had none,
// 2 usage error or unreadable file (a one-line message naming it goes to err).
int exportTracks(const std::string &format, const std::string &datum, bool merge,
                 const std::vector<std::string> &paths, std::ostream &out, std::ostream &err);

// The same for files already decoded (by worker processes, in any order of completion).
// perFile, when given, receives each file's own code (0, 1 or 2) in the order of files.
int exportDecoded(const std::string &format, const std::string &datum, bool merge,
                  const std::vector<DecodedFile> &files, std::ostream &out, std::ostream &err,
                  std::vector<int> *perFile = nullptr);

// True for the formats exportTracks handles.
bool isExportFormat(const std::string &format);
