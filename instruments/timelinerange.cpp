#include "instruments/timelinerange.h"

#include <cmath>

void TimelineRange::setTotal(double seconds)
{
    const double total = std::isfinite(seconds) && seconds > 0 ? seconds : 0.0;
    const bool wasAll = !zoomed();
    m_total = total;
    if (wasAll || m_span > total || m_span <= 0) {
        showAll();
        return;
    }
    clampStart();
}

void TimelineRange::showAll()
{
    m_start = 0;
    m_span = m_total;
}

void TimelineRange::zoomAround(double anchor, double factor)
{
    if (m_total <= 0 || !std::isfinite(anchor) || !std::isfinite(factor) || factor <= 0)
        return;
    const double fraction = m_span > 0 ? std::clamp((anchor - m_start) / m_span, 0.0, 1.0) : 0.5;
    const double span = std::clamp(m_span * factor, std::min(kMinSpan, m_total), m_total);
    m_start = anchor - fraction * span;
    m_span = span;
    clampStart();
}

void TimelineRange::panBy(double seconds)
{
    if (!std::isfinite(seconds))
        return;
    m_start += seconds;
    clampStart();
}

double TimelineRange::secondsAt(double x, double width) const
{
    if (width <= 0 || !std::isfinite(x))
        return m_start;
    return m_start + std::clamp(x / width, 0.0, 1.0) * m_span;
}

double TimelineRange::xOf(double seconds, double width) const
{
    if (m_span <= 0 || !std::isfinite(seconds))
        return 0.0;
    return (seconds - m_start) / m_span * width;
}

void TimelineRange::clampStart()
{
    m_start = std::clamp(m_start, 0.0, std::max(0.0, m_total - m_span));
}
