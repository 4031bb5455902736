#include "instruments/map/mbtilessource.h"

#include <QAtomicInt>
#include <QMutex>
#include <QSet>
#include <QCoreApplication>
#include <QPointer>
#include <QSqlError>
#include <QThreadPool>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextDocumentFragment>

#include <mutex>

#include "instruments/map/mbtilesworker.h"
#include "instruments/map/sqlitelimits.h"
#include "instruments/map/sqlitetimelimit.h"

namespace {
QString reason(const char *text) { return QString::fromUtf8(text); }

// What a table or view of that name is: "table", "view", or empty when absent.
QString kindOf(const QSqlDatabase &db, const QString &name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT type FROM sqlite_master WHERE name = ? LIMIT 1"));
    q.addBindValue(name);
    if (!q.exec() || !q.next())
        return {};
    return q.value(0).toString();
}

bool isTableWith(const QSqlDatabase &db, const QString &table, const QStringList &columns)
{
    if (kindOf(db, table) != QLatin1String("table"))
        return false;
    const QSqlRecord record = db.record(table);
    for (const QString &c : columns)
        if (record.indexOf(c) < 0)
            return false;
    return true;
}

// The tables a tile file's data is read from, lower case as SQLite compares names.
const QStringList kReadTables{QStringLiteral("metadata"), QStringLiteral("tiles"), QStringLiteral("map"),
                              QStringLiteral("images")};

// A table is read only as stored. A generated column is an expression the file's author
// wrote, evaluated inside one step of a row where no time limit reaches (like a view),
// a hidden column belongs to a virtual table, and a default that calls a function is
// evaluated when a short row is read; a virtual table runs a module's code over the
// author's data, and triggers have no place in a file opened read-only.
} // namespace

bool MbtilesTileSource::readsOnlyStoredData(const QSqlDatabase &db, QString *error)
{
    for (const QString &table : kReadTables) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT type, sql FROM sqlite_master WHERE lower(name) = ?"));
        q.addBindValue(table);
        if (!q.exec()) {
            *error = reason("the file could not be read");
            return false;
        }
        if (!q.next() || q.value(0).toString() != QLatin1String("table"))
            continue; // absent, or a view: views are never read
        if (q.value(1).toString().simplified().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive)) {
            *error = reason("the file's tables are virtual");
            return false;
        }
        QSqlQuery columns(db);
        if (!columns.exec(QStringLiteral("SELECT hidden, dflt_value FROM pragma_table_xinfo('%1')").arg(table))) {
            *error = reason("the file could not be read");
            return false;
        }
        while (columns.next()) {
            if (columns.value(0).toInt() != 0) {
                *error = reason("the file's tables have generated or hidden columns");
                return false;
            }
            if (columns.value(1).toString().contains(QLatin1Char('('))) {
                *error = reason("the file's tables have computed defaults");
                return false;
            }
        }
    }
    QSqlQuery triggers(db);
    triggers.prepare(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'"));
    if (!triggers.exec() || !triggers.next() || triggers.value(0).toInt() != 0) {
        *error = reason("the file has triggers");
        return false;
    }
    return true;
}

namespace {
// Only tables are read: a view is a query the file's author wrote, and can be made to
// run for ever or to yield endless rows. Files that deduplicate their images keep a
// "tiles" view over the tables "map" and "images"; those tables are read directly.
QString tileQueryFor(const QSqlDatabase &db, QString *error)
{
    const QStringList tileColumns{QStringLiteral("zoom_level"), QStringLiteral("tile_column"),
                                  QStringLiteral("tile_row"), QStringLiteral("tile_data")};
    const QString cap = QString::number(TileWorker::kMaxTileBytes);
    if (isTableWith(db, QStringLiteral("tiles"), tileColumns))
        return QStringLiteral("SELECT tile_data FROM tiles WHERE zoom_level = ? AND tile_column = ? AND tile_row = ?"
                              " AND length(tile_data) <= ") + cap;
    if (kindOf(db, QStringLiteral("tiles")) == QLatin1String("view")
        && isTableWith(db, QStringLiteral("map"),
                       {QStringLiteral("zoom_level"), QStringLiteral("tile_column"), QStringLiteral("tile_row"),
                        QStringLiteral("tile_id")})
        && isTableWith(db, QStringLiteral("images"), {QStringLiteral("tile_id"), QStringLiteral("tile_data")}))
        return QStringLiteral("SELECT images.tile_data FROM map JOIN images ON images.tile_id = map.tile_id"
                              " WHERE map.zoom_level = ? AND map.tile_column = ? AND map.tile_row = ?"
                              " AND length(images.tile_data) <= ") + cap;
    *error = reason("not an MBTiles file (no tiles table)");
    return {};
}

bool inspectOpen(const QSqlDatabase &db, MbtilesTileSource::Info *info, QString *error)
{
    if (!MbtilesTileSource::readsOnlyStoredData(db, error))
        return false;
    info->tileQuery = tileQueryFor(db, error);
    if (info->tileQuery.isEmpty())
        return false;

    // A few dozen short entries are all a metadata table holds; more is not read.
    QHash<QString, QString> meta;
    if (kindOf(db, QStringLiteral("metadata")) == QLatin1String("table")) {
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("SELECT substr(name, 1, 64), substr(value, 1, 4096) FROM metadata LIMIT 256")))
            while (q.next())
                meta.insert(q.value(0).toString().toLower(), q.value(1).toString());
    }
    const QString format = meta.value(QStringLiteral("format"), QStringLiteral("png")).toLower();
    if (format == QLatin1String("pbf") || format == QLatin1String("mvt")) {
        *error = reason("vector tiles are not supported");
        return false;
    }
    // PNG and JPEG are told apart by their bytes (files mislabel them); WebP is read only
    // from a file that says so, and only where Qt can read it.
    if (format == QLatin1String("png") || format == QLatin1String("jpg") || format == QLatin1String("jpeg")) {
        info->tileFormats = TileWorker::kWebFormats;
    } else if (format == QLatin1String("webp") && QImageReader::supportedImageFormats().contains("webp")) {
        info->tileFormats = TileWorker::kWebFormats | TileWorker::WebP;
    } else {
        *error = reason("unsupported tile format: ") + format.left(20);
        return false;
    }

    bool okMin = false, okMax = false;
    int minZoom = meta.value(QStringLiteral("minzoom")).toInt(&okMin);
    int maxZoom = meta.value(QStringLiteral("maxzoom")).toInt(&okMax);
    if (!okMin || !okMax) {
        const QString table = info->tileQuery.contains(QLatin1String("FROM map")) ? QStringLiteral("map")
                                                                                   : QStringLiteral("tiles");
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT MIN(zoom_level), MAX(zoom_level) FROM ") + table) || !q.next()
            || q.value(0).isNull()) {
            *error = q.lastError().type() == QSqlError::NoError ? reason("the file holds no tiles")
                                                                : reason("the file could not be read in time");
            return false;
        }
        minZoom = q.value(0).toInt();
        maxZoom = q.value(1).toInt();
    }
    if (minZoom < 0 || maxZoom > 22 || minZoom > maxZoom) {
        *error = reason("absurd zoom range");
        return false;
    }
    info->format = format;
    info->minZoom = minZoom;
    info->maxZoom = maxZoom;
    info->name = meta.value(QStringLiteral("name")).left(200);
    // Attribution is often HTML (links); the map shows it as plain text.
    info->attribution = QTextDocumentFragment::fromHtml(meta.value(QStringLiteral("attribution")))
                            .toPlainText()
                            .simplified()
                            .left(300);
    return true;
}
} // namespace

namespace {
QMutex &checksMutex()
{
    static QMutex mutex;
    return mutex;
}

QSet<std::atomic<bool> *> &runningChecks()
{
    static QSet<std::atomic<bool> *> checks;
    return checks;
}

void registerCheck(std::atomic<bool> *flag, bool running)
{
    const QMutexLocker lock(&checksMutex());
    if (running)
        runningChecks().insert(flag);
    else
        runningChecks().remove(flag);
}
} // namespace

bool MbtilesTileSource::inspect(const QString &path, Info *info, QString *error, int timeoutMs)
{
    QString dummy;
    if (!error)
        error = &dummy;
    Info local;
    if (!info)
        info = &local;
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        *error = reason("cannot read the file");
        return false;
    }
    static QAtomicInt counter;
    const QString connection = QStringLiteral("trava-mbtiles-check-%1").arg(counter.fetchAndAddRelaxed(1));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open() || !SqliteLimits::apply(db)) {
            *error = reason("not an SQLite database");
        } else {
            // Every statement of the check stops when the time is up, or when the player
            // quits: a crafted file cannot keep the map (or the start or end of the
            // player) waiting.
            std::atomic<bool> cancelled{false};
            registerCheck(&cancelled, true);
            {
                SqliteTimeLimit limit(db, QDeadlineTimer(timeoutMs), &cancelled);
                ok = inspectOpen(db, info, error);
                if (!ok && limit.expired())
                    *error = reason("the file could not be read in time");
            }
            registerCheck(&cancelled, false);
        }
        if (info->name.isEmpty())
            info->name = file.completeBaseName();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

void MbtilesTileSource::cancelRunningChecks()
{
    const QMutexLocker lock(&checksMutex());
    for (std::atomic<bool> *flag : runningChecks())
        flag->store(true);
}

void MbtilesTileSource::inspectInBackground(const QString &path, QObject *context,
                                            std::function<void(bool, const Info &, const QString &)> done)
{
    // Checks run on the global pool, which the application waits for as it ends.
    static std::once_flag hooked;
    std::call_once(hooked, [] {
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &cancelRunningChecks);
    });
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start([path, guard, done = std::move(done)] {
        Info info;
        QString error;
        const bool ok = inspect(path, &info, &error);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [guard, done, ok, info, error] {
            if (guard)
                done(ok, info, error);
        }, Qt::QueuedConnection);
    });
}

std::unique_ptr<MbtilesTileSource> MbtilesTileSource::fromInspected(const QString &path, const Info &info,
                                                                    QObject *parent)
{
    return std::unique_ptr<MbtilesTileSource>(new MbtilesTileSource(path, info, parent));
}

std::unique_ptr<MbtilesTileSource> MbtilesTileSource::open(const QString &path, QString *error, QObject *parent)
{
    Info info;
    if (!inspect(path, &info, error))
        return nullptr;
    return std::unique_ptr<MbtilesTileSource>(new MbtilesTileSource(path, info, parent));
}

MbtilesTileSource::MbtilesTileSource(const QString &path, const Info &info, QObject *parent)
    : TileSource(new MbtilesWorker(path, info.tileQuery, info.tileFormats), parent), m_path(path), m_info(info)
{
    setAttribution(info.attribution);
    setZoomRange(info.minZoom, info.maxZoom);
}
