#pragma once
// The player in the main window: plays one recording at a time through libVLC, keeps the
// play state, drives the control bar and the placeholder picture, keeps the user's sound
// setting and reports every state change and time tick to its delegate.
//
// It also takes pictures, state and time from an external decoder (DecoderData,
// DecoderState, DecoderCurrent); libVLC's own pictures arrive the same way.
#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>

#include "widgets/customsliderdelegate.h"
#include "core/mediaplayerdelegate.h"
#include "playback/videooutput.h"

class MediaImageView;
class PlayControlView;
class VlcEngine;

class MediaPlayView : public QWidget, public CustomSliderDelegate {
    Q_OBJECT
public:
    explicit MediaPlayView(QWidget *parent = nullptr);
    ~MediaPlayView() override;

    void setDelegate(MediaPlayerDelegate *delegate) { m_delegate = delegate; }
    MediaPlayerDelegate *delegate() const { return m_delegate; }

    MediaImageView *mediaImageView() const { return m_mediaImageView; }
    PlayControlView *controlView() const { return m_controlView; }
    QWidget *playView() const { return m_playView; }
    VideoSurface *videoSurface() const { return m_output->surface(); }
    // Pictures that reached the screen since the view was made, across surfaces.
    int framesPresented() const { return m_output->framesPresented(); }

    quint64 playState() const { return m_playState; }
    double duration() const { return m_duration; }
    // The player, created on first use (also by playFile). Null until then.
    VlcEngine *playerIfCreated() const { return m_player.get(); }
    VlcEngine *player();

    // Starts the file: on the next turn of the event loop, or 0.1 s after stopping a
    // recording that is still active. A later call supersedes a start still pending.
    void playFile(const QString &path);
    void stopPlayVideo();
    void resumOrPauseVideo();

    // Control bar actions.
    void performClick(double fraction);
    void videoSoundAction(int step);
    void soundBtnClick();
    void mouseUp();
    void customSliderFloatValue(VCustomSlider *slider, double value) override;
    void jumpedToTime(double seconds);
    // The window's keys: seconds to move from the current time (while a file is active),
    // and a volume step up or down.
    void seekBy(double seconds);
    void stepVolume(int delta);

    void updateTimeLabel(double seconds);
    static QString getMMSSFromSS(double seconds);
    // The speed slider's 0..1 onto 1/4x..4x, logarithmically; 0.5 is normal speed.
    static double rateForSpeedValue(double value);

    // External decoder: state code 0 finished, 1 playing, 2 paused, 3 error; time in seconds;
    // a picture, callable from any thread (the QImage is the reference handed over).
    void DecoderState(int code);
    void DecoderCurrent(double seconds);
    void DecoderData(const QImage &pixelBuffer, int width, int height);
    void dispatchPixelBuffer(const QImage &pixelBuffer) { m_output->present(pixelBuffer); }
    QImage previousPixelBuffer() const { return m_output->lastFrame(); }

    // The player's state and time reports (on the GUI thread).
    void mediaPlayerStateChanged(int playerState);
    void mediaPlayerTimeChanged();

signals:
    // A picture reached the screen (whichever surface shows it).
    void framePainted(const QImage &frame);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void setupBasicUI();
    void layoutChildren();
    QSize videoDeviceSize() const;
    // Every entry into a play state goes through here: the full stop first where the state
    // tables ask for it, then the state and the play/pause button's picture.
    enum StateEntry { Direct, StopFirst };
    void enterState(quint64 state, StateEntry entry = Direct);
    void setPlayImage(const QString &name);
    void startFile(const QString &path);
    void reportState();
    void reportTime(double seconds);
    void presentFrame(const QImage &frame, double timeMs);
    // One tick: the time label, the progress and the delegate, from a time on the player's clock.
    void showTime(double playerMs, bool anyDirection = true);
    void applyVolume();
    double currentSeconds() const;

    MediaImageView *m_mediaImageView = nullptr;
    MediaPlayerDelegate *m_delegate = nullptr;
    PlayControlView *m_controlView = nullptr;
    QWidget *m_playView = nullptr;
    quint64 m_playState = MediaPlayStateStopped;
    double m_duration = 0.0;
    VideoOutput *m_output = nullptr;
    std::unique_ptr<VlcEngine> m_player;
    quint64 m_pendingStart = 0;
    double m_lastTick = -1.0;   // seconds last reported; -1 before the first of a file
    bool m_tickFree = true;     // the next tick may go back (a new file, or a seek)
};
