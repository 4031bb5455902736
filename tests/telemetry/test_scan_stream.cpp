// Transport streams, trailers, text files, the read callback and the committed real clips.
#include "test_scanfixtures.h"

#include "telemetry/kalgpsreader.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace fx;

namespace {

// One 188-byte packet: sync, the two header bytes, then the payload from byte 10.
Bytes packet(uint8_t b1, uint8_t b2, const Bytes& payload = {}, uint8_t sync = 0x47)
{
    Bytes p = {sync, b1, b2, 0x10};
    append(p, zeros(6));
    append(p, payload);
    p.resize(188, 0xFF);
    return p;
}

Bytes trailerOf(const Bytes& groupBytes)
{
    Bytes skip = atom("skip", groupBytes);
    return cat({skip, Bytes{'&', '&', '&', '&'}, be32(uint32_t(skip.size() + 8))});
}

} // namespace

TEST(ScanTs, OnlyTheTelemetryPidsAreRead)
{
    Bytes file = cat({packet(0x40, 0x00, group({text(9)})),  // PID 0 with the start flag: not ours
                      packet(0x43, 0x00, group({text(1)})), packet(0x01, 0x00),
                      packet(0x01, 0xE4, group({text(2)})), packet(0x00, 0x09, group({text(3)})),
                      packet(0x43, 0x00, group({text(8)}), 0x48),  // lost sync
                      packet(0x43, 0x00, group({text(4)}))});
    EXPECT_EQ(seconds(decodeBytes(file, "ts")), (std::vector<int>{1, 2, 3, 4}));
    // "mts" contains "ts": a transport stream too.
    EXPECT_EQ(decodeBytes(file, "mts").size(), 4u);
    // No resynchronisation: a stray byte shifts every later packet off the grid.
    Bytes shifted = cat({packet(0x43, 0x00, group({text(1)})), Bytes{0}, packet(0x43, 0x00, group({text(2)}))});
    EXPECT_EQ(seconds(decodeBytes(shifted, "TS")), (std::vector<int>{1}));
}

TEST(ScanTs, PayloadDecodesOneBlockWhoseGroupStartsEarly)
{
    // Two blocks do not fit into 178 bytes: only the first is read.
    EXPECT_EQ(seconds(decodeBytes(packet(0x43, 0x00, group({text(1), text(2)})), "ts")), (std::vector<int>{1}));
    // The group must start within the first 27 payload bytes to leave room for its block.
    EXPECT_EQ(decodeBytes(packet(0x43, 0x00, cat({zeros(26), group({text(1)})})), "ts").size(), 1u);
    EXPECT_TRUE(decodeBytes(packet(0x43, 0x00, cat({zeros(27), group({text(1)})})), "ts").empty());
    // Shorter than a packet: nothing.
    Bytes part = packet(0x43, 0x00, group({text(1)}));
    part.resize(187);
    EXPECT_TRUE(decodeBytes(part, "ts").empty());
}

TEST(ScanTs, TrailerWinsOverPackets)
{
    Bytes file = cat({packet(0x43, 0x00, group({text(1)})), trailerOf(group({text(30), text(31)}))});
    EXPECT_EQ(seconds(decodeBytes(file, "ts")), (std::vector<int>{30, 31}));
}

TEST(ScanTs, LocalFileIsReadInLargeBlocks)
{
    // 20000 packets (3.7 MB) with a telemetry packet every 2000.
    Bytes file;
    for (int i = 0; i < 20000; ++i)
        append(file, i % 2000 == 0 ? packet(0x43, 0x00, group({text(i / 2000)})) : packet(0x01, 0x00));
    TempFile f(file, "ts");
    uint64_t before = KalGpsFile::systemReads();
    EXPECT_EQ(decode(f.path()).size(), 10u);
    EXPECT_LT(KalGpsFile::systemReads() - before, 100u);
}

namespace {
std::vector<std::pair<uint64_t, uint64_t>> reports;
uint64_t stopAt = UINT64_MAX;
int recordProgress(uint64_t done, uint64_t total)
{
    reports.emplace_back(done, total);
    return done >= stopAt ? 1 : 0;
}
} // namespace

TEST(ScanTs, ProgressRisesToTheLengthAndCanAbandonTheDecode)
{
    // 40000 packets (7.5 MB), a telemetry packet every 4000: a few reports, each further on.
    Bytes file;
    for (int i = 0; i < 40000; ++i)
        append(file, i % 4000 == 0 ? packet(0x43, 0x00, group({text(i / 4000)})) : packet(0x01, 0x00));
    TempFile f(file, "ts");
    reports.clear();
    stopAt = UINT64_MAX;
    kalGpsProgressCallBack(recordProgress);
    EXPECT_EQ(decode(f.path()).size(), 10u);
    ASSERT_GE(reports.size(), 3u);
    EXPECT_LE(reports.size(), 20u);  // throttled: 1 MiB steps at least
    EXPECT_EQ(reports.front().first, 0u);
    EXPECT_EQ(reports.back(), std::make_pair(uint64_t(file.size()), uint64_t(file.size())));
    for (size_t i = 1; i < reports.size(); ++i)
        EXPECT_GT(reports[i].first, reports[i - 1].first);

    // Asked to stop past the first 2 MiB: the samples before it are kept, the rest never read.
    reports.clear();
    stopAt = 2u << 20;
    const size_t kept = decode(f.path()).size();
    EXPECT_GE(kept, 1u);
    EXPECT_LT(kept, 10u);
    EXPECT_LT(reports.back().first, uint64_t(file.size()));

    // The next decode starts afresh, and without a callback nothing is reported.
    kalGpsProgressCallBack(nullptr);
    reports.clear();
    EXPECT_EQ(decode(f.path()).size(), 10u);
    EXPECT_TRUE(reports.empty());
}

TEST(ScanTrailer, AviIsReadFromItsTrailerOnly)
{
    Bytes body = cat({atom("RIFF", zeros(400)), atom("skip", group({text(1)}))});
    EXPECT_EQ(seconds(decodeBytes(cat({body, trailerOf(group({text(2)}))}), "avi")), (std::vector<int>{2}));
    EXPECT_TRUE(decodeBytes(body, "AVI").empty());
    // The skip atom must be found on the 8-byte grid from the distance, at least 154 bytes before the end.
    Bytes skip = atom("skip", group({text(3)}));
    Bytes offGrid = cat({Bytes{0, 0, 0, 0}, skip, Bytes{'&', '&', '&', '&'}, be32(uint32_t(skip.size() + 8 + 5))});
    EXPECT_TRUE(decodeBytes(offGrid, "avi").empty());
    Bytes onGrid = cat({zeros(8), skip, Bytes{'&', '&', '&', '&'}, be32(uint32_t(skip.size() + 16))});
    EXPECT_EQ(decodeBytes(onGrid, "avi").size(), 1u);
    // A distance beyond the start of the file walks from the start, on its grid.
    Bytes far = cat({zeros(16), skip, Bytes{'&', '&', '&', '&'}, be32(uint32_t(skip.size() + 24 + 8000))});
    EXPECT_EQ(decodeBytes(far, "avi").size(), 1u);
    // A skip atom whose size runs to the very last byte of the file (over the trailer) is a region.
    Bytes toEnd = atom("skip", group({text(4)}));
    toEnd[3] = uint8_t(toEnd[3] + 8);
    Bytes endsAtEof = cat({zeros(8), toEnd, Bytes{'&', '&', '&', '&'}, be32(uint32_t(toEnd.size() + 8))});
    EXPECT_EQ(seconds(decodeBytes(endsAtEof, "avi")), (std::vector<int>{4}));
}

TEST(ScanText, TextFileYieldsItsFirstGroup)
{
    Bytes file = cat({Bytes{'l', 'o', 'g', '\n'}, group({text(1), text(2)}), group({text(5)})});
    EXPECT_EQ(seconds(decodeBytes(file, "txt")), (std::vector<int>{1, 2}));
    EXPECT_EQ(decodeBytes(file, "TXT").size(), 2u);
    EXPECT_TRUE(decodeBytes({}, "txt").empty());
    // "tstxt" contains "ts" first: scanned as packets, which it has none of.
    EXPECT_TRUE(decodeBytes(file, "tstxt").empty());
}

TEST(ScanCallback, CallbackReadsGiveTheSameLines)
{
    Bytes file = cat({atom("ftyp", zeros(8)), atom("mdat", zeros(5000)), atom("skip", group({text(1), text(2)}))});
    auto local = decodeBytes(file, "mp4");
    ASSERT_EQ(local.size(), 2u);

    MemorySource::data = file;
    MemorySource::calls = 0;
    kalGpsInit();
    kalGpsReadCallBack(&MemorySource::read);
    char* buf = nullptr;
    EXPECT_EQ(kalGpsDecode(&buf, "remote/recording.mp4", 1), 2);
    EXPECT_EQ(split(buf), local);
    EXPECT_GT(MemorySource::calls, 2);
    std::free(buf);

    // Without a callback nothing can be read.
    kalGpsReadCallBack(nullptr);
    buf = nullptr;
    EXPECT_EQ(kalGpsDecode(&buf, "remote/recording.mp4", 1), 0);
    EXPECT_EQ(buf, nullptr);
    kalGpsExit();
}

namespace {
Bytes liar;
// Claims to have copied far more than asked and reports absurd lengths.
int64_t overclaim(void* buffer, uint64_t offset, uint32_t length, int32_t mode)
{
    if (mode == 0)
        return int64_t(liar.size());
    if (offset < liar.size())
        std::memcpy(buffer, liar.data() + offset, std::min<uint64_t>(length, liar.size() - offset));
    return int64_t(length) + 100000;
}
int64_t negative(void*, uint64_t, uint32_t, int32_t mode)
{
    return mode == 0 ? 1 << 20 : -5;
}
} // namespace

TEST(ScanCallback, MisbehavingCallbacksStayInsideTheBuffers)
{
    liar = cat({packet(0x43, 0x00, group({text(1)})), packet(0x01, 0x00)});
    kalGpsInit();
    kalGpsReadCallBack(&overclaim);
    char* buf = nullptr;
    EXPECT_EQ(kalGpsDecode(&buf, "x.ts", 1), 1);
    std::free(buf);
    for (const char* path : {"x.ts", "x.mp4", "x.txt", "x.avi"}) {
        kalGpsReadCallBack(&negative);
        buf = nullptr;
        EXPECT_EQ(kalGpsDecode(&buf, path, 1), 0) << path;
        EXPECT_EQ(buf, nullptr);
    }
    kalGpsExit();
}

// A FIFO named like a recording has no writer: opening it for reading the usual way waits
// forever, and with it every decode queued behind. It is refused at once, as is a socket.
TEST(ScanStream, FifoNamedLikeARecordingIsRefusedWithoutWaiting)
{
    char dir[] = "/tmp/tscan-fifo-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/x.ts";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    std::atomic<bool> finished{false};
    int32_t found = -1;
    std::thread reader([&] {
        kalGpsInit();
        char* buf = nullptr;
        found = kalGpsDecode(&buf, path.c_str(), 0);
        std::free(buf);
        kalGpsExit();
        finished = true;
    });
    for (int i = 0; i < 300 && !finished; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(finished.load()) << "the decode waits for a writer";
    if (!finished) {
        // A writer that comes and goes ends the wait, so the failure does not hang the run.
        const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            close(fd);
    }
    reader.join();
    EXPECT_EQ(found, 0);
    KalGpsFile file;
    EXPECT_FALSE(file.open(path.c_str()));
    EXPECT_FALSE(file.open(dir));
    unlink(path.c_str());
    rmdir(dir);
}

TEST(ScanRealClips, EveryContainerOfTheCommittedClipsDecodes)
{
    const std::string dir = TRAVA_TEST_DATA;
    auto mp4 = decode(dir + "/clip-mp4-voka.mp4");
    ASSERT_EQ(mp4.size(), 4u);
    EXPECT_EQ(mp4[0], "0 2026/05/14 08:15:00 N:48.160076 E:11.585832 51.4 km/h x:0.02 y:0.02 z:1.01");
    auto mov = decode(dir + "/clip.mov");
    ASSERT_EQ(mov.size(), 4u);
    EXPECT_EQ(mov[0].substr(0, 44), "0 2026/05/15 17:42:10 N:22.537540 E:114.0271");
    auto ts = decode(dir + "/clip.ts");
    ASSERT_EQ(ts.size(), 3u);
    EXPECT_EQ(ts[2].substr(0, 21), "2 2026/05/14 08:20:02");
    auto avi = decode(dir + "/clip.avi");
    ASSERT_EQ(avi.size(), 3u);
    EXPECT_EQ(avi[0].substr(0, 21), "0 2026/05/14 08:25:00");
}

TEST(ScanLocal, MissingFilesAndDirectoriesYieldNothing)
{
    int count = -1;
    EXPECT_TRUE(decode("/nonexistent/dir/clip.mp4", &count).empty());
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(decode("/tmp/.", &count).empty());
    EXPECT_EQ(count, 0);
}
