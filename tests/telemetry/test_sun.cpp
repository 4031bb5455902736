#include <gtest/gtest.h>

#include <cmath>

#include "telemetry/kalgpssun.h"

namespace {

struct Sun {
    int rise = -1;
    int set = -1;
};

Sun sun(int tz, int y, int m, int d, float lon, float lat)
{
    Sun s;
    EXPECT_EQ(kalGpsGetSunTimer(&s.rise, &s.set, tz, y, m, d, lon, lat), 0);
    return s;
}

bool rejected(int y, int m, int d, float lon = 114.0f, float lat = 22.5f)
{
    const Sun s = sun(8, y, m, d, lon, lat);
    return s.rise == -1 && s.set == -1;
}

} // namespace

TEST(SunTimes, LeapDaysAndInvalidDates)
{
    EXPECT_TRUE(rejected(2019, 2, 29));
    EXPECT_TRUE(rejected(1900, 2, 29));
    EXPECT_FALSE(rejected(2020, 2, 29));
    EXPECT_FALSE(rejected(2000, 2, 29));
    EXPECT_TRUE(rejected(2019, 0, 1));
    EXPECT_TRUE(rejected(2019, 13, 1));
    EXPECT_TRUE(rejected(2019, 4, 0));
    EXPECT_TRUE(rejected(2019, 4, 31));
    EXPECT_FALSE(rejected(2019, 4, 30));
    EXPECT_TRUE(rejected(2019, 6, 1, NAN, 22.5f));
    EXPECT_TRUE(rejected(2019, 6, 1, 114.0f, INFINITY));
}

TEST(SunTimes, KnownPlaces)
{
    // Shenzhen at midsummer: 05:12 and 18:48 by this estimate (real: 05:38, 19:11).
    const Sun shenzhen = sun(8, 2019, 6, 21, 114.0f, 22.5f);
    EXPECT_NEAR(shenzhen.rise, 312, 2);
    EXPECT_EQ(shenzhen.set, 1440 - shenzhen.rise);
    // New York (zone -5 from its longitude) at midsummer, eastern standard time.
    const Sun newYork = sun(-5, 2019, 6, 21, -74.0f, 40.7f);
    EXPECT_NEAR(newYork.rise, 239, 3);
    EXPECT_EQ(newYork.set, 1440 - newYork.rise);
    // Sydney: June is winter, so the sun rises later than in December.
    const Sun sydneyJune = sun(10, 2019, 6, 21, 151.2f, -33.87f);
    const Sun sydneyDecember = sun(10, 2019, 12, 21, 151.2f, -33.87f);
    EXPECT_GT(sydneyJune.rise, sydneyDecember.rise + 60);
    EXPECT_LT(sydneyJune.set, sydneyDecember.set - 60);
    // Near the equinox the estimate moves by over a minute a day: the day count is pinned here.
    const Sun munich = sun(1, 2019, 3, 20, 11.58f, 48.14f);
    EXPECT_EQ(munich.rise, 349);
    EXPECT_EQ(munich.set, 1091);
}

TEST(SunTimes, TimeZoneShiftsBothTimes)
{
    // Beijing's longitude gives zone 9; asking for zone 8 shifts everything an hour earlier.
    const Sun zone9 = sun(9, 2019, 3, 21, 120.0f, 39.9f);
    const Sun zone8 = sun(8, 2019, 3, 21, 120.0f, 39.9f);
    EXPECT_EQ(zone9.set, 1440 - zone9.rise);
    EXPECT_EQ(zone8.rise, zone9.rise - 60);
    EXPECT_EQ(zone8.set, zone9.set - 60);
    // On the prime meridian the zone number comes from the time zone itself.
    const Sun greenwich = sun(0, 2019, 3, 21, 0.0f, 51.5f);
    EXPECT_EQ(greenwich.set, 1440 - greenwich.rise);
}

TEST(SunTimes, SeasonsAndTheYearEnd)
{
    EXPECT_LT(sun(8, 2019, 6, 21, 114.0f, 22.5f).rise, sun(8, 2019, 3, 21, 114.0f, 22.5f).rise);
    const Sun last = sun(8, 2019, 12, 31, 114.0f, 22.5f);
    const Sun day360 = sun(8, 2019, 12, 26, 114.0f, 22.5f);
    EXPECT_EQ(last.rise, day360.rise);
    EXPECT_EQ(last.set, day360.set);
    EXPECT_NE(sun(8, 2019, 12, 25, 114.0f, 22.5f).rise, -1);
}

TEST(SunTimes, PolarDaysStayDefined)
{
    // No sunrise or sunset there: any figure will do, but it must be computed without fault.
    const Sun summer = sun(1, 2019, 6, 21, 15.0f, 80.0f);
    const Sun winter = sun(1, 2019, 12, 21, 15.0f, 80.0f);
    EXPECT_GE(summer.rise, -1440);
    EXPECT_LE(summer.rise, 2880);
    EXPECT_GE(winter.rise, -1440);
    EXPECT_LE(winter.rise, 2880);
    int rise = 0, set = 0;
    EXPECT_EQ(kalGpsGetSunTimer(&rise, &set, 2000000000, 2019, 6, 21, 179.0f, 10.0f), 0);
}
