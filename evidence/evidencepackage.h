#pragma once
// The evidence that goes with an incident's clip, written beside it:
//   BASE.gpx     the range's track (GPX 1.1), one track per recording
//   BASE.csv     the same samples as CSV
//   BASE.html    a one-page report: the recordings and their times on the camera clock,
//                the range, the position at the start and at the strongest jolt, top and
//                average speed, the strongest G reading, the harsh events, the route, the
//                hashes and the program's version
//   BASE.pdf     the same report as PDF
//   BASE.sha256  SHA-256 of every source recording (other channels' too), every clip and every file above, in
//                the form `sha256sum -c BASE.sha256` checks when run in the clip's folder
//                (files in that folder by name, others by absolute path)
// BASE is EvidenceInput::outputBase, or the first clip's path without its ending.
//
// All five appear together or not at all: each is written under a temporary name in the
// folder and renamed at the end; a failure (unreadable or vanished source, full disk,
// unwritable folder) or a cancel leaves none of them, and the error says why.
//
// Runs on any thread (the sources are hashed in slices, so memory stays small whatever
// their size); needs a QGuiApplication for the PDF's fonts (the offscreen platform will do).
#include <QString>
#include <QStringList>

#include "evidence/evidenceinput.h"

class EvidencePackage {
public:
    // Writes the package; false with the reason in *error (which may be null). written, when
    // given, receives the five paths.
    static bool write(const EvidenceInput &input, QString *error, QStringList *written = nullptr);

    // The five paths the package would have, in the order above.
    static QStringList paths(const EvidenceInput &input);
    static QString basePath(const EvidenceInput &input);
};
