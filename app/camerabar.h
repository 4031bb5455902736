#pragma once
// The strip under the media list while a camera is connected: what the camera said (its
// listing, names refused, a failure), the download buttons (ticked rows, all events, all
// locked), the overall progress with Cancel, and Disconnect. Texts from the camera are shown
// as plain text.
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

class CameraBar : public QWidget {
    Q_OBJECT
public:
    explicit CameraBar(QWidget *parent = nullptr);

    void setStatus(const QString &text);
    QString status() const;
    // 0..1000, or -1 to hide the bar; Cancel is offered while a download runs.
    void setProgress(int permille);
    void retitle();

signals:
    void downloadChecked();
    void downloadKind(const QString &kind);
    void cancelRequested();
    void disconnectRequested();

private:
    QLabel *m_status = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_download = nullptr;
    QPushButton *m_events = nullptr;
    QPushButton *m_locked = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_disconnect = nullptr;
};
