#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "support/moviehead.h"
#include "support/trackbuilder.h"
#include "track/cameraclock.h"
#include "track/importedtrack.h"
#include "track/trip.h"
#include "track/zonedclock.h"

namespace {

std::int64_t utc(const char *text) { return sampleTimeSeconds(text).value(); }

// Central European time by its rule: summer time from 01:00 UTC on the last Sunday of March
// to 01:00 UTC on the last Sunday of October.
std::optional<ZoneOffset> berlin(std::int64_t t)
{
    auto lastSunday = [](int year, int month) {
        std::int64_t day = civilSeconds(year, month, 31, 1, 0, 0).value();
        while (((day / 86400) + 4) % 7 != 0) // 1970-01-01 was a Thursday
            day -= 86400;
        return day;
    };
    const int year = std::stoi(sampleTimeText(t).substr(0, 4));
    if (t >= lastSunday(year, 3) && t < lastSunday(year, 10))
        return ZoneOffset{7200, "CEST"};
    return ZoneOffset{3600, "CET"};
}
std::optional<ZoneOffset> utcZone(std::int64_t) { return ZoneOffset{0, "UTC"}; }

} // namespace

TEST(CameraClock, StartIsReadFromTheNamesCamerasGive)
{
    const auto expect = utc("2026/05/14 14:05:12");
    for (const char *name : {"2026_0514_140512_001F.MP4", "/card/DCIM/Movie/20260514140512_000123.MP4",
                             "NO20260514-140512-000123F.MP4", "FILE260514-140512F.MOV", "2026-05-14-14-05-12.mp4",
                             "0001_20260514_140512.ts", "REC 20260514 140512.mov"})
        EXPECT_EQ(cameraClockStart(name), expect) << name;
    // A folder's date is not the file's, impossible dates are no dates, and a number that only
    // happens to have 14 digits is not split into one.
    for (const char *name : {"/20260514140512/clip.mp4", "clip.mp4", "MOVI0001.avi", "20261314140512.mp4",
                             "20260230120000.mp4", "20260514250000.mp4", "12345678901234567890.mp4", "2026_0514.mp4",
                             "19991231235959.mp4"})
        EXPECT_FALSE(cameraClockStart(name)) << name;
    // Hostile lengths are read only so far.
    EXPECT_FALSE(cameraClockStart(std::string(100000, '1') + "_20260514140512.mp4"));
}

TEST(CameraClock, OffsetIsTheQuarterHourAndTheRestTheError)
{
    const auto gps = utc("2026/05/14 12:05:12");
    struct Case {
        const char *name;
        int offset, error;
    } cases[] = {
        {"20260514120512.mp4", 0, 0},              // UTC
        {"20260514140519.mp4", 7200, 7},           // +02:00, clock 7 s fast
        {"20260514070432.mp4", -18000, -40},       // -05:00, 40 s slow
        {"20260514175015.mp4", 20700, 3},          // +05:45
        {"20260514134212.mp4", 5400, 420},         // 13:42: nearer +01:30 than +01:45
        {"20260514125942.mp4", 3600, -(5 * 60 + 30)}, // 5.5 min slow is still +01:00
    };
    for (const Case &c : cases) {
        const auto clock = compareClocks(cameraClockStart(c.name).value(), gps);
        ASSERT_TRUE(clock) << c.name;
        EXPECT_EQ(clock->offsetSeconds, c.offset) << c.name;
        EXPECT_EQ(clock->errorSeconds, c.error) << c.name;
        EXPECT_EQ(clock->agreesToTheSecond(), c.offset == 0 && c.error == 0) << c.name;
    }
    // Half-way differences go east; across midnight the date counts.
    EXPECT_EQ(compareClocks(gps + 450, gps)->offsetSeconds, 900);
    EXPECT_EQ(compareClocks(gps - 450, gps)->offsetSeconds, 0);
    EXPECT_EQ(compareClocks(gps - 451, gps)->offsetSeconds, -900);
    EXPECT_EQ(*compareClocks(gps - 100, gps), (CameraClock{0, -100})); // a slow clock on UTC
    EXPECT_EQ(compareClocks(utc("2026/05/15 00:30:00"), utc("2026/05/14 22:30:00"))->offsetSeconds, 7200);
    // A camera set to another day has no zone.
    EXPECT_FALSE(compareClocks(gps + 15 * 3600, gps));
    EXPECT_FALSE(compareClocks(gps - 13 * 3600, gps));
    EXPECT_EQ(compareClocks(gps + 14 * 3600, gps)->offsetSeconds, 14 * 3600);
    EXPECT_EQ(compareClocks(gps - 12 * 3600, gps)->offsetSeconds, -12 * 3600);
}

TEST(CameraClock, RecordingCountsBackFromItsFirstReadableSample)
{
    Track track = makeTrack({makeSample({.time = "garbage"}), makeSample({.time = ""}),
                             makeSample({.time = "2026/05/14 12:05:14"})});
    const auto clock = recordingClock("/card/20260514140512.mp4", track);
    ASSERT_TRUE(clock);
    EXPECT_EQ(*clock, (CameraClock{7200, 0}));
    EXPECT_FALSE(recordingClock("/card/clip.mp4", track));
    EXPECT_FALSE(recordingClock("/card/20260514140512.mp4", nullptr));
    EXPECT_FALSE(recordingClock("/card/20260514140512.mp4", makeTrack({makeSample({.time = "x"})})));
}

TEST(CameraClock, NamesWithoutATimeUseTheMovieHeadersCreationTime)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("trava-clock-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const Track track = makeTrack({makeSample({.time = "-"}), makeSample({.time = "2026/05/14 12:05:13"})});
    const auto civil = [](const char *t) { return utc(t); };
    struct Case {
        const char *name;
        std::int64_t created; // civil seconds the header holds
        int version;
        std::optional<CameraClock> expect;
    } cases[] = {
        // Local time where UTC belongs, as the name would have said it: zone and error alike.
        {"CLIP0001.MP4", civil("2026/05/14 14:05:19"), 0, CameraClock{7200, 7, true}},
        {"MOVI0002.MOV", civil("2026/05/14 07:04:32"), 1, CameraClock{-18000, -40, true}},
        {"REC_A.mp4", civil("2026/05/14 17:50:15"), 0, CameraClock{20700, 3, true}},
        // A camera that does write UTC there agrees with its telemetry (the tip then says so).
        {"front.mp4", civil("2026/05/14 12:05:12"), 0, CameraClock{0, 0, true}},
        // The name's time wins over the header's.
        {"20260514140512_0001.MP4", civil("2026/05/14 09:00:00"), 0, CameraClock{7200, 0, false}},
        // Unset clocks and other days are no zone.
        {"unset.mp4", civil("2000/01/01 00:00:00") - 86400, 0, std::nullopt},
        {"far.mp4", civil("2026/05/15 03:00:00"), 0, std::nullopt},
    };
    for (const Case &c : cases) {
        moviehead::writeMovie(dir / c.name, c.created, c.version);
        EXPECT_EQ(recordingClock((dir / c.name).string(), track), c.expect) << c.name;
    }
    EXPECT_EQ(recordingCameraStart((dir / "CLIP0001.MP4").string())->civilSeconds, civil("2026/05/14 14:05:19"));
    // A clock never set (last century) is no camera clock at all, not merely no zone.
    EXPECT_FALSE(recordingCameraStart((dir / "unset.mp4").string()));
    // A header that says nothing, a file that is none, and no file at all.
    std::ofstream(dir / "zero.mp4", std::ios::binary)
        << moviehead::ftyp() + moviehead::atom("moov", moviehead::atom("mvhd", moviehead::mvhd(0)));
    std::ofstream(dir / "notes.mp4") << "not a movie";
    for (const char *name : {"zero.mp4", "notes.mp4", "missing.mp4"}) {
        EXPECT_FALSE(recordingCameraStart((dir / name).string())) << name;
        EXPECT_FALSE(recordingClock((dir / name).string(), track)) << name;
    }
    // Without a readable time in the track the file is not even opened.
    EXPECT_FALSE(recordingClock((dir / "CLIP0001.MP4").string(), makeTrack({makeSample({.time = "x"})})));
    fs::remove_all(dir);
}

TEST(CameraClock, SummerTimeFollowsTheDateNotTheCamera)
{
    // 2026-03-29 01:00 UTC Berlin moves to summer time. A camera set to CET in winter and never
    // moved reads +01:00 on both sides; the named zone shows what the wall clock said.
    const auto before = utc("2026/03/29 00:30:00"), after = utc("2026/03/29 01:30:00");
    EXPECT_EQ(compareClocks(before + 3600, before)->offsetSeconds, 3600);
    EXPECT_EQ(compareClocks(after + 3600, after)->offsetSeconds, 3600);
    const ZonedClock zone = clockFor(ZoneChoice::fromText("Europe/Berlin"), 3600, berlin);
    EXPECT_EQ(zone.timeText("2026/03/29 00:30:00"), "01:30:00 CET");
    EXPECT_EQ(zone.timeText("2026/03/29 01:30:00"), "03:30:00 CEST");
    EXPECT_EQ(zone.isoText("2026/03/29 01:30:00"), "2026-03-29T03:30:00+02:00");
    EXPECT_EQ(zone.isoText("2026/10/25 01:30:00"), "2026-10-25T02:30:00+01:00");
    const ZonedClock automatic = clockFor(ZoneChoice::fromText("auto"), 3600, berlin);
    EXPECT_EQ(automatic.timeText("2026/03/29 01:30:00"), "02:30:00 UTC+1");
}

TEST(ZonedClock, TextsNameTheirZoneAndRecordedStaysAsItWas)
{
    const std::string t = "2026/05/14 12:05:12";
    const ZonedClock recorded;
    EXPECT_FALSE(recorded.converts());
    EXPECT_EQ(recorded.timeText(t), "12:05:12");
    EXPECT_EQ(recorded.dateTimeText(t), t);
    EXPECT_EQ(recorded.isoText(t), "2026-05-14T12:05:12");
    EXPECT_EQ(recorded.utcIsoText(t), "2026-05-14T12:05:12");

    const ZonedClock east = ZonedClock::fixed(20700);
    EXPECT_EQ(east.timeText(t), "17:50:12 UTC+5:45");
    EXPECT_EQ(east.isoText(t), "2026-05-14T17:50:12+05:45");
    EXPECT_EQ(east.utcIsoText(t), "2026-05-14T12:05:12Z");
    const ZonedClock west = ZonedClock::fixed(-18000);
    EXPECT_EQ(west.dateTimeText("2026/01/01 02:00:00"), "2025/12/31 21:00:00 UTC-5");
    EXPECT_EQ(west.isoText("2026/01/01 02:00:00"), "2025-12-31T21:00:00-05:00");
    EXPECT_EQ(ZonedClock::fixed(0).timeText(t), "12:05:12 UTC");
    EXPECT_EQ(ZonedClock::fixed(0).isoText(t), "2026-05-14T12:05:12+00:00");

    const ZonedClock named = ZonedClock::named("Europe/Berlin", berlin);
    EXPECT_EQ(named.timeText(t), "14:05:12 CEST");
    EXPECT_EQ(named.dateTimeText(t), "2026/05/14 14:05:12 CEST");
    // A zone without an abbreviation is named by its offset; a zone the database cannot place
    // gives no text rather than a wrong one.
    const ZonedClock bare = ZonedClock::named("Asia/Kathmandu", [](std::int64_t) {
        return std::optional<ZoneOffset>(ZoneOffset{20700, ""});
    });
    EXPECT_EQ(bare.timeText(t), "17:50:12 UTC+5:45");
    const ZonedClock unknown = ZonedClock::named("Nowhere/Else", [](std::int64_t) { return std::optional<ZoneOffset>(); });
    EXPECT_EQ(unknown.timeText(t), "");
    for (const ZonedClock &c : {recorded, east, named})
        EXPECT_EQ(c.timeText("2026/05/14"), "");
}

TEST(ZonedClock, SpansNameTheirZoneOnceUnlessItChanges)
{
    const std::string dash = "\xE2\x80\x93";
    const ZonedClock named = ZonedClock::named("Europe/Berlin", berlin);
    EXPECT_EQ(named.spanText("2026/05/14 12:05:12", "2026/05/14 12:34:59"), "14:05" + dash + "14:34 CEST");
    // Across the night summer time begins both ends are named.
    EXPECT_EQ(named.spanText("2026/03/29 00:50:00", "2026/03/29 01:10:00"), "01:50 CET" + dash + "03:10 CEST");
    EXPECT_EQ(ZonedClock::fixed(-18000).spanText("2026/05/14 23:30:00", "2026/05/15 06:00:00"),
              "18:30" + dash + "01:00 UTC-5");
    EXPECT_EQ(ZonedClock().spanText("2026/05/14 12:05:12", "2026/05/14 12:34:59"), "12:05" + dash + "12:34");
    EXPECT_EQ(named.spanText("2026/05/14 12:05:12", "late"), "");
    EXPECT_EQ(ZonedClock().spanText("", "2026/05/14 12:05:12"), "");
}

TEST(ZonedClock, ChoiceIsStoredAsText)
{
    for (const char *text : {"recorded", "auto", "Europe/Berlin", "UTC"})
        EXPECT_EQ(ZoneChoice::fromText(text).text(), text);
    EXPECT_EQ(ZoneChoice::fromText("").mode, ZoneChoice::Mode::Recorded);
    EXPECT_EQ(ZoneChoice::fromText("America/New_York").mode, ZoneChoice::Mode::Named);
    // Automatic without a zone found shows UTC rather than guessing one.
    EXPECT_EQ(clockFor(ZoneChoice::fromText("auto"), std::nullopt, berlin).timeText("2026/05/14 12:05:12"),
              "12:05:12 UTC");
}

TEST(ZonedClock, LocalTimeWrittenAsUtcIsNamedNotGuessed)
{
    const std::string first = "2026/05/14 12:05:12";
    const auto clock = compareClocks(cameraClockStart("20260514120512.mp4").value(), utc(first.c_str()));
    ASSERT_TRUE(clock && clock->agreesToTheSecond());
    const ZoneChoice automatic = ZoneChoice::fromText("auto"), inBerlin = ZoneChoice::fromText("Europe/Berlin"),
                     inUtc = ZoneChoice::fromText("UTC");
    EXPECT_TRUE(warnLocalTimeAsUtc(true, automatic, clockFor(automatic, 0, berlin), first));
    EXPECT_TRUE(warnLocalTimeAsUtc(true, inBerlin, clockFor(inBerlin, 0, berlin), first));
    EXPECT_FALSE(warnLocalTimeAsUtc(true, inUtc, clockFor(inUtc, 0, utcZone), first));
    // As recorded is no zone at all, let alone UTC: the tip still says it.
    EXPECT_TRUE(warnLocalTimeAsUtc(true, ZoneChoice(), ZonedClock(), first));
    // A second apart is a camera on UTC whose clock is a little off: nothing to say.
    const auto near = compareClocks(cameraClockStart("20260514120513.mp4").value(), utc(first.c_str()));
    EXPECT_FALSE(near->agreesToTheSecond());
    EXPECT_FALSE(warnLocalTimeAsUtc(near->agreesToTheSecond(), automatic, clockFor(automatic, 0, berlin), first));
}

TEST(ImportedTrack, CleaningDropsWhatCannotBePlaced)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<TrackPoint> points = {
        {48.1, 11.5, 100.0, {}}, {nan, 11.5, 101.0, {}},   {48.1, 181, 102.0, {}}, {91, 11.5, 103.0, {}},
        {48.2, 11.5, 104.0, {}}, {48.3, 11.5, 104.0, {}},  {48.4, 11.5, 99.0, {}},  {48.5, 11.5, {}, {}},
        {48.6, 11.5, 110.0, nan},
    };
    const PointCleaning r = cleanPoints(points);
    EXPECT_TRUE(r.timed);
    EXPECT_EQ(r.kept, 3u);
    EXPECT_EQ(r.offGlobe, 3u);
    EXPECT_EQ(r.outOfOrder, 2u);
    EXPECT_EQ(r.untimed, 1u);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_DOUBLE_EQ(points[2].latitude, 48.6);
    EXPECT_FALSE(points[2].speedKmh); // NaN speed forgotten, computed later

    std::vector<TrackPoint> untimed = {{48.1, 11.5, {}, {}}, {48.2, 11.5, {}, {}}, {48.3, 11.5, 5.0, {}}};
    const PointCleaning u = cleanPoints(untimed);
    EXPECT_FALSE(u.timed);
    EXPECT_EQ(u.kept, 3u);
    EXPECT_FALSE(untimed[2].utcSeconds);
}

TEST(ImportedTrack, PointsLandOnTheVideosSecondsAndTheNudgeMovesThem)
{
    const double start = double(utc("2026/05/14 12:00:00"));
    // 0.001 degrees of latitude every 4 s: about 111 m / 4 s = 100 km/h.
    std::vector<TrackPoint> points = {{48.000, 11.5, start - 2, {}}, {48.001, 11.5, start + 2, {}},
                                      {48.002, 11.5, start + 6, {}}};
    const Track t = placeOnVideo(points, {start, 0, 60, TrackDatum::Wgs84});
    ASSERT_EQ(trackSize(t), 7u);
    EXPECT_EQ((*t)[0].time, "2026/05/14 12:00:00");
    EXPECT_EQ((*t)[0].latitude, "48.000500");
    EXPECT_EQ((*t)[2].latitude, "48.001000");
    EXPECT_EQ((*t)[6].latitude, "48.002000");
    EXPECT_NEAR(leadingDouble((*t)[1].speed), 100.1, 0.2);
    EXPECT_EQ((*t)[0].longitude, "11.500000");

    // +1 s: what was at second 2 shows at second 3; before the first point the track waits.
    const Track later = placeOnVideo(points, {start, 1, 60, TrackDatum::Wgs84});
    ASSERT_EQ(trackSize(later), 8u);
    EXPECT_EQ((*later)[3].latitude, "48.001000");
    const Track tenth = placeOnVideo(points, {start, -0.1, 60, TrackDatum::Wgs84});
    EXPECT_EQ((*tenth)[2].latitude, "48.001025");
    const Track waiting = placeOnVideo(points, {start - 10, 0, 60, TrackDatum::Wgs84});
    EXPECT_EQ((*waiting)[0].latitude, "48.000000");
    EXPECT_EQ((*waiting)[0].speed, "0.0");
    // At a point's own second the speed is the one of the stretch that starts there.
    std::vector<TrackPoint> faster = points;
    faster[2].latitude = 48.003;
    EXPECT_NEAR(leadingDouble((*placeOnVideo(faster, {start, 0, 60, TrackDatum::Wgs84}))[2].speed), 200.1, 0.3);
    // A file's own speed is used when it has one.
    points[1].speedKmh = 30;
    points[2].speedKmh = 50;
    EXPECT_EQ((*placeOnVideo(points, {start, 0, 60, TrackDatum::Wgs84}))[4].speed, "40.0");
    // Out of the recording altogether: nothing.
    EXPECT_EQ(trackSize(placeOnVideo(points, {start + 3600, 0, 60, TrackDatum::Wgs84})), 0u);
    EXPECT_EQ(trackSize(placeOnVideo(points, {start - 3600, 0, 60, TrackDatum::Wgs84})), 0u);
    // Nor a file of another day while the recording's length is still unknown.
    EXPECT_EQ(trackSize(placeOnVideo(points, {start - 6 * 86400, 0, 0, TrackDatum::Wgs84})), 0u);
    EXPECT_EQ(trackSize(placeOnVideo(points, {start - 3600, 0, 0, TrackDatum::Wgs84})), 3607u);
    // The recording's length ends the track.
    EXPECT_EQ(trackSize(placeOnVideo(points, {start, 0, 3, TrackDatum::Wgs84})), 4u);

    // As the telemetry's lines, for exports: read back, the same samples, south and west kept.
    std::vector<TrackPoint> south = {{-33.868, -70.6, start, {}}, {-33.869, -70.601, start + 4, {}}};
    for (const Track &placed : {placeOnVideo(points, {start, 1.5, 60, TrackDatum::Wgs84}),
                                placeOnVideo(south, {start, 0, 60, TrackDatum::Wgs84})}) {
        const std::vector<std::string> lines = sampleLines(placed);
        ASSERT_EQ(lines.size(), trackSize(placed));
        const Track back = decodeGpsData(lines, TrackDatum::Wgs84);
        ASSERT_EQ(trackSize(back), trackSize(placed));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ((*back)[i].time, (*placed)[i].time) << lines[i];
            EXPECT_EQ((*back)[i].latitude, (*placed)[i].latitude) << lines[i];
            EXPECT_EQ((*back)[i].longitude, (*placed)[i].longitude) << lines[i];
            EXPECT_EQ((*back)[i].speed, (*placed)[i].speed) << lines[i];
        }
    }
    EXPECT_EQ(sampleLines(placeOnVideo(south, {start, 0, 60, TrackDatum::Wgs84}))[0],
              std::to_string(std::int64_t(start)) + " 2026/05/14 12:00:00 S:33.868000 W:70.600000 0.0 km/h x:0.00 y:0.00 z:0.00");
}

TEST(ImportedTrack, PointsWithoutTimesSpreadOverTheRecording)
{
    std::vector<TrackPoint> points = {{48.0, 11.5, {}, {}}, {48.1, 11.5, {}, {}}, {48.2, 11.5, {}, {}}};
    const double start = double(utc("2026/05/14 12:00:00"));
    const Track t = placeOnVideo(points, {start, 0, 20, TrackDatum::Wgs84});
    ASSERT_EQ(trackSize(t), 21u);
    EXPECT_EQ((*t)[10].latitude, "48.100000");
    EXPECT_EQ((*t)[5].latitude, "48.050000");
    EXPECT_EQ((*t)[20].time, "2026/05/14 12:00:20");
    // Unknown length: one point a second.
    EXPECT_EQ(trackSize(placeOnVideo(points, {start, 0, 0, TrackDatum::Wgs84})), 3u);
    EXPECT_EQ(trackSize(placeOnVideo({}, {start, 0, 20, TrackDatum::Wgs84})), 0u);
}
