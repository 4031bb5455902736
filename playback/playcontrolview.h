#pragma once
// The translucent control bar over the video. It only holds its controls and paints its
// background; the player view and the window's controller set their contents and act on them.
#include <QString>
#include <QToolButton>
#include <QWidget>

class QLabel;
class QLayout;
class MCustomSlider;
class VCustomSlider;

class PlayControlView : public QWidget {
    Q_OBJECT
public:
    explicit PlayControlView(QWidget *parent = nullptr);

    QToolButton *playControlBtn = nullptr;
    QToolButton *stopBtn = nullptr;
    QToolButton *preBtn = nullptr;
    QToolButton *nextBtn = nullptr;
    QToolButton *soundBtn = nullptr;
    QLabel *timeLabel = nullptr;
    VCustomSlider *progressSlider = nullptr; // fraction 0..1 of the recording
    MCustomSlider *soundSlider = nullptr;    // volume step 0..kMaxSoundStep
    MCustomSlider *playSpeedSlider = nullptr; // 0..1, 0.5 = normal speed

    // A button of the bar's look for a tool of the window, put before the sound controls:
    // named name, showing the picture imageName. The caller connects and titles it.
    QToolButton *addControlBarButton(const QString &name, const QString &imageName);
    // The line of buttons under the progress slider's line.
    QLayout *buttonRow() const;

    // The volume handed to the player is step x 10, and libVLC goes up to 200 %.
    static constexpr int kMaxSoundStep = 20;

    // Shows the named picture on a button; without the picture, the platform's media icon stands in.
    // The name stays readable as the button's "imageName" property.
    static void setButtonImage(QAbstractButton *button, const QString &name);
    static QString buttonImage(const QAbstractButton *button);

    // The sound: the slider and the button as the stored preferences say (kAudioSwitch,
    // kVideoSound); volumeChanged tells the player what to play at.
    void setupSound();
    // The volume the player should have: the step x 10, or -1 for silence.
    int volume() const;
    // The slider moved to step: the sound goes on at that step, which is stored.
    void videoSoundAction(int step);
    // Sound on or off; the step is kept.
    void soundBtnClick();
    // One step up or down (keys, wheel), through the slider.
    void stepVolume(int delta);

signals:
    void volumeChanged(int volume);

public:
    // The speed slider's tooltip names the rate ("Speed 1.50×" in the chosen language).
    void setPlaySpeedRate(double rate);
    // Every tooltip again from the string table of the chosen language.
    void setStringValue();

protected:
    void paintEvent(QPaintEvent *event) override;
    // Clicks on the bar itself must not reach the video underneath (they would hide the bar).
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_settingSlider = false;
    double m_rate = 1.0; // the rate the speed slider's tooltip names
};
