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
// A picture counts as the first at the new pace when the clock of the new pace has reached
// its place (reports carry whole milliseconds).
constexpr double kNewPaceToleranceMs = 2.0;
// While the queue is unknown and nothing shows the new pace, it is believed after this.
constexpr qint64 kChangeGiveUpUs = 4000000;
} // namespace

void PictureClock::reset(double originMs)
{
    m_origin = originMs;
    m_anchored = false;
    m_paused = false;
    m_seekTarget = -1.0;
    m_seekLanded = false;
    cutRateChangeShort();
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
    } else if (m_change.active) {
        // The reports follow the new pace already; the pictures on screen do not yet.
        m_change.newMs = timeMs;
        m_change.newUs = clockUs;
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
    if (m_change.active) {
        m_change.newMs = newPaceAt(clockUs);
        m_change.newUs = clockUs;
    }
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
    // libVLC moves the queued pictures on by the pause as well.
    m_change.newUs = clockUs;
    m_change.lastUs = clockUs;
}

void PictureClock::rateChanged(double rate, qint64 clockUs)
{
    if (!(rate > 0))
        return;
    cutRateChangeShort();
    if (rate == m_rate)
        return;
    if (m_anchored && !m_paused && !seekUnplaced())
        anchor(timeAt(clockUs), clockUs);
    m_rate = rate;
}

void PictureClock::rateRequested(double rate, qint64 clockUs)
{
    if (!(rate > 0))
        return;
    // Nothing on screen to go on: the new pace at once.
    if (!m_anchored || seekUnplaced() || m_fps <= 0) {
        rateChanged(rate, clockUs);
        return;
    }
    if (!m_change.active && rate == m_rate)
        return;
    // Another change before the last one arrived: the old pictures are still on screen, and
    // the new pace starts from where the last one's stood.
    const double from = m_change.active ? newPaceAt(clockUs) : timeAt(clockUs);
    m_change = RateChange{};
    m_change.active = true;
    m_change.rate = rate;
    m_change.newMs = from;
    m_change.newUs = clockUs;
    m_change.requestedUs = clockUs;
}

double PictureClock::newPaceAt(qint64 clockUs) const
{
    if (m_paused)
        return m_change.newMs;
    return m_change.newMs + double(clockUs - m_change.newUs) / 1000.0 * m_change.rate;
}

// A seek or a new media empties libVLC's queue, and a rate set at once replaces the change:
// the change's rate holds from now.
void PictureClock::cutRateChangeShort()
{
    if (m_change.active)
        m_rate = m_change.rate;
    m_change.active = false;
}

void PictureClock::finishRateChange(double timeMs, qint64 clockUs)
{
    m_change.active = false;
    m_rate = m_change.rate;
    anchor(timeMs, clockUs);
}

double PictureClock::changingPictureTimeMs(qint64 clockUs, bool repeat)
{
    if (m_paused)
        return m_change.shown > 0 ? m_change.lastMs : snapped(timeAt(clockUs));
    const double frame = 1000.0 / m_fps;
    const double oldPace = snapped(timeAt(clockUs));
    if (m_change.shown == 0) {
        m_change.shown = 1;
        m_change.firstMs = m_change.lastMs = oldPace;
        m_change.lastUs = clockUs;
        m_change.lastNewPace = newPaceAt(clockUs);
        return oldPace;
    }
    const double newPace = newPaceAt(clockUs);
    const double oldIntervalUs = frame / m_rate * 1000.0;
    const qint64 gap = clockUs - m_change.lastUs; // since the last distinct picture
    // Which way the change goes is where the new pace stands against the clock the pictures on
    // screen follow, not how the rates compare: a second request back to the old rate before
    // the first change landed (1x, 1/2x, 1x) leaves the new pace behind the old pictures, as a
    // fall does, and 1x, 2x, 1x leaves it ahead, as a rise does. Within the reports' jitter of
    // each other (as just after a first request) the rates decide.
    const double lead = newPace - timeAt(clockUs);
    const bool slower = lead < -kNewPaceToleranceMs
        || (lead <= kNewPaceToleranceMs && m_change.rate < m_rate);
    if (!repeat) {
        ++m_change.shown;
    } else if (slower && m_change.shown >= 2) {
        // The old pictures ran out: libVLC shows the last one again (about every 80 ms) until
        // the new ones are due. It also shows a picture again at once when the rate changes,
        // and a still scene can look the same: only a late repeat counts.
        const bool late = oldIntervalUs <= 50000.0 ? gap >= oldIntervalUs * 1.5 : gap >= oldIntervalUs * 0.5;
        if (late && newPace < m_change.firstMs + m_change.shown * frame)
            setQueueDepth(m_change.shown);
    }
    // Still an old picture past the queue thought to be ahead: the queue is deeper.
    if (!repeat && m_queue > 0 && m_change.shown > m_queue && slower
        && newPace < m_change.firstMs + (m_change.shown - 1) * frame - kNewPaceToleranceMs)
        setQueueDepth(m_change.shown);
    // Rising, the first new picture shows itself by its moment: the old ones come exactly one
    // old interval apart (unless the one before came late), the first new one when its time
    // has come at the new pace, which is sooner. Failing that, the pictures after it come
    // faster than the old ones did (one picture late).
    const bool onTime = m_change.lastGapUs <= 0 || m_change.lastGapUs <= oldIntervalUs + 2000.0;
    const bool ahead = !repeat && !slower && newPace > oldPace + frame / 2;
    const bool early = ahead && onTime && gap < oldIntervalUs - std::max(3000.0, oldIntervalUs * 0.1);
    const bool faster = ahead && gap < oldIntervalUs * 0.75;
    if (early || faster) {
        const double firstNew = early ? newPace : m_change.lastNewPace;
        setQueueDepth(int(std::lround((firstNew - m_change.firstMs) / frame)));
        finishRateChange(newPace, clockUs);
        return snapped(newPace);
    }
    double t = oldPace;
    if (m_queue > 0) {
        const double firstNew = m_change.firstMs + m_queue * frame;
        if (newPace >= firstNew - kNewPaceToleranceMs) {
            finishRateChange(newPace, clockUs);
            return snapped(newPace);
        }
        t = std::min(oldPace, firstNew - frame);
    } else if (clockUs - m_change.requestedUs > kChangeGiveUpUs) {
        finishRateChange(newPace, clockUs);
        return snapped(newPace);
    }
    t = std::max(t, m_change.lastMs);
    m_change.lastMs = t;
    if (!repeat) {
        m_change.lastGapUs = gap;
        m_change.lastUs = clockUs;
        m_change.lastNewPace = newPace;
    }
    return t;
}

void PictureClock::seekRequested(double targetMs, qint64 clockUs)
{
    m_seekTarget = std::max(0.0, targetMs);
    m_seekAtUs = clockUs;
    m_seekLanded = false;
    cutRateChangeShort();
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

double PictureClock::pictureTimeMs(qint64 clockUs, bool repeat)
{
    if (seekUnplaced())
        return m_seekTarget;
    // The first picture of a media is where its pictures start.
    if (!m_anchored)
        anchor(m_origin, clockUs);
    // libVLC shows the last picture again while the stream runs out: no picture is past the end.
    double t = std::max(0.0, m_change.active ? changingPictureTimeMs(clockUs, repeat) : snapped(timeAt(clockUs)));
    if (m_length > 0)
        t = std::min(t, m_length);
    return t;
}
