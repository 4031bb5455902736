#pragma once
// The controller's telemetry read-outs: current speed, position, top and average speed
// and the distance travelled along the samples shown, as label texts. No Qt here; the
// caller supplies the geodesic distance and the localized words.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "track/gpsitem.h"
#include "track/samplelookup.h"

class TripStatistics {
public:
    // Metres along the Earth's surface between (lat1, lon1) and (lat2, lon2), degrees.
    using DistanceFunction = std::function<double(double lat1, double lon1, double lat2, double lon2)>;
    // The localized word for "Lat", "Lon", "TopSpeed", "AveSpeed" or "Distance".
    using Localizer = std::function<std::string(const std::string &key)>;

    struct Labels {
        std::string speed, lat, lon, topSpeed, aveSpeed, distance;
    };

    TripStatistics(DistanceFunction distance, Localizer localize);

    // A new track: top and average speed; forgets the last shown sample and the distance
    // but keeps the remembered second.
    void handleGpsInfoWithArray(const Track &track);
    // The same recording's track again, moved or swapped (a loaded track nudged, picked or
    // taken away): statistics anew, and the distance as covered along the new track up to
    // the second on display, so that the read-out goes on instead of starting from zero.
    void replaceTrack(const Track &track);
    // A playback tick; answers true when a sample was shown (labels changed).
    bool setCurrentPlayerTime(double seconds, const std::string &unit);
    // Every read-out to its no-data text; the statistics themselves are kept.
    void clearGpsInfo(const std::string &unit);
    // The unit box changed: only the speed read-out follows at once.
    void speedUnitChanged(const std::string &unit);
    // The localized words changed: every read-out is written again with what it shows.
    void refreshWords();

    const Labels &labels() const { return m_labels; }
    const Track &track() const { return m_track; }
    double topSpeed() const { return m_top; }
    double averageSpeed() const { return m_average; }
    double totalDistance() const { return totalDistanceMetres; }
    std::int64_t curTime() const { return m_lookup.currentSecond(); }
    const std::optional<GPSItem> &curItem() const { return m_curItem; }
    // A tick has shown a sample since the last clear.
    bool showsSample() const { return m_sampleShown; }

    static float kmhToMph(float kmh);
    // "42KMH": the whole number followed by the unit text.
    static std::string dealSpeedString(const std::string &unit, std::int32_t speed);
    // Reads a decimal text as the read-outs do: 32-bit float, 0 when it holds no number.
    static float readFloat(const std::string &text);

private:
    std::string word(const char *key) const;
    void writeDistance();
    // Speed, latitude and longitude of the sample shown.
    void writeSample(const GPSItem &p, const std::string &unit);
    static std::string format1(const std::string &word, double value, int decimals, const char *suffix);

    DistanceFunction m_distance;
    Localizer m_localize;
    Track m_track;
    SampleLookup m_lookup;
    std::optional<GPSItem> m_curItem;
    double totalDistanceMetres = 0;
    double m_top = 0;
    double m_average = 0;
    Labels m_labels;
    std::string m_unit = "KMH"; // the unit of the last sample shown
    bool m_statsShown = false;   // top/average written since the last clear
    bool m_sampleShown = false;  // a tick wrote position and distance since the last clear
};
