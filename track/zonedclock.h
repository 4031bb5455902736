#pragma once
// How the times of a track are shown and exported. A track's sample times are the
// telemetry's UTC; the user picks in which zone to see them: the zone the camera's clock
// was found to run in, a named zone (summer time follows the date), or as recorded, the
// digits the telemetry carries with no zone at all. Every time the player shows and every
// export asks one of these, so that a time always names its zone ("14:05:12 CEST").
// No Qt here: the zone database is asked through a ZoneLookup (QTimeZone in the player,
// the C library in trava-gps).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// What the user chose for a card: stored as "recorded", "auto" or the zone's name
// ("Europe/Berlin").
struct ZoneChoice {
    enum class Mode { Recorded, Automatic, Named };
    Mode mode = Mode::Recorded;
    std::string zone; // Named only

    std::string text() const;
    static ZoneChoice fromText(const std::string &text);
    bool operator==(const ZoneChoice &) const = default;
};

// A zone's offset from UTC at one instant and its abbreviation then ("CEST"); the
// abbreviation may be empty when the database has none.
struct ZoneOffset {
    int seconds = 0;
    std::string abbreviation;
};
using ZoneLookup = std::function<std::optional<ZoneOffset>(std::int64_t utcSeconds)>;

class ZonedClock {
public:
    // Times as recorded: the telemetry's digits, no zone named, nothing converted.
    ZonedClock() = default;
    // A fixed offset (the camera's zone as found), named "UTC+2".
    static ZonedClock fixed(int offsetSeconds);
    // A named zone of the database.
    static ZonedClock named(std::string zone, ZoneLookup lookup);

    bool converts() const { return m_mode != Mode::Recorded; }

    // A sample time "YYYY/MM/DD hh:mm:ss" (UTC) in this zone. Nothing for a text that is no
    // such time, or a zone the database cannot place at that instant.
    struct Shown {
        std::int64_t localSeconds = 0; // civil seconds (cameraclock.h) in the zone
        int offsetSeconds = 0;
        std::string zoneName;          // "CEST", "UTC+2"; empty as recorded
    };
    std::optional<Shown> at(const std::string &sampleTime) const;

    // "14:05:12 CEST"; as recorded "14:05:12". Empty for a text that is no time.
    std::string timeText(const std::string &sampleTime) const;
    // "2026/05/14 14:05:12 CEST"; as recorded the text itself.
    std::string dateTimeText(const std::string &sampleTime) const;
    // ISO 8601 for CSV, GeoJSON and KML: "2026-05-14T14:05:12+02:00"; as recorded
    // "2026-05-14T12:05:12" (no zone, as the exports always wrote it). Empty for no time.
    std::string isoText(const std::string &sampleTime) const;
    // "14:05–14:34 CEST": from one sample time to another in hours and minutes, the zone
    // named once, or at both ends when it changes between them ("01:50 CET–03:10 CEST");
    // as recorded "14:05–14:34". Empty when either is no time.
    std::string spanText(const std::string &fromSampleTime, const std::string &toSampleTime) const;
    // ISO 8601 for GPX, which wants UTC: "2026-05-14T12:05:12Z"; as recorded without the Z.
    std::string utcIsoText(const std::string &sampleTime) const;

private:
    enum class Mode { Recorded, Fixed, Named };
    Mode m_mode = Mode::Recorded;
    int m_offset = 0;
    std::string m_zone;
    ZoneLookup m_lookup;
};

// The clock a recording's times are shown in under a choice: the camera's zone as found
// (UTC when nothing was found), a named zone, or as recorded.
ZonedClock clockFor(const ZoneChoice &choice, std::optional<int> cameraOffsetSeconds, const ZoneLookup &namedLookup);

// Some cameras write their local time where the telemetry's UTC belongs; their name and
// telemetry then agree to the second. Whether to say so: the clocks agree and the chosen
// zone is not UTC at the recording's start (a named zone at offset 0 believes the camera).
bool warnLocalTimeAsUtc(bool clocksAgree, const ZoneChoice &choice, const ZonedClock &clock,
                        const std::string &firstSampleTime);
