#pragma once
// A believable drive for exercising the instruments: town streets with stops, a faster
// stretch and turns, one sample per second with speed, heading changes and G-sensor
// readings that follow the driving (braking, cornering, road bumps).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "track/gpsitem.h"
#include "track/numbertext.h"

inline Track makeDriveTrack(int seconds, unsigned seed = 7)
{
    auto items = std::make_shared<std::vector<GPSItem>>();
    items->reserve(std::size_t(seconds > 0 ? seconds : 0));
    double lat = 48.137154, lon = 11.576124; // a city centre
    double heading = 30.0;                    // degrees clockwise from north
    double speed = 0.0, prevSpeed = 0.0;      // km/h
    unsigned state = seed;
    auto noise = [&state] {
        state = state * 1103515245u + 12345u;
        return double((state >> 8) & 0xffff) / 65535.0 - 0.5;
    };
    for (int i = 0; i < seconds; ++i) {
        const int phase = i % 120;
        double target;
        if (phase < 8)
            target = 0; // waiting at lights
        else if (phase < 50)
            target = 48;
        else if (phase < 90)
            target = 92;
        else
            target = 35;
        speed += std::clamp(target - speed, -9.0, 6.0);
        double turn = 0;
        if (phase >= 40 && phase < 46)
            turn = 15; // a right-hand corner
        if (phase >= 95 && phase < 101)
            turn = -12;
        heading += turn * (speed > 5 ? 1 : 0);
        const double metres = speed / 3.6;
        const double rad = heading * M_PI / 180.0;
        lat += metres * std::cos(rad) / 111320.0;
        lon += metres * std::sin(rad) / (111320.0 * std::cos(lat * M_PI / 180.0));
        const double accel = (speed - prevSpeed) / 3.6 / 9.81; // in g
        const double lateral = (speed / 3.6) * (turn * M_PI / 180.0) / 9.81;
        prevSpeed = speed;
        char t[32];
        std::snprintf(t, sizeof t, "2024/05/17 %02d:%02d:%02d", 8 + (i / 3600) % 24, (i / 60) % 60, i % 60);
        // As a camera writes them, whatever the locale the test runs under ("48.137154").
        items->emplace_back(t, fixedDecimals(lon, 6), fixedDecimals(lat, 6), fixedDecimals(speed, 1), lateral + 0.04 * noise(), -accel + 0.04 * noise(),
                            -1.0 + 0.10 * noise() * (speed > 0 ? 1 : 0.2));
    }
    return items;
}
