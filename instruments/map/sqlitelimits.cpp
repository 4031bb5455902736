#include "instruments/map/sqlitelimits.h"

#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

sqlite3 *SqliteLimits::handle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(handle.constData());
    return nullptr;
}

bool SqliteLimits::apply(const QSqlDatabase &db)
{
    sqlite3 *h = handle(db);
    if (!h)
        return false;
    sqlite3_limit(h, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
    sqlite3_limit(h, SQLITE_LIMIT_EXPR_DEPTH, kMaxExpressionDepth);
    sqlite3_limit(h, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, kMaxLikePatternBytes);
    sqlite3_limit(h, SQLITE_LIMIT_FUNCTION_ARG, kMaxFunctionArguments);
    // Setting the limit is cheap and idempotent; asking first keeps a stricter one.
    const sqlite3_int64 current = sqlite3_hard_heap_limit64(-1);
    if (current == 0 || current > kProcessHeapLimit)
        sqlite3_hard_heap_limit64(kProcessHeapLimit);
    return true;
}
