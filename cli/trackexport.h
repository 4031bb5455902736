#pragma once
// Track export of trava-gps: csv, gpx, kml and geojson renderings of decoded tracks.
#include <ostream>
#include <string>
#include <vector>

// Decodes each path's telemetry into a track and writes it to out in the given format.
// datum: "wgs84" or "gcj02". merge: join all files' samples into one track in time order.
// Returns the process exit code: 0 every file yielded samples, 1 a readable file had none,
// 2 usage error or unreadable file (a one-line message naming it goes to err).
int exportTracks(const std::string &format, const std::string &datum, bool merge,
                 const std::vector<std::string> &paths, std::ostream &out, std::ostream &err);

// True for the formats exportTracks handles.
bool isExportFormat(const std::string &format);
