#pragma once
// The seam between the window's clip export and the library that cuts and encodes: one
// call that turns a request into the clip file(s). It runs on a worker thread of its own,
// never the GUI's.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

#include "app/cliprequest.h"

class ClipExportRunner {
public:
    struct Result {
        QStringList files; // the clip file(s) written, when it succeeded
        QString error;     // why not; empty on success
        // With request.evidence: each file's SHA-256 (lower-case hex), taken as it was written;
        // a runner that does not take them leaves this empty and the package reads the files.
        QHash<QString, QByteArray> digests;
    };
    virtual ~ClipExportRunner() = default;
    // Writes the clip(s) of the request (not the evidence package: the caller adds it).
    // progress(0..1) may be called from this thread at any rate; cancelled() is to be asked
    // often and, once true, the run ends soon. A failed or cancelled run leaves no file.
    virtual Result run(const ClipRequest &request, const std::function<void(double)> &progress,
                       const std::function<bool()> &cancelled) = 0;
    // Why the original (lossless) clip of the request cannot join its recordings; empty when
    // it can or when this runner cannot tell.
    virtual QString joinProblem(const ClipRequest &) { return {}; }
    // A recording's length in seconds; 0 when unknown.
    virtual double length(const QString &) { return 0; }
};
