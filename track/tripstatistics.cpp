#include "track/tripstatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "track/numbertext.h"

TripStatistics::TripStatistics(DistanceFunction distance, Localizer localize)
    : m_distance(std::move(distance)), m_localize(std::move(localize))
{
}

std::string TripStatistics::word(const char *key) const
{
    return m_localize ? m_localize(key) : std::string(key);
}

std::string TripStatistics::format1(const std::string &word, double value, int decimals, const char *suffix)
{
    // The figures keep their "." on a German desktop too: the labels' format is fixed.
    return word + ":" + fixedDecimals(value, decimals) + suffix;
}

float TripStatistics::readFloat(const std::string &text)
{
    // The leading number, whatever the process locale: strtof would stop at the "." of
    // "36.5" under a decimal-comma locale and cut positions to whole degrees.
    const float v = leadingFloat(text);
    return std::isfinite(v) ? v : 0.0f;
}

float TripStatistics::kmhToMph(float kmh)
{
    return static_cast<float>(static_cast<double>(kmh) * 0.6214);
}

std::string TripStatistics::dealSpeedString(const std::string &unit, std::int32_t speed)
{
    return std::to_string(speed) + unit;
}

void TripStatistics::handleGpsInfoWithArray(const Track &track)
{
    m_track = track;
    m_curItem.reset();
    totalDistanceMetres = 0;

    double top = 0, sum = 0;
    const std::size_t n = trackSize(track);
    for (std::size_t i = 0; i < n; ++i) {
        const double v = readFloat((*track)[i].speed);
        if (v > top)
            top = v;
        sum += v;
    }
    m_top = top;
    m_average = n ? sum / double(n) : 0.0;
    m_statsShown = true;
    m_labels.topSpeed = format1(word("TopSpeed"), m_top, 1, "KMH");
    m_labels.aveSpeed = format1(word("AveSpeed"), m_average, 1, "KMH");
}

void TripStatistics::replaceTrack(const Track &track)
{
    const bool shown = m_curItem.has_value();
    const std::int64_t second = m_lookup.currentSecond();
    handleGpsInfoWithArray(track);
    const std::size_t n = trackSize(track);
    if (!shown || n == 0 || second < 0)
        return;
    // Past the track's end the read-outs keep its last sample, as ticks there do.
    const std::size_t at = std::min(std::size_t(second), n - 1);
    if (m_distance) {
        for (std::size_t k = 1; k <= at; ++k) {
            const GPSItem &a = (*track)[k - 1], &b = (*track)[k];
            const double d = m_distance(double(readFloat(a.latitude)), double(readFloat(a.longitude)),
                                        double(readFloat(b.latitude)), double(readFloat(b.longitude)));
            if (std::isfinite(d))
                totalDistanceMetres += d;
        }
    }
    m_curItem = (*track)[at];
    // What is on display moves with the track at once, playing or paused.
    if (m_sampleShown) {
        writeSample(*m_curItem, m_unit);
        writeDistance();
    }
}

bool TripStatistics::setCurrentPlayerTime(double seconds, const std::string &unit)
{
    const auto index = m_lookup.select(m_track, seconds);
    if (!index)
        return false;
    const GPSItem &p = (*m_track)[*index];

    writeSample(p, unit);

    if (m_curItem && m_distance) {
        const double d = m_distance(double(readFloat(m_curItem->latitude)), double(readFloat(m_curItem->longitude)),
                                    double(readFloat(p.latitude)), double(readFloat(p.longitude)));
        if (std::isfinite(d))
            totalDistanceMetres += d;
    }
    m_curItem = p;
    m_sampleShown = true;
    writeDistance();
    return true;
}

void TripStatistics::writeSample(const GPSItem &p, const std::string &unit)
{
    m_unit = unit;
    float v = readFloat(p.speed);
    if (unit == "MPH")
        v = kmhToMph(v);
    // Truncation toward zero; a wild speed text must not overflow the conversion.
    const double clamped = std::fmax(std::fmin(double(v), double(std::numeric_limits<std::int32_t>::max())),
                                     double(std::numeric_limits<std::int32_t>::min()));
    m_labels.speed = dealSpeedString(unit, static_cast<std::int32_t>(clamped));
    m_labels.lon = word("Lon") + ":" + p.longitude;
    m_labels.lat = word("Lat") + ":" + p.latitude;
}

void TripStatistics::writeDistance()
{
    m_labels.distance = format1(word("Distance"), totalDistanceMetres / 1000.0, 2, "KM");
}

void TripStatistics::refreshWords()
{
    if (m_statsShown) {
        m_labels.topSpeed = format1(word("TopSpeed"), m_top, 1, "KMH");
        m_labels.aveSpeed = format1(word("AveSpeed"), m_average, 1, "KMH");
    } else {
        m_labels.topSpeed = word("TopSpeed") + ":---";
        m_labels.aveSpeed = word("AveSpeed") + ":---";
    }
    if (m_sampleShown && m_curItem) {
        m_labels.lon = word("Lon") + ":" + m_curItem->longitude;
        m_labels.lat = word("Lat") + ":" + m_curItem->latitude;
        writeDistance();
    } else {
        m_labels.lat = word("Lat") + ":---";
        m_labels.lon = word("Lon") + ":---";
        m_labels.distance = word("Distance") + ":---";
    }
}

void TripStatistics::clearGpsInfo(const std::string &unit)
{
    m_statsShown = false;
    m_sampleShown = false;
    m_labels.speed = "---" + unit;
    m_labels.lat = word("Lat") + ":---";
    m_labels.lon = word("Lon") + ":---";
    m_labels.topSpeed = word("TopSpeed") + ":---";
    m_labels.aveSpeed = word("AveSpeed") + ":---";
    m_labels.distance = word("Distance") + ":---";
}

void TripStatistics::speedUnitChanged(const std::string &unit)
{
    m_unit = unit;
    m_labels.speed = "---" + unit;
}
