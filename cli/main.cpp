// trava-gps: prints the telemetry that dash cameras store inside their recordings.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "telemetry/kalgpsapi.h"
#include "cli/batch.h"
#include "cli/cameracard.h"
#include "cli/cardgroups.h"
#include "cli/inputs.h"
#include "cli/progressline.h"
#include "cli/safefile.h"
#include "cli/systemzone.h"
#include "cli/trackexport.h"
#include "track/cameraclock.h"

namespace {

// How a format is made from what the library read: its sample lines as they are, the
// cleaned track with its G-sensor lines, or a track for other programs (trava_export).
enum class Kind { Lines, Extended, Track };

struct Format {
    const char* name;
    const char* extension; // of the files -o writes
    Kind kind;
};

// A new format is one more row here (and, for a new kind, a case in writeOne).
const Format kFormats[] = {
    {"lines", "txt", Kind::Lines}, {"ex", "txt", Kind::Extended}, {"csv", "csv", Kind::Track},
    {"gpx", "gpx", Kind::Track},   {"kml", "kml", Kind::Track},   {"geojson", "geojson", Kind::Track},
    {"events", "events.csv", Kind::Track},
};

const Format* findFormat(const std::string& name)
{
    for (const Format& f : kFormats) {
        if (name == f.name)
            return &f;
    }
    return nullptr;
}

struct Options {
    const Format* format = &kFormats[0];
    std::string datum = "wgs84";
    HarshSensitivity sensitivity = HarshSensitivity::Normal;
    bool merge = false;
    bool recurse = false;
    int jobs = 0; // 0: the processors available
    std::string outDir;
    std::vector<std::string> files;
    std::string camera; // --camera URL: the inputs are the camera's recordings
    bool groups = false;
    ClockOf clockOf; // --tz: the zone times are written in; none as recorded
};

const char kUsage[] =
    "Usage: trava-gps [--format FORMAT] [--datum wgs84|gcj02] [--merge] [-r] [-j N] [-o DIR]\n"
    "                 [--sensitivity low|normal|high] [--tz auto|ZONE|recorded] FILE...\n"
    "       trava-gps --camera URL [--format FORMAT] [-j N] [-o DIR]\n"
    "       trava-gps --sun YYYY-MM-DD LAT LON TZ\n"
    "       trava-gps --groups PATH...\n"
    "       trava-gps --help | --version\n"
    "\n"
    "Prints the GPS and G-sensor telemetry stored in dash-camera recordings\n"
    "(MP4, MOV, TS, AVI with a camera trailer, TXT files of telemetry blocks).\n"
    "\n"
    "Formats:\n"
    "  lines    one sample line per sample, as decoded (default)\n"
    "  ex       the cleaned, gap-free track: extended lines, a line \"--\", G-sensor lines\n"
    "  csv, gpx, kml, geojson   the track for other programs (--datum, --merge apply)\n"
    "  events   harsh driving events as CSV \"index,time,kind,peak_g\": kind brake,\n"
    "           accel, turn or impact; index the sample (second); peak in g whatever\n"
    "           unit the camera stores (--sensitivity, default normal, sets the limits)\n"
    "\n"
    "--datum wgs84 (default) writes positions as the camera recorded them; gcj02 writes\n"
    "        the shifted datum the player shows for positions inside China.\n"
    "--merge joins the recordings of one drive into a single track in time order.\n"
    "\n"
    "Many files:\n"
    "  -r, --recursive   read every recording under the given folders (endings mp4, mov,\n"
    "                    ts, mts, m2ts, avi, txt; hidden entries skipped), in name order\n"
    "  -j, --jobs N      read N files at once (default: the processors available);\n"
    "                    output stays in input order\n"
    "  -o, --output DIR  write one file per input under DIR (name.txt, name.csv, name.gpx,\n"
    "                    ...; with --merge one file DIR/merged.EXT) instead of standard output;\n"
    "                    names are unique over the run (a.mp4~2.txt), never an input's\n"
    "On a terminal a progress line is shown on standard error. With more than one input\n"
    "a summary line (files with telemetry, without, unreadable) ends standard error.\n"
    "Times: without --tz every export writes the telemetry's time as it is recorded,\n"
    "YYYY-MM-DDThh:mm:ss (ISO 8601, no offset). Longitude 180 is written as -180.\n"
    "--tz takes the telemetry's times as UTC and writes them in a zone: csv, kml and\n"
    "        geojson as 2026-05-14T14:05:12+02:00, gpx in UTC as 2026-05-14T12:05:12Z.\n"
    "        auto: the zone of the camera's clock, found by comparing the date and time\n"
    "        in each file's name with its telemetry (rounded to a quarter hour; UTC when\n"
    "        the name carries none); ZONE: a zone of the system's database, such as\n"
    "        Europe/Berlin (summer time follows the date); recorded: as without --tz.\n"
    "\n"
    "--camera URL reads every recording on a dash camera's card over its Wi-Fi\n"
    "        (http only, e.g. http://192.168.1.254) as -r reads a folder: only the\n"
    "        parts that hold telemetry are fetched (transport streams in full, last);\n"
    "        -o DIR mirrors the camera's folders. Names that would leave DIR are refused.\n"
    "\n"
    "--groups reads a camera's card as the player does: CSV \"group,start,kind,channel,path\",\n"
    "        one row per recording under PATH (as -r finds them, endings in any case); the\n"
    "        channels of one moment share a group number (1, 2, ... in order of start).\n"
    "        start YYYY-MM-DDTHH:MM:SS from the name, else from the MP4/MOV header; kind\n"
    "        normal, event, parking, locked, manual or unknown; channel front, rear,\n"
    "        interior, telephoto, left, right, left_pillar, right_pillar or other. Own\n"
    "        rules: ~/.config/Trava/Trava Player/cardrules.txt.\n"
    "\n"
    "--sun prints sunrise and sunset (HH:MM) for a date, a position in degrees\n"
    "(north and east positive) and a time zone in whole hours.\n"
    "\n"
    "Exit status: 0 every file had telemetry, 1 a file had none, 2 usage error,\n"
    "unreadable file or an output that could not be written.\n";

int usageError(const std::string& message)
{
    std::cerr << "trava-gps: " << message << " (see --help)\n";
    return 2;
}

// The whole argument as a decimal number, with "." as the point whatever the locale.
bool parseNumber(const char* text, double* value)
{
    const char* begin = text;
    const char* end = text + std::strlen(text);
    if (begin != end && *begin == '+' && begin + 1 != end && begin[1] != '-')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, *value, std::chars_format::general);
    return begin != end && ec == std::errc() && ptr == end && std::isfinite(*value);
}

int sunTimes(char** argv)
{
    int year = 0, month = 0, day = 0;
    char tail = 0;
    double lat = 0, lon = 0, zone = 0;
    if (std::sscanf(argv[0], "%d-%d-%d%c", &year, &month, &day, &tail) != 3)
        return usageError(std::string("invalid date '") + argv[0] + "', expected YYYY-MM-DD");
    if (!parseNumber(argv[1], &lat) || lat < -90 || lat > 90)
        return usageError(std::string("invalid latitude '") + argv[1] + "'");
    if (!parseNumber(argv[2], &lon) || lon < -180 || lon > 180)
        return usageError(std::string("invalid longitude '") + argv[2] + "'");
    if (!parseNumber(argv[3], &zone) || zone != int(zone) || zone < -12 || zone > 14)
        return usageError(std::string("invalid time zone '") + argv[3] + "', expected whole hours");
    const int unset = -100000;
    int rise = unset, set = unset;
    kalGpsGetSunTimer(&rise, &set, int(zone), year, month, day, float(lon), float(lat));
    if (rise == unset || set == unset)
        return usageError(std::string("invalid date '") + argv[0] + "'");
    auto hhmm = [](int minutes) {
        minutes = ((minutes % 1440) + 1440) % 1440;
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02d:%02d", minutes / 60, minutes % 60);
        return std::string(buf);
    };
    std::cout << "sunrise " << hhmm(rise) << "\nsunset " << hhmm(set) << "\n";
    return 0;
}


// Writes the library's text one line per sample. A line ends at a ';' that is not a
// hemisphere letter (those are always followed by ':').
void printLines(const std::string& text, std::ostream& out)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ';' && (i + 1 >= text.size() || text[i + 1] != ':')) {
            out.write(text.data() + start, std::streamsize(i - start + 1)) << '\n';
            start = i + 1;
        }
    }
    if (start < text.size())
        out.write(text.data() + start, std::streamsize(text.size() - start)) << '\n';
}

DecodedFile toDecoded(const Input& input, const Extraction& e)
{
    DecodedFile file{input.path, e.status == Extraction::Unreadable ? e.reason : std::string(), {}};
    if (e.status == Extraction::Found)
        file.lines = splitSampleLines(e.text.c_str());
    if (e.status == Extraction::Unreadable && file.unreadable.empty())
        file.unreadable = "unreadable";
    return file;
}

// Writes one input's telemetry in the chosen format; returns its code (0 with telemetry,
// 1 without, 2 unreadable), naming the file on err when it is not 0.
int writeOne(const Options& o, const Input& input, const Extraction& e, std::ostream& out, std::ostream& err)
{
    if (o.format->kind == Kind::Track)
        return exportDecoded(o.format->name, o.datum, false, {toDecoded(input, e)}, out, err, nullptr, o.sensitivity,
                             nullptr, o.clockOf);
    if (e.status == Extraction::Unreadable) {
        err << "trava-gps: cannot read " << input.path << ": " << e.reason << "\n";
        return 2;
    }
    if (e.status == Extraction::Empty) {
        err << "trava-gps: no telemetry in " << input.path << "\n";
        return 1;
    }
    printLines(e.text, out);
    if (o.format->kind == Kind::Extended) {
        out << "--\n";
        printLines(e.gsensor, out);
    }
    return 0;
}

// Writes a file under the output folder whole or not at all: a reader of the folder never
// sees half a track, a link planted in the folder is replaced rather than written through,
// and an input of the run is never written over. write returns the input's code; nothing is
// kept unless it is 0.
int writeOutputFile(const SafeFolder& out, const std::string& outDir, const std::string& relative,
                    const std::vector<FileIdentity>& inputs, const std::function<int(std::ostream&)>& write,
                    bool* writeFailed)
{
    std::ostringstream buffer;
    const int code = write(buffer);
    if (code != 0)
        return code;
    const auto slash = relative.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : relative.substr(0, slash);
    const std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
    std::string why;
    const SafeFolder dir = out.openBelow(folder, true, &why);
    if (!dir.isOpen() || dir.write(name, buffer.view(), SafeFolder::Existing::Replace, &why, inputs) !=
                             SafeFolder::Result::Written) {
        std::cerr << "trava-gps: cannot write " << outDir << "/" << relative << ": " << why << "\n";
        *writeFailed = true;
    }
    return code;
}

int run(const Options& o, const std::vector<Input>& inputs)
{
    if (inputs.empty()) {
        std::cerr << "trava-gps: no recordings found\n";
        return 1;
    }
    SafeFolder out;
    std::vector<FileIdentity> identities;
    if (!o.outDir.empty()) {
        std::string why;
        out = SafeFolder::open(o.outDir, true, &why);
        if (!out.isOpen()) {
            std::cerr << "trava-gps: cannot create " << o.outDir << ": " << why << "\n";
            return 2;
        }
        for (const Input& in : inputs) {
            FileIdentity id;
            if (fileIdentity(in.path, &id))
                identities.push_back(id);
        }
    }
    std::unique_ptr<ProgressLine> progress;
    if (inputs.size() > 1 && isatty(STDERR_FILENO)) {
        std::uint64_t bytes = 0;
        for (const Input& in : inputs)
            bytes += in.size;
        progress = std::make_unique<ProgressLine>(STDERR_FILENO, inputs.size(), bytes);
    }
    const bool whole = o.format->kind == Kind::Track && (o.outDir.empty() || o.merge);
    const std::vector<std::string> names =
        o.outDir.empty() ? std::vector<std::string>() : outputNames(inputs, o.format->extension);
    std::vector<int> codes(inputs.size(), 0);
    std::vector<DecodedFile> decoded;
    bool writeFailed = false;

    extractAll(inputs, o.format->kind == Kind::Extended, o.jobs > 0 ? o.jobs : availableCores(), progress.get(),
               [&](std::size_t i, Extraction& e) {
                   if (whole) {
                       // One document over every file: written once all are read.
                       decoded.push_back(toDecoded(inputs[i], e));
                   } else if (!o.outDir.empty()) {
                       codes[i] = writeOutputFile(
                           out, o.outDir, names[i], identities,
                           [&](std::ostream& to) { return writeOne(o, inputs[i], e, to, std::cerr); }, &writeFailed);
                   } else {
                       if (inputs.size() > 1)
                           std::cout << "# " << inputs[i].path << "\n";
                       codes[i] = writeOne(o, inputs[i], e, std::cout, std::cerr);
                       std::cout.flush();
                   }
               });
    progress.reset();

    if (whole) {
        auto exportAll = [&](std::ostream& out) {
            return exportDecoded(o.format->name, o.datum, o.merge, decoded, out, std::cerr, &codes, o.sensitivity,
                                 nullptr, o.clockOf);
        };
        if (o.outDir.empty())
            exportAll(std::cout);
        else
            writeOutputFile(out, o.outDir, std::string("merged.") + o.format->extension, identities, exportAll,
                            &writeFailed);
    }

    std::cout.flush();
    if (!std::cout) {
        std::cerr << "trava-gps: cannot write standard output\n"; // a full disk must not pass for success
        writeFailed = true;
    }
    int status = writeFailed ? 2 : 0;
    std::size_t counts[3] = {0, 0, 0};
    for (int code : codes) {
        ++counts[code < 0 || code > 2 ? 2 : code];
        status = std::max(status, code);
    }
    // The account of a batch goes to stderr whether or not it is a terminal: logs of batch
    // jobs keep it, and standard output stays the tracks alone.
    if (inputs.size() > 1)
        std::cerr << "trava-gps: " << inputs.size() << " files: " << counts[0] << " with telemetry, " << counts[1]
                  << " without, " << counts[2] << " unreadable\n";
    return status;
}

// --tz: auto, recorded or a zone of the system's database. False with *why for a zone it lacks.
bool chooseZone(const std::string& text, Options* o, std::string* why)
{
    const ZoneChoice choice = ZoneChoice::fromText(text);
    if (text.empty()) {
        *why = "--tz needs auto, recorded or a zone name";
        return false;
    }
    if (choice.mode == ZoneChoice::Mode::Recorded) {
        o->clockOf = nullptr;
        return true;
    }
    ZoneLookup lookup;
    if (choice.mode == ZoneChoice::Mode::Named && !(lookup = useSystemZone(choice.zone, why)))
        return false;
    o->clockOf = [choice, lookup](const std::string& path, const Track& track) {
        const auto clock = recordingClock(path, track);
        return clockFor(choice, clock ? std::optional<int>(clock->offsetSeconds) : std::nullopt, lookup);
    };
    return true;
}

bool parseJobs(const std::string& text, int* jobs)
{
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || n < 1 || n > 1024)
        return false;
    *jobs = int(n);
    return true;
}

} // namespace

// --groups reads the paths after it as a card, unless the card is a camera's (--camera URL).
static bool cameraAmong(int argc, char **argv)
{
    for (int k = 1; k < argc; ++k)
        if (std::string(argv[k]) == "--camera" || std::string(argv[k]).rfind("--camera=", 0) == 0)
            return true;
    return false;
}

int main(int argc, char** argv)
{
    Options o;
    std::string format = "lines";
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        // Options that take a value accept it as the next word or after '='.
        auto value = [&](const std::string& name, std::string* into) {
            if (arg == name) {
                if (i + 1 >= argc)
                    return false;
                *into = argv[++i];
                return true;
            }
            *into = arg.substr(name.size() + 1);
            return true;
        };
        auto takes = [&](const char* name) { return arg == name || arg.rfind(std::string(name) + "=", 0) == 0; };
        std::string v;
        if (optionsDone || arg.empty() || arg[0] != '-' || arg == "-") {
            o.files.push_back(arg);
        } else if (arg == "--") {
            optionsDone = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--version") {
            char version[16] = {};
            kalGpsVersion(version);
            std::cout << "trava-gps " << version << "\n";
            return 0;
        } else if (arg == "--sun") {
            if (argc - i - 1 != 4)
                return usageError("--sun needs YYYY-MM-DD LAT LON TZ");
            return sunTimes(argv + i + 1);
        } else if (arg == "--groups" && cameraAmong(argc, argv)) {
            o.groups = true; // the camera's listing is the card
        } else if (arg == "--groups") {
            // Folders are always searched: -r is what --groups does anyway.
            std::vector<std::string> paths;
            bool done = false;
            for (int k = i + 1; k < argc; ++k) {
                const std::string p = argv[k];
                if (!done && (p == "-r" || p == "--recursive"))
                    continue;
                if (!done && p == "--") {
                    done = true;
                    continue;
                }
                if (!done && p.size() > 1 && p[0] == '-')
                    return usageError("--groups takes folders and files, not '" + p + "'");
                paths.push_back(p);
            }
            if (paths.empty())
                return usageError("--groups needs a folder or file");
            return printCardGroups(paths, std::cout, std::cerr);
        } else if (takes("--format") || takes("--datum")) {
            const bool isFormat = takes("--format");
            if (!value(isFormat ? "--format" : "--datum", &v))
                return usageError(arg + " needs a value");
            (isFormat ? format : o.datum) = v;
        } else if (takes("--sensitivity")) {
            if (!value("--sensitivity", &v))
                return usageError(arg + " needs a value");
            if (v != "low" && v != "normal" && v != "high")
                return usageError("unknown sensitivity '" + v + "'");
            o.sensitivity = harshSensitivityFromName(v);
        } else if (takes("--camera")) {
            if (!value("--camera", &v) || v.empty())
                return usageError(arg + " needs an address");
            o.camera = v;
        } else if (takes("--tz")) {
            std::string why;
            if (!value("--tz", &v) || !chooseZone(v, &o, &why))
                return usageError(why.empty() ? arg + " needs a value" : why);
        } else if (arg == "--merge") {
            o.merge = true;
        } else if (arg == "-r" || arg == "--recursive") {
            o.recurse = true;
        } else if (arg == "-j" || takes("--jobs") || (arg.rfind("-j", 0) == 0 && arg.size() > 2)) {
            if (arg.rfind("-j", 0) == 0 && arg.size() > 2)
                v = arg.substr(2);
            else if (!value(arg == "-j" ? "-j" : "--jobs", &v))
                return usageError(arg + " needs a number");
            if (!parseJobs(v, &o.jobs))
                return usageError("invalid number of jobs '" + v + "', expected 1 to 1024");
        } else if (arg == "-o" || takes("--output")) {
            if (!value(arg == "-o" ? "-o" : "--output", &v) || v.empty())
                return usageError(arg + " needs a folder");
            o.outDir = v;
        } else {
            return usageError("unknown option '" + arg + "'");
        }
    }
    o.format = findFormat(format);
    if (!o.format)
        return usageError("unknown format '" + format + "'");
    if (o.datum != "wgs84" && o.datum != "gcj02")
        return usageError("unknown datum '" + o.datum + "'");
    if (!o.camera.empty()) {
        if (!o.files.empty() || o.recurse)
            return usageError("--camera takes no files");
        if (o.groups)
            return printCameraGroups(o.camera);
        std::vector<Input> inputs;
        if (const int code = cameraRunInputs(o.camera, &inputs))
            return code;
        return run(o, inputs);
    }
    if (o.files.empty())
        return usageError("no input file");
    return run(o, listInputs(o.files, o.recurse));
}
