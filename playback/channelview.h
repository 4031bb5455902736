#pragma once
// One more channel of a recording (rear, interior, ...) in the video area: its own player,
// which follows the main channel's, the pictures it shows, the channel's name, and what went
// wrong with it (cut off, another length or frame rate, gone). A click asks for it to become
// the big picture; a drag moves the small pictures to another corner.
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>

class PlaybackController;
class QLabel;
class VideoOutput;

class ChannelView : public QWidget {
    Q_OBJECT
public:
    explicit ChannelView(QWidget *parent = nullptr);
    ~ChannelView() override;

    PlaybackController *controller() const { return m_controller.get(); }
    VideoOutput *output() const { return m_output; }

    // The channel ("rear") and file that play here with the next start.
    void setChannel(const QString &channel, const QString &path);
    QString channel() const { return m_channel; }
    QString path() const { return m_path; }
    // Opens the file following leader at offset seconds; a file that is not there is
    // reported at once (the main channel plays on either way).
    void start(PlaybackController &leader, double offsetSeconds);

    // What is wrong with this channel, shown over its picture; empty when nothing is.
    QString message() const { return m_message; }
    void setMessage(const QString &text);

    // The picture on screen, at the recording's own size when it can be had; null without one.
    QImage picture() const;

signals:
    void clicked();
    // Dragged and let go at point (in the parent's coordinates).
    void dropped(const QPoint &point);
    void messageChanged(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void checkAgainstLeader();
    void layoutLabels();
    QSize displaySize() const;

    std::unique_ptr<PlaybackController> m_controller;
    QWidget *m_area = nullptr;
    VideoOutput *m_output = nullptr;
    QLabel *m_name = nullptr;
    QLabel *m_note = nullptr;
    QString m_channel;
    QString m_path;
    QString m_message;
    PlaybackController *m_leader = nullptr;
    bool m_checked = false;
    QPoint m_pressAt;
    QPoint m_grabOffset;
    bool m_dragging = false;
};
