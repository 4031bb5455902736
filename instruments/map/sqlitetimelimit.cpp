#include "instruments/map/sqlitetimelimit.h"

#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

namespace {
// SQLite calls the handler every this many virtual machine steps: often enough to stop
// within milliseconds, rarely enough to cost nothing measurable.
constexpr int kStepsBetweenChecks = 1000;
} // namespace

SqliteTimeLimit::SqliteTimeLimit(const QSqlDatabase &db, QDeadlineTimer deadline, const std::atomic<bool> *stop)
    : m_deadline(deadline), m_stop(stop)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_handle = *static_cast<sqlite3 *const *>(handle.constData());
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
