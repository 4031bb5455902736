#pragma once
// A mark on a timeline (the progress slider, the G-sensor waveform): where it sits as a
// fraction 0..1 of the whole, its colour and the tooltip that names it.
#include <QColor>
#include <cmath>
#include <optional>
#include <QString>
#include <QVector>

struct TimelineMark {
    double fraction = 0;
    QColor colour;
    QString toolTip;
};

using TimelineMarks = QVector<TimelineMark>;

// The mark nearest x (within `radius` pixels) on a timeline from `left` to `left + span`;
// -1 when none is that close.
inline int timelineMarkAt(const TimelineMarks &marks, double x, double left, double span, double radius = 4.0)
{
    int best = -1;
    double bestDistance = radius;
    for (int i = 0; i < marks.size(); ++i) {
        const double d = std::abs(left + marks[i].fraction * span - x);
        if (d <= bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// A stretch marked on a timeline (the clip's In and Out): fractions 0..1 of the whole; a side
// that lies outside the timeline (or is not set) is absent.
struct MarkedStretch {
    std::optional<double> from;
    std::optional<double> to;
    bool isEmpty() const { return !from && !to; }
    bool operator==(const MarkedStretch &) const = default;
};
