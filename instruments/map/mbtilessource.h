#pragma once
// Raster tiles from an offline .mbtiles file: an SQLite database with a "tiles" table
// (zoom_level, tile_column, tile_row, tile_data; rows counted from the south, TMS)
// and an optional "metadata" table. The file is opened read-only and checked before
// it is accepted; a file that is not such a database is refused with a reason. Every
// connection to it is capped in time (SqliteTimeLimit) and in size (SqliteLimits).
#include <functional>
#include <memory>

#include <QSqlDatabase>

#include "instruments/map/tilesource.h"

class MbtilesTileSource : public TileSource {
    Q_OBJECT
public:
    struct Info {
        QString name;
        QString format;      // "png", "jpg", ...
        QString attribution; // plain text
        int minZoom = 0;
        int maxZoom = 0;
        QString tileQuery;   // the statement that reads one tile (tables only)
        int tileFormats = 0; // TileWorker::Format flags the tiles may be in
    };

    // How long the check of a file may take before it is refused.
    static constexpr int kInspectTimeoutMs = 3000;

    // The source for path, or null with *error set (file missing, not SQLite, no
    // tiles table, vector tiles, ...).
    static std::unique_ptr<MbtilesTileSource> open(const QString &path, QString *error = nullptr,
                                                   QObject *parent = nullptr);
    // Checks a file without keeping it open, on the calling thread, within timeoutMs.
    static bool inspect(const QString &path, Info *info, QString *error, int timeoutMs = kInspectTimeoutMs);
    // Checks a file on a pool thread; done runs on the GUI thread unless context is gone.
    static void inspectInBackground(const QString &path, QObject *context,
                                    std::function<void(bool ok, const Info &info, const QString &error)> done);
    // True when the file's tables hold only stored data (no generated or hidden columns,
    // computed defaults, virtual tables or triggers); false with *error set otherwise.
    static bool readsOnlyStoredData(const QSqlDatabase &db, QString *error);
    // Ends every check under way now (they fail); called as the application quits, so
    // that quitting never waits for one.
    static void cancelRunningChecks();
    // The source for a file that inspect() accepted.
    static std::unique_ptr<MbtilesTileSource> fromInspected(const QString &path, const Info &info,
                                                            QObject *parent = nullptr);
    // TMS rows count from the south, XYZ rows from the north; the flip is its own inverse.
    static int flipRow(int z, int y) { return (1 << z) - y - 1; }

    QString name() const override { return m_info.name; }
    QString path() const { return m_path; }
    const Info &info() const { return m_info; }

private:
    MbtilesTileSource(const QString &path, const Info &info, QObject *parent);

    QString m_path;
    Info m_info;
};
