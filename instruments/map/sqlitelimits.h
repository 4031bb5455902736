#pragma once
// Caps what SQLite may build while reading a file from outside. The time limit
// (SqliteTimeLimit) is checked between virtual machine steps, never inside one: a single
// expression (replace() of replace() of a printf()) can build gigabytes in one step. So
// the size of any one string or blob, the depth of expressions and the length of LIKE
// patterns are capped on the connection, and SQLite's heap as a whole is capped for the
// process: no step can allocate more than a few MiB. (Some built-in functions can still
// spend seconds of processor time within the caps; the only expressions a file can make
// us evaluate are in its schema, which MbtilesTileSource refuses before reading rows.)
#include <QSqlDatabase>
#include <QtGlobal>

struct sqlite3;

namespace SqliteLimits {

// The largest string or blob a capped connection handles: a tile (2 MiB) and room.
constexpr int kMaxValueBytes = 4 * 1024 * 1024;
constexpr int kMaxExpressionDepth = 64;
constexpr int kMaxLikePatternBytes = 64;
constexpr int kMaxFunctionArguments = 16;
// SQLite's whole heap in this process. The only SQLite connections the player opens are
// those to offline map files (a check, the tile reader, and an old reader ending), each
// needing its page cache (2 MiB by default) and one tile at a time: a tenth of this cap.
// It is process-wide by SQLite's design; a limit set lower by someone else is kept.
constexpr qint64 kProcessHeapLimit = 256LL * 1024 * 1024;

// The connection's SQLite handle, or null when it is not an SQLite connection.
sqlite3 *handle(const QSqlDatabase &db);
// Applies the caps to an open connection; false (nothing applied) when it is not SQLite.
bool apply(const QSqlDatabase &db);

} // namespace SqliteLimits
