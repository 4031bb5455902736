#pragma once
// The after-the-incident tools of the main view: snapshots (S, Ctrl+C, the camera button),
// harsh-event marks and N / Shift+N, the trip of the recording (map, read-out card), the
// track export, and their settings section. It fills the places it is handed; what reaches
// it from the player and the list is connected in app/composition.cpp.
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <optional>

#include "app/settingspanel.h"
#include "track/gpsitem.h"

class ColorPanel;
class GpsMapView;
class GsensorStateView;
class HarshEventNavigator;
class MediaPlayView;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class Snapshot;
class TrackExporter;
class TripController;

class IncidentTools : public QObject {
    Q_OBJECT
public:
    // What the tools work on and where they show themselves.
    struct Places {
        QWidget *window = nullptr;           // owns the shortcuts; parent of the dialogs
        MediaPlayView *player = nullptr;
        GsensorStateView *gsensor = nullptr; // carries the event marks
        GpsMapView *map = nullptr;           // shows the trip
        ColorPanel *tripCard = nullptr;      // an empty read-out card
        SettingsPanel::Section settings;     // an empty settings section
    };
    IncidentTools(const Places &places, QObject *parent = nullptr);

    Snapshot *snapshot() const { return m_snapshot; }
    HarshEventNavigator *events() const { return m_events; }
    TripController *trip() const { return m_trip; }
    TrackExporter *exporter() const { return m_exporter; }
    // File -> Export Track... (Ctrl+E); the File menu takes it in.
    QAction *exportAction() const { return m_exportAction; }
    QLabel *tripLabel() const { return m_tripLabel; }
    // The settings section's controls.
    QCheckBox *stampBox() const { return m_stampBox; }
    QComboBox *sensitivityBox() const { return m_sensitivityBox; }

    // The sample on display (none without telemetry) and its whole second, for the stamp
    // and the event jumps.
    void setSampleOnDisplay(const std::optional<GPSItem> &sample, double second);

    // Another recording was chosen; its track reached the instruments (listPaths: the
    // recordings of the list in its order, where its trip is looked for).
    void recordingSelected(const QString &path);
    // complete: the track came from a whole read (a partial one is never kept for trips).
    void recordingLoaded(const QString &path, const Track &track, const QStringList &listPaths,
                         bool complete = true);
    // Stop, error, the end: the trip stays on the map only when playback moves on within it.
    void playbackHalted(quint64 state);
    // The trip card again (the speed unit may have changed).
    void showTrip();
    // The export dialog for the recording on display and its trip.
    void exportTrack();
    QComboBox *dashboardBox() const { return m_dashboardBox; }

private:
    void buildTripReadout(ColorPanel *card);
    void buildSettings(const SettingsPanel::Section &section);
    void retitle();
    void chooseFolder();
    void buildDashboardSetting(class QGridLayout *grid, int row);

    QPointer<QWidget> m_window;
    Snapshot *m_snapshot = nullptr;
    HarshEventNavigator *m_events = nullptr;
    TripController *m_trip = nullptr;
    TrackExporter *m_exporter = nullptr;
    QAction *m_exportAction = nullptr;
    ColorPanel *m_tripCard = nullptr;
    QLabel *m_tripLabel = nullptr;
    QLabel *m_settingsCaption = nullptr;
    QLabel *m_stampLabel = nullptr, *m_folderLabel = nullptr, *m_sensitivityLabel = nullptr;
    QCheckBox *m_stampBox = nullptr;
    QPushButton *m_folderButton = nullptr;
    QComboBox *m_sensitivityBox = nullptr;
    QLabel *m_dashboardLabel = nullptr;
    QComboBox *m_dashboardBox = nullptr;
    QString m_current;
    QStringList m_listPaths;
    Track m_track; // of the recording on display, for the snapshot's dashboard
    std::optional<GPSItem> m_sample;
    double m_second = 0;
};
