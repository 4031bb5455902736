#include "track/importedtrack.h"

#include <algorithm>
#include <cmath>

#include "track/cameraclock.h"
#include "track/datum.h"
#include "track/numbertext.h"
#include "track/trip.h"

namespace {

// A day of recording at one sample a second is 86 400 samples; a file that claims more
// (points a century apart) is placed only over its first day from the video's start.
constexpr double kMaxPlacedSeconds = 24 * 3600;

bool onGlobe(const TrackPoint &p)
{
    return std::isfinite(p.latitude) && std::isfinite(p.longitude) && std::fabs(p.latitude) <= 90 &&
           std::fabs(p.longitude) <= 180;
}

double speedBetween(const TrackPoint &a, const TrackPoint &b, double ta, double tb)
{
    if (tb <= ta)
        return 0;
    const double v = greatCircleMetres(a.latitude, a.longitude, b.latitude, b.longitude) / (tb - ta) * 3.6;
    return std::isfinite(v) ? v : 0;
}

GPSItem sampleAt(double lat, double lon, double speed, std::int64_t utc, TrackDatum datum)
{
    if (datum == TrackDatum::Gcj02InsideChina && isInsideChina(float(lat), float(lon))) {
        const Coordinate c = wgs84ToGcj02({lat, lon});
        lat = c.latitude;
        lon = c.longitude;
    }
    return GPSItem(sampleTimeText(utc), sixDecimals(lon), sixDecimals(lat), fixedDecimals(std::max(0.0, speed), 1),
                   0, 0, 0);
}

} // namespace

PointCleaning cleanPoints(std::vector<TrackPoint> &points)
{
    PointCleaning r;
    std::size_t withTime = 0;
    for (const TrackPoint &p : points)
        withTime += p.utcSeconds && std::isfinite(*p.utcSeconds) ? 1 : 0;
    r.timed = withTime * 2 > points.size();
    std::vector<TrackPoint> kept;
    kept.reserve(points.size());
    for (TrackPoint p : points) {
        if (!onGlobe(p)) {
            ++r.offGlobe;
            continue;
        }
        if (p.speedKmh && (!std::isfinite(*p.speedKmh) || *p.speedKmh < 0 || *p.speedKmh > 2000))
            p.speedKmh.reset();
        if (r.timed) {
            if (!p.utcSeconds || !std::isfinite(*p.utcSeconds)) {
                ++r.untimed;
                continue;
            }
            if (!kept.empty() && !(*p.utcSeconds > *kept.back().utcSeconds)) {
                ++r.outOfOrder;
                continue;
            }
        } else {
            p.utcSeconds.reset();
        }
        kept.push_back(p);
    }
    points = std::move(kept);
    r.kept = points.size();
    return r;
}

Track placeOnVideo(const std::vector<TrackPoint> &in, const Placement &where)
{
    auto out = std::make_shared<std::vector<GPSItem>>();
    if (in.empty() || !std::isfinite(where.videoStartUtc) || !std::isfinite(where.nudgeSeconds))
        return out;
    // Every point's time in playback seconds.
    std::vector<double> at(in.size());
    const bool timed = in.front().utcSeconds.has_value();
    const double spread = in.size() > 1 && where.durationSeconds > 0 ? where.durationSeconds / double(in.size() - 1) : 1;
    for (std::size_t k = 0; k < in.size(); ++k) {
        const double t = timed && in[k].utcSeconds ? *in[k].utcSeconds - where.videoStartUtc : double(k) * spread;
        at[k] = t + where.nudgeSeconds;
    }
    double last = std::min(at.back(), kMaxPlacedSeconds);
    if (where.durationSeconds > 0)
        last = std::min(last, where.durationSeconds);
    // With the recording's length unknown the track may run on for a day from its start.
    const double end = where.durationSeconds > 0 ? where.durationSeconds : kMaxPlacedSeconds;
    if (last < 0 || at.front() > end)
        return out; // the track and the video never meet
    const auto seconds = std::size_t(std::floor(last)) + 1;
    out->reserve(seconds);
    const auto startUtc = std::int64_t(std::floor(where.videoStartUtc));
    std::size_t k = 0;
    for (std::size_t i = 0; i < seconds; ++i) {
        const double t = double(i);
        while (k + 1 < in.size() && at[k + 1] <= t)
            ++k;
        const TrackPoint &a = in[k];
        if (t <= at[0] || k + 1 >= in.size()) {
            // Before the first point the track stands still there; at the last one it ends.
            const double v = t < at[0] ? 0 : a.speedKmh.value_or(k > 0 ? speedBetween(in[k - 1], a, at[k - 1], at[k]) : 0);
            out->push_back(sampleAt(a.latitude, a.longitude, v, startUtc + std::int64_t(i), where.datum));
            continue;
        }
        const TrackPoint &b = in[k + 1];
        const double f = at[k + 1] > at[k] ? (t - at[k]) / (at[k + 1] - at[k]) : 0;
        const double lat = a.latitude + (b.latitude - a.latitude) * f;
        const double lon = a.longitude + (b.longitude - a.longitude) * f;
        double v = speedBetween(a, b, at[k], at[k + 1]);
        if (a.speedKmh && b.speedKmh)
            v = *a.speedKmh + (*b.speedKmh - *a.speedKmh) * f;
        out->push_back(sampleAt(lat, lon, v, startUtc + std::int64_t(i), where.datum));
    }
    return out;
}

namespace {
// "N:48.000500" from "48.000500", "S:33.868820" from "-33.868820".
std::string hemisphere(const std::string &value, char positive, char negative)
{
    const bool minus = !value.empty() && value[0] == '-';
    return std::string(1, minus ? negative : positive) + ':' + (minus ? value.substr(1) : value);
}
} // namespace

std::vector<std::string> sampleLines(const Track &track)
{
    std::vector<std::string> lines;
    lines.reserve(trackSize(track));
    for (std::size_t i = 0; i < trackSize(track); ++i) {
        const GPSItem &s = (*track)[i];
        const auto utc = sampleTimeSeconds(s.time);
        lines.push_back(std::to_string(utc ? *utc : std::int64_t(i)) + ' ' + s.time + ' ' +
                        hemisphere(s.latitude, 'N', 'S') + ' ' + hemisphere(s.longitude, 'E', 'W') + ' ' + s.speed +
                        " km/h x:" + fixedDecimals(s.gsensorX, 2) + " y:" + fixedDecimals(s.gsensorY, 2) +
                        " z:" + fixedDecimals(s.gsensorZ, 2));
    }
    return lines;
}
