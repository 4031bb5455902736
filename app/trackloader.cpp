#include "app/trackloader.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QThreadPool>
#include <QTimeZone>
#include <QWidget>
#include <cmath>

#include "app/playbacksync.h"
#include "core/gpxreader.h"
#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "core/preferences.h"
#include "core/zoneclocks.h"
#include "playback/playbackcontroller.h"
#include "telemetry/kalgpsmovietime.h"
#include "track/cameraclock.h"
#include "track/numbertext.h"
#include "track/trackdecoder.h"
#include "track/trip.h"

namespace {
constexpr char kMemoryKey[] = "loadedTracks"; // recording path -> {file, nudge, prefer}

QString loc(const char *key) { return MLanguageManager::localized(key); }

// When playback second 0 of a recording was, in UTC: from its own telemetry when it has
// readable times, else from the camera's clock (its name, or its movie header's creation
// time) turned to UTC in the card's zone
// (the computer's own when none is chosen: cameras are set to the time where they drive),
// else from the file's dates.
double videoStartUtc(const QString &path, const Track &own, double length)
{
    if (own) {
        for (std::size_t i = 0; i < own->size(); ++i)
            if (const auto t = sampleTimeSeconds((*own)[i].time))
                return double(*t) - double(i);
    }
    if (const auto civil = ZoneClocks::cameraStart(path)) {
        const ZoneChoice choice = ZoneClocks::shared()->choiceFor(path);
        QTimeZone zone = QTimeZone::systemTimeZone();
        if (choice.mode == ZoneChoice::Mode::Named) {
            const QTimeZone named(QByteArray::fromStdString(choice.zone));
            if (named.isValid())
                zone = named;
        }
        const QDateTime wall = QDateTime::fromSecsSinceEpoch(*civil, Qt::UTC);
        const QDateTime local(wall.date(), wall.time(), zone);
        if (local.isValid())
            return double(local.toSecsSinceEpoch());
    }
    const QFileInfo info(path);
    if (info.birthTime().isValid())
        return double(info.birthTime().toSecsSinceEpoch());
    return double(info.lastModified().toSecsSinceEpoch()) - length;
}
} // namespace

TrackLoader::TrackLoader(PlaybackSync *sync, PlaybackController *player, QWidget *window, QObject *parent)
    : QObject(parent), m_sync(sync), m_player(player), m_window(window)
{
    m_menu = new QMenu(window);
    if (!window) // no window to own the menu: it goes with the loader
        connect(this, &QObject::destroyed, m_menu, [menu = m_menu] { delete menu; });
    m_menu->setObjectName(QStringLiteral("loadTrackMenu"));
    m_forRecording = m_menu->addAction(QString(), this, [this] { askAndLoad(false); });
    m_forTrip = m_menu->addAction(QString(), this, [this] { askAndLoad(true); });
    m_prefer = new QAction(this);
    m_prefer->setObjectName(QStringLiteral("preferLoadedTrackAction"));
    m_prefer->setCheckable(true);
    connect(m_prefer, &QAction::triggered, this, [this](bool on) {
        Memory m = memoryOf(m_current);
        if (m.file.isEmpty())
            return;
        m.prefer = on;
        remember(m_current, m);
        refresh();
    });
    m_unload = new QAction(this);
    m_unload->setObjectName(QStringLiteral("unloadTrackAction"));
    connect(m_unload, &QAction::triggered, this, [this] {
        forget(m_current);
        refresh();
    });
    const struct {
        const char *name;
        double step;
        QKeySequence key;
    } nudges[] = {{"trackEarlierAction", -1, QKeySequence(Qt::ALT | Qt::Key_Left)},
                  {"trackLaterAction", 1, QKeySequence(Qt::ALT | Qt::Key_Right)},
                  {"trackEarlierTenthAction", -0.1, QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Left)},
                  {"trackLaterTenthAction", 0.1, QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Right)}};
    for (const auto &n : nudges) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(n.name));
        a->setShortcut(n.key);
        a->setShortcutContext(Qt::WindowShortcut);
        const double step = n.step;
        connect(a, &QAction::triggered, this, [this, step] { nudge(step); });
        m_nudges.append(a);
    }
    if (window)
        window->addActions(m_nudges);
    if (player) {
        // A track laid over a length not known yet is laid again once the player knows it.
        connect(player, &PlaybackController::timeChanged, this, [this](double, double length) {
            if (m_showing && length > 0 && std::abs(length - m_builtLength) > 0.5)
                refresh();
        });
    }
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { retitle(); });
    retitle();
}

void TrackLoader::retitle()
{
    m_menu->setTitle(loc("Track.load"));
    m_forRecording->setText(loc("Track.forRecording"));
    m_forTrip->setText(loc("Track.forTrip"));
    m_prefer->setText(loc("Track.prefer"));
    m_unload->setText(loc("Track.unload"));
    const char *keys[] = {"Track.earlier1", "Track.later1", "Track.earlier01", "Track.later01"};
    for (int i = 0; i < m_nudges.size(); ++i)
        m_nudges[i]->setText(loc(keys[i]));
}

TrackLoader::Memory TrackLoader::memoryOf(const QString &recording) const
{
    const QVariantMap all = QSettings().value(QLatin1String(kMemoryKey)).toMap();
    const QVariantMap m = all.value(recording).toMap();
    Memory out;
    out.file = m.value(QStringLiteral("file")).toString();
    const double nudge = leadingDouble(m.value(QStringLiteral("nudge")).toString().toStdString());
    out.nudge = std::isfinite(nudge) && std::abs(nudge) < 86400 ? nudge : 0;
    out.prefer = m.value(QStringLiteral("prefer")).toBool();
    return out;
}

void TrackLoader::remember(const QString &recording, const Memory &m)
{
    QSettings s;
    QVariantMap all = s.value(QLatin1String(kMemoryKey)).toMap();
    all.insert(recording, QVariantMap{{QStringLiteral("file"), m.file},
                                      {QStringLiteral("nudge"), QString::number(m.nudge, 'f', 1)},
                                      {QStringLiteral("prefer"), m.prefer}});
    s.setValue(QLatin1String(kMemoryKey), all);
}

void TrackLoader::forget(const QString &recording)
{
    QSettings s;
    QVariantMap all = s.value(QLatin1String(kMemoryKey)).toMap();
    all.remove(recording);
    s.setValue(QLatin1String(kMemoryKey), all);
}

double TrackLoader::nudgeOf(const QString &recording) const { return memoryOf(recording).nudge; }
QString TrackLoader::trackFileOf(const QString &recording) const { return memoryOf(recording).file; }

void TrackLoader::read(const QString &gpxPath, std::function<void(const GpxRead &)> then)
{
    QThreadPool::globalInstance()->start([this, gpxPath, then = std::move(then)] {
        auto result = std::make_shared<GpxRead>(GpxReader::readFile(gpxPath));
        QMetaObject::invokeMethod(this, [this, gpxPath, result, then] {
            if (result->ok())
                m_points.insert(gpxPath, std::make_shared<const std::vector<TrackPoint>>(std::move(result->points)));
            result->points.clear();
            then(*result);
        }, Qt::QueuedConnection);
    });
}

Track TrackLoader::build(const QString &recording, const Track &own, const Memory &m)
{
    const auto points = m_points.value(m.file);
    if (!points)
        return {};
    const double length = m_player && recording == m_current ? m_player->length() : 0;
    m_builtLength = length;
    Placement where;
    where.videoStartUtc = videoStartUtc(recording, own, length);
    where.nudgeSeconds = m.nudge;
    where.durationSeconds = length > 0 ? length : 0;
    return placeOnVideo(*points, where);
}

Track TrackLoader::source(const QString &path, const Track &own)
{
    if (path != m_current)
        m_own.clear();
    m_current = path;
    m_own.insert(path, own);
    const Memory m = memoryOf(path);
    m_prefer->setEnabled(!m.file.isEmpty());
    m_prefer->setChecked(m.prefer);
    m_unload->setEnabled(!m.file.isEmpty());
    const bool wanted = !m.file.isEmpty() && (trackSize(own) == 0 || m.prefer);
    Track shown = own;
    m_showing = false;
    if (wanted && m_points.contains(m.file)) {
        const Track loaded = build(path, own, m);
        if (trackSize(loaded) > 0) {
            shown = loaded;
            m_showing = true;
        }
    } else if (wanted) {
        // Remembered from an earlier run: read it, then show it if the recording is still on.
        read(m.file, [this, path](const GpxRead &r) {
            if (r.ok() && path == m_current)
                refresh();
        });
    }
    emit offsetChanged();
    return shown;
}

void TrackLoader::refresh()
{
    if (m_current.isEmpty() || !m_sync)
        return;
    m_sync->replaceTrack(source(m_current, m_own.value(m_current)));
}

void TrackLoader::load(const QString &gpxPath, const QStringList &recordings)
{
    read(gpxPath, [this, gpxPath, recordings](const GpxRead &r) {
        if (!r.ok()) {
            alert(loc("Track.failed") + QLatin1Char('\n') + r.error);
            emit loaded(false);
            return;
        }
        for (const QString &recording : recordings) {
            Memory m = memoryOf(recording);
            m.file = gpxPath;
            m.nudge = 0;
            remember(recording, m);
        }
        refresh();
        const std::size_t left = r.cleaning.offGlobe + r.cleaning.outOfOrder + r.cleaning.untimed;
        const bool wanted = trackSize(m_own.value(m_current)) == 0 || memoryOf(m_current).prefer;
        if (!m_showing && wanted && recordings.contains(m_current))
            alert(loc("Track.noOverlap"));
        else if (left > 0 || r.truncated)
            alert(loc("Track.trimmed").arg(r.truncated ? QStringLiteral("%1+").arg(left) : QString::number(left)));
        emit loaded(m_showing);
    });
}

void TrackLoader::askAndLoad(bool wholeTrip)
{
    if (m_current.isEmpty()) {
        alert(loc("Export.nothing"));
        return;
    }
    QString file;
    if (m_ask) {
        file = m_ask();
    } else {
        file = QFileDialog::getOpenFileName(m_window, loc("Track.load"), QString(),
                                            QStringLiteral("GPX (*.gpx *.GPX);;* (*)"));
    }
    if (file.isEmpty())
        return;
    QStringList recordings{m_current};
    if (wholeTrip && m_tripPaths) {
        const QStringList trip = m_tripPaths();
        if (trip.contains(m_current))
            recordings = trip;
    }
    load(file, recordings);
}

void TrackLoader::exportLines(const QString &recording, const QStringList &own,
                              std::function<void(const QStringList &)> then)
{
    const Memory m = memoryOf(recording);
    std::vector<std::string> ownLines;
    ownLines.reserve(std::size_t(own.size()));
    for (const QString &line : own)
        ownLines.push_back(line.toStdString());
    const Track ownTrack = decodeGpsData(ownLines, TrackDatum::Wgs84);
    if (m.file.isEmpty() || (trackSize(ownTrack) > 0 && !m.prefer)) {
        then(own);
        return;
    }
    // The recording's length as the player knows it, else as its movie header says: a track
    // laid over an unknown length would run on past the recording into the next one's.
    double length = recording == m_current && m_player ? m_player->length() : 0;
    if (!(length > 0) && !kalGpsMovieDuration(QFile::encodeName(recording).constData(), &length))
        length = 0;
    auto place = [this, recording, own, ownTrack, m, length, then] {
        const auto points = m_points.value(m.file);
        Track placed;
        if (points) {
            Placement where;
            where.videoStartUtc = videoStartUtc(recording, ownTrack, length);
            where.nudgeSeconds = m.nudge;
            where.durationSeconds = length;
            where.datum = TrackDatum::Wgs84;
            placed = placeOnVideo(*points, where);
        }
        // A file that cannot be read or placed any more leaves what the camera wrote.
        if (trackSize(placed) == 0) {
            then(own);
            return;
        }
        QStringList lines;
        for (const std::string &line : sampleLines(placed))
            lines << QString::fromStdString(line);
        then(lines);
    };
    if (m_points.contains(m.file))
        place();
    else
        read(m.file, [place](const GpxRead &) { place(); });
}

void TrackLoader::nudge(double seconds)
{
    Memory m = memoryOf(m_current);
    if (m.file.isEmpty())
        return;
    m.nudge = std::round((m.nudge + seconds) * 10) / 10;
    remember(m_current, m);
    refresh();
}

QString TrackLoader::offsetText() const
{
    if (!m_showing)
        return {};
    const double n = memoryOf(m_current).nudge;
    const QString value = (n > 0 ? QStringLiteral("+") : QString()) + QString::number(n, 'f', 1) + QStringLiteral(" s");
    return loc("Track.offset").arg(value);
}

int TrackLoader::alert(const QString &text)
{
    const QStringList buttons{loc("OK")};
    if (m_alert)
        return m_alert(loc("Prompt"), text, buttons);
    return MTool::showAlert(loc("Prompt"), text, buttons, m_window);
}
