#include "cli/clipoptions.h"

#include <algorithm>
#include <charconv>

#include "clip/clipexport.h"

const char kClipUsage[] =
    "Usage: trava-clip [--from T] [--to T] [--burn-in] [--widgets LIST]\n"
    "                  [--place band-bottom|band-top|corner] [--unit kmh|mph]\n"
    "                  [--layout main|pip|side|grid] [--evidence] [--crf N] [--preset NAME]\n"
    "                  -o OUT.mp4 RECORDING...\n"
    "       trava-clip --help | --version\n"
    "\n"
    "Cuts the stretch of an incident out of consecutive dash-camera recordings of one trip\n"
    "into one video file.\n"
    "\n"
    "  --from T, --to T  the range; T is seconds (decimals allowed) or HH:MM:SS[.fff] from\n"
    "                    the start of the first recording (default: everything)\n"
    "  -o, --output OUT  the file to write (.mp4, .mov, .mkv or .ts); it appears whole or\n"
    "                    not at all, and never replaces a recording\n"
    "Without --burn-in the recordings' own packets are copied unchanged (lossless): the clip\n"
    "starts at the key frame at or before --from and ends at the first picture at or after\n"
    "--to; recordings are joined when their streams match.\n"
    "  --burn-in         re-encode as H.264 (x264) with the dashboard painted on every frame;\n"
    "                    sound is copied\n"
    "  --widgets LIST    comma list of speed,dial,time,position,compass,gsensor,route\n"
    "                    (default speed,time,position,gsensor)\n"
    "  --place WHERE     band-bottom (default), band-top or corner (lower left)\n"
    "  --unit kmh|mph    the speed's unit (default kmh)\n"
    "  --layout L        main (default): the recordings' own picture. pip, side or grid\n"
    "                    (with --burn-in): RECORDING... are the files of every camera of\n"
    "                    those moments, in any order. The card rules tell each file's camera\n"
    "                    and start from its name or folder (2026_0514_091500_0001F.MP4 front,\n"
    "                    ..._0001R.MP4 rear, Front/ and Rear/ folders, the user's cardrules.txt;\n"
    "                    a name that names none is the front camera); files starting within\n"
    "                    2 s are one moment. The front camera, else the first the rules name,\n"
    "                    is the main picture at its own size and frame rate, with its sound and\n"
    "                    telemetry; --from and --to count from its first recording. pip: the\n"
    "                    others a quarter wide in the top right corner (lower right with\n"
    "                    band-top); side: side by side; grid: 2x2 (a larger grid for more).\n"
    "                    A camera without a file for a moment is black; one that ends early\n"
    "                    keeps its last picture.\n"
    "  --crf N           x264 quality 0 to 51 (default 20; lower is better and larger)\n"
    "  --preset NAME     x264 preset, ultrafast to veryslow (default veryfast)\n"
    "  --evidence        also write OUT's track (.gpx, .csv), checksums (.sha256) and a\n"
    "                    report (.html, .pdf) beside it; the report's language comes\n"
    "                    from LANGUAGE, LC_ALL, LC_MESSAGES or LANG (en, de, fr, ja)\n"
    "On a terminal a progress line is shown on standard error.\n"
    "\n"
    "Exit status: 0 the clip was written, 2 usage error or it could not be written\n"
    "(one line on standard error says why).\n";

const std::vector<std::string> &clipWidgetNames()
{
    static const std::vector<std::string> names{"speed", "dial", "time", "position", "compass", "gsensor", "route"};
    return names;
}

namespace {
std::vector<std::string> splitList(const std::string &text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        out.push_back(text.substr(start, end - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return out;
}

bool oneOf(const std::string &v, std::initializer_list<const char *> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char *n) { return v == n; });
}
} // namespace

bool parseClipOptions(int argc, char **argv, ClipOptions *o, std::string *why)
{
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string v;
        // Options that take a value accept it as the next word or after '='.
        auto takes = [&](const char *name) {
            const std::string n(name);
            if (arg == n) {
                if (i + 1 >= argc)
                    return false;
                v = argv[++i];
                return true;
            }
            if (arg.rfind(n + "=", 0) == 0) {
                v = arg.substr(n.size() + 1);
                return true;
            }
            return false;
        };
        auto named = [&](const char *name) { return arg == name || arg.rfind(std::string(name) + "=", 0) == 0; };
        auto needs = [&](const std::string &what) {
            *why = arg + " needs " + what;
            return false;
        };
        if (optionsDone || arg.empty() || arg[0] != '-' || arg == "-") {
            o->recordings.push_back(arg);
        } else if (arg == "--") {
            optionsDone = true;
        } else if (arg == "--help" || arg == "-h") {
            o->help = true;
        } else if (arg == "--version") {
            o->version = true;
        } else if (arg == "--burn-in") {
            o->burnIn = true;
        } else if (arg == "--evidence") {
            o->evidence = true;
        } else if (named("--from") || named("--to")) {
            const bool from = named("--from");
            if (!takes(from ? "--from" : "--to"))
                return needs("a time");
            double t = 0;
            if (!clip::parseClipTime(v, &t)) {
                *why = "invalid time '" + v + "', expected seconds or HH:MM:SS[.fff]";
                return false;
            }
            (from ? o->from : o->to) = t;
        } else if (named("--widgets")) {
            if (!takes("--widgets"))
                return needs("a list");
            o->widgets.clear();
            for (const std::string &w : splitList(v)) {
                const auto &known = clipWidgetNames();
                if (std::find(known.begin(), known.end(), w) == known.end()) {
                    *why = "unknown widget '" + w + "'";
                    return false;
                }
                if (std::find(o->widgets.begin(), o->widgets.end(), w) == o->widgets.end())
                    o->widgets.push_back(w);
            }
        } else if (named("--place")) {
            if (!takes("--place"))
                return needs("a place");
            if (!oneOf(v, {"band-bottom", "band-top", "corner"})) {
                *why = "unknown place '" + v + "'";
                return false;
            }
            o->place = v;
        } else if (named("--unit")) {
            if (!takes("--unit"))
                return needs("a unit");
            if (!oneOf(v, {"kmh", "mph"})) {
                *why = "unknown unit '" + v + "'";
                return false;
            }
            o->unit = v;
        } else if (named("--layout")) {
            if (!takes("--layout"))
                return needs("a layout");
            if (!oneOf(v, {"main", "pip", "side", "grid"})) {
                *why = "unknown layout '" + v + "'";
                return false;
            }
            o->layout = v;
        } else if (named("--crf")) {
            if (!takes("--crf"))
                return needs("a number");
            int n = -1;
            const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (v.empty() || ec != std::errc() || ptr != v.data() + v.size() || n < 0 || n > 51) {
                *why = "invalid quality '" + v + "', expected 0 to 51";
                return false;
            }
            o->crf = n;
        } else if (named("--preset")) {
            if (!takes("--preset") || v.empty())
                return needs("a name");
            if (!oneOf(v, {"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower",
                           "veryslow", "placebo"})) {
                *why = "unknown preset '" + v + "'";
                return false;
            }
            o->preset = v;
        } else if (arg == "-o" || named("--output")) {
            if (!takes(arg == "-o" ? "-o" : "--output") || v.empty())
                return needs("a file");
            o->output = v;
        } else {
            *why = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (o->help || o->version)
        return true;
    if (o->output.empty()) {
        *why = "no output file (-o OUT.mp4)";
        return false;
    }
    if (o->recordings.empty()) {
        *why = "no recording given";
        return false;
    }
    if (o->to >= 0 && o->to <= o->from) {
        *why = "--from must come before --to";
        return false;
    }
    if (!o->burnIn && o->layout != "main") {
        *why = "--layout needs --burn-in";
        return false;
    }
    return true;
}
