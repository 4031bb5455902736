#include "service/extractionrequests.h"

quint64 ExtractionRequests::issue()
{
    std::lock_guard lock(m_mutex);
    return ++m_last;
}

bool ExtractionRequests::cancelledLocked(quint64 handle) const
{
    return handle <= m_cutOff || m_cancelled.count(handle) != 0;
}

void ExtractionRequests::cancel(quint64 handle, const std::function<void()> &interrupt)
{
    std::lock_guard lock(m_mutex);
    if (handle == 0 || handle > m_last || cancelledLocked(handle))
        return;
    m_cancelled.insert(handle);
    if (handle == m_running) {
        m_runningCancelled = true;
        if (interrupt)
            interrupt();
    }
}

void ExtractionRequests::cancelIssued(const std::function<void()> &interrupt)
{
    std::lock_guard lock(m_mutex);
    m_cutOff = m_last;
    // Those below the cut are covered by it.
    std::erase_if(m_cancelled, [this](quint64 h) { return h <= m_cutOff; });
    if (m_running != 0) {
        m_runningCancelled = true;
        if (interrupt)
            interrupt();
    }
}

bool ExtractionRequests::isCancelled(quint64 handle) const
{
    std::lock_guard lock(m_mutex);
    return cancelledLocked(handle);
}

bool ExtractionRequests::begin(quint64 handle)
{
    std::lock_guard lock(m_mutex);
    m_running = handle;
    const bool cancelled = cancelledLocked(handle);
    m_runningCancelled = cancelled;
    return !cancelled;
}

bool ExtractionRequests::end(quint64 handle)
{
    std::lock_guard lock(m_mutex);
    if (m_running == handle) {
        m_running = 0;
        m_runningCancelled = false;
    }
    return cancelledLocked(handle);
}

void ExtractionRequests::forget(quint64 handle)
{
    std::lock_guard lock(m_mutex);
    m_cancelled.erase(handle);
}
