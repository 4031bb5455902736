#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "telemetry/kalgpsblocks.h"
#include "telemetry/kalgpsstate.h"
#include "test_scanfixtures.h"

namespace {

// A 128-byte chunk of an AMBA track: the camera's lines, zero padded.
std::vector<unsigned char> chunk(const std::string& text)
{
    std::vector<unsigned char> out(128, 0);
    std::memcpy(out.data(), text.data(), std::min<size_t>(text.size(), 128));
    return out;
}

void amba(const std::string& text)
{
    const auto c = chunk(text);
    kalGpsAmbaInfo(c.data(), 128);
}

void putLe(std::vector<unsigned char>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

void putFloat(std::vector<unsigned char>& b, size_t at, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    putLe(b, at, v);
}

std::vector<unsigned char> record(char status, char lat, char lon)
{
    std::vector<unsigned char> b(44, 0);
    putLe(b, 0, 8);
    putLe(b, 4, 15);
    putLe(b, 8, 42);
    putLe(b, 12, 19);
    putLe(b, 16, 11);
    putLe(b, 20, 28);
    b[24] = static_cast<unsigned char>(status);
    b[25] = static_cast<unsigned char>(lat);
    b[26] = static_cast<unsigned char>(lon);
    b[27] = 'x';
    putFloat(b, 28, 2232.5f);
    putFloat(b, 32, 11356.0f);
    putFloat(b, 36, 19.5f);
    putFloat(b, 40, 270.0f);
    return b;
}

struct Camera : ::testing::Test {
    void SetUp() override { kalGpsResetDecodeState(0); }
    void TearDown() override { ClearSegmentList(); }
};

const char* kLines = "$GS,12,-34,1024$GP2019-11-28 08:15:42-N22.543210-E113.943210-S060";

} // namespace

TEST_F(Camera, AmbaChunkYieldsOneSample)
{
    amba(kLines);
    EXPECT_EQ(kalGpsVType(), 1);
    const auto s = fx::samples();
    ASSERT_EQ(s.size(), 1u);
    const RmcInfo& r = s[0];
    EXPECT_EQ(r.sampleIndex, 0);
    EXPECT_EQ(fx::stampOf(r), "2019/11/28 8:15:42 NE");
    EXPECT_EQ(r.latitude, 22.543210f);
    EXPECT_EQ(r.longitude, 113.943210f);
    EXPECT_EQ(r.speed, static_cast<float>(60 / 1.852));
    EXPECT_EQ(r.gsensorX, 12.0f);
    EXPECT_EQ(r.gsensorY, -34.0f);
    EXPECT_EQ(r.gsensorZ, 1024.0f);
    EXPECT_EQ(kalGpsState().prermcinfo.second, 42);
}

TEST_F(Camera, RepeatedTimeIsDroppedAndANewOneKept)
{
    amba(kLines);
    amba(kLines);
    amba("$GP2019-11-28 08:15:43-N22.5-E113.9-S000");
    const auto s = fx::samples();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[1].second, 43);
    // No G-sensor line: zeros, not the last chunk's values.
    EXPECT_EQ(s[1].gsensorX, 0.0f);
}

TEST_F(Camera, ChunksWithoutAPositionLineYieldNothing)
{
    amba("$GS,1,2,3$");
    amba(std::string(108, ' ') + "$GP2019-11-28 08:15:42-N22.5-E113.9-S000"); // starts past 107
    amba("");
    EXPECT_TRUE(fx::samples().empty());
    EXPECT_EQ(kalGpsVType(), 1);
    // Short and null chunks are read only as far as they go.
    const std::string text = "$GP2019-11-28 08:1";
    kalGpsAmbaInfo(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int32_t>(text.size()));
    kalGpsAmbaInfo(nullptr, 128);
    const auto s = fx::samples();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].minute, 1);
    EXPECT_EQ(s[0].latHemisphere, '\0');
}

TEST_F(Camera, ChunkWithoutZeroIsReadWithinItsBytes)
{
    std::vector<unsigned char> full(128, '7');
    std::memcpy(full.data(), "$GS,1,2,3", 9);
    kalGpsAmbaInfo(full.data(), 128); // no position line, no terminating zero anywhere
    EXPECT_TRUE(fx::samples().empty());
}

TEST_F(Camera, BinaryRecordsNeedAValidStatusAndLetters)
{
    RmcInfo r{};
    auto b = record('a', 'N', 'E');
    ASSERT_EQ(kalU8ToRmcinfo(b.data(), &r), 1);
    EXPECT_EQ(r.year, 2019);
    EXPECT_EQ(r.month, 11);
    EXPECT_EQ(r.day, 28);
    EXPECT_EQ(r.hour, 8);
    EXPECT_EQ(r.second, 42);
    EXPECT_NEAR(r.latitude, 22.541667f, 1e-5);
    EXPECT_NEAR(r.longitude, 113.933333f, 1e-5);
    EXPECT_EQ(r.speed, 19.5f);
    EXPECT_EQ(r.course, 270.0f);
    EXPECT_EQ(r.statusExtra, 'x');

    for (auto bad : {record('V', 'N', 'E'), record('A', 'X', 'E'), record('A', 'N', 'Q')}) {
        RmcInfo other{};
        EXPECT_EQ(kalU8ToRmcinfo(bad.data(), &other), 0);
        EXPECT_EQ(other.hour, 0);
        EXPECT_EQ(other.status, static_cast<char>(bad[24])); // letters are still copied
    }
    RmcInfo south{};
    auto s = record('A', 's', 'w');
    ASSERT_EQ(kalU8ToRmcinfo(s.data(), &south), 1);
    EXPECT_GT(south.latitude, 0); // the letter carries the hemisphere
}

TEST_F(Camera, AbsurdRecordValuesDoNotOverflow)
{
    auto b = record('A', 'N', 'E');
    putLe(b, 12, 0x7FFFFFFF);
    putFloat(b, 28, 3.0e38f);
    putFloat(b, 32, -3.0e38f);
    RmcInfo r{};
    ASSERT_EQ(kalU8ToRmcinfo(b.data(), &r), 1);
    kalGpsRmcToInfo(0, r);
    EXPECT_EQ(fx::samples().size(), 1u);
}

TEST(CoordinateRoutine, ExchangesUnitsAndFractions)
{
    float p = 0, q = 0;
    kalGpsGXEncode(&p, &q, 22.5f, 113.25f);
    // p = (113.25 - 110) * 0.6558 + 20, q = (22.5 - 20) * 0.6558 + 110
    EXPECT_FLOAT_EQ(p, static_cast<float>(3.25 * 0.6558 + 20));
    EXPECT_FLOAT_EQ(q, static_cast<float>(2.5 * 0.6558 + 110));
    kalGpsGXEncode(&p, &q, -22.5f, 113.25f);
    EXPECT_LT(p, 0);
    EXPECT_GT(q, 0);
    kalGpsGXEncode(&p, &q, 1e30f, -1e30f); // must not be undefined
    EXPECT_LT(q, 0);
    EXPECT_EQ(kalGpsPasswd(1234), 1234);
}
