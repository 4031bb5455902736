#include "munichdrive.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtMath>
#include <cmath>

#include "instruments/map/mercator.h"

namespace {
struct Waypoint {
    double lat, lon, kmh;
};

// Stachus, Sonnenstrasse, Sendlinger Tor, Blumenstrasse, Isartor, Thierschstrasse,
// Maximilianstrasse, over the Isar to the Maximilianeum, and back along the river.
const Waypoint kRoute[] = {
    {48.13905, 11.56580, 30}, {48.13640, 11.56600, 40}, {48.13380, 11.56700, 35}, {48.13330, 11.56960, 40},
    {48.13300, 11.57320, 45}, {48.13270, 11.57800, 40}, {48.13400, 11.58120, 30}, {48.13470, 11.58270, 35},
    {48.13700, 11.58580, 40}, {48.13880, 11.58630, 30}, {48.13800, 11.58950, 40}, {48.13720, 11.59300, 35},
    {48.13630, 11.59560, 25}, {48.13420, 11.59330, 40}, {48.13160, 11.58830, 45}, {48.12950, 11.58450, 45},
    {48.12780, 11.58060, 40}, {48.12640, 11.57680, 35},
};

double distanceMetres(const Waypoint &a, const Waypoint &b)
{
    const double dy = (b.lat - a.lat) * 111320.0;
    const double dx = (b.lon - a.lon) * 111320.0 * std::cos(qDegreesToRadians(a.lat));
    return std::hypot(dx, dy);
}

QColor mix(QColor a, QColor b, double t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

// Paints one tile of an invented town in world coordinates so that tiles join up.
QByteArray paintTile(int z, int x, int y)
{
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(QColor(0xf2, 0xef, 0xe9));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double scale = 256.0 * (1 << z);
    const auto toTile = [&](double lat, double lon) {
        const QPointF w = Mercator::project(lat, lon);
        return QPointF(w.x() * scale - x * 256.0, w.y() * scale - y * 256.0);
    };
    const double latTop = Mercator::latitudeOf(double(y) / (1 << z)) + 0.003;
    const double latBottom = Mercator::latitudeOf(double(y + 1) / (1 << z)) - 0.003;
    const double lonLeft = Mercator::longitudeOf(double(x) / (1 << z)) - 0.003;
    const double lonRight = Mercator::longitudeOf(double(x + 1) / (1 << z)) + 0.003;

    // Blocks: some parks, the rest built up.
    const double cellLat = 0.0016, cellLon = 0.0024;
    for (double la = std::floor(latBottom / cellLat) * cellLat; la < latTop; la += cellLat)
        for (double lo = std::floor(lonLeft / cellLon) * cellLon; lo < lonRight; lo += cellLon) {
            const int h = int(std::fmod(std::abs(la * 7919.0 + lo * 104729.0) * 1000.0, 13.0));
            const QColor fill = h < 2 ? QColor(0xc8, 0xe6, 0xb4) : mix(QColor(0xe0, 0xdb, 0xd3), QColor(0xd9, 0xd0, 0xc9), h / 13.0);
            const QPointF a = toTile(la + cellLat * 0.9, lo + cellLon * 0.08);
            const QPointF b = toTile(la + cellLat * 0.1, lo + cellLon * 0.92);
            p.fillRect(QRectF(a, b), fill);
        }
    // The river, winding from south to north-east.
    QPolygonF river;
    for (double la = latBottom - 0.01; la < latTop + 0.01; la += 0.0004)
        river << toTile(la, 11.5870 + (la - 48.13) * 0.35 + 0.0018 * std::sin((la - 48.10) * 300.0));
    p.setPen(QPen(QColor(0xaa, 0xd3, 0xdf), std::max(3.0, 80.0 * scale / (256.0 * 65536.0))));
    p.drawPolyline(river);
    // Main roads along the block edges.
    p.setPen(QPen(Qt::white, std::max(1.5, 12.0 * scale / (256.0 * 65536.0))));
    for (double la = std::floor(latBottom / cellLat) * cellLat; la < latTop; la += cellLat)
        p.drawLine(toTile(la, lonLeft), toTile(la, lonRight));
    for (double lo = std::floor(lonLeft / cellLon) * cellLon; lo < lonRight; lo += cellLon)
        p.drawLine(toTile(latBottom, lo), toTile(latTop, lo));
    p.end();
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "PNG");
    return bytes;
}
} // namespace

Track munichDrive()
{
    auto samples = std::make_shared<std::vector<GPSItem>>();
    QDateTime clock(QDate(2024, 5, 4), QTime(10, 12, 0));
    for (std::size_t leg = 0; leg + 1 < std::size(kRoute); ++leg) {
        const Waypoint &a = kRoute[leg], &b = kRoute[leg + 1];
        const double metresPerSecond = b.kmh / 3.6;
        const int steps = std::max(1, int(distanceMetres(a, b) / metresPerSecond));
        for (int s = 0; s < steps; ++s) {
            const double t = double(s) / steps;
            // A little wobble, as a real receiver gives.
            const double jitter = 0.000008 * std::sin(samples->size() * 1.7);
            samples->emplace_back(clock.toString("yyyy/MM/dd hh:mm:ss").toStdString(),
                                  QString::number(a.lon + (b.lon - a.lon) * t + jitter, 'f', 6).toStdString(),
                                  QString::number(a.lat + (b.lat - a.lat) * t - jitter, 'f', 6).toStdString(),
                                  QString::number(b.kmh + 4 * std::sin(s * 0.3), 'f', 1).toStdString(),
                                  0.02 * std::sin(s * 0.5), -0.03 * std::cos(s * 0.2), 0.98);
            clock = clock.addSecs(1);
        }
    }
    return samples;
}

bool buildMunichMbtiles(const QString &path, double zoom)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("munich"));
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        ok = ok && q.exec("CREATE TABLE metadata (name TEXT, value TEXT)")
             && q.exec("CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER, tile_data BLOB)")
             && q.exec("INSERT INTO metadata VALUES ('name', 'Generated town'), ('format', 'png'),"
                       " ('attribution', 'Generated test tiles')");
        const int zc = int(std::lround(zoom));
        ok = ok && q.exec(QStringLiteral("INSERT INTO metadata VALUES ('minzoom', '%1'), ('maxzoom', '%2')")
                              .arg(zc - 1)
                              .arg(zc + 1));
        db.transaction();
        for (int z = zc - 1; ok && z <= zc + 1; ++z) {
            const QPointF nw = Mercator::project(48.1450, 11.5560) * double(1 << z);
            const QPointF se = Mercator::project(48.1200, 11.6050) * double(1 << z);
            for (int x = int(nw.x()); x <= int(se.x()); ++x)
                for (int y = int(nw.y()); y <= int(se.y()); ++y) {
                    q.prepare("INSERT INTO tiles VALUES (?, ?, ?, ?)");
                    q.addBindValue(z);
                    q.addBindValue(x);
                    q.addBindValue((1 << z) - y - 1);
                    q.addBindValue(paintTile(z, x, y));
                    ok = ok && q.exec();
                }
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("munich"));
    return ok;
}
