#include "evidence/evidencereport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cmath>

#include "instruments/dashboardstate.h"
#include "instruments/map/mappainter.h"
#include "track/numbertext.h"

namespace {

const char kStyle[] = "<style>body{font-family:sans-serif;font-size:9pt}h1{font-size:14pt}h2{font-size:11pt;"
                      "margin-bottom:2pt}table{border-collapse:collapse}th,td{text-align:left;padding:1pt 6pt 1pt 0;"
                      "vertical-align:top}.hash{font-family:monospace;font-size:7pt}</style>";

QString esc(const QString &text) { return text.toHtmlEscaped(); }
QString esc(const std::string &text) { return esc(QString::fromUtf8(text.data(), qsizetype(text.size()))); }

QString number(double value, int decimals)
{
    return std::isfinite(value) ? QString::number(value, 'f', decimals) : QStringLiteral("-");
}

QString seconds(double value)
{
    return std::isinf(value) ? QStringLiteral("end") : number(value, 1) + QStringLiteral(" s");
}

// Speeds as the window's read-outs convert them.
QString speed(double kmh, const QString &unit)
{
    if (unit == QLatin1String("MPH"))
        return number(double(float(kmh) * 0.6214), 1) + QStringLiteral(" mph");
    return number(kmh, 1) + QStringLiteral(" km/h");
}

QString position(const std::optional<EvidenceFacts::Sample> &s, const EvidenceFacts &f)
{
    if (!s)
        return QStringLiteral("none in the range");
    return esc(sixDecimals(leadingDouble(s->item.latitude))) + QStringLiteral(", ") +
           esc(sixDecimals(leadingDouble(s->item.longitude))) + QStringLiteral(" at ") + esc(s->item.time) +
           QStringLiteral(" (") + esc(f.parts[s->part].name) + QStringLiteral(", second ") +
           QString::number(qulonglong(s->index)) + QLatin1Char(')');
}

QString row(const QString &label, const QString &value)
{
    return QStringLiteral("<tr><th>") + label + QStringLiteral("</th><td>") + value + QStringLiteral("</td></tr>\n");
}

const char *kindName(HarshKind kind)
{
    switch (kind) {
    case HarshKind::Brake: return "hard braking";
    case HarshKind::Accel: return "hard acceleration";
    case HarshKind::Turn: return "sharp turn";
    case HarshKind::Impact: return "impact";
    }
    return "event";
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
                             const QString &version, const QString &written, const QString &routeSource)
{
    QString h;
    h += QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Incident report</title>\n") +
         QLatin1String(kStyle) + QStringLiteral("</head><body>\n");
    h += QStringLiteral("<h1>Incident report</h1>\n<p>Written ") + esc(written) + QStringLiteral(" by Trava Player ") +
         esc(version) + QStringLiteral(". Times are the camera's clock as recorded, without a time zone.</p>\n");

    h += QStringLiteral("<h2>Recordings</h2>\n<table cellspacing=\"0\" cellpadding=\"2\">\n<tr><th>File</th><th>Recording</th><th>Range</th>"
                        "<th>Range on the camera clock</th></tr>\n");
    for (const EvidenceFacts::Part &p : f.parts) {
        const QString whole = p.recordingStart.isEmpty() ? QStringLiteral("no telemetry")
                                                         : esc(p.recordingStart) + QStringLiteral(" to ") + esc(p.recordingEnd);
        const QString range = p.rangeStart.isEmpty() ? QStringLiteral("-")
                                                     : esc(p.rangeStart) + QStringLiteral(" to ") + esc(p.rangeEnd);
        h += QStringLiteral("<tr><td>") + esc(p.name) + QStringLiteral("</td><td>") + whole + QStringLiteral("</td><td>") +
             seconds(p.from) + QStringLiteral(" to ") + seconds(p.to) + QStringLiteral("</td><td>") + range +
             QStringLiteral("</td></tr>\n");
    }
    h += QStringLiteral("</table>\n");

    h += QStringLiteral("<h2>Range</h2>\n<table cellspacing=\"0\" cellpadding=\"2\">\n");
    if (!f.parts.empty()) {
        const EvidenceFacts::Part &a = f.parts.front(), &b = f.parts.back();
        h += row(QStringLiteral("From"), esc(a.name) + QStringLiteral(" at ") + seconds(a.from) +
                                             (a.rangeStart.isEmpty() ? QString() : QStringLiteral(" (") + esc(a.rangeStart) + QLatin1Char(')')));
        h += row(QStringLiteral("To"), esc(b.name) + QStringLiteral(" at ") + seconds(b.to) +
                                           (b.rangeEnd.isEmpty() ? QString() : QStringLiteral(" (") + esc(b.rangeEnd) + QLatin1Char(')')));
    }
    h += row(QStringLiteral("Samples"), QString::number(qulonglong(f.samples)) + QStringLiteral(" (one a second)"));
    h += row(QStringLiteral("Position at the start"), position(f.start, f));
    h += row(QStringLiteral("Position at the peak"), position(f.peak, f));
    h += row(QStringLiteral("Top speed"), f.top ? speed(f.topKmh, unit) + QStringLiteral(" at ") + esc(f.top->item.time)
                                                : QStringLiteral("-"));
    h += row(QStringLiteral("Average speed"), f.samples ? speed(f.averageKmh, unit) : QStringLiteral("-"));
    h += row(QStringLiteral("Strongest G reading"),
             f.peak ? number(f.peakG, 2) + QStringLiteral(" g (gravity removed) at ") + esc(f.peak->item.time) +
                          QStringLiteral("; axes as recorded x ") + number(f.peak->item.gsensorX, 2) + QStringLiteral(", y ") +
                          number(f.peak->item.gsensorY, 2) + QStringLiteral(", z ") + number(f.peak->item.gsensorZ, 2)
                    : QStringLiteral("-"));
    h += QStringLiteral("</table>\n");

    h += QStringLiteral("<h2>Harsh events in the range</h2>\n");
    if (f.events.empty()) {
        h += QStringLiteral("<p>None.</p>\n");
    } else {
        h += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">\n");
        for (const EvidenceFacts::Event &e : f.events)
            h += QStringLiteral("<tr><td>") + esc(e.event.time) + QStringLiteral("</td><td>") +
                 QString::fromLatin1(kindName(e.event.kind)) + QStringLiteral("</td><td>") + number(e.event.peakG, 2) +
                 QStringLiteral(" g</td><td>") + esc(f.parts[e.part].name) + QStringLiteral(", second ") +
                 QString::number(qulonglong(e.event.index)) + QStringLiteral("</td></tr>\n");
        h += QStringLiteral("</table>\n");
    }

    if (!routeSource.isEmpty())
        h += QStringLiteral("<h2>Route</h2>\n<p><img src=\"") + esc(routeSource) +
             QStringLiteral("\" width=\"320\" height=\"200\" alt=\"route\"></p>\n");

    h += QStringLiteral("<h2>SHA-256</h2>\n<table cellspacing=\"0\" cellpadding=\"2\">\n");
    for (const EvidenceHash &x : hashes)
        h += QStringLiteral("<tr><td>") + esc(x.role) + QStringLiteral("</td><td>") + esc(QFileInfo(x.path).fileName()) +
             QStringLiteral("</td><td class=\"hash\">") + esc(QString::fromLatin1(x.hex)) + QStringLiteral("</td></tr>\n");
    h += QStringLiteral("</table>\n<p>The file ending in .sha256 beside this report lists these and the report itself; "
                        "<code>sha256sum -c</code> run in this folder checks them.</p>\n</body></html>\n");
    return h;
}

QByteArray EvidenceReport::pdf(const QString &html, const QImage &route, QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Incident report"));
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
