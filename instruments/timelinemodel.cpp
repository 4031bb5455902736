#include "instruments/timelinemodel.h"

#include <algorithm>
#include <cmath>

#include "track/samplelookup.h"
#include "track/tripstatistics.h"

float TimelineModel::joltOf(const GPSItem &item, const GScale &scale)
{
    const double per = scale.perG > 0 ? scale.perG : 1.0;
    const double x = item.gsensorX / per, y = item.gsensorY / per, z = item.gsensorZ / per - scale.restZ;
    const double j = std::sqrt(x * x + y * y + z * z);
    return std::isfinite(j) ? float(std::min(j, 100.0)) : 0.0f;
}

void TimelineModel::setParts(const std::vector<Track> &parts, int current)
{
    m_parts.clear();
    m_maxSpeed = 0;
    m_maxG = 0;
    for (const Track &track : parts) {
        Part p;
        p.track = track;
        const std::size_t n = trackSize(track);
        p.speed.reserve(n);
        p.g.reserve(n);
        if (n > 0) {
            const GScale scale = detectGScale(*track);
            for (const GPSItem &item : *track) {
                float v = TripStatistics::readFloat(item.speed);
                // Absurd or broken speeds must not flatten every other curve.
                if (!std::isfinite(v) || v < 0)
                    v = 0;
                v = std::min(v, 1000.0f);
                p.speed.push_back(v);
                p.g.push_back(joltOf(item, scale));
                m_maxSpeed = std::max(m_maxSpeed, v);
                m_maxG = std::max(m_maxG, p.g.back());
            }
        }
        m_parts.push_back(std::move(p));
    }
    m_current = parts.empty() ? 0 : std::clamp(current, 0, int(parts.size()) - 1);
    m_currentLength = 0;
    layOut();
}

void TimelineModel::setEvents(int part, const std::vector<HarshEvent> &events)
{
    if (part >= 0 && part < int(m_parts.size()))
        m_parts[std::size_t(part)].events = events;
}

bool TimelineModel::setCurrentLength(double seconds)
{
    const double length = std::isfinite(seconds) && seconds > 0 ? std::min(seconds, 1e7) : 0.0;
    if (length == m_currentLength)
        return false;
    m_currentLength = length;
    const double before = total();
    layOut();
    return total() != before;
}

void TimelineModel::clear()
{
    setParts({}, 0);
    spans.clear();
    clipIn.reset();
    clipOut.reset();
}

void TimelineModel::layOut()
{
    double at = 0;
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        Part &p = m_parts[i];
        p.start = at;
        p.seconds = double(trackSize(p.track));
        if (int(i) == m_current)
            p.seconds = std::max(p.seconds, m_currentLength);
        at += p.seconds;
    }
    if (m_parts.empty() && m_currentLength > 0) {
        // A recording without telemetry still has a length to seek in.
        Part p;
        p.seconds = m_currentLength;
        m_parts.push_back(std::move(p));
    }
}

double TimelineModel::total() const
{
    return m_parts.empty() ? 0.0 : m_parts.back().start + m_parts.back().seconds;
}

int TimelineModel::partAt(double global) const
{
    if (m_parts.empty())
        return -1;
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        if (global < m_parts[i].start + m_parts[i].seconds)
            return int(i);
    }
    return int(m_parts.size()) - 1;
}

double TimelineModel::toGlobal(int part, double seconds) const
{
    if (part < 0 || part >= int(m_parts.size()))
        return seconds;
    return m_parts[std::size_t(part)].start + seconds;
}

std::optional<TimelineModel::Reading> TimelineModel::readingAt(int part, double seconds) const
{
    if (part < 0 || part >= int(m_parts.size()))
        return std::nullopt;
    const Part &p = m_parts[std::size_t(part)];
    // The read-outs' own rule, as if the picture had just jumped to that time.
    SampleLookup lookup;
    lookup.invalidate();
    const std::optional<std::size_t> i = lookup.select(p.track, seconds);
    if (!i || *i >= p.speed.size())
        return std::nullopt;
    return Reading{*i, p.speed[*i], p.g[*i], (*p.track)[*i].time};
}
