#include "playback/videosurface.h"

#include <QPainter>
#include <QRegion>

VideoSurface::VideoSurface(QWidget *parent)
    : QWidget(parent)
{
    // We paint every pixel ourselves; letting Qt clear first would only cost time.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void VideoSurface::enqueue(const QImage &frame)
{
    if (frame.isNull() || frame.width() > 16384 || frame.height() > 16384 || frame.depth() < 8) {
        markFailed(kErrorUnsupportedFrame);
        return;
    }
    // A bad picture fails only itself; an interrupted surface stays failed until rebuilt.
    if (m_status == Failed && m_error == kErrorUnsupportedFrame) {
        m_status = Ok;
        m_error = 0;
    }
    m_frame = frame;
    ++m_serial;
    update();
}

void VideoSurface::clear()
{
    m_frame = QImage();
    ++m_serial;
    update();
}

QString VideoSurface::errorString() const
{
    switch (m_error) {
    case 0: return {};
    case kErrorInterrupted: return QStringLiteral("video surface interrupted (%1)").arg(m_error);
    case kErrorUnsupportedFrame: return QStringLiteral("unsupported frame (%1)").arg(m_error);
    default: return QStringLiteral("video surface error %1").arg(m_error);
    }
}

void VideoSurface::markFailed(int code)
{
    m_status = Failed;
    m_error = code;
}

QRect VideoSurface::letterboxRect(const QSize &frameSize, const QSize &areaSize)
{
    if (frameSize.isEmpty() || areaSize.isEmpty())
        return {};
    const QSize fitted = frameSize.scaled(areaSize, Qt::KeepAspectRatio);
    return QRect(QPoint((areaSize.width() - fitted.width()) / 2, (areaSize.height() - fitted.height()) / 2), fitted);
}

void VideoSurface::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!p.isActive()) {
        markFailed(kErrorInterrupted);
        return;
    }
    const QRect target = letterboxRect(m_frame.size(), size());
    if (target.isEmpty()) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    // Only the bars: the picture covers the rest.
    const QRegion bars = QRegion(rect()) - QRegion(target);
    for (const QRect &r : bars)
        p.fillRect(r, Qt::black);
    // Smoothing a full-HD picture on every frame costs more than decoding it; it only pays
    // when a small picture is blown up.
    if (target.width() > m_frame.width())
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, m_frame);
    if (m_paintedSerial != m_serial) {
        m_paintedSerial = m_serial;
        ++m_presented;
        emit framePainted(m_frame);
    }
}
