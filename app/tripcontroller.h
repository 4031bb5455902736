#pragma once
// The trip of the recording on display: its neighbours in the list whose telemetry runs
// on from one file to the next. Their tracks are extracted one after another (through
// the same serial extraction as the player's own), the map shows the whole trip under
// the recording's part, and the read-outs get the trip's distance, duration and top
// speed beside the recording's.
#include <QDateTime>
#include <QString>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <vector>

#include "track/trip.h"

class GpsMapView;

class TripController : public QObject {
    Q_OBJECT
public:
    using Extractor = std::function<void(const QString &path, std::function<void(const QStringList &lines)>)>;
    // Paths of the list in display order.
    using ListPaths = std::function<QStringList()>;

    TripController(ListPaths list, Extractor extract, GpsMapView *map, QObject *parent = nullptr);

    // A recording's track reached the instruments: look for its trip.
    void recordingLoaded(const QString &path, const Track &track);
    // Another recording was chosen: a trip it does not belong to leaves the map at once.
    void recordingSelected(const QString &path);

    QStringList tripPaths() const { return m_paths; }       // one path when alone
    std::vector<Track> tripTracks() const { return m_tracks; }
    int currentPart() const { return int(m_paths.indexOf(m_current)); }
    bool isTrip() const { return m_paths.size() > 1; }
    bool searching() const { return m_searching; }
    TripSummary tripSummary() const;
    TripSummary recordingSummary() const;
    // "Trip (3 files)\n1.23 km · 00:00:29\ntop 52 km/h" and "File 1 of 3\n..." for the
    // recording; empty texts when there is no trip.
    QString tripText() const;
    QString recordingText() const;

signals:
    void tripChanged();

private:
    void step(quint64 generation);
    bool haveTrack(const QString &path) const;
    Track cached(const QString &path) const;
    void finish();
    static QString summaryText(const TripSummary &summary);

    ListPaths m_list;
    Extractor m_extract;
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
    bool m_searching = false;
    quint64 m_generation = 0;
    QStringList m_paths;
    std::vector<Track> m_tracks;
};
