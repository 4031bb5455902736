#include "app/composition.h"

#include <QComboBox>
#include <QDebug>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

#include "app/incidenttools.h"
#include "app/ovraplayvc.h"
#include "app/playerextraction.h"
#include "app/settingspanel.h"
#include "core/mtool.h"
#include "instruments/compassview.h"
#include "instruments/gsensorstateview.h"
#include "instruments/map/gpsmapview.h"
#include "instruments/map/mapsourcepreference.h"
#include "instruments/speedview.h"
#include "library/medialistview.h"
#include "app/playbacksync.h"
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

    QObject::connect(vc->settingButton, &QToolButton::clicked, vc, &OvraPlayVC::showSetting);
    QObject::connect(vc->languageBox, &QComboBox::activated, vc, &OvraPlayVC::languageChange);
    QObject::connect(vc->speedUnitBox, &QComboBox::activated, vc, &OvraPlayVC::speedUnitChange);
    QObject::connect(vc->mapBox, &QComboBox::activated, vc, &OvraPlayVC::mapChange);
    QObject::connect(vc->viewUpgradeButton, &QPushButton::clicked, vc, &OvraPlayVC::checkUpgrade);
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
    QObject::connect(p.sync, &PlaybackSync::titleChanged, vc->titleLabel, &QLabel::setText);
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
    new IncidentTools(vc, p); // snapshots, harsh events, trips, track export
    return p;
}
