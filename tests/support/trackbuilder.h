#pragma once
// Tracks for tests: one sample with plain defaults for every field a test does not look
// at, and a track of such samples. Designated fields keep each case short:
//   makeTrack({makeSample({.speed = "30.0"}), makeSample({.lat = "48.2", .lon = "11.6"})})
#include <memory>
#include <string>
#include <vector>

#include "track/gpsitem.h"
#include "track/numbertext.h"

struct SampleFields {
    std::string time = "2024/01/01 00:00:00";
    std::string lat = "48.1";
    std::string lon = "11.5";
    std::string speed = "10";
    double x = 0, y = 0, z = 0;
};

inline GPSItem makeSample(const SampleFields &f)
{
    return GPSItem(f.time, f.lon, f.lat, f.speed, f.x, f.y, f.z);
}

inline Track makeTrack(std::vector<GPSItem> items)
{
    return std::make_shared<const std::vector<GPSItem>>(std::move(items));
}

// n samples on a straight line from (lat0, lon0), each step dLat/dLon further, with six
// decimals as the decoder writes them.
inline Track straightTrack(int n, double lat0, double lon0, double dLat, double dLon, const std::string &speed = "40.0")
{
    std::vector<GPSItem> items;
    for (int i = 0; i < n; ++i)
        items.push_back(makeSample({.time = "2024/05/04 10:00:00", .lat = sixDecimals(lat0 + i * dLat),
                                    .lon = sixDecimals(lon0 + i * dLon), .speed = speed, .z = 1}));
    return makeTrack(std::move(items));
}
