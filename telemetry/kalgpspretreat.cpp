// Cleaning of a decoded track: re-indexing by time, validity, bearings, G-sensor list, gap filling.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "telemetry/kalgpsscan.h"

namespace {

bool sameDateTime(const RmcInfo& a, const RmcInfo& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

bool isFix(const RmcInfo& r)
{
    return std::fabs(r.latitude) > 1e-7 && std::fabs(r.longitude) > 1e-7;
}

// Phase 1: the G-sensor list; returns whether the sample list needs re-indexing.
bool copyGsensor(KalGpsState& st)
{
    RmcInfoNode* head = st.gpsInfoHeadEx.head;
    int32_t first = head->info.sampleIndex;
    bool shift = first > st.nGpsInfoCount;
    bool repeated = false;
    int32_t last = first;
    for (RmcInfoNode* n = head; n; n = n->next) {
        RmcInfo g{};
        g.hour = n->info.hour;
        g.minute = n->info.minute;
        g.second = n->info.second;
        g.year = n->info.year;
        g.month = n->info.month;
        g.day = n->info.day;
        g.gsensorX = n->info.gsensorX;
        g.gsensorY = n->info.gsensorY;
        g.gsensorZ = n->info.gsensorZ;
        g.sampleIndex = shift ? int32_t(uint32_t(n->info.sampleIndex) - uint32_t(first)) : n->info.sampleIndex;
        if (RmcInfoNode* node = kalGpsNewSampleNode(g))
            list_add_tail(node, st.gsensorInfoHeadEx);
        if (n->next && n->next->info.sampleIndex == n->info.sampleIndex)
            repeated = true;
        last = n->info.sampleIndex;
    }
    return repeated || shift || last == first;
}

// Phase 2: indices from the sample times.
void reindex(KalGpsState& st)
{
    int64_t pos = 0, n = 0;
    bool fixSeen = false;
    RmcInfoNode* prev = nullptr;
    RmcInfoNode* node = st.gpsInfoHeadEx.head;
    while (node) {
        RmcInfoNode* next = node->next;
        RmcInfo& r = node->info;
        if (!prev) {
            r.sampleIndex = 0;
            n = 0;
        }
        if (isFix(r)) {
            if (!fixSeen) {
                n = pos;
                fixSeen = true;
            } else {
                const RmcInfo& p = prev->info;
                if (sameDateTime(r, p)) {
                    list_del(node, prev, st.gpsInfoHeadEx);
                    std::free(node);
                    node = next;
                    continue;
                }
                int64_t d = int64_t(r.minute) * 60 + r.second - (int64_t(p.minute) * 60 + p.second);
                if (r.year == p.year && r.month == p.month && r.day == p.day && r.hour == p.hour && d >= 0 &&
                    d <= st.nGpsInfoCount)
                    n += d;
                else
                    n += 1;
            }
            r.sampleIndex = int32_t(n);
        } else if (std::fabs(std::trunc(double(r.latitude))) >= 1 && std::fabs(r.longitude) <= 1e-7) {
            n = r.sampleIndex;
        } else {
            n = fixSeen ? n + 1 : pos;
            r.sampleIndex = int32_t(n);
        }
        ++pos;
        prev = node;
        node = next;
    }
}

// Whole degrees within 1..90 and 1..180 (NaN and infinities fail too).
bool plausible(const RmcInfo& r)
{
    double lat = std::fabs(double(r.latitude)), lon = std::fabs(double(r.longitude));
    return lat >= 1 && lat < 91 && lon >= 1 && lon < 181;
}

// Phase 3: drops implausible and repeated samples, gives each sample the bearing to the next.
void validate(KalGpsState& st)
{
    st.nGpsInfoCount = 0;
    float lastBearing = 0;
    RmcInfoNode* prev = nullptr;
    RmcInfoNode* node = st.gpsInfoHeadEx.head;
    while (node) {
        RmcInfoNode* next = node->next;
        RmcInfo& r = node->info;
        bool drop = !plausible(r);
        if (!drop && prev) {
            const RmcInfo& p = prev->info;
            drop = r.year == p.year && r.month == p.month && r.hour == p.hour && r.second == p.second;
        }
        if (drop) {
            list_del(node, prev, st.gpsInfoHeadEx);
            std::free(node);
            node = next;
            continue;
        }
        if (prev && prev->info.aPresent == 0) {
            RmcInfo& p = prev->info;
            if (std::fabs(r.latitude - p.latitude) >= 1e-7 && std::fabs(r.longitude - p.longitude) >= 1e-7)
                lastBearing = kalGpsHeading(p.latitude, p.longitude, r.latitude, r.longitude);
            p.aValue = lastBearing;
        }
        ++st.nGpsInfoCount;
        prev = node;
        node = next;
    }
}

// Phase 4: G-sensor nodes numbered 0, 1, 2, ... with missing numbers filled by copies of the
// node after the gap.
void renumberGsensor(KalGpsState& st)
{
    st.nGsensorCount = 0;
    int64_t inserted = 0;
    uint32_t expected = 0;
    RmcInfoNode* prev = nullptr;
    RmcInfoNode* node = st.gsensorInfoHeadEx.head;
    while (node) {
        RmcInfoNode* next = node->next;
        RmcInfo& g = node->info;
        if (prev) {
            const RmcInfo& p = prev->info;
            bool allSet = g.day && g.month && g.year && g.hour && g.minute && g.second;
            if (allSet && sameDateTime(g, p)) {
                list_del(node, prev, st.gsensorInfoHeadEx);
                std::free(node);
                node = next;
                continue;
            }
        }
        if (!prev) {
            g.sampleIndex = 0;
            expected = 0;
        } else {
            ++expected;
            // An index far ahead (a hostile or broken track) is renumbered instead of being
            // reached with millions of copies.
            if (uint32_t(g.sampleIndex) > expected &&
                int64_t(uint32_t(g.sampleIndex) - expected) + inserted > kGpsFillBudget)
                g.sampleIndex = int32_t(expected);
            while (expected < uint32_t(g.sampleIndex)) {
                RmcInfo copy = g;
                copy.sampleIndex = int32_t(expected);
                RmcInfoNode* filler = kalGpsNewSampleNode(copy);
                if (!filler)
                    break;
                list_add(filler, prev, st.gsensorInfoHeadEx);
                prev = filler;
                ++st.nGsensorCount;
                ++inserted;
                ++expected;
            }
            if (expected > uint32_t(g.sampleIndex))
                g.sampleIndex = int32_t(expected);
        }
        ++st.nGsensorCount;
        prev = node;
        node = next;
    }
}

struct Gap {
    RmcInfoNode* before;
    float lat, lon, a;  // values of the sample after the gap
    int64_t missing;
};

// Phase 5: fills the first gaps of the index sequence by linear interpolation.
void fillGaps(KalGpsState& st)
{
    auto* gaps = static_cast<Gap*>(std::malloc(sizeof(Gap) * kGpsGapTableMax));
    if (!gaps)
        return;
    int count = 0;
    for (RmcInfoNode* r = st.gpsInfoHeadEx.head; r && r->next && count < kGpsGapTableMax; r = r->next) {
        const RmcInfo& s = r->next->info;
        int64_t g = int64_t(s.sampleIndex) - r->info.sampleIndex - 1;
        if (g != 0)
            gaps[count++] = Gap{r, s.latitude, s.longitude, s.aValue, g};
    }
    int64_t inserted = 0;
    for (int i = 0; i < count; ++i) {
        const Gap& gap = gaps[i];
        // Gaps that would blow the track up past any real recording stay open.
        if (gap.missing <= 0 || inserted + gap.missing > kGpsFillBudget)
            continue;
        const RmcInfo r = gap.before->info;
        RmcInfoNode* at = gap.before;
        float parts = float(gap.missing + 1);
        for (int64_t m = 0; m < gap.missing; ++m) {
            RmcInfo fill = r;
            float step = float(m + 1);
            fill.sampleIndex = int32_t(int64_t(r.sampleIndex) + m + 1);
            fill.latitude = r.latitude + (gap.lat - r.latitude) * step / parts;
            fill.longitude = r.longitude + (gap.lon - r.longitude) * step / parts;
            fill.aValue = r.aValue + (gap.a - r.aValue) * step / parts;
            RmcInfoNode* node = kalGpsNewSampleNode(fill);
            if (!node)
                break;
            list_add(node, at, st.gpsInfoHeadEx);
            at = node;
            ++st.nGpsInfoCount;
            ++inserted;
        }
    }
    std::free(gaps);
}

} // namespace

int32_t kalGpsPretreatInfo()
{
    KalGpsState& st = kalGpsState();
    if (st.nGpsInfoCount != 0 && !list_empty(st.gpsInfoHeadEx)) {
        if (copyGsensor(st))
            reindex(st);
    }
    validate(st);
    renumberGsensor(st);
    fillGaps(st);
    return 0;
}

float kalGpsHeading(float lat1, float lon1, float lat2, float lon2)
{
    const double pi = double(3.1415927f);
    double p1 = double(lat1) * pi / 180, p2 = double(lat2) * pi / 180;
    double dl = (double(lon2) - double(lon1)) * pi / 180;
    double y = std::sin(dl) * std::cos(p2);
    double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    double theta = std::atan2(y, x) * 180 / pi;
    double k = std::trunc(theta / 360);
    theta = theta < 0 ? theta + 360 * k + 360 : theta - 360 * k;
    return float(theta);
}
