#pragma once
// The evidence package written beside a clip: its track (.gpx, .csv), the checksums of the
// recordings and of every written file (.sha256) and the report (.html, .pdf).
// Needs a QGuiApplication (the report's fonts); the offscreen platform will do.
#include <string>
#include <vector>

struct ClipEvidence {
    std::vector<std::string> recordings; // the recordings the clip was cut from, in order
    double start = 0, end = 0;           // the clip's range on their common timeline (seconds)
    std::string clip;                    // the written clip; the package's files are named after it
    bool mph = false;                    // the report's speeds in mph rather than km/h
    std::vector<std::string> others;     // further cameras' files composed into it (hashed only)
};

// Whether this build can write the package at all (asked before a clip is cut for it).
bool evidencePackageAvailable();
// Writes the package; false with a one-line reason in why (then nothing of it is left).
bool writeEvidencePackage(const ClipEvidence &evidence, std::string *why);
