// Atom walks of MP4/MOV recordings: where each camera stores its telemetry, and hostile sizes.
#include "test_scanfixtures.h"

#include <chrono>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include "telemetry/kalgpsscan.h"

using namespace fx;

namespace {

const Bytes kFtyp = atom("ftyp", cat({Bytes{'i', 's', 'o', 'm'}, zeros(4)}));  // 16 bytes
constexpr uint32_t kMdatData = 16 + 8;  // first payload byte of an mdat that follows kFtyp

Bytes mdat(const Bytes& payload)
{
    return atom("mdat", payload);
}

// moov/trak/mdia/minf/stbl around the given sample-table children.
Bytes track(const Bytes& stblChildren, const Bytes& trakHead = {})
{
    return atom("trak", cat({trakHead, atom("mdia", atom("minf", atom("stbl", stblChildren)))}));
}

Bytes stsd(const char* format, const Bytes& entryBody = zeros(8))
{
    return atom("stsd", cat({zeros(4), be32(1), atom(format, entryBody)}));
}

Bytes stco(const std::vector<uint32_t>& offsets)
{
    Bytes b = cat({zeros(4), be32(uint32_t(offsets.size()))});
    for (uint32_t c : offsets)
        append(b, be32(c));
    return atom("stco", b);
}

Bytes tkhd(uint32_t id)
{
    return atom("tkhd", cat({zeros(12), be32(id), zeros(64)}));
}

// 'gps ' atom: version/count words, then (offset, length) pairs.
Bytes gpsTable(const std::vector<std::pair<uint32_t, uint32_t>>& entries)
{
    Bytes b = cat({be32(0x101), be32(uint32_t(entries.size()))});
    for (auto [off, len] : entries)
        append(b, cat({be32(off), be32(len)}));
    return atom("gps ", b);
}

int dataVersionOf(const Bytes& bytes, const std::string& ext)
{
    TempFile f(bytes, ext);
    kalGpsInit();
    char* buf = nullptr;
    kalGpsDecode(&buf, f.path().c_str(), 0);
    std::free(buf);
    int v = kalGpsDataVersion();
    kalGpsExit();
    return v;
}

} // namespace

TEST(ScanMp4, SkipAtomAfterTheMediaIsDecodedInTheFirstPass)
{
    Bytes file = cat({kFtyp, mdat(zeros(4000)), atom("moov", atom("mvhd", zeros(100))),
                      atom("skip", group({text(0), text(1), text(2)}))});
    auto lines = decodeBytes(file, "mp4");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "0 2019/11/28 10:00:00 N:22.500000 E:113.900002 36.5 km/h x:0.10 y:-0.20 z:9.80");
    EXPECT_EQ(seconds(lines), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(dataVersionOf(file, "mp4"), 1);
}

TEST(ScanMp4, TrailerWinsOverTheAtoms)
{
    Bytes trailer = atom("skip", group({text(20)}));
    Bytes file = cat({kFtyp, atom("skip", group({text(10), text(11)})), mdat(zeros(500)), trailer,
                      Bytes{'&', '&', '&', '&'}, be32(uint32_t(trailer.size() + 8))});
    EXPECT_EQ(seconds(decodeBytes(file, "mp4")), (std::vector<int>{20}));

    // A distance below 154 finds no trailer region: the atoms are walked instead.
    Bytes shortTrailer = atom("skip", zeros(8));
    Bytes file2 = cat({kFtyp, atom("skip", group({text(10), text(11)})), shortTrailer, Bytes{'&', '&', '&', '&'},
                       be32(uint32_t(shortTrailer.size() + 8))});
    EXPECT_EQ(seconds(decodeBytes(file2, "mp4")), (std::vector<int>{10, 11}));
}

TEST(ScanMp4, SixtyFourBitSizesAreFollowed)
{
    // mdat with a 64-bit size: the next atom starts at p + that size.
    Bytes media = zeros(3000);
    Bytes bigMdat = cat({be32(1), Bytes{'m', 'd', 'a', 't'}, be64(16 + media.size()), media});
    // A skip atom with a 64-bit size is a region like any other.
    Bytes g = group({text(5)});
    Bytes bigSkip = cat({be32(1), Bytes{'s', 'k', 'i', 'p'}, be64(16 + g.size()), g});
    EXPECT_EQ(seconds(decodeBytes(cat({kFtyp, bigMdat, bigSkip}), "mov")), (std::vector<int>{5}));
}

TEST(ScanMp4, GpmdTrackChunksAreRegionsOf820Bytes)
{
    Bytes g1 = group({text(1), text(2)});
    Bytes g2 = group({text(3)});
    Bytes payload = cat({g1, zeros(820 - g1.size()), g2, zeros(900)});
    uint32_t c1 = kMdatData, c2 = kMdatData + 820;
    Bytes file = cat({kFtyp, mdat(payload), atom("moov", track(cat({stsd("gpmd"), stco({c1, c2})})))});
    EXPECT_EQ(seconds(decodeBytes(file, "MOV")), (std::vector<int>{1, 2, 3}));

    // The same chunks without the gpmd sample description are not telemetry.
    Bytes plain = cat({kFtyp, mdat(payload), atom("moov", track(cat({stsd("avc1"), stco({c1, c2})})))});
    EXPECT_TRUE(decodeBytes(plain, "mov").empty());
}

namespace {

Bytes ambaChunk(const std::string& lines)
{
    Bytes c = {0, 0};  // the lines start two bytes into the chunk
    append(c, lines);
    c.resize(200, 0);
    return c;
}

Bytes ambaFile(bool markFirst)
{
    std::vector<uint32_t> chunks;
    Bytes payload;
    for (const char* t : {"10:00:01", "10:00:01", "10:00:02"}) {
        chunks.push_back(kMdatData + uint32_t(payload.size()));
        append(payload, ambaChunk(std::string("$GS:12,-3,981$GP2019-11-28 ") + t + "-N22.5-E113.9-S040$"));
    }
    Bytes udta = atom("udta", atom("AMBA", zeros(8)));
    Bytes trak = track(stco(chunks), tkhd(3));
    Bytes moov = markFirst ? atom("moov", cat({udta, trak})) : atom("moov", cat({trak, udta}));
    return cat({kFtyp, mdat(payload), moov});
}

} // namespace

TEST(ScanMp4, AmbaTrackThreeYieldsOneSamplePerNewTime)
{
    auto lines = decodeBytes(ambaFile(true), "mp4");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(seconds(lines), (std::vector<int>{1, 2}));
    EXPECT_NE(lines[0].find("N:22.500000 E:113.900002 21.6 km/h x:12.00 y:-3.00 z:981.00"), std::string::npos)
        << lines[0];
    EXPECT_EQ(dataVersionOf(ambaFile(true), "mp4"), 1);
    // The mark is judged where the chunk table is met: after the tracks it comes too late.
    EXPECT_TRUE(decodeBytes(ambaFile(false), "mp4").empty());
}

TEST(ScanMp4, UdtaWithGpsChildIsARegion)
{
    Bytes file = cat({kFtyp, mdat(zeros(64)), atom("moov", atom("udta", atom("GPS ", group({text(7)}))))});
    EXPECT_EQ(seconds(decodeBytes(file, "mp4")), (std::vector<int>{7}));
}

TEST(ScanMp4, GpsTableRegionsAreTextBlocksFirst)
{
    Bytes g1 = group({text(1)}), g2 = group({text(2)});
    Bytes payload = cat({g1, g2});
    uint32_t o1 = kMdatData, o2 = kMdatData + uint32_t(g1.size());
    Bytes moov = atom("moov", gpsTable({{o1, uint32_t(g1.size())}, {0, 50}, {o2, 0},
                                        {o2, 0x7FFFFFF0u}, {o2, uint32_t(g2.size())}}));
    EXPECT_EQ(seconds(decodeBytes(cat({kFtyp, mdat(payload), moov}), "mp4")), (std::vector<int>{1, 2}));
}

TEST(ScanMp4, GpsTableRegionsFallBackToBinaryRecords)
{
    Bytes padded = cat({Bytes{'G', 'P', 'S', ' '}, le32(76), zeros(32), record(4)});
    std::vector<Bytes> blocks = {freeGps(record(1)), freeGps(record(2, 2232.5f, 11356.0f, 'V')),
                                 atom("free", zeros(60)), freeGps(record(3)), atom("free", padded)};
    Bytes payload;
    std::vector<std::pair<uint32_t, uint32_t>> entries;
    for (const Bytes& b : blocks) {
        entries.push_back({kMdatData + uint32_t(payload.size()), uint32_t(b.size())});
        append(payload, b);
    }
    Bytes file = cat({kFtyp, mdat(payload), atom("moov", gpsTable(entries))});
    auto lines = decodeBytes(file, "mov");
    ASSERT_EQ(lines.size(), 3u);
    // The index is the region's ordinal, skipped regions counted.
    EXPECT_EQ(lines[0], "0 2019/11/28 10:00:01 N:22.541666 E:113.933334 42.0 km/h x:0.00 y:0.00 z:0.00");
    EXPECT_EQ(lines[1].substr(0, 22), "3 2019/11/28 10:00:03 ");
    EXPECT_EQ(lines[2].substr(0, 22), "4 2019/11/28 10:00:04 ");
    EXPECT_EQ(dataVersionOf(file, "mov"), 5);

    // A declared record length of 71, the largest of the short layout, still puts the record right
    // behind the header; a lower-case status leaves that rule as the only one that can find it.
    Bytes longest = atom("free", cat({Bytes{'G', 'P', 'S', ' '}, le32(71), record(5, 2232.5f, 11356.0f, 'a'), zeros(27)}));
    Bytes one = cat({kFtyp, mdat(longest), atom("moov", gpsTable({{kMdatData, uint32_t(longest.size())}}))});
    lines = decodeBytes(one, "mov");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 22), "0 2019/11/28 10:00:05 ");
}

namespace {

// An audio track of 16-bit mono 'sowt' at 8000 Hz whose chunks carry GPS data: one 'free'
// header 64 KiB into each chunk and the payload right behind it.
Bytes sowtFile(const std::vector<Bytes>& payloads, uint32_t payloadShift)
{
    Bytes entry = cat({zeros(8), zeros(8), Bytes{0, 1, 0, 16}, zeros(4), be32(8000u << 16)});
    std::vector<uint32_t> chunks;
    Bytes media;
    for (const Bytes& p : payloads) {
        uint32_t c = kMdatData + uint32_t(media.size());
        chunks.push_back(c);
        Bytes chunk = zeros(65536);
        append(chunk, cat({be32(8 + 200), Bytes{'f', 'r', 'e', 'e', 'G', 'P', 'S', ' '}}));
        chunk.resize(payloadShift, 0);
        append(chunk, p);
        chunk.resize(65536 + 400, 0);
        append(media, chunk);
    }
    return cat({kFtyp, mdat(media), atom("moov", track(cat({stsd("sowt", entry), stco(chunks)})))});
}

} // namespace

TEST(ScanMp4, AudioChunksCarryTextBlocks)
{
    Bytes file = sowtFile({group({text(1)}), group({text(2)})}, 65552);
    EXPECT_EQ(seconds(decodeBytes(file, "mp4")), (std::vector<int>{1, 2}));
}

TEST(ScanMp4, AudioChunksCarryBinaryRecordsOneSecondOfAudioIn)
{
    // 16000 bytes of audio a second round up to 32768: the record block sits there.
    Bytes file = sowtFile({}, 0);
    Bytes media;
    std::vector<uint32_t> chunks;
    for (int s : {1, 2}) {
        chunks.push_back(kMdatData + uint32_t(media.size()));
        Bytes chunk = zeros(32768);
        append(chunk, freeGps(record(s)));
        chunk.resize(65536, 0);
        append(chunk, cat({be32(208), Bytes{'f', 'r', 'e', 'e', 'G', 'P', 'S', ' '}}));
        chunk.resize(65536 + 400, 0);
        append(media, chunk);
    }
    Bytes entry = cat({zeros(16), Bytes{0, 1, 0, 16}, zeros(4), be32(8000u << 16)});
    file = cat({kFtyp, mdat(media), atom("moov", track(cat({stsd("sowt", entry), stco(chunks)})))});
    EXPECT_EQ(seconds(decodeBytes(file, "mp4")), (std::vector<int>{1, 2}));
    EXPECT_EQ(dataVersionOf(file, "mp4"), 5);
}

TEST(ScanMp4, HostileSizesEndQuietly)
{
    Bytes g = group({text(1)});
    const std::vector<Bytes> files = {
        cat({be32(0), Bytes{'f', 't', 'y', 'p'}, zeros(100), atom("skip", g)}),
        // 64-bit sizes: negative, absurd, smaller than the header
        cat({kFtyp, be32(1), Bytes{'m', 'd', 'a', 't'}, be64(~0ull), zeros(64)}),
        cat({kFtyp, be32(1), Bytes{'m', 'd', 'a', 't'}, be64(0x7FFFFFFFFFFFFFFFull), zeros(64)}),
        cat({kFtyp, be32(1), Bytes{'g', 'p', 's', ' '}, be64(0x7FFFFFFFFFFFFFF0ull), zeros(64)}),
        // tables claiming far more than the file holds
        cat({kFtyp, atom("moov", cat({be32(0xFFFFFFF0u), Bytes{'g', 'p', 's', ' '}, zeros(40)}))}),
        cat({kFtyp, atom("moov", cat({atom("udta", atom("AMBA", {})), tkhd(3),
                                      be32(0xFFFFFF00u), Bytes{'s', 't', 'c', 'o'}, be32(0), be32(0xFFFFFFFFu),
                                      be32(40)}))}),
        cat({kFtyp, atom("moov", cat({stsd("gpmd"), be32(0xFFFFFF00u), Bytes{'s', 't', 'c', 'o'}, zeros(40)}))}),
        // regions past the end of the file
        cat({kFtyp, be32(0x10000), Bytes{'s', 'k', 'i', 'p'}, g}),
        cat({kFtyp, atom("moov", gpsTable({{0xFFFFFF00u, 0xFF}, {16, 0xFFFFFFFFu}}))}),
        // a trailer distance past the start of the file
        cat({kFtyp, zeros(300), Bytes{'&', '&', '&', '&'}, be32(0xFFFFFFFFu)}),
        // tiny atoms all the way
        [] { Bytes b; for (int i = 0; i < 4000; ++i) append(b, cat({be32(2), Bytes{'f', 'r', 'e', 'e'}})); return b; }(),
    };
    auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < files.size(); ++i) {
        for (const char* ext : {"mp4", "mov"}) {
            int count = -1;
            TempFile f(files[i], ext);
            auto lines = decode(f.path(), &count);
            EXPECT_EQ(count, 0) << "file " << i;
            EXPECT_TRUE(lines.empty()) << "file " << i;
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(ScanMp4, ExtensionIsTestedBySubstring)
{
    Bytes file = cat({kFtyp, mdat(zeros(100)), atom("skip", group({text(3)}))});
    EXPECT_EQ(decodeBytes(file, "MOV").size(), 1u);
    EXPECT_EQ(decodeBytes(file, "mp4v").size(), 1u);  // contains "mp4"
    EXPECT_TRUE(decodeBytes(file, "Mp4").empty());    // no listed spelling
    EXPECT_TRUE(decodeBytes(file, "m4v").empty());
    TempFile noDot(file, "mp4");
    std::string bare = noDot.path().substr(0, noDot.path().size() - 4);
    std::rename(noDot.path().c_str(), bare.c_str());
    EXPECT_TRUE(decode(bare).empty());
    std::rename(bare.c_str(), noDot.path().c_str());
}

TEST(ScanMp4, SecondPassRereadsNothingFromTheFile)
{
    // 200 record blocks 8 KiB apart: each costs one read in the first pass and none in the second.
    Bytes media;
    std::vector<std::pair<uint32_t, uint32_t>> entries;
    for (int i = 0; i < 200; ++i) {
        media.resize(size_t(i) * 8192, 0);
        Bytes b = freeGps(record(i % 60));
        entries.push_back({kMdatData + uint32_t(media.size()), uint32_t(b.size())});
        append(media, b);
    }
    TempFile f(cat({kFtyp, mdat(media), atom("moov", gpsTable(entries))}), "mp4");
    // Out of the page cache, as after a reboot or from a card just put in.
    int fd = ::open(f.path().c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    // A file system in memory (tmpfs) keeps its pages whatever is asked.
    unsigned char byte;
    iovec probe{&byte, 1};
    const bool evicted = preadv2(fd, &probe, 1, kMdatData, RWF_NOWAIT) != 1;
    ::close(fd);
    uint64_t before = KalGpsFile::systemReads();
    uint64_t announcedBefore = KalGpsFile::announcedRanges();
    EXPECT_EQ(decode(f.path()).size(), 200u);
    EXPECT_LT(KalGpsFile::systemReads() - before, 240u);
    // The regions were announced to the kernel up front, 8 KiB neighbours merged into one range,
    // and the second pass, served from memory, announced nothing more.
    if (evicted) {
        EXPECT_EQ(KalGpsFile::announcedRanges() - announcedBefore, 1u);
    }
    // Read again, the file is in memory: nothing is announced at all.
    announcedBefore = KalGpsFile::announcedRanges();
    EXPECT_EQ(decode(f.path()).size(), 200u);
    EXPECT_EQ(KalGpsFile::announcedRanges() - announcedBefore, 0u);
}

TEST(ScanMp4, AtomsBeyondFourGiBAreReached)
{
    // Sparse file: 64-bit mdat of 4.5 GiB, then moov and a skip atom past the 32-bit range.
    const uint64_t media = (9ull << 29);
    Bytes head = cat({kFtyp, be32(1), Bytes{'m', 'd', 'a', 't'}, be64(16 + media)});
    Bytes tail = cat({atom("moov", atom("mvhd", zeros(100))), atom("skip", group({text(42)}))});
    TempFile f(head, "mp4");
    FILE* out = std::fopen(f.path().c_str(), "r+b");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(fseeko(out, off_t(head.size() + media), SEEK_SET), 0);
    ASSERT_EQ(std::fwrite(tail.data(), 1, tail.size(), out), tail.size());
    std::fclose(out);
    EXPECT_EQ(seconds(decode(f.path())), (std::vector<int>{42}));
}
