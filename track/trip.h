#pragma once
// Trips: the recordings of one drive. Cameras cut a drive into files of a few minutes;
// consecutive files whose telemetry time runs on within a few seconds belong together.
// A recording without telemetry always breaks a trip. No Qt here.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "track/gpsitem.h"

// Seconds since 1970-01-01 of a sample time "YYYY/MM/DD hh:mm:ss", read as if it were
// UTC (cameras record local time without a zone; only differences matter here).
// Nothing for a text that is not such a time.
std::optional<std::int64_t> sampleTimeSeconds(const std::string &time);

// The first and last readable sample time of a track; nothing without one.
struct TimeSpan {
    std::int64_t first = 0;
    std::int64_t last = 0;
};
std::optional<TimeSpan> trackTimeSpan(const Track &track);

// How far the next recording may start from the end of the previous one, either way
// (files of one drive may overlap by a second or two, or leave a short gap).
constexpr std::int64_t kTripGapSeconds = 5;

// `next` starts where `previous` ended, within kTripGapSeconds either way.
bool continuesTrip(const TimeSpan &previous, const TimeSpan &next);

// The trips of a list of recordings in list order: for each recording, the index of
// the first and one past the last recording of its trip. Recordings without telemetry
// (no span) form a trip of their own.
struct TripRange {
    std::size_t begin = 0;
    std::size_t end = 0; // one past the last
    std::size_t size() const { return end - begin; }
    bool operator==(const TripRange &) const = default;
};
std::vector<TripRange> groupTrips(const std::vector<std::optional<TimeSpan>> &spans);

// Distance, duration and top speed of one or more tracks taken as one drive.
struct TripSummary {
    double distanceMetres = 0;
    std::int64_t durationSeconds = 0; // last sample time minus first
    double topSpeedKmh = 0;
    std::size_t samples = 0;
};
using DistanceMetres = std::function<double(double lat1, double lon1, double lat2, double lon2)>;
TripSummary summarizeTrip(const std::vector<Track> &tracks, const DistanceMetres &distance);

// Metres along a sphere of the Earth's mean radius: good to a few tenths of a percent,
// enough for trip totals; 0 when a position is off the globe.
double greatCircleMetres(double lat1, double lon1, double lat2, double lon2);
