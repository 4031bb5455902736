#include <gtest/gtest.h>

#include <cmath>

#include "support/decodedtrack.h"
#include "track/harshevents.h"

namespace {

const std::string kData = TRAVA_TEST_DATA;

Track makeTrack(std::vector<GPSItem> items)
{
    return std::make_shared<const std::vector<GPSItem>>(std::move(items));
}

GPSItem reading(double x, double y, double z, int second = 0)
{
    return GPSItem("2026/05/14 09:00:" + std::string(second < 10 ? "0" : "") + std::to_string(second),
                   "11.5", "48.1", "40.0", x, y, z);
}

std::string describe(const std::vector<HarshEvent> &events)
{
    std::string out;
    for (const HarshEvent &e : events)
        out += std::to_string(e.index) + ":" + harshKindName(e.kind) + " ";
    return out;
}

} // namespace

// The incident recording: a hard brake at 8 s, a swerve at 15 s and an impact at 22 s,
// with the G-sensor in g and in m/s². Whatever the unit, the same three
// events come out with the same peaks in g.
TEST(HarshEvents, IncidentRecordingInEveryUnit)
{
    for (const char *name : {"incident.mp4", "incident-ms2.mp4"}) {
        SCOPED_TRACE(name);
        const Track track = decodedTrack(kData + "/" + name);
        ASSERT_EQ(trackSize(track), 30u);
        const auto events = detectHarshEvents(track, HarshSensitivity::Normal);
        ASSERT_EQ(events.size(), 3u) << describe(events);
        EXPECT_EQ(events[0].index, 8u);
        EXPECT_EQ(events[0].kind, HarshKind::Brake);
        EXPECT_NEAR(events[0].peakG, 0.62, 0.01);
        EXPECT_EQ(events[0].time, "2026/05/14 09:00:08");
        EXPECT_EQ(events[1].index, 15u);
        EXPECT_EQ(events[1].kind, HarshKind::Turn);
        EXPECT_NEAR(events[1].peakG, 0.58, 0.01);
        // The impact also reads as a hard brake and a swerve; only the impact is reported.
        EXPECT_EQ(events[2].index, 22u);
        EXPECT_EQ(events[2].kind, HarshKind::Impact);
        EXPECT_NEAR(events[2].peakG, std::sqrt(1.8 * 1.8 + 0.9 * 0.9 + 0.7 * 0.7), 0.02);
    }
}

TEST(HarshEvents, UnitIsReadFromTheRestingZ)
{
    EXPECT_EQ(detectGScale(*decodedTrack(kData + "/incident.mp4")).unit, GScale::Unit::G);
    const GScale ms2 = detectGScale(*decodedTrack(kData + "/incident-ms2.mp4"));
    EXPECT_EQ(ms2.unit, GScale::Unit::MetresPerSecondSquared);
    EXPECT_NEAR(ms2.restZ, 1.0, 0.01);
    // Raw counts come from camera text lines, which the fixtures do not write: the same
    // drive scaled to 1024 counts a g finds the same events.
    std::vector<GPSItem> counts = *decodedTrack(kData + "/incident.mp4");
    for (GPSItem &s : counts) {
        s.gsensorX *= 1024;
        s.gsensorY *= 1024;
        s.gsensorZ *= 1024;
    }
    const GScale scale = detectGScale(counts);
    EXPECT_EQ(scale.unit, GScale::Unit::Counts);
    EXPECT_NEAR(scale.perG, 1024.0, 15.0);
    const auto events = detectHarshEvents(std::make_shared<const std::vector<GPSItem>>(counts));
    EXPECT_EQ(describe(events), "8:brake 15:turn 22:impact ");
    // Gravity-free readings and a sensor upside down still count as g.
    EXPECT_EQ(detectGScale({reading(0, 0, 0.01), reading(0, 0, -0.02), reading(0.1, 0, 0)}).unit, GScale::Unit::G);
    const GScale flipped = detectGScale({reading(0, 0, -1.0), reading(0, 0, -0.98), reading(0, 0, -1.01)});
    EXPECT_EQ(flipped.unit, GScale::Unit::G);
    EXPECT_NEAR(flipped.restZ, -1.0, 0.001);
    EXPECT_EQ(detectGScale({}).perG, 1.0);
    // The unit's bounds belong to the larger unit: a resting z of 3 is m/s², one of 30 counts.
    EXPECT_EQ(detectGScale({reading(0, 0, 2.99), reading(0, 0, 2.99)}).unit, GScale::Unit::G);
    EXPECT_EQ(detectGScale({reading(0, 0, 3.0), reading(0, 0, 3.0)}).unit, GScale::Unit::MetresPerSecondSquared);
    EXPECT_EQ(detectGScale({reading(0, 0, 30.0), reading(0, 0, 30.0)}).unit, GScale::Unit::Counts);
}

TEST(HarshEvents, SensitivityMovesTheThresholds)
{
    // The incident's events are strong enough for every setting.
    const Track track = decodedTrack(kData + "/incident.mp4");
    EXPECT_EQ(describe(detectHarshEvents(track, HarshSensitivity::Low)), "8:brake 15:turn 22:impact ");
    EXPECT_EQ(describe(detectHarshEvents(track, HarshSensitivity::High)), "8:brake 15:turn 22:impact ");
    // A 0.5 g brake counts on Normal and High, not on Low; a 0.27 g start only on High;
    // a 1.2 g jolt is an impact only on High.
    const Track soft = makeTrack({reading(0, 0, 1, 0), reading(-0.5, 0, 1, 1), reading(0, 0, 1, 2),
                                  reading(0.27, 0, 1, 3), reading(0, 0, 1, 4), reading(0, 0, 1, 5),
                                  reading(0, 0, 2.2, 6), reading(0, 0, 1, 7)});
    EXPECT_EQ(describe(detectHarshEvents(soft, HarshSensitivity::Low)), "");
    EXPECT_EQ(describe(detectHarshEvents(soft, HarshSensitivity::Normal)), "1:brake ");
    EXPECT_EQ(describe(detectHarshEvents(soft, HarshSensitivity::High)), "1:brake 3:accel 6:impact ");
}

// A sample exactly at a threshold counts, one just short of it does not; an impact hides
// the lesser events up to two samples (seconds) either side of it, not three.
TEST(HarshEvents, ThresholdsAndTheImpactShadowIncludeTheirEdges)
{
    const HarshThresholds normal = harshThresholds(HarshSensitivity::Normal);
    const Track edges = makeTrack({reading(0, 0, 1, 0), reading(-normal.brake, 0, 1, 1), reading(0, 0, 1, 2),
                                   reading(normal.accel, 0, 1, 3), reading(0, 0, 1, 4),
                                   reading(0, -normal.turn, 1, 5), reading(0, 0, 1, 6),
                                   reading(0, 0, 1, 7), reading(0, 0, 1, 8), reading(0, 0, 1 + normal.impact, 9),
                                   reading(0, 0, 1, 10), reading(0, 0, 1, 11), reading(-0.39, 0.39, 1, 12),
                                   reading(0.34, 0, 1, 13), reading(0, 0, 1, 14)});
    EXPECT_EQ(describe(detectHarshEvents(edges, HarshSensitivity::Normal)), "1:brake 3:accel 5:turn 9:impact ");
    EXPECT_EQ(describe(detectHarshEvents(edges, HarshSensitivity::Low)), "");

    const Track shadow = makeTrack({reading(0, 0, 1, 0), reading(0, 0, 1, 1), reading(0.5, 0, 1, 2),
                                    reading(-0.5, 0, 1, 3), reading(0, 0, 1, 4), reading(0, 0, 3, 5),
                                    reading(0, 0, 1, 6), reading(0, 0.5, 1, 7), reading(-0.5, 0, 1, 8),
                                    reading(0, 0, 1, 9)});
    EXPECT_EQ(describe(detectHarshEvents(shadow)), "2:accel 5:impact 8:brake ");
}

TEST(HarshEvents, RunsBecomeOneEventAtTheirPeak)
{
    const Track track = makeTrack({reading(0, 0, 1, 0), reading(0.4, 0, 1, 1), reading(0.6, 0, 1, 2),
                                   reading(0.5, 0, 1, 3), reading(0, 0, 1, 4), reading(0.45, 0, 1, 5)});
    const auto events = detectHarshEvents(track);
    ASSERT_EQ(describe(events), "2:accel 5:accel ");
    EXPECT_DOUBLE_EQ(events[0].peakG, 0.6);
}

TEST(HarshEvents, QuietOrBrokenReadingsGiveNothing)
{
    // The ordinary drives of the other recordings hold no harsh event, nor does a
    // recording without G-sensor readings (binary records carry none).
    for (const char *name : {"clip-mp4-voka.mp4", "clip.mov", "clip.ts", "trip-1.mp4", "trip-2.mp4", "trip-3.mp4"}) {
        SCOPED_TRACE(name);
        const Track track = decodedTrack(kData + "/" + name);
        ASSERT_GT(trackSize(track), 0u);
        EXPECT_EQ(describe(detectHarshEvents(track, HarshSensitivity::High)), "");
    }
    EXPECT_TRUE(detectHarshEvents(nullptr).empty());
    EXPECT_TRUE(detectHarshEvents(makeTrack({})).empty());
    const double inf = INFINITY;
    EXPECT_TRUE(detectHarshEvents(makeTrack({reading(NAN, 0, 1), reading(inf, -inf, 1), reading(0, 0, 1)})).empty());
    // Absurdly large readings are strong events, not overflows.
    const auto huge = detectHarshEvents(makeTrack({reading(0, 0, 1), reading(1e300, 0, 1), reading(0, 0, 1)}));
    ASSERT_EQ(huge.size(), 1u);
    EXPECT_EQ(huge[0].kind, HarshKind::Impact);
}

TEST(HarshEvents, NextAndPreviousEvent)
{
    std::vector<HarshEvent> events(3);
    events[0].index = 4;
    events[1].index = 10;
    events[2].index = 20;
    EXPECT_EQ(nextHarshEvent(events, 0), 4);
    EXPECT_EQ(nextHarshEvent(events, 4), 10);
    EXPECT_EQ(nextHarshEvent(events, 20), -1);
    EXPECT_EQ(previousHarshEvent(events, 10), 4);
    EXPECT_EQ(previousHarshEvent(events, 11), 10);
    EXPECT_EQ(previousHarshEvent(events, 4), -1);
    EXPECT_EQ(nextHarshEvent({}, 0), -1);
    EXPECT_EQ(harshSensitivityFromName("high"), HarshSensitivity::High);
    EXPECT_EQ(harshSensitivityFromName("bogus"), HarshSensitivity::Normal);
    EXPECT_STREQ(harshSensitivityName(HarshSensitivity::Low), "low");
}
