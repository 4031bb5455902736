#include "app/playbacksync.h"
#include "core/logging.h"

#include <QDebug>
#include <QGeoCoordinate>
#include <QMetaMethod>
#include <QSet>
#include <QTimer>

#include "core/mediaplayerdelegate.h"
#include "core/mlanguagemanager.h"
#include "core/preferences.h"
#include "track/trackdecoder.h"

Q_LOGGING_CATEGORY(lcSync, "trava.sync")

namespace {
constexpr int kAutoplayDelayMs = 100;

std::string localized(const std::string &key)
{
    return MLanguageManager::DPLocalizedString(QString::fromStdString(key)).toStdString();
}
} // namespace

PlaybackSync::PlaybackSync(QObject *parent)
    : QObject(parent), m_stats(&PlaybackSync::distanceByStartLatStartLonEndLatEndLon, localized)
{
    m_decode = [](const QStringList &lines) {
        std::vector<std::string> raw;
        raw.reserve(lines.size());
        for (const QString &line : lines)
            raw.push_back(line.toStdString());
        return decodeGpsData(raw);
    };
}

QString PlaybackSync::speedUnit()
{
    Preferences::registerSpeedUnitDefault();
    return Preferences::speedUnitType();
}

double PlaybackSync::distanceByStartLatStartLonEndLatEndLon(double lat1, double lon1, double lat2, double lon2)
{
    const QGeoCoordinate a(lat1, lon1), b(lat2, lon2);
    // Out-of-range positions (a damaged sample) add nothing rather than nonsense.
    if (!a.isValid() || !b.isValid())
        return 0.0;
    return a.distanceTo(b);
}

QStringList PlaybackSync::removeRepeatedLines(const QStringList &lines)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString &line : lines) {
        if (seen.contains(line))
            continue;
        seen.insert(line);
        out.append(line);
    }
    return out;
}

void PlaybackSync::mediaPlayerDidSelectModel(const MFileModel &model)
{
    m_title = model.fName;
    emit titleChanged(m_title);
    emit stopRequested();
    // Only the latest selection may start playback: the extraction of an earlier one is
    // cancelled, so that the new one need not wait for it, and should its answer still
    // arrive it is dropped instead of briefly playing the older file.
    cancelPendingExtraction();
    const quint64 ticket = ++m_generation;
    m_extracting = true;
    m_extractingPath = model.fLocalPath;
    if (isSignalConnected(QMetaMethod::fromSignal(&PlaybackSync::telemetryRequested)))
        emit telemetryRequested(ticket, m_extractingPath);
    else
        telemetryArrived(ticket, {});
}

void PlaybackSync::telemetryArrived(quint64 ticket, const QStringList &lines, bool complete)
{
    if (!m_extracting || ticket != m_generation) {
        qCInfo(lcSync) << "telemetry of superseded selection dropped";
        return;
    }
    m_extracting = false;
    m_trackComplete = complete;
    const QString path = m_extractingPath;
    const QStringList unique = removeRepeatedLines(lines);
    qCDebug(lcSync).noquote() << unique.join(QLatin1Char('\n'));
    Track track = m_decode ? m_decode(unique) : Track();
    m_currentPath = path;
    if (m_source)
        track = m_source(path, track);
    m_stats.handleGpsInfoWithArray(track);
    emit labelsChanged();
    for (const Gauge &g : std::as_const(m_gauges))
        if (g.instrument)
            g.instrument->setGpsData(track);
    emit playRequested(path);
    emit trackLoaded(path, int(trackSize(track)));
}

void PlaybackSync::replaceTrack(const Track &track)
{
    if (m_currentPath.isEmpty() || m_extracting)
        return;
    m_stats.replaceTrack(track);
    emit labelsChanged();
    for (const Gauge &g : std::as_const(m_gauges))
        if (g.instrument)
            g.instrument->setGpsData(track);
    emit trackLoaded(m_currentPath, int(trackSize(track)));
}

void PlaybackSync::cancelPendingExtraction()
{
    if (!m_extracting)
        return;
    m_extracting = false;
    // Whatever it still delivers is dropped.
    emit telemetryCancelled(m_generation++);
}

void PlaybackSync::mediaPlayerDidDeleteModel(const MFileModel &model, bool isSelect)
{
    // Removed while its telemetry is still being read: it must not start seconds later.
    if (m_extracting && m_extractingPath == model.fLocalPath) {
        qCInfo(lcSync) << "extraction of removed recording cancelled:" << model.fLocalPath;
        cancelPendingExtraction();
    }
    if (isSelect)
        emit stopRequested();
}

void PlaybackSync::mediaPlayerCurrentTime(double seconds)
{
    // A tick already queued when playback stopped must not bring back what the stop cleared.
    if (m_halted)
        return;
    // The map first, then the read-outs, then the other instruments.
    if (!m_gauges.isEmpty() && m_gauges.first().instrument && m_gauges.first().receivesTicks)
        m_gauges.first().instrument->setCurrentPlayerTime(seconds);
    if (m_stats.setCurrentPlayerTime(seconds, speedUnit().toStdString()))
        emit labelsChanged();
    for (int i = 1; i < m_gauges.size(); ++i)
        if (m_gauges.at(i).instrument && m_gauges.at(i).receivesTicks)
            m_gauges.at(i).instrument->setCurrentPlayerTime(seconds);
}

void PlaybackSync::mediaPlayerCurrentState(quint64 state)
{
    if (state == MediaPlayStatePlaying || state == MediaPlayStatePaused)
        m_halted = false;
    if (state != MediaPlayStateError && state != MediaPlayStateStopped && state != MediaPlayStateFinished)
        return;
    m_halted = true;
    for (const Gauge &g : std::as_const(m_gauges))
        if (g.reset)
            g.reset();
    clearGpsInfo();
    emit halted(state);
    if (state == MediaPlayStateFinished) {
        QTimer::singleShot(kAutoplayDelayMs, this, &PlaybackSync::nextRequested);
    }
}

void PlaybackSync::clearGpsInfo()
{
    m_stats.clearGpsInfo(speedUnit().toStdString());
    emit labelsChanged();
}

void PlaybackSync::refreshLanguage()
{
    m_stats.refreshWords();
    // An empty speed read-out names the unit stored now.
    if (!m_stats.showsSample())
        m_stats.speedUnitChanged(speedUnit().toStdString());
    emit labelsChanged();
}

void PlaybackSync::speedUnitChange(int index)
{
    const QString unit = index == 1 ? QStringLiteral("MPH") : QStringLiteral("KMH");
    Preferences::setSpeedUnitType(unit);
    m_stats.speedUnitChanged(unit.toStdString());
    emit labelsChanged();
}
