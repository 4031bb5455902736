#include "cli/clipevidence.h"

#include <QFile>

#include "cli/dashboardoverlay.h"
#include "clip/clipexport.h"
#include "core/mlanguagemanager.h"
#include "evidence/evidencepackage.h"
#include "evidence/evidencereport.h"
#include "evidence/sourcehashes.h"

#include <cstdio>
#include <system_error>
#include <thread>

bool evidencePackageAvailable() { return true; }

namespace {

// The report's language as gettext would choose the messages': LANGUAGE's list first, then the
// first of LC_ALL, LC_MESSAGES and LANG that is set. "de_DE.UTF-8" reads as "de"; a language
// without a table (or "C") is English, not the next variable's choice.
QString clipReportLanguage()
{
    auto code = [](const QString &locale) {
        return locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0).section(QLatin1Char('_'), 0, 0)
            .section(QLatin1Char('-'), 0, 0).toLower();
    };
    const QString list = qEnvironmentVariable("LANGUAGE");
    for (const QString &entry : list.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (MLanguageManager::languageCodes().contains(code(entry)))
            return code(entry);
    if (!list.isEmpty())
        return QStringLiteral("en");
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString locale = qEnvironmentVariable(name);
        if (!locale.isEmpty())
            return MLanguageManager::languageCodes().contains(code(locale)) ? code(locale) : QStringLiteral("en");
    }
    return QStringLiteral("en");
}

} // namespace

bool writeEvidencePackage(const ClipEvidence &evidence, std::string *why,
                          const QHash<QString, QByteArray> &sourceDigests)
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
    in.language = clipReportLanguage();
    in.knownHashes = sourceDigests;
    if (!evidence.clipSha256.empty())
        in.knownHashes.insert(in.clips.first(), QByteArray::fromStdString(evidence.clipSha256));
    QString message;
    if (EvidencePackage::write(in, &message))
        return true;
    if (why)
        *why = message.toStdString();
    return false;
}

clip::ClipResult exportClipWithEvidence(clip::ClipRequest request, ClipEvidence evidence, clip::ClipControl *control)
{
    QStringList sources;
    for (const std::string &s : evidence.recordings)
        sources << QFile::decodeName(s.c_str());
    for (const std::string &s : evidence.others)
        sources << QFile::decodeName(s.c_str());
    SourceHashes sourceHashes(sources);
    std::thread fonts;
    try {
        fonts = std::thread(EvidenceReport::loadFonts);
    } catch (const std::system_error &) {
        // the report loads them itself
    }
    request.hashOutput = true;
    clip::ClipResult result = clip::exportClip(request, control);
    if (fonts.joinable())
        fonts.join();
    if (!result.ok)
        return result;
    const QHash<QString, QByteArray> digests = sourceHashes.take();
    evidence.start = result.start;
    evidence.end = result.end;
    evidence.clip = request.output;
    evidence.clipSha256 = result.sha256;
    std::string why;
    if (!writeEvidencePackage(evidence, &why, digests)) {
        std::remove(request.output.c_str()); // no clip without the package it was asked with
        result.ok = false;
        result.error = why;
    }
    return result;
}
