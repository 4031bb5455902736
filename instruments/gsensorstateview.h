#pragma once
// The G-sensor panel: the waveform of the whole track with a cursor at the current
// second, and the three readings of that second as "X:0.0123" labels above it.
#include <QWidget>

#include "track/instrument.h"
#include "track/samplelookup.h"
#include "widgets/timelinemark.h"

class HearBitView;
class QLabel;

class GsensorStateView : public QWidget, public Instrument {
    Q_OBJECT
public:
    explicit GsensorStateView(QWidget *parent = nullptr);

    // An empty or absent track changes nothing.
    void setGpsData(const Track &track) override;
    void setCurrentPlayerTime(double seconds) override;
    void resetGsensor();
    // Harsh events as ticks on the waveform (until the next reset or track).
    void setEventMarks(const TimelineMarks &marks);

    QLabel *gSensorX() const { return m_labelX; }
    QLabel *gSensorY() const { return m_labelY; }
    QLabel *gSensorZ() const { return m_labelZ; }
    HearBitView *heartBitView() const { return m_heartBitView; }
    Track gpsArray() const { return m_gpsArray; }

    // Free margins around the waveform: 30 on the left, 22 above and below.
    static QRect waveformFrame(const QSize &panel);

    QSize sizeHint() const override { return QSize(300, 160); }
    QSize minimumSizeHint() const override { return QSize(150, 80); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setLabels(double x, double y, double z);
    void layoutChildren();

    QLabel *m_labelX = nullptr;
    QLabel *m_labelY = nullptr;
    QLabel *m_labelZ = nullptr;
    HearBitView *m_heartBitView = nullptr;
    Track m_gpsArray;
    SampleLookup m_lookup;
};
