#pragma once
// How the parts of the window talk, in one place. The view lays out empty panels; this
// puts the real list, player and instruments into them and connects them: the list and the
// player report to the view (MediaPlayerDelegate), the view hands those reports to the
// playback sync, the sync drives the instruments, the read-outs, the title and the player,
// a click on the route seeks the player, the window's controls send the view's actions, the
// incident tools fill their places, and the menus' commands reach the player, the list and
// the window. Every other class only says what happened (signals) or does what it is asked.
class ClipExport;
class CompassView;
class GpsMapView;
class GsensorStateView;
class IncidentTools;
class MainMenu;
class MediaListView;
class MediaPlayView;
class OvraPlayVC;
class OvraWindowPlayController;
class PlaybackCommands;
class PlaybackSync;
class SpeedView;
class TimelineView;
class UpdateChecker;

struct MainViewParts {
    MediaListView *list = nullptr;
    MediaPlayView *player = nullptr;
    GpsMapView *map = nullptr;
    SpeedView *speed = nullptr;
    CompassView *compass = nullptr;
    GsensorStateView *gsensor = nullptr;
    PlaybackSync *sync = nullptr;
    UpdateChecker *updateChecker = nullptr;
    IncidentTools *incidents = nullptr;
    TimelineView *timeline = nullptr;
};

// Builds the parts into vc's panels (vc owns them all) and wires them. Runs once, from the
// view's constructor, after its layout and settings panel exist.
MainViewParts wireMainView(OvraPlayVC *vc);

// The window around the main view: the menu bar in the title strip, the Playback actions to
// the commands that answer them (made here, owned by the window controller), and the tools'
// items in the File menu.
PlaybackCommands *wireWindow(MainMenu *menu, OvraWindowPlayController *windowVC);

// File -> Export Clip... and the In / Out marks: the Playback menu gets the marks, the File
// menu the export (after Export Track...). The runner that cuts the clips is set on the
// result (ClipExport::setRunner); it is also the window controller's child "clipExport".
ClipExport *wireClipExport(MainMenu *menu, OvraWindowPlayController *windowVC);
