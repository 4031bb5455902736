#pragma once
// The video alone, full screen: a double click on the video lifts the player out of the
// dashboard and lays it over the whole window, which goes full screen, with the time and
// the speed in a corner; another double click (or Escape) puts it back where it was.
#include <QObject>
#include <QPointer>
#include <QTimer>

class QLabel;
class QWidget;

class VideoOnlyMode : public QObject {
    Q_OBJECT
public:
    // window: the main window; video: the player widget, which double clicks toggle.
    VideoOnlyMode(QWidget *window, QWidget *video, QObject *parent = nullptr);
    ~VideoOnlyMode() override;

    // The corner read-out's text (time and speed); readoutWanted() asks for it four times a
    // second while the video is alone.
    void setReadoutText(const QString &text);

    bool isActive() const { return m_active; }
    void enter();
    // Back to the dashboard; full screen only when the window was full screen before, or
    // when keepFullScreen asks for the dashboard's full screen.
    void leave(bool keepFullScreen = false);
    void toggle();
    QLabel *readoutLabel() const { return m_label; }

signals:
    void activeChanged(bool active);
    void readoutWanted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_video;
    QPointer<QWidget> m_home;
    int m_homeIndex = -1;
    int m_homeStretch = 0;
    QLabel *m_label = nullptr;
    QTimer m_tick;
    bool m_active = false;
    bool m_wasFullScreen = false;
};
