#include "instruments/harsheventmarks.h"

#include <algorithm>

#include "core/mlanguagemanager.h"
#include "core/zoneclocks.h"

namespace {
QString localized(const char *key)
{
    return MLanguageManager::DPLocalizedString(QString::fromLatin1(key));
}
} // namespace

namespace HarshEventMarks {

QString kindName(HarshKind kind)
{
    switch (kind) {
    case HarshKind::Brake: return localized("Event.brake");
    case HarshKind::Accel: return localized("Event.accel");
    case HarshKind::Turn: return localized("Event.turn");
    case HarshKind::Impact: return localized("Event.impact");
    }
    return QString();
}

QColor kindColour(HarshKind kind)
{
    switch (kind) {
    case HarshKind::Brake: return QColor(255, 70, 50);
    case HarshKind::Accel: return QColor(60, 170, 255);
    case HarshKind::Turn: return QColor(255, 190, 0);
    case HarshKind::Impact: return QColor(235, 0, 200);
    }
    return Qt::white;
}

QString describe(const HarshEvent &event)
{
    // In the zone every other time of the window is shown in, named; as recorded the digits.
    QString when = ZoneClocks::shared()->dateTimeText(event.time);
    if (when.isEmpty())
        when = QString::fromStdString(event.time);
    // QString::number is locale-independent: 0.62, never 0,62.
    return kindName(event.kind) + QStringLiteral(" · ") + when + QStringLiteral(" · ") +
           QString::number(event.peakG, 'f', 2) + QStringLiteral(" g");
}

TimelineMarks marks(const std::vector<HarshEvent> &events, double span)
{
    TimelineMarks out;
    for (const HarshEvent &e : events) {
        const double f = span > 0 ? double(e.index) / span : 0.0;
        out.append(TimelineMark{std::clamp(f, 0.0, 1.0), kindColour(e.kind), describe(e)});
    }
    return out;
}

} // namespace HarshEventMarks
