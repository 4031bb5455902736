// The evidence package beside a clip: its files verify with sha256sum from the clip's
// folder, the GPX is valid GPX 1.1, the report carries the range's figures and escapes
// outside names, and nothing is left behind by a failure or a cancel.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "core/mlanguagemanager.h"
#include "evidence/evidencefacts.h"
#include "evidence/evidencepackage.h"
#include "evidence/evidencereport.h"
#include "evidence/sha256list.h"
#include "evidence/sourcehashes.h"
#include "support/decodedtrack.h"
#include "support/processrunner.h"
#include "support/trackbuilder.h"

namespace {
const QString kData = QStringLiteral(TRAVA_TEST_DATA);

std::string quoted(const QString &path) { return "'" + QFile::encodeName(path).toStdString() + "'"; }

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// sha256sum's own digest of a file.
QByteArray toolDigest(const QString &path)
{
    return QByteArray::fromStdString(runProcess("sha256sum " + quoted(path)).out).left(64);
}

// Two recordings of one drive: speeds 10, 20, ... km/h per second, a jolt in the second.
EvidenceInput twoPartDrive()
{
    std::vector<GPSItem> a, b;
    for (int i = 0; i < 10; ++i)
        a.push_back(makeSample({.time = "2026/05/14 09:00:0" + std::to_string(i), .lat = sixDecimals(48.1 + i * 1e-4),
                                .lon = "11.5", .speed = std::to_string(10 * (i + 1)) + ".0", .z = 1}));
    for (int i = 0; i < 10; ++i)
        b.push_back(makeSample({.time = "2026/05/14 09:00:1" + std::to_string(i), .lat = sixDecimals(48.2 + i * 1e-4),
                                .lon = "11.6", .speed = "5.0", .x = i == 3 ? -2.5 : 0.0, .z = 1}));
    EvidenceInput in;
    in.recordings = {{QStringLiteral("/cam/a.mp4"), 6.5, EvidenceRecording::kEnd, makeTrack(a)},
                     {QStringLiteral("/cam/b.mp4"), 0, 4.2, makeTrack(b)}};
    return in;
}
} // namespace

class TestEvidencePackage : public QObject {
    Q_OBJECT

private slots:
    // Seconds 6.5..end of the first recording and 0..4.2 of the second: samples 6-9 and 0-4.
    void factsOfARangeAcrossTwoRecordings()
    {
        const EvidenceFacts f = evidenceFacts(twoPartDrive());
        QCOMPARE(f.parts.size(), std::size_t(2));
        QCOMPARE(f.parts[0].first, std::size_t(6));
        QCOMPARE(f.parts[0].end, std::size_t(10));
        QCOMPARE(f.parts[1].first, std::size_t(0));
        QCOMPARE(f.parts[1].end, std::size_t(5));
        QCOMPARE(f.samples, std::size_t(9));
        QCOMPARE(f.parts[0].rangeStart, QStringLiteral("2026/05/14 09:00:06"));
        QCOMPARE(f.parts[1].rangeEnd, QStringLiteral("2026/05/14 09:00:14"));
        QCOMPARE(f.parts[0].recordingStart, QStringLiteral("2026/05/14 09:00:00"));
        QCOMPARE(f.topKmh, 100.0);
        QCOMPARE(f.top->index, std::size_t(9));
        QCOMPARE(f.averageKmh, (70.0 + 80 + 90 + 100 + 5 * 5) / 9);
        QVERIFY(f.start);
        QCOMPARE(f.start->part, std::size_t(0));
        QCOMPARE(f.start->index, std::size_t(6));
        QVERIFY(f.peak);
        QCOMPARE(f.peak->part, std::size_t(1));
        QCOMPARE(f.peak->index, std::size_t(3));
        QCOMPARE(f.peakG, 2.5);
        QCOMPARE(f.events.size(), std::size_t(1));
        QCOMPARE(f.events[0].part, std::size_t(1));
        QCOMPARE(f.events[0].event.index, std::size_t(3));
    }

    void sampleRangeEdges()
    {
        const Track t = straightTrack(10, 48, 11, 1e-4, 0);
        std::size_t first = 0, end = 0;
        evidenceSampleRange(t, 2.0, 3.0, &first, &end);
        QCOMPARE(first, std::size_t(2));
        QCOMPARE(end, std::size_t(3));
        evidenceSampleRange(t, 2.4, 2.6, &first, &end); // within one second
        QCOMPARE(first, std::size_t(2));
        QCOMPARE(end, std::size_t(3));
        evidenceSampleRange(t, 50, 60, &first, &end); // past the end
        QCOMPARE(first, end);
        evidenceSampleRange(t, -5, EvidenceRecording::kEnd, &first, &end);
        QCOMPARE(first, std::size_t(0));
        QCOMPARE(end, std::size_t(10));
        evidenceSampleRange(Track(), 0, 5, &first, &end);
        QCOMPARE(end, std::size_t(0));
    }

    void sha256sumLinesEscapeAsTheToolDoes()
    {
        QCOMPARE(sha256sumLine("ab", "plain.mp4"), QByteArray("ab  plain.mp4\n"));
        QCOMPARE(sha256sumLine("ab", "a\\b\nc\rd"), QByteArray("\\ab  a\\\\b\\nc\\rd\n"));
    }

    // The package of two real recordings: sha256sum -c passes in the clip's folder, the
    // GPX is valid, the report names the top speed and the hashes.
    void packageVerifiesWithTheTools()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("card")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("out")));
        const QString a = dir.filePath(QStringLiteral("card/trip-1.mp4")), b = dir.filePath(QStringLiteral("card/trip-2.mp4"));
        QVERIFY(QFile::copy(kData + QStringLiteral("/trip-1.mp4"), a));
        QVERIFY(QFile::copy(kData + QStringLiteral("/trip-2.mp4"), b));
        const QString clip = dir.filePath(QStringLiteral("out/incident.mp4"));
        QVERIFY(writeBytes(clip, QByteArray(100000, 'c')));

        EvidenceInput in;
        in.clips = {clip};
        in.language = QStringLiteral("ja");
        in.recordings = {{a, 1.0, EvidenceRecording::kEnd, decodedTrack(a.toStdString())},
                         {b, 0, 2.0, decodedTrack(b.toStdString())}};
        QVERIFY(trackSize(in.recordings[0].track) > 2);
        QVERIFY(trackSize(in.recordings[1].track) > 2);
        QList<double> reported;
        in.progress = [&](double f) { reported << f; };
        QString error;
        QStringList written;
        QVERIFY2(EvidencePackage::write(in, &error, &written), qPrintable(error));
        QCOMPARE(written.size(), 5);
        const QString base = dir.filePath(QStringLiteral("out/incident"));
        QCOMPARE(written, QStringList({base + ".gpx", base + ".csv", base + ".html", base + ".pdf", base + ".sha256"}));
        QVERIFY(!reported.isEmpty());
        QCOMPARE(reported.last(), 1.0);

        const ProcessOutcome check =
            runProcess("cd " + quoted(dir.filePath(QStringLiteral("out"))) + " && sha256sum -c incident.sha256", true);
        QVERIFY2(check.code == 0, (check.out + check.err).c_str());
        QCOMPARE(QString::fromStdString(check.out).count(QStringLiteral(": OK")), 7); // 2 sources, clip, 4 files

        const ProcessOutcome schema = runProcess("xmllint --noout --nonet --schema " + quoted(kData + "/gpx-1.1.xsd") +
                                                     " " + quoted(base + ".gpx"), true);
        QVERIFY2(schema.code == 0, schema.err.c_str());
        const QByteArray gpx = readAll(base + ".gpx");
        const EvidenceFacts facts = evidenceFacts(in);
        QCOMPARE(gpx.count("<trkpt"), qsizetype(facts.samples));
        QVERIFY(gpx.contains("trip-1.mp4") && gpx.contains("trip-2.mp4"));

        const QString html = QString::fromUtf8(readAll(base + ".html"));
        QVERIFY(html.contains(QString::number(facts.topKmh, 'f', 1) + QStringLiteral(" km/h")));
        QVERIFY(html.contains(QStringLiteral("<html lang=\"ja\">")));
        QVERIFY(html.contains(QString::fromLatin1(toolDigest(a))));
        QVERIFY(html.contains(QString::fromLatin1(toolDigest(b))));
        QVERIFY(html.contains(QString::fromLatin1(toolDigest(clip))));
        QVERIFY(html.contains(QString::fromLatin1(toolDigest(base + ".gpx"))));
        QVERIFY(html.contains(QStringLiteral("data:image/png;base64,")));
        const QByteArray pdf = readAll(base + ".pdf");
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY(pdf.size() > 2000);
        // As readable as any file the user writes (the umask's mode, not a temporary file's).
        QCOMPARE(QFile::permissions(base + ".pdf"), QFile::permissions(clip));
        // Nothing unfinished is left.
        QCOMPARE(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden).size(), 6);
    }

    // A clip name built to break HTML and the hash list: escaped in the one, still checked by the other.
    void hostileNamesAreEscaped()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("<img src=x onerror=alert(1)>.mp4"));
        QVERIFY(writeBytes(source, "recording"));
        const QString clip = dir.filePath(QStringLiteral("a\\b\n<script>alert(1).mp4"));
        QVERIFY(writeBytes(clip, "clip"));
        EvidenceInput in = twoPartDrive();
        in.recordings.resize(1);
        in.recordings[0].path = source;
        const QString rear = dir.filePath(QStringLiteral("rear & <b>.mp4"));
        QVERIFY(writeBytes(rear, "rear channel"));
        in.otherSources = {rear};
        in.clips = {clip};
        in.outputBase = dir.filePath(QStringLiteral("report"));
        QString error;
        QVERIFY2(EvidencePackage::write(in, &error), qPrintable(error));
        const QString html = QString::fromUtf8(readAll(dir.filePath(QStringLiteral("report.html"))));
        QVERIFY(!html.contains(QStringLiteral("<script>")));
        QVERIFY(!html.contains(QStringLiteral("<img src=x")));
        QVERIFY(html.contains(QStringLiteral("&lt;script&gt;")));
        QVERIFY(html.contains(QStringLiteral("&lt;img src=x onerror=alert(1)&gt;.mp4")));
        QVERIFY(html.contains(QStringLiteral("rear &amp; &lt;b&gt;.mp4")));
        QVERIFY(html.contains(QString::fromLatin1(toolDigest(rear))));
        const ProcessOutcome check = runProcess("cd " + quoted(dir.path()) + " && sha256sum -c report.sha256", true);
        QVERIFY2(check.code == 0, (check.out + check.err).c_str());
        QCOMPARE(QString::fromStdString(check.out).count(QStringLiteral(": OK")), 7); // 2 sources, clip, 4 files
    }

    void unwritableFolderLeavesNothing()
    {
        QTemporaryDir dir;
        const QString clip = dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(writeBytes(clip, "clip"));
        EvidenceInput in = twoPartDrive();
        in.recordings.resize(1);
        in.recordings[0].path = clip;
        in.clips = {clip};
        QString error;
        if (::geteuid() == 0) {
            // Root writes anywhere a mode allows nothing; the kernel's own folders still refuse.
            in.outputBase = QStringLiteral("/proc/self/trava-evidence");
        } else {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ro")));
            QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("ro")), QFile::ReadOwner | QFile::ExeOwner));
            in.outputBase = dir.filePath(QStringLiteral("ro/evidence"));
        }
        QVERIFY(!EvidencePackage::write(in, &error));
        QVERIFY2(error.startsWith(QStringLiteral("cannot write ")), qPrintable(error));
        for (const QString &path : EvidencePackage::paths(in))
            QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // The fourth file cannot take its name: the three already in place go again.
    void aFailedRenameTakesBackTheOthers()
    {
        QTemporaryDir dir;
        const QString clip = dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(writeBytes(clip, "clip"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("clip.pdf/inside")));
        EvidenceInput in = twoPartDrive();
        in.recordings.resize(1);
        in.recordings[0].path = clip;
        in.clips = {clip};
        QString error;
        QVERIFY(!EvidencePackage::write(in, &error));
        QVERIFY2(error.contains(QStringLiteral("clip.pdf")), qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("clip.mp4")});
    }

    void vanishedSourceAndCancelLeaveNothing()
    {
        QTemporaryDir dir;
        const QString clip = dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(writeBytes(clip, QByteArray(3 << 20, 'v')));
        EvidenceInput in = twoPartDrive();
        in.recordings[0].path = clip;
        in.recordings[1].path = dir.filePath(QStringLiteral("gone.mp4"));
        in.clips = {clip};
        QString error;
        QVERIFY(!EvidencePackage::write(in, &error));
        QVERIFY2(error.contains(QStringLiteral("gone.mp4")), qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        in.recordings.resize(1);
        int asked = 0;
        in.cancelled = [&asked] { return ++asked > 2; }; // halfway through the hashing
        QVERIFY(!EvidencePackage::write(in, &error));
        QCOMPARE(error, QStringLiteral("cancelled"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // Digests taken beforehand (the clip's as it was written, the sources' while it was cut)
    // are listed as given; the rest are read here. SourceHashes leaves out what it could not
    // read, for the package to name, and stops when told to.
    void digestsTakenBeforehandAndWhileCutting()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a.mp4")), b = dir.filePath(QStringLiteral("b.mp4"));
        const QString clip = dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(writeBytes(a, QByteArray(700000, 'a')));
        QVERIFY(writeBytes(b, "b"));
        QVERIFY(writeBytes(clip, "clip"));
        SourceHashes early({a, dir.filePath(QStringLiteral("gone.mp4")), dir.path(), a});
        const QHash<QString, QByteArray> taken = early.take();
        QCOMPARE(taken.size(), 1);
        QCOMPARE(taken.value(a), toolDigest(a));
        QVERIFY(early.take().isEmpty()); // handed over once
        SourceHashes stopped({a, b}, [] { return true; });
        QVERIFY(stopped.take().isEmpty());

        EvidenceInput in = twoPartDrive();
        in.recordings[0].path = a;
        in.recordings[1].path = b;
        in.clips = {clip};
        in.knownHashes = taken;
        const QByteArray claimed(64, 'f'); // not the clip's: shows it was not read again
        in.knownHashes.insert(clip, claimed);
        QString error;
        QVERIFY2(EvidencePackage::write(in, &error), qPrintable(error));
        const QByteArray list = readAll(dir.filePath(QStringLiteral("clip.sha256")));
        QVERIFY(list.contains(claimed + "  clip.mp4\n"));
        QVERIFY(list.contains(toolDigest(a) + "  a.mp4\n"));
        QVERIFY(list.contains(toolDigest(b) + "  b.mp4\n"));
    }

    void reportInMilesAndWithoutTelemetry()
    {
        EvidenceInput in = twoPartDrive();
        in.recordings.append({QStringLiteral("/cam/c.mp4"), 0, EvidenceRecording::kEnd, Track()});
        const EvidenceFacts f = evidenceFacts(in);
        const QString html = EvidenceReport::html(f, QStringLiteral("MPH"), {}, QStringLiteral("v9"), QStringLiteral("now"), {});
        QVERIFY(html.contains(QStringLiteral("62.1 mph"))); // 100 km/h
        QVERIFY(html.contains(QStringLiteral("no telemetry")));
        QVERIFY(!html.contains(QStringLiteral("<img")));
        QVERIFY(html.contains(QStringLiteral("<html lang=\"en\">")));
    }

    // Each language's texts, escaped; the numbers and the camera's times as they are in any.
    void reportInTheChosenLanguage()
    {
        EvidenceInput in = twoPartDrive();
        in.recordings.append({QStringLiteral("/cam/c.mp4"), 0, EvidenceRecording::kEnd, Track()});
        const EvidenceFacts f = evidenceFacts(in);
        QVERIFY(!f.events.empty());
        const QList<EvidenceHash> hashes{{QStringLiteral("/cam/a.mp4"), QStringLiteral("source"), QByteArray(64, 'a')}};
        for (const QString &code : {QStringLiteral("de"), QStringLiteral("ja"), QStringLiteral("fr"), QStringLiteral("xx")}) {
            const QString html =
                EvidenceReport::html(f, QStringLiteral("MPH"), hashes, QStringLiteral("v9"), QStringLiteral("now"), {}, code);
            const QString lang = code == QLatin1String("xx") ? QStringLiteral("en") : code;
            auto text = [&lang](const char *key, const char *english) {
                return MLanguageManager::localized(lang, key, english).toHtmlEscaped();
            };
            QVERIFY2(html.contains(QStringLiteral("<html lang=\"") + lang + QStringLiteral("\">")), qPrintable(code));
            QVERIFY(html.contains(QStringLiteral("<title>") + text("Report.title", "Incident report") + QStringLiteral("</title>")));
            QVERIFY(html.contains(QStringLiteral("<th>") + text("Report.topSpeed", "Top speed") + QStringLiteral("</th>")));
            QVERIFY(html.contains(text("Report.noTelemetry", "no telemetry")));
            QVERIFY(html.contains(text("Report.clockNote", "Times are the camera's clock as recorded, without a time zone.")));
            QVERIFY(html.contains(text("Report.role.source", "source")));
            QVERIFY(html.contains(text("Report.samplesCount", "%1 (one a second)").arg(qulonglong(f.samples))));
            QVERIFY(html.contains(text("Report.valueAt", "%1 at %2")
                                      .arg(QStringLiteral("62.1 mph"), QString::fromStdString(f.top->item.time))));
            QVERIFY(html.contains(text("Report.checksumNote", "The file ending in .sha256 beside this report lists these and "
                                                              "the report itself; %1 run in this folder checks them.")
                                      .arg(QStringLiteral("<code>sha256sum&nbsp;-&#8288;c</code>"))));
            QVERIFY(!html.contains(QStringLiteral("62,1")));
        }
        // The PDF: titled in its language, and on one page even with four cameras' hashes in
        // the taller script.
        QList<EvidenceHash> many;
        for (int i = 0; i < 24; ++i)
            many.append({QStringLiteral("/cam/%1.mp4").arg(i), QStringLiteral("source"), QByteArray(64, 'a')});
        for (const QString &code : {QStringLiteral("ja"), QStringLiteral("de")}) {
            QString error;
            const QByteArray pdf = EvidenceReport::pdf(
                EvidenceReport::html(f, QStringLiteral("KMH"), many, {}, {}, QStringLiteral("route.png"), code),
                EvidenceReport::routePicture(in.recordings), &error);
            QVERIFY2(pdf.startsWith("%PDF"), qPrintable(error));
            QCOMPARE(pdf.count("/Type /Page\n"), 1);
            QCOMPARE(pdf.count("/Type /Pages\n"), 1);
            QByteArray title("\xfe\xff");
            for (QChar c : MLanguageManager::localized(code, "Report.title", "Incident report"))
                for (char byte : {char(c.unicode() >> 8), char(c.unicode() & 0xff)})
                    title += QByteArray(byte == '(' || byte == ')' || byte == '\\' ? 1 : 0, '\\') + byte;
            QVERIFY2(pdf.contains("/Title (" + title + ")"), qPrintable(code));
        }
    }
};

QTEST_MAIN(TestEvidencePackage)
#include "tst_evidencepackage.moc"
