#include "track/datum.h"

#include <cmath>
#include <vector>

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kSemiMajorAxis = 6378245.0;
constexpr double kEccentricitySquared = 0.006693421622965943;
constexpr double kMeridianFactor = 6335552.717000426; // a * (1 - ee)
struct RingEdge {
    float longitude; // of the edge's first vertex
    float low;
    float high;
};

// The ring's edges filed by one-degree latitude band. An edge goes into every band its
// closed latitude span touches, so a band holds every edge whose open span can contain a
// latitude of that band: the crossing count over a band equals the one over the whole ring.
class EdgeBands {
public:
    EdgeBands()
    {
        for (int i = 0; i + 1 < kChinaBorderRows; ++i) {
            const BorderVertex &a = china_Gps[i];
            const BorderVertex &b = china_Gps[i + 1];
            const RingEdge e{a.longitude, std::fmin(a.latitude, b.latitude), std::fmax(a.latitude, b.latitude)};
            for (int band = bandOf(e.low); band <= bandOf(e.high); ++band)
                m_bands[band].push_back(e);
        }
    }
    const std::vector<RingEdge> &of(float latitude) const { return m_bands[bandOf(latitude)]; }

private:
    static constexpr int kFirst = 3;  // the outer bounds admit latitudes from 3 ...
    static constexpr int kCount = 54; // ... to below 57
    static int bandOf(float latitude)
    {
        const int band = int(std::floor(latitude)) - kFirst;
        return band < 0 ? 0 : (band >= kCount ? kCount - 1 : band);
    }
    std::array<std::vector<RingEdge>, kCount> m_bands;
};

const EdgeBands &edgeBands()
{
    static const EdgeBands bands;
    return bands;
}

} // namespace

bool isInsideChina(float latitude, float longitude)
{
    const double lat = latitude;
    const double lon = longitude;
    // Taiwan's main island keeps its WGS-84 positions.
    if (lon >= 120.1 && lon <= 121.3 && lat >= 22.9 && lat <= 25.4)
        return false;
    if (lon > 137.8347 || latitude < 3.0f || lat > 55.8271 || lon < 72.004)
        return false;

    // Ray to the east; an edge counts as east of the position when its first vertex is.
    // Only the edges whose latitude span reaches the position's one-degree band can flip
    // the answer, so the test walks those alone.
    bool inside = false;
    for (const RingEdge &e : edgeBands().of(latitude)) {
        if (e.longitude > longitude && latitude > e.low && latitude < e.high)
            inside = !inside;
    }
    return inside;
}

double transformLat(double x, double y)
{
    double r = -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * std::sqrt(std::fabs(x));
    r += (20.0 * std::sin(6.0 * x * kPi) + 20.0 * std::sin(2.0 * x * kPi)) * 2.0 / 3.0;
    r += (20.0 * std::sin(y * kPi) + 40.0 * std::sin(y / 3.0 * kPi)) * 2.0 / 3.0;
    r += (160.0 * std::sin(y / 12.0 * kPi) + 320.0 * std::sin(y * kPi / 30.0)) * 2.0 / 3.0;
    return r;
}

double transformLon(double x, double y)
{
    double r = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * std::sqrt(std::fabs(x));
    r += (20.0 * std::sin(6.0 * x * kPi) + 20.0 * std::sin(2.0 * x * kPi)) * 2.0 / 3.0;
    r += (20.0 * std::sin(x * kPi) + 40.0 * std::sin(x / 3.0 * kPi)) * 2.0 / 3.0;
    r += (150.0 * std::sin(x / 12.0 * kPi) + 300.0 * std::sin(x / 30.0 * kPi)) * 2.0 / 3.0;
    return r;
}

Coordinate gcj02Encrypt(double latitude, double longitude)
{
    const double x = longitude - 105.0;
    const double y = latitude - 35.0;
    double dLat = transformLat(x, y);
    double dLon = transformLon(x, y);
    const double radLat = latitude / 180.0 * kPi;
    const double s = std::sin(radLat);
    const double c = std::cos(radLat);
    const double magic = 1 - kEccentricitySquared * s * s;
    const double sqrtMagic = std::sqrt(magic);
    dLat = (dLat * 180.0) / ((kMeridianFactor / (magic * sqrtMagic)) * kPi);
    dLon = (dLon * 180.0) / ((kSemiMajorAxis / sqrtMagic) * c * kPi);
    return {latitude + dLat, longitude + dLon};
}

Coordinate wgs84ToGcj02(Coordinate wgs) { return gcj02Encrypt(wgs.latitude, wgs.longitude); }
