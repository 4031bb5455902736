#pragma once
// The camera's clock against the satellites'. A camera names its files after its own
// clock, set by hand to local time (often an hour off, or never moved for summer time);
// its telemetry carries the receiver's UTC. The difference between the two, rounded to a
// quarter hour, is the zone the camera's clock runs in; what is left over is how far the
// clock is wrong. No Qt here: the player and trava-gps share it.
#include <cstdint>
#include <optional>
#include <string>

#include "track/gpsitem.h"

// Seconds since 1970-01-01 of a civil date and time read as if it were UTC; nothing for a
// date or time that does not exist (February 30th, 25 o'clock).
std::optional<std::int64_t> civilSeconds(int year, int month, int day, int hour, int minute, int second);
// The inverse, as a sample's time text: "YYYY/MM/DD hh:mm:ss".
std::string sampleTimeText(std::int64_t seconds);

// When the camera's clock says the recording started, as civil seconds (see civilSeconds),
// read from the file's name: a date and time of 14 digits (20260514140512), or 12 with a
// two-digit year (260514140512), possibly split by '_', '-', '.' or ' ' (2026_0514_140512,
// 2026-05-14-14-05-12). Only the last path component is read, and only its first 255 bytes.
// Every reader of a recording's start asks here, so that one rule decides.
std::optional<std::int64_t> cameraClockStart(const std::string &path);

// What the two clocks say about a recording.
struct CameraClock {
    int offsetSeconds = 0;  // the camera's zone: camera clock minus UTC, whole quarter hours
    int errorSeconds = 0;   // the rest: how far the camera's clock is ahead (+) or behind (-)
    bool fromContainer = false; // read from the movie header's creation time, not the name
    // Zone 0 and the clocks agree to the second: either the camera really runs on UTC, or it
    // writes its local time where the telemetry's UTC belongs. Nothing tells the two apart.
    bool agreesToTheSecond() const { return offsetSeconds == 0 && errorSeconds == 0; }
    bool operator==(const CameraClock &) const = default;
};

// Zones run from UTC-12:00 to UTC+14:00; a difference further out than that (give or take
// the quarter hour the rounding may add) is a clock set to another day, not a zone.
constexpr std::int64_t kMaxZoneWestSeconds = 12 * 3600;
constexpr std::int64_t kMaxZoneEastSeconds = 14 * 3600;

// cameraStart: the camera's clock at playback second 0 (cameraClockStart). telemetryStart:
// the UTC time of the track's sample 0. Nothing when the difference is no zone.
std::optional<CameraClock> compareClocks(std::int64_t cameraStart, std::int64_t telemetryStart);

// The camera's clock at the start of a recording: the name's date and time, or for a name
// without one the creation time of its movie header (moov/mvhd). Cameras stamp that header
// from the same clock as their names, local time and all, though the format asks for UTC;
// it is read the same way, as civil seconds. Reads a few atom headers of the file.
struct CameraStart {
    std::int64_t civilSeconds = 0;
    bool fromContainer = false;
};
std::optional<CameraStart> recordingCameraStart(const std::string &path);

// Both clocks of one recording: the camera's (recordingCameraStart) and its track's first
// readable sample (sample i is playback second i, so a first sample at index k counts from
// k seconds earlier).
std::optional<CameraClock> recordingClock(const std::string &path, const Track &track);

// "UTC", "UTC+2", "UTC-5", "UTC+5:45": a fixed offset named the way the read-outs show it.
std::string offsetName(int offsetSeconds);
// "+02:00", "-05:00", "+05:45", "+00:00": the offset of an ISO 8601 time.
std::string isoOffset(int offsetSeconds);
// "+1 s", "-2 min 5 s", "0 s": a clock error, a nudge, as the tooltips show it.
std::string signedDuration(int seconds);
