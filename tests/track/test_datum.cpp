#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "track/datum.h"
#include "track/numbertext.h"

namespace {

struct Place {
    const char *name;
    double latitude;
    double longitude;
};

std::string row(int i)
{
    return sixDecimals(china_Gps[i].latitude) + " " + sixDecimals(china_Gps[i].longitude);
}

} // namespace

TEST(ChinaBorder, FixedRowsSitAtTheirIndices)
{
    EXPECT_EQ(row(0), "27.320829 88.916931");
    EXPECT_EQ(row(1), "27.542431 88.764641");
    EXPECT_EQ(row(2), "28.008051 88.835747");
    EXPECT_EQ(row(63), "39.235691 73.620049");
    EXPECT_EQ(row(181), "53.543610 123.614700");
    EXPECT_EQ(row(213), "47.700272 134.760803");
    EXPECT_EQ(row(258), "3.775854 111.938904");
    EXPECT_EQ(row(342), "28.057770 89.487488");
    EXPECT_EQ(row(343), "27.320829 88.916931");
}

TEST(ChinaBorder, ExtremesAreTheNamedRows)
{
    auto byLat = [](const BorderVertex &a, const BorderVertex &b) { return a.latitude < b.latitude; };
    auto byLon = [](const BorderVertex &a, const BorderVertex &b) { return a.longitude < b.longitude; };
    EXPECT_EQ(std::min_element(china_Gps.begin(), china_Gps.end(), byLat) - china_Gps.begin(), 258);
    EXPECT_EQ(std::max_element(china_Gps.begin(), china_Gps.end(), byLat) - china_Gps.begin(), 181);
    EXPECT_EQ(std::min_element(china_Gps.begin(), china_Gps.end(), byLon) - china_Gps.begin(), 63);
    EXPECT_EQ(std::max_element(china_Gps.begin(), china_Gps.end(), byLon) - china_Gps.begin(), 213);
    // Every vertex lies inside the outer bounds, so the bounds never cut the ring.
    for (const BorderVertex &v : china_Gps) {
        EXPECT_GE(v.latitude, 3.0f);
        EXPECT_LE(v.latitude, 55.8271f);
        EXPECT_GE(v.longitude, 72.004f);
        EXPECT_LE(v.longitude, 137.8347f);
    }
}

TEST(IsInsideChina, PlacesInsideTheRegion)
{
    const Place places[] = {
        {"Beijing", 39.9042, 116.4074},   {"Shanghai", 31.2304, 121.4737}, {"Guangzhou", 23.1291, 113.2644},
        {"Chengdu", 30.5728, 104.0668},   {"Urumqi", 43.8256, 87.6168},    {"Lhasa", 29.6520, 91.1721},
        {"Harbin", 45.8038, 126.5350},    {"Kunming", 25.0389, 102.7183},  {"Nanning", 22.8170, 108.3665},
        {"Hohhot", 40.8414, 111.7519},    {"Xining", 36.6171, 101.7782},   {"Shenyang", 41.8057, 123.4315},
        {"Changchun", 43.8171, 125.3235}, {"Haikou", 20.0440, 110.1999},   {"Sanya", 18.2528, 109.5120},
        {"Hong Kong", 22.3193, 114.1694}, {"Macau", 22.1987, 113.5439},    {"Fuzhou", 26.0745, 119.2965},
        {"Kashgar", 39.4704, 75.9898},    {"Yinchuan", 38.4872, 106.2309}, {"Lanzhou", 36.0611, 103.8343},
        {"Wuhan", 30.5928, 114.3055},     {"Xiamen", 24.4798, 118.0894},   {"Hailar", 49.2116, 119.7655},
        {"Paracel Islands", 16.8333, 112.3333},
    };
    for (const Place &p : places)
        EXPECT_TRUE(isInsideChina(float(p.latitude), float(p.longitude))) << p.name;
}

TEST(IsInsideChina, PlacesOutsideTheRegion)
{
    const Place places[] = {
        {"Hanoi", 21.0278, 105.8342},          {"Seoul", 37.5665, 126.9780},       {"Ulaanbaatar", 47.8864, 106.9057},
        {"Almaty", 43.2220, 76.8512},          {"Kathmandu", 27.7172, 85.3240},    {"Tokyo", 35.6762, 139.6503},
        {"Manila", 14.5995, 120.9842},         {"Pyongyang", 39.0392, 125.7625},   {"Vladivostok", 43.1198, 131.8869},
        {"Thimphu", 27.4728, 89.6390},         {"Dhaka", 23.8103, 90.4125},        {"Vientiane", 17.9757, 102.6331},
        {"Bangkok", 13.7563, 100.5018},        {"Yangon", 16.8409, 96.1735},       {"Bishkek", 42.8746, 74.5698},
        {"Islamabad", 33.6844, 73.0479},       {"New Delhi", 28.6139, 77.2090},    {"Busan", 35.1796, 129.0756},
        {"Naha", 26.2124, 127.6809},           {"Da Nang", 16.0544, 108.2022},     {"Ho Chi Minh City", 10.8231, 106.6297},
        {"Kota Kinabalu", 5.9804, 116.0735},   {"Bandar Seri Begawan", 4.9031, 114.9398},
        {"Khabarovsk", 48.4827, 135.0838},     {"Irkutsk", 52.2870, 104.3050},     {"Novosibirsk", 55.0084, 82.9357},
        {"Taichung", 24.1477, 120.6736},       {"Munich", 48.25, 11.5},            {"Sydney", -33.8688, 151.2093},
    };
    for (const Place &p : places)
        EXPECT_FALSE(isInsideChina(float(p.latitude), float(p.longitude))) << p.name;
}

TEST(IsInsideChina, OuterBoundsRejectBeforeTheRing)
{
    EXPECT_FALSE(isInsideChina(2.9f, 110.0f));
    EXPECT_FALSE(isInsideChina(56.0f, 120.0f));
    EXPECT_FALSE(isInsideChina(40.0f, 72.0f));
    EXPECT_FALSE(isInsideChina(40.0f, 138.0f));
}

TEST(IsInsideChina, ExcludedBoxComparesWidenedInputs)
{
    EXPECT_FALSE(isInsideChina(24.0f, 120.5f));
    // 22.9f is just below 22.9, so this southern Taiwan position is left to the ring, which holds it.
    EXPECT_TRUE(isInsideChina(22.9f, 120.5f));
    EXPECT_FALSE(isInsideChina(22.9001f, 120.5f));
    // 121.3f is just above 121.3: outside the box, inside the ring.
    EXPECT_TRUE(isInsideChina(24.0f, 121.3f));
    EXPECT_FALSE(isInsideChina(24.0f, 121.29f));
    // 25.4f is just below 25.4 and stays in the box.
    EXPECT_FALSE(isInsideChina(25.4f, 121.0f));
}

TEST(Gcj02, ConvertsTiananmenToSixDecimals)
{
    const Coordinate gcj = wgs84ToGcj02({39.908692, 116.397477});
    EXPECT_EQ(sixDecimals(gcj.latitude), "39.910095");
    EXPECT_EQ(sixDecimals(gcj.longitude), "116.403721");
    // Full precision: a slightly different ellipsoid moves the shift by far less than 1e-6 degrees.
    EXPECT_DOUBLE_EQ(gcj.latitude, 39.910095493939806);
    EXPECT_DOUBLE_EQ(gcj.longitude, 116.40372056710368);
    const Coordinate same = gcj02Encrypt(39.908692, 116.397477);
    EXPECT_EQ(same.latitude, gcj.latitude);
    EXPECT_EQ(same.longitude, gcj.longitude);
}

TEST(Gcj02, PolynomialsAtTheOrigin)
{
    // At x = y = 0 every sine vanishes: only the constants remain.
    EXPECT_DOUBLE_EQ(transformLat(0, 0), -100.0);
    EXPECT_DOUBLE_EQ(transformLon(0, 0), 300.0);
    // The square root term takes |x|, so it is symmetric in the sign of x.
    EXPECT_NEAR(transformLat(-4, 0) - transformLat(4, 0), -16.0, 1e-9);
}

namespace {
// The region test written out plainly, edge by edge over the whole ring.
bool plainInsideChina(float lat, float lon)
{
    if (double(lon) >= 120.1 && double(lon) <= 121.3 && double(lat) >= 22.9 && double(lat) <= 25.4)
        return false;
    if (double(lon) > 137.8347 || lat < 3.0f || double(lat) > 55.8271 || double(lon) < 72.004)
        return false;
    bool inside = false;
    for (int i = 0; i < kChinaBorderRows - 1; ++i) {
        const BorderVertex a = china_Gps[i], b = china_Gps[i + 1];
        if (a.longitude > lon && lat > std::min(a.latitude, b.latitude) && lat < std::max(a.latitude, b.latitude))
            inside = !inside;
    }
    return inside;
}
} // namespace

TEST(IsInsideChina, AgreesWithTheWholeRingEverywhere)
{
    int disagreements = 0, inside = 0;
    for (float lat = 2.5f; lat < 56.5f; lat += 0.173f) {
        for (float lon = 71.5f; lon < 138.5f; lon += 0.191f) {
            inside += isInsideChina(lat, lon);
            disagreements += isInsideChina(lat, lon) != plainInsideChina(lat, lon);
        }
    }
    // Latitudes on a vertex and on whole degrees sit on the edges of the bands.
    for (const BorderVertex &v : china_Gps) {
        for (float lat : {v.latitude, std::floor(v.latitude), std::nextafter(v.latitude, 90.0f)})
            for (float lon : {v.longitude - 0.01f, v.longitude, v.longitude + 0.01f})
                disagreements += isInsideChina(lat, lon) != plainInsideChina(lat, lon);
    }
    EXPECT_EQ(disagreements, 0);
    EXPECT_GT(inside, 10000);
}
