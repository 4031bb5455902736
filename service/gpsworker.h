#pragma once
// The one thread on which every telemetry extraction runs, one job after the other.
// The extraction library keeps its state in process-wide variables, so two decodes must
// never overlap; running them in submission order also makes the completion of the last
// request arrive last. Jobs are kept in our own queue rather than as events, so that a
// job waiting on the network in a local event loop never starts the next job early.
#include <QThread>

class QNetworkAccessManager;

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class GpsWorker : public QThread {
    Q_OBJECT
public:
    explicit GpsWorker(QObject *parent = nullptr);
    ~GpsWorker() override;

    // Jobs run in submission order, except that an urgent job (the player's own) goes
    // before every job that is not urgent and still waits.
    void submit(std::function<void()> job, bool urgent = false);
    // Drops the queued jobs and ends the thread once the running job is done, waiting
    // for that at most waitMs (-1: as long as it takes). True when the thread has ended.
    bool shutDown(int waitMs = -1);
    // The worker's own HTTP client; only for use by jobs, on this thread.
    QNetworkAccessManager *network() const { return m_network; }

protected:
    void run() override;

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_urgent;
    std::deque<std::function<void()>> m_jobs;
    bool m_quit = false;
    QNetworkAccessManager *m_network = nullptr;
};
