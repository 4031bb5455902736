#pragma once
// The G-sensor waveform: the three axes of the whole track as overlaid curves across the
// full width, with a one-pixel cursor at the current sample. Readings of -2..+2 span the
// height; the curves are drawn once per track and size into a cache, so moving the
// cursor costs no curve drawing.
#include <QPixmap>
#include <QVector>
#include <QWidget>

#include "instruments/gsensorpainter.h"
#include "track/gpsitem.h"
#include "widgets/timelinemark.h"

class HearBitView : public QWidget {
    Q_OBJECT
public:
    explicit HearBitView(QWidget *parent = nullptr);

    void setGpsData(const Track &track);
    // index is a sample index, not seconds.
    void setCurrentPlayerTime(qint64 index);
    // Also drops the event marks.
    void clearAllPoints();
    // Ticks at harsh events: fraction 0 the first sample, 1 the last; hovering names them.
    void setEventMarks(const TimelineMarks &marks);
    const TimelineMarks &eventMarks() const { return m_marks; }
    // Height above the bottom edge (y up) for a reading, at the current height.
    float convertGsensorToCoor(double reading) const;

    // x of sample i: width * i / (N - 1); a single sample lies at x = 0.
    double marginX() const { return m_marginX; }
    const QVector<float> &pointsXArray() const { return m_pointsX; }
    const QVector<float> &pointsYArray() const { return m_pointsY; }
    const QVector<float> &pointsZArray() const { return m_pointsZ; }
    QWidget *asignView() const { return m_asignView; }

    static QColor colorX() { return GsensorPainter::colorX(); }
    static QColor colorY() { return GsensorPainter::colorY(); }
    static QColor colorZ() { return GsensorPainter::colorZ(); }

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void convertPoints();
    void updateMargin();
    void placeCursor();
    void renderCurves();

    QWidget *m_asignView = nullptr;
    Track m_track;
    QVector<float> m_pointsX, m_pointsY, m_pointsZ;
    double m_marginX = 0.0;
    qint64 m_cursorIndex = 0;
    QPixmap m_curves;
    bool m_curvesValid = false;
    TimelineMarks m_marks;
};
