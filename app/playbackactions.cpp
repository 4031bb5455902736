#include "app/playbackactions.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "core/mlanguagemanager.h"

using L = MLanguageManager;

PlaybackActions::PlaybackActions(QObject *parent) : QObject(parent)
{
    m_playPause = make("playPauseAction", "Play.Pause", {Qt::Key_Space, Qt::Key_MediaTogglePlayPause, Qt::Key_MediaPlay});
    m_stop = make("stopAction", "Stop", {QKeySequence(Qt::CTRL | Qt::Key_Period), Qt::Key_MediaStop});
    m_previous = make("previousAction", "Previous", {Qt::Key_PageUp, Qt::Key_MediaPrevious});
    m_next = make("nextAction", "Next", {Qt::Key_PageDown, Qt::Key_MediaNext});
    m_back = make("backAction", "Back.5.s", {Qt::Key_Left});
    m_forward = make("forwardAction", "Forward.5.s", {Qt::Key_Right});
    m_backLong = make("backLongAction", "Back.30.s", {QKeySequence(Qt::SHIFT | Qt::Key_Left)});
    m_forwardLong = make("forwardLongAction", "Forward.30.s", {QKeySequence(Qt::SHIFT | Qt::Key_Right)});
    m_volumeUp = make("volumeUpAction", "Louder", {Qt::Key_Up, Qt::Key_VolumeUp});
    m_volumeDown = make("volumeDownAction", "Quieter", {Qt::Key_Down, Qt::Key_VolumeDown});
    m_faster = make("fasterAction", "Faster", {Qt::Key_BracketRight});
    m_slower = make("slowerAction", "Slower", {Qt::Key_BracketLeft});
    m_normalSpeed = make("normalSpeedAction", "Normal.speed", {Qt::Key_Backspace});
    m_fullScreen = make("fullScreenAction", "Full.screen", {Qt::Key_F, Qt::Key_F11});
    m_leaveFullScreen = make("leaveFullScreenAction", "Leave.full.screen", {Qt::Key_Escape});

    connect(m_playPause, &QAction::triggered, this, &PlaybackActions::playPauseRequested);
    connect(m_stop, &QAction::triggered, this, &PlaybackActions::stopRequested);
    connect(m_previous, &QAction::triggered, this, &PlaybackActions::previousRequested);
    connect(m_next, &QAction::triggered, this, &PlaybackActions::nextRequested);
    connect(m_back, &QAction::triggered, this, [this] { emit seekRequested(-kShortSeek); });
    connect(m_forward, &QAction::triggered, this, [this] { emit seekRequested(kShortSeek); });
    connect(m_backLong, &QAction::triggered, this, [this] { emit seekRequested(-kLongSeek); });
    connect(m_forwardLong, &QAction::triggered, this, [this] { emit seekRequested(kLongSeek); });
    connect(m_volumeUp, &QAction::triggered, this, [this] { emit volumeStepRequested(1); });
    connect(m_volumeDown, &QAction::triggered, this, [this] { emit volumeStepRequested(-1); });
    connect(m_faster, &QAction::triggered, this, [this] { emit speedStepRequested(1); });
    connect(m_slower, &QAction::triggered, this, [this] { emit speedStepRequested(-1); });
    connect(m_normalSpeed, &QAction::triggered, this, [this] { emit speedStepRequested(0); });
    connect(m_fullScreen, &QAction::triggered, this, &PlaybackActions::fullScreenRequested);
    connect(m_leaveFullScreen, &QAction::triggered, this, &PlaybackActions::leaveFullScreenRequested);
    retitle();
}

QAction *PlaybackActions::make(const char *name, const char *titleKey, const QList<QKeySequence> &keys)
{
    auto *a = new QAction(this);
    a->setObjectName(QString::fromLatin1(name));
    m_titleKeys.append({a, titleKey});
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WindowShortcut);
    // Held arrows seek on and on, as in every player.
    a->setAutoRepeat(true);
    return a;
}

QList<QAction *> PlaybackActions::all() const
{
    return {m_playPause, m_stop,        m_previous, m_next,   m_back,        m_forward,    m_backLong, m_forwardLong,
            m_volumeUp,  m_volumeDown, m_faster,   m_slower, m_normalSpeed, m_fullScreen, m_leaveFullScreen};
}

void PlaybackActions::fillMenu(QMenu *menu) const
{
    menu->addAction(m_playPause);
    menu->addAction(m_stop);
    menu->addSeparator();
    menu->addAction(m_previous);
    menu->addAction(m_next);
    menu->addSeparator();
    menu->addAction(m_back);
    menu->addAction(m_forward);
    menu->addSeparator();
    menu->addAction(m_faster);
    menu->addAction(m_slower);
    menu->addAction(m_normalSpeed);
    menu->addSeparator();
    menu->addAction(m_fullScreen);
}

void PlaybackActions::attachTo(QWidget *window) const
{
    if (window)
        window->addActions(all());
}

void PlaybackActions::retitle()
{
    for (const auto &[action, key] : std::as_const(m_titleKeys))
        action->setText(L::localized(key));
}
