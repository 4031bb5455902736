#include "evidence/evidencereport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QUrl>
#include <cmath>

#include "core/mlanguagemanager.h"
#include "instruments/dashboardstate.h"
#include "instruments/map/mappainter.h"
#include "track/numbertext.h"

namespace {

const char kStyle[] = "<style>body{font-family:sans-serif;font-size:9pt}h1{font-size:14pt}h2{font-size:11pt;"
                      "margin-bottom:2pt}table{border-collapse:collapse}th,td{text-align:left;padding:1px 8px 1px 0px;"
                      "vertical-align:top}.hash{font-family:monospace;font-size:7pt}</style>";

QString esc(const QString &text) { return text.toHtmlEscaped(); }
QString esc(const std::string &text) { return esc(QString::fromUtf8(text.data(), qsizetype(text.size()))); }

// The report's texts in the language it is written in, escaped: a translation is text, not markup.
struct Texts {
    QString language;
    QString operator()(const char *key, const char *english) const
    {
        return esc(MLanguageManager::localized(language, key, english));
    }
};

QString number(double value, int decimals)
{
    return std::isfinite(value) ? QString::number(value, 'f', decimals) : QStringLiteral("-");
}

QString seconds(double value, const Texts &tr)
{
    return std::isinf(value) ? tr("Report.end", "end") : tr("Report.seconds", "%1 s").arg(number(value, 1));
}

// Speeds as the window's read-outs convert them.
QString speed(double kmh, const QString &unit)
{
    if (unit == QLatin1String("MPH"))
        return number(double(float(kmh) * 0.6214), 1) + QStringLiteral(" mph");
    return number(kmh, 1) + QStringLiteral(" km/h");
}

QString position(const std::optional<EvidenceFacts::Sample> &s, const EvidenceFacts &f, const Texts &tr)
{
    if (!s)
        return tr("Report.noPosition", "none in the range");
    const QString place = esc(sixDecimals(leadingDouble(s->item.latitude))) + QStringLiteral(", ") +
                          esc(sixDecimals(leadingDouble(s->item.longitude)));
    return tr("Report.positionAt", "%1 at %2 (%3, second %4)")
        .arg(place, esc(s->item.time), esc(f.parts[s->part].name), QString::number(qulonglong(s->index)));
}

QString row(const QString &label, const QString &value)
{
    return QStringLiteral("<tr><th>") + label + QStringLiteral("</th><td>") + value + QStringLiteral("</td></tr>\n");
}

QString kindName(HarshKind kind, const Texts &tr)
{
    switch (kind) {
    case HarshKind::Brake: return tr("Report.kind.brake", "hard braking");
    case HarshKind::Accel: return tr("Report.kind.accel", "hard acceleration");
    case HarshKind::Turn: return tr("Report.kind.turn", "sharp turn");
    case HarshKind::Impact: return tr("Report.kind.impact", "impact");
    }
    return tr("Report.kind.other", "event");
}

QString roleName(const QString &role, const Texts &tr)
{
    if (role == QLatin1String("source"))
        return tr("Report.role.source", "source");
    if (role == QLatin1String("clip"))
        return tr("Report.role.clip", "clip");
    if (role == QLatin1String("track"))
        return tr("Report.role.track", "track");
    return esc(role);
}

} // namespace

QImage EvidenceReport::routePicture(const QList<EvidenceRecording> &recordings, TileSource *tiles, QSize size,
                                    const QString &speedUnit)
{
    std::vector<GPSItem> samples;
    for (const EvidenceRecording &r : recordings) {
        std::size_t first = 0, end = 0;
        evidenceSampleRange(r.track, r.from, r.to, &first, &end);
        for (std::size_t i = first; i < end; ++i)
            samples.push_back((*r.track)[i]);
    }
    DashboardState state;
    state.track = std::make_shared<const std::vector<GPSItem>>(std::move(samples));
    state.speedUnit = speedUnit;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    MapPainter::paint(p, QRectF(QPointF(0, 0), QSizeF(size)), state, tiles);
    return image;
}

QString EvidenceReport::html(const EvidenceFacts &f, const QString &unit, const QList<EvidenceHash> &hashes,
                             const QString &version, const QString &written, const QString &routeSource,
                             const QString &language)
{
    const Texts tr{MLanguageManager::languageCodes().contains(language) ? language : QStringLiteral("en")};
    const QString title = tr("Report.title", "Incident report");
    const QString table = QStringLiteral("<table cellspacing=\"0\">\n");
    QString h;
    h += QStringLiteral("<!DOCTYPE html>\n<html lang=\"") + tr.language + QStringLiteral("\"><head><meta charset=\"utf-8\"><title>") +
         title + QStringLiteral("</title>\n") + QLatin1String(kStyle) + QStringLiteral("</head><body>\n");
    h += QStringLiteral("<h1>") + title + QStringLiteral("</h1>\n<p>") +
         tr("Report.written", "Written %1 by Trava Player %2.").arg(esc(written), esc(version)) + QLatin1Char(' ') +
         tr("Report.clockNote", "Times are the camera's clock as recorded, without a time zone.") + QStringLiteral("</p>\n");

    const QString span = tr("Report.span", "%1 to %2");
    h += QStringLiteral("<h2>") + tr("Report.recordings", "Recordings") + QStringLiteral("</h2>\n") + table +
         QStringLiteral("<tr><th>") + tr("Report.file", "File") + QStringLiteral("</th><th>") +
         tr("Report.recording", "Recording") + QStringLiteral("</th><th>") + tr("Report.range", "Range") +
         QStringLiteral("</th><th>") + tr("Report.cameraRange", "Range on the camera clock") + QStringLiteral("</th></tr>\n");
    for (const EvidenceFacts::Part &p : f.parts) {
        const QString whole = p.recordingStart.isEmpty() ? tr("Report.noTelemetry", "no telemetry")
                                                         : span.arg(esc(p.recordingStart), esc(p.recordingEnd));
        const QString range = p.rangeStart.isEmpty() ? QStringLiteral("-") : span.arg(esc(p.rangeStart), esc(p.rangeEnd));
        h += QStringLiteral("<tr><td>") + esc(p.name) + QStringLiteral("</td><td>") + whole + QStringLiteral("</td><td>") +
             span.arg(seconds(p.from, tr), seconds(p.to, tr)) + QStringLiteral("</td><td>") + range +
             QStringLiteral("</td></tr>\n");
    }
    h += QStringLiteral("</table>\n");

    h += QStringLiteral("<h2>") + tr("Report.range", "Range") + QStringLiteral("</h2>\n") + table;
    if (!f.parts.empty()) {
        const EvidenceFacts::Part &a = f.parts.front(), &b = f.parts.back();
        const QString at = tr("Report.fileAt", "%1 at %2"), clock = tr("Report.clockInBrackets", "(%1)");
        h += row(tr("Report.from", "From"), at.arg(esc(a.name), seconds(a.from, tr)) +
                                                (a.rangeStart.isEmpty() ? QString() : QLatin1Char(' ') + clock.arg(esc(a.rangeStart))));
        h += row(tr("Report.to", "To"), at.arg(esc(b.name), seconds(b.to, tr)) +
                                            (b.rangeEnd.isEmpty() ? QString() : QLatin1Char(' ') + clock.arg(esc(b.rangeEnd))));
    }
    h += row(tr("Report.samples", "Samples"),
             tr("Report.samplesCount", "%1 (one a second)").arg(QString::number(qulonglong(f.samples))));
    h += row(tr("Report.startPosition", "Position at the start"), position(f.start, f, tr));
    h += row(tr("Report.peakPosition", "Position at the peak"), position(f.peak, f, tr));
    h += row(tr("Report.topSpeed", "Top speed"),
             f.top ? tr("Report.valueAt", "%1 at %2").arg(speed(f.topKmh, unit), esc(f.top->item.time)) : QStringLiteral("-"));
    h += row(tr("Report.averageSpeed", "Average speed"), f.samples ? speed(f.averageKmh, unit) : QStringLiteral("-"));
    h += row(tr("Report.strongestG", "Strongest G reading"),
             f.peak ? tr("Report.gReading", "%1 g (gravity removed) at %2; axes as recorded x %3, y %4, z %5")
                          .arg(number(f.peakG, 2), esc(f.peak->item.time), number(f.peak->item.gsensorX, 2),
                               number(f.peak->item.gsensorY, 2), number(f.peak->item.gsensorZ, 2))
                    : QStringLiteral("-"));
    h += QStringLiteral("</table>\n");

    h += QStringLiteral("<h2>") + tr("Report.harshEvents", "Harsh events in the range") + QStringLiteral("</h2>\n");
    if (f.events.empty()) {
        h += QStringLiteral("<p>") + tr("Report.none", "None.") + QStringLiteral("</p>\n");
    } else {
        h += table;
        const QString second = tr("Report.fileSecond", "%1, second %2");
        for (const EvidenceFacts::Event &e : f.events)
            h += QStringLiteral("<tr><td>") + esc(e.event.time) + QStringLiteral("</td><td>") + kindName(e.event.kind, tr) +
                 QStringLiteral("</td><td>") + number(e.event.peakG, 2) + QStringLiteral(" g</td><td>") +
                 second.arg(esc(f.parts[e.part].name), QString::number(qulonglong(e.event.index))) +
                 QStringLiteral("</td></tr>\n");
        h += QStringLiteral("</table>\n");
    }

    if (!routeSource.isEmpty())
        h += QStringLiteral("<h2>") + tr("Report.route", "Route") + QStringLiteral("</h2>\n<p><img src=\"") + esc(routeSource) +
             QStringLiteral("\" width=\"320\" height=\"200\" alt=\"") + tr("Report.route", "Route") +
             QStringLiteral("\"></p>\n");

    h += QStringLiteral("<h2>SHA-256</h2>\n") + table;
    for (const EvidenceHash &x : hashes)
        h += QStringLiteral("<tr><td>") + roleName(x.role, tr) + QStringLiteral("</td><td>") +
             esc(QFileInfo(x.path).fileName()) + QStringLiteral("</td><td class=\"hash\">") +
             esc(QString::fromLatin1(x.hex)) + QStringLiteral("</td></tr>\n");
    h += QStringLiteral("</table>\n<p>") +
         tr("Report.checksumNote", "The file ending in .sha256 beside this report lists these and the report itself; "
                                   "%1 run in this folder checks them.")
             .arg(QStringLiteral("<code>sha256sum&nbsp;-&#8288;c</code>")) + // one word: never broken at the hyphen
         QStringLiteral("</p>\n</body></html>\n");
    return h;
}

QByteArray EvidenceReport::pdf(const QString &html, const QImage &route, QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Trava Player"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        QTextDocument doc;
        if (!route.isNull())
            doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("route.png")), route);
        QString text = html;
        // The PDF carries the picture itself, not the HTML file's data: URL.
        const qsizetype at = text.indexOf(QStringLiteral("<img src=\""));
        if (at >= 0) {
            const qsizetype from = at + 10, to = text.indexOf(QLatin1Char('"'), from);
            if (to > from)
                text.replace(from, to - from, QStringLiteral("route.png"));
        }
        doc.setHtml(text);
        // The title in the report's own language, as its <title> gives it.
        writer.setTitle(doc.metaInformation(QTextDocument::DocumentTitle));
        // Laid out on the writer's own page, and a little smaller where a language's longer
        // words or taller script would spill onto a second one: the report is one page.
        doc.documentLayout()->setPaintDevice(&writer);
        doc.setDocumentMargin(0);
        const QSizeF page(writer.width(), writer.height());
        for (double scale = 1.0; scale < 1.45; scale += 0.05) {
            doc.setPageSize(page * scale);
            if (doc.pageCount() <= 1)
                break;
        }
        doc.print(&writer);
    }
    buffer.close();
    if (bytes.isEmpty() && error)
        *error = QStringLiteral("the PDF could not be drawn");
    return bytes;
}

void EvidenceReport::loadFonts()
{
    QString ignored;
    pdf(QStringLiteral("<html><head>") + QLatin1String(kStyle) +
            QStringLiteral("</head><body><h1>Report</h1><h2>Range</h2><table><tr><th>File</th><td>0.0 km/h</td>"
                           "<td class=\"hash\">0123456789abcdef</td></tr></table></body></html>"),
        QImage(), &ignored);
}

QString EvidenceReport::pngDataUrl(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}
