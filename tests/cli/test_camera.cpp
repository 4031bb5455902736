// Reading a dash camera's card over HTTP: the listing dialects, names that must never reach
// the disk, the bounded client, and trava-gps --camera against a test camera.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/batch.h"
#include "cli/httpclient.h"
#include "cli/remoterecording.h"
#include "support/cameracard.h"
#include "support/processrunner.h"
#include "support/testcamera.h"
#include "track/cameralisting.h"
#include "track/cameralistingwalk.h"

namespace {

using namespace CameraListingParser;

CameraListing walk(const TestCamera &camera, HttpLimits limits = {}, CameraListingCaps caps = {})
{
    HttpAddress a;
    std::string why;
    EXPECT_TRUE(parseHttpAddress(camera.url(), &a, &why)) << why;
    limits.maxBody = caps.maxBytes;
    const HttpClient client(a, limits);
    CameraListingWalk w(caps);
    while (!w.done()) {
        const HttpResponse r = client.get(w.nextRequest());
        w.answer(r.error.empty() ? r.status : 0, r.body, r.error);
    }
    return w.result();
}

std::vector<std::string> paths(const CameraListing &l)
{
    std::vector<std::string> p;
    for (const CameraEntry &e : l.entries)
        p.push_back(e.path);
    return p;
}

TEST(CameraListing, XmlListEntriesKeepTheirFoldersSizesAndTimes)
{
    const std::string xml =
        "<?xml version=\"1.0\"?><LIST><ALLFile><File><NAME>2026_0514_101500_001F.MP4</NAME>"
        "<FPATH>A:\\DCIM\\Movie\\2026_0514_101500_001F.MP4</FPATH><SIZE>123456789012</SIZE>"
        "<TIME>2026/05/14 10:15:00</TIME></File></ALLFile><ALLFile><File><NAME>b&amp;c.MP4</NAME>"
        "<FPATH>A:\\DCIM\\EMR\\b&amp;c.MP4</FPATH><SIZE>x</SIZE><TIME>garbage</TIME></File></ALLFile></LIST>";
    const CameraListing l = parseXmlList(xml);
    EXPECT_TRUE(l.error.empty());
    ASSERT_EQ(l.entries.size(), 2u);
    EXPECT_EQ(l.entries[0].path, "DCIM/Movie/2026_0514_101500_001F.MP4");
    EXPECT_EQ(l.entries[0].urlPath, "/DCIM/Movie/2026_0514_101500_001F.MP4");
    EXPECT_EQ(l.entries[0].size, 123456789012u);
    EXPECT_EQ(l.entries[0].time, "2026-05-14 10:15:00");
    EXPECT_EQ(l.entries[1].path, "DCIM/EMR/b&c.MP4");
    EXPECT_EQ(l.entries[1].urlPath, "/DCIM/EMR/b%26c.MP4");
    EXPECT_EQ(l.entries[1].size, 0u);
    EXPECT_EQ(l.entries[1].time, "");
}

TEST(CameraListing, HostileXmlNamesAreRefused)
{
    std::string xml = "<LIST>";
    for (const char *f : {"A:\\DCIM\\Movie\\good1.MP4", "A:\\DCIM\\Movie\\good2.MP4", "A:\\DCIM\\..\\..\\evil.MP4",
                          "B:\\DCIM\\other.MP4", "\\DCIM\\abs.MP4", "DCIM\\rel.MP4", "A:\\DCIM\\a&#10;b.MP4",
                          "A:\\DCIM\\C:\\x.MP4", "A:\\\\double.MP4", "A:\\DCIM\\Movie\\good1.MP4"})
        xml += std::string("<ALLFile><File><NAME>n</NAME><FPATH>") + f + "</FPATH></File></ALLFile>";
    xml += "</LIST>";
    const CameraListing l = parseXmlList(xml);
    EXPECT_EQ(paths(l), (std::vector<std::string>{"DCIM/Movie/good1.MP4", "DCIM/Movie/good2.MP4"}));
    EXPECT_EQ(l.refused.size(), 8u);
    for (const std::string &why : l.refused)
        EXPECT_EQ(why.find('\n'), std::string::npos) << "a refused name is reported printable";
}

TEST(CameraListing, ListingsPastTheirCapsAreRefusedWhole)
{
    CameraListingCaps caps;
    caps.maxEntries = 3;
    std::string vod = "v:1.00\n";
    for (int i = 0; i < 4; ++i)
        vod += "n:/Record/20260514_10150" + std::to_string(i) + "_NF.mp4,s:10\n";
    EXPECT_FALSE(parseVodList(vod, caps).error.empty());
    EXPECT_TRUE(parseVodList(vod, caps).entries.empty());
    caps.maxEntries = 4;
    EXPECT_EQ(parseVodList(vod, caps).entries.size(), 4u);
    caps.maxBytes = vod.size() - 1;
    EXPECT_FALSE(parseVodList(vod, caps).error.empty());

    CameraListingCaps names;
    std::string why;
    EXPECT_EQ(safeRelativePath(std::string(names.maxNameLength, 'a'), names, &why), std::string(names.maxNameLength, 'a'));
    EXPECT_EQ(safeRelativePath(std::string(names.maxNameLength + 1, 'a'), names, &why), "");
    std::string deep;
    for (std::size_t i = 0; i < names.maxDepth; ++i)
        deep += (i ? "/" : "") + std::string("d");
    EXPECT_EQ(safeRelativePath(deep, names, &why), deep);
    EXPECT_EQ(safeRelativePath(deep + "/d", names, &why), "");
    EXPECT_EQ(safeRelativePath("a/./b", names, &why), "");
    EXPECT_EQ(safeRelativePath("a\x7f", names, &why), "");
}

TEST(CameraListing, VodListTakesOnlyItsRecordFolder)
{
    const CameraListing l = parseVodList("v:1.00\r\nn:/Record/20260514_101500_NF.mp4,s:1000000\r\n"
                                         "n:/Record/../../etc/passwd,s:10\r\nn:/etc/x.mp4,s:1\r\n"
                                         "n:/Record/20260514_101600_EF.mp4,s:12x\r\n");
    ASSERT_EQ(paths(l), (std::vector<std::string>{"Record/20260514_101500_NF.mp4", "Record/20260514_101600_EF.mp4"}));
    EXPECT_EQ(l.entries[0].size, 1000000u);
    EXPECT_EQ(l.entries[0].time, "2026-05-14 10:15:00");
    EXPECT_EQ(l.entries[1].size, 0u);
    EXPECT_EQ(l.refused.size(), 2u);
}

TEST(CameraListing, HtmlIndexLinksBelowTheFolderOnly)
{
    const HtmlFolder f = parseHtmlIndex(
        "<a href=\"?C=N;O=D\">n</a><a href=\"../\">up</a><a href=\"/\">root</a><a href='Movie/'>M</a>"
        "<a href=\"/DCIM/EMR/\">E</a><a href=\"2026_0514_101500_001F.MP4\">f</a><a href=\"http://evil/x.MP4\">x</a>"
        "<a href=\"..%2F..%2Fetc%2Fpasswd\">p</a><a href=\"%2E%2E\">q</a><a href=a%20b.MP4>s</a>",
        "DCIM/");
    EXPECT_EQ(f.subfolders, (std::vector<std::string>{"DCIM/Movie/", "DCIM/EMR/"}));
    ASSERT_EQ(f.files.size(), 2u);
    EXPECT_EQ(f.files[0].path, "DCIM/2026_0514_101500_001F.MP4");
    EXPECT_EQ(f.files[0].time, "2026-05-14 10:15:00");
    EXPECT_EQ(f.files[1].path, "DCIM/a b.MP4");
    EXPECT_EQ(f.files[1].urlPath, "/DCIM/a%20b.MP4");
    EXPECT_EQ(f.refused.size(), 2u);
}

TEST(CameraListing, TimesAreCheckedNotCopied)
{
    EXPECT_EQ(cameraTime("2026/05/14 10:15:00"), "2026-05-14 10:15:00");
    EXPECT_EQ(cameraTime("2026/13/14 10:15:00"), "");
    EXPECT_EQ(cameraTime("2026/05/14 24:15:00"), "");
    EXPECT_EQ(timeFromName("2026_0514_235959_001F.MP4"), "2026-05-14 23:59:59");
    EXPECT_EQ(timeFromName("20260514_101500_NF.mp4"), "2026-05-14 10:15:00");
    EXPECT_EQ(timeFromName("20261314_101500_NF.mp4"), "");
    EXPECT_EQ(timeFromName("IMG_0001.MP4"), "");
}

class CameraDialects : public ::testing::TestWithParam<TestCamera::Dialect> {};

TEST_P(CameraDialects, TheWalkFindsTheDialectAndEveryRecording)
{
    TestCamera camera(GetParam());
    const std::vector<std::string> card = cameracard::fillCard(camera, GetParam(), 6, 10, 100000);
    camera.addHostileName(GetParam() == TestCamera::Dialect::Xml   ? "A:\\..\\..\\escape.MP4"
                          : GetParam() == TestCamera::Dialect::Vod ? "/Record/../../escape.mp4"
                                                                   : "..%2F..%2Fescape.MP4");
    const CameraListing l = walk(camera);
    EXPECT_TRUE(l.error.empty()) << l.error;
    const CameraDialect expected = GetParam() == TestCamera::Dialect::Xml   ? CameraDialect::XmlList
                                   : GetParam() == TestCamera::Dialect::Vod ? CameraDialect::VodText
                                                                            : CameraDialect::HtmlIndex;
    EXPECT_EQ(l.dialect, expected);
    std::vector<std::string> got = paths(l);
    std::sort(got.begin(), got.end());
    std::vector<std::string> want = card;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    EXPECT_EQ(l.refused.size(), 1u);
    for (const CameraEntry &e : l.entries) {
        if (GetParam() != TestCamera::Dialect::Html) {
            EXPECT_EQ(e.size, camera.contents(e.path).size());
        }
        EXPECT_FALSE(e.time.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(All, CameraDialects,
                         ::testing::Values(TestCamera::Dialect::Xml, TestCamera::Dialect::Vod, TestCamera::Dialect::Html));

TEST(CameraListing, ACameraThatFallsSilentOrFloodsGivesAClearError)
{
    TestCamera silent(TestCamera::Dialect::Xml);
    silent.addFile("DCIM/Movie/a.MP4", "x");
    silent.stallAfterBytes = 10;
    HttpLimits quick;
    quick.silenceMs = 300;
    const auto start = std::chrono::steady_clock::now();
    CameraListing l = walk(silent, quick);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_NE(l.error.find("stopped answering"), std::string::npos) << l.error;
    EXPECT_TRUE(l.entries.empty());

    TestCamera endless(TestCamera::Dialect::Vod);
    endless.endlessList = true;
    CameraListingCaps caps;
    caps.maxBytes = 256 * 1024;
    l = walk(endless, {}, caps);
    EXPECT_NE(l.error.find("larger than"), std::string::npos) << l.error;
    EXPECT_TRUE(l.entries.empty());
    EXPECT_LT(endless.bytesSent.load(), 8u * 1024 * 1024) << "the client stopped reading";
}

TEST(CameraHttp, AddressesOtherThanPlainHttpAreRefused)
{
    HttpAddress a;
    std::string why;
    EXPECT_FALSE(parseHttpAddress("https://192.168.1.254", &a, &why));
    EXPECT_NE(why.find("https"), std::string::npos);
    EXPECT_FALSE(parseHttpAddress("ftp://192.168.1.254", &a, &why));
    EXPECT_FALSE(parseHttpAddress("http://user@192.168.1.254", &a, &why));
    EXPECT_FALSE(parseHttpAddress("http://192.168.1.254:99999", &a, &why));
    ASSERT_TRUE(parseHttpAddress("http://10.99.77.1:8080/", &a, &why));
    EXPECT_EQ(a.host, "10.99.77.1");
    EXPECT_EQ(a.port, 8080);
    EXPECT_EQ(a.base, "");
}

TEST(CameraHttp, TelemetryIsReadWithoutTheMedia)
{
    TestCamera camera(TestCamera::Dialect::Vod);
    const std::uint64_t media = 40u * 1024 * 1024;
    camera.addFile("Record/20260514_100000_NF.mp4", cameracard::mp4Recording(0, 60, media));
    HttpAddress a;
    std::string why;
    ASSERT_TRUE(parseHttpAddress(camera.url(), &a, &why));
    const HttpClient client(a);
    std::uint64_t bytes = 0;
    int requests = 0;
    const Extraction e = extractRemote(client, "/Record/20260514_100000_NF.mp4", false, &bytes, &requests);
    ASSERT_EQ(e.status, Extraction::Found) << e.reason;
    EXPECT_NE(e.text.find("2026/05/14 10:00:59"), std::string::npos);
    EXPECT_LT(bytes, media / 50);
    // The camera's own count, once its threads have finished counting what they sent.
    for (int i = 0; i < 100 && camera.bytesSent.load() < bytes; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(bytes, camera.bytesSent.load());
    EXPECT_LE(requests, 6);
}

TEST(CameraHttp, ACameraThatStopsMidReadIsUnreadableNotEmpty)
{
    TestCamera camera(TestCamera::Dialect::Vod);
    camera.addFile("Record/20260514_100000_NF.mp4", cameracard::mp4Recording(0, 60, 4u * 1024 * 1024));
    camera.dropAfterBytes = 100;
    camera.drops = 100;
    HttpAddress a;
    std::string why;
    ASSERT_TRUE(parseHttpAddress(camera.url(), &a, &why));
    const Extraction e = extractRemote(HttpClient(a), "/Record/20260514_100000_NF.mp4", false);
    EXPECT_EQ(e.status, Extraction::Unreadable);
    EXPECT_NE(e.reason.find("closed early"), std::string::npos) << e.reason;

    camera.drops = 0;
    camera.ignoreRange = true;
    const Extraction whole = extractRemote(HttpClient(a), "/Record/20260514_100000_NF.mp4", false);
    EXPECT_EQ(whole.status, Extraction::Unreadable);
}

std::string slurp(const std::filesystem::path &p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

TEST(CameraCli, ExtractsEveryRecordingIntoTheCamerasFolders)
{
    TestCamera camera(TestCamera::Dialect::Xml);
    cameracard::fillCard(camera, TestCamera::Dialect::Xml, 5, 60, 2u * 1024 * 1024);
    camera.addHostileName("A:\\DCIM\\..\\..\\..\\escape.MP4");
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("trava-camera-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    const ProcessOutcome r =
        runProcess(std::string(TRAVA_GPS_TOOL) + " --camera " + camera.url() + " --format csv -j 2 -o " + dir.string(), true);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("5 files: 5 with telemetry"), std::string::npos) << r.err;
    const std::string csv = slurp(dir / "DCIM/EMR/2026_0514_100300_004F.csv");
    EXPECT_NE(csv.find("2026-05-14T10:03:59"), std::string::npos) << csv.substr(0, 300);
    EXPECT_TRUE(std::filesystem::exists(dir / "DCIM/Movie/2026_0514_100000_001F.csv"));
    EXPECT_FALSE(std::filesystem::exists(dir.parent_path() / "escape.csv"));
    std::filesystem::remove_all(dir);

    const ProcessOutcome lines = runProcess(std::string(TRAVA_GPS_TOOL) + " --camera " + camera.url(), true);
    EXPECT_EQ(lines.code, 0) << lines.err;
    EXPECT_NE(lines.out.find("# " + camera.url() + "/DCIM/Movie/2026_0514_100100_002F.MP4"), std::string::npos);
}

TEST(CameraCli, ExitCodesFollowTheFolderRun)
{
    TestCamera camera(TestCamera::Dialect::Vod);
    camera.addFile("Record/20260514_100000_NF.mp4", cameracard::mp4Recording(0, 10, 1000));
    camera.addFile("Record/20260514_100100_NF.mp4", std::string(5000, 'z')); // no telemetry
    ProcessOutcome r = runProcess(std::string(TRAVA_GPS_TOOL) + " --camera " + camera.url() + " -j 1", true);
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_NE(r.err.find("no telemetry in " + camera.url() + "/Record/20260514_100100_NF.mp4"), std::string::npos);

    r = runProcess(std::string(TRAVA_GPS_TOOL) + " --camera https://127.0.0.1:1", true);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("https is not supported"), std::string::npos) << r.err;

    TestCamera empty(TestCamera::Dialect::Html);
    empty.delayMs = 0;
    r = runProcess(std::string(TRAVA_GPS_TOOL) + " --camera " + empty.url(), true);
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_NE(r.err.find("no recordings"), std::string::npos) << r.err;
}

} // namespace
