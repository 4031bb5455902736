#include "instruments/hearbitview.h"

#include "instruments/gsensorpainter.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

HearBitView::HearBitView(QWidget *parent) : QWidget(parent)
{
    m_asignView = new QWidget(this);
    m_asignView->setGeometry(0, 0, 1, height());
    m_asignView->setAutoFillBackground(true);
    QPalette pal = m_asignView->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_asignView->setPalette(pal);
    m_asignView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_asignView->hide();
    clearAllPoints();
}

float HearBitView::convertGsensorToCoor(double reading) const
{
    return GsensorPainter::heightOf(reading, height());
}

void HearBitView::clearAllPoints()
{
    m_asignView->hide();
    m_asignView->move(0, 0);
    m_cursorIndex = 0;
    m_track.reset();
    m_pointsX.clear();
    m_pointsY.clear();
    m_pointsZ.clear();
    m_marks.clear();
    m_curvesValid = false;
    update();
}

void HearBitView::setEventMarks(const TimelineMarks &marks)
{
    m_marks = marks;
    update();
}

bool HearBitView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int i = timelineMarkAt(m_marks, help->pos().x(), 0.0, double(width() - 1));
        if (i >= 0)
            QToolTip::showText(help->globalPos(), m_marks[i].toolTip, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void HearBitView::setGpsData(const Track &track)
{
    if (trackSize(track) == 0)
        return;
    clearAllPoints();
    m_track = track;
    m_asignView->show();
    convertPoints();
    update();
}

void HearBitView::convertPoints()
{
    m_pointsX.clear();
    m_pointsY.clear();
    m_pointsZ.clear();
    const std::size_t n = trackSize(m_track);
    m_pointsX.reserve(qsizetype(n));
    m_pointsY.reserve(qsizetype(n));
    m_pointsZ.reserve(qsizetype(n));
    for (const GPSItem &item : *m_track) {
        m_pointsX.append(convertGsensorToCoor(item.gsensorX));
        m_pointsY.append(convertGsensorToCoor(item.gsensorY));
        m_pointsZ.append(convertGsensorToCoor(item.gsensorZ));
    }
    updateMargin();
    m_curvesValid = false;
}

void HearBitView::updateMargin()
{
    // One sample has no spacing: it (and the cursor) sit at x = 0.
    const qsizetype n = m_pointsX.size();
    m_marginX = n > 1 ? double(width()) / double(n - 1) : 0.0;
}

void HearBitView::setCurrentPlayerTime(qint64 index)
{
    m_cursorIndex = index;
    placeCursor();
}

void HearBitView::placeCursor()
{
    // The last sample lies on the right edge; keep its cursor inside the view.
    const double x = std::fmax(0.0, double(m_cursorIndex) * m_marginX);
    m_asignView->move(std::isfinite(x) ? int(std::lround(std::fmin(x, double(width() - 1)))) : 0, 0);
}

void HearBitView::resizeEvent(QResizeEvent *event)
{
    m_asignView->resize(1, height());
    // The stored points are heights for the old size; a new height needs them again.
    if (m_track && event->oldSize().height() != height())
        convertPoints();
    updateMargin();
    placeCursor();
    m_curvesValid = false;
}

void HearBitView::renderCurves()
{
    const qreal dpr = devicePixelRatioF();
    m_curves = QPixmap(size() * dpr);
    m_curves.setDevicePixelRatio(dpr);
    m_curves.fill(Qt::transparent);
    m_curvesValid = true;
    if (m_pointsX.isEmpty())
        return;
    QPainter p(&m_curves);
    GsensorPainter::paintCurves(p, QRectF(QPointF(0, 0), QSizeF(size())), m_pointsX, m_pointsY, m_pointsZ, m_marginX);
}

void HearBitView::paintEvent(QPaintEvent *)
{
    const qreal dpr = devicePixelRatioF();
    if (!m_curvesValid || m_curves.size() != size() * dpr)
        renderCurves();
    QPainter p(this);
    p.drawPixmap(0, 0, m_curves);
    GsensorPainter::paintMarks(p, QRectF(rect()), m_marks);
}
