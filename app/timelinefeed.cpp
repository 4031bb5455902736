#include "app/timelinefeed.h"

#include "app/harsheventnavigator.h"
#include "app/incidentpreferences.h"
#include "app/playbacksync.h"
#include "app/tripcontroller.h"
#include "instruments/timelineview.h"
#include "library/medialistview.h"
#include "playback/playbackcontroller.h"

TimelineFeed::TimelineFeed(const Sources &sources, QObject *parent) : QObject(parent), m_s(sources)
{
    connect(m_s.sync, &PlaybackSync::trackLoaded, this, [this](const QString &path) {
        // The chosen part's track is in: the ticks that follow are its own.
        m_pendingArmed = !m_pendingPath.isEmpty() && path == m_pendingPath;
        refresh();
    });
    connect(m_s.sync, &PlaybackSync::halted, this, [this] {
        m_parts.clear();
        m_paths.clear();
        m_current = -1;
        m_s.view->clear();
    });
    connect(m_s.trip, &TripController::tripChanged, this, &TimelineFeed::refresh);
    connect(m_s.events, &HarshEventNavigator::eventsChanged, this, &TimelineFeed::refreshEvents);
    connect(m_s.player, &PlaybackController::timeChanged, this, &TimelineFeed::timeChanged);
    connect(m_s.view, &TimelineView::seekRequested, this, &TimelineFeed::seek);
    connect(m_s.view, &TimelineView::partRequested, this, &TimelineFeed::choosePart);
}

QString TimelineFeed::currentPath() const
{
    const int i = m_s.list->curIndex();
    const auto &records = m_s.list->dataArray();
    return i >= 0 && i < records.size() ? records.at(i).fLocalPath : QString();
}

void TimelineFeed::refresh()
{
    const QString path = currentPath();
    std::vector<Track> parts;
    QStringList paths;
    int current = 0;
    if (m_s.trip->isTrip() && m_s.trip->tripPaths().contains(path) && m_s.trip->currentPart() >= 0) {
        parts = m_s.trip->tripTracks();
        paths = m_s.trip->tripPaths();
        current = m_s.trip->currentPart();
    } else {
        parts = {m_s.sync->stats().track()};
        paths = {path};
    }
    // The same parts again keep the zoom the user chose.
    if (parts == m_parts && current == m_current && paths == m_paths)
        return;
    m_parts = parts;
    m_paths = paths;
    m_current = current;
    m_s.view->setParts(parts, current);
    refreshEvents();
}

void TimelineFeed::refreshEvents()
{
    const HarshSensitivity sensitivity = harshSensitivityFromName(IncidentPreferences::harshSensitivity().toStdString());
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        if (int(i) == m_current)
            m_s.view->setEvents(int(i), m_s.events->events());
        else
            m_s.view->setEvents(int(i), detectHarshEvents(m_parts[i], sensitivity));
    }
}

void TimelineFeed::seek(double seconds)
{
    if (m_s.player->isActive())
        m_s.player->seekTo(seconds);
}

void TimelineFeed::choosePart(int part, double seconds)
{
    if (part < 0 || part >= m_paths.size())
        return;
    const QString path = m_paths.at(part);
    const auto &records = m_s.list->dataArray();
    for (int row = 0; row < records.size(); ++row) {
        if (records.at(row).fLocalPath == path) {
            m_pendingPath = path;
            m_pendingSeconds = seconds;
            m_pendingArmed = false;
            m_s.list->doubleClick(row);
            return;
        }
    }
}

void TimelineFeed::timeChanged(double seconds, double length)
{
    if (m_pendingArmed && length > 0 && m_s.player->isActive() && currentPath() == m_pendingPath) {
        m_pendingPath.clear();
        m_pendingArmed = false;
        m_s.player->seekTo(m_pendingSeconds);
        return;
    }
    m_s.view->setTime(seconds, length);
}
