#include "cli/clipevidence.h"

#include <QFile>

#include "cli/dashboardoverlay.h"
#include "clip/clipexport.h"
#include "evidence/evidencepackage.h"

bool evidencePackageAvailable() { return true; }

bool writeEvidencePackage(const ClipEvidence &evidence, std::string *why)
{
    std::string error;
    const std::vector<double> lengths = clip::recordingDurations(evidence.recordings, &error);
    if (lengths.size() != evidence.recordings.size()) {
        if (why)
            *why = error.empty() ? std::string("cannot read the recordings") : error;
        return false;
    }
    EvidenceInput in;
    in.clips << QFile::decodeName(evidence.clip.c_str());
    // The clip's range on the common timeline back into each recording's own stretch; the
    // recordings it does not reach stay out of the track but not out of the hashes.
    double offset = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const double begin = offset, finish = offset + lengths[i];
        offset = finish;
        const QString path = QFile::decodeName(evidence.recordings[i].c_str());
        const bool last = i + 1 == lengths.size();
        if (evidence.end <= begin || (evidence.start >= finish && !last)) {
            in.otherSources << path;
            continue;
        }
        EvidenceRecording r;
        r.path = path;
        r.from = std::max(0.0, evidence.start - begin);
        r.to = evidence.end >= finish ? EvidenceRecording::kEnd : evidence.end - begin;
        r.track = recordingTrack(evidence.recordings[i]);
        in.recordings.append(r);
    }
    for (const std::string &o : evidence.others)
        in.otherSources << QFile::decodeName(o.c_str());
    in.speedUnit = evidence.mph ? QStringLiteral("MPH") : QStringLiteral("KMH");
    in.version = QStringLiteral("trava-clip " TRAVA_VERSION);
    QString message;
    if (EvidencePackage::write(in, &message))
        return true;
    if (why)
        *why = message.toStdString();
    return false;
}
