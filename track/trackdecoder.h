#pragma once
// Turns the telemetry service's sample lines into a track.
#include <string>
#include <vector>

#include "track/gpsitem.h"

enum class TrackDatum {
    Gcj02InsideChina, // what the player shows: positions inside the region moved to GCJ-02
    Wgs84,            // positions as the camera recorded them
};

// One line per sample ("12 2019/11/28 08:15:42 N:22.543210 E:113.943210 36.5 km/h x:0.12
// y:-0.40 z:9.81", with or without its closing ';'). Lines with too few fields are
// skipped. Returns a null track for no lines, an empty one when no line is accepted,
// otherwise the samples in ascending time order (equal times keep their input order).
Track decodeGpsData(const std::vector<std::string> &lines, TrackDatum datum = TrackDatum::Gcj02InsideChina);
