#pragma once
// The stretch of a timeline on show: all of it, or a zoomed part that the wheel narrows
// around the pointer and a drag moves. Seconds against pixels, no Qt.
#include <algorithm>

class TimelineRange {
public:
    // The shortest stretch a zoom reaches (the whole when that is shorter).
    static constexpr double kMinSpan = 10.0;

    // A new length keeps the zoom where it still fits; a length of 0 or less shows nothing.
    void setTotal(double seconds);
    double total() const { return m_total; }
    double start() const { return m_start; }
    double span() const { return m_span; }
    double end() const { return m_start + m_span; }
    bool zoomed() const { return m_span < m_total; }

    void showAll();
    // factor < 1 narrows, > 1 widens; the second `anchor` stays where it is on screen
    // unless an end of the whole stops the stretch.
    void zoomAround(double anchor, double factor);
    // Positive moves later; stops at either end.
    void panBy(double seconds);

    // Pixels from the left of a timeline `width` pixels wide, and back.
    double secondsAt(double x, double width) const;
    double xOf(double seconds, double width) const;

private:
    void clampStart();
    double m_total = 0;
    double m_start = 0;
    double m_span = 0;
};
