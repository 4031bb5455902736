#pragma once
// Where the player's pictures go: a VideoSurface filling the player's video area, made when
// a recording starts and torn down when it stops (so a stopped player shows its placeholder),
// and the last picture handed over, which snapshots read. Pictures are handed over on the
// GUI thread; the last picture may be read from any thread.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRecursiveMutex>

#include "playback/videosurface.h"

class VideoOutput : public QObject {
    Q_OBJECT
public:
    // area: the widget the surface fills; it must outlive the output (it is usually a sibling
    // under the same parent, made first).
    explicit VideoOutput(QWidget *area, QObject *parent = nullptr);

    VideoSurface *surface() const { return m_surface; }
    // Pictures that reached the screen since the output was made, across surfaces.
    int framesPresented() const;

    // Keeps the picture as the last one and shows it on the surface, if there is one
    // (stopped: the picture is only kept). A null picture is ignored.
    void present(const QImage &frame);
    QImage lastFrame() const;

    // Makes the surface, or fits the one there to the area.
    void setup();
    void teardown();
    void rebuild();
    void fitToArea();

signals:
    // A picture reached the screen (whichever surface shows it).
    void framePainted(const QImage &frame);

private:
    void enqueue(const QImage &frame, VideoSurface *surface);

    QWidget *m_area;
    QPointer<VideoSurface> m_surface;
    int m_presentedBefore = 0; // by surfaces already torn down
    QImage m_lastFrame;
    mutable QRecursiveMutex m_lock;
};
