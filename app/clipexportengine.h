#pragma once
// The window's clip export on the clip library: the dialog's request (stretches of each
// recording, the kind, the dashboard's widgets and place) turned into the library's request
// on the recordings' common timeline, with the dashboard painted by the same renderer as the
// window's. With every channel asked for, each further channel goes to its own file beside
// the main one, named after the channel (a failure or cancel in any of them takes them all),
// or, burned in with a layout other than the main picture, into the one composed clip.
#include <QString>
#include <string>
#include <vector>

#include "app/clipexportrunner.h"
#include "clip/clipexport.h"

class ClipExportEngine : public ClipExportRunner {
public:
    Result run(const ClipRequest &request, const std::function<void(double)> &progress,
               const std::function<bool()> &cancelled) override;
    QString joinProblem(const ClipRequest &request) override;
    double length(const QString &path) override;

    // One channel's stretches as the library's range: from/to in seconds from the start of
    // the first recording (middle recordings whole). False with *error when a recording's
    // length cannot be read.
    static bool commonRange(const QList<ClipRecording> &recordings, clip::ClipRequest *out, QString *error);
    // OUT.mp4 -> OUT-rear.mp4; a channel without a usable name is numbered.
    static QString channelOutput(const QString &output, const QString &channel, int index);
};
