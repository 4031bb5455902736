#pragma once
// The surface decoded pictures are shown on: it holds the picture to show and paints it
// letterboxed (aspect ratio kept, black bars) into its whole area. It draws straight from the
// decoder's buffer; nothing is copied on the way.
#include <QImage>
#include <QString>
#include <QWidget>

class VideoSurface : public QWidget {
    Q_OBJECT
public:
    enum Status { Ok, Failed };
    // The surface could not draw (its paint device went away under it): a fresh surface helps.
    static constexpr int kErrorInterrupted = -11847;
    // The picture has no usable size or format; a fresh surface would fail the same way.
    static constexpr int kErrorUnsupportedFrame = -11821;

    explicit VideoSurface(QWidget *parent = nullptr);

    // Replaces the picture shown. A picture it cannot draw leaves the surface Failed.
    void enqueue(const QImage &frame);
    void clear();
    QImage currentFrame() const { return m_frame; }

    Status status() const { return m_status; }
    int errorCode() const { return m_error; }
    QString errorString() const;
    void markFailed(int code);

    // Pictures that reached the screen (several pictures queued between two paints count once).
    int framesPresented() const { return m_presented; }

    // Where a picture of frameSize goes in an area of areaSize: as large as fits, centred.
    static QRect letterboxRect(const QSize &frameSize, const QSize &areaSize);

signals:
    // A picture reached the screen for the first time (repaints of the same picture are silent).
    void framePainted(const QImage &frame);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_frame;
    quint64 m_serial = 0;
    quint64 m_paintedSerial = 0;
    int m_presented = 0;
    Status m_status = Ok;
    int m_error = 0;
};
