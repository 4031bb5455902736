#pragma once
// A track recorded by something else (a phone, a bike computer) laid onto a recording's
// seconds, so that every instrument reads it as if the camera had written it. No Qt here:
// the file is read in core/, this is the arithmetic.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "track/gpsitem.h"
#include "track/trackdecoder.h"

struct TrackPoint {
    double latitude = 0;
    double longitude = 0;
    std::optional<double> utcSeconds;  // seconds since 1970 (UTC), fractions kept
    std::optional<double> speedKmh;
};

// What cleaning kept and why it left the rest out.
struct PointCleaning {
    std::size_t kept = 0;
    std::size_t offGlobe = 0;    // NaN, infinite, beyond ±90 / ±180
    std::size_t outOfOrder = 0;  // a time not after the last kept one
    std::size_t untimed = 0;     // without a time in a file whose other points have one
    bool timed = false;          // the points kept carry times
};

// Drops what cannot be placed. A file whose points mostly carry times is read by time: a
// point without one, or with a time not after the point before, is left out (a logger whose
// clock jumped back would otherwise fold the track onto itself). In place, order kept.
PointCleaning cleanPoints(std::vector<TrackPoint> &points);

// Where the points go: playback second 0 of the recording is videoStartUtc (the camera's
// clock turned to UTC), and the nudge moves the track against the video (+1: every point is
// shown one second later). Points without times are spread evenly over durationSeconds
// (one a second when the duration is unknown).
struct Placement {
    double videoStartUtc = 0;
    double nudgeSeconds = 0;
    double durationSeconds = 0;  // 0 when unknown
    TrackDatum datum = TrackDatum::Gcj02InsideChina;
};

// One sample per playback second from 0 while the points last, positions and speed
// interpolated between the points around each second (speed from the distance between them
// when the file has none), times the UTC of each second. Seconds before the first point
// stand still at it. Empty when the points and the recording do not overlap at all.
Track placeOnVideo(const std::vector<TrackPoint> &points, const Placement &placement);

// A placed track (placed as recorded, TrackDatum::Wgs84) in the telemetry library's sample
// line format, one line a sample: "1778760000 2026/05/14 12:00:00 N:48.000500 E:11.500000
// 36.0 km/h x:0.00 y:0.00 z:0.00". Exports read these like the camera's own lines, so the
// datum and zone rules apply alike. Each line is numbered by its UTC second: the same second
// of two recordings of one drive is the same line, and a merged export keeps one.
std::vector<std::string> sampleLines(const Track &track);
