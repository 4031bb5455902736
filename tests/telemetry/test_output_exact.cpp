// The line writer builds lines without printf for speed; users compare our lines with the
// camera makers' tools, which print with printf. These tests hold the two to the same bytes.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "telemetry/kalgpsoutput.h"
#include "test_scanfixtures.h"

namespace {

std::string withPrintf(const RmcInfo& r, KalLineFormat f)
{
    char line[kGpsLineMax];
    // Letters that are not printable ASCII are written as a missing one.
    const auto shown = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > ' ' && u < 0x7F ? int(u) : int('-');
    };
    const int lat = shown(r.latHemisphere);
    const int lon = shown(r.lonHemisphere);
    switch (f) {
    case KalLineFormat::Sample:
        std::snprintf(line, sizeof line,
                      "%u %04d/%02d/%02d %02d:%02d:%02d %c:%.06f %c:%.06f %.01f km/h x:%.02f y:%.02f z:%.02f;",
                      static_cast<unsigned>(r.sampleIndex), r.year, r.month, r.day, r.hour, r.minute, r.second,
                      lat, r.latitude, lon, r.longitude, r.speed, r.gsensorX, r.gsensorY, r.gsensorZ);
        break;
    case KalLineFormat::Extended:
        std::snprintf(line, sizeof line,
                      "%d %04d/%02d/%02d %02d:%02d:%02d %c:%.06f %c:%.06f %.01f km/h x:%.02f y:%.02f z:%.02f "
                      "A:%.01f H:%.01f V:%d;",
                      r.sampleIndex, r.year, r.month, r.day, r.hour, r.minute, r.second, lat, r.latitude, lon,
                      r.longitude, r.speed, r.gsensorX, r.gsensorY, r.gsensorZ, r.aValue, r.hValue, r.aPresent);
        break;
    case KalLineFormat::Gsensor:
        std::snprintf(line, sizeof line, "%u %04d/%02d/%02d %02d:%02d:%02d x:%.02f y:%.02f z:%.02f;",
                      static_cast<unsigned>(r.sampleIndex), r.year, r.month, r.day, r.hour, r.minute, r.second,
                      r.gsensorX, r.gsensorY, r.gsensorZ);
        break;
    }
    return line;
}

void expectSameEverywhere(const RmcInfo& r)
{
    for (KalLineFormat f : {KalLineFormat::Sample, KalLineFormat::Extended, KalLineFormat::Gsensor})
        ASSERT_EQ(fx::formatted(r, f), withPrintf(r, f)) << "format " << static_cast<int>(f);
}

} // namespace

TEST(LineFormatExactness, RandomRecordsMatchPrintf)
{
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<float> lat(-90, 90), lon(-180, 180), speed(0, 300), g(-20, 20), deg(0, 360);
    std::uniform_int_distribution<int> any(INT_MIN, INT_MAX), small(-99, 9999), byte(0, 255);
    for (int i = 0; i < 20000; ++i) {
        RmcInfo r{};
        r.sampleIndex = i % 3 ? i : any(rng);
        r.year = small(rng);
        r.month = small(rng) % 100;
        r.day = small(rng) % 100;
        r.hour = small(rng) % 100;
        r.minute = small(rng) % 100;
        r.second = i % 7 ? small(rng) % 100 : any(rng);
        r.latHemisphere = static_cast<char>(byte(rng));
        r.lonHemisphere = static_cast<char>(byte(rng));
        r.latitude = lat(rng);
        r.longitude = lon(rng);
        r.speed = speed(rng);
        r.gsensorX = g(rng);
        r.gsensorY = g(rng);
        r.gsensorZ = g(rng);
        r.aValue = deg(rng);
        r.hValue = deg(rng);
        r.aPresent = any(rng);
        expectSameEverywhere(r);
    }
}

TEST(LineFormatExactness, RoundingTiesAndExtremesMatchPrintf)
{
    const float specials[] = {0.0f, -0.0f, 0.005f, 0.015f, 0.125f, -0.125f, 2.5f, 0.05f, 0.25f, 1e-7f, -1e-7f,
                              FLT_MIN, -FLT_MIN, FLT_MAX, -FLT_MAX, 1e20f, 123456.789f,
                              std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN()};
    const int ints[] = {0, -1, 1, 9, -9, 10, -10, 999, -999, 10000, INT_MIN, INT_MAX};
    for (float v : specials) {
        for (int n : ints) {
            RmcInfo r{};
            r.sampleIndex = n;
            r.year = n;
            r.month = n;
            r.second = n == INT_MIN ? INT_MAX : -n;
            r.latHemisphere = 'S';
            r.lonHemisphere = '\0';
            r.latitude = r.longitude = r.speed = v;
            r.gsensorX = r.gsensorY = r.gsensorZ = v;
            r.aValue = r.hValue = v;
            r.aPresent = n;
            expectSameEverywhere(r);
        }
    }
}

TEST(LineFormatExactness, ShortRoomTruncatesLikeSnprintf)
{
    RmcInfo r{};
    r.year = 2019;
    r.latitude = FLT_MAX;
    const std::string full = fx::formatted(r, KalLineFormat::Extended);
    for (size_t room : {size_t(0), size_t(1), size_t(2), size_t(40), full.size(), full.size() + 1}) {
        char buf[kGpsLineMax];
        std::memset(buf, '#', sizeof buf);
        EXPECT_EQ(kalGpsFormatLine(buf, room, r, KalLineFormat::Extended), full.size());
        if (room == 0) {
            EXPECT_EQ(buf[0], '#');
            continue;
        }
        EXPECT_EQ(std::string(buf), full.substr(0, room - 1));
        EXPECT_EQ(buf[room], '#');  // nothing written past the room
    }
}
