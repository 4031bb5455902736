#pragma once
// The telemetry side of the main view: a selected recording has its telemetry extracted
// and decoded, the track goes to every instrument before playback starts, each tick
// updates the read-outs and the instruments, and stop/finish/error reset them. What it
// wants from the extraction service, the player and the list it asks for with signals;
// the main view's wiring connects them.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "track/instrument.h"
#include "core/mfilemodel.h"
#include "track/tripstatistics.h"

class PlaybackSync : public QObject {
    Q_OBJECT
public:
    using Decoder = std::function<Track(const QStringList &lines)>;

    // One dashboard instrument: its contract and its own reset operation.
    struct Gauge {
        Instrument *instrument = nullptr;
        std::function<void()> reset;
        bool receivesTicks = true;
    };

    explicit PlaybackSync(QObject *parent = nullptr);

    void setDecoder(Decoder decoder) { m_decode = std::move(decoder); }
    // A track from elsewhere may stand in for a recording's own (app/trackloader.h).
    using TrackSource = std::function<Track(const QString &path, const Track &own)>;
    void setTrackSource(TrackSource source) { m_source = std::move(source); }
    // The recording on display gets another track (loaded, nudged or taken away): the
    // instruments and read-outs take it as if it had just been decoded; playback goes on.
    void replaceTrack(const Track &track);
    QString currentPath() const { return m_currentPath; }
    // In the order of the hand-over: map, speed gauge, compass, G-sensor panel.
    void setGauges(QList<Gauge> gauges) { m_gauges = std::move(gauges); }
    void mediaPlayerDidSelectModel(const MFileModel &model);
    // A recording left the list: its pending extraction is cancelled and it never starts;
    // the player stops when it was the current one.
    void mediaPlayerDidDeleteModel(const MFileModel &model, bool isSelect);
    void mediaPlayerCurrentTime(double seconds);
    void mediaPlayerCurrentState(quint64 state);
    // The unit box: index 1 is mph, anything else km/h.
    void speedUnitChange(int index);
    // Every read-out to its no-data text (also at set-up).
    void clearGpsInfo();
    // Re-reads the localized words of the read-outs that show no data.
    void refreshLanguage();

    const TripStatistics &stats() const { return m_stats; }
    // False when the track on display came from a reading that failed or was called off.
    bool trackComplete() const { return m_trackComplete; }
    QString title() const { return m_title; }
    QString speedText() const { return q(m_stats.labels().speed); }
    QString latText() const { return q(m_stats.labels().lat); }
    QString lonText() const { return q(m_stats.labels().lon); }
    QString topSpeedText() const { return q(m_stats.labels().topSpeed); }
    QString aveSpeedText() const { return q(m_stats.labels().aveSpeed); }
    QString distanceText() const { return q(m_stats.labels().distance); }
    // The stored unit, storing "KMH" first when none is stored.
    static QString speedUnit();

    // Identical lines after the first of each are dropped; order is kept.
    static QStringList removeRepeatedLines(const QStringList &lines);
    // Metres along the Earth's surface between two positions in degrees.
    static double distanceByStartLatStartLonEndLatEndLon(double lat1, double lon1, double lat2, double lon2);

public slots:
    // The answer to telemetryRequested(ticket, ...): the recording's sample lines (none when
    // it has no telemetry). complete is false when the reading failed or was called off:
    // the recording still plays, but its lines say nothing about its telemetry. Answers
    // to tickets no longer wanted are dropped.
    void telemetryArrived(quint64 ticket, const QStringList &lines, bool complete = true);

signals:
    // The telemetry of path is wanted; answer with telemetryArrived(ticket, lines).
    void telemetryRequested(quint64 ticket, const QString &path);
    // The request of ticket is no longer wanted (a newer selection, or its recording left
    // the list); only that request is to be called off.
    void telemetryCancelled(quint64 ticket);
    void stopRequested();
    void playRequested(const QString &path);
    // 100 ms after a recording finished.
    void nextRequested();
    void titleChanged(const QString &title);
    void labelsChanged();
    // Stopped, finished or failed: the instruments and read-outs were just reset.
    void halted(quint64 state);
    // The new track reached every instrument and playback was asked for.
    void trackLoaded(const QString &path, int samples);

private:
    static QString q(const std::string &s) { return QString::fromStdString(s); }
    void cancelPendingExtraction();

    TripStatistics m_stats;
    QString m_extractingPath;  // the recording whose telemetry is being extracted, if any
    bool m_extracting = false;
    bool m_trackComplete = false;
    Decoder m_decode;
    TrackSource m_source;
    QString m_currentPath; // the recording whose track the instruments hold
    QList<Gauge> m_gauges;
    QString m_title;
    quint64 m_generation = 0;
    bool m_halted = false;  // stopped, finished or failed, and not playing again yet
};
