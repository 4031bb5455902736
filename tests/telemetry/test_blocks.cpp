#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "telemetry/kalgpsblocks.h"
#include "telemetry/kalgpsprotocol.h"
#include "telemetry/kalgpsstate.h"
#include "test_scanfixtures.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A block group as a camera writes it, made with the library's own writer.
Bytes group(const std::vector<std::string>& texts, int type = 1, int firstIndex = 0)
{
    KalSetEncType(type);
    Bytes out(20, 0);
    MakeHeader(out.data(), static_cast<int>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) {
        unsigned char block[132];
        EXPECT_EQ(MakeEncryptDataBlock(firstIndex + static_cast<int>(i), texts[i].c_str(),
                                       static_cast<int>(texts[i].size()), block),
                  0);
        out.insert(out.end(), block, block + 132);
    }
    KalSetEncType(0);
    return out;
}

void decode(const Bytes& b)
{
    kalGpsPaserInfo(b.data(), static_cast<int32_t>(b.size()));
}

const char* kText = "2019/11/28 08:15:42 N:22.5 E:113.9 36.5 km/h x:0.10 y:-0.20 z:9.80";

struct Blocks : ::testing::Test {
    void SetUp() override
    {
        kalGpsResetDecodeState(0);
        kalGpsState().rmcinfoTemp = RmcInfo{};
    }
    void TearDown() override { ClearSegmentList(); }
};

} // namespace

TEST_F(Blocks, PlainTextBlockYieldsOneSample)
{
    decode(group({kText}, 2, 12));
    const auto s = fx::samples();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(kalGpsState().nGpsInfoCount, 1);
    EXPECT_EQ(kalGpsVType(), 2);
    const RmcInfo& r = s[0];
    EXPECT_EQ(r.sampleIndex, 12);
    EXPECT_EQ(fx::stampOf(r), "2019/11/28 8:15:42 NE");
    EXPECT_EQ(r.latitude, 22.5f);
    EXPECT_EQ(r.longitude, 113.9f); // read straight into a float
    EXPECT_EQ(r.speed, 36.5f);
    EXPECT_EQ(r.gsensorX, 0.10f);
    EXPECT_EQ(r.gsensorY, -0.20f);
    EXPECT_EQ(r.gsensorZ, 9.80f);
    EXPECT_EQ(r.aPresent, 0);
    EXPECT_EQ(kalGpsState().prermcinfo.second, 42);
}

TEST_F(Blocks, GluedUnitGivesTheSameSample)
{
    decode(group({"2019/11/28 08:15:42 N:22.5 E:113.9 36.5km/h x:0.10 y:-0.20 z:9.80"}));
    const auto s = fx::samples();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].speed, 36.5f);
    EXPECT_EQ(s[0].gsensorX, 0.10f);
    EXPECT_EQ(s[0].gsensorZ, 9.80f);
}

TEST_F(Blocks, AxisLimitsAndSouthWest)
{
    decode(group({"2019/11/28 08:15:42 S:33.8688 W:151.2 10 km/h x:25.0 y:-19.6 z:-20.0",
                  "2019/11/28 08:15:43 s:-33.8688 w:151.2 10 km/h x:1 y:19.7 z:-20.5"}));
    const auto s = fx::samples();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].latitude, -33.8688f);
    EXPECT_EQ(s[0].latHemisphere, 'S');
    EXPECT_EQ(s[0].longitude, -151.2f);
    EXPECT_EQ(s[0].gsensorX, 0.0f);
    EXPECT_EQ(s[0].gsensorZ, -20.0f);
    EXPECT_EQ(s[1].latitude, -33.8688f);
    EXPECT_EQ(s[1].gsensorY, 0.0f);
    EXPECT_EQ(s[1].gsensorZ, 0.0f);
}

TEST_F(Blocks, ItemsCarryOverFromTheLastBlockThatHadThem)
{
    decode(group({"2019/11/28 08:15:42 N:22.5 E:113.9 36.5 km/h x:0.10 y:-0.20 z:9.80 A:45.5 M:W2.5 H:12",
                  "2019/11/28 08:15:43 N:22.6 E:114.0 40 km/h",
                  "2019/11/28 08:15:44 N:22.7 E:114.1 41 km/h x:1.5"}));
    const auto s = fx::samples();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].aPresent, 1);
    EXPECT_EQ(s[0].aValue, 45.5f);
    EXPECT_EQ(s[0].mValue, -2.5f);
    EXPECT_EQ(s[0].hValue, 12.0f);
    // Without G-sensor items: the last block's values, and aPresent back to 0.
    EXPECT_EQ(s[1].aPresent, 0);
    EXPECT_EQ(s[1].gsensorX, 0.10f);
    EXPECT_EQ(s[1].gsensorZ, 9.80f);
    EXPECT_EQ(s[1].aValue, 45.5f);
    EXPECT_EQ(s[1].speed, 40.0f);
    // A lone x item updates only X.
    EXPECT_EQ(s[2].gsensorX, 1.5f);
    EXPECT_EQ(s[2].gsensorY, -0.20f);
    // A later transport-stream payload of the same file still carries them.
    decode(group({"2019/11/28 08:15:45 N:22.8 E:114.2 42 km/h"}));
    ASSERT_EQ(fx::samples().size(), 4u);
    EXPECT_EQ(fx::samples()[3].gsensorX, 1.5f);
    EXPECT_EQ(fx::samples()[3].gsensorZ, 9.80f);
    // The next file starts clean: no G-sensor or angle values of the recording before it.
    kalGpsResetDecodeState(0);
    decode(group({"2019/11/28 09:00:00 N:23 E:114 0 km/h"}));
    ASSERT_EQ(fx::samples().size(), 1u);
    EXPECT_EQ(fx::samples()[0].gsensorX, 0.0f);
    EXPECT_EQ(fx::samples()[0].gsensorZ, 0.0f);
    EXPECT_EQ(fx::samples()[0].aValue, 0.0f);
    EXPECT_EQ(fx::samples()[0].hValue, 0.0f);
}

TEST_F(Blocks, AnyItemAfterZMarksAPresent)
{
    decode(group({std::string(kText) + " Q:1", std::string(kText) + " A:", std::string(kText) + " A:1 M:e3 H:4"}));
    const auto s = fx::samples();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].aPresent, 1);
    EXPECT_EQ(s[1].aPresent, 1);
    EXPECT_EQ(s[2].mValue, 3.0f);
    EXPECT_EQ(s[2].hValue, 4.0f);
}

TEST_F(Blocks, TextsThatStopBeforeTheSpeedYieldNothing)
{
    decode(group({"2019/11/28 08:15:42 N:22.5 E:113.9", "2019/11/28 08:15:42 N:22.5 E:113.9 36.5",
                  "2019/11/28 08:15:42 N:22.5 E:113.9 36.5 km/h", "garbage"}));
    const auto s = fx::samples();
    // Only the text that reaches the unit item yields a record.
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].sampleIndex, 2);
}

TEST_F(Blocks, XFoundPastTheSpeedTokenIsReadAtOnce)
{
    // The unit item is not "km": the x item within 20 characters is taken as the G-sensor.
    decode(group({"2019/11/28 08:15:42 N:22.5 E:113.9 36.5 mph x:0.30 y:0.40 z:0.50"}));
    auto s = fx::samples();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].gsensorX, 0.30f);
    EXPECT_EQ(s[0].gsensorZ, 0.50f);
    EXPECT_EQ(s[0].aPresent, 0);
}

TEST_F(Blocks, GroupRules)
{
    // Type 3 is refused and leaves mType alone.
    Bytes bad = group({kText}, 3);
    decode(bad);
    EXPECT_TRUE(fx::samples().empty());
    EXPECT_EQ(kalGpsVType(), 0);
    // Zero count.
    Bytes zero = group({kText}, 5);
    std::memset(zero.data() + 16, 0, 4);
    decode(zero);
    EXPECT_TRUE(fx::samples().empty());
    EXPECT_EQ(kalGpsVType(), 5);
    // The count limits the blocks read; garbage before the magic is skipped.
    Bytes two = group({kText, kText, kText});
    two[16] = 2;
    two.insert(two.begin(), 50, 'z');
    decode(two);
    EXPECT_EQ(fx::samples().size(), 2u);
    // A second group in the same buffer is ignored.
    ClearSegmentList();
    Bytes both = group({kText});
    const Bytes more = group({kText, kText});
    both.insert(both.end(), more.begin(), more.end());
    decode(both);
    EXPECT_EQ(fx::samples().size(), 1u);
}

TEST_F(Blocks, TruncatedAndOddBuffersStayInside)
{
    const Bytes g = group({kText, kText});
    // Cut inside the second block: only the first is read.
    for (size_t cut = 0; cut <= g.size(); ++cut) {
        ClearSegmentList();
        Bytes part(g.begin(), g.begin() + static_cast<long>(cut)); // exact size so ASan sees overreads
        kalGpsPaserInfo(part.data(), static_cast<int32_t>(part.size()));
        const size_t expected = cut >= 20 + 264 ? 2 : cut >= 20 + 132 ? 1 : 0;
        ASSERT_EQ(fx::samples().size(), expected) << "cut " << cut;
    }
    kalGpsPaserInfo(nullptr, 100);
    kalGpsPaserInfo(g.data(), -5);
}

TEST_F(Blocks, TransportPayloadHoldsAtMostOneBlock)
{
    // A 178-byte payload: the magic must start within its first 27 bytes.
    const Bytes g = group({kText, kText});
    for (size_t at : {0u, 26u, 27u}) {
        ClearSegmentList();
        Bytes payload(178, 0xFF);
        std::copy(g.begin(), g.begin() + static_cast<long>(std::min(g.size(), payload.size() - at)),
                  payload.begin() + static_cast<long>(at));
        decode(payload);
        EXPECT_EQ(fx::samples().size(), at <= 26 ? 1u : 0u) << "magic at " << at;
    }
}

TEST_F(Blocks, BlocksAreFoundAfterGapsAndInvalidPackingIsParsedAsFarAsUnpacked)
{
    Bytes g = group({kText, kText}, 1, 7);
    // Bytes between the blocks: the search finds the next "####".
    g.insert(g.begin() + 20 + 132, 30, 0);
    // Corrupt a group header of the second block: the date and time before it survive,
    // so the text stops before the position and yields nothing.
    g[20 + 132 + 30 + 8 + 28] = 0x25;
    decode(g);
    const auto s = fx::samples();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].sampleIndex, 7);
}

TEST_F(Blocks, UnpackedBlocksAreStillRead)
{
    // Packing type 0 writes raw blocks without "####": nothing can be found.
    KalSetEncType(0);
    Bytes out(20, 0);
    MakeHeader(out.data(), 1);
    out[15] = 1;
    unsigned char block[132];
    ASSERT_EQ(MakeEncryptDataBlock(0, kText, static_cast<int>(std::strlen(kText)), block), 0);
    out.insert(out.end(), block, block + 132);
    decode(out);
    EXPECT_TRUE(fx::samples().empty());
}

TEST(RmcToInfo, DegreesMinutesAreConverted)
{
    kalGpsResetDecodeState(0);
    RmcInfo r{};
    r.latitude = 2232.5f;
    r.longitude = 11356.0f;
    kalGpsRmcToInfo(3, r);
    r.latitude = 22.5f;
    r.longitude = 200.0f; // one out of range converts both
    kalGpsRmcToInfo(4, r);
    r.latitude = -3.4e38f;
    r.longitude = 3.4e38f; // absurd values convert without undefined behaviour
    kalGpsRmcToInfo(5, r);
    const auto s = fx::samples();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(kalGpsState().nGpsInfoCount, 3);
    char text[64];
    std::snprintf(text, sizeof text, "%.06f %.06f", s[0].latitude, s[0].longitude);
    EXPECT_STREQ(text, "22.541666 113.933334"); // 22.541667 and 113.933333, nearest floats
    EXPECT_EQ(s[0].sampleIndex, 3);
    EXPECT_NEAR(s[1].latitude, 0.375f, 1e-6);
    EXPECT_NEAR(s[1].longitude, 2.0f, 1e-6);
    ClearSegmentList();
}

TEST(RmcToInfo, AppendsStayInOrderOnALongTrack)
{
    kalGpsResetDecodeState(0);
    RmcInfo r{};
    r.latitude = 1;
    for (int i = 0; i < 100000; ++i)
        kalGpsRmcToInfo(i, r);
    EXPECT_EQ(kalGpsState().nGpsInfoCount, 100000);
    EXPECT_EQ(kalGpsState().gpsInfoHeadEx.tail->info.sampleIndex, 99999);
    ClearSegmentList();
}
