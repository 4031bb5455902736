#include "app/clipexport.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>
#include <cmath>

#include "app/clipmarks.h"
#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "evidence/evidencereport.h"
#include "instruments/map/gpsmapview.h"
#include "playback/channelset.h"
#include "playback/mediaplayview.h"
#include "playback/playbackcontroller.h"
#include "playback/playcontrolview.h"
#include "widgets/vcustomslider.h"

using L = MLanguageManager;

namespace {
QAction *windowAction(QWidget *window, const char *name, const QKeySequence &key)
{
    auto *a = new QAction(window);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    window->addAction(a);
    return a;
}
} // namespace

ClipExport::ClipExport(const Places &places, QObject *parent) : QObject(parent), m_places(places), m_window(places.window)
{
    setObjectName(QStringLiteral("clipExport"));
    m_marks = new ClipMarks(
        [this](const QString &path) {
            const QStringList trip = m_places.trip ? m_places.trip() : QStringList();
            return trip.contains(path) ? trip : QStringList{path};
        },
        this);
    m_markIn = windowAction(places.window, "markInAction", QKeySequence(Qt::Key_I));
    m_markOut = windowAction(places.window, "markOutAction", QKeySequence(Qt::Key_O));
    m_clearMarks = windowAction(places.window, "clearMarksAction", QKeySequence());
    m_export = windowAction(places.window, "exportClipAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    connect(m_markIn, &QAction::triggered, this, &ClipExport::markIn);
    connect(m_markOut, &QAction::triggered, this, &ClipExport::markOut);
    connect(m_clearMarks, &QAction::triggered, this, &ClipExport::clearMarks);
    connect(m_export, &QAction::triggered, this, &ClipExport::exportInteractively);
    connect(m_marks, &ClipMarks::changed, this, &ClipExport::showMarks);
    if (places.player)
        connect(places.player->controller(), &PlaybackController::timeChanged, this, &ClipExport::showMarks);
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { retitle(); });
    retitle();
}

ClipExport::~ClipExport() = default;

void ClipExport::retitle()
{
    m_markIn->setText(L::localized("Clip.markIn"));
    m_markOut->setText(L::localized("Clip.markOut"));
    m_clearMarks->setText(L::localized("Clip.clearMarks"));
    m_export->setText(L::localized("Clip.menu"));
}

void ClipExport::fillPlaybackMenu(QMenu *menu) const
{
    menu->addSeparator();
    menu->addAction(m_markIn);
    menu->addAction(m_markOut);
    menu->addAction(m_clearMarks);
}

QString ClipExport::currentRecording() const
{
    return m_places.current ? m_places.current().fLocalPath : QString();
}

double ClipExport::currentSeconds() const
{
    // The picture on screen, not the slider or the read-outs' whole second.
    return m_places.player ? m_places.player->controller()->time() : 0.0;
}

void ClipExport::markIn()
{
    const QString path = currentRecording();
    if (!path.isEmpty())
        m_marks->setIn(path, currentSeconds());
}

void ClipExport::markOut()
{
    const QString path = currentRecording();
    if (!path.isEmpty())
        m_marks->setOut(path, currentSeconds());
}

void ClipExport::clearMarks() { m_marks->clear(); }

void ClipExport::showMarks()
{
    if (!m_places.player)
        return;
    const double length = m_places.player->controller()->length();
    m_places.player->controlView()->progressSlider->setMarkedRange(m_marks->rangeOn(currentRecording(), length));
}

ClipExportContext ClipExport::context() const
{
    ClipExportContext c;
    c.current = currentRecording();
    c.seconds = currentSeconds();
    c.length = m_places.player ? m_places.player->controller()->length() : 0.0;
    const QStringList trip = m_places.trip ? m_places.trip() : QStringList();
    c.trip = trip.contains(c.current) ? trip : QStringList{c.current};
    c.marks = m_marks->recordings();
    if (m_places.events) {
        // The event nearest the picture, when it is within the margin.
        std::optional<double> best;
        for (const HarshEvent &e : m_places.events()) {
            const double d = std::abs(double(e.index) - c.seconds);
            if (d <= ClipExportDialog::kEventMargin && (!best || d < std::abs(*best - c.seconds)))
                best = double(e.index);
        }
        c.eventSecond = best;
    }
    if (m_places.listed)
        for (const MFileModel &m : m_places.listed())
            if (c.trip.contains(m.fLocalPath) && !m.otherChannels.isEmpty())
                c.channels.insert(m.fLocalPath, m.otherChannels);
    const QFileInfo info(c.current);
    c.suggestedOutput = info.dir().filePath(info.completeBaseName() + QStringLiteral("-clip.mp4"));
    c.speedUnit = m_places.speedUnit ? m_places.speedUnit() : QStringLiteral("KMH");
    fillChannelsAndRunner(&c);
    return c;
}

void ClipExport::fillChannelsAndRunner(ClipExportContext *c) const
{
    if (m_places.player && m_places.player->channels())
        for (const MChannelFile &f : m_places.player->channels()->otherChannels())
            c->channelOffsets.insert(f.channel, m_places.player->channels()->offset(f.channel));
    // Tiles on screen: the window shows several channels, and the dialog starts from its layout.
    if (m_places.player && m_places.player->channels() && m_places.player->channels()->tileCount() > 0)
        c->windowLayout = ChannelLayout::modeName(m_places.player->channels()->mode());
    // The runner reads the recordings: their lengths and whether they join.
    if (const std::shared_ptr<ClipExportRunner> runner = m_runner) {
        c->lengthOf = [runner](const QString &path) { return runner->length(path); };
        c->joinProblem = [runner](const ClipRequest &r) { return runner->joinProblem(r); };
    }
}

bool ClipExport::exportInteractively()
{
    const ClipExportContext c = context();
    auto notify = [this](const QString &text) {
        if (m_places.notify)
            m_places.notify(text);
    };
    if (c.current.isEmpty()) {
        notify(L::localized("Export.nothing"));
        return false;
    }
    if (m_job && m_job->isRunning()) {
        notify(L::localized("Clip.busy"));
        return false;
    }
    ClipExportDialog dialog(c, m_window);
    const bool accepted = m_dialogHandler ? m_dialogHandler(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted)
        return false;
    if (m_dialogHandler)
        dialog.remember();
    if (!m_runner) {
        notify(L::localized("Clip.unavailable"));
        return false;
    }
    return start(dialog.request());
}

std::optional<EvidenceInput> ClipExport::evidenceFor(const ClipRequest &request) const
{
    if (!request.evidence)
        return std::nullopt;
    EvidenceInput in;
    for (const ClipRecording &r : request.recordings)
        in.recordings.append({r.path, r.from, r.to, m_places.track ? m_places.track(r.path) : Track()});
    for (const QList<ClipRecording> &channel : request.otherChannels)
        for (const ClipRecording &r : channel)
            if (!r.path.isEmpty())
                in.otherSources << r.path;
    in.speedUnit = request.speedUnit;
    in.language = L::currentLanguage(); // the window's, as the export starts
    // The map's tiles live on this thread: the route is drawn here, before the job starts.
    in.routePicture = EvidenceReport::routePicture(in.recordings, m_places.map ? m_places.map->tileSource() : nullptr,
                                                   EvidenceReport::kRouteSize, request.speedUnit);
    return in;
}

bool ClipExport::start(const ClipRequest &request)
{
    if (!m_runner || (m_job && m_job->isRunning()) || request.recordings.isEmpty())
        return false;
    auto *job = new ClipExportJob(m_runner, request, evidenceFor(request), this);
    m_job = job;
    // Not modal: the window plays on while the clip is written.
    auto *progress = new QProgressDialog(L::localized("Clip.progress"), L::localized("Cancel"), 0, 1000, m_window);
    progress->setObjectName(QStringLiteral("clipProgressDialog"));
    progress->setWindowModality(Qt::NonModal);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);
    m_progress = progress;
    connect(progress, &QProgressDialog::canceled, job, &ClipExportJob::cancel);
    connect(job, &ClipExportJob::progressed, progress, [progress](double f) { progress->setValue(int(f * 1000)); });
    connect(job, &ClipExportJob::finished, this, &ClipExport::finished);
    progress->show();
    job->start();
    return true;
}

void ClipExport::finished(bool ok, const QString &message, const QStringList &files)
{
    if (m_progress)
        m_progress->deleteLater();
    if (m_job)
        m_job->deleteLater();
    if (m_places.notify)
        m_places.notify(ok ? L::localized("Clip.saved") + QLatin1Char(' ') +
                                 QDir::toNativeSeparators(files.value(0))
                           : L::localized("Clip.failed") + QLatin1Char(' ') + message);
    emit exportFinished(ok, message);
}
