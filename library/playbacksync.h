#pragma once
// The telemetry side of the main view: a selected recording has its telemetry extracted
// and decoded, the track goes to every instrument before playback starts, each tick
// updates the read-outs and the instruments, and stop/finish/error reset them. The
// widget that owns this wires it to its labels, instruments and player.
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
    // Extraction: path -> (later, on the GUI thread) the telemetry text lines.
    using Extractor = std::function<void(const QString &path, std::function<void(const QStringList &lines)>)>;
    using Decoder = std::function<Track(const QStringList &lines)>;

    // One dashboard instrument: its contract and its own reset operation.
    struct Gauge {
        Instrument *instrument = nullptr;
        std::function<void()> reset;
        bool receivesTicks = true;
    };

    explicit PlaybackSync(QObject *parent = nullptr);

    void setExtractor(Extractor extractor) { m_extract = std::move(extractor); }
    // Cancels the extractions asked for so far (their answers still arrive, and are dropped).
    void setCanceller(std::function<void()> cancel) { m_cancel = std::move(cancel); }
    void setDecoder(Decoder decoder) { m_decode = std::move(decoder); }
    // In the order of the hand-over: map, speed gauge, compass, G-sensor panel.
    void setGauges(QList<Gauge> gauges) { m_gauges = std::move(gauges); }
    void setPlayer(std::function<void()> stop, std::function<void(const QString &)> play)
    {
        m_stop = std::move(stop);
        m_play = std::move(play);
    }
    // Called 100 ms after a recording finished.
    void setAutoplayNext(std::function<void()> next) { m_next = std::move(next); }

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

signals:
    void titleChanged(const QString &title);
    void labelsChanged();
    // The new track reached every instrument and playback was asked for.
    void trackLoaded(const QString &path, int samples);

private:
    static QString q(const std::string &s) { return QString::fromStdString(s); }
    void trackArrived(quint64 generation, const QString &path, const QStringList &lines);
    void cancelPendingExtraction();

    TripStatistics m_stats;
    Extractor m_extract;
    std::function<void()> m_cancel;
    QString m_extractingPath;  // the recording whose telemetry is being extracted, if any
    bool m_extracting = false;
    Decoder m_decode;
    QList<Gauge> m_gauges;
    std::function<void()> m_stop;
    std::function<void(const QString &)> m_play;
    std::function<void()> m_next;
    QString m_title;
    quint64 m_generation = 0;
    bool m_halted = false;  // stopped, finished or failed, and not playing again yet
};
