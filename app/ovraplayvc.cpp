#include "app/ovraplayvc.h"
#include "core/logging.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <QDebug>
#include <QFileDialog>

#include "app/colorpanel.h"
#include "app/restingpanel.h"
#include "app/settingspanel.h"
#include "app/viewstyle.h"
#include "core/imagenamed.h"
#include "core/mlanguagemanager.h"
#include "core/mtool.h"
#include "core/notificationhub.h"
#include "core/preferences.h"
#include "instruments/map/gpsmapview.h"
#include "instruments/map/mapsourcepreference.h"
#include "instruments/speedview.h"
#include "library/medialistview.h"
#include "app/playbacksync.h"
#include "playback/mediaplayview.h"
#include "net/updatechecker.h"

using ViewStyle::card;
using ViewStyle::captionLabel;
using ViewStyle::kDark;
using ViewStyle::makeLabel;

namespace {
constexpr int kGap = 8;
constexpr int kTitleBarHeight = 50;

} // namespace

OvraPlayVC::OvraPlayVC(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("OvraPlayVC"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ViewStyle::kWindowGrey);
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
    auto *videoContent = new RestingPanel(RestingPanel::Video);
    videoContent->setObjectName(QStringLiteral("mediaView"));
    mediaLayout->addWidget(videoContent);
    m_mediaPanel->setMinimumSize(400, 240);
    centre->addWidget(m_mediaPanel, 16);

    centre->addWidget(buildReadouts());

    centre->addWidget(buildStatePanel(), 7);
    body->addWidget(buildInstrumentColumn(), 4);

    settingView = new SettingsPanel(this);
    m_parts = wireMainView(this);
    settingView->fillMapBox();

    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { changeLanguage(); });
    setupBasicUI();
    setValueForLabel();
    // The panel starts shown and fades out once, so the window opens without it.
    setSettingPanelVisible(true);
    showSetting();
}

void OvraPlayVC::setAlertHandler(AlertHandler handler)
{
    m_alert = std::move(handler);
}

int OvraPlayVC::showAlert(const QString &title, const QString &content, const QStringList &buttonTitles)
{
    return m_alert ? m_alert(title, content, buttonTitles) : MTool::showAlert(title, content, buttonTitles, window());
}

void OvraPlayVC::setupBasicUI()
{
    // The speed-unit box shows the stored unit from the captions that follow.
    Preferences::registerSpeedUnitDefault();
    Preferences::registerSoundDefaults();
    clearGpsInfo();
}

void OvraPlayVC::changeLanguage()
{
    setValueForLabel();
    settingView->fillMapBox();
}

void OvraPlayVC::showReadouts()
{
    speedLabel->setText(m_parts.sync->speedText());
    latLabel->setText(m_parts.sync->latText());
    lonLabel->setText(m_parts.sync->lonText());
    topSpeedLabel->setText(m_parts.sync->topSpeedText());
    aveSpeedLabel->setText(m_parts.sync->aveSpeedText());
    distanceLabel->setText(m_parts.sync->distanceText());
}

void OvraPlayVC::clearGpsInfo()
{
    m_parts.sync->clearGpsInfo();
}

void OvraPlayVC::mediaPlayerDidDeleteModelIsSelect(QObject *, const MFileModel &model, bool isSelect)
{
    m_parts.sync->mediaPlayerDidDeleteModel(model, isSelect);
}

void OvraPlayVC::mediaPlayerDidSelectModel(QObject *, const MFileModel &model)
{
    m_parts.sync->mediaPlayerDidSelectModel(model);
}

void OvraPlayVC::mediaPlayerCurrentTime(QObject *, double seconds)
{
    m_parts.sync->mediaPlayerCurrentTime(seconds);
}

void OvraPlayVC::mediaPlayerCurrentState(QObject *, quint64 state)
{
    m_parts.sync->mediaPlayerCurrentState(state);
}

void OvraPlayVC::mediaPlayerReadFileList(QObject *, const QStringList &paths)
{
    // In the order dropped; a dropped folder brings the recordings inside it.
    m_parts.list->addRecordings(paths);
}

void OvraPlayVC::previousVideoClick()
{
    m_parts.list->preVideoAction();
}

void OvraPlayVC::nextVideoClick()
{
    m_parts.list->nextVideoAction();
}

void OvraPlayVC::resumOrPauseClick()
{
    m_parts.player->resumOrPauseVideo();
}

void OvraPlayVC::stopBtnClick()
{
    m_parts.player->stopPlayVideo();
}

void OvraPlayVC::showSetting()
{
    const bool shown = !m_isSetShow;
    // Nobody sees a fade before the window is shown (the one at set-up): end there at once.
    if (isVisible())
        settingView->fadeTo(shown, settingPanelGeometry());
    else
        settingView->setShown(shown, settingPanelGeometry());
    m_isSetShow = shown;
}

void OvraPlayVC::languageChange(int index)
{
    qCDebug(lcApp, "%ld", long(index));
    if (index < 0)
        return;
    MLanguageManager::setNewLanguage(unsigned(index));
}

void OvraPlayVC::speedUnitChange(int index)
{
    m_parts.sync->speedUnitChange(index);
    settingView->setValueForLabel(); // the box shows what was stored
    // The dial follows at once too, also while paused.
    m_parts.speed->refreshSpeedUnit();
}

void OvraPlayVC::mapChange(int index)
{
    const QString choice = settingView->mapChoice(index);
    QString path;
    if (choice == QLatin1String("osm")) {
        m_parts.map->useOpenStreetMap();
        MapSourcePreference::storeOpenStreetMap();
    } else {
        if (choice.startsWith(QLatin1String("mbtiles:"))) {
            path = choice.mid(8);
        } else {
            path = m_chooseMbtiles ? m_chooseMbtiles()
                                   : QFileDialog::getOpenFileName(window(), MLanguageManager::localized("Map.chooseFile"), QString(),
                                                                  QStringLiteral("MBTiles (*.mbtiles)"));
        }
        if (!path.isEmpty()) {
            // Checked off the GUI thread; the box follows once the answer is in.
            m_parts.map->openMbtiles(path, [this, path](bool ok, const QString &error) {
                if (ok) {
                    MapSourcePreference::storeMbtiles(path);
                } else if (!error.isEmpty()) {
                    qCInfo(lcApp) << "offline map refused:" << path << error;
                    showAlert(MLanguageManager::localized("Prompt"), MLanguageManager::localized("Map.cannotOpen"), {MLanguageManager::localized("OK")});
                }
                settingView->fillMapBox();
            });
        }
    }
    // The box always shows what the map really uses.
    settingView->fillMapBox();
}

void OvraPlayVC::checkUpgrade()
{
    m_parts.updateChecker->checkUpgrade(settingView->upgradeButton());
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
    connect(settingButton, &QToolButton::clicked, this, &OvraPlayVC::settingButtonClicked);
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
    gpsInfoBgView = card(QStringLiteral("gpsInfoBgView"), this, ViewStyle::kReadoutFrame, 7);
    auto *l = new QHBoxLayout(gpsInfoBgView);
    l->setContentsMargins(4, 4, 4, 4);
    l->setSpacing(4);
    gpsInfoBgView->setFixedHeight(82);

    // One dark block of the strip: its labels stacked and centred. A block is at least as
    // wide as its texts (the spare width is shared by the stretches), so that no figure is
    // ever cut; fonts and margins are small enough for all four blocks at the smallest window.
    auto block = [&](ColorPanel *&bg, const char *name, int stretch, qreal pointSize, bool bold, int vMargin,
                     std::initializer_list<std::pair<QLabel **, const char *>> labels) {
        bg = addReadoutCard(QString::fromLatin1(name), stretch);
        auto *v = new QVBoxLayout(bg);
        v->setContentsMargins(6, vMargin, 6, vMargin);
        v->setSpacing(labels.size() > 2 ? 0 : 2);
        v->addStretch(1);
        for (const auto &[label, labelName] : labels) {
            *label = makeLabel(QString::fromLatin1(labelName), bg, pointSize, QColor(240, 242, 244), bold);
            (*label)->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
            v->addWidget(*label);
        }
        v->addStretch(1);
    };
    block(speedBgView, "speedBgView", 3, 20, true, 4, {{&speedLabel, "speedLabel"}});
    speedLabel->setAlignment(Qt::AlignCenter);
    block(gpsBgView, "gpsBgView", 4, 10.5, false, 6, {{&latLabel, "latLabel"}, {&lonLabel, "lonLabel"}});
    block(distanceBgView, "distanceBgView", 4, 9.5, false, 4,
          {{&topSpeedLabel, "topSpeedLabel"}, {&aveSpeedLabel, "aveSpeedLabel"}, {&distanceLabel, "distanceLabel"}});
    return gpsInfoBgView;
}

ColorPanel *OvraPlayVC::addReadoutCard(const QString &name, int stretch)
{
    auto *card = ViewStyle::card(name, gpsInfoBgView, kDark, 5);
    static_cast<QHBoxLayout *>(gpsInfoBgView->layout())->addWidget(card, stretch);
    return card;
}

void OvraPlayVC::showTitle(const QString &title)
{
    titleLabel->setText(title);
}

QWidget *OvraPlayVC::buildStatePanel()
{
    stateView = card(QStringLiteral("stateView"), this);
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
    stateView->setMinimumHeight(130);
    return stateView;
}

QWidget *OvraPlayVC::buildInstrumentColumn()
{
    // Speed dial and compass side by side, the map under them.
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
    row->addWidget(makePanel(QStringLiteral("speedCard"), QStringLiteral("Speed"), speedContent, &m_speedPanel));
    auto *compassContent = new RestingPanel(RestingPanel::Compass);
    row->addWidget(makePanel(QStringLiteral("compassCard"), QStringLiteral("Compass"), compassContent, &m_compassPanel));
    right->addWidget(m_instrumentRow);
    auto *mapContent = new RestingPanel(RestingPanel::Map);
    right->addWidget(makePanel(QStringLiteral("mapCard"), QStringLiteral("Map"), mapContent, &m_mapPanel), 1);
    m_rightColumn->setMinimumWidth(300);
    m_rightColumn->setMaximumWidth(480);
    return m_rightColumn;
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
    content->setObjectName(sceneNameOf(holder));
    return c;
}

QString OvraPlayVC::sceneNameOf(const QWidget *panel) const
{
    if (panel == m_speedPanel)
        return QStringLiteral("speedView");
    if (panel == m_compassPanel)
        return QStringLiteral("compassView");
    if (panel == m_mapPanel)
        return QStringLiteral("mapView");
    if (panel == m_mediaPanel)
        return QStringLiteral("mediaView");
    if (panel == m_listPanel)
        return QStringLiteral("listTableView");
    return QString();
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
    // What is on screen carries the scene's name for it.
    if (widget->objectName().isEmpty())
        widget->setObjectName(sceneNameOf(panel));
    settingView->raise();
}

void OvraPlayVC::setValueForLabel()
{
    settingView->setValueForLabel();
    settingButton->setToolTip(MLanguageManager::localized("Settings"));
    for (const auto &[label, key] : std::as_const(m_panelCaptions))
        label->setText(MLanguageManager::DPLocalizedString(key).toUpper());

    // The read-outs keep what they show, in the new words.
    if (m_parts.sync)
        m_parts.sync->refreshLanguage();
    settingView->setGeometry(settingPanelGeometry());
}

void OvraPlayVC::setSettingPanelVisible(bool visible)
{
    m_isSetShow = visible;
    settingView->setShown(visible, settingPanelGeometry());
}

QRect OvraPlayVC::settingPanelGeometry() const
{
    return settingView->placementIn(
        QRect(kGap, kTitleBarHeight + kGap, width() - 2 * kGap, height() - kTitleBarHeight - 2 * kGap));
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
