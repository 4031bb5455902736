#pragma once
// Harsh driving events found in a track's G-sensor readings: hard braking, hard
// acceleration, sharp turns and impacts. No Qt here: the player's markers and
// `trava-gps --format events` share this one detector.
//
// Axes as cameras mount the sensor: x along the car (positive when speeding up, negative
// when braking), y across the car, z up (gravity reads about 1 g at rest).
//
// Units. Cameras store the readings in g, in m/s² or in raw sensor counts, and say
// nothing about which. The unit of a recording is read from its resting z: the median
// of |z| over all samples with a finite reading, since a car spends nearly all of a
// recording with gravity on z and no hard manoeuvre.
//   median |z| below 3      -> g (scale 1)
//   median |z| 3 up to 30   -> m/s² (divided by 9.80665)
//   median |z| 30 and above -> raw counts; the median itself is taken as one g
// A sensor that reports gravity-free readings (median near 0) is read as g. Gravity is
// removed by subtracting the median z (in g) before the impact test.
//
// Thresholds in g (a sample at or beyond the value counts):
//                      Low    Normal   High
//   brake  (-x)        0.55   0.40     0.30
//   accel  (+x)        0.45   0.35     0.25
//   turn   (|y|)       0.55   0.40     0.30
//   impact (|a - g|)   2.00   1.50     1.00   whole jolt: sqrt(x² + y² + (z - rest)²)
// A run of consecutive samples over a threshold is one event, placed at its strongest
// sample. An impact takes the place of any brake, accel or turn event within two
// seconds of it (a crash also reads as a hard brake). Non-finite readings are skipped.
#include <cstddef>
#include <string>
#include <vector>

#include "track/gpsitem.h"

enum class HarshKind { Brake, Accel, Turn, Impact };
enum class HarshSensitivity { Low, Normal, High };

struct HarshEvent {
    std::size_t index = 0; // sample index, which is also the playback second
    HarshKind kind = HarshKind::Brake;
    double peakG = 0;      // strength at the peak, in g, always positive
    std::string time;      // the sample's time text, as the track holds it
};

struct GScale {
    enum class Unit { G, MetresPerSecondSquared, Counts };
    Unit unit = Unit::G;
    double perG = 1.0;  // stored units that make one g
    double restZ = 0.0; // median z in g: what gravity adds to z at rest
};

struct HarshThresholds {
    double brake, accel, turn, impact;
};

// The unit and resting z of a recording's readings (g with rest 0 for no samples).
GScale detectGScale(const std::vector<GPSItem> &samples);
HarshThresholds harshThresholds(HarshSensitivity sensitivity);

// Events in sample order.
std::vector<HarshEvent> detectHarshEvents(const Track &track, HarshSensitivity sensitivity = HarshSensitivity::Normal);

// "brake", "accel", "turn", "impact": the names trava-gps prints.
const char *harshKindName(HarshKind kind);
// "low", "normal", "high" and back; unknown text gives Normal.
const char *harshSensitivityName(HarshSensitivity sensitivity);
HarshSensitivity harshSensitivityFromName(const std::string &name);

// The nearest event strictly after / before sample index `from`; -1 when there is none.
long nextHarshEvent(const std::vector<HarshEvent> &events, std::size_t from);
long previousHarshEvent(const std::vector<HarshEvent> &events, std::size_t from);
