#include "instruments/map/mbtilessource.h"

#include <QAtomicInt>
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

#include "instruments/map/mbtilesworker.h"
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
    const QByteArray imageFormat = format == QLatin1String("jpg") ? QByteArray("jpeg") : format.toLatin1();
    if (!QImageReader::supportedImageFormats().contains(imageFormat)) {
        *error = reason("unsupported tile format: ") + format;
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
        if (!db.open()) {
            *error = reason("not an SQLite database");
        } else {
            // Every statement of the check stops when the time is up: a crafted file
            // cannot keep the map (or the start of the player) waiting.
            SqliteTimeLimit limit(db, QDeadlineTimer(timeoutMs));
            ok = inspectOpen(db, info, error);
            if (!ok && limit.expired())
                *error = reason("the file could not be read in time");
        }
        if (info->name.isEmpty())
            info->name = file.completeBaseName();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

void MbtilesTileSource::inspectInBackground(const QString &path, QObject *context,
                                            std::function<void(bool, const Info &, const QString &)> done)
{
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
    : TileSource(new MbtilesWorker(path, info.tileQuery), parent), m_path(path), m_info(info)
{
    setAttribution(info.attribution);
    setZoomRange(info.minZoom, info.maxZoom);
}
