#pragma once
// Everything a dashboard picture of one playback second depends on, in one plain value:
// the window's instruments, a snapshot "with dashboard" and a burned-in clip all paint
// from it, so what is exported is what was seen.
#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

#include "track/gpsitem.h"
#include "track/harshevents.h"

struct DashboardState {
    Track track;                       // shared, never copied
    double seconds = 0;                // playback time
    std::optional<std::size_t> index;  // the sample on display; none before the first
    GPSItem sample;                    // that sample (empty fields without one)
    QString speedUnit;                 // "KMH" or "MPH"
    std::vector<HarshEvent> events;    // harsh events of the track, for the waveform
    std::vector<Track> tripParts;      // the trip the recording belongs to; empty: no trip
    // The compass's own rule: it turns already in second 0 and needs two samples.
    std::optional<float> compassAngle;

    // The controller's read-out texts, as its labels show them ("42KMH", "Lat:48.1" ...).
    struct Readouts {
        QString speed, lat, lon, topSpeed, aveSpeed, distance;
    } readouts;

    bool hasSample() const { return index.has_value(); }
};

// The state the window reaches at playback time `seconds` when the recording is played
// straight through from its start (the track handed over, then ticks in every second, the
// first inside second 0; a report of exactly 0 would keep second 0 from showing at all):
// the sample of second floor(t) (none at t <= 0; the last one past the end), the
// compass's heading of that second, and the read-outs with the distance added up step
// by step along the samples 0, 1, ... floor(t) in the same order and arithmetic as the
// controller's running total. The controller forgets second 0 only on its very first
// recording after start-up; this computes the case of every later one (the distance of
// the step from sample 0 to 1 included). Events and trip are the caller's to add.
DashboardState dashboardStateAt(const Track &track, double seconds, const QString &speedUnit);

// Metres along the Earth's surface, the controller's distance: 0 for invalid positions.
double dashboardDistance(double lat1, double lon1, double lat2, double lon2);
