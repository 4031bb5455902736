#pragma once
// The window of a camera read over its Wi-Fi: its recordings as their own source, under a
// header row naming the camera's address. Each recording's telemetry is read first, with
// ranged requests of only the regions that hold it, so its route, top speed, distance and
// harsh events show before any video moves; transport streams, whose telemetry needs the
// whole file, are said to be so and read last. Rows play straight from the camera (or from
// disk once downloaded) and download into a chosen folder with a bar per file and overall.
// Whatever the camera names is shown as plain text.
#include <QDialog>
#include <QHash>
#include <QUrl>

#include <functional>

#include "core/mfilemodel.h"
#include "track/cameralisting.h"

class CameraConnection;
class CameraDownloader;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CameraPanel : public QDialog {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, TelemetryColumn, DownloadColumn };

    explicit CameraPanel(QWidget *parent = nullptr);
    ~CameraPanel() override;

    // Lists the camera at address (see CameraConnection::normalizedAddress) and reads the
    // telemetry of its recordings.
    void connectTo(const QUrl &address);
    QUrl address() const { return m_address; }

    // The kind word of a listed file ("event", "locked", ...), from the card's naming rules;
    // without one every kind is empty and only explicit selections download.
    void setKindRule(std::function<QString(const CameraEntry &)> rule) { m_kindOf = std::move(rule); }

    // Downloads the selected rows, or every row of a kind, into folder (asked for when empty).
    void downloadSelected(const QString &folder = {});
    int downloadKind(const QString &kind, const QString &folder = {});
    void cancelDownloads();

    QTreeWidget *tree() const { return m_tree; }
    QTreeWidgetItem *headerRow() const { return m_header; }
    QString statusText() const;
    CameraConnection *connection() const { return m_connection; }
    CameraDownloader *downloader() const { return m_downloader; }
    // The recording a row stands for: the camera's URL, or its local path once downloaded.
    MFileModel recordAt(QTreeWidgetItem *row) const;

signals:
    // A row was chosen to play (its record's fLocalPath is a URL or a downloaded file).
    void playRequested(const MFileModel &record);

private:
    void showListing(const CameraListing &listing);
    void showFailure(const QString &message);
    void readNextTelemetry();
    void download(const QList<QTreeWidgetItem *> &rows, QString folder);
    QString chooseFolder();
    void setStatus(const QString &text);

    CameraConnection *m_connection = nullptr;
    CameraDownloader *m_downloader = nullptr;
    QUrl m_address;
    QLabel *m_status = nullptr;
    QTreeWidget *m_tree = nullptr;
    QTreeWidgetItem *m_header = nullptr;
    QProgressBar *m_overall = nullptr;
    QPushButton *m_cancel = nullptr;
    QList<QTreeWidgetItem *> m_telemetryQueue;
    quint64 m_reading = 0; // the service's handle of the telemetry read under way
    quint64 m_generation = 0; // one per connectTo: answers of an earlier listing are dropped
    QList<QTreeWidgetItem *> m_downloading;
    std::function<QString(const CameraEntry &)> m_kindOf;
};
