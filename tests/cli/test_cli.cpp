// trava-gps as users run it: formats, several files, exit codes and messages.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/processrunner.h"
#include "telemetry/kalgpsapi.h"
#include "telemetry/kalgpsprotocol.h"

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

std::string readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// A folder of its own for one test, removed at the end.
struct TempDir {
    std::filesystem::path path;
    explicit TempDir(const std::string& name)
        : path(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid())))
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

// Runs the tool with stderr on a pseudo-terminal (stdout to /dev/null); returns what the
// terminal received.
std::string runOnTerminal(const std::vector<std::string>& args)
{
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return "openpty failed";
    const pid_t pid = fork();
    if (pid == 0) {
        close(master);
        dup2(slave, STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        std::vector<char*> argv{const_cast<char*>(TRAVA_GPS_TOOL)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(TRAVA_GPS_TOOL, argv.data());
        _exit(127);
    }
    close(slave);
    std::string seen;
    char buf[4096];
    for (;;) {
        const ssize_t n = read(master, buf, sizeof buf);
        if (n > 0)
            seen.append(buf, size_t(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break; // EIO once the tool has exited
    }
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    return seen;
}

// A folder like a camera card: the committed clips under two levels of folders, copies to
// make it longer, a file the library does not read and one with no telemetry.
void makeCard(const TempDir& dir)
{
    namespace fs = std::filesystem;
    fs::create_directories(dir / "card/DCIM/101");
    fs::create_directories(dir / "card/DCIM/100");
    for (int i = 0; i < 12; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "card/DCIM/100/F%03d.TS", i);
        fs::copy_file(kData + "/clip.ts", dir / name);
    }
    fs::copy_file(kData + "/clip.mov", dir / "card/DCIM/101/A.mov");
    fs::copy_file(kData + "/clip-mp4-voka.mp4", dir / "card/B.MP4");
    std::ofstream(dir / "card/DCIM/101/empty.mp4") << "no telemetry";
    std::ofstream(dir / "card/DCIM/notes.jpg") << "not a recording";
    std::ofstream(dir / "card/.hidden.mp4") << "hidden";
}

// A TXT file of telemetry blocks with two samples: a recording whose lines go to a .txt.
void writeTextRecording(const std::string& path)
{
    KalSetEncType(1);
    std::string bytes(20, '\0');
    MakeHeader(reinterpret_cast<unsigned char*>(bytes.data()), 2);
    for (int i = 0; i < 2; ++i) {
        const std::string text =
            "2019/11/28 10:00:0" + std::to_string(i) + " N:22.5000 E:113.9000 36.5 km/h x:0.10 y:-0.20 z:9.80";
        unsigned char block[132];
        MakeEncryptDataBlock(i, text.c_str(), int(text.size()), block);
        bytes.append(reinterpret_cast<const char*>(block), sizeof block);
    }
    std::ofstream(path, std::ios::binary) << bytes;
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
    EXPECT_EQ(r.err, "trava-gps: no telemetry in " + empty +
                         "\ntrava-gps: 2 files: 1 with telemetry, 1 without, 0 unreadable\n");
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
    // Without --tz exports keep the recorded times; users must be told so, and how to change it.
    EXPECT_NE(help.out.find("as it is recorded"), std::string::npos);
    EXPECT_NE(help.out.find("--tz auto|ZONE|recorded"), std::string::npos);
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

// The telemetry of trip-1.mp4 starts at 08:30:01 UTC; a camera two hours ahead and 6 s fast
// names it 10:30:07.
TEST(Cli, TimeZonesOfTheCommandLine)
{
    TempDir dir("tz");
    const std::string named = (dir.path / "2026_0514_103007_001F.mp4").string();
    std::filesystem::copy_file(kData + "/trip-1.mp4", named);
    for (const char* format : {"csv", "gpx", "kml", "geojson", "events", "lines"}) {
        // No --tz, or --tz recorded: the documents of before, byte for byte.
        const Outcome plain = run(std::string("--format ") + format + " " + named);
        EXPECT_EQ(plain.code, 0);
        EXPECT_EQ(run(std::string("--format ") + format + " --tz recorded " + named).out, plain.out) << format;
        EXPECT_EQ(plain.out.find("+02:00"), std::string::npos) << format;
        EXPECT_EQ(plain.out.find(":01Z"), std::string::npos) << format;
    }
    EXPECT_NE(run("--format csv " + named).out.find("\n0,2026-05-14T08:30:01,48.161961,"), std::string::npos);
    EXPECT_NE(run("--format gpx " + named).out.find("<time>2026-05-14T08:30:01</time>"), std::string::npos);

    const Outcome automatic = run("--format csv --tz auto " + named);
    EXPECT_EQ(automatic.code, 0);
    EXPECT_NE(automatic.out.find("\n0,2026-05-14T10:30:01+02:00,48.161961,"), std::string::npos) << automatic.out;
    // Without a date in the name there is no zone to find: UTC.
    EXPECT_NE(run("--format csv --tz=auto " + kData + "/trip-1.mp4").out.find("\n0,2026-05-14T08:30:01+00:00,"),
              std::string::npos);
    EXPECT_NE(run("--format gpx --tz auto " + named).out.find("<time>2026-05-14T08:30:01Z</time>"), std::string::npos);
    // Named zones from the system's database, summer time and odd offsets included.
    EXPECT_NE(run("--format geojson --tz Europe/Berlin " + named).out.find("\"2026-05-14T10:30:01+02:00\""),
              std::string::npos);
    EXPECT_NE(run("--format csv --tz America/New_York " + named).out.find("\n0,2026-05-14T04:30:01-04:00,"),
              std::string::npos);
    EXPECT_NE(run("--format kml --tz Asia/Kathmandu " + named).out.find("<when>2026-05-14T14:15:01+05:45</when>"),
              std::string::npos);
    EXPECT_NE(run("--format gpx --tz UTC " + named).out.find("<time>2026-05-14T08:30:01Z</time>"), std::string::npos);
    // A zone the database lacks, or a name that reaches outside it, is a usage error.
    for (const char* bad : {"Nowhere/Zone", "../../../etc/passwd", "/etc/localtime", "Europe/../UTC", "\"\""}) {
        const Outcome r = run(std::string("--format csv --tz ") + bad + " " + named);
        EXPECT_EQ(r.code, 2) << bad;
        EXPECT_EQ(r.out, "") << bad;
        EXPECT_EQ(countLines(r.err), 1) << bad;
    }
}

TEST(CliBatch, FoldersAreReadInNameOrderWhateverTheJobs)
{
    TempDir dir("tscan-cli-card");
    makeCard(dir);
    Outcome one = run("-r -j 1 " + dir / "card");
    Outcome many = run("-r -j 4 " + dir / "card");
    EXPECT_EQ(one.code, 1);  // empty.mp4 has no telemetry
    EXPECT_EQ(many.code, 1);
    EXPECT_EQ(one.out, many.out);
    EXPECT_EQ(one.err, many.err);
    // Entries in byte order at every level: B.MP4 before DCIM, 100 before 101.
    std::vector<std::string> headers;
    std::istringstream lines(many.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("# ", 0) == 0)
            headers.push_back(line.substr(2 + (dir / "card/").size()));
    }
    std::vector<std::string> expected{"B.MP4"};
    for (int i = 0; i < 12; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "DCIM/100/F%03d.TS", i);
        expected.push_back(name);
    }
    expected.push_back("DCIM/101/A.mov");
    expected.push_back("DCIM/101/empty.mp4");
    EXPECT_EQ(headers, expected);
    // Each file's lines follow its own header, exactly as when read alone.
    const std::string ts = run(kData + "/clip.ts").out;
    EXPECT_NE(many.out.find("DCIM/100/F011.TS\n" + ts + "# "), std::string::npos);
    EXPECT_EQ(countLines(many.out), 15 + 12 * 3 + 4 + 4);
    // The summary counts every file once; without a terminal nothing else is written.
    EXPECT_EQ(many.err, "trava-gps: no telemetry in " + dir / "card/DCIM/101/empty.mp4" +
                            "\ntrava-gps: 15 files: 14 with telemetry, 1 without, 0 unreadable\n");
}

TEST(CliBatch, ExportsAndMergeGiveTheSameDocumentInParallel)
{
    TempDir dir("tscan-cli-merge");
    makeCard(dir);
    for (const char* format : {"gpx", "csv", "ex"}) {
        const std::string args = std::string("--format ") + format + " -r " + dir / "card";
        Outcome serial = run("-j1 " + args);
        Outcome parallel = run("--jobs=3 " + args);
        EXPECT_EQ(serial.out, parallel.out) << format;
        EXPECT_EQ(serial.code, parallel.code) << format;
    }
    Outcome merged = run("-j 2 --merge --format csv -r " + dir / "card");
    // Copies of one clip are one drive: their repeated samples appear once.
    EXPECT_EQ(countLines(merged.out), 1 + 3 + 4 + 4);
    EXPECT_EQ(merged.out, run("-j 1 --merge --format csv " + kData + "/clip.ts " + kData + "/clip.mov " + kData +
                              "/clip-mp4-voka.mp4")
                              .out);
}

TEST(CliBatch, OutputFolderGetsOneFilePerInput)
{
    TempDir dir("tscan-cli-out");
    makeCard(dir);
    const std::string out = dir / "out";
    Outcome r = run("-r -j 3 --format csv -o " + out + " " + dir / "card" + " " + kData + "/clip.avi");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFile(out + "/card/DCIM/100/F007.csv"), run("--format csv " + kData + "/clip.ts").out);
    EXPECT_EQ(readFile(out + "/card/B.csv"), run("--format csv " + kData + "/clip-mp4-voka.mp4").out);
    EXPECT_TRUE(std::filesystem::exists(out + "/card/DCIM/101/A.csv"));
    EXPECT_TRUE(std::filesystem::exists(out + "/clip.csv"));  // a file named alone: its base name
    // No file for an input without telemetry, and no leftovers of half-written ones.
    EXPECT_FALSE(std::filesystem::exists(out + "/card/DCIM/101/empty.csv"));
    int files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(out))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 15);

    // Inputs that would share a name keep their endings; lines go to .txt files.
    Outcome same = run("-o " + out + "/same " + kData + "/clip.ts " + kData + "/clip.mov");
    EXPECT_EQ(same.code, 0);
    EXPECT_EQ(readFile(out + "/same/clip.ts.txt"), run(kData + "/clip.ts").out);
    EXPECT_EQ(readFile(out + "/same/clip.mov.txt"), run(kData + "/clip.mov").out);
    Outcome merged = run("--merge --format gpx -o " + out + "/m " + kData + "/clip.ts " + kData + "/clip.avi");
    EXPECT_EQ(merged.code, 0);
    EXPECT_EQ(readFile(out + "/m/merged.gpx"), run("--merge --format gpx " + kData + "/clip.ts " + kData + "/clip.avi").out);
}

TEST(CliBatch, FailuresAreCountedAndDecideTheExitStatus)
{
    TempDir dir("tscan-cli-fail");
    std::ofstream(dir / "empty.ts") << "nothing";
    Outcome r = run("-j 2 " + kData + "/clip.ts " + dir / "empty.ts" + " " + dir / "missing.mp4" + " " + kData +
                    "/clip.avi");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("trava-gps: cannot read " + dir / "missing.mp4"), std::string::npos);
    EXPECT_NE(r.err.find("\ntrava-gps: 4 files: 2 with telemetry, 1 without, 1 unreadable\n"), std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("# " + kData + "/clip.avi\n0 2026/05/14 08:25:00"), std::string::npos);

    // An unreadable output folder is a failure too, though every input had telemetry.
    std::ofstream(dir / "file") << "x";
    Outcome blocked = run("-o " + dir / "file/sub" + " " + kData + "/clip.ts");
    EXPECT_EQ(blocked.code, 2);
    EXPECT_EQ(countLines(blocked.err), 1) << blocked.err;

    // So is a full disk under standard output.
    Outcome full = run(kData + "/clip.ts >/dev/full");
    EXPECT_EQ(full.code, 2);
    EXPECT_NE(full.err.find("cannot write standard output"), std::string::npos) << full.err;

    // A folder without recordings, and a folder given without -r.
    std::filesystem::create_directories(dir / "nothing");
    EXPECT_EQ(run("-r " + dir / "nothing").code, 1);
    Outcome noRecurse = run(dir / "nothing");
    EXPECT_EQ(noRecurse.code, 2);
    EXPECT_NE(noRecurse.err.find("is a directory"), std::string::npos);

    for (const char* args : {"-j 0 x.ts", "-j many x.ts", "--jobs", "-j 99999 x.ts", "-o", "--output= x.ts"}) {
        Outcome u = run(args);
        EXPECT_EQ(u.code, 2) << args;
        EXPECT_EQ(countLines(u.err), 1) << args << ": " << u.err;
    }
}

TEST(CliBatch, ProgressLineOnlyOnATerminal)
{
    TempDir dir("tscan-cli-tty");
    makeCard(dir);
    const std::string terminal = runOnTerminal({"-r", "-j", "2", dir / "card"});
    EXPECT_NE(terminal.find("/15 files, "), std::string::npos) << terminal;
    EXPECT_NE(terminal.find(" MB/s"), std::string::npos) << terminal;
    EXPECT_NE(terminal.find("\r\033[K"), std::string::npos);
    // The line is wiped before other text; the summary ends the output (the terminal turns
    // each newline into CR LF).
    const std::string summary = "trava-gps: 15 files: 14 with telemetry, 1 without, 0 unreadable\r\n";
    ASSERT_GT(terminal.size(), summary.size());
    EXPECT_EQ(terminal.substr(terminal.size() - summary.size()), summary) << terminal;
    const std::string afterLastLine = terminal.substr(terminal.rfind("MB/s"));
    EXPECT_NE(afterLastLine.find("\r\033[K"), std::string::npos) << terminal;

    Outcome piped = run("-r -j 2 " + dir / "card");
    EXPECT_EQ(piped.err.find("MB/s"), std::string::npos);
    EXPECT_EQ(piped.err.find('\r'), std::string::npos);
    // One file: no progress and no summary even on a terminal.
    const std::string single = runOnTerminal({kData + "/clip.ts"});
    EXPECT_EQ(single, "");
}

// The manual and --help must list the same options.
TEST(Cli, ManualAndHelpListTheSameOptions)
{
    auto options = [](std::string text) {
        // troff writes a minus as "\-"; font changes are "\fB" and friends.
        text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
        text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
        std::set<std::string> found;
        std::regex option(R"((^|[\s\[,|(])(--?[a-z][a-z-]*))");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
            found.insert((*it)[2]);
        return found;
    };
    const std::string page = readFile(TRAVA_MAN_DIR "/trava-gps.1");
    ASSERT_FALSE(page.empty());
    const std::set<std::string> help = options(run("--help").out);
    EXPECT_TRUE(help.count("--recursive") && help.count("-j") && help.count("--output") && help.count("--sun"));
    EXPECT_EQ(options(page), help);
    // Every exit code the help names is explained in the manual.
    for (const char* code : {".B 0", ".B 1", ".B 2"})
        EXPECT_NE(page.find(code), std::string::npos) << code;
}

// Another user who can write the output folder plants links where trava-gps writes: the
// old fixed "NAME.part", the output's own name, a folder of the outputs. None is followed.
TEST(CliBatch, OutputsNeverFollowPlantedLinks)
{
    namespace fs = std::filesystem;
    TempDir dir("tscan-cli-links");
    fs::create_directories(dir / "home");
    std::ofstream(dir / "home/profile") << "mine";
    std::ofstream(dir / "home/bashrc") << "mine too";
    fs::create_directories(dir / "shared");
    fs::permissions(dir / "shared", fs::perms::all); // as /tmp: everybody writes here
    fs::create_symlink(dir / "home/profile", dir / "shared/clip.txt.part");
    fs::create_symlink(dir / "home/bashrc", dir / "shared/clip.txt");
    Outcome r = run("-o " + dir / "shared" + " " + kData + "/clip.ts");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(readFile(dir / "home/profile"), "mine");
    EXPECT_EQ(readFile(dir / "home/bashrc"), "mine too");
    EXPECT_FALSE(fs::is_symlink(dir / "shared/clip.txt"));
    EXPECT_EQ(readFile(dir / "shared/clip.txt"), run(kData + "/clip.ts").out);

    // A link to a folder in a folder others can write leads nowhere: refused, nothing written.
    fs::create_directories(dir / "card");
    fs::copy_file(kData + "/clip.ts", dir / "card/F001.TS");
    fs::create_symlink(dir / "home", dir / "shared/card");
    Outcome planted = run("-r -o " + dir / "shared" + " " + dir / "card");
    EXPECT_EQ(planted.code, 2);
    EXPECT_NE(planted.err.find("not followed"), std::string::npos) << planted.err;
    EXPECT_FALSE(fs::exists(dir / "home/F001.txt"));
    Outcome plantedOut = run("-o " + dir / "shared/card/deeper" + " " + kData + "/clip.ts");
    EXPECT_EQ(plantedOut.code, 2);
    EXPECT_FALSE(fs::exists(dir / "home/deeper"));

    // The user's own link, in a folder only the user writes, is the user's choice.
    fs::create_symlink(dir / "home", dir / "mine");
    EXPECT_EQ(run("-o " + dir / "mine/tracks" + " " + kData + "/clip.ts").code, 0);
    EXPECT_TRUE(fs::is_regular_file(dir / "home/tracks/clip.txt"));
    // No temporary file is left behind anywhere.
    for (const auto& e : fs::recursive_directory_iterator(dir.path))
        EXPECT_TRUE(e.is_symlink() || e.path().string().find(".part") == std::string::npos) << e.path();
}

// An output never takes the place of an input, and no two inputs share an output.
TEST(CliBatch, OutputsNeverReplaceInputsOrEachOther)
{
    namespace fs = std::filesystem;
    TempDir dir("tscan-cli-self");
    fs::create_directories(dir / "in");
    writeTextRecording(dir / "in/rec.txt");
    const std::string before = readFile(dir / "in/rec.txt");
    ASSERT_EQ(run(dir / "in/rec.txt").code, 0);
    Outcome self = run("-o " + dir / "in" + " " + dir / "in/rec.txt");
    EXPECT_EQ(self.code, 2);
    EXPECT_NE(self.err.find("cannot write " + dir / "in" + "/rec.txt: it is an input"), std::string::npos) << self.err;
    EXPECT_EQ(readFile(dir / "in/rec.txt"), before);

    for (const char* sub : {"x", "y", "z"})
        fs::create_directories(dir / sub);
    fs::copy_file(kData + "/clip-mp4-voka.mp4", dir / "x/a.mp4");
    fs::copy_file(kData + "/clip.mov", dir / "y/a.mp4");
    fs::copy_file(kData + "/clip.avi", dir / "z/a.mp4~2.mov");
    Outcome three = run("-o " + dir / "out" + " " + dir / "x/a.mp4" + " " + dir / "y/a.mp4" + " " + dir / "z/a.mp4~2.mov");
    EXPECT_EQ(three.code, 0) << three.err;
    EXPECT_EQ(readFile(dir / "out/a.mp4.txt"), run(dir / "x/a.mp4").out);
    EXPECT_EQ(readFile(dir / "out/a.mp4~3.txt"), run(dir / "y/a.mp4").out);
    EXPECT_EQ(readFile(dir / "out/a.mp4~2.txt"), run(dir / "z/a.mp4~2.mov").out);
    // Names that differ only in case are one file on a card's file system.
    fs::copy_file(kData + "/clip.ts", dir / "x/B.ts");
    fs::copy_file(kData + "/clip.ts", dir / "y/b.ts");
    Outcome cased = run("-o " + dir / "cased" + " " + dir / "x/B.ts" + " " + dir / "y/b.ts");
    EXPECT_EQ(cased.code, 0);
    EXPECT_TRUE(fs::exists(dir / "cased/B.ts.txt"));
    EXPECT_TRUE(fs::exists(dir / "cased/b.ts~2.txt"));
}

// A FIFO named like a recording has no writer: reading it would wait forever.
TEST(CliBatch, ThingsThatAreNotFilesAreUnreadable)
{
    TempDir dir("tscan-cli-fifo");
    ASSERT_EQ(mkfifo((dir / "f.mp4").c_str(), 0600), 0);
    for (const char* jobs : {"", "-j 2 "}) {
        // timeout ends an old build's endless wait, so that the test fails instead of hanging.
        Outcome r = runProcess("timeout 10 " + tool() + " " + jobs + dir / "f.mp4" + " " + kData + "/clip.ts", true);
        EXPECT_EQ(r.code, 2) << jobs;
        EXPECT_NE(r.err.find("trava-gps: cannot read " + dir / "f.mp4" + ": not a regular file"), std::string::npos)
            << jobs << r.err;
        EXPECT_NE(r.out.find("# " + kData + "/clip.ts\n0 "), std::string::npos) << jobs;
    }
}

// A card of two cameras' layouts, written by the test: --groups reads it as the player does.
TEST(CliBatch, GroupsListEveryRecordingOfACardByMoment)
{
    namespace fs = std::filesystem;
    TempDir dir("trava-cli-groups");
    for (const char* name : {"card/Movie/2026_0514_091500_0001F.MP4", "card/Movie/2026_0514_091501_0001R.mp4",
                             "card/Movie/2026_0514_091600_0002F.MP4", "card/RO/2026_0514_091700_0003EF.MP4",
                             "card/RO/2026_0514_091700_0003ER.MP4", "card/Normal/Back/NO20260514-080000-000001B.Mov",
                             "card/Normal/Front/NO20260514-080000-000001F.mp4", "card/Rear/CLIP0001.MP4",
                             "card/Movie/odd, name.mp4", "card/.hidden/2026_0514_091500_0001I.MP4",
                             "card/Movie/._2026_0514_091500_0001I.MP4", "card/Movie/thumb.jpg"}) {
        fs::create_directories(fs::path(dir / name).parent_path());
        std::ofstream(dir / name) << "x";
    }
    // A clip whose name holds no time and whose header gives none.
    fs::copy_file(kData + "/clip.mov", dir / "card/Rear/CLIP0002.MOV");

    Outcome r = runProcess("cd " + dir.path.string() + " && XDG_CONFIG_HOME=/nonexistent " + tool() + " --groups card", true);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::istringstream lines(r.out);
    std::string line;
    std::vector<std::string> rows;
    while (std::getline(lines, line))
        rows.push_back(line);
    ASSERT_GE(rows.size(), 10u) << r.out;
    EXPECT_EQ(rows[0], "group,start,kind,channel,path");
    EXPECT_EQ(rows[1], "1,2026-05-14T08:00:00,normal,front,card/Normal/Front/NO20260514-080000-000001F.mp4");
    EXPECT_EQ(rows[2], "1,2026-05-14T08:00:00,normal,rear,card/Normal/Back/NO20260514-080000-000001B.Mov");
    EXPECT_EQ(rows[3], "2,2026-05-14T09:15:00,normal,front,card/Movie/2026_0514_091500_0001F.MP4");
    EXPECT_EQ(rows[4], "2,2026-05-14T09:15:01,normal,rear,card/Movie/2026_0514_091501_0001R.mp4");
    EXPECT_EQ(rows[5], "3,2026-05-14T09:16:00,normal,front,card/Movie/2026_0514_091600_0002F.MP4");
    EXPECT_EQ(rows[6], "4,2026-05-14T09:17:00,locked,front,card/RO/2026_0514_091700_0003EF.MP4");
    EXPECT_EQ(rows[7], "4,2026-05-14T09:17:00,locked,rear,card/RO/2026_0514_091700_0003ER.MP4");
    // Without a time: after the rest, each alone, by path; names with commas quoted.
    EXPECT_EQ(rows[8], "5,,normal,front,\"card/Movie/odd, name.mp4\"");
    EXPECT_EQ(rows[9], "6,,unknown,rear,card/Rear/CLIP0001.MP4");
    EXPECT_EQ(rows[10], "7,,unknown,rear,card/Rear/CLIP0002.MOV");
    EXPECT_EQ(r.out.find("hidden"), std::string::npos);
    EXPECT_EQ(r.out.find("thumb"), std::string::npos);
    EXPECT_EQ(r.out.find("._"), std::string::npos);
    EXPECT_EQ(countLines(r.out), 11) << r.out;

    // A missing path is an error, the rest is still listed.
    Outcome missing = run("--groups " + (dir / "card/Movie") + " " + (dir / "nothing-here"));
    EXPECT_EQ(missing.code, 2);
    EXPECT_NE(missing.err.find("nothing-here"), std::string::npos);
    EXPECT_EQ(countLines(missing.out), 5);
    Outcome noPath = run("--groups");
    EXPECT_EQ(noPath.code, 2);
    EXPECT_EQ(countLines(noPath.err), 1);
    EXPECT_EQ(run("-r --groups -r " + (dir / "card/RO")).code, 0);
}

TEST(CliBatch, GroupsReportABadRuleFileOnceAndGoOn)
{
    namespace fs = std::filesystem;
    TempDir dir("trava-cli-grouprules");
    fs::create_directories(dir / "conf/Trava/Trava Player");
    std::ofstream(dir / "conf/Trava/Trava Player/cardrules.txt")
        << "name {Y}{M}{D} channels=F:front\n\x7f\x01garbage{{{\nname X{#}{channel} channels=F:front,Z:other\n";
    fs::create_directories(dir / "card");
    std::ofstream(dir / "card/X12Z.mp4") << "x";
    std::ofstream(dir / "card/20260514_101500_NF.mp4") << "x";
    Outcome r = runProcess("XDG_CONFIG_HOME=" + (dir / "conf") + " " + tool() + " --groups " + (dir / "card"), true);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(countLines(r.err), 2) << r.err;
    EXPECT_NE(r.err.find("cardrules.txt:1:"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("cardrules.txt:2:"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find(",unknown,other,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1,2026-05-14T10:15:00,normal,front,"), std::string::npos) << r.out;
}
