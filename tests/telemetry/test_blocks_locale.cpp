// A Qt host sets the user's locale at start-up; a comma as decimal point must change nothing.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "kalgpsblocks.h"
#include "kalgpsoutput.h"
#include "kalgpsprotocol.h"
#include "kalgpsstate.h"

namespace {

// A locale whose decimal point is a comma: installed, or built for this test when the
// locale sources are at hand.
bool useCommaLocale()
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name))
            return true;
    }
    const auto dir = std::filesystem::temp_directory_path() / "trava-test-locale";
    std::filesystem::create_directories(dir);
    const std::string cmd = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 && !std::filesystem::exists(dir / "de_DE.UTF-8" / "LC_NUMERIC"))
        return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

} // namespace

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
