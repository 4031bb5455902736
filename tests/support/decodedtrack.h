// Test support: the track of a real recording, decoded the way the player does it
// (library lines, repeated lines dropped, track decoder).
#pragma once

#include <cstdlib>
#include <string>
#include <unordered_set>
#include <vector>

#include "telemetry/kalgpsapi.h"
#include "track/trackdecoder.h"

inline Track decodedTrack(const std::string &path, TrackDatum datum = TrackDatum::Wgs84)
{
    std::vector<std::string> lines;
    std::unordered_set<std::string> seen;
    kalGpsInit();
    char *text = nullptr;
    if (kalGpsDecode(&text, path.c_str(), 0) > 0 && text) {
        std::string line;
        for (const char *p = text; *p; ++p) {
            if (*p == ';' && p[1] != ':') {
                if (seen.insert(line).second)
                    lines.push_back(line);
                line.clear();
            } else {
                line += *p;
            }
        }
    }
    std::free(text);
    kalGpsExit();
    return decodeGpsData(lines, datum);
}
