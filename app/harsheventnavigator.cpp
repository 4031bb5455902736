#include "app/harsheventnavigator.h"

#include <QAction>
#include <QWidget>
#include <cmath>

#include "app/incidentpreferences.h"
#include "core/mediaplayerdelegate.h"
#include "core/mlanguagemanager.h"
#include "instruments/gsensorstateview.h"
#include "instruments/harsheventmarks.h"
#include "playback/mediaplayview.h"
#include "playback/playbackcontroller.h"
#include "playback/playcontrolview.h"
#include "widgets/vcustomslider.h"

HarshEventNavigator::HarshEventNavigator(QWidget *window, MediaPlayView *player, GsensorStateView *gsensor,
                                         std::function<double()> now, QObject *parent)
    : QObject(parent), m_player(player), m_gsensor(gsensor), m_now(std::move(now))
{
    m_next = new QAction(window);
    m_next->setObjectName(QStringLiteral("nextEventAction"));
    m_next->setShortcut(QKeySequence(Qt::Key_N));
    m_next->setShortcutContext(Qt::WindowShortcut);
    connect(m_next, &QAction::triggered, this, &HarshEventNavigator::jumpNext);
    m_previous = new QAction(window);
    m_previous->setObjectName(QStringLiteral("previousEventAction"));
    m_previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_N));
    m_previous->setShortcutContext(Qt::WindowShortcut);
    connect(m_previous, &QAction::triggered, this, &HarshEventNavigator::jumpPrevious);
    window->addAction(m_next);
    window->addAction(m_previous);
    retitle();
}

void HarshEventNavigator::retitle()
{
    m_next->setText(MLanguageManager::DPLocalizedString(QStringLiteral("Event.next")));
    m_previous->setText(MLanguageManager::DPLocalizedString(QStringLiteral("Event.previous")));
    refresh(); // the tooltips name the events in the language
}

void HarshEventNavigator::setTrack(const Track &track)
{
    m_track = track;
    refresh();
}

void HarshEventNavigator::refresh()
{
    m_events = detectHarshEvents(m_track, harshSensitivityFromName(IncidentPreferences::harshSensitivity().toStdString()));
    const double samples = double(trackSize(m_track));
    // The slider spans the recording: sample i is second i of about `samples` seconds.
    // The waveform puts the last sample on its right edge.
    if (m_player)
        m_player->controlView()->progressSlider->setMarks(HarshEventMarks::marks(m_events, samples));
    if (m_gsensor && m_track)
        m_gsensor->setEventMarks(HarshEventMarks::marks(m_events, samples - 1));
    emit eventsChanged();
}

double HarshEventNavigator::currentSeconds() const
{
    if (m_now)
        return m_now();
    return m_player ? m_player->controller()->time() : 0.0;
}

bool HarshEventNavigator::jumpNext()
{
    const double now = currentSeconds();
    return jumpTo(nextHarshEvent(m_events, std::size_t(std::max(0.0, std::floor(now)))));
}

bool HarshEventNavigator::jumpPrevious()
{
    const double now = currentSeconds();
    return jumpTo(previousHarshEvent(m_events, std::size_t(std::max(0.0, std::floor(now)))));
}

bool HarshEventNavigator::jumpTo(long index)
{
    if (index < 0 || !m_player)
        return false;
    PlaybackController *player = m_player->controller();
    const double length = player->length();
    if (length <= 0 || !player->isActive())
        return false;
    // A little past the start of the second, so that rounding cannot land in the one before.
    player->seekTo(std::min(double(index) + 0.05, length));
    return true;
}
