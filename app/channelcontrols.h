#pragma once
// The controls of a recording's channels: the Layout and Channel offset items of the
// Playback menu, the layout button of the control bar, and handing each selected moment's
// other channels to the player before it starts.
#include <QObject>
#include <QPointer>

class ChannelSet;
class MainMenu;
class MediaPlayView;
class OvraPlayVC;
class QAction;
class QActionGroup;
class QMenu;
class QToolButton;

class ChannelControls : public QObject {
    Q_OBJECT
public:
    // Adds its items to menu (the Playback menu) and its button to the player's control bar.
    ChannelControls(MediaPlayView *player, QMenu *menu, QObject *parent = nullptr);

    QMenu *layoutMenu() const { return m_layoutMenu; }
    QMenu *offsetMenu() const { return m_offsetMenu; }
    QToolButton *layoutButton() const { return m_button; }
    void retitle();
    // Refills the offset menu with the channels playing now.
    void fillOffsetMenu();

private:
    void showLayout();

    QPointer<MediaPlayView> m_player;
    ChannelSet *m_channels = nullptr;
    QMenu *m_layoutMenu = nullptr;
    QMenu *m_offsetMenu = nullptr;
    QActionGroup *m_layouts = nullptr;
    QAction *m_pip = nullptr;
    QAction *m_side = nullptr;
    QAction *m_grid = nullptr;
    QToolButton *m_button = nullptr;
};

// Connects the list's selected moment, the menu and the player's channels (one call from
// the window's wiring).
ChannelControls *wireChannels(MainMenu *menu, OvraPlayVC *vc);
