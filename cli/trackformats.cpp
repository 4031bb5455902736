#include "cli/trackformats.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "track/numbertext.h"

namespace {

// The shortest text that reads back as the same 32-bit value, as the library printed it.
std::string axisText(double value)
{
    if (value == 0)
        return "0"; // not "-0" for a reading of -0.00
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, float(value));
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string speedText(const GPSItem &s)
{
    const double v = leadingDouble(s.speed);
    if (!std::isfinite(v))
        return "0.0";
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 1);
    return ec == std::errc() ? std::string(buf, end) : std::string("0.0");
}

std::string lat(const GPSItem &s) { return sixDecimals(leadingDouble(s.latitude)); }
// The 180th meridian is written as -180 in every format: GPX allows longitudes in
// [-180, 180) only, and a track must not change sides between two exports of it.
std::string lon(const GPSItem &s)
{
    std::string text = sixDecimals(leadingDouble(s.longitude));
    if (text == "180.000000")
        text.insert(text.begin(), '-');
    return text;
}

// File names on Linux are bytes; XML and JSON need UTF-8. Invalid sequences become U+FFFD.
std::string validUtf8(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        bool ok = n > 0 && i + n <= text.size();
        for (std::size_t k = 1; ok && k < n; ++k)
            ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (ok && n > 1) {
            // No overlong forms, surrogates or code points past U+10FFFF.
            unsigned cp = c & (0xFF >> (n + 1));
            for (std::size_t k = 1; k < n; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            const unsigned minimum[] = {0, 0, 0x80, 0x800, 0x10000};
            ok = cp >= minimum[n] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        }
        if (ok) {
            out.append(text, i, n);
            i += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

std::string xmlEscaped(const std::string &raw)
{
    const std::string text = validUtf8(raw);
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // Control characters are not allowed in XML 1.0 at all.
            if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                out += char(c);
        }
    }
    return out;
}

std::string jsonString(const std::string &raw)
{
    const std::string text = validUtf8(raw);
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string csvField(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::vector<const GPSItem *> placedSamples(const Track &track)
{
    std::vector<const GPSItem *> out;
    if (!track)
        return out;
    out.reserve(track->size());
    for (const GPSItem &s : *track) {
        if (hasValidPosition(s))
            out.push_back(&s);
    }
    return out;
}

// A time as CSV, KML and GeoJSON write it: with the zone's offset when one was chosen.
std::string zonedIso(const ZonedClock &clock, const std::string &time)
{
    return clock.converts() ? clock.isoText(time) : isoTime(time);
}

bool isDigits(const std::string &t, std::size_t from, std::size_t count)
{
    for (std::size_t i = from; i < from + count; ++i) {
        if (t[i] < '0' || t[i] > '9')
            return false;
    }
    return true;
}

} // namespace

std::string isoTime(const std::string &t)
{
    if (t.size() != 19 || t[4] != '/' || t[7] != '/' || t[10] != ' ' || t[13] != ':' || t[16] != ':')
        return {};
    if (!isDigits(t, 0, 4) || !isDigits(t, 5, 2) || !isDigits(t, 8, 2) || !isDigits(t, 11, 2) ||
        !isDigits(t, 14, 2) || !isDigits(t, 17, 2))
        return {};
    std::string iso = t;
    iso[4] = iso[7] = '-';
    iso[10] = 'T';
    return iso;
}

bool hasValidPosition(const GPSItem &s)
{
    const double la = leadingDouble(s.latitude);
    const double lo = leadingDouble(s.longitude);
    return std::isfinite(la) && std::isfinite(lo) && std::fabs(la) <= 90 && std::fabs(lo) <= 180;
}

void writeCsv(const std::vector<NamedTrack> &tracks, std::ostream &out)
{
    out << "index,time,latitude,longitude,speed_kmh,gsensor_x,gsensor_y,gsensor_z\r\n";
    for (const NamedTrack &t : tracks) {
        if (!t.track)
            continue;
        // The index is the sample's playback second within its recording.
        for (std::size_t i = 0; i < t.track->size(); ++i) {
            const GPSItem &s = (*t.track)[i];
            if (!hasValidPosition(s))
                continue;
            out << i << ',' << csvField(zonedIso(t.clock, s.time)) << ',' << lat(s) << ',' << lon(s) << ',' << speedText(s) << ','
                << axisText(s.gsensorX) << ',' << axisText(s.gsensorY) << ',' << axisText(s.gsensorZ) << "\r\n";
        }
    }
}

void writeGpx(const std::vector<NamedTrack> &tracks, std::ostream &out)
{
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"trava-gps\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    for (const NamedTrack &t : tracks) {
        const auto samples = placedSamples(t.track);
        if (samples.empty())
            continue;
        out << "  <trk>\n    <name>" << xmlEscaped(t.name) << "</name>\n    <trkseg>\n";
        for (const GPSItem *s : samples) {
            out << "      <trkpt lat=\"" << lat(*s) << "\" lon=\"" << lon(*s) << "\">";
            // GPX times are UTC: with a zone chosen they say so with a Z.
            const std::string when = t.clock.converts() ? t.clock.utcIsoText(s->time) : isoTime(s->time);
            if (!when.empty())
                out << "<time>" << when << "</time>";
            out << "</trkpt>\n";
        }
        out << "    </trkseg>\n  </trk>\n";
    }
    out << "</gpx>\n";
}

void writeKml(const std::vector<NamedTrack> &tracks, std::ostream &out)
{
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n  <Document>\n    <name>trava-gps</name>\n";
    auto placemark = [&out](const std::string &name, const GPSItem &s, const ZonedClock &clock) {
        out << "    <Placemark>\n      <name>" << xmlEscaped(name) << "</name>\n";
        if (const std::string when = zonedIso(clock, s.time); !when.empty())
            out << "      <TimeStamp><when>" << when << "</when></TimeStamp>\n";
        out << "      <Point><coordinates>" << lon(s) << ',' << lat(s) << "</coordinates></Point>\n    </Placemark>\n";
    };
    for (const NamedTrack &t : tracks) {
        const auto samples = placedSamples(t.track);
        if (samples.empty())
            continue;
        out << "    <Placemark>\n      <name>" << xmlEscaped(t.name) << "</name>\n      <LineString>\n"
            << "        <tessellate>1</tessellate>\n        <coordinates>\n";
        for (const GPSItem *s : samples)
            out << "          " << lon(*s) << ',' << lat(*s) << "\n";
        out << "        </coordinates>\n      </LineString>\n    </Placemark>\n";
        placemark("Start " + t.name, *samples.front(), t.clock);
        placemark("End " + t.name, *samples.back(), t.clock);
    }
    out << "  </Document>\n</kml>\n";
}

void writeGeoJson(const std::vector<NamedTrack> &tracks, std::ostream &out)
{
    out << "{\"type\":\"FeatureCollection\",\"features\":[";
    bool firstFeature = true;
    for (const NamedTrack &t : tracks) {
        const auto samples = placedSamples(t.track);
        if (samples.empty())
            continue;
        out << (firstFeature ? "\n" : ",\n");
        firstFeature = false;
        // A LineString needs two positions; a single sample is a Point.
        const bool line = samples.size() > 1;
        out << "{\"type\":\"Feature\",\"geometry\":{\"type\":\"" << (line ? "LineString" : "Point")
            << "\",\"coordinates\":";
        if (line)
            out << '[';
        for (std::size_t i = 0; i < samples.size(); ++i)
            out << (i ? "," : "") << '[' << lon(*samples[i]) << ',' << lat(*samples[i]) << ']';
        if (line)
            out << ']';
        out << "},\"properties\":{\"name\":" << jsonString(t.name) << ",\"times\":[";
        // ISO 8601 like GPX and KML; null for a time text that is not a date and time.
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const std::string when = zonedIso(t.clock, samples[i]->time);
            out << (i ? "," : "") << (when.empty() ? std::string("null") : jsonString(when));
        }
        out << "],\"speeds_kmh\":[";
        for (std::size_t i = 0; i < samples.size(); ++i)
            out << (i ? "," : "") << speedText(*samples[i]);
        out << "]}}";
    }
    out << "\n]}\n";
}

void writeEvents(const std::vector<NamedTrack> &tracks, HarshSensitivity sensitivity, std::ostream &out)
{
    if (tracks.empty())
        out << "index,time,kind,peak_g\n";
    for (const NamedTrack &t : tracks) {
        if (tracks.size() > 1)
            out << "# " << t.name << "\n";
        out << "index,time,kind,peak_g\n";
        for (const HarshEvent &e : detectHarshEvents(t.track, sensitivity)) {
            char peak[64];
            const auto [end, ec] = std::to_chars(peak, peak + sizeof peak, e.peakG, std::chars_format::fixed, 2);
            out << e.index << ',' << csvField(e.time) << ',' << harshKindName(e.kind) << ','
                << (ec == std::errc() ? std::string(peak, end) : std::string("0.00")) << "\n";
        }
    }
}
