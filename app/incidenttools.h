#pragma once
// The after-the-incident tools of the main view, wired to its parts: snapshots (S,
// Ctrl+C, the camera button), harsh-event marks and N / Shift+N, the trip of the
// recording (map, read-out), File -> Export Track..., and their settings section.
#include <QObject>
#include <QPointer>

class ColorPanel;
class HarshEventNavigator;
class OvraPlayVC;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class Snapshot;
class TrackExporter;
class TripController;
struct MainViewParts;

class IncidentTools : public QObject {
    Q_OBJECT
public:
    IncidentTools(OvraPlayVC *vc, const MainViewParts &parts);

    Snapshot *snapshot() const { return m_snapshot; }
    HarshEventNavigator *events() const { return m_events; }
    TripController *trip() const { return m_trip; }
    TrackExporter *exporter() const { return m_exporter; }
    // Asks to be in the File menu (property "fileMenu"); the menu puts it there.
    QAction *exportAction() const { return m_exportAction; }
    QLabel *tripLabel() const { return m_tripLabel; }
    // The settings section's controls.
    QCheckBox *stampBox() const { return m_stampBox; }
    QPushButton *folderButton() const { return m_folderButton; }
    QComboBox *sensitivityBox() const { return m_sensitivityBox; }
    QComboBox *dashboardBox() const { return m_dashboardBox; }
    QString currentRecording() const { return m_current; }

private:
    void buildSettings();
    void buildTripReadout();
    void showTrip();
    void retitle();
    void chooseFolder();
    void buildDashboardSetting(class QGridLayout *grid, int row);

    QPointer<OvraPlayVC> m_vc;
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
};
