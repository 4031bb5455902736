#include "playback/mediaplayview.h"
#include "core/logging.h"

#include "widgets/mcustomslider.h"
#include "playback/channelset.h"
#include "playback/mediaimageview.h"
#include "playback/playbackcontroller.h"
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
    : QWidget(parent), m_controller(std::make_unique<PlaybackController>())
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
    setupBasicUI();

    PlaybackController *c = m_controller.get();
    connect(c, &PlaybackController::stateChanged, this, [this](PlaybackController::State s) { showState(quint64(s)); });
    connect(c, &PlaybackController::stopped, this, &MediaPlayView::showStopped);
    connect(c, &PlaybackController::timeChanged, this, [this](double seconds, double) { showTime(seconds); });
    connect(c, &PlaybackController::rateChanged, this, &MediaPlayView::showRate);
    connect(c, &PlaybackController::pictureShown, this, [this](const QImage &picture, double) {
        dispatchPixelBuffer(picture);
    });
    c->setVolume(m_controlView->volume());
    connect(m_controlView, &PlayControlView::volumeChanged, c, &PlaybackController::setVolume);
    m_controlView->progressSlider->setDelegate(this);
    m_channels = new ChannelSet(this, m_playView, c, this);
    connect(m_channels, &ChannelSet::bigClicked, this, &MediaPlayView::mouseUp);
    connect(m_channels, &ChannelSet::arrangementChanged, this, [this] {
        m_output->fitToArea();
        if (VlcEngine *engine = playerIfCreated())
            engine->setDisplaySize(videoDeviceSize());
        m_controlView->raise();
    });
    connect(m_controlView->playSpeedSlider, &QAbstractSlider::valueChanged, this, [this] {
        if (!m_showingRate)
            m_controller->setRate(rateForSpeedValue(m_controlView->playSpeedSlider->floatValue()));
    });
    layoutChildren();
}

MediaPlayView::~MediaPlayView()
{
    // The controller first: releasing its player joins libVLC's threads, so nothing reaches a
    // half-destroyed view.
    m_controller.reset();
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

quint64 MediaPlayView::playState() const { return quint64(m_controller->state()); }

double MediaPlayView::duration() const { return m_controller->length(); }

VlcEngine *MediaPlayView::playerIfCreated() const { return m_controller->engineIfCreated(); }

VlcEngine *MediaPlayView::player() { return m_controller->engine(); }

// ---- starting and stopping -----------------------------------------------------------------

void MediaPlayView::playFile(const QString &path)
{
    const quint64 state = playState();
    const bool idle = state == MediaPlayStateStopped || state == MediaPlayStateError;
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
    m_mediaImageView->setImageName(QString());
    m_controlView->show();
    m_controlView->raise();
    m_output->setup();
    player()->setDisplaySize(videoDeviceSize());
    // The other channels first: their players take as long to start as this one, so they
    // begin level with it rather than behind.
    m_channels->start(path);
    m_controller->open(path);
    m_controlView->raise();
}

void MediaPlayView::setChannels(const QString &mainChannel, const QList<MChannelFile> &others)
{
    m_channels->setChannels(mainChannel, others);
}

void MediaPlayView::stopPlayVideo() { m_controller->stop(); }

void MediaPlayView::showStopped()
{
    m_controlView->progressSlider->setFloatValue(0.0);
    setPlayImage(QStringLiteral("play"));
    m_mediaImageView->setImageName(QStringLiteral("timg"));
    m_controlView->hide();
    m_output->teardown();
}

void MediaPlayView::resumOrPauseVideo()
{
    if (m_controller->state() == PlaybackController::State::Paused)
        m_controller->play();
    else if (m_controller->state() == PlaybackController::State::Playing)
        m_controller->pause();
}

// ---- reports -------------------------------------------------------------------------------------

void MediaPlayView::mediaPlayerStateChanged(int playerState) { m_controller->applyPlayerState(playerState); }

void MediaPlayView::mediaPlayerTimeChanged() { m_controller->applyPlayerTime(); }

void MediaPlayView::showState(quint64 state)
{
    // The button offers what can be done next: pause while playing, play otherwise.
    setPlayImage(state == MediaPlayStatePlaying ? QStringLiteral("pause") : QStringLiteral("play"));
    if (m_delegate)
        m_delegate->mediaPlayerCurrentState(this, state);
}

void MediaPlayView::showTime(double seconds)
{
    updateTimeLabel(seconds);
    if (m_delegate)
        m_delegate->mediaPlayerCurrentTime(this, seconds);
}

void MediaPlayView::showRate(double rate)
{
    m_controlView->setPlaySpeedRate(rate);
    // Set elsewhere (keys, a leader): the knob shows it without setting it again, rounded.
    m_showingRate = true;
    m_controlView->playSpeedSlider->setFloatValue(speedValueForRate(rate));
    m_showingRate = false;
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
    const double duration = m_controller->length();
    m_controlView->timeLabel->setText(
        QStringLiteral("%1|%2").arg(getMMSSFromSS(seconds), getMMSSFromSS(duration)));
    // Without a length (not known yet, or a stream) there is no fraction to show: 0, not NaN.
    float fraction = 0.0f;
    if (duration > 0.0 && std::isfinite(seconds))
        fraction = qBound(0.0f, float(seconds) / float(duration), 1.0f);
    if (!m_controlView->progressSlider->seeking())
        m_controlView->progressSlider->setFloatValue(fraction);
}

// ---- seeking: the slider's fraction becomes seconds here and nowhere else -------------------

void MediaPlayView::performClick(double fraction)
{
    if (!std::isfinite(fraction))
        return;
    m_controller->seekTo(qBound(0.0, fraction, 1.0) * m_controller->length());
}

void MediaPlayView::customSliderFloatValue(VCustomSlider *slider, double)
{
    const double fraction = slider ? slider->floatValue() : 0.0;
    const double seconds = fraction * m_controller->length();
    logLine(QStringLiteral("===========> seek time %1").arg(seconds, 0, 'f', 6));
    jumpedToTime(seconds);
    // The knob is followed live while dragged.
    if (m_controller->isActive())
        performClick(fraction);
}

void MediaPlayView::jumpedToTime(double) {}

double MediaPlayView::rateForSpeedValue(double value)
{
    if (!std::isfinite(value))
        return 1.0;
    return std::pow(4.0, 2.0 * qBound(0.0, value, 1.0) - 1.0);
}

double MediaPlayView::speedValueForRate(double rate)
{
    if (!std::isfinite(rate) || rate <= 0)
        return 0.5;
    return qBound(0.0, (std::log(rate) / std::log(4.0) + 1.0) / 2.0, 1.0);
}

// ---- sound -------------------------------------------------------------------------------------

void MediaPlayView::videoSoundAction(int step) { m_controlView->videoSoundAction(step); }

void MediaPlayView::soundBtnClick() { m_controlView->soundBtnClick(); }

void MediaPlayView::stepVolume(int delta) { m_controlView->stepVolume(delta); }

// ---- clicks, wheel --------------------------------------------------------------------------

void MediaPlayView::mouseUp()
{
    const quint64 state = playState();
    if (state == MediaPlayStateStopped || state == MediaPlayStateError)
        return;
    m_controlView->setVisible(m_controlView->isHidden());
    if (m_controlView->isVisible())
        m_controlView->raise();
}

void MediaPlayView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        // The main channel's picture shown small: a click makes it the big one again.
        if (m_channels->leaderIsSmall() && m_playView->geometry().contains(event->position().toPoint()))
            m_channels->showBig(-1);
        else
            mouseUp();
    }
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
    const QString label = m_controller->applyDecoderState(code);
    // Pictures of the decoder need somewhere to go.
    if (code == 1)
        m_output->setup();
    logLine(QStringLiteral("=====> Play status: %1").arg(label));
}

void MediaPlayView::DecoderCurrent(double seconds) { m_controller->applyDecoderTime(seconds); }

void MediaPlayView::DecoderData(const QImage &pixelBuffer, int, int)
{
    // Any thread: the picture travels to the GUI thread by a queued call. Should the view be
    // gone by then, Qt drops the call and the picture with it.
    QMetaObject::invokeMethod(
        this, [this, pixelBuffer] { dispatchPixelBuffer(pixelBuffer); }, Qt::QueuedConnection);
}


// ---- layout ------------------------------------------------------------------------------------

void MediaPlayView::setPlayImage(const QString &name)
{
    PlayControlView::setButtonImage(m_controlView->playControlBtn, name);
}

QSize MediaPlayView::videoDeviceSize() const
{
    // Pictures need no more pixels than the screen gives the video; the whole area's worth
    // even while the main picture is a small one, so that a swap restarts no output.
    const qreal dpr = devicePixelRatioF();
    return QSize(qCeil(width() * dpr), qCeil(height() * dpr));
}

void MediaPlayView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
}

void MediaPlayView::layoutChildren()
{
    const QRect all = rect();
    m_channels->arrange(all);
    m_output->fitToArea();
    if (VlcEngine *engine = playerIfCreated())
        engine->setDisplaySize(videoDeviceSize());
    m_mediaImageView->setGeometry(all);
    const int barHeight = qMax(36, m_controlView->sizeHint().height());
    m_controlView->setGeometry(0, all.height() - barHeight, all.width(), barHeight);
    m_controlView->raise();
}
