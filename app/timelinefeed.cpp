#include "app/timelinefeed.h"

#include "app/clipmarks.h"
#include "app/harsheventnavigator.h"
#include "app/incidentpreferences.h"
#include "app/playbacksync.h"
#include "app/tripcontroller.h"
#include "instruments/timelineview.h"
#include "library/medialistview.h"
#include "playback/playbackcontroller.h"

#include <QHash>

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
        m_length = 0;
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
    m_length = 0; // until the player tells the new one's
    m_s.view->setParts(parts, current);
    refreshEvents();
    refreshKinds();
    refreshMarks();
}

void TimelineFeed::setClipMarks(ClipMarks *marks)
{
    if (m_marks)
        disconnect(m_marks, nullptr, this, nullptr);
    m_marks = marks;
    if (m_marks)
        connect(m_marks, &ClipMarks::changed, this, &TimelineFeed::refreshMarks);
    refreshMarks();
}

double TimelineFeed::partLength(int part) const
{
    const auto &parts = m_s.view->model().parts();
    if (part < 0 || std::size_t(part) >= parts.size())
        return 0;
    return parts[std::size_t(part)].seconds;
}

void TimelineFeed::refreshMarks()
{
    const int current = m_s.view->model().current();
    if (!m_marks || m_paths.isEmpty() || current < 0 || current >= m_paths.size()) {
        m_s.view->setClipMarks(std::nullopt, std::nullopt);
        return;
    }
    // A mark in another recording of the trip lies that far before or after the one that
    // plays; one in a recording not on show counts only where the range crosses this one.
    const TimelineModel &model = m_s.view->model();
    const double here = model.toGlobal(current, 0);
    const double length = m_length > 0 ? m_length : partLength(current);
    const MarkedStretch across = m_marks->rangeOn(m_paths.at(current), length);
    const auto place = [&](const std::optional<ClipPoint> &mark, std::optional<double> fraction) -> std::optional<double> {
        if (!mark)
            return std::nullopt;
        const qsizetype part = m_paths.indexOf(mark->path);
        if (part >= 0)
            return model.toGlobal(int(part), mark->seconds) - here;
        if (fraction)
            return *fraction * length;
        return std::nullopt;
    };
    m_s.view->setClipMarks(place(m_marks->in(), across.from), place(m_marks->out(), across.to));
}

void TimelineFeed::refreshKinds()
{
    // Normal driving and unknown recordings stay plain: only what the camera set apart is shaded.
    static const QStringList shaded{QStringLiteral("event"), QStringLiteral("locked"), QStringLiteral("parking")};
    QHash<QString, QString> kinds;
    for (const MFileModel &m : m_s.list->dataArray()) {
        if (shaded.contains(m.kind))
            kinds.insert(m.fLocalPath, m.kind);
    }
    TimelineSpans spans;
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        const QString kind = kinds.value(m_paths.at(i));
        const double length = partLength(int(i)); // the playing part's as long as its picture
        if (!kind.isEmpty() && length > 0)
            spans.append({0.0, length, kind, m_paths.size() == 1 ? -1 : int(i)});
    }
    m_s.view->setKindSpans(spans);
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
    // The picture's length changes the playing part's on the timeline, and with it where
    // its stretches end.
    if (length > 0 && length != m_length) {
        m_length = length;
        refreshKinds();
        refreshMarks();
    }
}
