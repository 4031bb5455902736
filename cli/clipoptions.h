#pragma once
// The command line of trava-clip, parsed without Qt: what to cut, how, and where to.
#include <string>
#include <vector>

struct ClipOptions {
    double from = 0;
    double to = -1;                 // negative: to the end
    bool burnIn = false;
    std::vector<std::string> widgets{"speed", "time", "position", "gsensor"};
    std::string place = "band-bottom"; // band-bottom, band-top, corner
    std::string unit = "kmh";          // kmh, mph
    std::string layout = "main";       // main, pip, side, grid
    bool evidence = false;
    int crf = 20;
    std::string preset = "veryfast";
    std::string output;
    std::vector<std::string> recordings;
    bool help = false, version = false;
};

// The widget names --widgets knows, in the order the help lists them.
const std::vector<std::string> &clipWidgetNames();

// Parses argv; false with a one-line reason in why on a usage error.
bool parseClipOptions(int argc, char **argv, ClipOptions *o, std::string *why);

extern const char kClipUsage[];
