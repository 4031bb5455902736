#include "instruments/map/sqlitetimelimit.h"

#include <sqlite3.h>

#include "instruments/map/sqlitelimits.h"

namespace {
// SQLite calls the handler every this many virtual machine steps: often enough to stop
// within milliseconds (no step builds more than SqliteLimits::kMaxValueBytes), rarely
// enough to cost nothing measurable.
constexpr int kStepsBetweenChecks = 100;
} // namespace

SqliteTimeLimit::SqliteTimeLimit(const QSqlDatabase &db, QDeadlineTimer deadline, const std::atomic<bool> *stop)
    : m_deadline(deadline), m_stop(stop)
{
    m_handle = SqliteLimits::handle(db);
    if (m_handle)
        sqlite3_progress_handler(m_handle, kStepsBetweenChecks, &SqliteTimeLimit::progress, this);
}

SqliteTimeLimit::~SqliteTimeLimit()
{
    if (m_handle)
        sqlite3_progress_handler(m_handle, 0, nullptr, nullptr);
}

int SqliteTimeLimit::progress(void *self)
{
    auto *limit = static_cast<SqliteTimeLimit *>(self);
    if (limit->m_deadline.hasExpired() || (limit->m_stop && limit->m_stop->load(std::memory_order_relaxed))) {
        limit->m_expired = true;
        return 1;
    }
    return 0;
}
