#include "app/playbackcommands.h"

#include <QLabel>
#include <QWidget>

#include "app/ovrawindowplaycontroller.h"
#include "app/videoonlymode.h"
#include "core/mediaplayerdelegate.h"
#include "library/medialistview.h"
#include "playback/mediaplayview.h"
#include "playback/playbackcontroller.h"
#include "playback/playcontrolview.h"
#include "widgets/mcustomslider.h"
#include "widgets/vcustomslider.h"

PlaybackCommands::PlaybackCommands(MediaPlayView *player, MediaListView *list, OvraWindowPlayController *windowVC,
                                   VideoOnlyMode *videoOnly, QObject *parent)
    : QObject(parent), m_player(player), m_list(list), m_windowVC(windowVC), m_videoOnly(videoOnly)
{
}

PlaybackCommands::~PlaybackCommands() = default;

void PlaybackCommands::previous()
{
    if (m_list)
        m_list->preVideoAction();
}

void PlaybackCommands::next()
{
    if (m_list)
        m_list->nextVideoAction();
}

void PlaybackCommands::playPause()
{
    if (!m_player)
        return;
    const quint64 state = m_player->playState();
    if (state == MediaPlayStatePlaying || state == MediaPlayStatePaused) {
        m_player->resumOrPauseVideo();
        return;
    }
    // Stopped, at the end, or failed: the current recording from its start (its telemetry
    // is read again, as on a double click in the list).
    if (!m_list || m_list->dataArray().isEmpty())
        return;
    const int row = qBound(0, m_list->curIndex(), int(m_list->dataArray().size()) - 1);
    m_list->selectModelToPlay(m_list->dataArray().at(row));
}

void PlaybackCommands::stop()
{
    if (m_player)
        m_player->stopPlayVideo();
}

void PlaybackCommands::seekBy(double seconds)
{
    if (m_player)
        m_player->controller()->seekBy(seconds);
}

void PlaybackCommands::stepVolume(int delta)
{
    if (m_player)
        m_player->stepVolume(delta);
}

void PlaybackCommands::stepSpeed(int delta)
{
    if (!m_player)
        return;
    MCustomSlider *slider = m_player->controlView()->playSpeedSlider;
    const double value = delta == 0 ? 0.5 : qBound(0.0, slider->floatValue() + delta * kSpeedStep, 1.0);
    slider->setFloatValue(value);
}

void PlaybackCommands::toggleFullScreen()
{
    if (!m_windowVC)
        return;
    // From the video alone, F11 goes back to the whole dashboard, still full screen.
    if (m_videoOnly && m_videoOnly->isActive()) {
        m_videoOnly->leave(true);
        return;
    }
    m_windowVC->toggleFullScreen();
}

void PlaybackCommands::leaveFullScreen()
{
    // The video alone first goes back to the dashboard as it was before the double click.
    if (m_videoOnly && m_videoOnly->isActive()) {
        m_videoOnly->leave();
        return;
    }
    if (m_windowVC && m_windowVC->window()->isFullScreen())
        m_windowVC->window()->showNormal();
}

QString PlaybackCommands::readoutText() const
{
    if (!m_player)
        return QString();
    QString text = m_player->controlView()->timeLabel->text();
    const double rate = m_player->controller()->rate();
    if (qAbs(rate - 1.0) > 0.01)
        text += QStringLiteral("   %1\u00D7").arg(rate, 0, 'f', 2);
    if (!m_speedText.isEmpty())
        text += QStringLiteral("   ") + m_speedText;
    return text;
}
