#include "track/harshevents.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kStandardGravity = 9.80665;
// An impact hides the lesser events this many samples either side of it.
constexpr std::size_t kImpactShadow = 2;

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto mid = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    double m = *mid;
    if (values.size() % 2 == 0)
        m = (m + *std::max_element(values.begin(), mid)) / 2;
    return m;
}

struct Reading {
    bool valid = false;
    double x = 0, y = 0, z = 0; // in g, gravity still on z
};

// Strength of a sample for each kind, in g; 0 where the sample does not point that way.
double strength(const Reading &r, HarshKind kind, double restZ)
{
    switch (kind) {
    case HarshKind::Brake: return std::max(0.0, -r.x);
    case HarshKind::Accel: return std::max(0.0, r.x);
    case HarshKind::Turn: return std::abs(r.y);
    case HarshKind::Impact: {
        const double dz = r.z - restZ;
        return std::sqrt(r.x * r.x + r.y * r.y + dz * dz);
    }
    }
    return 0;
}

double threshold(const HarshThresholds &t, HarshKind kind)
{
    switch (kind) {
    case HarshKind::Brake: return t.brake;
    case HarshKind::Accel: return t.accel;
    case HarshKind::Turn: return t.turn;
    case HarshKind::Impact: return t.impact;
    }
    return t.impact;
}

} // namespace

GScale detectGScale(const std::vector<GPSItem> &samples)
{
    std::vector<double> absZ;
    std::vector<double> z;
    absZ.reserve(samples.size());
    z.reserve(samples.size());
    for (const GPSItem &s : samples) {
        if (std::isfinite(s.gsensorZ)) {
            absZ.push_back(std::abs(s.gsensorZ));
            z.push_back(s.gsensorZ);
        }
    }
    GScale scale;
    const double m = median(absZ);
    if (m >= 30) {
        scale.unit = GScale::Unit::Counts;
        scale.perG = m;
    } else if (m >= 3) {
        scale.unit = GScale::Unit::MetresPerSecondSquared;
        scale.perG = kStandardGravity;
    }
    scale.restZ = median(std::move(z)) / scale.perG;
    return scale;
}

HarshThresholds harshThresholds(HarshSensitivity sensitivity)
{
    switch (sensitivity) {
    case HarshSensitivity::Low: return {0.55, 0.45, 0.55, 2.0};
    case HarshSensitivity::High: return {0.30, 0.25, 0.30, 1.0};
    case HarshSensitivity::Normal: break;
    }
    return {0.40, 0.35, 0.40, 1.5};
}

std::vector<HarshEvent> detectHarshEvents(const Track &track, HarshSensitivity sensitivity)
{
    std::vector<HarshEvent> events;
    if (!track || track->empty())
        return events;
    const std::vector<GPSItem> &samples = *track;
    const GScale scale = detectGScale(samples);
    const HarshThresholds limits = harshThresholds(sensitivity);

    std::vector<Reading> readings(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const GPSItem &s = samples[i];
        Reading &r = readings[i];
        r.valid = std::isfinite(s.gsensorX) && std::isfinite(s.gsensorY) && std::isfinite(s.gsensorZ);
        if (r.valid) {
            r.x = s.gsensorX / scale.perG;
            r.y = s.gsensorY / scale.perG;
            r.z = s.gsensorZ / scale.perG;
        }
    }

    std::vector<HarshEvent> impacts;
    std::vector<HarshEvent> others;
    for (HarshKind kind : {HarshKind::Impact, HarshKind::Brake, HarshKind::Accel, HarshKind::Turn}) {
        const double limit = threshold(limits, kind);
        bool inRun = false;
        HarshEvent best;
        auto close = [&] {
            if (inRun)
                (kind == HarshKind::Impact ? impacts : others).push_back(best);
            inRun = false;
        };
        for (std::size_t i = 0; i < readings.size(); ++i) {
            const double v = readings[i].valid ? strength(readings[i], kind, scale.restZ) : 0.0;
            if (!(v >= limit)) {
                close();
                continue;
            }
            if (!inRun || v > best.peakG) {
                best.index = i;
                best.kind = kind;
                best.peakG = v;
                best.time = samples[i].time;
            }
            inRun = true;
        }
        close();
    }

    events = impacts;
    for (const HarshEvent &e : others) {
        const bool shadowed = std::any_of(impacts.begin(), impacts.end(), [&](const HarshEvent &imp) {
            const std::size_t gap = e.index > imp.index ? e.index - imp.index : imp.index - e.index;
            return gap <= kImpactShadow;
        });
        if (!shadowed)
            events.push_back(e);
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const HarshEvent &a, const HarshEvent &b) { return a.index < b.index; });
    return events;
}

const char *harshKindName(HarshKind kind)
{
    switch (kind) {
    case HarshKind::Brake: return "brake";
    case HarshKind::Accel: return "accel";
    case HarshKind::Turn: return "turn";
    case HarshKind::Impact: return "impact";
    }
    return "impact";
}

const char *harshSensitivityName(HarshSensitivity sensitivity)
{
    switch (sensitivity) {
    case HarshSensitivity::Low: return "low";
    case HarshSensitivity::High: return "high";
    case HarshSensitivity::Normal: break;
    }
    return "normal";
}

HarshSensitivity harshSensitivityFromName(const std::string &name)
{
    if (name == "low")
        return HarshSensitivity::Low;
    if (name == "high")
        return HarshSensitivity::High;
    return HarshSensitivity::Normal;
}

long nextHarshEvent(const std::vector<HarshEvent> &events, std::size_t from)
{
    for (const HarshEvent &e : events) {
        if (e.index > from)
            return long(e.index);
    }
    return -1;
}

long previousHarshEvent(const std::vector<HarshEvent> &events, std::size_t from)
{
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
        if (it->index < from)
            return long(it->index);
    }
    return -1;
}
