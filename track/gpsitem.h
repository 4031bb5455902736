#pragma once
// One telemetry sample of a track, as the track decoder builds it from a text line.
// Positions and speed stay text, exactly as decoded, so that every consumer reads
// them with its own precision (32-bit for read-outs, 64-bit for the map).
#include <memory>
#include <string>
#include <vector>

struct GPSItem {
    GPSItem() = default;
    GPSItem(std::string time, std::string longitude, std::string latitude, std::string speed,
            double x, double y, double z)
        : time(std::move(time)), longitude(std::move(longitude)), latitude(std::move(latitude)),
          speed(std::move(speed)), gsensorX(x), gsensorY(y), gsensorZ(z) {}

    std::string time;       // "YYYY/MM/DD hh:mm:ss"
    std::string longitude;  // signed decimal degrees
    std::string latitude;   // signed decimal degrees
    std::string speed;      // km/h
    double gsensorX = 0;
    double gsensorY = 0;
    double gsensorZ = 0;
};

// A track is immutable once decoded and shared between the controller and the
// instruments; sample i belongs to playback second i. A null track means "no track".
using Track = std::shared_ptr<const std::vector<GPSItem>>;

inline std::size_t trackSize(const Track &track) { return track ? track->size() : 0; }
