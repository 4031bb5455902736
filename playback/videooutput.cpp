#include "playback/videooutput.h"

#include "core/logging.h"

VideoOutput::VideoOutput(QWidget *area, QObject *parent) : QObject(parent), m_area(area) {}

void VideoOutput::present(const QImage &frame)
{
    if (frame.isNull())
        return;
    {
        QMutexLocker locker(&m_lock);
        // Replacing the held picture drops our reference to the previous one, exactly once.
        m_lastFrame = frame;
    }
    enqueue(frame, m_surface);
}

QImage VideoOutput::lastFrame() const
{
    QMutexLocker locker(&m_lock);
    return m_lastFrame;
}

void VideoOutput::enqueue(const QImage &frame, VideoSurface *surface)
{
    if (!surface)
        return; // no surface (stopped): the picture is dropped
    surface->enqueue(frame);
    if (surface->status() == VideoSurface::Failed) {
        qCDebug(lcPlayback).noquote() << QStringLiteral("ERROR: %1").arg(surface->errorString());
        if (surface->errorCode() == VideoSurface::kErrorInterrupted) {
            rebuild();
            if (m_surface)
                m_surface->enqueue(frame);
        }
    }
}

void VideoOutput::setup()
{
    if (m_surface) {
        fitToArea();
        return;
    }
    m_surface = new VideoSurface(m_area);
    connect(m_surface, &VideoSurface::framePainted, this, &VideoOutput::framePainted);
    fitToArea();
    m_surface->show();
}

void VideoOutput::fitToArea()
{
    if (m_surface)
        m_surface->setGeometry(m_area->rect());
}

void VideoOutput::teardown()
{
    if (!m_surface)
        return;
    m_presentedBefore += m_surface->framesPresented();
    delete m_surface.data();
    m_surface = nullptr;
}

int VideoOutput::framesPresented() const
{
    return m_presentedBefore + (m_surface ? m_surface->framesPresented() : 0);
}

void VideoOutput::rebuild()
{
    QMutexLocker locker(&m_lock);
    teardown();
    setup();
}
