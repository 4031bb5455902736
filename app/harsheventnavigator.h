#pragma once
// Harsh events of the recording on display: found when its track arrives, marked on the
// progress slider and the G-sensor waveform, and reached with N (next) and Shift+N
// (previous) from anywhere in the window.
#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

#include "track/harshevents.h"

class GsensorStateView;
class MediaPlayView;
class QAction;
class QWidget;

class HarshEventNavigator : public QObject {
    Q_OBJECT
public:
    // now() answers the playback second on display (the read-outs' whole second).
    HarshEventNavigator(QWidget *window, MediaPlayView *player, GsensorStateView *gsensor,
                        std::function<double()> now, QObject *parent = nullptr);

    // A new track (the recording's own, as the instruments got it); empty clears.
    void setTrack(const Track &track);
    // The sensitivity changed: find the events again.
    void refresh();
    // Jump to the next / previous event from the current playback second; false when none.
    bool jumpNext();
    bool jumpPrevious();

    const std::vector<HarshEvent> &events() const { return m_events; }
    QAction *nextAction() const { return m_next; }
    QAction *previousAction() const { return m_previous; }
    void retitle();

signals:
    // The events were found again (a new track, another sensitivity or language).
    void eventsChanged();

private:
    bool jumpTo(long index);
    double currentSeconds() const;

    QPointer<MediaPlayView> m_player;
    QPointer<GsensorStateView> m_gsensor;
    std::function<double()> m_now;
    Track m_track;
    std::vector<HarshEvent> m_events;
    QAction *m_next = nullptr;
    QAction *m_previous = nullptr;
};
