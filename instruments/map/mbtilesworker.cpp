#include "instruments/map/mbtilesworker.h"
#include "core/logging.h"

#include <QAtomicInt>
#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "instruments/map/mbtilessource.h"
#include "instruments/map/sqlitelimits.h"
#include "instruments/map/sqlitetimelimit.h"

namespace {
QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("trava-mbtiles-%1").arg(counter.fetchAndAddRelaxed(1));
}
} // namespace

MbtilesWorker::MbtilesWorker(QString path, QString tileQuery, int formats)
    : TileWorker(1), m_path(std::move(path)), m_tileQuery(std::move(tileQuery)),
      m_connection(uniqueConnectionName()), m_formats(formats)
{
}

MbtilesWorker::~MbtilesWorker()
{
    m_limit.reset();
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
    // The file may have changed since its check: the caps hold for every read all the same.
    m_open = db.open() && SqliteLimits::apply(db) && !m_tileQuery.isEmpty();
    if (!m_open) {
        qCDebug(lcMap) << "mbtiles: cannot open" << m_path << db.lastError().text();
        return;
    }
    m_limit = std::make_unique<SqliteTimeLimit>(db, QDeadlineTimer(kQueryTimeoutMs), &m_stop);
    // The file may have been replaced since its check.
    QString error;
    m_open = MbtilesTileSource::readsOnlyStoredData(db, &error);
    if (!m_open)
        qCWarning(lcMap) << "mbtiles: refused" << m_path << error;
}

void MbtilesWorker::fetch(const TileKey &key)
{
    if (!m_open || m_stop) {
        done(key, {});
        return;
    }
    m_limit->setDeadline(QDeadlineTimer(kQueryTimeoutMs));
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(m_tileQuery);
    query.addBindValue(key.z);
    query.addBindValue(key.x);
    query.addBindValue(MbtilesTileSource::flipRow(key.z, key.y));
    if (!query.exec() || !query.next()) {
        done(key, {});
        return;
    }
    done(key, decode(query.value(0).toByteArray(), m_formats));
}
