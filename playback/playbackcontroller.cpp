#include "playback/playbackcontroller.h"

#include "core/logging.h"
#include "playback/vlcengine.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

void logLine(const QString &line) { qCDebug(lcPlayback).noquote() << line; }

constexpr int kStepIntervalMs = 100; // how often a follower looks at its leader

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
    const QList<QPointer<PlaybackController>> followers = m_followers;
    for (const QPointer<PlaybackController> &f : followers)
        if (f)
            f->unfollow(); // heard again, at its own rate
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
    qCInfo(lcPlayback, "Stop Video"); // on by default, unlike the rest of the chatter
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
