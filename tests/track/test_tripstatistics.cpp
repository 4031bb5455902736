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

TEST(TripStatistics, AMovedTrackKeepsTheDistanceCoveredUpToTheSecondShown)
{
    auto s = makeStats();
    // 1 "metre" a second northwards; the moved track is the same a second later.
    std::vector<GPSItem> items, later{sample("36", "0")};
    for (int i = 0; i < 60; ++i) {
        items.push_back(sample("36", fixedDecimals(i * 0.001, 3)));
        later.push_back(sample(i % 2 ? "72" : "36", fixedDecimals(i * 0.001, 3)));
    }
    s.handleGpsInfoWithArray(makeTrack(items));
    for (int t = 1; t <= 50; ++t)
        s.setCurrentPlayerTime(t + 0.2, "MPH");
    EXPECT_NEAR(s.totalDistance(), 49.0, 1e-3); // positions are read as 32-bit floats
    s.replaceTrack(makeTrack(later));
    // Along the moved track to second 50 (its sample 50 is the old 49): not back to zero.
    EXPECT_NEAR(s.totalDistance(), 49.0, 1e-3); // positions are read as 32-bit floats
    EXPECT_EQ(s.labels().distance, "<Distance>:0.05KM");
    EXPECT_EQ(s.labels().lat, "<Lat>:0.049");
    EXPECT_EQ(s.labels().speed, "44MPH"); // 72 km/h, in the unit last shown
    // Another move before any tick counts from the same second, and the next tick goes on.
    s.replaceTrack(makeTrack(items));
    EXPECT_NEAR(s.totalDistance(), 50.0, 1e-3); // positions are read as 32-bit floats
    s.replaceTrack(makeTrack(later));
    EXPECT_FALSE(s.setCurrentPlayerTime(50.7, "KMH"));
    ASSERT_TRUE(s.setCurrentPlayerTime(51.1, "KMH"));
    EXPECT_NEAR(s.totalDistance(), 50.0, 1e-3); // positions are read as 32-bit floats
    // A track shorter than the second shown ends at its last sample; an empty one has none.
    s.replaceTrack(makeTrack({items.begin(), items.begin() + 11}));
    EXPECT_NEAR(s.totalDistance(), 10.0, 1e-3); // positions are read as 32-bit floats
    EXPECT_EQ(s.curItem()->latitude, "0.010");
    s.replaceTrack(makeTrack({}));
    EXPECT_EQ(s.totalDistance(), 0.0);
    EXPECT_FALSE(s.curItem());
    // Before anything was shown a move shows nothing either.
    auto fresh = makeStats();
    fresh.handleGpsInfoWithArray(makeTrack(items));
    fresh.replaceTrack(makeTrack(later));
    EXPECT_EQ(fresh.totalDistance(), 0.0);
    EXPECT_FALSE(fresh.curItem());
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

// ---- Trips: the recordings of one drive ----

#include "support/decodedtrack.h"
#include "track/trip.h"

namespace {
const std::string kData = TRAVA_TEST_DATA;

TimeSpan span(std::int64_t first, std::int64_t last) { return TimeSpan{first, last}; }
} // namespace

TEST(Trips, SampleTimesReadAsSeconds)
{
    EXPECT_EQ(sampleTimeSeconds("1970/01/01 00:00:00"), 0);
    EXPECT_EQ(sampleTimeSeconds("2026/05/14 08:30:10").value() - sampleTimeSeconds("2026/05/14 08:29:59").value(), 11);
    // Across midnight and a leap day.
    EXPECT_EQ(sampleTimeSeconds("2024/03/01 00:00:01").value() - sampleTimeSeconds("2024/02/28 23:59:59").value(),
              86400 + 2);
    for (const char *bad : {"", "2026/13/01 00:00:00", "2026-05-14 08:30:10", "2026/05/14 25:00:00", "2026/05/1x 08:30:10"})
        EXPECT_FALSE(sampleTimeSeconds(bad)) << bad;
}

TEST(Trips, ThreeRecordingsOfOneDriveAreOneTrip)
{
    std::vector<Track> tracks;
    std::vector<std::optional<TimeSpan>> spans;
    for (const char *name : {"trip-1.mp4", "trip-2.mp4", "trip-3.mp4", "incident.mp4", "clip.mov"}) {
        tracks.push_back(decodedTrack(kData + "/" + name));
        spans.push_back(trackTimeSpan(tracks.back()));
        ASSERT_TRUE(spans.back()) << name;
    }
    const auto trips = groupTrips(spans);
    ASSERT_EQ(trips.size(), 5u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(trips[i], (TripRange{0, 3})) << i;
    EXPECT_EQ(trips[3], (TripRange{3, 4}));
    EXPECT_EQ(trips[4], (TripRange{4, 5}));

    // The whole trip: 30 samples, 29 s from first to last, and the distance adds up the
    // steps across the file boundaries too (each file alone misses one step).
    const std::vector<Track> trip(tracks.begin(), tracks.begin() + 3);
    const TripSummary whole = summarizeTrip(trip, greatCircleMetres);
    EXPECT_EQ(whole.samples, 30u);
    EXPECT_EQ(whole.durationSeconds, 29);
    double parts = 0, top = 0;
    for (const Track &t : trip) {
        const TripSummary one = summarizeTrip({t}, greatCircleMetres);
        EXPECT_EQ(one.durationSeconds, 9);
        parts += one.distanceMetres;
        top = std::max(top, one.topSpeedKmh);
    }
    EXPECT_GT(whole.distanceMetres, parts + 20); // two boundary steps at about 14 m/s
    EXPECT_LT(whole.distanceMetres, parts + 40);
    EXPECT_DOUBLE_EQ(whole.topSpeedKmh, top);
    EXPECT_GT(whole.topSpeedKmh, 40.0);
}

TEST(Trips, GapsOrderAndMissingTelemetryBreakATrip)
{
    // Within five seconds either way continues; more, or a start before the previous
    // start, breaks; a recording without telemetry stands alone and splits its neighbours.
    const auto trips = groupTrips({span(0, 60), span(63, 120), span(118, 180), span(186, 200),
                                   std::nullopt, span(201, 260), span(100, 262)});
    const std::vector<TripRange> expected{{0, 3}, {0, 3}, {0, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}};
    EXPECT_EQ(trips, expected);
    // The limit itself still continues, either way; one second past it breaks.
    EXPECT_TRUE(continuesTrip(span(0, 60), span(65, 90)));
    EXPECT_FALSE(continuesTrip(span(0, 60), span(66, 90)));
    EXPECT_TRUE(continuesTrip(span(0, 60), span(55, 90)));
    EXPECT_FALSE(continuesTrip(span(0, 60), span(54, 90)));
    // A file that overlaps the previous one by far, or starts with or before it, is another drive.
    EXPECT_FALSE(continuesTrip(span(0, 60), span(50, 120)));
    EXPECT_FALSE(continuesTrip(span(10, 12), span(10, 20)));
    EXPECT_FALSE(continuesTrip(span(10, 12), span(8, 20)));
    EXPECT_TRUE(groupTrips({}).empty());
    EXPECT_EQ(groupTrips({std::nullopt}), (std::vector<TripRange>{{0, 1}}));
    EXPECT_FALSE(trackTimeSpan(nullptr));
}

TEST(Trips, SummaryIgnoresMissingFixesAndBrokenValues)
{
    auto item = [](const char *time, const char *lat, const char *lon, const char *speed) {
        return GPSItem(time, lon, lat, speed, 0, 0, 0);
    };
    const Track t = makeTrack({item("2026/05/14 08:00:00", "48.0", "11.0", "10"),
                               item("2026/05/14 08:00:01", "0", "0", "1e400"),
                               item("bad time", "95", "11.0", "20"),
                               item("2026/05/14 08:00:03", "48.001", "11.0", "30")});
    const TripSummary s = summarizeTrip({t, nullptr}, greatCircleMetres);
    EXPECT_NEAR(s.distanceMetres, 111.2, 0.5);
    EXPECT_EQ(s.durationSeconds, 3);
    EXPECT_DOUBLE_EQ(s.topSpeedKmh, 30.0);
    EXPECT_EQ(greatCircleMetres(91, 0, 0, 0), 0.0);
}
