#include "app/composition.h"
#include "app/cameraactions.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QPointer>
#include <QToolButton>

#include "app/channelcontrols.h"
#include "app/clipexport.h"
#include "app/clipexportengine.h"
#include "app/exportdialog.h"
#include "app/harsheventnavigator.h"
#include "app/cardtelemetry.h"
#include "app/incidenttools.h"
#include "app/mainmenu.h"
#include "app/ovraplayvc.h"
#include "app/playerextraction.h"
#include "app/ovrawindowplaycontroller.h"
#include "app/playbackactions.h"
#include "app/playbackcommands.h"
#include "app/settingspanel.h"
#include "app/snapshot.h"
#include "app/readoutfit.h"
#include "app/timelinefeed.h"
#include "app/titlestrip.h"
#include "app/timezonesection.h"
#include "app/trackloader.h"
#include "app/tripcontroller.h"
#include "app/videoonlymode.h"
#include "app/viewstyle.h"
#include "core/mtool.h"
#include "core/zoneclocks.h"
#include "library/medialistmodel.h"
#include <QLabel>
#include <QVBoxLayout>
#include "core/preferences.h"
#include "instruments/compassview.h"
#include "instruments/gsensorstateview.h"
#include "instruments/map/gpsmapview.h"
#include "instruments/map/mapsourcepreference.h"
#include "instruments/speedview.h"
#include "instruments/timelineview.h"
#include "library/medialistview.h"
#include "app/playbacksync.h"
#include "app/tripcontroller.h"
#include "net/updatechecker.h"
#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "playback/extractionprogressview.h"
#include "playback/mediaimageview.h"
#include "playback/mediaplayview.h"
#include "playback/playbackcontroller.h"
#include "playback/playcontrolview.h"
#include "service/kalgpstool.h"

namespace {

// A route point of the map was clicked: the recording plays on from that sample's second.
void seekToSample(PlaybackController *player, int index)
{
    const double length = player->length();
    if (index < 0 || length <= 0 || !player->isActive())
        return;
    // A little past the start of the second, so that rounding cannot land in the one before.
    player->seekTo(qMin(double(index) + 0.05, length));
}

void wireControls(OvraPlayVC *vc, PlayControlView *bar)
{
    QObject::connect(bar->preBtn, &QToolButton::clicked, vc, &OvraPlayVC::previousVideoClick);
    QObject::connect(bar->nextBtn, &QToolButton::clicked, vc, &OvraPlayVC::nextVideoClick);
    QObject::connect(bar->playControlBtn, &QToolButton::clicked, vc, &OvraPlayVC::resumOrPauseClick);
    QObject::connect(bar->stopBtn, &QToolButton::clicked, vc, &OvraPlayVC::stopBtnClick);

    SettingsPanel *settings = vc->settingsPanel();
    QObject::connect(vc, &OvraPlayVC::settingButtonClicked, vc, &OvraPlayVC::showSetting);
    QObject::connect(settings, &SettingsPanel::languageChosen, vc, &OvraPlayVC::languageChange);
    QObject::connect(settings, &SettingsPanel::speedUnitChosen, vc, &OvraPlayVC::speedUnitChange);
    QObject::connect(settings, &SettingsPanel::mapChosen, vc, &OvraPlayVC::mapChange);
    QObject::connect(settings, &SettingsPanel::upgradeRequested, vc, &OvraPlayVC::checkUpgrade);
}

void wireSync(OvraPlayVC *vc, const MainViewParts &p)
{
    p.sync->setGauges({{p.map, [map = p.map] { map->clearMapAnotation(); }},
                       {p.speed, [speed = p.speed] { speed->resetSpeedPoint(); }},
                       {p.compass, [compass = p.compass] { compass->resetCompass(); }},
                       {p.gsensor, [gsensor = p.gsensor] { gsensor->resetGsensor(); }}});
    // One serial worker in the service: extractions never overlap in the library. The
    // player's request goes before the trip search's and the export's; a new selection
    // calls off only the player's own request still being read (a large transport stream
    // takes seconds), and the video area shows how far the reading has got until the
    // track arrives.
    auto *overlay = new ExtractionProgressView(vc->mediaPanel());
    overlay->setCaption(MLanguageManager::DPLocalizedString(QStringLiteral("Reading.telemetry")));
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), overlay,
                                              [overlay](const QVariant &) {
        overlay->setCaption(MLanguageManager::DPLocalizedString(QStringLiteral("Reading.telemetry")));
    });
    QObject::connect(KalGpsTool::shareTool(), &KalGpsTool::decodeProgress, overlay, &ExtractionProgressView::setProgress);
    connectPlayerExtraction(p.sync, overlay);
    QObject::connect(p.sync, &PlaybackSync::stopRequested, p.player, &MediaPlayView::stopPlayVideo);
    QObject::connect(p.sync, &PlaybackSync::playRequested, p.player, &MediaPlayView::playFile);
    QObject::connect(p.sync, &PlaybackSync::nextRequested, p.list, &MediaListView::autoplayNext);
    QObject::connect(p.sync, &PlaybackSync::labelsChanged, vc, &OvraPlayVC::showReadouts);
    QObject::connect(p.sync, &PlaybackSync::titleChanged, vc, &OvraPlayVC::showTitle);
}

QStringList listPaths(const MediaListView *list)
{
    QStringList paths;
    for (const MFileModel &m : list->dataArray())
        if (!m.sourceHeader) // a camera's name row is no recording
            paths << m.fLocalPath;
    return paths;
}

// Snapshots, harsh events, trips and the track export: a card in the read-outs, a section in
// the settings, a camera button on the control bar, and what the sync and the list tell them.
IncidentTools *wireIncidentTools(OvraPlayVC *vc, const MainViewParts &p)
{
    IncidentTools::Places places;
    places.window = vc->window();
    places.player = p.player;
    places.gsensor = p.gsensor;
    places.map = p.map;
    places.tripCard = vc->addReadoutCard(QStringLiteral("tripBgView"), 4);
    places.settings = vc->settingsPanel()->addSettingsSection(QStringLiteral("incidentSettingsLabel"),
                                                              QStringLiteral("incidentSetView"));
    auto *tools = new IncidentTools(places, vc);

    QAction *save = tools->snapshot()->saveAction();
    QToolButton *camera = p.player->controlView()->addControlBarButton(QStringLiteral("snapshotBtn"),
                                                                       QStringLiteral("snapshot"));
    QObject::connect(camera, &QToolButton::clicked, save, &QAction::trigger);
    auto titleCamera = [camera, save] { camera->setToolTip(save->toolTip()); };
    QObject::connect(save, &QAction::changed, camera, titleCamera);
    titleCamera();

    PlaybackSync *sync = p.sync;
    MediaListView *list = p.list;
    QObject::connect(sync, &PlaybackSync::titleChanged, tools, [tools, list] {
        const int i = list->curIndex();
        if (i >= 0 && i < list->dataArray().size())
            tools->recordingSelected(list->dataArray().at(i).fLocalPath);
    });
    QObject::connect(sync, &PlaybackSync::trackLoaded, tools, [tools, sync, list](const QString &path, int) {
        tools->recordingLoaded(path, sync->stats().track(), listPaths(list), sync->trackComplete());
    });
    QObject::connect(sync, &PlaybackSync::halted, tools, &IncidentTools::playbackHalted);
    QObject::connect(sync, &PlaybackSync::labelsChanged, tools, [tools, sync] {
        const TripStatistics &stats = sync->stats();
        tools->setSampleOnDisplay(stats.showsSample() ? stats.curItem() : std::nullopt,
                                  double(std::max<std::int64_t>(0, stats.curTime())));
        tools->showTrip(); // the unit may have changed
    });
    return tools;
}

// The timeline under the picture, across the video column: it follows the player's clock,
// the recording's track or trip and its events, and asks the player for seeks.
TimelineView *wireTimeline(OvraPlayVC *vc, const MainViewParts &p)
{
    auto *timeline = new TimelineView(vc->mediaPanel());
    vc->mediaPanel()->layout()->addWidget(timeline);
    TimelineFeed::Sources s;
    s.view = timeline;
    s.player = p.player->controller();
    s.sync = p.sync;
    s.list = p.list;
    s.trip = p.incidents->trip();
    s.events = p.incidents->events();
    (new TimelineFeed(s, timeline))->setObjectName(QStringLiteral("timelineFeed"));
    return timeline;
}

// The camera's clock and a track from elsewhere: the settings' time-zone section, the clock
// line of the speed card (time in the chosen zone, a loaded track's offset), the recording's
// tip in the list, the video-alone corner, File -> Load Track... and the Playback menu's nudge.
void wireCameraClock(MainMenu *menu, OvraPlayVC *vc, PlaybackCommands *commands)
{
    PlaybackSync *sync = vc->playbackSync();
    MediaListView *list = vc->mediaList();
    ZoneClocks *clocks = ZoneClocks::shared();
    auto *zones = new TimeZoneSection(vc->settingsPanel()->addSettingsSection(QStringLiteral("timeZoneSettingsLabel"),
                                                                              QStringLiteral("timeZoneSetView")),
                                      vc);
    auto *loader = new TrackLoader(sync, vc->player()->controller(), vc->window(), vc);
    loader->setObjectName(QStringLiteral("trackLoader"));
    loader->setAlertHandler([vc](const QString &t, const QString &c, const QStringList &b) { return vc->showAlert(t, c, b); });
    loader->setTripPaths([tools = vc->incidentTools()] { return tools->trip()->tripPaths(); });
    sync->setTrackSource([loader](const QString &path, const Track &own) { return loader->source(path, own); });
    vc->incidentTools()->exporter()->setLinesFor(
        [loader](const QString &path, const QStringList &own, std::function<void(const QStringList &)> then) {
            loader->exportLines(path, own, std::move(then));
        });

    QLabel *clockLabel = nullptr;
    if (auto *card = vc->findChild<QWidget *>(QStringLiteral("speedBgView")); card && card->layout()) {
        clockLabel = ViewStyle::makeLabel(QStringLiteral("clockLabel"), card, 9, QColor(200, 204, 208));
        clockLabel->setAlignment(Qt::AlignCenter);
        // The card keeps the width its speed needs; a long zone name is cut, not the neighbours.
        clockLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        clockLabel->setMinimumWidth(10);
        static_cast<QVBoxLayout *>(card->layout())->insertWidget(card->layout()->count() - 1, clockLabel);
    }
    auto showClock = [sync, loader, clocks, clockLabel, commands] {
        const TripStatistics &stats = sync->stats();
        const QString time = stats.showsSample() && stats.curItem() ? clocks->timeText(stats.curItem()->time) : QString();
        QStringList parts;
        for (const QString &p : {time, loader->offsetText()})
            if (!p.isEmpty())
                parts << p;
        if (clockLabel)
            clockLabel->setText(parts.join(QLatin1Char('\n')));
        commands->setVehicleSpeed(time.isEmpty() ? sync->speedText() : sync->speedText() + QStringLiteral("   ") + time);
    };
    auto recordingChanged = [sync, list, loader, clocks, zones, showClock](const QString &path) {
        clocks->setCurrent(path, sync->stats().track());
        zones->setRecording(path);
        // The tip compares the camera's clock with the recording's own telemetry only.
        if (!loader->showsLoadedTrack())
            list->model()->setRecordingNote(path, clocks->clockNote(path, sync->stats().track()));
        showClock();
    };
    QObject::connect(sync, &PlaybackSync::trackLoaded, loader, [recordingChanged](const QString &path, int) {
        recordingChanged(path);
    });
    QObject::connect(clocks, &ZoneClocks::choiceChanged, loader, [sync, recordingChanged] {
        if (!sync->currentPath().isEmpty())
            recordingChanged(sync->currentPath());
    });
    QObject::connect(sync, &PlaybackSync::labelsChanged, loader, showClock);
    QObject::connect(loader, &TrackLoader::offsetChanged, loader, showClock);

    menu->fileMenu()->addMenu(loader->fileMenuEntry());
    menu->fileMenu()->addAction(loader->preferAction());
    menu->fileMenu()->addAction(loader->unloadAction());
    menu->playbackMenu()->addSeparator();
    menu->playbackMenu()->addActions(loader->nudgeActions());
}

} // namespace

MainViewParts wireMainView(OvraPlayVC *vc)
{
    MainViewParts p;
    // Every modal alert of the view's parts goes the view's one way, which tests answer.
    auto alert = [vc](const QString &title, const QString &text, const QStringList &buttons) {
        return vc->showAlert(title, text, buttons);
    };

    p.list = vc->installPanelWidget(vc->listPanel(), new MediaListView);
    p.list->setDelegate(vc);
    p.list->setAlertHandler(alert);

    p.player = vc->installPanelWidget(vc->mediaPanel(), new MediaPlayView);
    p.player->setDelegate(vc);
    p.player->mediaImageView()->setDelegate(vc);

    p.map = vc->installPanelWidget(vc->mapPanel(), new GpsMapView);
    MapSourcePreference::apply(p.map);
    QObject::connect(p.map, &GpsMapView::routePointClicked, vc,
                     [player = p.player->controller()](int index) { seekToSample(player, index); });

    p.speed = vc->installPanelWidget(vc->speedPanel(), new SpeedView);
    p.compass = vc->installPanelWidget(vc->compassPanel(), new CompassView);
    p.gsensor = vc->installPanelWidget(vc->gsensorPanel(), new GsensorStateView);

    p.sync = new PlaybackSync(vc);
    wireSync(vc, p);

    p.updateChecker = new UpdateChecker(vc);
    p.updateChecker->setCurrentVersion(MTool::currentVersion());
    p.updateChecker->setAlertHandler(alert);

    wireControls(vc, p.player->controlView());
    p.incidents = wireIncidentTools(vc, p);
    p.timeline = wireTimeline(vc, p);
    new ReadoutFit(vc->findChild<QWidget *>(QStringLiteral("gpsInfoBgView")));
    // A card's moments: where each one's telemetry is, and its harsh events in the list.
    (new CardTelemetry(p.list->model(), p.list))->setObjectName(QStringLiteral("cardTelemetry"));
    return p;
}

PlaybackCommands *wireWindow(MainMenu *menu, OvraWindowPlayController *windowVC)
{
    QWidget *window = windowVC->window();
    OvraPlayVC *vc = windowVC->playerVC();
    menu->setMainWindow(window);
    windowVC->titleStrip()->setMenuBar(menu->menuBar());

    auto *videoOnly = new VideoOnlyMode(window, vc->player(), windowVC);
    auto *commands = new PlaybackCommands(vc->player(), vc->mediaList(), windowVC, videoOnly, windowVC);
    QObject::connect(videoOnly, &VideoOnlyMode::readoutWanted, videoOnly,
                     [videoOnly, commands] { videoOnly->setReadoutText(commands->readoutText()); });
    PlaybackSync *sync = vc->playbackSync();
    QObject::connect(sync, &PlaybackSync::labelsChanged, commands,
                     [commands, sync] { commands->setVehicleSpeed(sync->speedText()); });
    commands->setVehicleSpeed(sync->speedText());

    PlaybackActions *actions = menu->playbackActions();
    QObject::connect(actions, &PlaybackActions::playPauseRequested, commands, &PlaybackCommands::playPause);
    QObject::connect(actions, &PlaybackActions::stopRequested, commands, &PlaybackCommands::stop);
    QObject::connect(actions, &PlaybackActions::previousRequested, commands, &PlaybackCommands::previous);
    QObject::connect(actions, &PlaybackActions::nextRequested, commands, &PlaybackCommands::next);
    QObject::connect(actions, &PlaybackActions::seekRequested, commands, &PlaybackCommands::seekBy);
    QObject::connect(actions, &PlaybackActions::volumeStepRequested, commands, &PlaybackCommands::stepVolume);
    QObject::connect(actions, &PlaybackActions::speedStepRequested, commands, &PlaybackCommands::stepSpeed);
    QObject::connect(actions, &PlaybackActions::fullScreenRequested, commands, &PlaybackCommands::toggleFullScreen);
    QObject::connect(actions, &PlaybackActions::leaveFullScreenRequested, commands, &PlaybackCommands::leaveFullScreen);

    // Export Track... follows Close in the File menu.
    menu->fileMenu()->addSeparator();
    menu->fileMenu()->addAction(vc->incidentTools()->exportAction());
    wireClipExport(menu, windowVC);
    wireChannels(menu, vc);
    wireCameraClock(menu, vc, commands);
    wireCameraMenu(menu, vc);
    return commands;
}

ClipExport *wireClipExport(MainMenu *menu, OvraWindowPlayController *windowVC)
{
    OvraPlayVC *vc = windowVC->playerVC();
    IncidentTools *tools = vc->incidentTools();
    PlaybackSync *sync = vc->playbackSync();
    ClipExport::Places places;
    places.window = windowVC->window();
    places.player = vc->player();
    places.map = vc->gpsMap();
    MediaListView *list = vc->mediaList();
    places.current = [list] {
        const int i = list->curIndex();
        return i >= 0 && i < list->dataArray().size() ? list->dataArray().at(i) : MFileModel();
    };
    places.listed = [list] { return list->dataArray(); };
    TripController *trip = tools->trip();
    places.trip = [trip] { return trip->tripPaths(); };
    // The recording on display has its track in the sync; its drive's others in the trip.
    places.track = [sync, trip, list](const QString &path) -> Track {
        const int i = list->curIndex();
        if (i >= 0 && i < list->dataArray().size() && list->dataArray().at(i).fLocalPath == path)
            return sync->stats().track();
        const qsizetype at = trip->tripPaths().indexOf(path);
        const std::vector<Track> tracks = trip->tripTracks();
        return at >= 0 && std::size_t(at) < tracks.size() ? tracks[std::size_t(at)] : Track();
    };
    HarshEventNavigator *events = tools->events();
    places.events = [events] { return events->events(); };
    places.speedUnit = [] { return Preferences::speedUnitType(); };
    places.notify = [tools](const QString &text) { tools->snapshot()->showNotice(text); };
    auto *clips = new ClipExport(places, windowVC);
    clips->setRunner(std::make_shared<ClipExportEngine>());
    clips->fillPlaybackMenu(menu->playbackMenu());
    menu->fileMenu()->addAction(clips->exportAction());
    // The marks show on the timeline as on the slider.
    if (auto *feed = vc->timeline() ? vc->timeline()->findChild<TimelineFeed *>(QStringLiteral("timelineFeed")) : nullptr)
        feed->setClipMarks(clips->marks());
    return clips;
}
