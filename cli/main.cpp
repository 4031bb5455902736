// trava-gps: prints the telemetry that dash cameras store inside their recordings.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "telemetry/kalgpsapi.h"
#include "cli/trackexport.h"

namespace {

const char kUsage[] =
    "Usage: trava-gps [--format FORMAT] [--datum wgs84|gcj02] [--merge]\n"
    "                 [--sensitivity low|normal|high] FILE...\n"
    "       trava-gps --sun YYYY-MM-DD LAT LON TZ\n"
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
    "Times: cameras record local time without a zone; exports write them as they\n"
    "are (GPX/KML as YYYY-MM-DDThh:mm:ss with no offset), not converted to UTC.\n"
    "\n"
    "--sun prints sunrise and sunset (HH:MM) for a date, a position in degrees\n"
    "(north and east positive) and a time zone in whole hours.\n"
    "\n"
    "Exit status: 0 every file had telemetry, 1 a file had none, 2 usage error or\n"
    "unreadable file.\n";

int usageError(const std::string& message)
{
    std::cerr << "trava-gps: " << message << " (see --help)\n";
    return 2;
}

// Writes the library's text one line per sample. A line ends at a ';' that is not a
// hemisphere letter (those are always followed by ':').
void printLines(const char* text)
{
    const char* start = text;
    const char* p = text;
    for (; *p; ++p) {
        if (*p == ';' && p[1] != ':') {
            std::fwrite(start, 1, size_t(p - start + 1), stdout);
            std::fputc('\n', stdout);
            start = p + 1;
        }
    }
    if (p != start) {
        std::fwrite(start, 1, size_t(p - start), stdout);
        std::fputc('\n', stdout);
    }
}

// 0 when readable; otherwise the reason.
const char* unreadable(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return "is a directory";
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::strerror(errno);
    std::fclose(f);
    return nullptr;
}

// Decodes one file in the given format; returns 0 with samples, 1 without.
int decodeFile(const std::string& path, bool extended)
{
    kalGpsInit();
    int status = 1;
    if (!extended) {
        char* text = nullptr;
        if (kalGpsDecode(&text, path.c_str(), 0) > 0 && text) {
            printLines(text);
            status = 0;
        }
        std::free(text);
    } else {
        char* track = nullptr;
        char* gsensor = nullptr;
        int n = kalGpsDecodeEx(&track, &gsensor, path.c_str(), 0);
        if (n > 0 || track) {
            if (track)
                printLines(track);
            std::fputs("--\n", stdout);
            if (gsensor)
                printLines(gsensor);
            status = 0;
        }
        std::free(track);
        std::free(gsensor);
    }
    kalGpsExit();
    return status;
}

bool parseNumber(const char* text, double* value)
{
    char* end = nullptr;
    errno = 0;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0' && errno == 0;
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

} // namespace

int main(int argc, char** argv)
{
    std::string format = "lines";
    std::string datum = "wgs84";
    bool merge = false;
    std::string sensitivity = "normal";
    std::vector<std::string> files;
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsDone || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
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
        } else if (arg == "--format" || arg == "--datum") {
            if (i + 1 >= argc)
                return usageError(arg + " needs a value");
            (arg == "--format" ? format : datum) = argv[++i];
        } else if (arg.rfind("--format=", 0) == 0) {
            format = arg.substr(9);
        } else if (arg.rfind("--datum=", 0) == 0) {
            datum = arg.substr(8);
        } else if (arg == "--sensitivity" || arg.rfind("--sensitivity=", 0) == 0) {
            if (arg == "--sensitivity" && i + 1 >= argc)
                return usageError(arg + " needs a value");
            sensitivity = arg == "--sensitivity" ? argv[++i] : arg.substr(14);
            if (sensitivity != "low" && sensitivity != "normal" && sensitivity != "high")
                return usageError("unknown sensitivity '" + sensitivity + "'");
        } else if (arg == "--merge") {
            merge = true;
        } else {
            return usageError("unknown option '" + arg + "'");
        }
    }
    if (format != "lines" && format != "ex" && !isExportFormat(format))
        return usageError("unknown format '" + format + "'");
    if (datum != "wgs84" && datum != "gcj02")
        return usageError("unknown datum '" + datum + "'");
    if (files.empty())
        return usageError("no input file");
    if (isExportFormat(format))
        return exportTracks(format, datum, merge, files, std::cout, std::cerr, harshSensitivityFromName(sensitivity));

    int status = 0;
    for (const std::string& path : files) {
        if (files.size() > 1)
            std::cout << "# " << path << "\n" << std::flush;
        if (const char* why = unreadable(path)) {
            std::cerr << "trava-gps: cannot read " << path << ": " << why << "\n";
            status = 2;
            continue;
        }
        std::fflush(stdout);
        if (decodeFile(path, format == "ex") != 0) {
            std::cerr << "trava-gps: no telemetry in " << path << "\n";
            if (status == 0)
                status = 1;
        }
        std::fflush(stdout);
    }
    return status;
}
