#pragma once
// Bounds the time SQLite statements of one connection may run. While an object of this
// class lives, every statement on the connection is interrupted (it fails with
// SQLITE_INTERRUPT) once the deadline has passed or the stop flag is raised. Used for
// offline map files, which come from anywhere and can hold queries that never end.
#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <atomic>

struct sqlite3;

class SqliteTimeLimit {
public:
    // stop may be null; otherwise it must outlive this object.
    SqliteTimeLimit(const QSqlDatabase &db, QDeadlineTimer deadline, const std::atomic<bool> *stop = nullptr);
    ~SqliteTimeLimit();
    SqliteTimeLimit(const SqliteTimeLimit &) = delete;
    SqliteTimeLimit &operator=(const SqliteTimeLimit &) = delete;

    // A new deadline for the statements that follow.
    void setDeadline(QDeadlineTimer deadline) { m_deadline = deadline; }
    // True once a statement was interrupted.
    bool expired() const { return m_expired; }
    // False when the connection is not SQLite (the limit then does nothing).
    bool isActive() const { return m_handle != nullptr; }

private:
    static int progress(void *self);

    sqlite3 *m_handle = nullptr;
    QDeadlineTimer m_deadline;
    const std::atomic<bool> *m_stop;
    bool m_expired = false;
};
