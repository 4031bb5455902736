// trava-clip as users run it, and the dashboard it burns in compared with DashboardRenderer's
// own picture of the same second.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QPainter>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "cli/clipchannels.h"
#include "cli/dashboardoverlay.h"
#include "core/mlanguagemanager.h"
#include "support/framenumber.h"
#include "support/mediaprobe.h"
#include "support/processrunner.h"
#include "track/cardrules.h"

namespace {

namespace fs = std::filesystem;
const std::string kClips = std::string(TRAVA_TEST_DATA) + "/clip";
const std::string kA = kClips + "/trip-a.mp4", kB = kClips + "/trip-b.mp4", kOther = kClips + "/other-size.mp4";

ProcessOutcome run(const std::string &args) { return runProcess(std::string(TRAVA_CLIP_TOOL) + " " + args, true); }

int countLines(const std::string &s) { return int(std::count(s.begin(), s.end(), '\n')); }

struct TempDir {
    fs::path path;
    explicit TempDir(const std::string &name) : path(fs::temp_directory_path() / (name + "-" + std::to_string(getpid())))
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const std::string &name) const { return (path / name).string(); }
    std::size_t entries() const { return std::size_t(std::distance(fs::directory_iterator(path), fs::directory_iterator())); }
};

QGuiApplication &app()
{
    static int argc = 1;
    static char name[] = "test_clipcli";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Kept to the end of the process: destroyed among the statics after the tests, it would
    // go after Qt's own thread storage and leave its font caches behind.
    static QGuiApplication *a = new QGuiApplication(argc, argv);
    return *a;
}

TEST(ClipCli, UsageErrorsExitWithTwoAndOneLine)
{
    TempDir dir("clipcli-usage");
    const std::string out = " -o " + dir / "o.mp4 ";
    const std::vector<std::string> bad{std::string(""), out, "--from 3 --to 2" + out + kA, "--from 00:00:05 --to 4" + out + kA, "--from x" + out + kA,
          "--widgets speed,clock --burn-in" + out + kA, "--place middle" + out + kA, "--unit knots" + out + kA,
          "--crf 60 --burn-in" + out + kA, "--preset quick --burn-in" + out + kA, "--layout pip" + out + kA,
          "--bogus" + out + kA, std::string("-o"), "--from 9" + out + kA, "--from 1 --to 9" + out + kA,
          out + kA + " " + dir / "missing.mp4", out + kA + " " + kOther,
          "-o " + dir / "no/such/folder.mp4 " + kA};
    for (const std::string &args : bad) {
        const ProcessOutcome r = run(args);
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_EQ(countLines(r.err), 1) << args << ": " << r.err;
        EXPECT_EQ(r.err.rfind("trava-clip: ", 0), 0u) << r.err;
        EXPECT_EQ(dir.entries(), 0u) << args;
    }
    EXPECT_NE(run("--from 3 --to 2" + out + kA).err.find("--from must come before --to"), std::string::npos);
    const ProcessOutcome apart = run(out + kA + " " + kOther);
    EXPECT_NE(apart.err.find("does not join"), std::string::npos);
    EXPECT_NE(apart.err.find("--burn-in re-encodes them"), std::string::npos) << apart.err;
    // A cut that fails leaves no package either.
    const ProcessOutcome evidence = run("--evidence" + out + kA + " " + kOther);
    EXPECT_EQ(evidence.code, 2);
    EXPECT_EQ(dir.entries(), 0u);
}

// --evidence: the five files beside the clip, and the checksums verify from the clip's folder.
TEST(ClipCli, EvidencePackageBesideTheClipVerifies)
{
    TempDir dir("clipcli-evidence");
    const ProcessOutcome r = run("--evidence --from 2.5 --to 6.2 -o " + dir / "o.mp4 " + kA + " " + kB);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    for (const char *ending : {".mp4", ".gpx", ".csv", ".sha256", ".html", ".pdf"})
        EXPECT_GT(fs::file_size(dir / (std::string("o") + ending)), 0u) << ending;
    EXPECT_EQ(dir.entries(), 6u);
    std::ifstream sums(dir / "o.sha256");
    const std::string list((std::istreambuf_iterator<char>(sums)), std::istreambuf_iterator<char>());
    for (const std::string &name : {std::string("o.mp4"), std::string("o.gpx"), std::string("o.pdf"), kA, kB})
        EXPECT_NE(list.find(name), std::string::npos) << name << " in\n" << list;
    const ProcessOutcome check = runProcess("cd '" + dir.path.string() + "' && sha256sum -c o.sha256", true);
    EXPECT_EQ(check.code, 0) << check.out << check.err;
    EXPECT_EQ(std::count(check.out.begin(), check.out.end(), '\n'), std::count(list.begin(), list.end(), '\n'));
    std::ifstream gpx(dir / "o.gpx");
    const std::string track((std::istreambuf_iterator<char>(gpx)), std::istreambuf_iterator<char>());
    EXPECT_NE(track.find("<trkpt"), std::string::npos) << track.substr(0, 400);
}

// The report speaks the environment's language when there is a table for it, else English;
// LANGUAGE comes first, as it does for every program's messages.
TEST(ClipCli, EvidenceReportInTheEnvironmentsLanguage)
{
    app();
    TempDir dir("clipcli-language");
    const struct {
        const char *env, *lang;
    } cases[] = {{"LANGUAGE=ja LC_ALL=de_DE.UTF-8", "ja"},
                 {"LANGUAGE=xx:de LC_ALL=C", "de"},
                 {"LANGUAGE=xx LC_ALL=de_DE.UTF-8", "en"},
                 {"-u LANGUAGE -u LC_ALL LC_MESSAGES=fr_FR.UTF-8 LANG=de_DE.UTF-8", "fr"},
                 {"-u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=C", "en"}};
    for (const auto &c : cases) {
        const std::string out = dir / "o.mp4";
        fs::remove_all(dir.path);
        fs::create_directories(dir.path);
        const ProcessOutcome r = runProcess(std::string("env ") + c.env + " " + TRAVA_CLIP_TOOL +
                                                " --evidence --from 1 --to 3 -o " + out + " " + kA,
                                            true);
        ASSERT_EQ(r.code, 0) << c.env << ": " << r.err;
        std::ifstream in(dir / "o.html");
        const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(html.find(std::string("<html lang=\"") + c.lang + "\">"), std::string::npos) << c.env;
        const std::string title =
            MLanguageManager::localized(QString::fromLatin1(c.lang), "Report.title", "Incident report").toHtmlEscaped().toStdString();
        EXPECT_NE(html.find("<h1>" + title + "</h1>"), std::string::npos) << c.env << "\n" << html.substr(0, 400);
        // The machine formats stay as they are in any language.
        EXPECT_EQ(dir.entries(), 6u) << c.env;
        std::ifstream gpx(dir / "o.gpx");
        const std::string track((std::istreambuf_iterator<char>(gpx)), std::istreambuf_iterator<char>());
        EXPECT_EQ(track.find(','), std::string::npos) << c.env;
    }
}

TEST(ClipCli, WritesTheClipQuietlyAndTakesClockTimes)
{
    TempDir dir("clipcli-write");
    const ProcessOutcome r = run("--from 00:00:02.500 --to 6.2 -o " + dir / "o.mp4 " + kA + " " + kB);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(probeMedia(dir / "o.mp4").video.size(), 127u); // 2.0 s (key frame) to 6.2 s
    EXPECT_EQ(dir.entries(), 1u);
}

// TRAVA_CLIP_ENCODER through the program: x264 by name works anywhere; a hardware encoder
// named on a machine without it is one line and no file.
TEST(ClipCli, EncoderForcedThroughTheEnvironment)
{
    TempDir dir("clipcli-encoder");
    const std::string args = " --burn-in --preset ultrafast --from 1 --to 2 -o " + dir / "o.mp4 " + kA;
    const ProcessOutcome x264 = runProcess("TRAVA_CLIP_ENCODER=libx264 " + std::string(TRAVA_CLIP_TOOL) + args, true);
    EXPECT_EQ(x264.code, 0) << x264.err;
    EXPECT_EQ(x264.err, "");
    EXPECT_EQ(probeMedia(dir / "o.mp4").video.size(), 30u);
    fs::remove(dir / "o.mp4");

    const ProcessOutcome bogus = runProcess("TRAVA_CLIP_ENCODER=qsv " + std::string(TRAVA_CLIP_TOOL) + args, true);
    EXPECT_EQ(bogus.code, 2);
    EXPECT_EQ(bogus.err, "trava-clip: TRAVA_CLIP_ENCODER must be auto, libx264, vaapi or nvenc\n");
    if (fs::exists("/dev/dri"))
        GTEST_SKIP() << "this machine has /dev/dri: a forced VA-API encoder may open";
    const ProcessOutcome vaapi = runProcess("TRAVA_CLIP_ENCODER=vaapi " + std::string(TRAVA_CLIP_TOOL) + args, true);
    EXPECT_EQ(vaapi.code, 2);
    EXPECT_EQ(countLines(vaapi.err), 1) << vaapi.err;
    EXPECT_NE(vaapi.err.find("TRAVA_CLIP_ENCODER=vaapi: no VA-API device"), std::string::npos) << vaapi.err;
    EXPECT_EQ(dir.entries(), 0u);
}

// stderr on a pseudo-terminal: the progress line is drawn and wiped.
TEST(ClipCli, ProgressLineOnlyOnATerminal)
{
    TempDir dir("clipcli-tty");
    const std::string out = dir / "t.mp4";
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    // x264 named, so that the progress line names the same encoder on any machine.
    std::vector<std::string> env{"TRAVA_CLIP_ENCODER=libx264"};
    for (char **e = environ; *e; ++e)
        if (std::string(*e).rfind("TRAVA_CLIP_ENCODER=", 0) != 0)
            env.emplace_back(*e);
    std::vector<char *> envp;
    for (std::string &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const char *const args[] = {TRAVA_CLIP_TOOL, "--burn-in", "--preset", "ultrafast", "-o", out.c_str(),
                                kA.c_str(), kB.c_str(), nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
        close(master);
        dup2(slave, STDERR_FILENO);
        execve(TRAVA_CLIP_TOOL, const_cast<char *const *>(args), envp.data());
        _exit(127);
    }
    close(slave);
    std::string seen;
    char buf[4096];
    for (;;) {
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0)
            break;
        seen.append(buf, std::size_t(n));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
    EXPECT_NE(seen.find(" s of 8.0 s "), std::string::npos) << seen;
    EXPECT_NE(seen.find(" %  libx264"), std::string::npos) << seen;
    EXPECT_EQ(seen.substr(seen.size() - 4), "\r\033[K") << seen;
    const ProcessOutcome piped = run("--burn-in --preset ultrafast -o " + dir / "p.mp4 " + kA);
    EXPECT_EQ(piped.err, "");
}

TEST(ClipCli, ManualAndHelpListTheSameOptions)
{
    auto options = [](std::string text) {
        text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
        text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
        std::set<std::string> found;
        std::regex option(R"((^|[\s\[,|(])(--?[a-z][a-z-]*))");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
            found.insert((*it)[2]);
        return found;
    };
    std::ifstream f(TRAVA_MAN_DIR "/trava-clip.1");
    std::stringstream page;
    page << f.rdbuf();
    ASSERT_FALSE(page.str().empty());
    const ProcessOutcome help = run("--help");
    EXPECT_EQ(help.code, 0);
    const std::set<std::string> listed = options(help.out);
    for (const char *o : {"--from", "--to", "--burn-in", "--widgets", "--place", "--unit", "--layout", "--evidence",
                          "--crf", "--preset", "-o"})
        EXPECT_TRUE(listed.count(o)) << o;
    EXPECT_EQ(options(page.str()), listed);
    for (const char *code : {".B 0", ".B 2"})
        EXPECT_NE(page.str().find(code), std::string::npos) << code;
}

// The speed painted into the clip is DashboardRenderer's picture of the second the frame
// belongs to: where the pictures of neighbouring seconds differ, the clip's pixels are those
// of the right second.
TEST(ClipCli, BurnedInSpeedIsTheRenderersPictureOfThatSecond)
{
    app();
    TempDir dir("clipcli-burn");
    const std::string out = dir / "b.mp4";
    const ProcessOutcome r =
        run("--burn-in --widgets speed,time --crf 12 --preset ultrafast --from 2.5 --to 6.2 -o " + out + " " + kA + " " + kB);
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<DecodedPicture> pics = decodePictures(out);
    ASSERT_EQ(pics.size(), 111u);
    EXPECT_NEAR(pics.back().seconds - pics.front().seconds, 110.0 / 30, 1e-3);

    DashboardOverlay overlay({recordingTrack(kA), recordingTrack(kB)},
                             dashboardWidgets({"speed", "time"}), DashboardRenderer::Placement::BottomBand,
                             QStringLiteral("KMH"));
    const QSize size(640, 360);
    const QRect band = overlay.bandRect(size);
    // The speed read-out's own box in the band.
    QRectF speedBox;
    for (const auto &[w, rect] : overlay.renderer().layout(QRectF(QPointF(0, 0), QSizeF(band.size()))))
        if (w == DashboardRenderer::SpeedReadout)
            speedBox = rect.translated(band.topLeft());
    ASSERT_FALSE(speedBox.isEmpty());
    EXPECT_EQ(overlay.stateAt(1, 1.5).readouts.speed, QStringLiteral("15 km/h"));

    int checked = 0;
    for (int i : {1, 20, 44, 50, 80, 105}) {
        const DecodedPicture &p = pics[std::size_t(i)];
        const QImage frame(p.bgra.data(), p.width, p.height, p.width * 4, QImage::Format_RGB32);
        const int number = syncFrameNumber(frame);
        ASSERT_GE(number, 0) << "frame " << i;
        const std::size_t rec = number < 120 ? 0 : 1;
        const double inRec = number / 30.0 - 4.0 * double(rec);
        // The picture under the band is the fixture's checkerboard of that frame number.
        auto expected = [&](double at) {
            QImage img(size, QImage::Format_RGB32);
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x) {
                    const int g = 96 + 40 * (((x / 40) + (y / 40) + number) % 2);
                    img.setPixel(x, y, qRgb(g, g, g));
                }
            QPainter painter(&img);
            painter.drawImage(band.topLeft(), overlay.render(rec, at, size));
            return img;
        };
        const QImage right = expected(inRec), wrong = expected(inRec >= 1.0 ? inRec - 1.0 : inRec + 1.0);
        double toRight = 0, toWrong = 0;
        int differing = 0;
        for (int y = int(speedBox.top()); y < int(speedBox.bottom()); ++y)
            for (int x = int(speedBox.left()); x < int(speedBox.right()); ++x) {
                const int a = qGray(right.pixel(x, y)), b = qGray(wrong.pixel(x, y));
                if (std::abs(a - b) < 60)
                    continue;
                const int o = qGray(frame.pixel(x, y));
                toRight += std::abs(o - a);
                toWrong += std::abs(o - b);
                ++differing;
            }
        ASSERT_GT(differing, 8) << "frame " << i;
        EXPECT_LT(toRight / differing, 25) << "frame " << i << " (" << number << ")";
        EXPECT_GT(toWrong / differing, 50) << "frame " << i;
        ++checked;
    }
    EXPECT_EQ(checked, 6);
}

// The cameras of two moments named as a card names them, given in any order: the front one
// is the main picture, the rear one its neighbour in the grid at the same moment's time.
TEST(ClipCli, GridOfTheCamerasOfEachMoment)
{
    app();
    TempDir dir("clipcli-grid");
    const std::string f1 = dir / "2026_0514_091000_0001F.MP4", f2 = dir / "2026_0514_091004_0002F.MP4";
    const std::string r1 = dir / "2026_0514_091000_0001R.MP4", r2 = dir / "2026_0514_091004_0002R.MP4";
    fs::copy_file(kA, f1);
    fs::copy_file(kB, f2);
    fs::copy_file(kB, r1); // the rear camera's pictures are the other recording's
    fs::copy_file(kA, r2);
    const std::string out = dir / "grid.mp4";
    const ProcessOutcome r = run("--burn-in --layout grid --widgets speed --crf 16 --preset ultrafast --from 1 --to 6 -o " +
                                 out + " " + r2 + " " + f2 + " " + r1 + " " + f1);
    ASSERT_EQ(r.code, 0) << r.err;
    const ProbedFile probed = probeMedia(out);
    EXPECT_EQ(probed.width, 640);
    EXPECT_EQ(probed.height, 360);
    const std::vector<DecodedPicture> pics = decodePictures(out);
    ASSERT_EQ(pics.size(), 150u);
    for (int i : {0, 40, 100, 149}) {
        const DecodedPicture &p = pics[std::size_t(i)];
        const QImage frame(p.bgra.data(), p.width, p.height, p.width * 4, QImage::Format_RGB32);
        const int at = 30 + i; // the main camera's frame number: 1 s in, one a frame
        EXPECT_EQ(syncFrameNumber(frame.copy(0, 0, 320, 180)), at) << "front, frame " << i;
        const int rear = at < 120 ? at + 120 : at - 120;
        EXPECT_EQ(syncFrameNumber(frame.copy(320, 0, 320, 180)), rear) << "rear, frame " << i;
    }

    // Every file of one camera: nothing to compose, said in one line.
    const ProcessOutcome one = run("--burn-in --layout pip -o " + dir / "x.mp4 " + f1 + " " + f2);
    EXPECT_EQ(one.code, 2);
    EXPECT_NE(one.err.find("front camera"), std::string::npos) << one.err;
    EXPECT_FALSE(fs::exists(dir / "x.mp4"));
}

TEST(ClipCli, ChannelsOfTheMomentsFromTheNames)
{
    const CardRules rules = CardRules::shipped();
    ClipChannels c;
    std::string why;
    // No front camera: the first one the rules name leads; a moment without a camera is "".
    ASSERT_TRUE(sortClipChannels({"/c/2026_0514_091004_0002I.MP4", "/c/2026_0514_091000_0001R.MP4",
                                  "/c/2026_0514_091004_0002R.MP4", "/c/2026_0514_091000_0001I.MP4",
                                  "/c/2026_0514_091100_0003R.MP4"},
                                 rules, &c, &why))
        << why;
    EXPECT_EQ(c.mainChannel, "rear");
    EXPECT_EQ(c.main, (std::vector<std::string>{"/c/2026_0514_091000_0001R.MP4", "/c/2026_0514_091004_0002R.MP4",
                                                "/c/2026_0514_091100_0003R.MP4"}));
    EXPECT_EQ(c.followerNames, (std::vector<std::string>{"interior"}));
    ASSERT_EQ(c.followers.size(), 1u);
    EXPECT_EQ(c.followers[0], (std::vector<std::string>{"/c/2026_0514_091000_0001I.MP4",
                                                        "/c/2026_0514_091004_0002I.MP4", ""}));
    // A moment of the rear camera alone while the front one leads the others: refused by name.
    EXPECT_FALSE(sortClipChannels({"/c/2026_0514_091000_0001F.MP4", "/c/2026_0514_091000_0001R.MP4",
                                   "/c/2026_0514_091100_0002R.MP4"},
                                  rules, &c, &why));
    EXPECT_NE(why.find("no front recording for the moment of /c/2026_0514_091100_0002R.MP4"), std::string::npos)
        << why;
}

} // namespace
