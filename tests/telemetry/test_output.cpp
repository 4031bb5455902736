#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <string>

#include "telemetry/kalgpsoutput.h"
#include "test_scanfixtures.h"
#include "telemetry/kalgpsstate.h"

namespace {

RmcInfo sample(int32_t index)
{
    RmcInfo r{};
    r.sampleIndex = index;
    r.year = 2019;
    r.month = 1;
    r.day = 5;
    r.hour = 3;
    r.minute = 4;
    r.second = 5;
    r.latHemisphere = 'N';
    r.lonHemisphere = 'E';
    r.latitude = 22.5f;
    r.longitude = 113.25f;
    r.gsensorZ = 1.0f;
    return r;
}

struct ListFixture : ::testing::Test {
    KalList<RmcInfoNode> list;
    void add(const RmcInfo& r) { list_add_tail(kalGpsNewSampleNode(r), list); }
    void TearDown() override { list_free_all(list); }
};

} // namespace

TEST(LineFormat, SampleLineHasExactCharacters)
{
    EXPECT_EQ(fx::formatted(sample(7), KalLineFormat::Sample),
              "7 2019/01/05 03:04:05 N:22.500000 E:113.250000 0.0 km/h x:0.00 y:0.00 z:1.00;");
}

TEST(LineFormat, ExtendedAndGsensorLines)
{
    RmcInfo r = sample(-1);
    r.aValue = 90.25f;
    r.hValue = 12.0f;
    r.aPresent = 1;
    r.gsensorX = 0.12f;
    r.gsensorY = -0.4f;
    EXPECT_EQ(fx::formatted(r, KalLineFormat::Extended),
              "-1 2019/01/05 03:04:05 N:22.500000 E:113.250000 0.0 km/h x:0.12 y:-0.40 z:1.00 A:90.2 H:12.0 V:1;");
    // Unsigned in the G-sensor line.
    EXPECT_EQ(fx::formatted(r, KalLineFormat::Gsensor), "4294967295 2019/01/05 03:04:05 x:0.12 y:-0.40 z:1.00;");
}

TEST(LineFormat, SouthernLatitudeKeepsItsSignAfterTheLetter)
{
    RmcInfo r = sample(0);
    r.latHemisphere = 'S';
    r.latitude = -33.8688f;
    EXPECT_NE(fx::formatted(r, KalLineFormat::Sample).find(" S:-33.868801 "), std::string::npos);
}

TEST(LineFormat, MissingLetterDoesNotCutTheText)
{
    RmcInfo r = sample(0);
    r.latHemisphere = '\0';
    const std::string line = fx::formatted(r, KalLineFormat::Sample);
    EXPECT_NE(line.find(" -:22.500000 "), std::string::npos);
    EXPECT_EQ(line.back(), ';');
}

TEST(LineFormat, LettersThatAreNotPlainAsciiAreWrittenAsMissing)
{
    // A glitched byte must not leave the line invalid UTF-8 or split one of its items.
    for (char bad : {'\xC4', '\xFF', '\x80', ' ', '\n', '\x7F'}) {
        RmcInfo r = sample(0);
        r.latHemisphere = bad;
        r.lonHemisphere = 'W';
        const std::string line = fx::formatted(r, KalLineFormat::Sample);
        EXPECT_NE(line.find(" -:22.500000 W:113.250000 "), std::string::npos) << int(bad) << ": " << line;
        EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) { return c >= ' ' && c < 0x7F; })) << line;
    }
}

TEST_F(ListFixture, ThreeSamplesAreJoinedWithOneTerminatingZero)
{
    for (int i = 0; i < 3; ++i)
        add(sample(i));
    size_t size = 0;
    char* text = kalGpsWriteLines(list, 3, KalLineFormat::Sample, &size);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(size, 3 * kGpsLineRoom);
    const std::string one = fx::formatted(sample(0), KalLineFormat::Sample);
    const std::string expected = one + fx::formatted(sample(1), KalLineFormat::Sample) + fx::formatted(sample(2), KalLineFormat::Sample);
    EXPECT_EQ(std::string(text), expected);
    EXPECT_TRUE(list_empty(list));
    EXPECT_EQ(list.tail, nullptr);
    std::free(text);
}

TEST_F(ListFixture, AbsurdValuesGetRoomForEveryLine)
{
    // Each line is far longer than 132 characters; none may be cut or written past the buffer.
    RmcInfo r = sample(1);
    r.speed = FLT_MAX;
    r.latitude = -FLT_MAX;
    r.longitude = FLT_MAX;
    r.gsensorX = r.gsensorY = r.gsensorZ = -FLT_MAX;
    r.aValue = r.hValue = FLT_MAX;
    r.year = INT32_MIN;
    const std::string one = fx::formatted(r, KalLineFormat::Extended);
    ASSERT_GT(one.size(), kGpsLineRoom);
    ASSERT_LT(one.size(), kGpsLineMax);
    add(r);
    add(r);
    size_t size = 0;
    char* text = kalGpsWriteLines(list, 2, KalLineFormat::Extended, &size);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text), one + one);
    EXPECT_EQ(size, 2 * one.size() + 1);
    std::free(text);
}

TEST_F(ListFixture, EmptyListGivesAnEmptyText)
{
    char* text = kalGpsWriteLines(list, 0, KalLineFormat::Gsensor);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text[0], '\0');
    std::free(text);
}
