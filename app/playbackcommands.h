#pragma once
// What the Playback actions do: the player, the list and the window answer each command.
// Space starts the current recording again once it was stopped or ran out; F and F11 toggle
// the dashboard's full screen, Escape leaves it (and the video-alone view, which a double
// click on the video toggles).
#include <QObject>
#include <QPointer>
#include <functional>

class MediaListView;
class MediaPlayView;
class OvraWindowPlayController;
class PlaybackActions;
class VideoOnlyMode;

class PlaybackCommands : public QObject {
    Q_OBJECT
public:
    static constexpr double kSpeedStep = 0.125; // of the speed slider: a factor of about 1.4

    PlaybackCommands(PlaybackActions *actions, MediaPlayView *player, MediaListView *list,
                     OvraWindowPlayController *windowVC, QObject *parent = nullptr);
    ~PlaybackCommands() override;

    // The vehicle speed read-out shown beside the time in the video-alone view.
    void setSpeedText(std::function<QString()> speedText) { m_speedText = std::move(speedText); }
    VideoOnlyMode *videoOnly() const { return m_videoOnly; }

    void playPause();
    void stop();
    void seekBy(double seconds);
    void stepVolume(int delta);
    // +1 faster, -1 slower, 0 normal speed.
    void stepSpeed(int delta);
    void toggleFullScreen();
    void leaveFullScreen();
    // The corner text of the video-alone view: time, length, playback rate and speed.
    QString readoutText() const;

private:
    QPointer<MediaPlayView> m_player;
    QPointer<MediaListView> m_list;
    OvraWindowPlayController *m_windowVC = nullptr;
    VideoOnlyMode *m_videoOnly = nullptr;
    std::function<QString()> m_speedText;
};
