#include "track/zonedclock.h"

#include "track/cameraclock.h"
#include "track/trip.h"

std::string ZoneChoice::text() const
{
    switch (mode) {
    case Mode::Automatic: return "auto";
    case Mode::Named: return zone;
    case Mode::Recorded: break;
    }
    return "recorded";
}

ZoneChoice ZoneChoice::fromText(const std::string &text)
{
    if (text == "auto")
        return {Mode::Automatic, {}};
    if (text.empty() || text == "recorded")
        return {};
    return {Mode::Named, text};
}

ZonedClock ZonedClock::fixed(int offsetSeconds)
{
    ZonedClock c;
    c.m_mode = Mode::Fixed;
    c.m_offset = offsetSeconds;
    return c;
}

ZonedClock ZonedClock::named(std::string zone, ZoneLookup lookup)
{
    ZonedClock c;
    c.m_mode = Mode::Named;
    c.m_zone = std::move(zone);
    c.m_lookup = std::move(lookup);
    return c;
}

std::optional<ZonedClock::Shown> ZonedClock::at(const std::string &sampleTime) const
{
    const auto utc = sampleTimeSeconds(sampleTime);
    if (!utc)
        return std::nullopt;
    switch (m_mode) {
    case Mode::Recorded:
        return Shown{*utc, 0, {}};
    case Mode::Fixed:
        return Shown{*utc + m_offset, m_offset, offsetName(m_offset)};
    case Mode::Named:
        break;
    }
    const auto zone = m_lookup ? m_lookup(*utc) : std::nullopt;
    if (!zone)
        return std::nullopt;
    // A zone without an abbreviation (many outside Europe and America) is named by its offset.
    return Shown{*utc + zone->seconds, zone->seconds,
                 zone->abbreviation.empty() ? offsetName(zone->seconds) : zone->abbreviation};
}

std::string ZonedClock::timeText(const std::string &sampleTime) const
{
    const auto s = at(sampleTime);
    if (!s)
        return {};
    std::string text = sampleTimeText(s->localSeconds).substr(11);
    if (!s->zoneName.empty())
        text += ' ' + s->zoneName;
    return text;
}

std::string ZonedClock::dateTimeText(const std::string &sampleTime) const
{
    if (m_mode == Mode::Recorded)
        return sampleTime;
    const auto s = at(sampleTime);
    if (!s)
        return {};
    return sampleTimeText(s->localSeconds) + ' ' + s->zoneName;
}

namespace {
constexpr char kEnDash[] = "\xE2\x80\x93"; // UTF-8, as every text of the player
} // namespace

std::string ZonedClock::spanText(const std::string &fromSampleTime, const std::string &toSampleTime) const
{
    const auto from = at(fromSampleTime), to = at(toSampleTime);
    if (!from || !to)
        return {};
    const auto named = [](const std::string &hhmm, const std::string &zone) {
        return zone.empty() ? hhmm : hhmm + ' ' + zone;
    };
    const std::string a = sampleTimeText(from->localSeconds).substr(11, 5);
    const std::string b = sampleTimeText(to->localSeconds).substr(11, 5);
    if (from->zoneName == to->zoneName)
        return a + kEnDash + named(b, to->zoneName);
    return named(a, from->zoneName) + kEnDash + named(b, to->zoneName);
}

namespace {
std::string isoDigits(std::int64_t civil)
{
    std::string t = sampleTimeText(civil);
    t[4] = t[7] = '-';
    t[10] = 'T';
    return t;
}
} // namespace

std::string ZonedClock::isoText(const std::string &sampleTime) const
{
    const auto s = at(sampleTime);
    if (!s)
        return {};
    if (m_mode == Mode::Recorded)
        return isoDigits(s->localSeconds);
    return isoDigits(s->localSeconds) + isoOffset(s->offsetSeconds);
}

std::string ZonedClock::utcIsoText(const std::string &sampleTime) const
{
    const auto utc = sampleTimeSeconds(sampleTime);
    if (!utc)
        return {};
    return m_mode == Mode::Recorded ? isoDigits(*utc) : isoDigits(*utc) + 'Z';
}

ZonedClock clockFor(const ZoneChoice &choice, std::optional<int> cameraOffsetSeconds, const ZoneLookup &namedLookup)
{
    switch (choice.mode) {
    case ZoneChoice::Mode::Automatic: return ZonedClock::fixed(cameraOffsetSeconds.value_or(0));
    case ZoneChoice::Mode::Named: return ZonedClock::named(choice.zone, namedLookup);
    case ZoneChoice::Mode::Recorded: break;
    }
    return {};
}

bool warnLocalTimeAsUtc(bool clocksAgree, const ZoneChoice &choice, const ZonedClock &clock,
                        const std::string &firstSampleTime)
{
    if (!clocksAgree)
        return false;
    if (choice.mode != ZoneChoice::Mode::Named)
        return true;
    const auto shown = clock.at(firstSampleTime);
    return !shown || shown->offsetSeconds != 0;
}
