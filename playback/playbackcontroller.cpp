#include "playback/playbackcontroller.h"

#include "core/logging.h"
#include "playback/vlcengine.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

void logLine(const QString &line) { qCDebug(lcPlayback).noquote() << line; }

// Catching up: how far apart the pictures may get before a seek rather than a faster or
// slower pace closes the gap, and how much faster or slower the pace gets.
constexpr double kSeekBeyondSeconds = 0.35;
constexpr int kSamples = 5;       // drift measurements taken together
constexpr int kSettleMs = 500;    // after a command or a correction, before the next is judged
constexpr int kStepIntervalMs = 100;
constexpr int kRateChangeMs = 2000; // longest a rate change's old pictures are waited for

} // namespace

PlaybackController::PlaybackController(QObject *parent) : QObject(parent)
{
    m_stepTimer.setInterval(kStepIntervalMs);
    connect(&m_stepTimer, &QTimer::timeout, this, [this] { keepStep(); });
    m_nudgeTimer.setSingleShot(true);
    connect(&m_nudgeTimer, &QTimer::timeout, this, &PlaybackController::endNudge);
    m_sinceCorrection.start();
}

PlaybackController::~PlaybackController()
{
    unfollow();
    for (const QPointer<PlaybackController> &f : std::as_const(m_followers))
        if (f)
            f->m_leader = nullptr;
    // The engine first: releasing it joins libVLC's threads, so nothing reaches a
    // half-destroyed controller.
    m_engine.reset();
}

VlcEngine *PlaybackController::engine()
{
    if (m_engine)
        return m_engine.get();
    m_engine = std::make_unique<VlcEngine>();
    connect(m_engine.get(), &VlcEngine::stateChanged, this, &PlaybackController::applyPlayerState);
    connect(m_engine.get(), &VlcEngine::timeChanged, this, [this] { applyPlayerTime(); });
    connect(m_engine.get(), &VlcEngine::frameReady, this, &PlaybackController::presentPicture);
    applyEngineRate();
    setVolume(m_volume);
    return m_engine.get();
}

// ---- commands ---------------------------------------------------------------------------------

bool PlaybackController::open(const QString &path)
{
    m_lastTick = -1.0;
    m_tickFree = true;
    m_pictureTime = -1.0;
    m_drifts.clear();
    m_nudge = 0.0;
    m_nudgeTimer.stop();
    m_sinceCorrection.start(); // the first pictures come in a burst
    VlcEngine *e = engine();
    applyEngineRate();
    m_state = State::Playing;
    if (!e->open(path)) {
        // No player, or no media: the player would have reported an error.
        applyPlayerState(VlcEngine::Error);
        return false;
    }
    return true;
}

void PlaybackController::play()
{
    if (m_state != State::Paused)
        return;
    m_holding = false;
    m_sinceCorrection.start();
    if (m_engine)
        m_engine->play();
    enterState(State::Playing);
    emit stateChanged(m_state);
    for (const QPointer<PlaybackController> &f : std::as_const(m_followers))
        if (f)
            f->play();
}

void PlaybackController::pause()
{
    if (m_state != State::Playing)
        return;
    m_holding = false;
    m_sinceCorrection.start();
    if (m_engine)
        m_engine->pause();
    enterState(State::Paused);
    emit stateChanged(m_state);
    for (const QPointer<PlaybackController> &f : std::as_const(m_followers))
        if (f)
            f->pause();
}

void PlaybackController::stop()
{
    logLine(QStringLiteral("Stop Video"));
    if (m_state == State::Stopped || m_state == State::Error || m_state == State::Finished)
        return;
    m_state = State::Stopped;
    m_holding = false;
    if (m_engine)
        m_engine->stop();
    m_pictureTime = -1.0;
    emit stopped();
    for (const QPointer<PlaybackController> &f : std::as_const(m_followers))
        if (f)
            f->stop();
}

void PlaybackController::seekTo(double seconds)
{
    if (!m_engine || !std::isfinite(seconds))
        return;
    const qint64 length = m_engine->lengthMs();
    if (length <= 0)
        return;
    // libVLC places by fraction of its own clock, which in a transport stream starts ahead of
    // the first picture.
    const double offset = double(qBound<qint64>(0, m_engine->timeOffsetMs(), length));
    const double ms = qBound(offset, offset + seconds * 1000.0, double(length));
    if (m_holding) {
        m_holding = false;
        if (m_state == State::Playing)
            m_engine->play();
    }
    m_engine->setPosition(ms / double(length));
    m_drifts.clear();
    m_sinceCorrection.start();
    // The read-outs follow at once, playing or paused; pictures of the new place take over
    // when they come.
    m_tickFree = true;
    if (isActive())
        tick(double(m_engine->timeMs()), true);
    for (const QPointer<PlaybackController> &f : std::as_const(m_followers))
        if (f)
            f->seekTo(seconds + f->m_offset);
}

void PlaybackController::seekBy(double seconds)
{
    if (!m_engine || !isActive() || !std::isfinite(seconds))
        return;
    const double len = length();
    if (len <= 0.0)
        return;
    seekTo(qBound(0.0, time() + seconds, len));
}

void PlaybackController::setRate(double rate)
{
    if (!std::isfinite(rate))
        return;
    rate = qBound(0.25, rate, 4.0);
    if (rate != m_rate) {
        m_rate = rate;
        m_nudge = 0.0;
        m_nudgeTimer.stop();
        m_drifts.clear();
        m_sinceCorrection.start();
        applyEngineRate();
        emit rateChanged(m_rate);
    }
    for (const QPointer<PlaybackController> &f : std::as_const(m_followers))
        if (f)
            f->setRate(rate);
}

void PlaybackController::setVolume(int volume)
{
    m_volume = volume;
    if (m_engine)
        m_engine->setVolume(m_leader ? -1 : m_volume);
}

void PlaybackController::endNudge()
{
    qCDebug(lcPlayback) << "follower: rate x 1";
    m_nudge = 0.0;
    applyEngineRate();
    m_drifts.clear();
    m_sinceCorrection.start();
}

void PlaybackController::applyEngineRate()
{
    const double target = qBound(0.25, m_rate * (1.0 + m_nudge), 4.0);
    if (m_engine && m_engine->rate() != target)
        m_engine->setRate(target);
}

// ---- the state tables ---------------------------------------------------------------------------

void PlaybackController::enterState(State state, StateEntry entry)
{
    if (entry == StopFirst)
        stop(); // with its guard: a full stop only from an active state
    m_state = state;
}

void PlaybackController::applyPlayerState(int playerState)
{
    if (m_holding && (playerState == VlcEngine::Paused || playerState == VlcEngine::Playing))
        return; // a follower's own hold, not the user's pause
    QString label;
    switch (playerState) {
    case VlcEngine::Stopped:
        label = QStringLiteral("stop");
        enterState(State::Stopped, StopFirst);
        break;
    case VlcEngine::Opening: label = QStringLiteral("opening"); break;
    case VlcEngine::Buffering: label = QStringLiteral("buffering"); break;
    case VlcEngine::Ended:
        label = QStringLiteral("stop");
        enterState(State::Finished, StopFirst);
        break;
    case VlcEngine::Error:
        label = QStringLiteral("error");
        enterState(State::Error, StopFirst);
        break;
    case VlcEngine::Playing:
        label = QStringLiteral("playing");
        enterState(State::Playing);
        break;
    case VlcEngine::Paused: {
        enterState(State::Paused);
        // A pause within half a second of the end is the end of the file. With no known
        // length there is no end to be near: that is an ordinary pause.
        const qint64 length = m_engine ? m_engine->lengthMs() : 0;
        const qint64 remaining = m_engine ? m_engine->timeMs() - length : 0;
        if (length <= 0 || remaining < -499) {
            label = QStringLiteral("pause");
        } else {
            label = QStringLiteral("stop");
            enterState(State::Finished, StopFirst);
        }
        break;
    }
    case VlcEngine::EsAdded:
        label = QStringLiteral("EsAdded");
        enterState(State::Playing);
        break;
    default: break;
    }
    logLine(QStringLiteral("--->%1").arg(label.isNull() ? QStringLiteral("(null)") : label));
    emit stateChanged(m_state);
}

QString PlaybackController::applyDecoderState(int code)
{
    QString label;
    switch (code) {
    case 0:
        label = QStringLiteral("Finish");
        enterState(State::Stopped, StopFirst);
        break;
    case 1:
        label = QStringLiteral("playing");
        enterState(State::Playing);
        break;
    case 2:
        label = QStringLiteral("Pause");
        enterState(State::Paused);
        break;
    case 3:
        label = QStringLiteral("Error");
        enterState(State::Error, StopFirst);
        break;
    default: label = QStringLiteral(""); break;
    }
    emit stateChanged(m_state);
    return label;
}

void PlaybackController::applyDecoderTime(double seconds)
{
    m_lastTick = std::isfinite(seconds) ? qMax(0.0, seconds) : 0.0;
    emit timeChanged(seconds, m_length);
}

// ---- time ----------------------------------------------------------------------------------------

void PlaybackController::applyPlayerTime()
{
    if (!m_engine)
        return;
    const qint64 time = m_engine->timeMs();
    const qint64 remaining = time - m_engine->lengthMs();
    logLine(QStringLiteral("---> %1  ---  %2").arg(time).arg(remaining));
    // Once pictures come, each picture brings its own time when it is shown; the player's
    // reports, which run ahead of the picture and come a few times a second, only stand in
    // for a recording without pictures (or before its first one).
    if (m_engine->framesDelivered() > 0)
        return;
    tick(double(time), true);
}

void PlaybackController::presentPicture(const QImage &picture, double timeMs)
{
    const double seconds = pictureSeconds(timeMs);
    // The picture is painted in the repaint this schedules; the read-outs and instruments
    // changed by the tick are painted in the same one.
    emit pictureShown(picture, seconds);
    if (!m_engine || !isActive())
        return;
    m_pictureTime = seconds;
    const bool pending = m_engine->seekPending();
    tick(timeMs, m_tickFree || pending);
    m_tickFree = pending;
    if (m_leader && m_state == State::Playing)
        keepStep();
}

void PlaybackController::tick(double playerMs, bool anyDirection)
{
    // Transport streams report time on a clock that leads their pictures; the telemetry
    // belongs to the picture, so both the time and the length are taken on the picture's clock.
    m_length = pictureLength();
    const double t = pictureSeconds(playerMs);
    // Within a stretch of playing, time only moves on: a report that re-anchors the clock a
    // little behind the picture last shown must not take the instruments back.
    if (m_lastTick >= 0 && (t == m_lastTick || (t < m_lastTick && !anyDirection)))
        return;
    m_lastTick = t;
    emit timeChanged(t, m_length);
}

double PlaybackController::pictureSeconds(double playerMs) const
{
    const double offset = m_engine ? double(m_engine->timeOffsetMs()) : 0.0;
    return double(float(qMax(0.0, playerMs - offset)) / 1000.0f);
}

double PlaybackController::pictureLength() const
{
    if (!m_engine)
        return m_length;
    return double(float(qMax<qint64>(0, m_engine->lengthMs() - m_engine->timeOffsetMs())) / 1000.0f);
}

double PlaybackController::length() const
{
    return m_engine && m_engine->lengthMs() > 0 ? pictureLength() : m_length;
}

// ---- following -------------------------------------------------------------------------------------

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
    if (std::abs(m_drift) >= kSeekBeyondSeconds) {
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
