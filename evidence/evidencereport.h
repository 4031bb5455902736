#pragma once
// The one-page report of an evidence package, as HTML (every outside text escaped) and as
// PDF drawn by Qt's own writer from the same document, and the picture of the route.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include "evidence/evidencefacts.h"

class TileSource;

struct EvidenceHash {
    QString path;     // the file hashed
    QString role;     // "source", "clip", "track"
    QByteArray hex;   // lower-case SHA-256
};

namespace EvidenceReport {
inline constexpr QSize kRouteSize{640, 400};

// The route of the range's samples: tiles already in memory drawn where source has them,
// the offline look everywhere else. tiles may be null. Call on the thread that owns tiles.
QImage routePicture(const QList<EvidenceRecording> &recordings, TileSource *tiles = nullptr,
                    QSize size = kRouteSize, const QString &speedUnit = QStringLiteral("KMH"));

// The report's HTML. routeSource is the <img> source of the route picture ("" leaves it out).
// language: "en", "ja", "fr" or "de" (any other: "en"); its texts, never its numbers or times.
QString html(const EvidenceFacts &facts, const QString &speedUnit, const QList<EvidenceHash> &hashes,
             const QString &version, const QString &written, const QString &routeSource,
             const QString &language = QString());

// The same document on one A4 page as PDF; the route picture is handed in as an image.
// Empty with *error when it cannot be drawn.
QByteArray pdf(const QString &html, const QImage &route, QString *error);

// Finds and opens the report's fonts, the slowest part of a first report, by drawing a small
// one; run on another thread while something else goes on, the real report is then quicker.
void loadFonts();

// A data: URL of a PNG of the picture, for a report that must stand alone.
QString pngDataUrl(const QImage &image);
} // namespace EvidenceReport
