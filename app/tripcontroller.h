#pragma once
// The trip of the recording on display: its neighbours in the list whose telemetry runs
// on from one file to the next. Their tracks are extracted one after another (through
// the same serial extraction as the player's own, behind it), the map shows the whole
// trip under the recording's part, and the read-outs get the trip's distance, duration
// and top speed beside the recording's. Only a complete reading is remembered: one that
// failed or was called off says nothing about a recording's telemetry.
#include <QDateTime>
#include <QString>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "core/serialworker.h"
#include "track/trip.h"

class GpsMapView;

class TripController : public QObject {
    Q_OBJECT
public:
    // Paths of the list in display order.
    using ListPaths = std::function<QStringList()>;

    TripController(ListPaths list, GpsMapView *map, QObject *parent = nullptr);
    ~TripController() override;

    // A recording's track reached the instruments: look for its trip. complete is false
    // when the track came from a reading that failed or was called off.
    void recordingLoaded(const QString &path, const Track &track, bool complete = true);
    // Another recording was chosen: a trip it does not belong to leaves the map at once.
    void recordingSelected(const QString &path);
    // Playback stopped, finished or failed, and the map was cleared of everything. Moving
    // on within the trip (a part finished and the next follows, or the next part was
    // chosen) puts the trip back at once; anything else leaves the map empty.
    void playbackHalted(quint64 state);

    QStringList tripPaths() const { return m_paths; }       // one path when alone
    std::vector<Track> tripTracks() const { return m_tracks; }
    int currentPart() const { return int(m_paths.indexOf(m_current)); }
    bool isTrip() const { return m_paths.size() > 1; }
    // True until the trip is known, its sums included (a day's trip is summed on a worker).
    bool searching() const { return m_searching; }
    // Trips of more samples than this are summed on a worker (tests lower it to see that road).
    void setInlineSummaryLimit(std::size_t samples) { m_inlineSummarySamples = samples; }
    TripSummary tripSummary() const;
    TripSummary recordingSummary() const;
    // "Trip (3 files)\n1.23 km · 00:00:29\ntop 52 km/h" and "File 1 of 3\n..." for the
    // recording; empty texts when there is no trip.
    QString tripText() const;
    QString recordingText() const;
    // When the trip ran, on the clock its card shows times in: "14:05–14:34 CEST"
    // ("14:05–14:34" as recorded); empty when its tracks hold no readable time.
    QString tripClockText() const;
    // The read-out card, one figure a line to stay narrow: the trip, when it ran (its
    // duration when that is unknown), distance, top speed. Empty when there is no trip.
    QString tripCardText() const;

signals:
    void tripChanged();

private:
    void step(quint64 generation);
    void abandon();
    bool haveTrack(const QString &path) const;
    Track cached(const QString &path) const;
    void finish();
    void publish(const QStringList &paths, const std::vector<Track> &tracks, std::optional<TripSummary> summary);
    static QString summaryText(const TripSummary &summary);
    static QString distanceText(const TripSummary &summary);
    static QString durationText(const TripSummary &summary);
    static QString topText(const TripSummary &summary);
    // When the tracks ran, in the zone of path's card.
    static QString clockText(const std::vector<Track> &tracks, const QString &path);

    ListPaths m_list;
    quint64 m_request = 0; // the service's handle of the neighbour being read, if any
    QPointer<GpsMapView> m_map;
    struct Entry {
        QDateTime modified;
        Track track;
    };
    QHash<QString, Entry> m_cache;
    QString m_current;
    QStringList m_order; // the list as it was when the search began
    int m_low = 0, m_high = 0; // the trip found so far: m_order[m_low..m_high]
    bool m_backwardDone = false, m_forwardDone = false;
    int m_aheadBackward = 1, m_aheadForward = 1; // files read per turn of the service
    bool m_searching = false;
    bool m_movingOn = false; // another part of the trip was chosen and is being loaded
    quint64 m_generation = 0;
    QStringList m_paths;
    std::vector<Track> m_tracks;
    std::optional<TripSummary> m_summary; // of m_tracks, once summed
    std::size_t m_inlineSummarySamples = 20000;
    SerialWorker m_worker;                // last: it waits for its job before the rest goes
};
