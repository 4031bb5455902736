#include "evidence/evidencepackage.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <sstream>
#include <system_error>
#include <thread>

#include "cli/trackformats.h"
#include "clip/filehash.h"
#include "core/mtool.h"
#include "evidence/evidencefacts.h"
#include "evidence/evidencereport.h"
#include "evidence/sha256list.h"
#include "evidence/stagedfiles.h"

namespace {

const char *const kEndings[] = {".gpx", ".csv", ".html", ".pdf", ".sha256"};

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

QByteArray hexOf(const QByteArray &bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(); }

// How the list names a file: by name when it lies in the folder, else by its absolute path.
QByteArray listedName(const QDir &folder, const QString &path)
{
    const QFileInfo info(path);
    if (QFileInfo(info.absolutePath()).canonicalFilePath() == QFileInfo(folder.absolutePath()).canonicalFilePath())
        return QFile::encodeName(info.fileName());
    return QFile::encodeName(info.absoluteFilePath());
}

} // namespace

QString EvidencePackage::basePath(const EvidenceInput &input)
{
    if (!input.outputBase.isEmpty())
        return input.outputBase;
    if (input.clips.isEmpty())
        return {};
    const QFileInfo clip(input.clips.first());
    const QString suffix = clip.suffix();
    const QString path = clip.absoluteFilePath();
    return suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
}

QStringList EvidencePackage::paths(const EvidenceInput &input)
{
    const QString base = basePath(input);
    QStringList out;
    for (const char *ending : kEndings)
        out << base + QString::fromLatin1(ending);
    return out;
}

bool EvidencePackage::write(const EvidenceInput &input, QString *error, QStringList *written)
{
    if (input.clips.isEmpty())
        return fail(error, QStringLiteral("no clip to go with the evidence"));
    if (input.recordings.isEmpty())
        return fail(error, QStringLiteral("no source recording"));
    const QStringList targets = paths(input);
    const QFileInfo baseInfo(targets.first());
    const QDir folder(baseInfo.absolutePath());
    if (!folder.exists())
        return fail(error, QStringLiteral("%1: no such folder").arg(folder.absolutePath()));
    auto cancelled = [&input] { return input.cancelled && input.cancelled(); };
    auto progress = [&input](double f) {
        if (input.progress)
            input.progress(f);
    };

    // The sources and the clips, in slices. Their sizes set the scale of the progress.
    struct Hashed {
        QString path, role;
        QByteArray hex;
    };
    QList<Hashed> files;
    for (const EvidenceRecording &r : input.recordings)
        files.append({r.path, QStringLiteral("source"), {}});
    for (const QString &path : input.otherSources)
        files.append({path, QStringLiteral("source"), {}});
    for (const QString &clip : input.clips)
        files.append({clip, QStringLiteral("clip"), {}});
    qint64 total = 0, done = 0;
    for (const Hashed &h : std::as_const(files)) {
        const QFileInfo info(h.path);
        if (!info.isFile())
            return fail(error, QStringLiteral("cannot read %1: %2").arg(h.path, info.exists() ? QStringLiteral("not a file")
                                                                                             : QStringLiteral("no such file")));
        total += info.size();
    }
    for (Hashed &h : files) {
        h.hex = input.knownHashes.value(h.path);
        if (!h.hex.isEmpty())
            total -= QFileInfo(h.path).size();
    }
    progress(0);
    for (Hashed &h : files) {
        if (!h.hex.isEmpty())
            continue;
        std::string why;
        clip::HashWatch watch;
        watch.cancelled = cancelled;
        watch.advanced = [&](qint64 n) {
            done += n;
            progress(total > 0 ? 0.9 * double(done) / double(total) : 0.0);
        };
        h.hex = QByteArray::fromStdString(clip::sha256OfFile(QFile::encodeName(h.path).toStdString(), watch, &why));
        if (cancelled())
            return fail(error, QStringLiteral("cancelled"));
        if (h.hex.isEmpty())
            return fail(error, QStringLiteral("cannot read %1: %2").arg(h.path, QString::fromStdString(why)));
    }

    // The range's track.
    const EvidenceFacts facts = evidenceFacts(input);
    std::vector<NamedTrack> tracks;
    for (const EvidenceFacts::Part &p : facts.parts) {
        if (trackSize(p.range) > 0)
            tracks.push_back({p.name.toStdString(), p.range});
    }
    std::ostringstream gpx, csv;
    writeGpx(tracks, gpx);
    writeCsv(tracks, csv);
    const QByteArray gpxBytes = QByteArray::fromStdString(gpx.str());
    const QByteArray csvBytes = QByteArray::fromStdString(csv.str());

    QList<EvidenceHash> hashes;
    for (const Hashed &h : std::as_const(files))
        hashes.append({h.path, h.role, h.hex});
    hashes.append({targets[0], QStringLiteral("track"), hexOf(gpxBytes)});
    hashes.append({targets[1], QStringLiteral("track"), hexOf(csvBytes)});
    if (cancelled())
        return fail(error, QStringLiteral("cancelled"));

    // The report.
    const QImage route = input.routePicture.isNull()
                             ? EvidenceReport::routePicture(input.recordings, nullptr, EvidenceReport::kRouteSize,
                                                            input.speedUnit)
                             : input.routePicture;
    const QString version = input.version.isEmpty() ? MTool::currentVersion() : input.version;
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    // The HTML carries the picture as a data: URL, the PDF the picture itself: its PNG is
    // encoded while the PDF is drawn.
    QString routeUrl;
    auto encode = [&routeUrl, &route] { routeUrl = EvidenceReport::pngDataUrl(route); };
    std::thread png;
    try {
        png = std::thread(encode);
    } catch (const std::system_error &) {
        encode();
    }
    QString why;
    const QByteArray pdfBytes = EvidenceReport::pdf(
        EvidenceReport::html(facts, input.speedUnit, hashes, version, now, QStringLiteral("route.png"), input.language),
        route, &why);
    if (png.joinable())
        png.join();
    if (pdfBytes.isEmpty())
        return fail(error, why);
    const QByteArray htmlBytes =
        EvidenceReport::html(facts, input.speedUnit, hashes, version, now, routeUrl, input.language).toUtf8();
    progress(0.95);

    // The list of hashes, checked from the clip's folder.
    QByteArray list;
    for (const Hashed &h : std::as_const(files))
        list += sha256sumLine(h.hex, listedName(folder, h.path));
    const QByteArray *contents[] = {&gpxBytes, &csvBytes, &htmlBytes, &pdfBytes};
    for (int i = 0; i < 4; ++i)
        list += sha256sumLine(hexOf(*contents[i]), QFile::encodeName(QFileInfo(targets[i]).fileName()));

    if (cancelled())
        return fail(error, QStringLiteral("cancelled"));
    StagedFiles staged(folder.absolutePath());
    const QByteArray *all[] = {&gpxBytes, &csvBytes, &htmlBytes, &pdfBytes, &list};
    for (int i = 0; i < 5; ++i) {
        if (!staged.stage(QFileInfo(targets[i]).fileName(), *all[i], &why))
            return fail(error, QStringLiteral("cannot write %1").arg(why));
    }
    if (cancelled())
        return fail(error, QStringLiteral("cancelled"));
    if (!staged.commit(&why))
        return fail(error, QStringLiteral("cannot write %1").arg(why));
    progress(1.0);
    if (written)
        *written = targets;
    return true;
}
