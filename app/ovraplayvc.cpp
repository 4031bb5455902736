#include "app/ovraplayvc.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>

#include "app/colorpanel.h"
#include "instruments/compassview.h"
#include "instruments/map/gpsmapview.h"
#include "instruments/gsensorstateview.h"
#include "core/imagenamed.h"
#include "service/kalgpstool.h"
#include "instruments/map/mapsourcepreference.h"
#include "playback/mediaimageview.h"
#include "library/medialistview.h"
#include "playback/mediaplayview.h"
#include "core/mlanguagemanager.h"
#include "core/mtool.h"
#include "core/notificationhub.h"
#include "library/playbacksync.h"
#include "playback/playcontrolview.h"
#include "core/preferences.h"
#include "app/restingpanel.h"
#include "instruments/speedview.h"
#include "net/updatechecker.h"
#include "playback/videosurface.h"

namespace {
const QColor kDark(49, 49, 49);
const QColor kReadoutFrame(94, 94, 94);
const QColor kWindowGrey(240, 240, 240);
const QColor kSettingBorder(197, 197, 197);
constexpr int kGap = 8;
constexpr int kTitleBarHeight = 50;
constexpr int kSettingWidth = 340;
constexpr int kSettingFadeMs = 100;

QString loc(const char *key) { return MLanguageManager::DPLocalizedString(QString::fromLatin1(key)); }

QLabel *makeLabel(const QString &name, QWidget *parent, qreal pointSize, const QColor &color,
                  bool bold = false)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    QFont f = l->font();
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    return l;
}

QLabel *captionLabel(QWidget *parent)
{
    auto *l = makeLabel(QStringLiteral("caption"), parent, 8.5, QColor(154, 160, 167), true);
    l->setContentsMargins(2, 0, 0, 0);
    return l;
}

ColorPanel *card(const QString &name, QWidget *parent, const QColor &c = kDark, qreal radius = 6)
{
    auto *p = new ColorPanel(name, c, parent);
    p->setCornerRadius(radius);
    return p;
}
} // namespace

OvraPlayVC::OvraPlayVC(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("OvraPlayVC"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowGrey);
    setPalette(pal);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    buildTitleBar();
    root->addWidget(titleBarView);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(kGap, kGap, kGap, kGap);
    body->setSpacing(kGap);
    root->addLayout(body, 1);

    // Left: the media list.
    auto *listContent = new RestingPanel(RestingPanel::List);
    listTableView = listContent;
    QWidget *listCard = makePanel(QStringLiteral("listPanel"), QStringLiteral("Media.list"), listContent, &m_listPanel);
    listCard->setMinimumWidth(210);
    listCard->setMaximumWidth(300);
    body->addWidget(listCard, 2);

    // Centre: video, read-outs, G-sensor chart.
    auto *centre = new QVBoxLayout;
    centre->setSpacing(kGap);
    body->addLayout(centre, 9);

    m_mediaPanel = new QWidget(this);
    m_mediaPanel->setObjectName(QStringLiteral("mediaPanel"));
    auto *mediaLayout = new QVBoxLayout(m_mediaPanel);
    mediaLayout->setContentsMargins(0, 0, 0, 0);
    mediaView = new RestingPanel(RestingPanel::Video);
    mediaView->setObjectName(QStringLiteral("mediaView"));
    mediaLayout->addWidget(mediaView);
    m_mediaPanel->setMinimumSize(400, 240);
    centre->addWidget(m_mediaPanel, 16);

    centre->addWidget(buildReadouts());

    stateView = card(QStringLiteral("stateView"), this);
    {
        auto *l = new QVBoxLayout(stateView);
        l->setContentsMargins(10, 6, 10, 6);
        l->setSpacing(2);
        auto *cap = captionLabel(stateView);
        m_panelCaptions.append({cap, QStringLiteral("G.sensor")});
        l->addWidget(cap);
        m_gsensorPanel = new QWidget(stateView);
        m_gsensorPanel->setObjectName(QStringLiteral("gsensorPanel"));
        auto *gl = new QVBoxLayout(m_gsensorPanel);
        gl->setContentsMargins(0, 0, 0, 0);
        gl->addWidget(new RestingPanel(RestingPanel::GSensor));
        l->addWidget(m_gsensorPanel, 1);
    }
    stateView->setMinimumHeight(130);
    centre->addWidget(stateView, 7);

    // Right: speed dial and compass side by side, the map under them.
    m_rightColumn = new QWidget(this);
    m_rightColumn->setObjectName(QStringLiteral("instrumentColumn"));
    auto *right = new QVBoxLayout(m_rightColumn);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(kGap);
    m_instrumentRow = new QWidget(m_rightColumn);
    auto *row = new QHBoxLayout(m_instrumentRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kGap);
    auto *speedContent = new RestingPanel(RestingPanel::Speed);
    speedView = speedContent;
    row->addWidget(makePanel(QStringLiteral("speedCard"), QStringLiteral("Speed"), speedContent, &m_speedPanel));
    auto *compassContent = new RestingPanel(RestingPanel::Compass);
    compassView = compassContent;
    row->addWidget(makePanel(QStringLiteral("compassCard"), QStringLiteral("Compass"), compassContent, &m_compassPanel));
    right->addWidget(m_instrumentRow);
    auto *mapContent = new RestingPanel(RestingPanel::Map);
    mapView = mapContent;
    right->addWidget(makePanel(QStringLiteral("mapCard"), QStringLiteral("Map"), mapContent, &m_mapPanel), 1);
    m_rightColumn->setMinimumWidth(300);
    m_rightColumn->setMaximumWidth(480);
    body->addWidget(m_rightColumn, 4);

    buildSettingPanel();
    installViews();

    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { changeLanguage(); });
    setupBasicUI();
    setValueForLabel();
    // The panel starts shown and fades out once, so the window opens without it.
    setSettingPanelVisible(true);
    showSetting();
}

void OvraPlayVC::installViews()
{
    m_alert = [this](const QString &title, const QString &text, const QStringList &buttons) {
        return MTool::showAlert(title, text, buttons, window());
    };
    auto alert = [this](const QString &title, const QString &text, const QStringList &buttons) {
        return m_alert ? m_alert(title, text, buttons) : 0;
    };

    m_list = installPanelWidget(listPanel(), new MediaListView);
    m_list->setDelegate(this);
    m_list->setAlertHandler(alert);

    m_player = installPanelWidget(mediaPanel(), new MediaPlayView);
    m_player->setDelegate(this);
    m_player->mediaImageView()->setDelegate(this);
    PlayControlView *bar = m_player->controlView();
    connect(bar->preBtn, &QToolButton::clicked, this, &OvraPlayVC::previousVideoClick);
    connect(bar->nextBtn, &QToolButton::clicked, this, &OvraPlayVC::nextVideoClick);
    connect(bar->playControlBtn, &QToolButton::clicked, this, &OvraPlayVC::resumOrPauseClick);
    connect(bar->stopBtn, &QToolButton::clicked, this, &OvraPlayVC::stopBtnClick);

    m_map = installPanelWidget(mapPanel(), new GpsMapView);
    QString mapError;
    if (!MapSourcePreference::apply(m_map, &mapError))
        qInfo() << "stored offline map not usable, showing OpenStreetMap:" << mapError;
    connect(m_map, &GpsMapView::routePointClicked, this, &OvraPlayVC::seekToSample);

    m_speed = installPanelWidget(speedPanel(), new SpeedView);
    m_compass = installPanelWidget(compassPanel(), new CompassView);
    m_gsensor = installPanelWidget(gsensorPanel(), new GsensorStateView);

    m_sync = new PlaybackSync(this);
    m_sync->setGauges({{m_map, [this] { m_map->clearMapAnotation(); }},
                       {m_speed, [this] { m_speed->resetSpeedPoint(); }},
                       {m_compass, [this] { m_compass->resetCompass(); }},
                       {m_gsensor, [this] { m_gsensor->resetGsensor(); }}});
    // One serial worker in the service: extractions never overlap in the library.
    m_sync->setExtractor([](const QString &path, std::function<void(const QStringList &)> done) {
        KalGpsTool::shareTool()->getGpsInfo(path, [done](KalGpsTool::GpsLines lines) {
            done(lines ? *lines : QStringList());
        });
    });
    m_sync->setCanceller([] { KalGpsTool::shareTool()->stopGetInfo(); });
    m_sync->setPlayer([this] { m_player->stopPlayVideo(); }, [this](const QString &path) { m_player->playFile(path); });
    m_sync->setAutoplayNext([this] { m_list->autoplayNext(); });
    connect(m_sync, &PlaybackSync::labelsChanged, this, &OvraPlayVC::showReadouts);
    connect(m_sync, &PlaybackSync::titleChanged, titleLabel, &QLabel::setText);

    m_updateChecker = new UpdateChecker(this);
    m_updateChecker->setCurrentVersion(MTool::currentVersion());
    m_updateChecker->setAlertHandler(alert);

    connect(settingButton, &QToolButton::clicked, this, &OvraPlayVC::showSetting);
    connect(languageBox, &QComboBox::activated, this, &OvraPlayVC::languageChange);
    connect(speedUnitBox, &QComboBox::activated, this, &OvraPlayVC::speedUnitChange);
    connect(mapBox, &QComboBox::activated, this, &OvraPlayVC::mapChange);
    connect(viewUpgradeButton, &QPushButton::clicked, this, &OvraPlayVC::checkUpgrade);
    fillMapBox();
}

void OvraPlayVC::setAlertHandler(AlertHandler handler)
{
    m_alert = std::move(handler);
}

void OvraPlayVC::setupBasicUI()
{
    Preferences::registerSpeedUnitDefault();
    speedUnitBox->setCurrentText(Preferences::speedUnitType());
    Preferences::registerSoundDefaults();
    clearGpsInfo();
}

void OvraPlayVC::changeLanguage()
{
    setValueForLabel();
    fillMapBox();
}

void OvraPlayVC::showReadouts()
{
    speedLabel->setText(m_sync->speedText());
    latLabel->setText(m_sync->latText());
    lonLabel->setText(m_sync->lonText());
    topSpeedLabel->setText(m_sync->topSpeedText());
    aveSpeedLabel->setText(m_sync->aveSpeedText());
    distanceLabel->setText(m_sync->distanceText());
}

void OvraPlayVC::clearGpsInfo()
{
    m_sync->clearGpsInfo();
}

void OvraPlayVC::mediaPlayerDidDeleteModelIsSelect(QObject *, const MFileModel &model, bool isSelect)
{
    m_sync->mediaPlayerDidDeleteModel(model, isSelect);
}

void OvraPlayVC::mediaPlayerDidSelectModel(QObject *, const MFileModel &model)
{
    m_sync->mediaPlayerDidSelectModel(model);
}

void OvraPlayVC::mediaPlayerCurrentTime(QObject *, double seconds)
{
    m_sync->mediaPlayerCurrentTime(seconds);
}

void OvraPlayVC::mediaPlayerCurrentState(QObject *, quint64 state)
{
    m_sync->mediaPlayerCurrentState(state);
}

void OvraPlayVC::mediaPlayerReadFileList(QObject *, const QStringList &paths)
{
    QList<QVariantMap> items;
    for (const QString &path : paths)
        items.prepend(MFileModel::fromPath(path).toDictionary());
    if (!items.isEmpty())
        m_list->loadMediaData(items);
}

void OvraPlayVC::previousVideoClick()
{
    m_list->preVideoAction();
}

void OvraPlayVC::nextVideoClick()
{
    m_list->nextVideoAction();
}

void OvraPlayVC::resumOrPauseClick()
{
    m_player->resumOrPauseVideo();
}

void OvraPlayVC::stopBtnClick()
{
    m_player->stopPlayVideo();
}

void OvraPlayVC::showSetting()
{
    if (!m_settingFade) {
        m_settingFade = new QGraphicsOpacityEffect(settingView);
        settingView->setGraphicsEffect(m_settingFade);
    }
    if (m_settingAnimation)
        m_settingAnimation->stop();
    const bool fadeOut = isSetShow;
    if (!isVisible()) {
        // Nobody sees a fade before the window is shown (the one at set-up): end there at once.
        setSettingPanelVisible(!fadeOut);
        return;
    }
    auto *animation = new QPropertyAnimation(m_settingFade, "opacity", this);
    animation->setDuration(kSettingFadeMs);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    if (fadeOut) {
        animation->setStartValue(m_settingFade->opacity());
        animation->setEndValue(0.0);
        connect(animation, &QPropertyAnimation::finished, settingView, &QWidget::hide);
    } else {
        m_settingFade->setOpacity(0.0);
        settingView->setGeometry(settingPanelGeometry());
        settingView->show();
        settingView->raise();
        animation->setStartValue(0.0);
        animation->setEndValue(1.0);
    }
    m_settingAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    isSetShow = !isSetShow;
}

void OvraPlayVC::languageChange(int index)
{
    qInfo("%ld", long(index));
    if (index < 0)
        return;
    MLanguageManager::setNewLanguage(unsigned(index));
}

void OvraPlayVC::speedUnitChange(int index)
{
    m_sync->speedUnitChange(index);
    speedUnitBox->setCurrentText(Preferences::speedUnitType());
    // The dial follows at once too, also while paused.
    m_speed->refreshSpeedUnit();
}

void OvraPlayVC::fillMapBox()
{
    const QSignalBlocker block(mapBox);
    mapBox->clear();
    mapBox->addItem(QStringLiteral("OpenStreetMap"), QStringLiteral("osm"));
    const QString offline = MapSourcePreference::storedMbtilesPath();
    if (!offline.isEmpty())
        mapBox->addItem(QFileInfo(offline).fileName(), QStringLiteral("mbtiles:") + offline);
    mapBox->addItem(loc("Map.chooseFile"), QStringLiteral("choose"));
    mapBox->setCurrentIndex(offline.isEmpty() ? 0 : 1);
    if (!offline.isEmpty())
        mapBox->setItemData(1, offline, Qt::ToolTipRole);
}

void OvraPlayVC::mapChange(int index)
{
    const QString choice = mapBox->itemData(index).toString();
    QString path;
    if (choice == QLatin1String("osm")) {
        m_map->useOpenStreetMap();
        MapSourcePreference::storeOpenStreetMap();
    } else {
        if (choice.startsWith(QLatin1String("mbtiles:"))) {
            path = choice.mid(8);
        } else {
            path = m_chooseMbtiles ? m_chooseMbtiles()
                                   : QFileDialog::getOpenFileName(window(), loc("Map.chooseFile"), QString(),
                                                                  QStringLiteral("MBTiles (*.mbtiles)"));
        }
        if (!path.isEmpty()) {
            QString error;
            if (m_map->useMbtiles(path, &error)) {
                MapSourcePreference::storeMbtiles(path);
            } else {
                qInfo() << "offline map refused:" << path << error;
                if (m_alert)
                    m_alert(loc("Prompt"), loc("Map.cannotOpen"), {loc("OK")});
            }
        }
    }
    // The box always shows what the map really uses.
    fillMapBox();
}

void OvraPlayVC::checkUpgrade()
{
    m_updateChecker->checkUpgrade(viewUpgradeButton);
}

void OvraPlayVC::seekToSample(int index)
{
    const quint64 state = m_player->playState();
    const double duration = m_player->duration();
    if (index < 0 || duration <= 0 || (state != MediaPlayStatePlaying && state != MediaPlayStatePaused))
        return;
    // A little past the start of the second, so that rounding cannot land in the one before.
    const double seconds = qMin(double(index) + 0.05, duration);
    m_player->performClick(qBound(0.0, seconds / duration, 1.0));
}

OvraPlayVC::~OvraPlayVC() = default;

void OvraPlayVC::buildTitleBar()
{
    titleBarView = new ColorPanel(QStringLiteral("titleBarView"), kDark, this);
    titleBarView->setFixedHeight(kTitleBarHeight);
    auto *l = new QHBoxLayout(titleBarView);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(8);
    m_leftReserve = new QWidget(titleBarView);
    m_leftReserve->setFixedWidth(0);
    l->addWidget(m_leftReserve);

    titleLabel = makeLabel(QStringLiteral("titleLabel"), titleBarView, 11, QColor(236, 238, 240), true);
    titleLabel->setAlignment(Qt::AlignCenter);
    titleLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    titleLabel->setMinimumWidth(10);
    titleLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    l->addWidget(titleLabel, 1);

    settingButton = new QToolButton(titleBarView);
    settingButton->setObjectName(QStringLiteral("settingButton"));
    settingButton->setAutoRaise(true);
    settingButton->setCursor(Qt::PointingHandCursor);
    settingButton->setIcon(QIcon(pixmapNamed(QStringLiteral("settings"), QSize(22, 22), devicePixelRatioF())));
    settingButton->setIconSize(QSize(22, 22));
    settingButton->setFixedSize(34, 34);
    settingButton->setStyleSheet(QStringLiteral(
        "QToolButton{border:none;border-radius:17px;background:transparent;}"
        "QToolButton:hover{background:rgba(255,255,255,30);}"
        "QToolButton:pressed,QToolButton:checked{background:rgba(255,255,255,55);}"));
    l->addWidget(settingButton);
    m_rightReserve = new QWidget(titleBarView);
    m_rightReserve->setFixedWidth(0);
    l->addWidget(m_rightReserve);
}

void OvraPlayVC::setTitleStripReserve(int left, int right)
{
    // The recording's name stays centred on the window: the left end keeps at least as
    // much room as the right end uses for the window buttons and the settings button.
    const int rightUsed = right + settingButton->width() + 8;
    m_leftReserve->setFixedWidth(qMax(left, rightUsed));
    m_rightReserve->setFixedWidth(qMax(0, right));
}

QWidget *OvraPlayVC::buildReadouts()
{
    gpsInfoBgView = card(QStringLiteral("gpsInfoBgView"), this, kReadoutFrame, 7);
    auto *l = new QHBoxLayout(gpsInfoBgView);
    l->setContentsMargins(4, 4, 4, 4);
    l->setSpacing(4);
    gpsInfoBgView->setFixedHeight(82);

    const QColor value(240, 242, 244);
    speedBgView = card(QStringLiteral("speedBgView"), gpsInfoBgView, kDark, 5);
    {
        auto *v = new QVBoxLayout(speedBgView);
        v->setContentsMargins(12, 4, 12, 4);
        speedLabel = makeLabel(QStringLiteral("speedLabel"), speedBgView, 24, value, true);
        speedLabel->setAlignment(Qt::AlignCenter);
        v->addWidget(speedLabel);
    }
    l->addWidget(speedBgView, 3);

    gpsBgView = card(QStringLiteral("gpsBgView"), gpsInfoBgView, kDark, 5);
    {
        auto *v = new QVBoxLayout(gpsBgView);
        v->setContentsMargins(12, 6, 12, 6);
        v->setSpacing(2);
        latLabel = makeLabel(QStringLiteral("latLabel"), gpsBgView, 10.5, value);
        lonLabel = makeLabel(QStringLiteral("lonLabel"), gpsBgView, 10.5, value);
        v->addStretch(1);
        v->addWidget(latLabel);
        v->addWidget(lonLabel);
        v->addStretch(1);
    }
    l->addWidget(gpsBgView, 4);

    distanceBgView = card(QStringLiteral("distanceBgView"), gpsInfoBgView, kDark, 5);
    {
        auto *v = new QVBoxLayout(distanceBgView);
        v->setContentsMargins(12, 4, 12, 4);
        v->setSpacing(0);
        topSpeedLabel = makeLabel(QStringLiteral("topSpeedLabel"), distanceBgView, 9.5, value);
        aveSpeedLabel = makeLabel(QStringLiteral("aveSpeedLabel"), distanceBgView, 9.5, value);
        distanceLabel = makeLabel(QStringLiteral("distanceLabel"), distanceBgView, 9.5, value);
        v->addStretch(1);
        v->addWidget(topSpeedLabel);
        v->addWidget(aveSpeedLabel);
        v->addWidget(distanceLabel);
        v->addStretch(1);
    }
    l->addWidget(distanceBgView, 4);

    for (QLabel *lab : {latLabel, lonLabel, topSpeedLabel, aveSpeedLabel, distanceLabel}) {
        lab->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        lab->setMinimumWidth(10);
    }
    return gpsInfoBgView;
}

void OvraPlayVC::buildSettingPanel()
{
    settingView = new ColorPanel(QStringLiteral("settingView"), kWindowGrey, this);
    settingView->setBorder(kSettingBorder, 1);
    settingView->setCornerRadius(8);
    auto *outer = new QVBoxLayout(settingView);
    outer->setContentsMargins(16, 14, 16, 16);
    outer->setSpacing(6);

    const QColor captionColor(80, 84, 90);
    const QColor textColor(30, 30, 30);
    auto section = [&](QLabel *&caption, const QString &captionName, ColorPanel *&bg, const QString &bgName) {
        caption = makeLabel(captionName, settingView, 10, captionColor, true);
        outer->addWidget(caption);
        bg = new ColorPanel(bgName, Qt::white, settingView);
        bg->setCornerRadius(6);
        outer->addWidget(bg);
        outer->addSpacing(6);
    };

    section(baseSettingLabel, QStringLiteral("baseSettingLabel"), basicSetView, QStringLiteral("basicSetView"));
    {
        auto *g = new QGridLayout(basicSetView);
        g->setContentsMargins(14, 10, 14, 10);
        g->setHorizontalSpacing(12);
        g->setVerticalSpacing(8);
        languageLabel = makeLabel(QStringLiteral("languageLabel"), basicSetView, 10, textColor);
        speedUnitLabel = makeLabel(QStringLiteral("speedUnitLabel"), basicSetView, 10, textColor);
        mapLabel = makeLabel(QStringLiteral("mapLabel"), basicSetView, 10, textColor);
        languageBox = new QComboBox(basicSetView);
        languageBox->setObjectName(QStringLiteral("languageBox"));
        languageBox->addItems(MLanguageManager::languageDisplayNames());
        speedUnitBox = new QComboBox(basicSetView);
        speedUnitBox->setObjectName(QStringLiteral("speedUnitBox"));
        speedUnitBox->addItems({QStringLiteral("KMH"), QStringLiteral("MPH")});
        mapBox = new QComboBox(basicSetView);
        mapBox->setObjectName(QStringLiteral("mapBox"));
        mapBox->addItem(QStringLiteral("OpenStreetMap"));
        const QList<QPair<QLabel *, QComboBox *>> rows{{languageLabel, languageBox},
                                                       {speedUnitLabel, speedUnitBox},
                                                       {mapLabel, mapBox}};
        for (int i = 0; i < rows.size(); ++i) {
            g->addWidget(rows[i].first, i, 0);
            rows[i].second->setMinimumWidth(150);
            g->addWidget(rows[i].second, i, 1, Qt::AlignRight);
        }
        g->setColumnStretch(0, 1);
    }

    section(softServerLabel, QStringLiteral("softServerLabel"), softServerBackgroundView,
            QStringLiteral("softServerBackgroundView"));
    {
        auto *h = new QHBoxLayout(softServerBackgroundView);
        h->setContentsMargins(14, 10, 14, 10);
        versionLabel = makeLabel(QStringLiteral("versionLabel"), softServerBackgroundView, 10, textColor);
        viewUpgradeButton = new QPushButton(softServerBackgroundView);
        viewUpgradeButton->setObjectName(QStringLiteral("viewUpgradeButton"));
        QPalette bp = viewUpgradeButton->palette();
        bp.setColor(QPalette::ButtonText, Qt::black);
        viewUpgradeButton->setPalette(bp);
        h->addWidget(versionLabel, 1);
        h->addWidget(viewUpgradeButton);
    }

    section(aboutLabel, QStringLiteral("aboutLabel"), abouBackgroundView, QStringLiteral("abouBackgroundView"));
    {
        auto *v = new QVBoxLayout(abouBackgroundView);
        v->setContentsMargins(14, 10, 14, 10);
        v->setSpacing(4);
        companyNameLabel = makeLabel(QStringLiteral("companyNameLabel"), abouBackgroundView, 10, textColor, true);
        companyUrlLabel = makeLabel(QStringLiteral("companyUrlLabel"), abouBackgroundView, 9.5, textColor);
        supportUrlLabel = makeLabel(QStringLiteral("supportUrlLabel"), abouBackgroundView, 9.5, textColor);
        for (QLabel *lab : {companyNameLabel, companyUrlLabel, supportUrlLabel}) {
            lab->setTextInteractionFlags(Qt::TextSelectableByMouse);
            lab->setWordWrap(true);
            v->addWidget(lab);
        }
    }
    outer->addStretch(1);
    settingView->raise();
}

QWidget *OvraPlayVC::makePanel(const QString &name, const QString &captionKey, QWidget *content,
                               QWidget **container)
{
    ColorPanel *c = card(name, this);
    auto *l = new QVBoxLayout(c);
    l->setContentsMargins(8, 6, 8, 8);
    l->setSpacing(4);
    auto *cap = captionLabel(c);
    m_panelCaptions.append({cap, captionKey});
    l->addWidget(cap);
    auto *holder = new QWidget(c);
    holder->setObjectName(name.endsWith(QLatin1String("Card")) ? name.chopped(4) + QStringLiteral("Panel") : name);
    auto *hl = new QVBoxLayout(holder);
    hl->setContentsMargins(0, 0, 0, 0);
    hl->addWidget(content);
    l->addWidget(holder, 1);
    *container = holder;
    return c;
}

void OvraPlayVC::installPanelWidgetImpl(QWidget *panel, QWidget *widget)
{
    if (!panel || !widget)
        return;
    QLayout *l = panel->layout();
    while (QLayoutItem *item = l->takeAt(0)) {
        if (QWidget *w = item->widget())
            w->deleteLater();
        delete item;
    }
    widget->setParent(panel);
    l->addWidget(widget);
    widget->show();
    // Keep the scene's names pointing at what is on screen.
    if (panel == m_speedPanel)
        speedView = widget;
    else if (panel == m_compassPanel)
        compassView = widget;
    else if (panel == m_mapPanel)
        mapView = widget;
    else if (panel == m_mediaPanel)
        mediaView = widget;
    else if (panel == m_listPanel)
        listTableView = widget;
    settingView->raise();
}

void OvraPlayVC::setValueForLabel()
{
    baseSettingLabel->setText(loc("Basic.settings"));
    softServerLabel->setText(loc("Software.service"));
    aboutLabel->setText(loc("About"));
    languageLabel->setText(loc("language"));
    speedUnitLabel->setText(loc("Speed.unit"));
    mapLabel->setText(loc("Map"));
    viewUpgradeButton->setText(loc("Monitoring.and.Upgrading"));
    QString version = loc("Version");
    versionLabel->setText(version.replace(QLatin1String("%@"), MTool::currentVersion()));
    companyNameLabel->setText(loc("The.Company"));
    companyUrlLabel->setText(loc("Web"));
    supportUrlLabel->setText(loc("Tech.Support"));
    languageBox->setCurrentText(MLanguageManager::languageDisplayName());
    speedUnitBox->setCurrentText(Preferences::speedUnitType());
    settingButton->setToolTip(loc("Settings"));
    mapBox->setToolTip(loc("Map"));
    for (const auto &[label, key] : std::as_const(m_panelCaptions))
        label->setText(MLanguageManager::DPLocalizedString(key).toUpper());

    // The read-outs keep what they show, in the new words.
    if (m_sync)
        m_sync->refreshLanguage();
    settingView->adjustSize();
    settingView->setGeometry(settingPanelGeometry());
}

void OvraPlayVC::setSettingPanelVisible(bool visible)
{
    isSetShow = visible;
    if (m_settingAnimation)
        m_settingAnimation->stop();
    if (m_settingFade)
        m_settingFade->setOpacity(visible ? 1.0 : 0.0);
    settingView->setGeometry(settingPanelGeometry());
    settingView->setVisible(visible);
    if (visible)
        settingView->raise();
}

QRect OvraPlayVC::settingPanelGeometry() const
{
    const int w = qMin(kSettingWidth, width() - 2 * kGap);
    const int h = qMin(settingView->sizeHint().height(), height() - kTitleBarHeight - 2 * kGap);
    return QRect(width() - w - kGap, kTitleBarHeight + kGap, w, h);
}

void OvraPlayVC::updateInstrumentRow()
{
    // Dials are round: the row is as high as one of its two square cards is wide, plus the
    // caption line.
    const int w = m_rightColumn->width();
    const int side = (w - kGap) / 2;
    m_instrumentRow->setFixedHeight(side + 22);
}

void OvraPlayVC::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateInstrumentRow();
    settingView->setGeometry(settingPanelGeometry());
}
