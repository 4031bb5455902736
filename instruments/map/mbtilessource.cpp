#include "instruments/map/mbtilessource.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextDocumentFragment>

#include "instruments/map/mbtilesworker.h"

namespace {
QString reason(const char *text) { return QString::fromUtf8(text); }

bool hasColumns(const QSqlDatabase &db, const QString &table, const QStringList &columns)
{
    const QSqlRecord record = db.record(table);
    for (const QString &c : columns)
        if (record.indexOf(c) < 0)
            return false;
    return true;
}

bool inspectOpen(const QSqlDatabase &db, MbtilesTileSource::Info *info, QString *error)
{
    // "tiles" is a view in files that deduplicate their images; tables() lists both.
    const QStringList tables = db.tables(QSql::AllTables);
    if (!tables.contains(QStringLiteral("tiles"))
        || !hasColumns(db, QStringLiteral("tiles"),
                       {QStringLiteral("zoom_level"), QStringLiteral("tile_column"),
                        QStringLiteral("tile_row"), QStringLiteral("tile_data")})) {
        *error = reason("not an MBTiles file (no tiles table)");
        return false;
    }

    QHash<QString, QString> meta;
    if (tables.contains(QStringLiteral("metadata"))) {
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("SELECT name, value FROM metadata")))
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
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT MIN(zoom_level), MAX(zoom_level) FROM tiles")) || !q.next()
            || q.value(0).isNull()) {
            *error = reason("the file holds no tiles");
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
    info->name = meta.value(QStringLiteral("name"));
    // Attribution is often HTML (links); the map shows it as plain text.
    info->attribution = QTextDocumentFragment::fromHtml(meta.value(QStringLiteral("attribution")))
                            .toPlainText()
                            .simplified();
    return true;
}
} // namespace

bool MbtilesTileSource::inspect(const QString &path, Info *info, QString *error)
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
        if (!db.open())
            *error = reason("not an SQLite database");
        else
            ok = inspectOpen(db, info, error);
        if (info->name.isEmpty())
            info->name = file.completeBaseName();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

std::unique_ptr<MbtilesTileSource> MbtilesTileSource::open(const QString &path, QString *error, QObject *parent)
{
    Info info;
    if (!inspect(path, &info, error))
        return nullptr;
    return std::unique_ptr<MbtilesTileSource>(new MbtilesTileSource(path, info, parent));
}

MbtilesTileSource::MbtilesTileSource(const QString &path, const Info &info, QObject *parent)
    : TileSource(new MbtilesWorker(path), parent), m_path(path), m_info(info)
{
    setAttribution(info.attribution);
    setZoomRange(info.minZoom, info.maxZoom);
}
