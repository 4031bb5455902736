#pragma once
// Keeps the timeline under the picture in step with the rest of the window: the track of
// the recording on display (or its whole trip once the trip is known), the harsh events
// at the chosen sensitivity, and the picture's time. Its requests go to the player: a
// seek within the recording that plays, or another recording of the trip, which is chosen
// in the list and then sought to the clicked second once it plays.
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <vector>

#include "track/gpsitem.h"

class ClipMarks;
class HarshEventNavigator;
class MediaListView;
class PlaybackController;
class PlaybackSync;
class TimelineView;
class TripController;

class TimelineFeed : public QObject {
    Q_OBJECT
public:
    struct Sources {
        TimelineView *view = nullptr;
        PlaybackController *player = nullptr;
        PlaybackSync *sync = nullptr;
        MediaListView *list = nullptr;
        TripController *trip = nullptr;
        HarshEventNavigator *events = nullptr;
    };
    TimelineFeed(const Sources &sources, QObject *parent = nullptr);

    // The parts again from the recording on display and its trip.
    void refresh();
    // The events of every part again (the current part's as the navigator found them).
    void refreshEvents();
    // The clip's marks follow on the timeline from now on.
    void setClipMarks(ClipMarks *marks);
    // The marks again, as seconds of the recording that plays.
    void refreshMarks();
    // The event, locked and parking recordings among the parts again, by the kind the
    // card's rules gave them in the list.
    void refreshKinds();
    // The paths of the parts on show, in order.
    QStringList partPaths() const { return m_paths; }

private:
    void seek(double seconds);
    void choosePart(int part, double seconds);
    void timeChanged(double seconds, double length);
    QString currentPath() const;

    double partLength(int part) const;

    Sources m_s;
    QPointer<ClipMarks> m_marks;
    double m_length = 0; // the player's length of the recording that plays
    QStringList m_paths;
    std::vector<Track> m_parts;
    int m_current = -1;
    QString m_pendingPath; // a part chosen on the timeline, to be sought once it plays
    double m_pendingSeconds = 0;
    bool m_pendingArmed = false;
};
