#pragma once
// A dash camera read over its Wi-Fi as a source of the media list: its recordings go into the
// list below the others, under a header row that names the camera, grouped into moments and
// typed by the same card rules as a card on disk. Each moment's telemetry is read first, with
// ranged requests of only the regions that hold it, so its route, top speed, distance and
// harsh events show before any video moves; transport streams, whose telemetry needs the
// whole file, are said to be so and read last. Rows play by streaming from the camera and,
// once downloaded, from disk; they download (ticked rows, all events, all locked) into a
// chosen folder, with a bar per row and one overall in the strip under the list.
#include <QHash>
#include <QSet>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>

#include "app/cameradownloader.h"
#include "core/mfilemodel.h"
#include "track/cameralisting.h"

class CameraBar;
class CameraConnection;
class MediaListView;
class QMenu;

class CameraSource : public QObject {
    Q_OBJECT
public:
    // What is known of a row's telemetry.
    enum class Telemetry { Waiting, Reading, Read, None, Unreadable };

    explicit CameraSource(MediaListView *list, QObject *parent = nullptr);
    ~CameraSource() override;

    // Lists the camera at address (see CameraConnection::normalizedAddress) into the list,
    // replacing what an earlier camera put there, and reads its recordings' telemetry.
    void connectTo(const QUrl &address);
    // The camera's rows leave the list; reads and downloads stop.
    void disconnectCamera();
    QUrl address() const { return m_address; }

    // Downloads into folder (asked for when empty): the rows ticked in the list, the given
    // rows, or every moment of a kind ("event", "locked"); each moment with all its channels.
    void downloadChecked(const QString &folder = {});
    void downloadRows(const QList<int> &rows, QString folder = {});
    int downloadKind(const QString &kind, const QString &folder = {});
    void cancelDownloads();

    // The row's state by the path it has in the list now.
    Telemetry telemetryOf(const QString &path) const { return m_telemetry.value(path, Telemetry::Waiting); }
    bool needsFullRead(const QString &path) const;
    QString statusText() const;
    CameraBar *bar() const;
    CameraConnection *connection() const { return m_connection; }
    CameraDownloader *downloader() const { return m_downloader; }
    MediaListView *list() const;
    // The rows in the list that are this camera's recordings (the header left out).
    QList<int> rows() const;
    // Replaces the folder dialog (tests).
    void setFolderChooser(std::function<QString()> choose) { m_chooseFolder = std::move(choose); }

private:
    void showListing(const CameraListing &listing);
    void showFailure(const QString &message);
    void readNextTelemetry();
    void extendMenu(QMenu *menu, int row);
    void setStatus(const QString &text);
    void fileDone(int index, const QString &localPath, const QString &error);
    void showRowProgress();
    QString keyOf(const QString &url) const; // the moment's main URL a file belongs to
    void stopAll();

    QPointer<MediaListView> m_list; // may go first when the window closes
    CameraConnection *m_connection = nullptr;
    CameraDownloader *m_downloader = nullptr;
    QPointer<CameraBar> m_bar;
    QUrl m_address;
    QString m_source; // the address as the rows carry it
    QHash<QString, CameraDownload> m_files; // by URL, what the listing said of each file
    QHash<QString, QString> m_currentPath; // moment's main URL -> its path in the list now
    QHash<QString, Telemetry> m_telemetry;   // by main URL
    QSet<QString> m_streams;                 // main URLs of transport streams
    QStringList m_telemetryQueue;            // main URLs
    quint64 m_reading = 0;
    quint64 m_generation = 0;
    QList<QString> m_downloadUrls;                   // the run's files by index
    QHash<QString, QPair<qint64, qint64>> m_done;    // by URL: done, total
    std::function<QString()> m_chooseFolder;
};
