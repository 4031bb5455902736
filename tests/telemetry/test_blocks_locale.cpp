// A Qt host sets the user's locale at start-up; a comma as decimal point must change nothing.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/commalocale.h"
#include "telemetry/kalgpsblocks.h"
#include "telemetry/kalgpsoutput.h"
#include "telemetry/kalgpsprotocol.h"
#include "telemetry/kalgpsstate.h"


TEST(CommaLocale, DecodingAndLinesKeepTheDecimalPoint)
{
    if (!useCommaLocale())
        GTEST_SKIP() << "no locale with a decimal comma available";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5"); // the host's locale really is in effect

    kalGpsResetDecodeState(0);
    KalSetEncType(1);
    std::vector<unsigned char> group(20, 0);
    MakeHeader(group.data(), 1);
    const char* text = "2019/11/28 08:15:42 N:22.5 E:113.25 36.5 km/h x:0.10 y:-0.20 z:9.80";
    unsigned char block[132];
    ASSERT_EQ(MakeEncryptDataBlock(3, text, static_cast<int>(std::strlen(text)), block), 0);
    group.insert(group.end(), block, block + 132);
    KalSetEncType(0);
    kalGpsPaserInfo(group.data(), static_cast<int32_t>(group.size()));

    KalGpsState& s = kalGpsState();
    ASSERT_EQ(s.nGpsInfoCount, 1);
    EXPECT_EQ(s.gpsInfoHeadEx.head->info.latitude, 22.5f);
    EXPECT_EQ(s.gpsInfoHeadEx.head->info.speed, 36.5f);
    char* lines = kalGpsWriteLines(s.gpsInfoHeadEx, 1, KalLineFormat::Sample);
    ASSERT_NE(lines, nullptr);
    EXPECT_STREQ(lines, "3 2019/11/28 08:15:42 N:22.500000 E:113.250000 36.5 km/h x:0.10 y:-0.20 z:9.80;");
    std::free(lines);

    const std::string chunk = "$GS,1,2,3$GP2019-11-28 08:15:43-N22.5-E113.25-S010";
    std::vector<unsigned char> amba(128, 0);
    std::memcpy(amba.data(), chunk.data(), chunk.size());
    kalGpsAmbaInfo(amba.data(), 128);
    ASSERT_EQ(s.nGpsInfoCount, 2);
    EXPECT_EQ(s.gpsInfoHeadEx.head->info.longitude, 113.25f);
    ClearSegmentList();
    std::setlocale(LC_ALL, "C");
}
