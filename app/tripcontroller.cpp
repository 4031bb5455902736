#include "app/tripcontroller.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

#include "core/mediaplayerdelegate.h"
#include "core/mlanguagemanager.h"
#include "core/preferences.h"
#include "core/zoneclocks.h"
#include "instruments/map/gpsmapview.h"
#include "app/playbacksync.h"
#include "service/kalgpstool.h"
#include "track/cameraclock.h"
#include "track/tripstatistics.h"

using L = MLanguageManager;

namespace {
// How far the search goes either way: a day of one-minute files is still one trip.
constexpr int kMaxParts = 1500;
constexpr int kMaxReadAhead = 64;

QDateTime modified(const QString &path) { return QFileInfo(path).lastModified(); }
} // namespace

TripController::TripController(ListPaths list, GpsMapView *map, QObject *parent)
    : QObject(parent), m_list(std::move(list)), m_map(map)
{
}

TripController::~TripController() { abandon(); }

// The search under way is not wanted any more: neither is the reading it waits for.
void TripController::abandon()
{
    ++m_generation;
    if (m_request != 0)
        KalGpsTool::shareTool()->cancel(std::exchange(m_request, 0));
}

bool TripController::haveTrack(const QString &path) const
{
    const auto it = m_cache.constFind(path);
    return it != m_cache.constEnd() && it->modified == modified(path);
}

Track TripController::cached(const QString &path) const
{
    return m_cache.value(path).track;
}

void TripController::recordingSelected(const QString &path)
{
    if (m_paths.contains(path)) {
        // Another part of the trip: the map keeps the trip meanwhile.
        m_movingOn = isTrip();
        return;
    }
    m_movingOn = false;
    abandon();
    m_searching = false;
    m_current = path;
    m_paths = QStringList{path};
    m_tracks.clear();
    m_summary.reset();
    if (m_map)
        m_map->setTripContext({});
    emit tripChanged();
}

void TripController::playbackHalted(quint64 state)
{
    const int part = currentPart();
    const bool nextFollows = state == MediaPlayStateFinished && isTrip() && part >= 0 && part + 1 < m_paths.size();
    const bool chosen = state == MediaPlayStateStopped && m_movingOn;
    if (m_map && (nextFollows || chosen))
        m_map->setTripContext(m_tracks);
}

void TripController::recordingLoaded(const QString &path, const Track &track, bool complete)
{
    m_movingOn = false;
    abandon();
    m_current = path;
    if (!complete) {
        // Nothing known about it: no trip, and nothing remembered.
        m_cache.remove(path);
        m_searching = false;
        m_paths = QStringList{path};
        m_tracks.clear();
        m_summary.reset();
        if (m_map)
            m_map->setTripContext({});
        emit tripChanged();
        return;
    }
    m_cache.insert(path, Entry{modified(path), track});
    m_order = m_list ? m_list() : QStringList();
    const int at = int(m_order.indexOf(path));
    if (at < 0) {
        m_order = QStringList{path};
        m_low = m_high = 0;
    } else {
        m_low = m_high = at;
    }
    m_backwardDone = m_forwardDone = !trackTimeSpan(track);
    m_aheadBackward = m_aheadForward = 1;
    m_searching = true;
    step(m_generation);
}

// One step of the search: extend the trip one file backward, then forward, extracting a
// neighbour's track first when it is not known yet.
void TripController::step(quint64 generation)
{
    while (generation == m_generation) {
        const bool backward = !m_backwardDone;
        if (!backward && m_forwardDone) {
            finish();
            return;
        }
        const int next = backward ? m_low - 1 : m_high + 1;
        if (next < 0 || next >= m_order.size() || m_high - m_low + 1 >= kMaxParts) {
            (backward ? m_backwardDone : m_forwardDone) = true;
            continue;
        }
        const QString path = m_order.at(next);
        if (!haveTrack(path)) {
            // Read ahead in the direction of the search, more files each time the drive went
            // on (one turn of the service for many one-minute files, yet a single file when
            // the neighbours are unrelated long recordings).
            QStringList batch;
            const int ahead = backward ? m_aheadBackward : m_aheadForward;
            for (int k = next; k >= 0 && k < m_order.size() && batch.size() < ahead; k += backward ? -1 : 1)
                if (!haveTrack(m_order.at(k)))
                    batch << m_order.at(k);
            (backward ? m_aheadBackward : m_aheadForward) = std::min(ahead * 2, kMaxReadAhead);
            QPointer<TripController> self(this);
            m_request = KalGpsTool::shareTool()->requestMany(
                batch,
                [self](const QString &read, const Extraction &result) {
                    if (self && result.status == ExtractionStatus::Complete)
                        self->m_cache.insert(read, Entry{modified(read), result.track});
                },
                [self, generation, backward, path] {
                    if (!self)
                        return;
                    if (generation == self->m_generation) {
                        self->m_request = 0;
                        // Unknown, not "no telemetry": the trip ends here this time only.
                        if (!self->haveTrack(path))
                            (backward ? self->m_backwardDone : self->m_forwardDone) = true;
                    }
                    self->step(generation);
                });
            return;
        }
        const auto here = trackTimeSpan(cached(m_order.at(backward ? m_low : m_high)));
        const auto there = trackTimeSpan(cached(path));
        const bool joins = here && there && (backward ? continuesTrip(*there, *here) : continuesTrip(*here, *there));
        if (!joins)
            (backward ? m_backwardDone : m_forwardDone) = true;
        else
            (backward ? m_low : m_high) = next;
    }
}

void TripController::finish()
{
    const QStringList paths = m_order.mid(m_low, m_high - m_low + 1);
    std::vector<Track> tracks;
    std::size_t samples = 0;
    for (const QString &p : paths) {
        tracks.push_back(cached(p));
        samples += trackSize(tracks.back());
    }
    if (paths.size() < 2 || samples <= m_inlineSummarySamples) {
        publish(paths, tracks, std::nullopt);
        return;
    }
    // Reading the texts of a day's samples for the sums would hold the window: the trip is
    // known once the worker has summed it, unless another search has begun meanwhile.
    const quint64 generation = m_generation;
    m_worker.run(
        this, [tracks] { return summarizeTrip(tracks, &PlaybackSync::distanceByStartLatStartLonEndLatEndLon); },
        [this, generation, paths, tracks](TripSummary summary) {
            if (generation == m_generation)
                publish(paths, tracks, summary);
        });
}

void TripController::publish(const QStringList &paths, const std::vector<Track> &tracks,
                             std::optional<TripSummary> summary)
{
    m_searching = false;
    m_paths = paths;
    m_tracks = tracks;
    m_summary = summary;
    if (m_map)
        m_map->setTripContext(isTrip() ? m_tracks : std::vector<Track>{});
    emit tripChanged();
}

TripSummary TripController::tripSummary() const
{
    if (m_summary)
        return *m_summary;
    return summarizeTrip(m_tracks, &PlaybackSync::distanceByStartLatStartLonEndLatEndLon);
}

TripSummary TripController::recordingSummary() const
{
    return summarizeTrip({cached(m_current)}, &PlaybackSync::distanceByStartLatStartLonEndLatEndLon);
}

QString TripController::distanceText(const TripSummary &s)
{
    const bool mph = Preferences::speedUnitType() == QLatin1String("MPH");
    const double distance = mph ? s.distanceMetres / 1609.344 : s.distanceMetres / 1000.0;
    return QString::number(distance, 'f', 2) + (mph ? QStringLiteral(" mi") : QStringLiteral(" km"));
}

QString TripController::durationText(const TripSummary &s)
{
    const qint64 d = std::max<qint64>(0, s.durationSeconds);
    return QStringLiteral("%1:%2:%3").arg(d / 3600, 2, 10, QLatin1Char('0'))
        .arg(d / 60 % 60, 2, 10, QLatin1Char('0')).arg(d % 60, 2, 10, QLatin1Char('0'));
}

QString TripController::topText(const TripSummary &s)
{
    const bool mph = Preferences::speedUnitType() == QLatin1String("MPH");
    const double top = mph ? double(TripStatistics::kmhToMph(float(s.topSpeedKmh))) : s.topSpeedKmh;
    return L::localized("Trip.top") + QStringLiteral(" ") + QString::number(top, 'f', 0) +
           (mph ? QStringLiteral(" mph") : QStringLiteral(" km/h"));
}

QString TripController::summaryText(const TripSummary &s)
{
    return distanceText(s) + QStringLiteral(" · ") + durationText(s) + QLatin1Char('\n') + topText(s);
}

QString TripController::clockText(const std::vector<Track> &tracks, const QString &path)
{
    std::optional<TimeSpan> whole;
    Track first;
    for (const Track &t : tracks) {
        const auto span = trackTimeSpan(t);
        if (!span)
            continue;
        if (!whole) {
            whole = span;
            first = t;
        }
        whole->first = std::min(whole->first, span->first);
        whole->last = std::max(whole->last, span->last);
    }
    if (!whole)
        return QString();
    // The zone of the card the trip was recorded on, as every other time of the window.
    const ZonedClock clock = ZoneClocks::shared()->clockFor(path, first);
    return QString::fromStdString(clock.spanText(sampleTimeText(whole->first), sampleTimeText(whole->last)));
}

QString TripController::tripClockText() const
{
    return isTrip() ? clockText(m_tracks, m_paths.front()) : QString();
}

QString TripController::tripCardText() const
{
    if (!isTrip())
        return QString();
    const TripSummary s = tripSummary();
    const QString clock = tripClockText();
    return L::localized("Trip.whole").arg(m_paths.size()) + QLatin1Char('\n') +
           (clock.isEmpty() ? durationText(s) : clock) + QLatin1Char('\n') + distanceText(s) + QLatin1Char('\n') +
           topText(s);
}

QString TripController::tripText() const
{
    if (!isTrip())
        return QString();
    const QString clock = tripClockText();
    return L::localized("Trip.whole").arg(m_paths.size()) + QLatin1Char('\n') +
           (clock.isEmpty() ? QString() : clock + QLatin1Char('\n')) + summaryText(tripSummary());
}

QString TripController::recordingText() const
{
    if (!isTrip())
        return QString();
    const QString clock = clockText({cached(m_current)}, m_current);
    return L::localized("Trip.part").arg(currentPart() + 1).arg(m_paths.size()) + QLatin1Char('\n') +
           (clock.isEmpty() ? QString() : clock + QLatin1Char('\n')) + summaryText(recordingSummary());
}
