// Test support: holds the extraction service's worker inside the decode of one recording.
// At that decode's first progress report at or past fromByte (before its end) the worker
// waits (at most 10 s) until release(),
// so that a test can act - select another recording, cancel - while the decode is under
// way, whatever the machine's speed.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <atomic>

#include "service/kalgpstool.h"

class StalledDecode {
public:
    explicit StalledDecode(QString path, qint64 fromByte = 0) : m_path(std::move(path))
    {
        KalGpsTool *tool = KalGpsTool::shareTool();
        m_connection = QObject::connect(tool, &KalGpsTool::decodeProgress, tool,
                                        [this, fromByte](const QString &p, qint64 done, qint64 total) {
            if (p != m_path || done >= total)
                return;
            if (done < fromByte) {
                // The service passes on at most one report per 100 ms: a pause at the
                // first lets the next one through, however fast the scan.
                if (!m_paced.exchange(true))
                    QThread::msleep(150);
                return;
            }
            if (m_reached.exchange(true))
                return;
            const QDeadlineTimer deadline(10000);
            while (!m_released && !deadline.hasExpired())
                QThread::msleep(2);
        }, Qt::DirectConnection);
    }
    ~StalledDecode()
    {
        release();
        QObject::disconnect(m_connection);
    }
    StalledDecode(const StalledDecode &) = delete;
    StalledDecode &operator=(const StalledDecode &) = delete;

    // Waits, with the GUI thread's events running, until the decode holds.
    bool waitUntilHeld(int ms = 20000)
    {
        const QDeadlineTimer deadline(ms);
        while (!m_reached && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return m_reached;
    }
    void release() { m_released = true; }

private:
    QString m_path;
    QMetaObject::Connection m_connection;
    std::atomic<bool> m_paced{false};
    std::atomic<bool> m_reached{false};
    std::atomic<bool> m_released{false};
};
