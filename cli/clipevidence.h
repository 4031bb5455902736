#pragma once
// The evidence package written beside a clip: its track (.gpx, .csv), the checksums of the
// recordings and of every written file (.sha256) and the report (.html, .pdf).
// Needs a QGuiApplication (the report's fonts); the offscreen platform will do.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <string>
#include <vector>

#include "clip/clipexport.h"

struct ClipEvidence {
    std::vector<std::string> recordings; // the recordings the clip was cut from, in order
    double start = 0, end = 0;           // the clip's range on their common timeline (seconds)
    std::string clip;                    // the written clip; the package's files are named after it
    bool mph = false;                    // the report's speeds in mph rather than km/h
    std::vector<std::string> others;     // further cameras' files composed into it (hashed only)
    std::string clipSha256;              // the clip's digest when taken as it was written
};

// Whether this build can write the package at all (asked before a clip is cut for it).
bool evidencePackageAvailable();
// Writes the package; false with a one-line reason in why (then nothing of it is left).
// sourceDigests: digests of evidence.recordings/others already taken (path -> hex).
bool writeEvidencePackage(const ClipEvidence &evidence, std::string *why,
                          const QHash<QString, QByteArray> &sourceDigests = {});

// The clip of request and its package in one go: the sources are hashed on a second thread
// while the clip is cut, the clip as its bytes go to disk, and the report's fonts are loaded
// meanwhile, so the package adds little more than the report to the cut. evidence names the
// sources and the unit (its range and clip are filled in here). When the package cannot be
// written the clip is removed too and the result says why.
clip::ClipResult exportClipWithEvidence(clip::ClipRequest request, ClipEvidence evidence,
                                        clip::ClipControl *control = nullptr);
