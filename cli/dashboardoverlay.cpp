#include "cli/dashboardoverlay.h"

#include <QPainter>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "cli/trackexport.h"
#include "track/trackdecoder.h"

DashboardRenderer::Widgets dashboardWidgets(const std::vector<std::string> &names)
{
    DashboardRenderer::Widgets w;
    for (const std::string &n : names) {
        if (n == "speed")
            w |= DashboardRenderer::SpeedReadout;
        else if (n == "dial")
            w |= DashboardRenderer::Dial;
        else if (n == "time")
            w |= DashboardRenderer::DateTime;
        else if (n == "position")
            w |= DashboardRenderer::Position;
        else if (n == "compass")
            w |= DashboardRenderer::Compass;
        else if (n == "gsensor")
            w |= DashboardRenderer::GSensor;
        else if (n == "route")
            w |= DashboardRenderer::Route;
    }
    return w;
}

DashboardRenderer::Placement dashboardPlacement(const std::string &place)
{
    if (place == "band-top")
        return DashboardRenderer::Placement::TopBand;
    if (place == "corner")
        return DashboardRenderer::Placement::BottomLeft;
    return DashboardRenderer::Placement::BottomBand;
}

Track recordingTrack(const std::string &path)
{
    const DecodedFile file = decodeFile(path);
    if (!file.unreadable.empty() || file.lines.empty())
        return nullptr;
    // The window drops repeated lines before decoding; so does the clip.
    std::vector<std::string> lines;
    std::unordered_set<std::string> seen;
    for (const std::string &l : file.lines)
        if (seen.insert(l).second)
            lines.push_back(l);
    return decodeGpsData(lines);
}

DashboardOverlay::DashboardOverlay(std::vector<Track> tracks, DashboardRenderer::Widgets widgets,
                                   DashboardRenderer::Placement placement, const QString &speedUnit)
    : m_tracks(std::move(tracks)), m_renderer(widgets, placement), m_unit(speedUnit)
{
    for (const Track &t : m_tracks)
        m_events.push_back(detectHarshEvents(t));
}

DashboardState DashboardOverlay::stateAt(std::size_t recording, double inRecording) const
{
    const Track track = recording < m_tracks.size() ? m_tracks[recording] : nullptr;
    DashboardState s = dashboardStateAt(track, inRecording, m_unit);
    if (recording < m_events.size())
        s.events = m_events[recording];
    if (m_tracks.size() > 1)
        for (const Track &t : m_tracks)
            if (trackSize(t))
                s.tripParts.push_back(t);
    // The read-out's own figure ("42KMH") with the unit spelt out for a viewer of the clip.
    QString figure = s.readouts.speed;
    if (figure.endsWith(m_unit))
        figure.chop(m_unit.size());
    s.readouts.speed = figure + (m_unit == QLatin1String("MPH") ? QStringLiteral(" mph") : QStringLiteral(" km/h"));
    return s;
}

QImage DashboardOverlay::render(std::size_t recording, double inRecording, QSize frame) const
{
    const QRect band = m_renderer.bandRect(frame);
    if (band.isEmpty())
        return QImage();
    return m_renderer.render(stateAt(recording, inRecording), band.size());
}

bool DashboardOverlay::operator()(const clip::FrameTime &time, int frameWidth, int frameHeight, clip::Overlay &overlay)
{
    // The picture depends on the recording and the sample on display alone.
    const Track track = time.recording < m_tracks.size() ? m_tracks[time.recording] : nullptr;
    const std::size_t n = trackSize(track);
    long long sample = -1;
    if (std::isfinite(time.inRecording) && time.inRecording > 0 && n > 0)
        sample = (long long)std::fmin(std::floor(time.inRecording), double(n - 1));
    const long long key = (long long)time.recording * 1000000LL + sample;
    const QSize size(frameWidth, frameHeight);
    if (key == m_shownKey && size == m_shownSize && !overlay.pixels.empty())
        return false;
    m_shownKey = key;
    m_shownSize = size;
    const QRect band = m_renderer.bandRect(size);
    QImage img = render(time.recording, time.inRecording, size);
    if (img.isNull()) {
        overlay = {};
        return true;
    }
    img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    overlay.x = band.x();
    overlay.y = band.y();
    overlay.width = img.width();
    overlay.height = img.height();
    overlay.stride = int(img.bytesPerLine());
    overlay.pixels.resize(std::size_t(img.sizeInBytes()));
    std::memcpy(overlay.pixels.data(), img.constBits(), overlay.pixels.size());
    return true;
}
