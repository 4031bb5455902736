#include <gtest/gtest.h>

#include <cmath>

#include "support/trackbuilder.h"
#include "track/tripstatistics.h"

namespace {

GPSItem sample(const std::string &speed, const std::string &lat = "0", const std::string &lon = "0")
{
    return makeSample({.lat = lat, .lon = lon, .speed = speed});
}

// Flat-earth distance in "metres" = degrees * 1000: easy to add up by hand.
double fakeDistance(double lat1, double lon1, double lat2, double lon2)
{
    return std::hypot(lat2 - lat1, lon2 - lon1) * 1000.0;
}

TripStatistics makeStats()
{
    return TripStatistics(fakeDistance, [](const std::string &k) { return "<" + k + ">"; });
}

} // namespace

TEST(TripStatistics, TopAndAverageAreAlwaysInKmh)
{
    auto s = makeStats();
    s.handleGpsInfoWithArray(makeTrack({sample("10.0"), sample("30.0"), sample("20.0")}));
    EXPECT_EQ(s.labels().topSpeed, "<TopSpeed>:30.0KMH");
    EXPECT_EQ(s.labels().aveSpeed, "<AveSpeed>:20.0KMH");
    // The unit choice touches only the current speed read-out.
    s.setCurrentPlayerTime(1.5, "MPH");
    EXPECT_EQ(s.labels().topSpeed, "<TopSpeed>:30.0KMH");
}

TEST(TripStatistics, EmptyOrAbsentTrackGivesZeroStatistics)
{
    auto s = makeStats();
    s.handleGpsInfoWithArray(makeTrack({}));
    EXPECT_EQ(s.labels().topSpeed, "<TopSpeed>:0.0KMH");
    EXPECT_EQ(s.labels().aveSpeed, "<AveSpeed>:0.0KMH");
    s.handleGpsInfoWithArray(nullptr);
    EXPECT_EQ(s.labels().aveSpeed, "<AveSpeed>:0.0KMH");
    s.clearGpsInfo("KMH");
    EXPECT_FALSE(s.setCurrentPlayerTime(3.0, "KMH"));
    EXPECT_EQ(s.labels().speed, "---KMH");
}

TEST(TripStatistics, NonNumericSpeedReadsAsZero)
{
    auto s = makeStats();
    s.handleGpsInfoWithArray(makeTrack({sample("abc"), sample("40"), sample("nan")}));
    EXPECT_EQ(s.labels().topSpeed, "<TopSpeed>:40.0KMH");
    EXPECT_NEAR(s.averageSpeed(), 40.0 / 3.0, 1e-9);
}

TEST(TripStatistics, SpeedIsTruncatedAndConvertedToMph)
{
    auto s = makeStats();
    s.handleGpsInfoWithArray(makeTrack({sample("1"), sample("42.9"), sample("100.0")}));
    ASSERT_TRUE(s.setCurrentPlayerTime(1.2, "KMH"));
    EXPECT_EQ(s.labels().speed, "42KMH");
    ASSERT_TRUE(s.setCurrentPlayerTime(2.0, "MPH"));
    EXPECT_EQ(s.labels().speed, "62MPH");
    EXPECT_FLOAT_EQ(TripStatistics::kmhToMph(100.0f), 62.14f);
}

TEST(TripStatistics, AbsurdSpeedDoesNotOverflow)
{
    auto s = makeStats();
    s.handleGpsInfoWithArray(makeTrack({sample("0"), sample("1e30"), sample("-1e30")}));
    ASSERT_TRUE(s.setCurrentPlayerTime(1.0, "KMH"));
    EXPECT_EQ(s.labels().speed, "2147483647KMH");
    ASSERT_TRUE(s.setCurrentPlayerTime(2.0, "KMH"));
    EXPECT_EQ(s.labels().speed, "-2147483648KMH");
}

TEST(TripStatistics, TicksFollowTheWholeSecondRule)
{
    auto s = makeStats();
    std::vector<GPSItem> items;
    for (int i = 0; i < 10; ++i)
        items.push_back(sample(std::to_string(i * 10), std::to_string(i), "0"));
    s.handleGpsInfoWithArray(makeTrack(items));
    EXPECT_FALSE(s.setCurrentPlayerTime(0.4, "KMH"));
    EXPECT_FALSE(s.setCurrentPlayerTime(0.9, "KMH"));
    EXPECT_TRUE(s.setCurrentPlayerTime(1.2, "KMH"));
    EXPECT_EQ(s.labels().speed, "10KMH");
    EXPECT_EQ(s.labels().lat, "<Lat>:1");
    EXPECT_EQ(s.labels().lon, "<Lon>:0");
    EXPECT_TRUE(s.setCurrentPlayerTime(5.0, "KMH"));
    EXPECT_FALSE(s.setCurrentPlayerTime(5.3, "KMH"));
    EXPECT_FALSE(s.setCurrentPlayerTime(5.9, "KMH"));
    // Past the end the last shown sample stays.
    EXPECT_FALSE(s.setCurrentPlayerTime(10.0, "KMH"));
    EXPECT_EQ(s.labels().speed, "50KMH");
}

TEST(TripStatistics, DistanceAddsStepsInShownOrderIncludingSeeks)
{
    auto s = makeStats();
    std::vector<GPSItem> items;
    for (int i = 0; i < 120; ++i)
        items.push_back(sample("50", std::to_string(i * 0.001), "0"));
    s.handleGpsInfoWithArray(makeTrack(items));
    ASSERT_TRUE(s.setCurrentPlayerTime(100.0, "KMH"));
    // The first sample after a new track adds nothing.
    EXPECT_EQ(s.totalDistance(), 0.0);
    EXPECT_EQ(s.labels().distance, "<Distance>:0.00KM");
    ASSERT_TRUE(s.setCurrentPlayerTime(10.0, "KMH"));  // seek back
    EXPECT_NEAR(s.totalDistance(), 90.0, 0.01);
    ASSERT_TRUE(s.setCurrentPlayerTime(11.0, "KMH"));
    EXPECT_NEAR(s.totalDistance(), 91.0, 0.01);
    EXPECT_EQ(s.labels().distance, "<Distance>:0.09KM");
}

TEST(TripStatistics, StopKeepsDistanceNewTrackResetsItButNotTheSecond)
{
    auto s = makeStats();
    s.handleGpsInfoWithArray(makeTrack({sample("1", "0"), sample("1", "1"), sample("1", "2"), sample("1", "3")}));
    s.setCurrentPlayerTime(1.0, "KMH");
    s.setCurrentPlayerTime(2.0, "KMH");
    EXPECT_NEAR(s.totalDistance(), 1000.0, 1e-6);

    s.clearGpsInfo("MPH");
    EXPECT_EQ(s.labels().speed, "---MPH");
    EXPECT_EQ(s.labels().lat, "<Lat>:---");
    EXPECT_EQ(s.labels().distance, "<Distance>:---");
    EXPECT_EQ(s.labels().topSpeed, "<TopSpeed>:---");
    s.setCurrentPlayerTime(3.0, "KMH");
    EXPECT_NEAR(s.totalDistance(), 2000.0, 1e-6);  // resumes from the old total

    s.handleGpsInfoWithArray(makeTrack({sample("7"), sample("8"), sample("9"), sample("9")}));
    EXPECT_EQ(s.totalDistance(), 0.0);
    EXPECT_FALSE(s.curItem().has_value());
    // The remembered second survives a new track: a first tick in that second is ignored.
    EXPECT_FALSE(s.setCurrentPlayerTime(3.5, "KMH"));
    EXPECT_TRUE(s.setCurrentPlayerTime(2.0, "KMH"));
    EXPECT_EQ(s.labels().speed, "9KMH");
}

TEST(TripStatistics, NonFiniteDistanceIsNotAdded)
{
    TripStatistics s([](double, double, double, double) { return std::nan(""); }, nullptr);
    s.handleGpsInfoWithArray(makeTrack({sample("1"), sample("1"), sample("1")}));
    s.setCurrentPlayerTime(1.0, "KMH");
    s.setCurrentPlayerTime(2.0, "KMH");
    EXPECT_EQ(s.totalDistance(), 0.0);
    EXPECT_EQ(s.labels().distance, "Distance:0.00KM");
}

TEST(TripStatistics, LanguageRefreshRewritesWhatIsShown)
{
    std::string lang = "en";
    TripStatistics s(fakeDistance, [&lang](const std::string &k) { return lang + "." + k; });
    s.clearGpsInfo("KMH");
    lang = "de";
    s.refreshWords();
    EXPECT_EQ(s.labels().lat, "de.Lat:---");
    EXPECT_EQ(s.labels().topSpeed, "de.TopSpeed:---");
    s.handleGpsInfoWithArray(makeTrack({sample("10", "1.5", "2.5"), sample("20", "1.5", "2.5")}));
    s.setCurrentPlayerTime(1.0, "KMH");
    lang = "fr";
    s.refreshWords();
    EXPECT_EQ(s.labels().topSpeed, "fr.TopSpeed:20.0KMH");
    EXPECT_EQ(s.labels().lat, "fr.Lat:1.5");
    EXPECT_EQ(s.labels().distance, "fr.Distance:0.00KM");
    EXPECT_EQ(s.labels().speed, "20KMH");
}
