// Cleaning of decoded tracks: re-indexing, validity, bearings, G-sensor renumbering, gap filling.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "telemetry/kalgpsblocks.h"
#include "telemetry/kalgpsscan.h"

namespace {

RmcInfo at(int minute, int second, float lat, float lon)
{
    RmcInfo r{};
    r.year = 2019;
    r.month = 11;
    r.day = 28;
    r.hour = 10;
    r.minute = minute;
    r.second = second;
    r.latHemisphere = 'N';
    r.lonHemisphere = 'E';
    r.latitude = lat;
    r.longitude = lon;
    r.speed = 30;
    return r;
}

class Pretreat : public ::testing::Test {
protected:
    void SetUp() override { kalGpsResetDecodeState(0); }
    void TearDown() override { ClearSegmentList(); }

    static void add(int index, const RmcInfo& r) { kalGpsRmcToInfo(index, r); }

    static std::vector<RmcInfo> samples() { return list(kalGpsState().gpsInfoHeadEx); }
    static std::vector<RmcInfo> gsensor() { return list(kalGpsState().gsensorInfoHeadEx); }
    static std::vector<int> indices(const std::vector<RmcInfo>& v)
    {
        std::vector<int> out;
        for (const RmcInfo& r : v)
            out.push_back(r.sampleIndex);
        return out;
    }

private:
    static std::vector<RmcInfo> list(const KalList<RmcInfoNode>& l)
    {
        std::vector<RmcInfo> out;
        for (RmcInfoNode* n = l.head; n; n = n->next)
            out.push_back(n->info);
        return out;
    }
};

} // namespace

TEST_F(Pretreat, GapIsFilledByInterpolationWithThePredecessorsTime)
{
    add(0, at(0, 0, 22.0f, 113.0f));
    add(1, at(0, 1, 22.1f, 113.1f));
    add(4, at(0, 4, 22.4f, 113.4f));
    kalGpsPretreatInfo();
    auto s = samples();
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(indices(s), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(kalGpsState().nGpsInfoCount, 5);
    EXPECT_NEAR(s[2].latitude, 22.2f, 1e-5);
    EXPECT_NEAR(s[2].longitude, 113.2f, 1e-4);
    EXPECT_NEAR(s[3].latitude, 22.3f, 1e-5);
    EXPECT_NEAR(s[3].longitude, 113.3f, 1e-4);
    EXPECT_EQ(s[2].second, 1);
    EXPECT_EQ(s[3].second, 1);
}

TEST_F(Pretreat, RepeatedIndicesAreRebuiltFromTheTimes)
{
    add(0, at(0, 0, 22.0f, 113.0f));
    add(0, at(0, 0, 22.0f, 113.0f));  // same time as the fix before it: removed
    add(0, at(0, 3, 22.3f, 113.3f));  // three seconds on: index advances by 3
    add(0, at(0, 4, 22.4f, 113.4f));
    kalGpsPretreatInfo();
    auto s = samples();
    ASSERT_EQ(s.size(), 5u);  // 0, 3, 4 plus the two filled between
    EXPECT_EQ(indices(s), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(s[3].second, 3);
    EXPECT_EQ(s[4].second, 4);
    // A new hour counts as one step.
    kalGpsResetDecodeState(0);
    RmcInfo later = at(0, 0, 22.1f, 113.1f);
    later.hour = 11;
    add(7, at(59, 59, 22.0f, 113.0f));
    add(7, later);
    kalGpsPretreatInfo();
    EXPECT_EQ(indices(samples()), (std::vector<int>{0, 1}));
    // A jump of exactly as many seconds as there are samples still counts in seconds.
    kalGpsResetDecodeState(0);
    add(0, at(0, 0, 22.0f, 113.0f));
    add(0, at(0, 0, 22.0f, 113.0f));
    add(0, at(0, 3, 22.3f, 113.3f));
    kalGpsPretreatInfo();
    EXPECT_EQ(indices(samples()), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(Pretreat, ImplausiblePositionsAndRepeatedSecondsAreDropped)
{
    add(0, at(0, 0, 22.0f, 113.0f));
    add(1, at(0, 1, 0.5f, 113.1f));    // latitude below one degree
    add(2, at(0, 2, 22.2f, 181.0f));   // longitude past 180
    add(3, at(1, 2, 22.3f, 113.3f));   // other minute, same second as its predecessor would be
    add(4, at(0, 4, 22.4f, 113.4f));
    add(5, at(1, 4, 22.5f, 113.5f));   // same hour and second as its predecessor: minute not compared
    add(6, at(0, 6, 9100.0f, 11340.0f)); // ddmm.mm of 91 degrees north: one past the pole
    kalGpsPretreatInfo();
    auto s = samples();
    for (const RmcInfo& r : s) {
        EXPECT_FALSE(r.minute == 1 && r.second == 4);
        EXPECT_GE(r.latitude, 1.0f);
        EXPECT_LT(r.latitude, 91.0f);
        EXPECT_LT(r.longitude, 181.0f);
    }
    // kept: 0, 3 (its predecessor is sample 0 with second 0), 4; 1 and 2 filled again.
    EXPECT_EQ(indices(s), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(s[3].minute, 1);
    EXPECT_NEAR(s[1].latitude, 22.1f, 1e-5);
}

// A fix needs both coordinates. When the indices are rebuilt from the times, a record with a
// latitude but no longitude is no fix: it keeps the index it came with and the next fix counts
// on from there (it is dropped itself, and the gap it leaves filled).
TEST_F(Pretreat, HalfAPositionIsNoFix)
{
    add(0, at(0, 0, 22.0f, 113.0f));
    add(0, at(0, 0, 22.0f, 113.0f)); // a repeated index: the indices are rebuilt
    add(5, at(0, 1, 22.1f, 0.0f));
    add(5, at(0, 2, 22.2f, 113.2f));
    kalGpsPretreatInfo();
    EXPECT_EQ(indices(samples()), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST_F(Pretreat, BearingPointsToTheNextSampleAndRepeatsOnOneAxisMoves)
{
    add(0, at(0, 0, 22.0f, 113.0f));
    add(1, at(0, 1, 22.0f, 113.1f));  // due east: same latitude
    add(2, at(0, 2, 22.1f, 113.2f));
    RmcInfo last = at(0, 3, 22.2f, 113.3f);
    last.aValue = 77.0f;
    add(3, last);
    kalGpsPretreatInfo();
    auto s = samples();
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].aValue, 0.0f);  // repeats the (initial) last bearing instead of 90
    EXPECT_NEAR(s[1].aValue, kalGpsHeading(22.0f, 113.1f, 22.1f, 113.2f), 1e-4);
    EXPECT_GT(s[1].aValue, 30.0f);
    EXPECT_LT(s[1].aValue, 60.0f);
    EXPECT_EQ(s[3].aValue, 77.0f);  // the last sample keeps its own
}

TEST(Heading, CardinalDirections)
{
    EXPECT_NEAR(kalGpsHeading(0, 0, 1, 0), 0.0f, 1e-3);
    EXPECT_NEAR(kalGpsHeading(0, 0, 0, 1), 90.0f, 1e-3);
    EXPECT_NEAR(kalGpsHeading(0, 0, -1, 0), 180.0f, 1e-3);
    EXPECT_NEAR(kalGpsHeading(0, 0, 0, -1), 270.0f, 1e-3);
    float h = kalGpsHeading(48.0f, 11.0f, 47.9f, 10.9f);
    EXPECT_GE(h, 180.0f);
    EXPECT_LT(h, 270.0f);
    // The formula itself, to float precision.
    EXPECT_FLOAT_EQ(h, 213.850983f);
    EXPECT_FLOAT_EQ(kalGpsHeading(22.0f, 113.1f, 22.1f, 113.2f), 42.8067932f);
    EXPECT_FLOAT_EQ(kalGpsHeading(-33.87f, 151.2f, -33.9f, 151.25f), 125.872292f);
}

TEST_F(Pretreat, GsensorGapsAreFilledWithTheNodeAfterThem)
{
    RmcInfo a = at(0, 0, 22.0f, 113.0f), b = at(0, 3, 22.3f, 113.3f);
    a.gsensorX = 0.5f;
    b.gsensorX = -1.25f;
    b.gsensorZ = 9.5f;
    add(0, a);
    add(3, b);
    kalGpsPretreatInfo();
    auto g = gsensor();
    EXPECT_EQ(kalGpsState().nGsensorCount, 4);
    ASSERT_EQ(g.size(), 4u);
    EXPECT_EQ(indices(g), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(g[0].gsensorX, 0.5f);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(g[i].gsensorX, -1.25f);
        EXPECT_EQ(g[i].gsensorZ, 9.5f);
        EXPECT_EQ(g[i].second, 3);
    }
}

TEST_F(Pretreat, OnlyTheFirst200GapsAreFilled)
{
    for (int i = 0; i < 250; ++i)
        add(2 * i, at((2 * i) / 60, (2 * i) % 60, 22.0f + 0.001f * float(i), 113.0f + 0.001f * float(i)));
    kalGpsPretreatInfo();
    auto s = samples();
    EXPECT_EQ(kalGpsState().nGpsInfoCount, 450);
    ASSERT_EQ(s.size(), 450u);
    for (int i = 0; i <= 400; ++i)
        ASSERT_EQ(s[size_t(i)].sampleIndex, i);
    EXPECT_EQ(s[401].sampleIndex, 402);
}

TEST_F(Pretreat, HugeIndexJumpsDoNotBlowTheTrackUp)
{
    add(0, at(0, 0, 22.0f, 113.0f));
    add(2000000000, at(0, 1, 22.1f, 113.1f));
    auto start = std::chrono::steady_clock::now();
    kalGpsPretreatInfo();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(kalGpsState().nGpsInfoCount, 2);
    EXPECT_LE(kalGpsState().nGsensorCount, kGpsFillBudget + 2);
    EXPECT_EQ(indices(gsensor()), (std::vector<int>{0, 1}));
}

TEST_F(Pretreat, EmptyTrackStaysEmpty)
{
    kalGpsPretreatInfo();
    EXPECT_EQ(kalGpsState().nGpsInfoCount, 0);
    EXPECT_EQ(kalGpsState().nGsensorCount, 0);
    EXPECT_TRUE(list_empty(kalGpsState().gsensorInfoHeadEx));
}
