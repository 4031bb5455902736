#pragma once
// The zone every time of the window is shown in. Each card (the folder its recordings lie in)
// has its choice: the camera's own zone as found, a zone of the system's database, or as
// recorded. Whoever shows or writes a sample's time asks here, for the recording on display
// (timeText, dateTimeText) or for any recording with its track (clockFor), so that every
// time on screen and in a file is in the same zone and names it: "14:05:12 CEST".
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "track/cameraclock.h"
#include "track/gpsitem.h"
#include "track/zonedclock.h"

class ZoneClocks : public QObject {
    Q_OBJECT
public:
    static ZoneClocks *shared();

    // The card a recording belongs to: its folder.
    static QString folderOf(const QString &recordingPath);
    // Stored per folder under "clock/zones"; as recorded when nothing is stored.
    ZoneChoice choiceFor(const QString &recordingPath) const;
    ZoneChoice folderChoice(const QString &folder) const;
    void setFolderChoice(const QString &folder, const ZoneChoice &choice);

    // A zone of the system's database through QTimeZone; empty for an unknown id.
    static ZoneLookup lookupFor(const QString &zoneId);
    // The camera's clock start of a recording (its name, else its movie header's creation
    // time; see recordingCameraStart).
    static std::optional<std::int64_t> cameraStart(const QString &path);
    // What the camera's clock and the track's UTC say about each other.
    static std::optional<CameraClock> cameraClock(const QString &path, const Track &track);

    // The clock of a recording under its folder's choice.
    ZonedClock clockFor(const QString &path, const Track &track) const;
    // The same as a function of local 8-bit paths, as the export writers take it.
    std::function<ZonedClock(const std::string &path, const Track &track)> exportClock() const;

    // The recording on display and its track; its texts follow.
    void setCurrent(const QString &path, const Track &track);
    QString currentPath() const { return m_path; }
    // "14:05:12 CEST" ("14:05:12" as recorded) and "2026/05/14 14:05:12 CEST" for a time of
    // the recording on display; empty for a text that is no time.
    QString timeText(const std::string &sampleTime) const;
    QString dateTimeText(const std::string &sampleTime) const;

    // The tooltip lines of a recording: its camera's zone and clock error, and a warning when
    // the camera seems to write local time where UTC belongs. Empty when nothing is known.
    QString clockNote(const QString &path, const Track &track) const;

signals:
    // A folder's choice changed: whatever shows times asks again.
    void choiceChanged(const QString &folder);

private:
    QString m_path;
    Track m_track;
    ZonedClock m_clock;
};
