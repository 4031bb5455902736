#pragma once
// Reads tiles of an .mbtiles file for MbtilesTileSource on its thread, through a
// database connection of that thread's own.
#include <QString>

#include "instruments/map/tileworker.h"

class MbtilesWorker : public TileWorker {
    Q_OBJECT
public:
    explicit MbtilesWorker(QString path);
    ~MbtilesWorker() override;

protected:
    void setUp() override;
    void fetch(const TileKey &key) override;

private:
    QString m_path;
    QString m_connection;
    bool m_open = false;
};
