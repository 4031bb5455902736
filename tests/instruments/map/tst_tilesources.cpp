// The tile path of the route map: web tiles from a server on 127.0.0.1 (cache, expiry,
// limits, failure) and offline .mbtiles files built here.
#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QNetworkDiskCache>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QBuffer>
#include <QtTest>
#include <sqlite3.h>
#include <sys/stat.h>

#include "instruments/map/gpsmapview.h"
#include "instruments/map/mapsourcepreference.h"
#include "instruments/map/mbtilessource.h"
#include "instruments/map/mercator.h"
#include "instruments/map/osmtilesource.h"
#include "instruments/map/sqlitelimits.h"
#include "instruments/map/sqlitetimelimit.h"
#include "instruments/map/tilediskcache.h"
#include "instruments/map/tileworker.h"
#include "support/trackbuilder.h"
#include "tileserver.h"

namespace {
QByteArray png(const QColor &colour)
{
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "PNG");
    return bytes;
}

QByteArray encoded(const QColor &colour, const char *format, int side = 256)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    image.save(&b, format);
    return bytes;
}

// A "tile" in SVG that claims 256 x 256 and draws a picture named by path (a FIFO there
// would block its reader for good).
QByteArray svgTile(const QString &path = QString())
{
    QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'"
                     " width='256' height='256'><rect width='256' height='256' fill='green'/>";
    if (!path.isEmpty())
        svg += "<image width='256' height='256' xlink:href='file://" + path.toUtf8() + "'/>";
    return svg + "</svg>";
}

// An expression that SQLite would evaluate inside one step of a row, out of reach of any
// time limit. The tests never let it run: they make no rows it would be computed for.
QString heavyExpression()
{
    QString e = QStringLiteral("printf('%.*c', 25000000, 'x')");
    for (int i = 0; i < 8; ++i)
        e = QStringLiteral("replace(%1, 'x', 'y')").arg(e);
    return QStringLiteral("length(%1)").arg(e);
}

QColor colourOfTms(int z, int x, int tmsRow) { return QColor(40 * x + 20, 40 * tmsRow + 20, 30 * z + 50); }

// A small .mbtiles file: zoom 0 to 2, every tile a colour of its TMS address.
void buildMbtiles(const QString &path, const QString &format = QStringLiteral("png"), bool withTiles = true)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("build"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QVERIFY(db.transaction()); // one write to disk rather than one per row
        QSqlQuery q(db);
        QVERIFY(q.exec("CREATE TABLE metadata (name TEXT, value TEXT)"));
        QVERIFY(q.exec("CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER,"
                       " tile_data BLOB)"));
        const QList<QPair<QString, QString>> meta{{"name", "Test map"},
                                                  {"format", format},
                                                  {"minzoom", "0"},
                                                  {"maxzoom", "2"},
                                                  {"attribution", "<a href=\"x\">© Test</a> data"}};
        for (const auto &m : meta) {
            q.prepare("INSERT INTO metadata VALUES (?, ?)");
            q.addBindValue(m.first);
            q.addBindValue(m.second);
            QVERIFY(q.exec());
        }
        for (int z = 0; withTiles && z <= 2; ++z)
            for (int x = 0; x < (1 << z); ++x)
                for (int row = 0; row < (1 << z); ++row) {
                    q.prepare("INSERT INTO tiles VALUES (?, ?, ?, ?)");
                    q.addBindValue(z);
                    q.addBindValue(x);
                    q.addBindValue(row);
                    q.addBindValue(png(colourOfTms(z, x, row)));
                    QVERIFY(q.exec());
                }
        QVERIFY(db.commit());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("build"));
}

Track munichTrack()
{
    return straightTrack(30, 48.1374, 11.5755, 0.0001, 0.0002, "30.0");
}

bool hasGreen(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.green() > 200 && c.red() < 60 && c.blue() < 60)
                return true;
        }
    return false;
}
} // namespace

class TestTileSources : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void urlTemplate()
    {
        QCOMPARE(OsmTileSource::tileUrl(QString::fromLatin1(OsmTileSource::kDefaultUrlTemplate), {3, 4, 5}),
                 QUrl("https://tile.openstreetmap.org/3/4/5.png"));
        // Only web addresses: a template that leads elsewhere fetches nothing.
        QVERIFY(!OsmTileSource::tileUrl("file:///etc/{z}/{x}/{y}", {1, 0, 0}).isValid());
        QVERIFY(OsmTileSource::userAgent().startsWith("TravaPlayer/"));
        QVERIFY(OsmTileSource::defaultCacheDirectory(QString::fromLatin1(OsmTileSource::kDefaultUrlTemplate))
                    .startsWith(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)));
    }

    // Second view of a fresh tile comes from the disk cache without asking the server.
    void cacheHitOnSecondView()
    {
        TileServer server;
        server.headers = {"Cache-Control: max-age=3600"};
        QTemporaryDir cache;
        const TileKey key{3, 4, 2};
        {
            OsmTileSource source(server.urlTemplate(), cache.path());
            QCOMPARE(source.attribution(), QStringLiteral("© OpenStreetMap contributors"));
            source.requestTiles({key});
            QTRY_VERIFY_WITH_TIMEOUT(!source.cachedTile(key).isNull(), 5000);
            QCOMPARE(source.cachedTile(key).toImage().pixelColor(10, 10),
                     TileServer::tileImage("/3/4/2.png").pixelColor(10, 10));
        }
        QCOMPARE(server.requestCount, 1);
        QVERIFY(server.lastUserAgent.startsWith("TravaPlayer/"));
        OsmTileSource again(server.urlTemplate(), cache.path());
        again.requestTiles({key});
        QTRY_VERIFY_WITH_TIMEOUT(!again.cachedTile(key).isNull(), 5000);
        QCOMPARE(server.requestCount, 1);
    }

    // An expired tile is asked for again; one without any expiry is kept for a week.
    void expiryHonoured()
    {
        TileServer server;
        server.headers = {"Expires: Thu, 01 Jan 2015 00:00:00 GMT"};
        QTemporaryDir cache;
        const TileKey key{2, 1, 1};
        for (int view = 1; view <= 2; ++view) {
            OsmTileSource source(server.urlTemplate(), cache.path());
            source.requestTiles({key});
            QTRY_VERIFY_WITH_TIMEOUT(!source.cachedTile(key).isNull(), 5000);
            QCOMPARE(server.requestCount, view);
        }

        server.headers.clear();
        const TileKey week{2, 2, 1};
        {
            OsmTileSource source(server.urlTemplate(), cache.path());
            source.requestTiles({week});
            QTRY_VERIFY_WITH_TIMEOUT(!source.cachedTile(week).isNull(), 5000);
        }
        QNetworkDiskCache disk;
        disk.setCacheDirectory(cache.path());
        const QDateTime expires = disk.metaData(OsmTileSource::tileUrl(server.urlTemplate(), week)).expirationDate();
        QVERIFY(expires.isValid());
        const qint64 secs = QDateTime::currentDateTimeUtc().secsTo(expires);
        QVERIFY2(secs > TileDiskCache::kDefaultLifetimeSecs - 600 && secs <= TileDiskCache::kDefaultLifetimeSecs,
                 qPrintable(QString::number(secs)));
    }

    void atMostTwoDownloadsAndOnlyWhatIsWanted()
    {
        TileServer server;
        server.delayMs = 400;
        QTemporaryDir cache;
        OsmTileSource source(server.urlTemplate(), cache.path());
        QList<TileKey> first;
        for (int x = 0; x < 8; ++x)
            first.append({4, x, 3});
        source.requestTiles(first);
        QTest::qWait(50);
        // The view moved on: tiles of the old view not yet started are never fetched.
        const QList<TileKey> second{{4, 9, 9}, {4, 10, 9}};
        source.requestTiles(second);
        QTRY_VERIFY_WITH_TIMEOUT(!source.cachedTile(second[0]).isNull() && !source.cachedTile(second[1]).isNull(),
                                 5000);
        QTest::qWait(400);
        QVERIFY2(server.requestCount <= 4, qPrintable(QString::number(server.requestCount)));
        QVERIFY(server.maxConcurrent >= 1 && server.maxConcurrent <= OsmTileSource::kMaxParallel);

        // A whole screen still arrives, two at a time.
        server.maxConcurrent = 0;
        source.requestTiles(first);
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(first.begin(), first.end(),
                                             [&](const TileKey &k) { return !source.cachedTile(k).isNull(); }),
                                 8000);
        QCOMPARE(server.maxConcurrent, 2);
    }

    void failureGivesOfflineLook()
    {
        TileServer server;
        server.status = 503;
        QTemporaryDir cache;
        GpsMapView view;
        view.resize(320, 240);
        view.setTileSource(std::make_unique<OsmTileSource>(server.urlTemplate(), cache.path()));
        view.setGpsData(munichTrack());
        view.setCurrentPlayerTime(5.0);
        QVERIFY(view.markerCoordinate().isValid());
        view.grab();
        QTRY_VERIFY_WITH_TIMEOUT((view.grab(), view.isShowingNotice()), 5000);
        const QImage shot = view.grab().toImage();
        QVERIFY(hasGreen(shot));
        QVERIFY(server.requestCount > 0);

        // A failing server is not asked again at every repaint, but is after a while.
        TileSource *source = view.tileSource();
        const TileKey key{7, 5, 5};
        source->requestTiles({key});
        QTRY_VERIFY_WITH_TIMEOUT(source->hasFailed(key), 5000);
        server.status = 200;
        const int asked = server.requestCount;
        for (int i = 0; i < 5; ++i) {
            source->requestTiles({key});
            QTest::qWait(20);
        }
        QCOMPARE(server.requestCount, asked);
        QVERIFY(source->cachedTile(key).isNull());
        source->setRetryDelay(100);
        QTest::qWait(150);
        source->requestTiles({key});
        QTRY_VERIFY_WITH_TIMEOUT(!source->cachedTile(key).isNull(), 5000);
        QVERIFY(!source->hasFailed(key));
        server.status = 503;

        // A picture that does not decode is a failure too, not a blank tile.
        server.status = 200;
        server.sendGarbage = true;
        OsmTileSource garbage(server.urlTemplate(), cache.path());
        QSignalSpy changed(&garbage, &TileSource::tilesChanged);
        garbage.requestTiles({{5, 1, 1}});
        QTRY_VERIFY_WITH_TIMEOUT(garbage.hasFailed({5, 1, 1}), 5000);
        QVERIFY(garbage.cachedTile({5, 1, 1}).isNull());
    }

    // A tile far larger than a tile, in pixels or in bytes, is refused without being
    // decoded or kept, and is not asked for again at every repaint.
    void oversizedTilesAreRefused()
    {
        TileServer server;
        server.sendHugePicture = true;
        QTemporaryDir cache;
        OsmTileSource huge(server.urlTemplate(), cache.path());
        const TileKey key{4, 3, 3};
        huge.requestTiles({key});
        QTRY_VERIFY_WITH_TIMEOUT(huge.hasFailed(key), 5000);
        QVERIFY(huge.cachedTile(key).isNull());
        const int asked = server.requestCount;
        for (int i = 0; i < 5; ++i) {
            huge.requestTiles({key});
            QTest::qWait(20);
        }
        QCOMPARE(server.requestCount, asked);

        server.sendHugePicture = false;
        server.flood = true;
        QTemporaryDir floodCache;
        OsmTileSource flooded(server.urlTemplate(), floodCache.path());
        flooded.requestTiles({{4, 1, 1}});
        QTRY_VERIFY_WITH_TIMEOUT(flooded.hasFailed({4, 1, 1}), 10000);
        // Nothing of the flood stays in the disk cache.
        qint64 onDisk = 0;
        QDirIterator it(floodCache.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            onDisk += QFileInfo(it.next()).size();
        QVERIFY2(onDisk < 4 * 1024 * 1024, qPrintable(QString::number(onDisk)));
    }

    // Offline with an outdated copy on disk, the old tile is shown rather than none.
    void staleCopyWhenServerGone()
    {
        QTemporaryDir cache;
        const TileKey key{6, 7, 8};
        QString urlTemplate;
        {
            TileServer server;
            server.headers = {"Cache-Control: max-age=0"};
            urlTemplate = server.urlTemplate();
            OsmTileSource source(urlTemplate, cache.path());
            source.requestTiles({key});
            QTRY_VERIFY_WITH_TIMEOUT(!source.cachedTile(key).isNull(), 5000);
        }
        OsmTileSource source(urlTemplate, cache.path());
        source.requestTiles({key});
        QTRY_VERIFY_WITH_TIMEOUT(!source.cachedTile(key).isNull() || source.hasFailed(key), 8000);
        QVERIFY(!source.cachedTile(key).isNull());
    }

    void mbtilesRowsAreFlipped()
    {
        QCOMPARE(MbtilesTileSource::flipRow(0, 0), 0);
        QCOMPARE(MbtilesTileSource::flipRow(2, 0), 3);
        QCOMPARE(MbtilesTileSource::flipRow(2, 3), 0);
        QCOMPARE(MbtilesTileSource::flipRow(5, MbtilesTileSource::flipRow(5, 11)), 11);

        QTemporaryDir dir;
        const QString path = dir.filePath("tiny.mbtiles");
        buildMbtiles(path);
        QString error;
        auto source = MbtilesTileSource::open(path, &error);
        QVERIFY2(source, qPrintable(error));
        QCOMPARE(source->minZoom(), 0);
        QCOMPARE(source->maxZoom(), 2);
        QCOMPARE(source->name(), QStringLiteral("Test map"));
        QCOMPARE(source->attribution(), QStringLiteral("© Test data"));
        // XYZ row 0 (the northern half at zoom 1) is TMS row 1.
        const QList<TileKey> keys{{1, 0, 0}, {2, 3, 1}};
        source->requestTiles(keys);
        QTRY_VERIFY_WITH_TIMEOUT(!source->cachedTile(keys[0]).isNull() && !source->cachedTile(keys[1]).isNull(),
                                 5000);
        QCOMPARE(source->cachedTile(keys[0]).toImage().pixelColor(5, 5), colourOfTms(1, 0, 1));
        QCOMPARE(source->cachedTile(keys[1]).toImage().pixelColor(5, 5), colourOfTms(2, 3, 2));
        // Beyond the file's zoom range nothing is asked for (and so nothing fails).
        source->requestTiles({{2, 0, 0}, {7, 0, 0}});
        QTRY_VERIFY_WITH_TIMEOUT(!source->cachedTile({2, 0, 0}).isNull(), 5000);
        QVERIFY(!source->hasFailed({7, 0, 0}));
    }

    // Zoomed far past a file's finest tiles they are enlarged; far below its coarsest,
    // the grid is shown instead of asking for countless specks.
    void zoomBeyondTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tiny.mbtiles");
        buildMbtiles(path);
        GpsMapView view;
        view.resize(200, 150);
        QVERIFY(view.useMbtiles(path));
        view.setCenter(QGeoCoordinate(30.0, -100.0), 19);
        const QPointF world = Mercator::project(30.0, -100.0) * 4.0;
        const QColor expected = colourOfTms(2, int(world.x()), MbtilesTileSource::flipRow(2, int(world.y())));
        QTRY_COMPARE_WITH_TIMEOUT(view.grab().toImage().pixelColor(100, 75), expected, 5000);

        const QString coarse = dir.filePath("coarse.mbtiles");
        buildMbtiles(coarse);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("coarse"));
            db.setDatabaseName(coarse);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("UPDATE metadata SET value = '14' WHERE name IN ('minzoom', 'maxzoom')"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("coarse"));
        QVERIFY(view.useMbtiles(coarse));
        QCOMPARE(view.tileSource()->minZoom(), 14);
        view.setCenter(QGeoCoordinate(30.0, -100.0), 2);
        const QImage far = view.grab().toImage();
        QTest::qWait(200);
        view.grab();
        QVERIFY(!view.isShowingNotice());
        QCOMPARE(far.pixelColor(100, 75).name(), QColor(0xf2, 0xef, 0xe9).name());
    }

    void badFilesAreRefused()
    {
        QTemporaryDir dir;
        const QString text = dir.filePath("notes.mbtiles");
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        const QString empty = dir.filePath("empty.mbtiles");
        QFile(empty).open(QIODevice::WriteOnly);
        const QString noTiles = dir.filePath("notiles.mbtiles");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            db.setDatabaseName(noTiles);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("CREATE TABLE things (a INTEGER)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        const QString vector = dir.filePath("vector.mbtiles");
        buildMbtiles(vector, QStringLiteral("pbf"));
        const QString hollow = dir.filePath("hollow.mbtiles");
        buildMbtiles(hollow, QStringLiteral("png"), false);
        {
            // Without zoom metadata the range is read from the tiles, and there are none.
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("hollow"));
            db.setDatabaseName(hollow);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("DELETE FROM metadata WHERE name LIKE '%zoom'"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("hollow"));

        for (const QString &path : {text, empty, noTiles, vector, hollow, dir.filePath("missing.mbtiles")}) {
            QString error;
            QVERIFY2(!MbtilesTileSource::open(path, &error), qPrintable(path));
            QVERIFY(!error.isEmpty());
        }
        // The refused file does not take the map's current source away, nor change it.
        const QByteArray before = QFile(text).exists() ? QByteArray(4096, 'x') : QByteArray();
        GpsMapView view;
        const QString good = dir.filePath("good.mbtiles");
        buildMbtiles(good);
        QVERIFY(view.useMbtiles(good));
        TileSource *current = view.tileSource();
        QString error;
        QVERIFY(!view.useMbtiles(text, &error));
        QCOMPARE(view.tileSource(), current);
        QFile check(text);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), before);
    }

    // Offline map files built to hang or exhaust the player: views instead of tables, a
    // metadata view of endless rows, tiles too large. Each is handled within its limits.
    void hostileMbtilesFiles()
    {
        QTemporaryDir dir;
        const auto exec = [](const QString &path, const QStringList &statements) {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("hostile"));
                db.setDatabaseName(path);
                QVERIFY(db.open());
                for (const QString &sql : statements)
                    QVERIFY2(QSqlQuery(db).exec(sql), qPrintable(sql));
                db.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("hostile"));
        };
        const QString endless = QStringLiteral(
            "WITH RECURSIVE r(zoom_level, tile_column, tile_row, tile_data) AS (SELECT 0, 0, 0, x'00'"
            " UNION ALL SELECT zoom_level + 1, tile_column, tile_row, tile_data FROM r) SELECT * FROM r");

        // "tiles" an endless recursive view: refused, and quickly, at every start.
        const QString loop = dir.filePath("loop.mbtiles");
        exec(loop, {"CREATE TABLE metadata (name TEXT, value TEXT)", "CREATE VIEW tiles AS " + endless});
        QElapsedTimer t;
        t.start();
        QString error;
        QVERIFY(!MbtilesTileSource::open(loop, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(t.elapsed() < MbtilesTileSource::kInspectTimeoutMs + 2000);

        // An endless metadata view is not read; the tiles table is.
        const QString meta = dir.filePath("meta.mbtiles");
        buildMbtiles(meta);
        exec(meta, {"DROP TABLE metadata",
                    "CREATE VIEW metadata AS WITH RECURSIVE r(name, value) AS (SELECT 'name', 'x'"
                    " UNION ALL SELECT name, value FROM r) SELECT * FROM r"});
        auto fromMeta = MbtilesTileSource::open(meta, &error);
        QVERIFY2(fromMeta, qPrintable(error));
        QCOMPARE(fromMeta->minZoom(), 0);
        QCOMPARE(fromMeta->maxZoom(), 2);

        // A deduplicating file (tables map + images behind a tiles view) still works,
        // and a tile of more than 2 MiB in it is refused rather than loaded.
        const QString dedup = dir.filePath("dedup.mbtiles");
        exec(dedup, {"CREATE TABLE map (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER, tile_id TEXT)",
                     "CREATE TABLE images (tile_data BLOB, tile_id TEXT)",
                     "CREATE VIEW tiles AS SELECT zoom_level, tile_column, tile_row, tile_data"
                     " FROM map JOIN images ON images.tile_id = map.tile_id",
                     "INSERT INTO map VALUES (0, 0, 0, 'a'), (1, 0, 0, 'big')",
                     "INSERT INTO images VALUES (x'" + png(Qt::blue).toHex() + "', 'a')",
                     "INSERT INTO images VALUES (zeroblob(3 * 1024 * 1024), 'big')"});
        auto deduplicated = MbtilesTileSource::open(dedup, &error);
        QVERIFY2(deduplicated, qPrintable(error));
        deduplicated->requestTiles({{0, 0, 0}, {1, 0, 1}});
        QTRY_VERIFY_WITH_TIMEOUT(!deduplicated->cachedTile({0, 0, 0}).isNull(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(deduplicated->hasFailed({1, 0, 1}), 5000);

        // Chosen in the window, a file is checked off the GUI thread; the source follows.
        GpsMapView view;
        bool answered = false, accepted = true;
        view.openMbtiles(loop, [&](bool ok, const QString &) { answered = true; accepted = ok; });
        QVERIFY(!answered);
        QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
        QVERIFY(!accepted);
        QVERIFY(!view.tileSource());
        answered = false;
        view.openMbtiles(dedup, [&](bool ok, const QString &) { answered = true; accepted = ok; });
        QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
        QVERIFY(accepted);
        QVERIFY(qobject_cast<MbtilesTileSource *>(view.tileSource()));
    }

    // Tiles are PNG or JPEG, told by their bytes and decoded by that reader alone: an SVG
    // (which decodes embedded pictures at any size and reads files it names) or any other
    // format is refused, whatever it claims.
    void onlyPngAndJpegTilesAreDecoded()
    {
        QCOMPARE(TileWorker::decode(encoded(Qt::red, "PNG")).pixelColor(3, 3), QColor(Qt::red));
        QVERIFY(!TileWorker::decode(encoded(Qt::red, "JPEG")).isNull());
        QCOMPARE(TileWorker::sniff(encoded(Qt::red, "JPEG")), TileWorker::Jpeg);
        QVERIFY(TileWorker::decode(svgTile()).isNull());
        QVERIFY(TileWorker::decode(encoded(Qt::red, "BMP")).isNull());
        QVERIFY(TileWorker::decode(encoded(Qt::red, "XPM")).isNull());
        QVERIFY(TileWorker::decode(encoded(Qt::red, "GIF")).isNull());
        // A PNG is not read as WebP where only WebP is allowed, nor the other way round.
        QVERIFY(TileWorker::decode(encoded(Qt::red, "PNG"), TileWorker::WebP).isNull());
        const QByteArray webp = QByteArrayLiteral("RIFF\x10\0\0\0WEBPVP8 garbage");
        QCOMPARE(TileWorker::sniff(webp), TileWorker::WebP);
        QVERIFY(TileWorker::decode(webp).isNull()); // not where the file does not say so
        QVERIFY(TileWorker::decode(webp, TileWorker::WebP).isNull());
        // The size limits hold for JPEG as for PNG.
        QVERIFY(TileWorker::decode(encoded(Qt::red, "JPEG", 600)).isNull());

        QTemporaryDir dir;
        const QString fifo = dir.filePath("fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        TileServer server;
        QTemporaryDir cache;
        OsmTileSource source(server.urlTemplate(), cache.path());
        server.fixedBody = svgTile(fifo);
        source.requestTiles({{3, 1, 1}});
        QTRY_VERIFY_WITH_TIMEOUT(source.hasFailed({3, 1, 1}), 5000);
        server.fixedBody = encoded(Qt::green, "BMP");
        source.requestTiles({{3, 2, 1}});
        QTRY_VERIFY_WITH_TIMEOUT(source.hasFailed({3, 2, 1}), 5000);
        server.fixedBody = encoded(Qt::green, "JPEG");
        source.requestTiles({{3, 3, 1}});
        QTRY_VERIFY_WITH_TIMEOUT(!source.cachedTile({3, 3, 1}).isNull(), 5000);

        // In an offline file too, whatever format its metadata names.
        const QString path = dir.filePath("svg.mbtiles");
        buildMbtiles(path);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("svg"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            q.prepare("UPDATE tiles SET tile_data = ? WHERE zoom_level = 1");
            q.addBindValue(svgTile(fifo));
            QVERIFY(q.exec());
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("svg"));
        QString error;
        auto offline = MbtilesTileSource::open(path, &error);
        QVERIFY2(offline, qPrintable(error));
        offline->requestTiles({{1, 0, 0}, {0, 0, 0}});
        QTRY_VERIFY_WITH_TIMEOUT(offline->hasFailed({1, 0, 0}) && !offline->cachedTile({0, 0, 0}).isNull(), 5000);
        for (const QString &format : {QStringLiteral("svg"), QStringLiteral("bmp"), QStringLiteral("gif")}) {
            const QString other = dir.filePath("format-" + format + ".mbtiles");
            buildMbtiles(other, format);
            QVERIFY2(!MbtilesTileSource::open(other, &error), qPrintable(format));
        }
    }

    // A table column computed by the file's author (a generated column, a default that
    // calls a function), a virtual table or a trigger: the file is refused before any of
    // its rows is read. Read anyway, such a column once took 54 s and 17.6 GB.
    void computedColumnsAreRefused()
    {
        QTemporaryDir dir;
        const auto build = [&](const QString &name, const QStringList &statements) {
            const QString path = dir.filePath(name + ".mbtiles");
            buildMbtiles(path);
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            bool ok = db.open();
            for (const QString &sql : statements) {
                QSqlQuery q(db);
                if (ok && !q.exec(sql)) {
                    qWarning() << sql.left(120) << q.lastError().text();
                    ok = false;
                }
            }
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            return ok ? path : QString();
        };
        const QString heavy = heavyExpression();
        const QStringList paths{
            build("virtualmeta", {"DROP TABLE metadata",
                                  "CREATE TABLE metadata (name TEXT, v TEXT, value TEXT GENERATED ALWAYS AS ("
                                      + heavy + ") VIRTUAL)"}),
            build("storedtiles", {"ALTER TABLE tiles RENAME TO old",
                                  "CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER,"
                                  " raw BLOB, tile_data BLOB GENERATED ALWAYS AS (raw) STORED)",
                                  "INSERT INTO tiles (zoom_level, tile_column, tile_row, raw) SELECT * FROM old"}),
            build("defaults", {"DROP TABLE metadata",
                               "CREATE TABLE metadata (name TEXT, value TEXT DEFAULT (" + heavy + "))"}),
            build("trigger", {"CREATE TABLE log (t TEXT)",
                              "CREATE TRIGGER t AFTER INSERT ON tiles BEGIN INSERT INTO log VALUES ('x'); END"}),
            build("fts", {"DROP TABLE tiles",
                          "CREATE VIRTUAL TABLE tiles USING fts4(zoom_level, tile_column, tile_row, tile_data)",
                          "INSERT INTO tiles VALUES (0, 0, 0, 'x')"}),
        };
        for (const QString &path : paths) {
            QVERIFY(!path.isEmpty());
            QString error;
            QVERIFY2(!MbtilesTileSource::open(path, &error), qPrintable(path));
            QVERIFY(!error.isEmpty());
        }
    }

    // No value SQLite builds for a map file may grow past a few MiB, and its heap as a
    // whole is capped, so that no single step (where no time limit reaches) runs long.
    void sqliteSizesAreCapped()
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("caps"));
            db.setDatabaseName(QStringLiteral(":memory:"));
            QVERIFY(db.open());
            QVERIFY(SqliteLimits::apply(db));
            QSqlQuery q(db);
            QVERIFY(q.exec("SELECT length(printf('%.*c', 1048576, 'x'))") && q.next());
            QCOMPARE(q.value(0).toInt(), 1048576);
            // printf() stops building at the cap (its result is cut), the others fail.
            QVERIFY(q.exec(QStringLiteral("SELECT length(printf('%.*c', %1, 'x'))")
                               .arg(SqliteLimits::kMaxValueBytes + 1)) && q.next());
            QVERIFY(q.value(0).toLongLong() <= SqliteLimits::kMaxValueBytes);
            QVERIFY(!q.exec("SELECT length(replace(printf('%.*c', 3000000, 'x'), 'x', 'xx'))"));
            QVERIFY(!q.exec(QStringLiteral("SELECT length(zeroblob(%1))").arg(SqliteLimits::kMaxValueBytes + 1)));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("caps"));
        const sqlite3_int64 heap = sqlite3_hard_heap_limit64(-1);
        QVERIFY(heap > 0 && heap <= SqliteLimits::kProcessHeapLimit);

        // A file that changed after its check (or was never checked) is checked again by
        // the tile reader, whose reads have the same caps: a tile computed from a value
        // larger than the cap never shows (uncapped, this one is a picture).
        QTemporaryDir dir;
        const QString path = dir.filePath("late.mbtiles");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("late"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER,"
                                       " tile_row INTEGER, tile_data BLOB GENERATED ALWAYS AS ("
                                       " CASE WHEN length(printf('%.*c', 6000000, 'x')) > 5000000 THEN x'"
                                       + png(Qt::red).toHex() + "' END) VIRTUAL)"));
            QVERIFY(QSqlQuery(db).exec("INSERT INTO tiles VALUES (0, 0, 0), (1, 0, 0)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("late"));
        MbtilesTileSource::Info info;
        info.maxZoom = 1;
        info.tileFormats = TileWorker::kWebFormats;
        info.tileQuery = "SELECT tile_data FROM tiles WHERE zoom_level = ? AND tile_column = ? AND tile_row = ?";
        auto source = MbtilesTileSource::fromInspected(path, info);
        source->requestTiles({{0, 0, 0}, {1, 0, 1}});
        QTRY_VERIFY_WITH_TIMEOUT(source->hasFailed({0, 0, 0}) && source->hasFailed({1, 0, 1}), 5000);
    }

    // Quitting ends a check under way at its next steps instead of waiting for it (the
    // application waits for the pool the checks run on).
    void quittingCancelsChecksUnderWay()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("many.mbtiles");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("many"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            // No zoom metadata: the check reads the range from every row.
            QVERIFY(QSqlQuery(db).exec("CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER,"
                                       " tile_row INTEGER, tile_data BLOB)"));
            QVERIFY(QSqlQuery(db).exec("WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c"
                                       " WHERE i < 300000) INSERT INTO tiles SELECT 3, i, 0, x'00' FROM c"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("many"));
        QString error;
        QVERIFY2(MbtilesTileSource::inspect(path, nullptr, &error), qPrintable(error));

        std::atomic<bool> quitting{true};
        QThread *quit = QThread::create([&] {
            while (quitting) {
                MbtilesTileSource::cancelRunningChecks();
                QThread::usleep(200);
            }
        });
        quit->start();
        const bool accepted = MbtilesTileSource::inspect(path, nullptr, &error);
        quitting = false;
        QVERIFY(quit->wait(5000));
        delete quit;
        QVERIFY(!accepted);
        QCOMPARE(error, QStringLiteral("the file could not be read in time"));
    }

    // The time limit interrupts a statement that would never end, and so does the stop
    // flag raised from another thread; a worker can therefore always be ended.
    void sqliteTimeLimitInterrupts()
    {
        const QString endless = QStringLiteral(
            "WITH RECURSIVE r(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM r) SELECT count(*) FROM r");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("limit"));
            db.setDatabaseName(QStringLiteral(":memory:"));
            QVERIFY(db.open());
            SqliteTimeLimit limit(db, QDeadlineTimer(200));
            QVERIFY(limit.isActive());
            QVERIFY(!QSqlQuery(db).exec(endless));
            QVERIFY(limit.expired());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("limit"));

        std::atomic<bool> stop{false};
        bool failed = false;
        QThread *t = QThread::create([&] {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("stop"));
                db.setDatabaseName(QStringLiteral(":memory:"));
                db.open();
                SqliteTimeLimit limit(db, QDeadlineTimer(QDeadlineTimer::Forever), &stop);
                failed = !QSqlQuery(db).exec(endless);
            }
            QSqlDatabase::removeDatabase(QStringLiteral("stop"));
        });
        t->start();
        QTest::qWait(100);
        stop = true;
        QVERIFY(t->wait(5000));
        delete t;
        QVERIFY(failed);
    }

    // The chosen source comes back at the next start; a vanished file falls back to
    // OpenStreetMap without forgetting the choice.
    void storedChoiceOfSource()
    {
        QTemporaryDir dir;
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("settings"));
        QCoreApplication::setOrganizationName("trava-map-test");
        const QString good = dir.filePath("good.mbtiles");
        buildMbtiles(good);

        GpsMapView view;
        struct Result { bool done = false, ok = false; QString error; } r;
        const auto apply = [&] {
            r = Result{};
            MapSourcePreference::apply(&view, [&](bool ok, const QString &e) { r = {true, ok, e}; });
            QTRY_VERIFY_WITH_TIMEOUT(r.done, 10000);
        };
        apply(); // nothing stored: the web map
        QVERIFY(r.ok);
        QVERIFY(qobject_cast<OsmTileSource *>(view.tileSource()));

        MapSourcePreference::storeMbtiles(good);
        QCOMPARE(QSettings().value(kMapSource).toString(), "mbtiles:" + good);
        apply();
        QVERIFY(r.ok);
        auto *offline = qobject_cast<MbtilesTileSource *>(view.tileSource());
        QVERIFY(offline);
        QCOMPARE(offline->path(), good);

        QVERIFY(QFile::remove(good));
        apply();
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QVERIFY(qobject_cast<OsmTileSource *>(view.tileSource()));
        QCOMPARE(MapSourcePreference::storedMbtilesPath(), good);

        MapSourcePreference::storeOpenStreetMap();
        QVERIFY(!MapSourcePreference::storedIsMbtiles());
    }
};

QTEST_MAIN(TestTileSources)
#include "tst_tilesources.moc"
