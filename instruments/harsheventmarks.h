#pragma once
// Harsh events as marks for the timelines of the player: the progress slider and the
// G-sensor waveform. The tooltip names the event, its time and its peak in g.
#include <QString>
#include <vector>

#include "track/harshevents.h"
#include "widgets/timelinemark.h"

namespace HarshEventMarks {

// "Hard braking", "Hard acceleration", "Sharp turn", "Impact" in the chosen language.
QString kindName(HarshKind kind);
QColor kindColour(HarshKind kind);
// "Hard braking · 2026/05/14 09:00:08 · 0.62 g" (numbers independent of the locale).
QString describe(const HarshEvent &event);
// Each event at index / span: span = samples - 1 for the waveform (the last sample on
// the right edge), the recording's length in seconds for the progress slider.
TimelineMarks marks(const std::vector<HarshEvent> &events, double span);

} // namespace HarshEventMarks
