#pragma once
// Downloads recordings from a camera into a folder, keeping the camera's folder layout.
// At most two files at a time (a camera's access point has little to spare); each is
// written as "name.part" and renamed once its size is the one the camera listed, so a
// half file never passes for a recording. After a drop it resumes where the part ends
// (Range), a few times; a file already there whole is skipped. Folders are opened one
// name at a time without following links others could have planted (SafeFolder), and the
// part file is opened without following a link either.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVector>

#include <memory>

class QNetworkAccessManager;
#include <QNetworkReply>
class SafeFolder;

struct CameraDownload {
    QUrl url;
    QString relative;   // path on the card ("DCIM/Movie/x.MP4"), checked by the listing
    qint64 size = 0;    // as listed; 0 when the listing said nothing
};

class CameraDownloader : public QObject {
    Q_OBJECT
public:
    static constexpr int kParallel = 2;

    explicit CameraDownloader(QObject *parent = nullptr);
    ~CameraDownloader() override;

    // Starts the downloads into folder (created if missing); false with why when it cannot
    // be opened or a download is under way.
    bool start(const QString &folder, const QList<CameraDownload> &files, QString *why = nullptr);
    // Stops every transfer; parts stay for a later resume.
    void cancel();
    bool isRunning() const { return m_running; }
    // The local path of a file of the run (folder + relative).
    QString localPath(int index) const;

    int silenceMs = 10000;
    int retries = 3;
    int retryDelayMs = 500;

signals:
    void fileProgress(int index, qint64 done, qint64 total);
    // error empty: the file is whole at localPath (downloaded now or found complete).
    void fileFinished(int index, const QString &localPath, const QString &error);
    void overallProgress(qint64 done, qint64 total);
    void finished(int succeeded, int failed, bool cancelled);

private:
    struct Job {
        CameraDownload file;
        std::shared_ptr<SafeFolder> dir;
        QString name;
        int fd = -1;
        qint64 done = 0;
        qint64 total = 0;
        int attempts = 0;
        bool active = false;
        bool finished = false;
        QPointer<QNetworkReply> reply;
    };
    void pump();
    void begin(int index);
    void request(int index);
    void settle(int index, const QString &error);
    void reportOverall();

    QNetworkAccessManager *m_manager = nullptr;
    std::shared_ptr<SafeFolder> m_root;
    QString m_folder;
    QVector<Job> m_jobs;
    bool m_running = false;
    bool m_cancelled = false;
    int m_ok = 0;
    int m_failed = 0;
};
