#pragma once
// The timeline under the picture: the speed and G-sensor curves of the recording (or of
// its whole trip), its harsh events, kind stretches and clip marks, and a cursor at the
// picture's time. Hovering names the time, speed and G there; a click or a drag asks for
// a seek; the wheel zooms around the pointer, a drag moves a zoomed stretch, and Home, End
// or a double click show the whole again. It only asks (seekRequested, partRequested):
// the wiring hands the request to the player.
#include <QPixmap>
#include <QWidget>
#include <optional>
#include <vector>

#include "instruments/timelinemodel.h"
#include "instruments/timelinerange.h"

class TimelineView : public QWidget {
    Q_OBJECT
public:
    explicit TimelineView(QWidget *parent = nullptr);

    // The recordings on show: the one that plays alone, or the parts of its trip in
    // playing order with current the one that plays. Shows the whole.
    void setParts(const std::vector<Track> &parts, int current);
    void setTrack(const Track &track) { setParts({track}, 0); }
    // Harsh events of a part (by sample index).
    void setEvents(int part, const std::vector<HarshEvent> &events);
    // The picture's time in seconds of the recording that plays, and its length (0 when
    // not known yet): moves the cursor.
    void setTime(double seconds, double length = 0);
    void hideCursor();
    // The clip's in and out marks, seconds of the recording that plays; none hides them.
    void setClipMarks(std::optional<double> in, std::optional<double> out);
    // Stretches shaded by the kind of recording, e.g. {0, 60, "locked"} (part -1: the
    // recording that plays; otherwise a part of the trip).
    void setKindSpans(const TimelineSpans &spans);
    // Nothing on show.
    void clear();
    void showAll();

    const TimelineModel &model() const { return m_model; }
    const TimelineRange &range() const { return m_range; }
    std::optional<double> cursorSeconds() const { return m_cursor; }
    // Widget x of a time of a part (-1: the one that plays), and the plain text that
    // hovering at x shows (empty where there is nothing).
    double xOf(double seconds, int part = -1) const;
    QString hoverText(double x) const;
    QRectF plotRect() const;

    QSize sizeHint() const override { return QSize(400, 64); }
    QSize minimumSizeHint() const override { return QSize(120, 52); }

signals:
    // A click or drag at a time of the recording that plays.
    void seekRequested(double seconds);
    // A click on another recording of the trip, at seconds within it.
    void partRequested(int part, double seconds);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    void invalidate();
    void seekAt(double x);
    double globalAt(double x) const;
    std::optional<double> cursorX() const;
    QRect cursorRect(double x) const;

    TimelineModel m_model;
    TimelineRange m_range;
    std::optional<double> m_cursor; // seconds of the part that plays
    QPixmap m_layer;
    bool m_layerValid = false;
    enum class Drag { None, Pending, Seek, Pan } m_drag = Drag::None;
    QPoint m_pressPos;
    double m_pressStart = 0;
    bool m_pressOnCursor = false;
};
