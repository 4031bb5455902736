#include "service/gpsworker.h"

#include <QDeadlineTimer>
#include <QNetworkAccessManager>

GpsWorker::GpsWorker(QObject *parent) : QThread(parent) { setObjectName("com.gpsinfo"); }

GpsWorker::~GpsWorker() { shutDown(); }

void GpsWorker::submit(std::function<void()> job, bool urgent)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_quit)
            return;
        (urgent ? m_urgent : m_jobs).push_back(std::move(job));
    }
    m_wake.notify_one();
}

bool GpsWorker::shutDown(int waitMs)
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_urgent.clear();
        m_jobs.clear();
    }
    m_wake.notify_one();
    if (isRunning() && QThread::currentThread() != this)
        return waitMs < 0 ? wait() : wait(QDeadlineTimer(waitMs));
    return !isRunning();
}

void GpsWorker::run()
{
    QNetworkAccessManager network;
    m_network = &network;
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_urgent.empty() || !m_jobs.empty(); });
            if (m_quit) {
                m_network = nullptr;
                return;
            }
            auto &queue = m_urgent.empty() ? m_jobs : m_urgent;
            job = std::move(queue.front());
            queue.pop_front();
        }
        job();
    }
}
