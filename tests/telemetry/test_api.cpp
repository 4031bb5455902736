// The public interface: plain and pretreated paths, output buffers, versions, threads.
#include "test_scanfixtures.h"

#include <atomic>
#include <thread>

using namespace fx;

TEST(Api, VersionTextAndFixedAnswers)
{
    char buf[16];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(kalGpsVersion(buf), 11);
    EXPECT_STREQ(buf, "V2019.11.28");
    EXPECT_EQ(buf[12], 'x');  // exactly 12 bytes written
    EXPECT_EQ(kalGpsEnablePasswd(), 0);
}

TEST(Api, NothingFoundLeavesTheBuffersAlone)
{
    TempFile f(atom("ftyp", zeros(64)), "mp4");
    kalGpsInit();
    char sentinel = 0;
    char* buf = &sentinel;
    EXPECT_EQ(kalGpsDecode(&buf, f.path().c_str(), 0), 0);
    EXPECT_EQ(buf, &sentinel);
    char* g = &sentinel;
    EXPECT_EQ(kalGpsDecodeEx(&buf, &g, f.path().c_str(), 0), 0);
    EXPECT_EQ(buf, &sentinel);
    EXPECT_EQ(g, &sentinel);
    EXPECT_EQ(kalGpsDataVersion(), 0);
    EXPECT_EQ(kalGpsDecode(nullptr, f.path().c_str(), 0), 0);
    kalGpsExit();
}

TEST(Api, PretreatedPathWritesExtendedAndGsensorLines)
{
    // indices 0, 1, 4: one gap of two seconds
    KalSetEncType(1);
    std::vector<std::string> texts = {text(0, 22.0, 113.0), text(1, 22.1, 113.1), text(4, 22.4, 113.4)};
    Bytes blocks(20);
    MakeHeader(blocks.data(), 3);
    for (int i : {0, 1, 2}) {
        unsigned char block[132];
        ASSERT_EQ(MakeEncryptDataBlock(i == 2 ? 4 : i, texts[size_t(i)].c_str(), int(texts[size_t(i)].size()), block), 0);
        blocks.insert(blocks.end(), block, block + 132);
    }
    TempFile f(blocks, "txt");
    kalGpsInit();
    char* track = nullptr;
    char* gs = nullptr;
    EXPECT_EQ(kalGpsDecodeEx(&track, &gs, f.path().c_str(), 0), 5);
    auto lines = split(track);
    auto glines = split(gs);
    std::free(track);
    std::free(gs);
    kalGpsExit();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2].substr(0, 36), "2 2019/11/28 10:00:01 N:22.200001 E:");
    EXPECT_NEAR(std::atof(lines[2].c_str() + 36), 113.2, 1e-4);
    EXPECT_NE(lines[0].find(" A:"), std::string::npos);
    EXPECT_NE(lines[0].find(" V:0"), std::string::npos);
    ASSERT_EQ(glines.size(), 5u);
    EXPECT_EQ(glines[4], "4 2019/11/28 10:00:04 x:0.10 y:-0.20 z:9.80");
}

TEST(Api, LongLinesAreNeverCutOrLost)
{
    // Values of 37 digits make each line far longer than its 132-byte share.
    std::vector<std::string> texts;
    for (int s = 0; s < 6; ++s)
        texts.push_back("2019/11/28 10:00:0" + std::to_string(s) + " N:3e38 E:-3e38 3e38 km/h x:1 y:2 z:3");
    auto lines = decodeBytes(group(texts), "txt");
    ASSERT_EQ(lines.size(), 6u);
    for (const std::string& l : lines) {
        EXPECT_GT(l.size(), 132u);
        EXPECT_NE(l.find(" km/h x:1.00 y:2.00 z:3.00"), std::string::npos) << l;
    }
}

TEST(Api, ReadBackForwardsToTheCallback)
{
    kalGpsReadCallBack(nullptr);
    unsigned char b[4] = {};
    EXPECT_EQ(kalGpsReadBack(b, 0, 4, 1), 0);
    MemorySource::data = {1, 2, 3, 4, 5};
    kalGpsReadCallBack(&MemorySource::read);
    EXPECT_EQ(kalGpsReadBack(nullptr, 0, 0, 0), 5);
    EXPECT_EQ(kalGpsReadBack(b, 2, 4, 1), 3);
    EXPECT_EQ(b[0], 3);
    kalGpsReadCallBack(nullptr);
}

TEST(Api, DecodesFromTwoThreadsNeverInterleave)
{
    TempFile a(cat({atom("ftyp", zeros(8)), atom("skip", group({text(1), text(2), text(3)}))}), "mp4");
    Bytes ts;
    for (int s = 10; s < 15; ++s) {
        Bytes p = {0x47, 0x43, 0x00, 0x10};
        append(p, zeros(6));
        append(p, group({text(s)}));
        p.resize(188, 0);
        append(ts, p);
    }
    TempFile b(ts, "ts");
    std::atomic<int> wrong{0};
    auto worker = [&wrong](const std::string& path, std::vector<int> expected, bool ex) {
        for (int i = 0; i < 40; ++i) {
            kalGpsInit();
            char* buf = nullptr;
            char* g = nullptr;
            int n = ex ? kalGpsDecodeEx(&buf, &g, path.c_str(), 0) : kalGpsDecode(&buf, path.c_str(), 0);
            std::vector<int> got;
            for (const std::string& l : split(buf))
                got.push_back(secondOf(l));
            if (n != int(expected.size()) || got != expected)
                ++wrong;
            std::free(buf);
            std::free(g);
            kalGpsExit();
        }
    };
    std::thread t1(worker, a.path(), std::vector<int>{1, 2, 3}, false);
    std::thread t2(worker, b.path(), std::vector<int>{10, 11, 12, 13, 14}, true);
    t1.join();
    t2.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(Api, ExitFreesWhatADecodeLeftBehind)
{
    // A decode whose output is never written (the caller stops after kalGpsPaser's count)
    // must leave nothing for the leak checker after kalGpsExit.
    TempFile f(cat({atom("ftyp", zeros(8)), atom("skip", group({text(1)})), atom("skip", group({text(2)}))}), "mp4");
    kalGpsInit();
    char* buf = nullptr;
    EXPECT_EQ(kalGpsDecode(&buf, f.path().c_str(), 0), 2);
    std::free(buf);
    buf = nullptr;
    // Decoding again starts from a clean state.
    EXPECT_EQ(kalGpsDecode(&buf, f.path().c_str(), 0), 2);
    EXPECT_EQ(split(buf).size(), 2u);
    std::free(buf);
    kalGpsExit();
    kalGpsExit();
}

TEST(Api, CancelledDecodeReadsNothingMoreUntilTheNextInit)
{
    TempFile f(cat({atom("ftyp", zeros(8)), atom("skip", group({text(1)})), atom("skip", group({text(2)}))}), "mp4");
    kalGpsInit();
    kalGpsCancel();  // as a newer request does while this one is under way
    char* buf = nullptr;
    EXPECT_EQ(kalGpsDecode(&buf, f.path().c_str(), 0), 0);
    EXPECT_EQ(buf, nullptr);
    // A transport stream stops at its first read instead of stepping through the file.
    Bytes ts(188 * 2000, 0);
    const char trailer[] = {'&', '&', '&', '&', 0, 0, 0x10, 0};
    ts.insert(ts.end(), trailer, trailer + 8);
    TempFile stream(ts, "ts");
    EXPECT_EQ(kalGpsDecode(&buf, stream.path().c_str(), 0), 0);
    kalGpsExit();
    // The next request decodes in full.
    kalGpsInit();
    EXPECT_EQ(kalGpsDecode(&buf, f.path().c_str(), 0), 2);
    EXPECT_EQ(split(buf).size(), 2u);
    std::free(buf);
    kalGpsExit();
}
