#include "playback/pictureclock.h"

#include <algorithm>
#include <cmath>

namespace {
// A report within this of a seek's target shows that the seek has taken effect; reports
// raised before it still carry the old place. After kSeekGiveUpUs any report is believed
// (the seek evidently landed elsewhere, as byte seeks in a transport stream may).
constexpr double kSeekNearMs = 1000.0;
constexpr qint64 kSeekGiveUpUs = 1500000;
// Once the demuxer has read a stream to its end its clock stands still while the last pictures
// are still being shown (a transport stream's last half second): reports this close to the end
// do not take the clock back.
constexpr double kEndMs = 3000.0;
// When the rate drops, libVLC's reports lag its pictures for a moment: for this long after the
// request the pictures' pace (the new rate from the first picture decoded at it) is believed.
constexpr qint64 kSlowdownUs = 600000;
} // namespace

void PictureClock::reset(double originMs)
{
    m_origin = originMs;
    m_anchored = false;
    m_paused = false;
    m_seekTarget = -1.0;
    m_seekLanded = false;
    m_slowdownUntilUs = 0;
}

void PictureClock::anchor(double timeMs, qint64 clockUs)
{
    m_anchorMs = timeMs;
    m_anchorUs = clockUs;
    m_anchored = true;
}

double PictureClock::timeAt(qint64 clockUs) const
{
    if (seekUnplaced())
        return m_seekTarget;
    if (!m_anchored)
        return -1.0;
    if (m_paused)
        return m_anchorMs;
    return m_anchorMs + double(clockUs - m_anchorUs) / 1000.0 * m_rate;
}

void PictureClock::timeReported(double timeMs, qint64 clockUs)
{
    if (m_seekTarget >= 0) {
        if (std::fabs(timeMs - m_seekTarget) > kSeekNearMs && clockUs - m_seekAtUs < kSeekGiveUpUs)
            return;
        m_seekTarget = -1.0;
        m_seekLanded = false;
    } else if (m_anchored && !m_paused && clockUs < m_slowdownUntilUs) {
        return;
    } else if (m_anchored && !m_paused && m_length > 0 && timeMs > m_length - kEndMs) {
        const double now = timeAt(clockUs);
        if (timeMs < now - (m_fps > 0 ? 1000.0 / m_fps : 40.0))
            return;
    }
    // While paused the report is where the clock stands; it resumes from there.
    anchor(timeMs, clockUs);
}

void PictureClock::paused(qint64 clockUs)
{
    if (m_paused)
        return;
    if (m_anchored && !seekUnplaced())
        anchor(timeAt(clockUs), clockUs);
    m_paused = true;
}

void PictureClock::resumed(qint64 clockUs)
{
    if (!m_paused)
        return;
    m_paused = false;
    // The clock starts again from where it stood; pictures of a seek made while paused start
    // at its target.
    if (seekUnplaced())
        return;
    if (m_anchored)
        m_anchorUs = clockUs;
}

void PictureClock::rateChanged(double rate, qint64 clockUs)
{
    if (!(rate > 0) || rate == m_rate)
        return;
    if (m_anchored && !m_paused && !seekUnplaced())
        anchor(timeAt(clockUs), clockUs);
    m_rate = rate;
}

void PictureClock::rateRequested(double rate, qint64 clockUs)
{
    m_slowdownUntilUs = rate > 0 && rate < m_rate ? clockUs + kSlowdownUs : 0;
}

void PictureClock::seekRequested(double targetMs, qint64 clockUs)
{
    m_seekTarget = std::max(0.0, targetMs);
    m_seekAtUs = clockUs;
    m_seekLanded = false;
    m_slowdownUntilUs = 0;
    // Paused, the clock stays at the target until playing resumes from it.
    if (m_paused)
        anchor(m_seekTarget, clockUs);
}

double PictureClock::snapped(double timeMs) const
{
    if (m_fps <= 0)
        return timeMs;
    const double frame = 1000.0 / m_fps;
    return m_origin + std::round((timeMs - m_origin) / frame) * frame;
}

void PictureClock::seekLanded(qint64 clockUs)
{
    if (!seekUnplaced() || m_paused)
        return;
    anchor(m_seekTarget, clockUs);
    m_seekLanded = true;
}

double PictureClock::pictureTimeMs(qint64 clockUs)
{
    if (seekUnplaced())
        return m_seekTarget;
    // The first picture of a media is where its pictures start.
    if (!m_anchored)
        anchor(m_origin, clockUs);
    // libVLC shows the last picture again while the stream runs out: no picture is past the end.
    double t = std::max(0.0, snapped(timeAt(clockUs)));
    if (m_length > 0)
        t = std::min(t, m_length);
    return t;
}
