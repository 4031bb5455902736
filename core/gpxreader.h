#pragma once
// Reads the points of a GPX file (1.0 or 1.1) from a phone app, a bike computer or
// GPSBabel: every trkpt of every track and segment in file order (the rtept of a route when
// the file has no track), with its time and, where the file carries one, its speed. Any
// namespace and any extension are accepted; unknown elements are stepped over.
// The document passes XmlLimits first, so that a hostile file is refused in time linear in
// its size, and the points are then cleaned (cleanPoints): what cannot be placed is left out
// and counted. Blocking: run it off the window's thread.
#include <QString>
#include <optional>
#include <vector>

#include "track/importedtrack.h"

struct GpxRead {
    std::vector<TrackPoint> points;  // cleaned
    PointCleaning cleaning;
    QString error;                   // empty when the file was read
    bool truncated = false;          // more than kMaxPoints: the first ones were kept
    bool ok() const { return error.isEmpty(); }
};

namespace GpxReader {

// Phone logs of a day at one point a second with extensions stay well inside these.
constexpr qint64 kMaxBytes = 64 * 1024 * 1024;
constexpr int kMaxElements = 4 * 1000 * 1000;
constexpr int kMaxDepth = 64;
constexpr int kMaxAttributes = 64;
constexpr std::size_t kMaxPoints = 500 * 1000;

GpxRead readFile(const QString &path);
GpxRead readData(const QByteArray &data);

// "2026-05-14T12:05:12Z", with fractions of a second and an offset ("+02:00", "+0200") or
// none (read as UTC); seconds since 1970 (UTC). Nothing for anything else.
std::optional<double> isoSeconds(QStringView text);

} // namespace GpxReader
