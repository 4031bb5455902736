#pragma once
// What an evidence package is made from: the clip file(s) already written, the recordings
// they were cut from with the stretch of each, and those recordings' tracks. Plain values,
// filled by the window's export and by trava-clip alike.
#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <limits>

#include "track/gpsitem.h"
#include "track/harshevents.h"

struct EvidenceRecording {
    static constexpr double kEnd = std::numeric_limits<double>::infinity();

    QString path;       // the source recording, as it lies on disk
    double from = 0;    // seconds from the recording's start
    double to = kEnd;   // seconds; kEnd: to its end
    Track track;        // its whole track (sample i = second i); null without telemetry
};

struct EvidenceInput {
    QStringList clips;                    // the written clip file(s); the package goes beside the first
    QList<EvidenceRecording> recordings;  // consecutive recordings of one drive, in order
    QStringList otherSources;             // further channels' recordings the clips come from: hashed too
    // The package's files are this path with the endings .gpx, .csv, .sha256, .html and .pdf;
    // empty: the first clip's path without its ending.
    QString outputBase;
    QString speedUnit = QStringLiteral("KMH"); // "KMH" or "MPH", for the report's speeds
    // The report's language, "en", "ja", "fr" or "de" (any other: "en"). Chosen by the caller,
    // on its own thread: the package may be written on another.
    QString language;
    HarshSensitivity sensitivity = HarshSensitivity::Normal;
    QString version;                      // the program's version text; empty: the application's
    // The route as the window's map would show it (tiles in memory only), drawn on the GUI
    // thread; null: drawn here in the offline look.
    QImage routePicture;
    // Digests already taken (path as listed above -> lower-case hex SHA-256): the clip's while
    // it was written, the sources' while it was cut (SourceHashes). The rest are taken here.
    QHash<QString, QByteArray> knownHashes;
    // Asked between steps and while hashing; true stops the package and removes what it wrote.
    std::function<bool()> cancelled;
    // Fraction 0..1 of the work done (hashing dominates); may be called from any thread.
    std::function<void(double)> progress;
};
