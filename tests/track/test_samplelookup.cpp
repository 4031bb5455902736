#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "track/samplelookup.h"

namespace {
Track track(std::size_t n) { return std::make_shared<const std::vector<GPSItem>>(n); }
} // namespace

TEST(SampleLookup, FirstSecondIsRememberedAsZeroAtStart)
{
    SampleLookup lookup;
    const Track t = track(10);
    EXPECT_FALSE(lookup.select(t, 0.4));
    EXPECT_FALSE(lookup.select(t, 0.9));
    EXPECT_EQ(lookup.select(t, 1.2), 1u);
}

TEST(SampleLookup, TicksInsideOneSecondSelectOnce)
{
    SampleLookup lookup;
    const Track t = track(10);
    EXPECT_EQ(lookup.select(t, 5.0), 5u);
    EXPECT_FALSE(lookup.select(t, 5.3));
    EXPECT_FALSE(lookup.select(t, 5.9));
    EXPECT_EQ(lookup.currentSecond(), 5);
}

TEST(SampleLookup, NothingPastTheEndButTheSecondIsRemembered)
{
    SampleLookup lookup;
    const Track t = track(10);
    EXPECT_EQ(lookup.select(t, 9.5), 9u);
    EXPECT_FALSE(lookup.select(t, 10.0));
    EXPECT_EQ(lookup.currentSecond(), 10);
    EXPECT_FALSE(lookup.select(t, 42.0));
}

TEST(SampleLookup, SeeksBothWays)
{
    SampleLookup lookup;
    const Track t = track(200);
    EXPECT_EQ(lookup.select(t, 100.0), 100u);
    EXPECT_EQ(lookup.select(t, 10.0), 10u);
    EXPECT_EQ(lookup.select(t, 150.5), 150u);
}

TEST(SampleLookup, SampleZeroAfterAnotherSecond)
{
    SampleLookup lookup;
    const Track t = track(3);
    EXPECT_EQ(lookup.select(t, 2.0), 2u);
    EXPECT_EQ(lookup.select(t, 0.5), 0u);
    // Zero itself is remembered but shows nothing; so does a negative time.
    EXPECT_EQ(lookup.select(t, 2.0), 2u);
    EXPECT_FALSE(lookup.select(t, 0.0));
    EXPECT_EQ(lookup.currentSecond(), 0);
    EXPECT_EQ(lookup.select(t, 1.0), 1u);
    EXPECT_FALSE(lookup.select(t, -3.0));
    EXPECT_EQ(lookup.currentSecond(), -3);
}

TEST(SampleLookup, NoTrackOrNoSamplesLeavesTheSecondAlone)
{
    SampleLookup lookup;
    EXPECT_FALSE(lookup.select(nullptr, 3.0));
    EXPECT_FALSE(lookup.select(track(0), 3.0));
    EXPECT_EQ(lookup.currentSecond(), 0);
}

TEST(SampleLookup, AbsurdTimesSelectNothing)
{
    SampleLookup lookup;
    const Track t = track(10);
    EXPECT_FALSE(lookup.select(t, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(lookup.select(t, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(lookup.select(t, 1e300));
    EXPECT_EQ(lookup.select(t, 3.0), 3u);
}
