#pragma once
// Reads tiles of an .mbtiles file for MbtilesTileSource on its thread, through a
// database connection of that thread's own. Each read has a time limit, and stop()
// interrupts the one under way, so the thread can always be ended promptly.
#include <QString>
#include <atomic>
#include <memory>

#include "instruments/map/tileworker.h"

class SqliteTimeLimit;

class MbtilesWorker : public TileWorker {
    Q_OBJECT
public:
    static constexpr int kQueryTimeoutMs = 2000;

    // formats: the TileWorker::Format flags the file's tiles may be in.
    MbtilesWorker(QString path, QString tileQuery, int formats);
    ~MbtilesWorker() override;

    void stop() override { m_stop = true; }

protected:
    void setUp() override;
    void fetch(const TileKey &key) override;

private:
    QString m_path;
    QString m_tileQuery;
    QString m_connection;
    int m_formats;
    bool m_open = false;
    std::atomic<bool> m_stop{false};
    std::unique_ptr<SqliteTimeLimit> m_limit;
};
