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
#include "core/mfilemodel.h"
#include "playback/videooutput.h"

class ChannelSet;
class MediaImageView;
class PlaybackController;
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

    // What plays: state, time, rate and seeking in seconds. The view only shows it.
    PlaybackController *controller() const { return m_controller.get(); }
    quint64 playState() const;
    double duration() const;
    // The player, created on first use (also by playFile). Null until then.
    VlcEngine *playerIfCreated() const;
    VlcEngine *player();

    // The other channels of the moment that the next playFile starts with the file, and the
    // file's own channel; none plays the file alone, as a single-channel recording.
    void setChannels(const QString &mainChannel, const QList<MChannelFile> &others);
    // The channels playing as one with the main file: layout, big picture, offsets.
    ChannelSet *channels() const { return m_channels; }

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
    // The window's volume keys and the wheel: a step up or down.
    void stepVolume(int delta);

    void updateTimeLabel(double seconds);
    static QString getMMSSFromSS(double seconds);
    // The speed slider's 0..1 onto 1/4x..4x, logarithmically; 0.5 is normal speed.
    static double rateForSpeedValue(double value);
    static double speedValueForRate(double rate);

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
    void startFile(const QString &path);
    void showState(quint64 state);
    void showStopped();
    void showTime(double seconds);
    void showRate(double rate);
    void setPlayImage(const QString &name);

    MediaImageView *m_mediaImageView = nullptr;
    MediaPlayerDelegate *m_delegate = nullptr;
    PlayControlView *m_controlView = nullptr;
    QWidget *m_playView = nullptr;
    VideoOutput *m_output = nullptr;
    std::unique_ptr<PlaybackController> m_controller;
    ChannelSet *m_channels = nullptr;
    quint64 m_pendingStart = 0;
    bool m_showingRate = false; // the speed slider is being set to the controller's rate
};
