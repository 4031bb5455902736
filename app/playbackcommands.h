#pragma once
// What the Playback actions do (app/composition.cpp connects them): the player, the list and the window answer each command.
// Space starts the current recording again once it was stopped or ran out; F and F11 toggle
// the dashboard's full screen, Escape leaves it (and the video-alone view, which a double
// click on the video toggles).
#include <QObject>
#include <QPointer>

class MediaListView;
class MediaPlayView;
class OvraWindowPlayController;
class VideoOnlyMode;

class PlaybackCommands : public QObject {
    Q_OBJECT
public:
    static constexpr double kSpeedStep = 0.125; // of the speed slider: a factor of about 1.4

    // videoOnly: the video-alone view, which F11 and Escape leave first.
    PlaybackCommands(MediaPlayView *player, MediaListView *list, OvraWindowPlayController *windowVC,
                     VideoOnlyMode *videoOnly, QObject *parent = nullptr);
    ~PlaybackCommands() override;

    // The vehicle speed read-out shown beside the time in the video-alone view.
    void setVehicleSpeed(const QString &speedText) { m_speedText = speedText; }
    VideoOnlyMode *videoOnly() const { return m_videoOnly; }

    void playPause();
    void stop();
    void previous();
    void next();
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
    QPointer<VideoOnlyMode> m_videoOnly;
    QString m_speedText;
};
