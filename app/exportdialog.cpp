#include "app/exportdialog.h"

#include <QComboBox>
#include <QDebug>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QPointer>
#include <memory>
#include <sstream>

#include "app/incidentpreferences.h"
#include "cli/safefile.h"
#include "cli/trackexport.h"
#include "core/zoneclocks.h"
#include "core/mlanguagemanager.h"
#include "service/kalgpstool.h"

namespace {
QString loc(const char *key) { return MLanguageManager::DPLocalizedString(QString::fromLatin1(key)); }

const char *const kFormats[] = {"gpx", "kml", "csv", "geojson"};
const char *const kFormatNames[] = {"GPX", "KML", "CSV", "GeoJSON"};
} // namespace

ExportDialog::ExportDialog(int tripSize, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("exportDialog"));
    setWindowTitle(loc("Export.title"));
    auto *form = new QFormLayout(this);
    m_scope = new QComboBox(this);
    m_scope->addItem(loc("Export.recording"));
    if (tripSize > 1)
        m_scope->addItem(loc("Export.trip").arg(tripSize));
    m_format = new QComboBox(this);
    for (const char *name : kFormatNames)
        m_format->addItem(QString::fromLatin1(name));
    m_datum = new QComboBox(this);
    m_datum->addItem(loc("Export.wgs84"));
    m_datum->addItem(loc("Export.gcj02"));
    form->addRow(loc("Export.what"), m_scope);
    form->addRow(loc("Export.format"), m_format);
    form->addRow(loc("Export.datum"), m_datum);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(loc("Export.ok"));
    buttons->button(QDialogButtonBox::Cancel)->setText(loc("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

bool ExportDialog::wholeTrip() const { return m_scope->currentIndex() == 1; }

QString ExportDialog::format() const
{
    const int i = std::clamp(m_format->currentIndex(), 0, 3);
    return QString::fromLatin1(kFormats[i]);
}

QString ExportDialog::datum() const
{
    return m_datum->currentIndex() == 1 ? QStringLiteral("gcj02") : QStringLiteral("wgs84");
}

TrackExporter::TrackExporter(std::function<void(const QString &)> notify, QObject *parent)
    : QObject(parent), m_notify(std::move(notify))
{
}

TrackExporter::~TrackExporter()
{
    for (const quint64 handle : std::as_const(m_requests))
        KalGpsTool::shareTool()->cancel(handle);
}

QString TrackExporter::suggestedName(const QString &recording, bool wholeTrip, const QString &format)
{
    const QString base = QFileInfo(recording).completeBaseName();
    return (base.isEmpty() ? QStringLiteral("track") : base) + (wholeTrip ? QStringLiteral("-trip") : QString()) +
           QLatin1Char('.') + format;
}

void TrackExporter::run(const QStringList &paths, const QString &format, const QString &datum, bool wholeTrip,
                        const QString &target, std::function<void(bool)> done)
{
    struct Job {
        QStringList paths;
        std::vector<RecordingLines> recordings;
        bool unread = false; // a reading failed or was called off
        std::function<void()> next;
    };
    auto job = std::make_shared<Job>();
    job->paths = paths;
    QPointer<TrackExporter> self(this);
    // The steps hold the job weakly (it holds them); the extraction in flight holds it.
    std::weak_ptr<Job> weak = job;
    auto finish = [self, weak, format, datum, wholeTrip, target, done] {
        const auto job = weak.lock();
        if (!self || !job)
            return;
        std::ostringstream out, err;
        // Part of a recording is not its track: an export missing samples is a failure.
        const int status = job->unread ? -1
                                       : exportRecordingLines(format.toStdString(), datum.toStdString(), wholeTrip,
                                                              job->recordings, out, err, HarshSensitivity::Normal,
                                                              ZoneClocks::shared()->exportClock());
        bool ok = false;
        if (status == 0) {
            // A link planted under the target's name is replaced, never written through, and
            // the folder is reached without following links others could have put there.
            const QFileInfo info(target);
            std::string why;
            const SafeFolder folder = SafeFolder::open(QFile::encodeName(info.absolutePath()).toStdString(), false, &why);
            ok = folder.isOpen() && folder.write(QFile::encodeName(info.fileName()).toStdString(), out.view(),
                                                 SafeFolder::Existing::Replace, &why) == SafeFolder::Result::Written;
            if (!ok)
                qInfo().noquote() << "export:" << QString::fromStdString(why);
        }
        if (!err.str().empty())
            qInfo().noquote() << "export:" << QString::fromStdString(err.str()).trimmed();
        if (self->m_notify)
            self->m_notify(ok ? loc("Export.saved") + QLatin1Char(' ') + QDir::toNativeSeparators(target)
                              : status > 0 ? loc("Export.noTelemetry") : loc("Export.failed") + QLatin1Char(' ') + target);
        if (done)
            done(ok);
    };
    job->next = [self, weak, finish] {
        const auto job = weak.lock();
        if (!self || !job)
            return;
        const int i = int(job->recordings.size());
        if (i >= job->paths.size() || job->unread) {
            finish();
            return;
        }
        const QString path = job->paths.at(i);
        auto handle = std::make_shared<quint64>(0);
        *handle = KalGpsTool::shareTool()->request(
            path, ExtractionPriority::Background, [self, job, handle](const Extraction &result) {
                if (self)
                    self->m_requests.removeOne(*handle);
                auto take = [job](const QStringList &lines) {
                    RecordingLines r;
                    r.name = QFileInfo(job->paths.at(int(job->recordings.size()))).fileName().toStdString();
                    r.label = job->paths.at(int(job->recordings.size())).toStdString();
                    for (const QString &line : lines)
                        r.lines.push_back(line.toStdString());
                    job->recordings.push_back(std::move(r));
                    if (job->next)
                        job->next();
                };
                job->unread = result.status != ExtractionStatus::Complete;
                // A loaded track may stand in for what the camera wrote.
                if (self && self->m_linesFor && !job->unread)
                    self->m_linesFor(job->paths.at(int(job->recordings.size())), result.lines, take);
                else
                    take(result.lines);
            });
        self->m_requests.append(*handle);
    };
    job->next();
}

void TrackExporter::exportInteractively(QWidget *parent, const QString &current, const QStringList &trip)
{
    if (current.isEmpty()) {
        if (m_notify)
            m_notify(loc("Export.nothing"));
        return;
    }
    ExportDialog dialog(int(trip.size()), parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool whole = dialog.wholeTrip() && trip.size() > 1;
    const QString format = dialog.format();
    const QString start = QDir(IncidentPreferences::exportFolder()).filePath(suggestedName(current, whole, format));
    const QString target = QFileDialog::getSaveFileName(parent, loc("Export.title"), start,
                                                        format.toUpper() + QStringLiteral(" (*.") + format + QLatin1Char(')'));
    if (target.isEmpty())
        return;
    IncidentPreferences::setExportFolder(QFileInfo(target).absolutePath());
    run(whole ? trip : QStringList{current}, format, dialog.datum(), whole, target);
}
