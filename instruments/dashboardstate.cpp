#include "instruments/dashboardstate.h"

#include <QGeoCoordinate>
#include <cmath>

#include "core/mlanguagemanager.h"
#include "instruments/compasspainter.h"
#include "track/numbertext.h"
#include "track/tripstatistics.h"

namespace {
std::string localized(const std::string &key)
{
    return MLanguageManager::DPLocalizedString(QString::fromStdString(key)).toStdString();
}

QString q(const std::string &s) { return QString::fromStdString(s); }

// The compass keeps one heading per sample: entry 0 repeats the first step's heading.
std::optional<float> compassEntry(const std::vector<GPSItem> &items, std::size_t i)
{
    if (items.size() < 2 || i >= items.size())
        return std::nullopt;
    const std::size_t k = i == 0 ? 1 : i;
    return getAngle(leadingFloat(items[k - 1].latitude), leadingFloat(items[k - 1].longitude),
                    leadingFloat(items[k].latitude), leadingFloat(items[k].longitude));
}
} // namespace

double dashboardDistance(double lat1, double lon1, double lat2, double lon2)
{
    const QGeoCoordinate a(lat1, lon1), b(lat2, lon2);
    if (!a.isValid() || !b.isValid())
        return 0.0;
    return a.distanceTo(b);
}

DashboardState dashboardStateAt(const Track &track, double seconds, const QString &speedUnit)
{
    DashboardState s;
    s.track = track;
    s.seconds = seconds;
    s.speedUnit = speedUnit;
    const std::size_t n = trackSize(track);
    const bool finite = std::isfinite(seconds);

    // The compass acts from 0 on and keeps its last heading past the end.
    if (finite && seconds >= 0 && n >= 2)
        s.compassAngle = compassEntry(*track, std::min(n - 1, std::size_t(std::fmin(seconds, double(n - 1)))));

    // The controller's running total, step by step in shown order: the same additions
    // in the same order give the same bits as the live read-out.
    double total = 0;
    std::optional<std::size_t> index;
    if (finite && seconds > 0 && n > 0) {
        index = std::size_t(std::fmin(seconds, double(n - 1)));
        const auto &items = *track;
        for (std::size_t k = 1; k <= *index; ++k) {
            const double d = dashboardDistance(
                double(TripStatistics::readFloat(items[k - 1].latitude)), double(TripStatistics::readFloat(items[k - 1].longitude)),
                double(TripStatistics::readFloat(items[k].latitude)), double(TripStatistics::readFloat(items[k].longitude)));
            if (std::isfinite(d))
                total += d;
        }
    }

    // The texts come from the controller's own formatter: shown sample before, then the
    // sample, whose one step is the whole total (0 + total adds nothing to its bits).
    TripStatistics stats([total](double, double, double, double) { return total; }, localized);
    const std::string unit = speedUnit.toStdString();
    stats.clearGpsInfo(unit);
    stats.handleGpsInfoWithArray(track);
    if (index) {
        s.index = index;
        s.sample = (*track)[*index];
        stats.setCurrentPlayerTime(-1.0, unit); // forget second 0, as a later recording does
        if (*index > 0)
            stats.setCurrentPlayerTime(double(*index - 1) + 0.5, unit);
        stats.setCurrentPlayerTime(double(*index) + 0.5, unit);
    }
    const TripStatistics::Labels &l = stats.labels();
    s.readouts = {q(l.speed), q(l.lat), q(l.lon), q(l.topSpeed), q(l.aveSpeed), q(l.distance)};
    return s;
}
