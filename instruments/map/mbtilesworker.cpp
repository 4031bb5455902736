#include "instruments/map/mbtilesworker.h"

#include <QAtomicInt>
#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "instruments/map/mbtilessource.h"

namespace {
QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("trava-mbtiles-%1").arg(counter.fetchAndAddRelaxed(1));
}
} // namespace

MbtilesWorker::MbtilesWorker(QString path)
    : TileWorker(1), m_path(std::move(path)), m_connection(uniqueConnectionName())
{
}

MbtilesWorker::~MbtilesWorker()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

void MbtilesWorker::setUp()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    m_open = db.open();
    if (!m_open)
        qDebug() << "mbtiles: cannot open" << m_path << db.lastError().text();
}

void MbtilesWorker::fetch(const TileKey &key)
{
    if (!m_open) {
        done(key, {});
        return;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral(
        "SELECT tile_data FROM tiles WHERE zoom_level = ? AND tile_column = ? AND tile_row = ?"));
    query.addBindValue(key.z);
    query.addBindValue(key.x);
    query.addBindValue(MbtilesTileSource::flipRow(key.z, key.y));
    if (!query.exec() || !query.next()) {
        done(key, {});
        return;
    }
    done(key, decode(query.value(0).toByteArray()));
}
