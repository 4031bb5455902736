// Following another controller: mirrored commands (in playbackcontroller.cpp) and keeping
// the pictures in step, measured on both players' picture clocks at one moment.
#include "playback/playbackcontroller.h"

#include "core/logging.h"
#include "playback/vlcengine.h"

#include <algorithm>
#include <cmath>

namespace {

// How far apart the pictures may get before a seek (behind) or a hold (ahead) rather than a
// faster or slower pace closes the gap.
constexpr double kSeekBeyondSeconds = 0.35;
constexpr int kSamples = 5;         // drift measurements taken together (their median counts)
constexpr int kSettleMs = 500;      // after a command or a correction, before the next is judged
constexpr int kRateChangeMs = 2000; // longest a rate change's old pictures are waited for

} // namespace

bool PlaybackController::leads(const PlaybackController *other) const
{
    for (const PlaybackController *c = other; c; c = c->m_leader)
        if (c == this)
            return true;
    return false;
}

bool PlaybackController::follow(PlaybackController &leader, double offsetSeconds)
{
    if (leads(&leader))
        return false;
    unfollow();
    m_leader = &leader;
    leader.m_followers.append(this);
    m_offset = std::isfinite(offsetSeconds) ? offsetSeconds : 0.0;
    setVolume(m_volume); // silent now
    m_drifts.clear();
    m_sinceCorrection.start();
    setRate(leader.rate());
    m_stepTimer.start();
    keepStep();
    return true;
}

void PlaybackController::unfollow()
{
    m_stepTimer.stop();
    if (m_leader)
        m_leader->m_followers.removeAll(QPointer<PlaybackController>(this));
    m_leader = nullptr;
    m_nudge = 0.0;
    m_nudgeTimer.stop();
    m_drift = 0.0;
    applyEngineRate();
    setVolume(m_volume);
}

void PlaybackController::setFollowOffset(double offsetSeconds)
{
    if (!std::isfinite(offsetSeconds) || offsetSeconds == m_offset)
        return;
    m_offset = offsetSeconds;
    if (m_leader && isActive())
        seekTo(m_leader->timeNow() + m_offset);
}

double PlaybackController::frameSeconds() const
{
    const double fps = m_engine ? m_engine->frameRate() : 0.0;
    return fps > 0 ? 1.0 / fps : 0.04;
}

double PlaybackController::timeNow() const
{
    // The clock the pictures are shown by, read at this moment: two players read one after
    // the other are compared at (nearly) the same instant, whenever their pictures came.
    const double ms = m_engine ? m_engine->clockNowMs() : -1.0;
    if (ms < 0)
        return time();
    return qMax(0.0, ms - double(m_engine->timeOffsetMs())) / 1000.0;
}

void PlaybackController::hold(double seconds)
{
    m_holding = true;
    m_engine->pause();
    m_drifts.clear();
    m_sinceCorrection.start();
    QTimer::singleShot(qBound(1, int(seconds * 1000.0), 5000), this, [this] {
        if (!m_holding)
            return;
        m_holding = false;
        if (m_engine && m_state == State::Playing)
            m_engine->play();
        m_drifts.clear();
        m_sinceCorrection.start();
    });
}

void PlaybackController::keepStep()
{
    PlaybackController *lead = m_leader;
    if (!lead) {
        if (m_nudge != 0.0) {
            m_nudgeTimer.stop();
            endNudge();
        }
        return;
    }
    if (!m_engine || !isActive() || !lead->m_engine || !lead->isActive() || m_holding)
        return;
    // A follower started (or left alone) in another state takes the leader's.
    if (lead->m_state == State::Paused && m_state == State::Playing)
        pause();
    else if (lead->m_state == State::Playing && m_state == State::Paused)
        play();
    // Only pictures of a place and a pace both clocks know are compared: not while a seek is
    // under way, nor soon after a command or a correction, nor while pictures decoded before
    // a rate change still keep the old pace.
    const qint64 since = qMin(m_sinceCorrection.elapsed(), lead->m_sinceCorrection.elapsed());
    const bool rateChanging = m_engine->rateChanging() || lead->m_engine->rateChanging();
    if (m_state != State::Playing || m_engine->seekPending() || lead->m_engine->seekPending()
        || m_pictureTime < 0 || lead->m_pictureTime < 0 || m_nudge != 0.0 || since < kSettleMs
        || (rateChanging && since < kRateChangeMs)) {
        m_drifts.clear();
        return;
    }
    const double frame = frameSeconds();
    const double target = lead->timeNow() + m_offset;
    const double len = length();
    if (target < 0 || (len > 0 && target > len))
        return; // the leader is where this recording has no picture
    m_drifts.append(timeNow() - target);
    if (m_drifts.size() > kSamples)
        m_drifts.removeFirst();
    if (m_drifts.size() < kSamples)
        return;
    QList<double> sorted = m_drifts;
    std::sort(sorted.begin(), sorted.end());
    m_drift = sorted.at(sorted.size() / 2);
    if (std::abs(m_drift) < frame / 2)
        return;
    // Below normal speed a nudge gains too little media time per second to close a few
    // frames soon; there a jump (a hold when ahead, a seek when behind) comes sooner.
    if (std::abs(m_drift) >= kSeekBeyondSeconds * std::min(1.0, m_rate)) {
        m_nudge = 0.0;
        applyEngineRate();
        if (m_drift > 0) {
            qCDebug(lcPlayback) << "follower" << m_drift * 1000 << "ms ahead: hold";
            hold(m_drift / m_rate);
            return;
        }
        // Far behind (started late, or a seek landed elsewhere): a seek lands on a key picture
        // at or after the target, and the hold above takes up what remains.
        qCDebug(lcPlayback) << "follower" << m_drift * 1000 << "ms behind: seek";
        const double ms = double(m_engine->timeOffsetMs()) + target * 1000.0;
        m_engine->setPosition(qBound(0.0, ms / double(qMax<qint64>(1, m_engine->lengthMs())), 1.0));
        m_tickFree = true;
        m_drifts.clear();
        m_sinceCorrection.start();
        return;
    }
    // Behind: faster; ahead: slower; the more so the further apart, for as long as it takes
    // to make up the drift. Pictures already decoded keep the old pace for a while, at the
    // start of the nudge as at its end, so the two delays cancel.
    const double frames = std::abs(m_drift) / frame;
    const double size = frames > 4 ? 0.3 : frames > 1.5 ? 0.15 : 0.08;
    qCDebug(lcPlayback) << "follower" << m_drift * 1000 << "ms apart: rate x" << (m_drift < 0 ? 1 + size : 1 - size);
    m_nudge = m_drift < 0 ? size : -size;
    applyEngineRate();
    m_drifts.clear();
    m_nudgeTimer.start(qBound(1, int(std::abs(m_drift) / (size * m_rate) * 1000.0), 10000));
}

void PlaybackController::endNudge()
{
    qCDebug(lcPlayback) << "follower: rate x 1";
    m_nudge = 0.0;
    applyEngineRate();
    m_drifts.clear();
    m_sinceCorrection.start();
}
