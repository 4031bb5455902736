#include "library/playbacksync.h"

#include <QDebug>
#include <QGeoCoordinate>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include "core/mediaplayerdelegate.h"
#include "core/mlanguagemanager.h"
#include "core/preferences.h"
#include "track/trackdecoder.h"

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
    if (m_stop)
        m_stop();
    // Only the latest selection may start playback: the extraction of an earlier one is
    // cancelled, so that the new one need not wait for it, and should its answer still
    // arrive it is dropped instead of briefly playing the older file.
    cancelPendingExtraction();
    const quint64 generation = ++m_generation;
    const QString path = model.fLocalPath;
    QPointer<PlaybackSync> self(this);
    auto done = [self, generation, path](const QStringList &lines) {
        if (self)
            self->trackArrived(generation, path, lines);
    };
    m_extracting = true;
    m_extractingPath = path;
    if (m_extract)
        m_extract(path, done);
    else
        done({});
}

void PlaybackSync::trackArrived(quint64 generation, const QString &path, const QStringList &lines)
{
    if (generation != m_generation) {
        qInfo() << "telemetry of superseded selection dropped:" << path;
        return;
    }
    m_extracting = false;
    const QStringList unique = removeRepeatedLines(lines);
    qDebug().noquote() << unique.join(QLatin1Char('\n'));
    const Track track = m_decode ? m_decode(unique) : Track();
    m_stats.handleGpsInfoWithArray(track);
    emit labelsChanged();
    for (const Gauge &g : std::as_const(m_gauges))
        if (g.instrument)
            g.instrument->setGpsData(track);
    if (m_play)
        m_play(path);
    emit trackLoaded(path, int(trackSize(track)));
}

void PlaybackSync::cancelPendingExtraction()
{
    if (!m_extracting)
        return;
    m_extracting = false;
    ++m_generation;  // whatever it still delivers is dropped
    if (m_cancel)
        m_cancel();
}

void PlaybackSync::mediaPlayerDidDeleteModel(const MFileModel &model, bool isSelect)
{
    // Removed while its telemetry is still being read: it must not start seconds later.
    if (m_extracting && m_extractingPath == model.fLocalPath) {
        qInfo() << "extraction of removed recording cancelled:" << model.fLocalPath;
        cancelPendingExtraction();
    }
    if (isSelect && m_stop)
        m_stop();
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
    if (state == MediaPlayStateFinished) {
        QPointer<PlaybackSync> self(this);
        QTimer::singleShot(kAutoplayDelayMs, this, [self] {
            if (self && self->m_next)
                self->m_next();
        });
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
