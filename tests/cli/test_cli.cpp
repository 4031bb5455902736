// trava-gps as users run it: formats, several files, exit codes and messages.
#include <gtest/gtest.h>

#include "support/processrunner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "telemetry/kalgpsapi.h"

namespace {

using Outcome = ProcessOutcome;

std::string tool()
{
    return TRAVA_GPS_TOOL;
}

Outcome run(const std::string& args)
{
    return runProcess(tool() + " " + args, true);
}

const std::string kData = TRAVA_TEST_DATA;

int countLines(const std::string& s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

} // namespace

TEST(Cli, ToolIsBuilt)
{
    ASSERT_EQ(access(tool().c_str(), X_OK), 0) << tool();
}

TEST(Cli, LinesFormatPrintsOneSampleLinePerLine)
{
    Outcome r = run(kData + "/clip-mp4-voka.mp4");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "0 2026/05/14 08:15:00 N:48.160076 E:11.585832 51.4 km/h x:0.02 y:0.02 z:1.01;");
    EXPECT_EQ(countLines(r.out), 4);
    EXPECT_EQ(run("--format lines " + kData + "/clip.ts").out, run(kData + "/clip.ts").out);
}

TEST(Cli, ExFormatSeparatesTheGsensorLines)
{
    Outcome r = run("--format ex " + kData + "/clip.mov");
    EXPECT_EQ(r.code, 0);
    size_t sep = r.out.find("\n--\n");
    ASSERT_NE(sep, std::string::npos);
    EXPECT_EQ(countLines(r.out.substr(0, sep + 1)), 4);
    EXPECT_NE(r.out.find(" V:0;\n"), std::string::npos);
    EXPECT_NE(r.out.find("3 2026/05/15 17:42:13 x:0.00 y:0.00 z:0.00;"), std::string::npos);
}

TEST(Cli, SeveralFilesGetHeadersAndTheWorstExitCode)
{
    std::string empty = "/tmp/tscan-cli-empty-" + std::to_string(getpid()) + ".mp4";
    std::ofstream(empty) << "no telemetry here, just some bytes";
    Outcome r = run(kData + "/clip.ts " + kData + "/clip.avi");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.rfind("# " + kData + "/clip.ts\n", 0), 0u);
    EXPECT_NE(r.out.find("\n# " + kData + "/clip.avi\n"), std::string::npos);

    r = run(kData + "/clip.ts " + empty);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "trava-gps: no telemetry in " + empty + "\n");
    EXPECT_EQ(countLines(r.out), 2 + 3);

    r = run(empty + " /nonexistent/clip.mp4 " + kData + "/clip.ts");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("trava-gps: cannot read /nonexistent/clip.mp4: "), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("2 2026/05/14 08:20:02"), std::string::npos);  // later files still decoded
    std::remove(empty.c_str());
}

TEST(Cli, EventsFormatListsHarshEventsInG)
{
    // The same drive stored in g and in m/s² gives the same rows.
    for (const char* name : {"/incident.mp4", "/incident-ms2.mp4"}) {
        Outcome r = run("--format events " + kData + name);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, "index,time,kind,peak_g\n"
                         "8,2026/05/14 09:00:08,brake,0.62\n"
                         "15,2026/05/14 09:00:15,turn,0.58\n"
                         "22,2026/05/14 09:00:22,impact,2.13\n") << name;
    }
    // A quiet drive: the header alone; without telemetry: the header, a message, status 1.
    Outcome quiet = run("--format events " + kData + "/trip-2.mp4");
    EXPECT_EQ(quiet.code, 0);
    EXPECT_EQ(quiet.out, "index,time,kind,peak_g\n");
    Outcome none = run("--format=events --sensitivity=high " + kData + "/playback/clip2s.mp4");
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.out, "index,time,kind,peak_g\n");
    EXPECT_NE(none.err.find("no telemetry"), std::string::npos);
    // Several files: a "# name" line and a header before each one's rows.
    Outcome two = run("--format events " + kData + "/trip-1.mp4 " + kData + "/incident.mp4");
    EXPECT_EQ(two.out.rfind("# trip-1.mp4\nindex,time,kind,peak_g\n# incident.mp4\nindex,time,kind,peak_g\n8,", 0), 0u)
        << two.out;
    // A merged trip is one drive; the sensitivity is passed on (0.58 g is a turn on every setting).
    Outcome low = run("--format events --sensitivity low --merge " + kData + "/incident.mp4");
    EXPECT_EQ(countLines(low.out), 4) << low.out;
}

TEST(Cli, UsageErrorsExitWithTwoAndOneLine)
{
    for (const char* args : {"", "--format xml x.mp4", "--bogus x.mp4", "--format", "--sun 2026-13-01 48 11 1",
                             "--sun 2026-05-14 48 11", "--sun 2026-05-14 north 11 1", "--datum utm x.mp4",
                             "--format events --sensitivity extreme x.mp4", "--format events --sensitivity"}) {
        Outcome r = run(args);
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_EQ(countLines(r.err), 1) << args << ": " << r.err;
        EXPECT_EQ(r.err.rfind("trava-gps: ", 0), 0u) << r.err;
        EXPECT_EQ(r.out, "") << args;
    }
    Outcome dir = run("/tmp");
    EXPECT_EQ(dir.code, 2);
    EXPECT_NE(dir.err.find("/tmp"), std::string::npos);
}

TEST(Cli, HelpVersionAndSunTimes)
{
    Outcome help = run("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: trava-gps"), std::string::npos);
    // Exports keep the camera's zone-less local times; users must be told so.
    EXPECT_NE(help.out.find("local time without a zone"), std::string::npos);
    Outcome version = run("--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "trava-gps V2019.11.28\n");
    Outcome sun = run("--sun 2026-06-21 22.54 114.06 8");
    EXPECT_EQ(sun.code, 0);
    int rise = -1, set = -1;
    kalGpsGetSunTimer(&rise, &set, 8, 2026, 6, 21, 114.06f, 22.54f);
    char expected[64];
    std::snprintf(expected, sizeof expected, "sunrise %02d:%02d\nsunset %02d:%02d\n", rise / 60, rise % 60, set / 60,
                  set % 60);
    EXPECT_EQ(sun.out, expected);
    EXPECT_LT(rise, 6 * 60);  // midsummer in the south of China: up before six
    EXPECT_GT(set, 18 * 60);
}
