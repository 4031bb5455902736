#include "instruments/gsensorstateview.h"

#include <QLabel>
#include <QPainter>

#include "instruments/gsensorpainter.h"
#include "instruments/hearbitview.h"

GsensorStateView::GsensorStateView(QWidget *parent) : QWidget(parent)
{
    m_lookup.invalidate();
    m_heartBitView = new HearBitView(this);
    auto makeLabel = [this](const QColor &color) {
        auto *label = new QLabel(this);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // The label wears its curve's colour, so the three read-outs double as the legend.
        label->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(color.name()));
        label->setFont(GsensorPainter::labelFont());
        return label;
    };
    m_labelX = makeLabel(HearBitView::colorX());
    m_labelY = makeLabel(HearBitView::colorY());
    m_labelZ = makeLabel(HearBitView::colorZ());
    setLabels(0.0, 0.0, 0.0);
    layoutChildren();
}

QRect GsensorStateView::waveformFrame(const QSize &panel)
{
    return GsensorPainter::waveformFrame(QSizeF(panel)).toRect();
}

void GsensorStateView::layoutChildren()
{
    m_heartBitView->setGeometry(waveformFrame(size()));
    // The readings share the strip above the waveform.
    m_labelX->setGeometry(GsensorPainter::labelFrame(QSizeF(size()), 0).toRect());
    m_labelY->setGeometry(GsensorPainter::labelFrame(QSizeF(size()), 1).toRect());
    m_labelZ->setGeometry(GsensorPainter::labelFrame(QSizeF(size()), 2).toRect());
}

void GsensorStateView::resizeEvent(QResizeEvent *) { layoutChildren(); }

void GsensorStateView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    GsensorPainter::paintFrame(p, QRectF(rect()));
}

void GsensorStateView::setLabels(double x, double y, double z)
{
    m_labelX->setText(GsensorPainter::labelText('X', x));
    m_labelY->setText(GsensorPainter::labelText('Y', y));
    m_labelZ->setText(GsensorPainter::labelText('Z', z));
}

void GsensorStateView::setGpsData(const Track &track)
{
    if (trackSize(track) == 0)
        return;
    m_gpsArray = track;
    // A new recording's first tick must show, even if it falls in the second last shown.
    m_lookup.invalidate();
    m_heartBitView->setGpsData(track);
}

void GsensorStateView::setCurrentPlayerTime(double seconds)
{
    const auto index = m_lookup.select(m_gpsArray, seconds);
    if (!index)
        return;
    const GPSItem &item = (*m_gpsArray)[*index];
    setLabels(item.gsensorX, item.gsensorY, item.gsensorZ);
    m_heartBitView->setCurrentPlayerTime(qint64(*index));
}

void GsensorStateView::resetGsensor()
{
    m_gpsArray.reset();
    setLabels(0.0, 0.0, 0.0);
    m_heartBitView->clearAllPoints();
}

void GsensorStateView::setEventMarks(const TimelineMarks &marks)
{
    m_heartBitView->setEventMarks(marks);
}
