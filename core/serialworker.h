#pragma once
// Work too long for one turn of the window's event loop (a whole day's route, a trip's sums,
// a card's headers) done on a thread of its own, one job after the other, the answer handed
// back to the GUI thread by a queued call. Whoever asks keeps a generation number: an answer
// to a question asked before the latest one is dropped there, never applied.
//
// The owner declares its SerialWorker last among its members: the worker goes first and waits
// for the job under way, so no answer is ever posted to an object half torn down (and Qt drops
// answers still queued for it).
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <memory>
#include <type_traits>
#include <utility>

class SerialWorker {
public:
    SerialWorker() { m_pool.setMaxThreadCount(1); }
    ~SerialWorker() { m_pool.waitForDone(); }
    SerialWorker(const SerialWorker &) = delete;
    SerialWorker &operator=(const SerialWorker &) = delete;

    // work() runs on the worker; done(result) on receiver's thread, unless receiver is gone.
    template <typename Work, typename Done>
    void run(QObject *receiver, Work work, Done done)
    {
        QPointer<QObject> guard(receiver);
        m_pool.start([guard, work = std::move(work), done = std::move(done)]() mutable {
            using Result = std::invoke_result_t<Work &>;
            auto result = std::make_shared<Result>(work());
            QObject *target = guard.data();
            if (!target)
                return;
            QMetaObject::invokeMethod(
                target,
                [guard, result, done = std::move(done)]() mutable {
                    if (guard)
                        done(std::move(*result));
                },
                Qt::QueuedConnection);
        });
    }

    // Blocks until every job handed over so far has finished (its answer may still be queued).
    void waitForDone() { m_pool.waitForDone(); }

private:
    QThreadPool m_pool;
};
