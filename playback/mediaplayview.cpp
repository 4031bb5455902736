#include "playback/mediaplayview.h"
#include "core/logging.h"

#include "widgets/mcustomslider.h"
#include "playback/mediaimageview.h"
#include "playback/playcontrolview.h"
#include "widgets/vcustomslider.h"
#include "playback/videooutput.h"
#include "playback/vlcengine.h"

#include <QDebug>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include <QtMath>

#include <cmath>

Q_LOGGING_CATEGORY(lcPlayback, "trava.playback")

namespace {
constexpr int kRestartDelayMs = 100;

void logLine(const QString &line) { qCDebug(lcPlayback).noquote() << line; }

} // namespace

MediaPlayView::MediaPlayView(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(160, 90);

    m_playView = new QWidget(this);
    m_playView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_output = new VideoOutput(m_playView, this);
    connect(m_output, &VideoOutput::framePainted, this, &MediaPlayView::framePainted);
    m_mediaImageView = new MediaImageView(this);
    m_controlView = new PlayControlView(this);

    // What the window layout would set up: the placeholder, a hidden bar, nothing playing.
    m_mediaImageView->setImageName(QStringLiteral("timg"));
    m_controlView->hide();
    m_playState = MediaPlayStateStopped;
    setupBasicUI();

    connect(m_controlView, &PlayControlView::volumeChanged, this, [this](int volume) {
        if (m_player)
            m_player->setVolume(volume);
    });
    m_controlView->progressSlider->setDelegate(this);
    connect(m_controlView->playSpeedSlider, &QAbstractSlider::valueChanged, this, [this] {
        const double rate = rateForSpeedValue(m_controlView->playSpeedSlider->floatValue());
        m_controlView->setPlaySpeedRate(rate);
        if (m_player)
            m_player->setRate(rate);
    });
    layoutChildren();
}

MediaPlayView::~MediaPlayView()
{
    // The player first: releasing it joins libVLC's threads, so nothing reaches a
    // half-destroyed view.
    m_player.reset();
}

void MediaPlayView::setupBasicUI()
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    m_controlView->progressSlider->setFloatValue(0.0);
    m_controlView->playSpeedSlider->setFloatValue(0.5);
    m_controlView->setPlaySpeedRate(1.0);
    m_controlView->setupSound();
    PlayControlView::setButtonImage(m_controlView->playControlBtn, QStringLiteral("play"));
}

VlcEngine *MediaPlayView::player()
{
    if (m_player)
        return m_player.get();
    m_player = std::make_unique<VlcEngine>();
    connect(m_player.get(), &VlcEngine::stateChanged, this, &MediaPlayView::mediaPlayerStateChanged);
    connect(m_player.get(), &VlcEngine::timeChanged, this, [this] { mediaPlayerTimeChanged(); });
    connect(m_player.get(), &VlcEngine::frameReady, this, &MediaPlayView::presentFrame);
    m_player->setRate(rateForSpeedValue(m_controlView->playSpeedSlider->floatValue()));
    applyVolume();
    return m_player.get();
}

void MediaPlayView::applyVolume()
{
    if (m_player)
        m_player->setVolume(m_controlView->volume());
}

// ---- starting and stopping -----------------------------------------------------------------

void MediaPlayView::playFile(const QString &path)
{
    const bool idle = m_playState == MediaPlayStateStopped || m_playState == MediaPlayStateError;
    if (!idle)
        stopPlayVideo();
    const quint64 token = ++m_pendingStart;
    QTimer::singleShot(idle ? 0 : kRestartDelayMs, this, [this, path, token] {
        if (token == m_pendingStart)
            startFile(path);
    });
}

void MediaPlayView::startFile(const QString &path)
{
    m_lastTick = -1.0;
    m_tickFree = true;
    m_mediaImageView->setImageName(QString());
    m_controlView->show();
    m_controlView->raise();
    m_output->setup();
    VlcEngine *engine = player();
    engine->setDisplaySize(videoDeviceSize());
    m_playState = MediaPlayStatePlaying;
    if (!engine->open(path)) {
        // No player, or no media: the player would have reported an error.
        mediaPlayerStateChanged(VlcEngine::Error);
    }
}

void MediaPlayView::stopPlayVideo()
{
    qCInfo(lcPlayback, "Stop Video"); // on by default, unlike the rest of the chatter
    if (m_playState == MediaPlayStateStopped || m_playState == MediaPlayStateError
        || m_playState == MediaPlayStateFinished)
        return;
    m_playState = MediaPlayStateStopped;
    m_controlView->progressSlider->setFloatValue(0.0);
    if (m_player)
        m_player->stop();
    setPlayImage(QStringLiteral("play"));
    m_mediaImageView->setImageName(QStringLiteral("timg"));
    m_controlView->hide();
    m_output->teardown();
}

void MediaPlayView::resumOrPauseVideo()
{
    if (m_playState == MediaPlayStatePaused) {
        if (m_player)
            m_player->play();
        enterState(MediaPlayStatePlaying);
        reportState();
    } else if (m_playState == MediaPlayStatePlaying) {
        if (m_player)
            m_player->pause();
        enterState(MediaPlayStatePaused);
        reportState();
    }
}

// ---- player reports --------------------------------------------------------------------------

void MediaPlayView::mediaPlayerStateChanged(int playerState)
{
    QString label;
    switch (playerState) {
    case VlcEngine::Stopped:
        label = QStringLiteral("stop");
        enterState(MediaPlayStateStopped, StopFirst);
        break;
    case VlcEngine::Opening:
        label = QStringLiteral("opening");
        break;
    case VlcEngine::Buffering:
        label = QStringLiteral("buffering");
        // A seek while paused buffers too; the button must keep offering "play" then.
        setPlayImage(m_playState == MediaPlayStatePaused ? QStringLiteral("play") : QStringLiteral("pause"));
        break;
    case VlcEngine::Ended:
        label = QStringLiteral("stop");
        enterState(MediaPlayStateFinished, StopFirst);
        break;
    case VlcEngine::Error:
        label = QStringLiteral("error");
        enterState(MediaPlayStateError, StopFirst);
        break;
    case VlcEngine::Playing:
        label = QStringLiteral("playing");
        enterState(MediaPlayStatePlaying);
        break;
    case VlcEngine::Paused: {
        enterState(MediaPlayStatePaused);
        // A pause within half a second of the end is the end of the file. With no known
        // length there is no end to be near: that is an ordinary pause.
        const qint64 length = m_player ? m_player->lengthMs() : 0;
        const qint64 remaining = m_player ? m_player->timeMs() - length : 0;
        if (length <= 0 || remaining < -499) {
            label = QStringLiteral("pause");
        } else {
            label = QStringLiteral("stop");
            enterState(MediaPlayStateFinished, StopFirst);
        }
        break;
    }
    case VlcEngine::EsAdded:
        label = QStringLiteral("EsAdded");
        enterState(MediaPlayStatePlaying);
        break;
    default:
        break;
    }
    logLine(QStringLiteral("--->%1").arg(label.isNull() ? QStringLiteral("(null)") : label));
    reportState();
}

void MediaPlayView::mediaPlayerTimeChanged()
{
    if (!m_player)
        return;
    const qint64 time = m_player->timeMs();
    const qint64 remaining = time - m_player->lengthMs();
    logLine(QStringLiteral("---> %1  ---  %2").arg(time).arg(remaining));
    // Once pictures come, each picture brings its own time when it is shown; the player's
    // reports, which run ahead of the picture and come a few times a second, only stand in
    // for a recording without pictures (or before its first one).
    if (m_player->framesDelivered() > 0)
        return;
    showTime(double(time));
}

void MediaPlayView::presentFrame(const QImage &frame, double timeMs)
{
    dispatchPixelBuffer(frame);
    if (!m_player || (m_playState != MediaPlayStatePlaying && m_playState != MediaPlayStatePaused))
        return;
    // The picture is painted in the repaint this schedules; the read-outs and instruments
    // changed by the tick are painted in the same one.
    const bool pending = m_player->seekPending();
    showTime(timeMs, m_tickFree || pending);
    m_tickFree = pending;
}

void MediaPlayView::showTime(double playerMs, bool anyDirection)
{
    // Transport streams report time on a clock that leads their pictures; the telemetry
    // belongs to the picture, so both the time and the length are taken on the picture's clock.
    const qint64 offset = m_player->timeOffsetMs();
    m_duration = double(float(qMax<qint64>(0, m_player->lengthMs() - offset)) / 1000.0f);
    const double t = double(float(qMax(0.0, playerMs - double(offset))) / 1000.0f);
    // Within a stretch of playing, time only moves on: a report that re-anchors the clock a
    // little behind the picture last shown must not take the instruments back.
    if (m_lastTick >= 0 && (t == m_lastTick || (t < m_lastTick && !anyDirection)))
        return;
    m_lastTick = t;
    updateTimeLabel(t);
    reportTime(t);
}

void MediaPlayView::reportState()
{
    if (m_delegate)
        m_delegate->mediaPlayerCurrentState(this, m_playState);
}

void MediaPlayView::reportTime(double seconds)
{
    if (m_delegate)
        m_delegate->mediaPlayerCurrentTime(this, seconds);
}

// ---- time label ------------------------------------------------------------------------------

QString MediaPlayView::getMMSSFromSS(double seconds)
{
    // Truncated toward zero; what no clock can show (negative, NaN, beyond a century) shows as 0.
    const qint64 s = (std::isfinite(seconds) && seconds > 0 && seconds < 3.2e9) ? qint64(seconds) : 0;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1:%2:%3").arg(two(s / 3600), two((s % 3600) / 60), two(s % 60));
}

void MediaPlayView::updateTimeLabel(double seconds)
{
    m_controlView->timeLabel->setText(
        QStringLiteral("%1|%2").arg(getMMSSFromSS(seconds), getMMSSFromSS(m_duration)));
    // Without a length (not known yet, or a stream) there is no fraction to show: 0, not NaN.
    float fraction = 0.0f;
    if (m_duration > 0.0 && std::isfinite(seconds))
        fraction = qBound(0.0f, float(seconds) / float(m_duration), 1.0f);
    if (!m_controlView->progressSlider->seeking())
        m_controlView->progressSlider->setFloatValue(fraction);
}

// ---- seeking -----------------------------------------------------------------------------------

void MediaPlayView::performClick(double fraction)
{
    if (!m_player || !std::isfinite(fraction))
        return;
    fraction = qBound(0.0, fraction, 1.0);
    const qint64 length = m_player->lengthMs();
    const qint64 offset = m_player->timeOffsetMs();
    if (offset > 0 && length > offset)
        m_player->setPosition((double(offset) + fraction * double(length - offset)) / double(length));
    else
        m_player->setPosition(fraction);
    // The instruments follow the knob at once, playing or paused; pictures of the new place
    // take over when they come.
    m_tickFree = true;
    if (m_playState == MediaPlayStatePlaying || m_playState == MediaPlayStatePaused)
        showTime(double(m_player->timeMs()), true);
}

void MediaPlayView::customSliderFloatValue(VCustomSlider *slider, double)
{
    const double fraction = slider ? slider->floatValue() : 0.0;
    logLine(QStringLiteral("===========> seek time %1").arg(fraction * m_duration, 0, 'f', 6));
    jumpedToTime(fraction * m_duration);
    // The knob is followed live while dragged.
    if (m_playState == MediaPlayStatePlaying || m_playState == MediaPlayStatePaused)
        performClick(fraction);
}

void MediaPlayView::jumpedToTime(double) {}

double MediaPlayView::currentSeconds() const
{
    if (!m_player)
        return 0.0;
    return double(qMax<qint64>(0, m_player->timeMs() - m_player->timeOffsetMs())) / 1000.0;
}

void MediaPlayView::seekBy(double seconds)
{
    if (!m_player || (m_playState != MediaPlayStatePlaying && m_playState != MediaPlayStatePaused))
        return;
    if (m_duration <= 0.0)
        return;
    const double target = qBound(0.0, currentSeconds() + seconds, m_duration);
    performClick(target / m_duration);
}

double MediaPlayView::rateForSpeedValue(double value)
{
    if (!std::isfinite(value))
        return 1.0;
    return std::pow(4.0, 2.0 * qBound(0.0, value, 1.0) - 1.0);
}

// ---- sound -------------------------------------------------------------------------------------

void MediaPlayView::videoSoundAction(int step) { m_controlView->videoSoundAction(step); }

void MediaPlayView::soundBtnClick() { m_controlView->soundBtnClick(); }

void MediaPlayView::stepVolume(int delta) { m_controlView->stepVolume(delta); }

// ---- clicks, wheel --------------------------------------------------------------------------

void MediaPlayView::mouseUp()
{
    if (m_playState == MediaPlayStateStopped || m_playState == MediaPlayStateError)
        return;
    m_controlView->setVisible(m_controlView->isHidden());
    if (m_controlView->isVisible())
        m_controlView->raise();
}

void MediaPlayView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        mouseUp();
    event->accept();
}

void MediaPlayView::wheelEvent(QWheelEvent *event)
{
    const int dy = event->angleDelta().y();
    if (dy == 0) {
        event->ignore();
        return;
    }
    stepVolume(dy > 0 ? 1 : -1);
    event->accept();
}

// ---- external decoder -------------------------------------------------------------------------

void MediaPlayView::DecoderState(int code)
{
    QString label;
    switch (code) {
    case 0:
        label = QStringLiteral("Finish");
        enterState(MediaPlayStateStopped, StopFirst);
        break;
    case 1:
        label = QStringLiteral("playing");
        enterState(MediaPlayStatePlaying);
        // Pictures of the decoder need somewhere to go.
        m_output->setup();
        break;
    case 2:
        label = QStringLiteral("Pause");
        enterState(MediaPlayStatePaused);
        break;
    case 3:
        label = QStringLiteral("Error");
        enterState(MediaPlayStateError, StopFirst);
        break;
    default:
        label = QStringLiteral("");
        break;
    }
    reportState();
    logLine(QStringLiteral("=====> Play status: %1").arg(label));
}

void MediaPlayView::DecoderCurrent(double seconds)
{
    updateTimeLabel(seconds);
    reportTime(seconds);
}

void MediaPlayView::DecoderData(const QImage &pixelBuffer, int, int)
{
    // Any thread: the picture travels to the GUI thread by a queued call. Should the view be
    // gone by then, Qt drops the call and the picture with it.
    QMetaObject::invokeMethod(
        this, [this, pixelBuffer] { dispatchPixelBuffer(pixelBuffer); }, Qt::QueuedConnection);
}


// ---- layout ------------------------------------------------------------------------------------

void MediaPlayView::enterState(quint64 state, StateEntry entry)
{
    if (entry == StopFirst)
        stopPlayVideo(); // with its guard: a full stop only from an active state
    m_playState = state;
    // The button offers what can be done next: pause while playing, play otherwise.
    setPlayImage(state == MediaPlayStatePlaying ? QStringLiteral("pause") : QStringLiteral("play"));
}

void MediaPlayView::setPlayImage(const QString &name)
{
    PlayControlView::setButtonImage(m_controlView->playControlBtn, name);
}

QSize MediaPlayView::videoDeviceSize() const
{
    // Pictures need no more pixels than the screen gives the video.
    const qreal dpr = devicePixelRatioF();
    return QSize(qCeil(m_playView->width() * dpr), qCeil(m_playView->height() * dpr));
}

void MediaPlayView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
}

void MediaPlayView::layoutChildren()
{
    const QRect all = rect();
    m_playView->setGeometry(all);
    m_output->fitToArea();
    if (m_player)
        m_player->setDisplaySize(videoDeviceSize());
    m_mediaImageView->setGeometry(all);
    const int barHeight = qMax(36, m_controlView->sizeHint().height());
    m_controlView->setGeometry(0, all.height() - barHeight, all.width(), barHeight);
}
