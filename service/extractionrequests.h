#pragma once
// Who asked for which extraction, and which of them were called off. Each request gets
// its own handle; calling one off touches no other. The worker marks the request it runs,
// so that calling that one off can cut the library short without hitting the next one.
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <mutex>
#include <unordered_set>

class ExtractionRequests {
public:
    // A new handle, never 0.
    quint64 issue();
    // Calls one request off. When it is the one running, interrupt runs (under the book's
    // lock, so that the request after it cannot be hit).
    void cancel(quint64 handle, const std::function<void()> &interrupt);
    // Calls off every request issued so far (later ones are not touched).
    void cancelIssued(const std::function<void()> &interrupt);
    bool isCancelled(quint64 handle) const;

    // The worker starts handle; false when it was called off already.
    bool begin(quint64 handle);
    // The worker is done with the running request; true when it was called off meanwhile.
    bool end(quint64 handle);
    // Called off while it runs (read by the library's callbacks on the worker).
    bool runningCancelled() const { return m_runningCancelled.load(); }
    // Its answer went out: nothing more is kept for it.
    void forget(quint64 handle);

private:
    bool cancelledLocked(quint64 handle) const;

    mutable std::mutex m_mutex;
    quint64 m_last = 0;
    quint64 m_cutOff = 0; // every handle up to this one is called off
    std::unordered_set<quint64> m_cancelled;
    quint64 m_running = 0;
    std::atomic<bool> m_runningCancelled{false};
};
