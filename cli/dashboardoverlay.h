#pragma once
// The dashboard of a burned-in clip: for each frame, the state the window would show at that
// picture's time in its recording, painted by DashboardRenderer into the clip's overlay only
// when the sample on display changes.
#include <QImage>
#include <QString>
#include <string>
#include <vector>

#include "clip/clipexport.h"
#include "instruments/dashboardrenderer.h"
#include "instruments/dashboardstate.h"

class DashboardOverlay {
public:
    // tracks: one per recording, in the clip's order (a null track: no telemetry).
    DashboardOverlay(std::vector<Track> tracks, DashboardRenderer::Widgets widgets,
                     DashboardRenderer::Placement placement, const QString &speedUnit);

    // The clip library's overlay callback.
    bool operator()(const clip::FrameTime &time, int frameWidth, int frameHeight, clip::Overlay &overlay);

    // The state painted for a time in a recording: the window's, with the large speed
    // read-out written as digits and " km/h" or " mph".
    DashboardState stateAt(std::size_t recording, double inRecording) const;
    // The picture painted for a frame of that size (the band alone), and where it goes.
    QImage render(std::size_t recording, double inRecording, QSize frame) const;
    QRect bandRect(QSize frame) const { return m_renderer.bandRect(frame); }
    const DashboardRenderer &renderer() const { return m_renderer; }

private:
    std::vector<Track> m_tracks;
    std::vector<std::vector<HarshEvent>> m_events;
    DashboardRenderer m_renderer;
    QString m_unit;
    long long m_shownKey = -2;
    QSize m_shownSize;
};

// Widget names of the command line (speed, dial, time, position, compass, gsensor, route).
DashboardRenderer::Widgets dashboardWidgets(const std::vector<std::string> &names);
// band-bottom, band-top, corner.
DashboardRenderer::Placement dashboardPlacement(const std::string &place);
// A recording's track as the window decodes it (no telemetry: a null track).
Track recordingTrack(const std::string &path);
