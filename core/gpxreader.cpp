#include "core/gpxreader.h"

#include <QFile>
#include <QXmlStreamReader>
#include <charconv>
#include <cmath>
#include <string>

#include "core/xmllimits.h"
#include "track/cameraclock.h"

namespace {

bool digitsAt(QStringView t, qsizetype at, qsizetype count, int *value)
{
    if (at + count > t.size())
        return false;
    int v = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const QChar c = t[i];
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c.unicode() - '0');
    }
    *value = v;
    return true;
}

// A decimal number as the file writes it, whatever the locale; nothing for anything else
// (QString::toDouble reads "nan" and "inf", which are no positions).
std::optional<double> number(QStringView text)
{
    const QString t = text.trimmed().toString();
    if (t.isEmpty() || t.size() > 40)
        return std::nullopt;
    for (QChar c : t)
        if (!(c.isDigit() || c == u'.' || c == u'-' || c == u'+' || c == u'e' || c == u'E'))
            return std::nullopt;
    const std::string bytes = t.toStdString();
    const char *begin = bytes.data() + (bytes.front() == '+' ? 1 : 0);
    double v = 0;
    const auto [end, ec] = std::from_chars(begin, bytes.data() + bytes.size(), v);
    return ec == std::errc() && end == bytes.data() + bytes.size() && std::isfinite(v) ? std::optional<double>(v)
                                                                                        : std::nullopt;
}

struct Collected {
    std::vector<TrackPoint> track, route;
    bool tooMany = false;
};

// One trkpt or rtept, the reader on its start tag; leaves it on the end tag.
TrackPoint readPoint(QXmlStreamReader &xml)
{
    TrackPoint p;
    const auto lat = number(xml.attributes().value(QLatin1String("lat")));
    const auto lon = number(xml.attributes().value(QLatin1String("lon")));
    p.latitude = lat.value_or(std::nan(""));
    p.longitude = lon.value_or(std::nan(""));
    int level = 1;
    while (level > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) {
            --level;
        } else if (xml.isStartElement()) {
            ++level;
            const QStringView name = xml.name();
            // time, and speed in m/s: GPX 1.0's own, or 1.1 extensions (Garmin's gpxtpx:speed,
            // phone apps' plain <speed>) by their local name.
            if (name == QLatin1String("time") && level == 2) {
                p.utcSeconds = GpxReader::isoSeconds(xml.readElementText());
                --level;
            } else if (name == QLatin1String("speed")) {
                if (const auto v = number(xml.readElementText()))
                    p.speedKmh = *v * 3.6;
                --level;
            }
        }
    }
    return p;
}

} // namespace

std::optional<double> GpxReader::isoSeconds(QStringView t)
{
    t = t.trimmed();
    int y, mo, d, h, mi, s;
    if (t.size() < 19 || t.size() > 40 || t[4] != u'-' || t[7] != u'-' || (t[10] != u'T' && t[10] != u' ') ||
        t[13] != u':' || t[16] != u':')
        return std::nullopt;
    if (!digitsAt(t, 0, 4, &y) || !digitsAt(t, 5, 2, &mo) || !digitsAt(t, 8, 2, &d) || !digitsAt(t, 11, 2, &h) ||
        !digitsAt(t, 14, 2, &mi) || !digitsAt(t, 17, 2, &s))
        return std::nullopt;
    const auto civil = civilSeconds(y, mo, d, h, mi, s == 60 ? 59 : s);
    if (!civil)
        return std::nullopt;
    double fraction = 0;
    qsizetype i = 19;
    if (i < t.size() && (t[i] == u'.' || t[i] == u',')) {
        double scale = 0.1;
        for (++i; i < t.size() && t[i].isDigit(); ++i, scale /= 10)
            fraction += (t[i].unicode() - '0') * scale;
    }
    int offset = 0;
    if (i < t.size()) {
        const QStringView zone = t.sliced(i);
        int oh = 0, om = 0;
        if (zone == u"Z") {
        } else if ((zone[0] == u'+' || zone[0] == u'-') && digitsAt(zone, 1, 2, &oh) &&
                   ((zone.size() == 6 && zone[3] == u':' && digitsAt(zone, 4, 2, &om)) ||
                    (zone.size() == 5 && digitsAt(zone, 3, 2, &om)) || zone.size() == 3) &&
                   oh <= 14 && om < 60) {
            offset = (oh * 3600 + om * 60) * (zone[0] == u'-' ? -1 : 1);
        } else {
            return std::nullopt;
        }
    }
    return double(*civil - offset) + fraction;
}

GpxRead GpxReader::readData(const QByteArray &data)
{
    GpxRead r;
    QString refused;
    if (!XmlLimits::check(data, {kMaxBytes, kMaxAttributes, kMaxElements, kMaxDepth}, &refused)) {
        r.error = refused;
        return r;
    }
    QXmlStreamReader xml(data);
    Collected c;
    bool root = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (!root) {
            if (xml.name() != QLatin1String("gpx")) {
                r.error = QStringLiteral("not a GPX document");
                return r;
            }
            root = true;
            continue;
        }
        const bool trk = xml.name() == QLatin1String("trkpt");
        if (!trk && xml.name() != QLatin1String("rtept"))
            continue;
        if (c.track.size() + c.route.size() >= kMaxPoints) {
            c.tooMany = true;
            break;
        }
        (trk ? c.track : c.route).push_back(readPoint(xml));
    }
    if (xml.hasError() && !c.tooMany) {
        r.error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
        return r;
    }
    r.points = c.track.empty() ? std::move(c.route) : std::move(c.track);
    r.truncated = c.tooMany;
    if (r.points.empty()) {
        r.error = QStringLiteral("no track points");
        return r;
    }
    r.cleaning = cleanPoints(r.points);
    if (r.points.empty())
        r.error = QStringLiteral("no point with a valid position");
    return r;
}

GpxRead GpxReader::readFile(const QString &path)
{
    GpxRead r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.error = f.errorString();
        return r;
    }
    // Refused before reading: a file past the cap is not loaded into memory at all.
    if (f.size() > kMaxBytes) {
        r.error = QStringLiteral("file too large (over %1 MiB)").arg(kMaxBytes / (1024 * 1024));
        return r;
    }
    return readData(f.read(kMaxBytes + 1));
}
