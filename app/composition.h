#pragma once
// How the parts of the main view talk, in one place. The view lays out empty panels; this
// puts the real list, player and instruments into them and connects them: the list and the
// player report to the view (MediaPlayerDelegate), the view hands those reports to the
// playback sync, the sync drives the instruments, the read-outs, the title and the player,
// a click on the route seeks the player, and the window's controls send the view's actions.
class CompassView;
class GpsMapView;
class GsensorStateView;
class MediaListView;
class MediaPlayView;
class OvraPlayVC;
class PlaybackSync;
class SpeedView;
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
};

// Builds the parts into vc's panels (vc owns them all) and wires them. Runs once, from the
// view's constructor, after its layout and settings panel exist.
MainViewParts wireMainView(OvraPlayVC *vc);
