#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "support/commalocale.h"
#include "track/numbertext.h"
#include "track/trackdecoder.h"

namespace {
const std::string kMunich = "1 2019/05/04 10:11:12 N:48.25 E:11.5 36.5 km/h x:0.01 y:-0.02 z:0.98";

void expectMunichSample(const GPSItem &s)
{
    EXPECT_EQ(s.time, "2019/05/04 10:11:12");
    EXPECT_EQ(s.latitude, "48.25");
    EXPECT_EQ(s.longitude, "11.5");
    EXPECT_EQ(s.speed, "36.5");
    EXPECT_EQ(s.gsensorX, double(0.01f));
    EXPECT_EQ(s.gsensorY, double(-0.02f));
    EXPECT_EQ(s.gsensorZ, double(0.98f));
}

GPSItem only(const Track &t)
{
    EXPECT_TRUE(t);
    EXPECT_EQ(trackSize(t), 1u);
    return t && !t->empty() ? t->front() : GPSItem();
}
} // namespace

TEST(DecodeGpsData, SampleLineJoinedUnitAndExtendedLineGiveTheSameSample)
{
    expectMunichSample(only(decodeGpsData({kMunich})));
    expectMunichSample(only(decodeGpsData({kMunich + ";"})));
    expectMunichSample(only(decodeGpsData({"1 2019/05/04 10:11:12 N:48.25 E:11.5 36.5km/h x:0.01 y:-0.02 z:0.98"})));
    expectMunichSample(only(decodeGpsData({kMunich + " A:12.5 H:3.0 V:1"})));
    expectMunichSample(only(decodeGpsData({"1 2019/05/04  10:11:12 N:48.25  E:11.5 36.5 km/h   x:0.01 y:-0.02 z:0.98"})));
}

TEST(DecodeGpsData, NoLinesIsNoTrackAndNoAcceptedLineIsAnEmptyOne)
{
    EXPECT_EQ(decodeGpsData({}), nullptr);
    const Track gsensorOnly = decodeGpsData({"0 2019/05/04 10:11:12 x:0.01 y:-0.02 z:0.98;", "", "   "});
    ASSERT_TRUE(gsensorOnly);
    EXPECT_TRUE(gsensorOnly->empty());
    // One item short of the shortest sample line (unit joined, no z): not a sample either.
    const Track shortLine = decodeGpsData({"1 2019/05/04 10:11:12 N:48.25 E:11.5 36.5km/h x:0.01 y:-0.02"});
    ASSERT_TRUE(shortLine);
    EXPECT_TRUE(shortLine->empty());
}

TEST(DecodeGpsData, FirstTokenGoesEvenWhenEmpty)
{
    // A leading space makes the first token empty: it is dropped instead of the sequence
    // number, so "1" becomes the date and the rest shifts by one.
    const GPSItem s = only(decodeGpsData({" " + kMunich}));
    EXPECT_EQ(s.time, "1 2019/05/04");
    EXPECT_EQ(s.latitude, "10:11:12");
}

TEST(DecodeGpsData, SortsStablyByTimeText)
{
    const Track t = decodeGpsData({
        "3 2019/05/04 10:11:14 N:48.25 E:11.5 30.0 km/h x:0 y:0 z:0",
        "1 2019/05/04 10:11:12 N:48.25 E:11.5 10.0 km/h x:0 y:0 z:0",
        "2 2019/05/04 10:11:13 N:48.25 E:11.5 20.0 km/h x:0 y:0 z:0",
        "9 2019/05/04 10:11:12 N:48.25 E:11.5 11.0 km/h x:0 y:0 z:0",
        "0 2018/12/31 23:59:59 N:48.25 E:11.5 99.0 km/h x:0 y:0 z:0",
    });
    ASSERT_EQ(trackSize(t), 5u);
    const char *speeds[] = {"99.0", "10.0", "11.0", "20.0", "30.0"};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ((*t)[i].speed, speeds[i]) << i;
}

TEST(DecodeGpsData, ConvertsInsideChinaUnlessAskedForWgs84)
{
    const std::string line = "5 2019/11/28 08:15:42 N:39.908692 E:116.397477 36.5 km/h x:0.12 y:-0.40 z:9.81;";
    const GPSItem gcj = only(decodeGpsData({line}));
    EXPECT_EQ(gcj.latitude, "39.910095");
    EXPECT_EQ(gcj.longitude, "116.403721");
    const GPSItem wgs = only(decodeGpsData({line}, TrackDatum::Wgs84));
    EXPECT_EQ(wgs.latitude, "39.908692");
    EXPECT_EQ(wgs.longitude, "116.397477");
}

TEST(DecodeGpsData, SouthAndWestBecomeNegativeOnce)
{
    // Binary records: positive number, hemisphere only in the letter.
    GPSItem s = only(decodeGpsData({"1 2020/01/01 00:00:00 S:33.868800 W:151.209300 0.0 km/h x:0 y:0 z:0"}));
    EXPECT_EQ(s.latitude, "-33.868800");
    EXPECT_EQ(s.longitude, "-151.209300");
    // Text blocks: already negative; the letter must not flip it back.
    s = only(decodeGpsData({"1 2020/01/01 00:00:00 S:-33.868800 W:-151.209300 0.0 km/h x:0 y:0 z:0"}));
    EXPECT_EQ(s.latitude, "-33.868800");
    EXPECT_EQ(s.longitude, "-151.209300");
    s = only(decodeGpsData({"1 2020/01/01 00:00:00 s:-33.868800 e:151.209300 0.0 km/h x:0 y:0 z:0"}));
    EXPECT_EQ(s.latitude, "-33.868800");
    EXPECT_EQ(s.longitude, "151.209300");
    // Lower-case letters and an explicit plus sign count the same.
    s = only(decodeGpsData({"1 2020/01/01 00:00:00 s:33.868800 w:151.209300 0.0 km/h x:0 y:0 z:0"}));
    EXPECT_EQ(s.latitude, "-33.868800");
    EXPECT_EQ(s.longitude, "-151.209300");
    s = only(decodeGpsData({"1 2020/01/01 00:00:00 S:+33.868800 W:+151.209300 0.0 km/h x:0 y:0 z:0"}));
    EXPECT_EQ(s.latitude, "-33.868800");
    EXPECT_EQ(s.longitude, "-151.209300");
    // A southern latitude with China's longitudes must not be taken for a Chinese position.
    s = only(decodeGpsData({"1 2020/01/01 00:00:00 S:39.908692 E:116.397477 0.0 km/h x:0 y:0 z:0"}));
    EXPECT_EQ(s.latitude, "-39.908692");
    EXPECT_EQ(s.longitude, "116.397477");
}

TEST(DecodeGpsData, MissingOrGlitchedLetterKeepsThePosition)
{
    // The library writes a missing or non-ASCII letter as "-"; the number still counts.
    GPSItem s = only(decodeGpsData({"1 2020/01/01 00:00:00 -:48.250000 E:11.500000 36.5 km/h x:0 y:0 z:1"}));
    EXPECT_EQ(s.latitude, "48.250000");
    EXPECT_EQ(s.longitude, "11.500000");
    EXPECT_EQ(s.speed, "36.5");
    s = only(decodeGpsData({"1 2020/01/01 00:00:00 N:48.250000 -:-11.500000 36.5 km/h x:0 y:0 z:1"}));
    EXPECT_EQ(s.longitude, "-11.500000");
    // A letter that reached us as UTF-8 all the same.
    s = only(decodeGpsData({"1 2020/01/01 00:00:00 \xC3\x84:48.250000 E:11.500000 36.5 km/h x:0 y:0 z:1"}));
    EXPECT_EQ(s.latitude, "48.250000");
}

TEST(DecodeGpsData, ShortFieldsReadAsZero)
{
    const GPSItem s = only(decodeGpsData({"1 2019/05/04 10:11:12 N:48.25 E:11.5 h/h x y: z:abc"}));
    EXPECT_EQ(s.speed, "0");
    EXPECT_EQ(s.gsensorX, 0.0);
    EXPECT_EQ(s.gsensorY, 0.0);
    EXPECT_EQ(s.gsensorZ, 0.0);
}

TEST(NumberText, ReadsTheLeadingDecimalNumberOnly)
{
    EXPECT_EQ(leadingDouble("36.5km/h"), 36.5);
    EXPECT_EQ(leadingDouble("  -1.5e2;"), -150.0);
    EXPECT_EQ(leadingDouble("+.25"), 0.25);
    EXPECT_EQ(leadingDouble("5e"), 5.0);
    EXPECT_EQ(leadingDouble("abc"), 0.0);
    EXPECT_EQ(leadingDouble(""), 0.0);
    EXPECT_EQ(leadingDouble("0x10"), 0.0);
    EXPECT_EQ(leadingDouble("nan"), 0.0);
    EXPECT_EQ(leadingDouble("inf"), 0.0);
    EXPECT_EQ(leadingDouble("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(leadingDouble("1e-999"), 0.0);
    EXPECT_EQ(leadingFloat("0.1"), 0.1f);
    // Printed back as printf would, the sign of a NaN included.
    EXPECT_EQ(fixedDecimals(1.5, 2), "1.50");
    EXPECT_EQ(fixedDecimals(std::numeric_limits<double>::quiet_NaN(), 1), "nan");
    EXPECT_EQ(fixedDecimals(-std::numeric_limits<double>::quiet_NaN(), 1), "-nan");
    EXPECT_EQ(fixedDecimals(-std::numeric_limits<double>::infinity(), 1), "-inf");
}

TEST(DecodeGpsData, GarbageNeverBreaksTheOrderOrTheCount)
{
    // Lines cut and spliced from valid ones, with stray spaces and bytes.
    const std::string pieces[] = {"1", "2019/05/04", "10:11:1", "N:", "S:-", "E:1e9", "W:", "36.5km/h", "km/h",
                                  "x:", "y:-", "z:9.8;", "", " ", "\xff", "A:1", "N:39.9", "E:116.4", "0x1p3", "nan"};
    std::vector<std::string> lines;
    unsigned seed = 12345;
    for (int i = 0; i < 5000; ++i) {
        std::string line;
        const int n = int(seed % 14);
        for (int k = 0; k < n; ++k) {
            seed = seed * 1103515245u + 12345u;
            line += pieces[(seed >> 8) % std::size(pieces)];
            line += (seed & 0x10000) ? " " : "  ";
        }
        seed = seed * 1103515245u + 12345u;
        lines.push_back(line);
    }
    const Track t = decodeGpsData(lines);
    ASSERT_TRUE(t);
    EXPECT_LE(t->size(), lines.size());
    EXPECT_GT(t->size(), 0u);
    for (std::size_t i = 1; i < t->size(); ++i)
        ASSERT_LE((*t)[i - 1].time, (*t)[i].time);
    for (const GPSItem &s : *t)
        EXPECT_NE(s.time.find(' '), std::string::npos);
}


TEST(DecodeGpsData, CommaLocaleChangesNothing)
{
    if (!useCommaLocale())
        GTEST_SKIP() << "no locale with a decimal comma available";
    const GPSItem s = only(decodeGpsData({"5 2019/11/28 08:15:42 N:39.908692 E:116.397477 36.5 km/h x:0.12 y:-0.40 z:9.81"}));
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(s.latitude, "39.910095");
    EXPECT_EQ(s.longitude, "116.403721");
    EXPECT_EQ(s.gsensorX, double(0.12f));
    EXPECT_EQ(s.gsensorZ, double(9.81f));
}
