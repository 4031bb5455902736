#pragma once
// What File -> Export Clip... asks for, as a plain value: the stretch of each recording (one,
// or consecutive recordings of one drive), the channels, the output, and how the clip is made.
// The export runner turns it into files.
#include <QList>
#include <QString>
#include <QStringList>
#include <limits>

#include "instruments/dashboardrenderer.h"

struct ClipRecording {
    static constexpr double kEnd = std::numeric_limits<double>::infinity();
    QString path;
    double from = 0;   // seconds from the recording's start
    double to = kEnd;  // seconds; kEnd: to its end
    bool operator==(const ClipRecording &) const = default;
};

struct ClipRequest {
    enum class Kind {
        Original,      // the recordings' own packets, copied unchanged
        WithDashboard, // re-encoded with the dashboard painted on every frame
    };
    enum class Range { Marks, Event, Recording, Trip };

    Range range = Range::Recording; // what the stretch came from (the recordings say where it is)
    QList<ClipRecording> recordings; // the shown channel, in order
    // With every channel of the group: the further channels' recordings over the same stretches,
    // one list per channel, each as long as recordings (the entry of a moment without that
    // channel has an empty path). Empty: the shown channel alone.
    QList<QList<ClipRecording>> otherChannels;
    QStringList otherChannelNames;  // the channel of each list above ("rear", ...), for the file names
    QList<double> otherChannelOffsets; // seconds each is shown ahead (+) or behind (-), as in the window
    QString output;                 // the clip's path (".mp4")
    Kind kind = Kind::Original;
    DashboardRenderer::Widgets widgets;
    DashboardRenderer::Placement placement = DashboardRenderer::Placement::BottomBand;
    QString layout = QStringLiteral("main"); // several channels burned in: "main", "pip", "side", "grid"
    QString speedUnit = QStringLiteral("KMH");
    bool evidence = true;           // the evidence package beside the clip
};

// The widgets burned in when nothing was chosen yet: speed, date and time, position, G-sensor.
inline DashboardRenderer::Widgets defaultClipWidgets()
{
    return DashboardRenderer::Widgets(DashboardRenderer::SpeedReadout | DashboardRenderer::DateTime |
                                      DashboardRenderer::Position | DashboardRenderer::GSensor);
}
