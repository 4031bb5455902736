#pragma once
// File -> Export Track...: the recording on display, or its whole trip, as GPX, KML, CSV
// or GeoJSON, in WGS-84 (as recorded) or GCJ-02. The writing is trava-gps's own
// (trava_export): the same lines, the same decoding, the same writers.
#include <QDialog>
#include <QObject>
#include <QList>
#include <QStringList>
#include <functional>

class QComboBox;

// The choices of the dialog.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // tripSize: recordings in the trip (1 or less: no trip to offer).
    ExportDialog(int tripSize, QWidget *parent = nullptr);
    bool wholeTrip() const;
    QString format() const; // "gpx", "kml", "csv", "geojson"
    QString datum() const;  // "wgs84", "gcj02"
    QComboBox *scopeBox() const { return m_scope; }
    QComboBox *formatBox() const { return m_format; }
    QComboBox *datumBox() const { return m_datum; }

private:
    QComboBox *m_scope = nullptr;
    QComboBox *m_format = nullptr;
    QComboBox *m_datum = nullptr;
};

class TrackExporter : public QObject {
    Q_OBJECT
public:
    explicit TrackExporter(std::function<void(const QString &notice)> notify, QObject *parent = nullptr);
    ~TrackExporter() override;

    // What a recording's export is made of, given its own extracted lines: a track loaded
    // from elsewhere stands in where it is the one in use (app/trackloader.h). Answers with
    // the lines to write, at once or later, on this thread.
    using LinesFor = std::function<void(const QString &path, const QStringList &own,
                                        std::function<void(const QStringList &lines)> then)>;
    void setLinesFor(LinesFor linesFor) { m_linesFor = std::move(linesFor); }

    // Extracts each path's lines (in order, behind the player's own extraction), writes
    // them in the format to target, then calls done with success and tells the user. A
    // reading that fails or is called off fails the export: nothing is written.
    void run(const QStringList &paths, const QString &format, const QString &datum, bool wholeTrip,
             const QString &target, std::function<void(bool ok)> done = {});
    // The whole interaction: dialog, save-file dialog, export.
    void exportInteractively(QWidget *parent, const QString &current, const QStringList &trip);

    static QString suggestedName(const QString &recording, bool wholeTrip, const QString &format);

private:
    std::function<void(const QString &)> m_notify;
    LinesFor m_linesFor;
    QList<quint64> m_requests; // the service's handles of the readings under way
};
