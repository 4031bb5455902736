#pragma once
// Snapshots: the picture on screen at the video's own resolution, with an optional stamp
// in the lower left corner (date and time of the sample, speed in the chosen unit,
// position), saved as PNG (S, the camera button) or copied to the clipboard (Ctrl+C).
// A short notice over the video says where it went.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "instruments/dashboardstate.h"
#include "track/gpsitem.h"

// Where snapshots carry the dashboard: "off" (default), "under" or "over" the picture.
inline constexpr char kSnapshotWithDashboard[] = "kSnapshotWithDashboard";

class MediaPlayView;
class SafeFolder;
class QAction;
class QLabel;
class QTimer;
class QWidget;

class Snapshot : public QObject {
    Q_OBJECT
public:
    // What the stamp shows; empty texts are left out.
    struct Stamp {
        QString time;     // "2026/05/14 09:00:08"
        QString speed;    // "42 km/h"
        QString position; // "48.161472, 11.586209"
    };

    // The window gets the actions S and Ctrl+C (a camera button may trigger saveAction()).
    // sample() answers the sample on display (none without telemetry); recording() the
    // current recording's path.
    Snapshot(QWidget *window, MediaPlayView *player, std::function<std::optional<GPSItem>()> sample,
             std::function<QString()> recording, QObject *parent = nullptr);

    // Saves into the remembered folder; the path written, or empty (notice says why). With
    // other channels playing, each gets a picture of its own, the channel in its name.
    QString save();
    // Every file the last save wrote, the main channel's first.
    QStringList lastSaved() const { return m_lastSaved; }
    // Copies to the clipboard; false when there is no picture.
    bool copy();

    // The picture that save() and copy() use: the current frame, stamped if switched on.
    QImage picture() const;
    QAction *saveAction() const { return m_saveAction; }
    QAction *copyAction() const { return m_copyAction; }
    QString lastNotice() const { return m_lastNotice; }
    // The small notice over the video (also used by the track export).
    void showNotice(const QString &text);
    void retitle();

    // The "with dashboard" choice: the instruments of the second on display drawn in a
    // band under the picture or over its lower part.
    enum class DashboardBand { Off, Under, Over };
    static DashboardBand dashboardBand();
    static void setDashboardBand(DashboardBand band);
    // What the window's instruments show now; without it, snapshots carry no dashboard.
    void setDashboardState(std::function<DashboardState()> state) { m_dashboard = std::move(state); }
    static QImage withDashboard(const QImage &picture, const DashboardState &state, DashboardBand band);

    static Stamp stampFor(const GPSItem &sample, const QString &unit);
    static QImage stamped(const QImage &frame, const Stamp &stamp);
    // "incident_2026-05-14_09-00-08.png" from the sample's time, or "incident_00-00-12.png"
    // from the playback time without one; unique within folder ("-2", "-3", ... appended;
    // a dangling link takes a name too); empty when 9999 names are taken.
    static QString fileName(const QString &folder, const QString &recording, const QString &sampleTime, double seconds);

private:
    double currentSeconds() const;
    QString writePng(const SafeFolder &dir, const QString &folder, const QImage &image, const QString &recording,
                     const std::optional<GPSItem> &sample);

    QPointer<MediaPlayView> m_player;
    std::function<std::optional<GPSItem>()> m_sample;
    std::function<QString()> m_recording;
    std::function<DashboardState()> m_dashboard;
    QAction *m_saveAction = nullptr;
    QAction *m_copyAction = nullptr;
    QLabel *m_notice = nullptr;
    QTimer *m_noticeTimer = nullptr;
    QString m_lastNotice;
    QStringList m_lastSaved;
};
