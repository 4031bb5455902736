#include "track/trip.h"

#include <cmath>

#include "track/numbertext.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

bool digits(const std::string &text, std::size_t at, std::size_t count, int *value)
{
    int v = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
    }
    *value = v;
    return true;
}

bool onGlobe(double lat, double lon)
{
    return std::isfinite(lat) && std::isfinite(lon) && std::abs(lat) <= 90 && std::abs(lon) <= 180;
}

} // namespace

std::optional<std::int64_t> sampleTimeSeconds(const std::string &time)
{
    // "YYYY/MM/DD hh:mm:ss"
    int y, mo, d, h, mi, s;
    if (time.size() < 19 || time[4] != '/' || time[7] != '/' || time[10] != ' ' || time[13] != ':' || time[16] != ':')
        return std::nullopt;
    if (!digits(time, 0, 4, &y) || !digits(time, 5, 2, &mo) || !digits(time, 8, 2, &d) ||
        !digits(time, 11, 2, &h) || !digits(time, 14, 2, &mi) || !digits(time, 17, 2, &s))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60)
        return std::nullopt;
    return daysFromCivil(y, unsigned(mo), unsigned(d)) * 86400 + h * 3600 + mi * 60 + s;
}

std::optional<TimeSpan> trackTimeSpan(const Track &track)
{
    std::optional<TimeSpan> span;
    if (!track)
        return span;
    for (const GPSItem &s : *track) {
        const auto t = sampleTimeSeconds(s.time);
        if (!t)
            continue;
        if (!span)
            span = TimeSpan{*t, *t};
        span->first = std::min(span->first, *t);
        span->last = std::max(span->last, *t);
    }
    return span;
}

bool continuesTrip(const TimeSpan &previous, const TimeSpan &next)
{
    const std::int64_t gap = next.first - previous.last;
    return next.first > previous.first && gap >= -kTripGapSeconds && gap <= kTripGapSeconds;
}

std::vector<TripRange> groupTrips(const std::vector<std::optional<TimeSpan>> &spans)
{
    std::vector<TripRange> out(spans.size());
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= spans.size(); ++i) {
        const bool breaks = i == spans.size() || i == 0 || !spans[i] || !spans[i - 1] ||
                            !continuesTrip(*spans[i - 1], *spans[i]);
        if (i > 0 && breaks) {
            for (std::size_t k = begin; k < i; ++k)
                out[k] = TripRange{begin, i};
            begin = i;
        }
    }
    return out;
}

TripSummary summarizeTrip(const std::vector<Track> &tracks, const DistanceMetres &distance)
{
    TripSummary sum;
    std::optional<std::int64_t> first, last;
    const GPSItem *previous = nullptr;
    for (const Track &track : tracks) {
        if (!track)
            continue;
        for (const GPSItem &s : *track) {
            ++sum.samples;
            const double v = leadingDouble(s.speed);
            if (std::isfinite(v) && v > sum.topSpeedKmh)
                sum.topSpeedKmh = v;
            if (const auto t = sampleTimeSeconds(s.time)) {
                first = first ? std::min(*first, *t) : *t;
                last = last ? std::max(*last, *t) : *t;
            }
            const double lat = leadingDouble(s.latitude), lon = leadingDouble(s.longitude);
            if (!onGlobe(lat, lon) || (lat == 0 && lon == 0))
                continue; // no fix: neither a step from nor to it
            if (previous && distance)
                sum.distanceMetres += distance(leadingDouble(previous->latitude), leadingDouble(previous->longitude), lat, lon);
            previous = &s;
        }
    }
    if (first && last)
        sum.durationSeconds = *last - *first;
    return sum;
}

double greatCircleMetres(double lat1, double lon1, double lat2, double lon2)
{
    if (!onGlobe(lat1, lon1) || !onGlobe(lat2, lon2))
        return 0;
    constexpr double kRadius = 6371008.8;
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double p1 = lat1 * kRad, p2 = lat2 * kRad;
    const double dp = p2 - p1, dl = (lon2 - lon1) * kRad;
    const double h = std::sin(dp / 2) * std::sin(dp / 2) + std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2 * kRadius * std::asin(std::min(1.0, std::sqrt(h)));
}
