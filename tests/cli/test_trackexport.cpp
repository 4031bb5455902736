#include <gtest/gtest.h>

#include "support/processrunner.h"
#include "support/trackbuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "track/datum.h"
#include "track/numbertext.h"
#include "cli/trackexport.h"
#include "cli/trackformats.h"

namespace fs = std::filesystem;

namespace {

const std::string kData = TRAVA_TEST_DATA;

struct Point {
    std::string lat, lon;
    bool operator==(const Point &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Point &p) { return os << p.lat << ',' << p.lon; }

std::string run(const std::string &command, int *status = nullptr)
{
    const ProcessOutcome r = runProcess(command);
    if (status)
        *status = r.code;
    return r.out;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("trava-export-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Exports and returns the output file's path.
    fs::path exportTo(const std::string &format, const std::string &datum, bool merge,
                      const std::vector<std::string> &paths, int expectedStatus = 0)
    {
        std::ostringstream out, err;
        EXPECT_EQ(exportTracks(format, datum, merge, paths, out, err), expectedStatus) << err.str();
        const fs::path file = dir / ("out." + format);
        std::ofstream(file) << out.str();
        return file;
    }

    // The track points as GPSBabel reads them back, to six decimals.
    std::vector<Point> readBack(const std::string &babelFormat, const fs::path &file)
    {
        const std::string csv = run("gpsbabel -t -i " + babelFormat + " -f '" + file.string() +
                                    "' -x nuketypes,waypoints,routes -o unicsv -F - 2>&1");
        std::vector<Point> points;
        std::istringstream lines(csv);
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line.rfind("No,Latitude,Longitude", 0), 0u) << csv;
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string no, lat, lon;
            std::getline(fields, no, ',');
            std::getline(fields, lat, ',');
            std::getline(fields, lon, ',');
            points.push_back({sixDecimals(leadingDouble(lat)), sixDecimals(leadingDouble(lon))});
        }
        return points;
    }

    bool wellFormed(const fs::path &file)
    {
        int status = -1;
        run("xmllint --noout '" + file.string() + "' 2>&1", &status);
        return status == 0;
    }

    // Valid against the published GPX 1.1 schema; the reasons otherwise.
    ::testing::AssertionResult validGpx(const fs::path &file)
    {
        int status = -1;
        const std::string out = run("xmllint --noout --nonet --schema '" + kData + "/gpx-1.1.xsd' '" +
                                    file.string() + "' 2>&1", &status);
        if (status == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << out;
    }

    fs::path dir;
};

// The Shenzhen clip, as stored (WGS-84).
const std::vector<Point> kShenzhen = {
    {"22.537540", "114.027100"}, {"22.537573", "114.027229"}, {"22.537605", "114.027359"}, {"22.537638", "114.027489"}};

std::vector<Point> toGcj02(const std::vector<Point> &points)
{
    std::vector<Point> out;
    for (const Point &p : points) {
        const Coordinate c = wgs84ToGcj02({leadingDouble(p.lat), leadingDouble(p.lon)});
        out.push_back({sixDecimals(c.latitude), sixDecimals(c.longitude)});
    }
    return out;
}

} // namespace

TEST_F(ExportTest, GpxReadsBackInBothDatums)
{
    fs::path gpx = exportTo("gpx", "wgs84", false, {kData + "/clip.mov"});
    EXPECT_TRUE(validGpx(gpx));
    EXPECT_EQ(readBack("gpx", gpx), kShenzhen);

    gpx = exportTo("gpx", "gcj02", false, {kData + "/clip.mov"});
    const std::vector<Point> gcj = toGcj02(kShenzhen);
    EXPECT_NE(gcj, kShenzhen);
    EXPECT_EQ(readBack("gpx", gpx), gcj);
}

TEST_F(ExportTest, KmlReadsBackAsTheSameLine)
{
    fs::path kml = exportTo("kml", "wgs84", false, {kData + "/clip.mov"});
    EXPECT_TRUE(wellFormed(kml));
    EXPECT_EQ(readBack("kml", kml), kShenzhen);
    kml = exportTo("kml", "gcj02", false, {kData + "/clip.mov"});
    EXPECT_EQ(readBack("kml", kml), toGcj02(kShenzhen));
}

TEST_F(ExportTest, MergeJoinsRecordingsInTimeOrderAndDropsRepeats)
{
    // Given newest first, and one recording twice.
    const std::vector<std::string> paths = {kData + "/clip.avi", kData + "/clip.ts", kData + "/clip-mp4-voka.mp4",
                                            kData + "/clip.ts"};
    const fs::path gpx = exportTo("gpx", "wgs84", true, paths);
    EXPECT_TRUE(validGpx(gpx));
    const std::vector<Point> points = readBack("gpx", gpx);
    ASSERT_EQ(points.size(), 10u);
    EXPECT_EQ(points[0], (Point{"48.160076", "11.585832"}));  // mp4, 08:15:00
    EXPECT_EQ(points[4], (Point{"48.157722", "11.585191"}));  // ts, 08:20:00
    EXPECT_EQ(points[7], (Point{"48.155529", "11.584385"}));  // avi, 08:25:00

    // Without --merge each recording is its own track, in the order given.
    const std::vector<Point> apart = readBack("gpx", exportTo("gpx", "wgs84", false, paths));
    ASSERT_EQ(apart.size(), 13u);
    EXPECT_EQ(apart[0], (Point{"48.155529", "11.584385"}));
}

TEST_F(ExportTest, CsvAndGeoJson)
{
    std::ostringstream out, err;
    ASSERT_EQ(exportTracks("csv", "wgs84", false, {kData + "/clip-mp4-voka.mp4"}, out, err), 0);
    std::istringstream csv(out.str());
    std::string header, first;
    std::getline(csv, header);
    std::getline(csv, first);
    EXPECT_EQ(header, "index,time,latitude,longitude,speed_kmh,gsensor_x,gsensor_y,gsensor_z\r");
    EXPECT_EQ(first, "0,2026-05-14T08:15:00,48.160076,11.585832,51.4,0.02,0.02,1.01\r");

    out.str("");
    ASSERT_EQ(exportTracks("csv", "wgs84", false, {kData + "/clip.ts"}, out, err), 0);
    EXPECT_NE(out.str().find("\n2,2026-05-14T08:20:02,48.157505,11.585131,44.0,0,0,1\r\n"), std::string::npos)
        << out.str();

    const fs::path json = exportTo("geojson", "wgs84", false, {kData + "/clip.mov"});
    int status = -1;
    const std::string n = run("python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); "
                              "g=d[\"features\"][0][\"geometry\"]; print(g[\"type\"], len(g[\"coordinates\"]), "
                              "g[\"coordinates\"][0], d[\"features\"][0][\"properties\"][\"times\"][0])' '" +
                              json.string() + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(n, "LineString 4 [114.0271, 22.53754] 2026-05-15T17:42:10\n");
}

TEST_F(ExportTest, ExitStatusTellsWhatWentWrong)
{
    std::ostringstream out, err;
    EXPECT_EQ(exportTracks("svg", "wgs84", false, {kData + "/clip.mov"}, out, err), 2);
    EXPECT_EQ(exportTracks("gpx", "osgb36", false, {kData + "/clip.mov"}, out, err), 2);
    EXPECT_EQ(exportTracks("gpx", "wgs84", false, {}, out, err), 2);

    const fs::path empty = dir / "empty.mp4";
    std::ofstream(empty) << "not a recording";
    err.str("");
    EXPECT_EQ(exportTracks("gpx", "wgs84", false, {empty.string(), kData + "/clip.mov"}, out, err), 1);
    EXPECT_NE(err.str().find("no telemetry in " + empty.string()), std::string::npos);

    err.str("");
    const fs::path gpx = exportTo("gpx", "wgs84", false, {(dir / "missing.mp4").string(), kData + "/clip.mov"}, 2);
    EXPECT_EQ(readBack("gpx", gpx), kShenzhen); // the readable file is still exported
}

TEST_F(ExportTest, TheAntimeridianIsWrittenAsMinus180Everywhere)
{
    auto samples = std::make_shared<std::vector<GPSItem>>();
    samples->emplace_back("2020/01/31 23:59:57", "179.999900", "-16.5", "30.0", 0, 0, 0);
    samples->emplace_back("2020/01/31 23:59:58", "180.000000", "-16.5", "30.0", 0, 0, 0);
    samples->emplace_back("2020/01/31 23:59:59", "179.9999996", "-16.5", "30.0", 0, 0, 0); // rounds to 180
    samples->emplace_back("2020/02/01 00:00:00", "-180.000000", "-16.5", "30.0", 0, 0, 0);
    const std::vector<NamedTrack> tracks = {{"fiji.mp4", samples}};

    const fs::path gpx = dir / "fiji.gpx";
    std::ofstream(gpx) << [&] { std::ostringstream o; writeGpx(tracks, o); return o.str(); }();
    EXPECT_TRUE(validGpx(gpx));
    for (auto write : {&writeCsv, &writeGpx, &writeKml, &writeGeoJson}) {
        std::ostringstream out;
        write(tracks, out);
        EXPECT_EQ(out.str().find("\"180.0"), std::string::npos) << out.str();
        EXPECT_EQ(out.str().find(",180.0"), std::string::npos) << out.str();
        EXPECT_EQ(out.str().find("[180.0"), std::string::npos) << out.str();
        EXPECT_NE(out.str().find("-180.000000"), std::string::npos) << out.str();
        EXPECT_NE(out.str().find("179.999900"), std::string::npos) << out.str();
    }
}

TEST_F(ExportTest, AChosenZoneWritesOffsetsAndGpxInUtc)
{
    auto samples = std::make_shared<std::vector<GPSItem>>();
    samples->emplace_back("2026/01/01 02:00:00", "11.5", "48.1", "30.0", 0, 0, 0);
    samples->emplace_back("2026/01/01 02:00:01", "11.5", "48.1", "30.0", 0, 0, 0);
    const std::vector<NamedTrack> zoned = {{"west.mp4", samples, ZonedClock::fixed(-18000)}};
    auto written = [&](auto write, const std::vector<NamedTrack> &tracks) {
        std::ostringstream o;
        write(tracks, o);
        return o.str();
    };
    EXPECT_NE(written(writeCsv, zoned).find("\n0,2025-12-31T21:00:00-05:00,48.100000"), std::string::npos);
    EXPECT_NE(written(writeGeoJson, zoned).find("\"times\":[\"2025-12-31T21:00:00-05:00\",\"2025-12-31T21:00:01-05:00\"]"),
              std::string::npos);
    EXPECT_NE(written(writeKml, zoned).find("<when>2025-12-31T21:00:00-05:00</when>"), std::string::npos);
    const std::string gpxText = written(writeGpx, zoned);
    EXPECT_NE(gpxText.find("<time>2026-01-01T02:00:00Z</time>"), std::string::npos) << gpxText;
    const fs::path gpx = dir / "west.gpx";
    std::ofstream(gpx) << gpxText;
    EXPECT_TRUE(validGpx(gpx));
    // As recorded, nothing changes: the same documents as a track without a clock.
    const std::vector<NamedTrack> plain = {{"west.mp4", samples}};
    const std::vector<NamedTrack> recorded = {{"west.mp4", samples, ZonedClock()}};
    for (auto write : {&writeCsv, &writeGpx, &writeKml, &writeGeoJson}) {
        EXPECT_EQ(written(write, recorded), written(write, plain));
        EXPECT_EQ(written(write, plain).find("-05:00"), std::string::npos);
    }
    EXPECT_NE(written(writeGpx, plain).find("<time>2026-01-01T02:00:00</time>"), std::string::npos);
}

TEST_F(ExportTest, HostileTextsStayWellFormed)
{
    const Track samples = makeTrack({
        makeSample({.time = "2019/05/04 10:11:12", .lat = "48.25", .lon = "11.5", .speed = "36.5"}),
        makeSample({.time = "<b>&\"\x01", .lat = "48.26", .lon = "11.6", .speed = "1e999"}),
        makeSample({.time = "2019/05/04 10:11:14", .lat = "95", .lon = "200", .speed = "0"}), // not on the globe
    });
    const std::vector<NamedTrack> tracks = {{"a&b<c>\"d\x02\xff\xc0\xaf\xed\xa0\x80.mp4", samples}};

    for (auto [format, write] : {std::pair{"gpx", &writeGpx}, std::pair{"kml", &writeKml}}) {
        const fs::path file = dir / (std::string("hostile.") + format);
        std::ofstream os(file);
        write(tracks, os);
        os.close();
        EXPECT_TRUE(wellFormed(file)) << format;
        if (std::string(format) == "gpx") {
            EXPECT_TRUE(validGpx(file));
        }
        EXPECT_EQ(readBack(format, file).size(), 2u) << format;
    }
    const fs::path json = dir / "hostile.geojson";
    std::ofstream os(json);
    writeGeoJson(tracks, os);
    os.close();
    int status = -1;
    const std::string name = run("python3 -c 'import json,sys; d=json.load(open(sys.argv[1], encoding=\"utf-8\")); "
                                 "print(ascii(d[\"features\"][0][\"properties\"][\"name\"]))' '" + json.string() + "'",
                                 &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(name, "'a&b<c>\"d\\x02\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd.mp4'\n");

    // Every format writes the same ISO 8601 time; one that is not a date and time is left out.
    std::ostringstream csv;
    writeCsv(tracks, csv);
    EXPECT_NE(csv.str().find("\n0,2019-05-04T10:11:12,48.250000,11.500000,36.5,0,0,0\r\n"), std::string::npos)
        << csv.str();
    EXPECT_NE(csv.str().find("\n1,,48.260000,11.600000,"), std::string::npos) << csv.str();
    std::ostringstream geo;
    writeGeoJson(tracks, geo);
    EXPECT_NE(geo.str().find("\"times\":[\"2019-05-04T10:11:12\",null]"), std::string::npos) << geo.str();

    // Tab, line feed and carriage return are XML's own and stay in a name; other controls go.
    std::ostringstream gpx;
    writeGpx({{"a\tb\x01" "c\r\n.mp4", samples}}, gpx);
    EXPECT_NE(gpx.str().find("<name>a\tbc\r\n.mp4</name>"), std::string::npos) << gpx.str();

    EXPECT_EQ(isoTime("2019/05/04 10:11:12"), "2019-05-04T10:11:12");
    EXPECT_EQ(isoTime("2019/05/04 10:11:1x"), "");
    EXPECT_EQ(isoTime("2019/05/04 10:11:123"), "");
}

// The library ends each sample line with ';'. A ';' before a ':' is a position's letter (any
// printable byte may stand there), not the end of the line.
TEST(SampleLines, SplitAtSemicolonsButNotAtALetter)
{
    EXPECT_EQ(splitSampleLines("1 2019/05/04 10:11:12 N:48.25;2 2019/05/04 10:11:13 ;:48.25 E:11.5;"),
              (std::vector<std::string>{"1 2019/05/04 10:11:12 N:48.25", "2 2019/05/04 10:11:13 ;:48.25 E:11.5"}));
    EXPECT_TRUE(splitSampleLines("").empty());
    EXPECT_TRUE(splitSampleLines(nullptr).empty());
}
