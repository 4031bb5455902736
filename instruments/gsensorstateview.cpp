#include "instruments/gsensorstateview.h"

#include <QLabel>
#include <QPainter>

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
        QFont f = label->font();
        f.setPixelSize(11);
        label->setFont(f);
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
    return QRect(30, 22, std::max(0, panel.width() - 30), std::max(0, panel.height() - 44));
}

void GsensorStateView::layoutChildren()
{
    m_heartBitView->setGeometry(waveformFrame(size()));
    // The readings share the strip above the waveform.
    const int left = 30;
    const int w = std::max(0, (width() - left) / 3);
    m_labelX->setGeometry(left, 3, w, 18);
    m_labelY->setGeometry(left + w, 3, w, 18);
    m_labelZ->setGeometry(left + 2 * w, 3, w, 18);
}

void GsensorStateView::resizeEvent(QResizeEvent *) { layoutChildren(); }

void GsensorStateView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor::fromRgbF(0.7f, 0.7f, 0.7f, 0.5f), 0.5);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25));
}

void GsensorStateView::setLabels(double x, double y, double z)
{
    m_labelX->setText(QStringLiteral("X:") + QString::number(x, 'f', 4));
    m_labelY->setText(QStringLiteral("Y:") + QString::number(y, 'f', 4));
    m_labelZ->setText(QStringLiteral("Z:") + QString::number(z, 'f', 4));
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
