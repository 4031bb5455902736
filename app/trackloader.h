#pragma once
// A track from elsewhere for recordings without telemetry (or with gaps): File -> Load
// Track... reads a GPX file off the window's thread, for the recording on display or its
// whole trip, and lays its points onto the recording's seconds by time (the camera's clock,
// turned to UTC, against the file's UTC). The nudge moves it against the video in steps of
// 1 s and 0.1 s. What was loaded for a recording, its nudge and whether it wins over the
// recording's own telemetry are remembered per recording. The playback sync asks source()
// for each new track; the loaded one stands in when the recording has none or the user
// prefers it.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "core/mtool.h"
#include "track/importedtrack.h"

struct GpxRead;
class PlaybackSync;
class PlaybackController;
class QAction;
class QMenu;
class QWidget;

class TrackLoader : public QObject {
    Q_OBJECT
public:
    using TripPaths = std::function<QStringList()>;
    // Asks for a GPX file; empty when the user cancelled. Tests answer instead of a dialog.
    using FileAsker = std::function<QString()>;

    TrackLoader(PlaybackSync *sync, PlaybackController *player, QWidget *window, QObject *parent = nullptr);

    void setTripPaths(TripPaths paths) { m_tripPaths = std::move(paths); }
    void setAlertHandler(MTool::AlertHandler alert) { m_alert = std::move(alert); }
    void setFileAsker(FileAsker asker) { m_ask = std::move(asker); }

    // "Load Track..." with its two targets, "Use the Loaded Track", "Remove the Loaded Track".
    QMenu *fileMenuEntry() const { return m_menu; }
    QAction *preferAction() const { return m_prefer; }
    QAction *unloadAction() const { return m_unload; }
    // Earlier/later by 1 s and 0.1 s, for the Playback menu and the window.
    QList<QAction *> nudgeActions() const { return m_nudges; }

    // The stand-in for a recording's own track (the playback sync's track source).
    Track source(const QString &path, const Track &own);
    // Loads file for path alone, or for every recording of its trip; the answer comes back
    // on this thread (loaded(), or an alert).
    void load(const QString &gpxPath, const QStringList &recordings);
    void nudge(double seconds);
    // For File -> Export Track...: the lines to write for recording, given its own extracted
    // lines. Where the loaded track is the one in use (none of its own, or picked), that
    // track laid on it with its nudge, as recorded (WGS-84) in the telemetry's line format,
    // so that the export's datum and zone rules treat it as the camera's own; otherwise the
    // own lines. Answers on this thread, later when a remembered file is read first.
    void exportLines(const QString &recording, const QStringList &own, std::function<void(const QStringList &)> then);
    // "Track +1.5 s" while a loaded track is on display; empty otherwise.
    QString offsetText() const;
    double nudgeOf(const QString &recording) const;
    QString trackFileOf(const QString &recording) const;
    bool showsLoadedTrack() const { return m_showing; }

signals:
    // The read-out's offset text may have changed.
    void offsetChanged();
    // A file was read and laid onto the recording on display (or failed: ok false).
    void loaded(bool ok);

private:
    struct Memory {
        QString file;
        double nudge = 0;
        bool prefer = false;
    };
    Memory memoryOf(const QString &recording) const;
    void remember(const QString &recording, const Memory &m);
    void forget(const QString &recording);
    void read(const QString &gpxPath, std::function<void(const GpxRead &)> then);
    Track build(const QString &recording, const Track &own, const Memory &m);
    // The recording on display gets its track again (loaded, nudged, removed).
    void refresh();
    void retitle();
    void askAndLoad(bool wholeTrip);
    int alert(const QString &text);

    QPointer<PlaybackSync> m_sync;
    QPointer<PlaybackController> m_player;
    QPointer<QWidget> m_window;
    TripPaths m_tripPaths;
    MTool::AlertHandler m_alert;
    FileAsker m_ask;
    QMenu *m_menu = nullptr;
    QAction *m_forRecording = nullptr;
    QAction *m_forTrip = nullptr;
    QAction *m_prefer = nullptr;
    QAction *m_unload = nullptr;
    QList<QAction *> m_nudges;
    QHash<QString, std::shared_ptr<const std::vector<TrackPoint>>> m_points; // by GPX path
    QHash<QString, Track> m_own;       // the recording's own track, as decoded
    QString m_current;
    double m_builtLength = 0;          // the recording's length the track on display was laid over
    bool m_showing = false;
};
