#include "evidence/evidencefacts.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "track/numbertext.h"

namespace {

bool placed(const GPSItem &s)
{
    const double lat = leadingDouble(s.latitude), lon = leadingDouble(s.longitude);
    return std::isfinite(lat) && std::isfinite(lon) && std::abs(lat) <= 90 && std::abs(lon) <= 180 &&
           !(lat == 0 && lon == 0);
}

// Strength of a reading in g with gravity taken off z: the whole jolt, as the impact test reads it.
double jolt(const GPSItem &s, const GScale &scale)
{
    if (!std::isfinite(s.gsensorX) || !std::isfinite(s.gsensorY) || !std::isfinite(s.gsensorZ) || scale.perG <= 0)
        return -1;
    const double x = s.gsensorX / scale.perG, y = s.gsensorY / scale.perG, z = s.gsensorZ / scale.perG - scale.restZ;
    return std::sqrt(x * x + y * y + z * z);
}

QString timeText(const std::string &t) { return QString::fromUtf8(t.data(), qsizetype(t.size())); }

} // namespace

void evidenceSampleRange(const Track &track, double from, double to, std::size_t *first, std::size_t *end)
{
    const std::size_t n = trackSize(track);
    const double lo = std::isfinite(from) ? std::max(0.0, from) : 0.0;
    *first = std::min<std::size_t>(n, std::size_t(std::floor(std::min(lo, double(n)))));
    if (std::isnan(to) || to >= double(n)) {
        *end = n;
    } else {
        const double hi = std::max(0.0, std::ceil(to));
        *end = std::max(*first, std::min<std::size_t>(n, std::size_t(hi)));
    }
    // A range shorter than a second still shows the second it lies in.
    if (*end == *first && *first < n && to > from)
        *end = *first + 1;
}

EvidenceFacts evidenceFacts(const EvidenceInput &input)
{
    EvidenceFacts f;
    double sum = 0;
    for (const EvidenceRecording &r : input.recordings) {
        EvidenceFacts::Part part;
        part.path = r.path;
        part.name = QFileInfo(r.path).fileName();
        part.from = std::max(0.0, r.from);
        part.to = r.to;
        evidenceSampleRange(r.track, r.from, r.to, &part.first, &part.end);
        const std::size_t p = f.parts.size();
        if (trackSize(r.track) > 0) {
            const std::vector<GPSItem> &all = *r.track;
            part.recordingStart = timeText(all.front().time);
            part.recordingEnd = timeText(all.back().time);
            if (part.end > part.first) {
                part.rangeStart = timeText(all[part.first].time);
                part.rangeEnd = timeText(all[part.end - 1].time);
            }
            part.range = std::make_shared<const std::vector<GPSItem>>(all.begin() + std::ptrdiff_t(part.first),
                                                                      all.begin() + std::ptrdiff_t(part.end));
            const GScale scale = detectGScale(all);
            for (std::size_t i = part.first; i < part.end; ++i) {
                const GPSItem &s = all[i];
                double v = leadingDouble(s.speed);
                if (!std::isfinite(v))
                    v = 0;
                sum += v;
                ++f.samples;
                if (!f.top || v > f.topKmh) {
                    f.topKmh = v;
                    f.top = EvidenceFacts::Sample{p, i, s};
                }
                if (!f.start && placed(s))
                    f.start = EvidenceFacts::Sample{p, i, s};
                const double g = jolt(s, scale);
                if (g >= 0 && (!f.peak || g > f.peakG)) {
                    f.peakG = g;
                    f.peak = EvidenceFacts::Sample{p, i, s};
                }
            }
            for (const HarshEvent &e : detectHarshEvents(r.track, input.sensitivity)) {
                if (e.index >= part.first && e.index < part.end)
                    f.events.push_back({p, e});
            }
        }
        f.parts.push_back(std::move(part));
    }
    f.averageKmh = f.samples ? sum / double(f.samples) : 0;
    return f;
}
