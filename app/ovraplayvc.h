#pragma once
// The one main view: title strip background, video area, media list, speed dial, compass,
// G-sensor chart, route map, read-outs and the settings panel. This file lays the scene
// out and answers the window's controls. Other parts never reach into its views: they use
// its named places (the panels that installPanelWidget() fills, addReadoutCard(), the
// settings panel's addSettingsSection()). How the parts are wired to each other is in
// app/composition.cpp.
#include <functional>
#include <QWidget>

#include "app/composition.h"
#include "app/settingspanel.h"
#include "core/mediaplayerdelegate.h"
#include "core/mtool.h"

class ColorPanel;
class QLabel;
class QToolButton;

class OvraPlayVC : public QWidget, public MediaPlayerDelegate {
    Q_OBJECT
public:
    explicit OvraPlayVC(QWidget *parent = nullptr);
    ~OvraPlayVC() override;

    // What the player and the list report (MediaPlayerDelegate).
    void mediaPlayerDidDeleteModelIsSelect(QObject *sender, const MFileModel &model, bool isSelect) override;
    void mediaPlayerDidSelectModel(QObject *sender, const MFileModel &model) override;
    void mediaPlayerCurrentTime(QObject *sender, double seconds) override;
    void mediaPlayerCurrentState(QObject *sender, quint64 state) override;
    void mediaPlayerReadFileList(QObject *sender, const QStringList &paths) override;

    // Actions of the window's controls.
    void previousVideoClick();
    void nextVideoClick();
    void resumOrPauseClick();
    void stopBtnClick();
    // Fades the settings panel in or out (0.1 s) and flips isSetShow.
    void showSetting();
    void languageChange(int index);
    void speedUnitChange(int index);
    // Index 0 OpenStreetMap; the offline entry asks for an .mbtiles file.
    void mapChange(int index);
    void checkUpgrade();
    // Every read-out to its no-data text.
    void clearGpsInfo();

    // The real views, once installed (null while a panel shows its resting look).
    MediaListView *mediaList() const { return m_parts.list; }
    MediaPlayView *player() const { return m_parts.player; }
    GpsMapView *gpsMap() const { return m_parts.map; }
    SpeedView *speedGauge() const { return m_parts.speed; }
    CompassView *compass() const { return m_parts.compass; }
    GsensorStateView *gsensor() const { return m_parts.gsensor; }
    PlaybackSync *playbackSync() const { return m_parts.sync; }
    UpdateChecker *updateChecker() const { return m_parts.updateChecker; }
    IncidentTools *incidentTools() const { return m_parts.incidents; }
    TimelineView *timeline() const { return m_parts.timeline; }
    // Every modal alert of the main view (list, update check, map box) goes through
    // showAlert(): MTool::showAlert over this window unless a handler is set (tests answer
    // it); answers 1000 for the first button.
    using AlertHandler = MTool::AlertHandler;
    void setAlertHandler(AlertHandler handler);
    int showAlert(const QString &title, const QString &content, const QStringList &buttonTitles);
    // The read-outs show what the playback sync last wrote.
    void showReadouts();
    // The file dialog of the offline map entry; tests answer it.
    void setMbtilesChooser(std::function<QString()> chooser) { m_chooseMbtiles = std::move(chooser); }

    // Named places of the dashboard that the parts are put into (app/composition.cpp).
    // Panels whose layout shows a resting-look placeholder until installPanelWidget() puts
    // the real view in:
    QWidget *mediaPanel() const { return m_mediaPanel; }    // video area with its control bar
    QWidget *listPanel() const { return m_listPanel; }      // media list
    QWidget *speedPanel() const { return m_speedPanel; }    // speed dial
    QWidget *compassPanel() const { return m_compassPanel; }
    QWidget *gsensorPanel() const { return m_gsensorPanel; } // inside stateView
    QWidget *mapPanel() const { return m_mapPanel; }

    // Replaces whatever the panel shows with widget (which the panel then owns) and
    // returns widget, so `speed = vc->installPanelWidget(vc->speedPanel(), new SpeedView)`.
    template <typename W>
    W *installPanelWidget(QWidget *panel, W *widget)
    {
        installPanelWidgetImpl(panel, widget);
        return widget;
    }
    // A dark card of the given name at the end of the read-out strip, for the caller to
    // fill; a hidden card leaves its room to the others.
    ColorPanel *addReadoutCard(const QString &name, int stretch);
    // The settings panel, where tools add their sections (SettingsPanel::addSettingsSection).
    SettingsPanel *settingsPanel() const { return settingView; }

    // The name of the recording on display, in the title strip.
    void showTitle(const QString &title);
    // Writes every caption of the settings panel and the panel titles in the stored
    // language; run at start and on every language change.
    void setValueForLabel();
    // The settings panel is shown (it fades out once at start, so the window opens without it).
    bool isSetShow() const { return m_isSetShow; }
    // Shows or hides the settings panel at once (the toggle with its fade is the
    // controller's showSetting()).
    void setSettingPanelVisible(bool visible);
    // Where the settings panel sits for the current size (top right, under the strip).
    QRect settingPanelGeometry() const;

    // Width the window controller keeps free at each end of titleBarView for the menus and
    // the window buttons that its title strip lays over it.
    void setTitleStripReserve(int left, int right);

signals:
    // The gear in the title bar was clicked (showSetting() answers it).
    void settingButtonClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void setupBasicUI();
    void changeLanguage();
    void buildTitleBar();
    QWidget *buildReadouts();
    QWidget *buildStatePanel();
    QWidget *buildInstrumentColumn();
    QWidget *makePanel(const QString &name, const QString &captionKey, QWidget *content, QWidget **container);
    void installPanelWidgetImpl(QWidget *panel, QWidget *widget);
    QString sceneNameOf(const QWidget *panel) const;
    void updateInstrumentRow();

    // The scene's views under their own names; each is also its widget's object name. The
    // settings panel's own captions and boxes live in SettingsPanel; speedView, compassView,
    // mapView, mediaView and listTableView are the names of what the panels show.
    bool m_isSetShow = false;
    QLabel *titleLabel = nullptr;
    ColorPanel *titleBarView = nullptr;
    ColorPanel *stateView = nullptr;
    SettingsPanel *settingView = nullptr;
    ColorPanel *gpsInfoBgView = nullptr;
    ColorPanel *speedBgView = nullptr;
    QLabel *speedLabel = nullptr;
    ColorPanel *gpsBgView = nullptr;
    QLabel *latLabel = nullptr;
    QLabel *lonLabel = nullptr;
    ColorPanel *distanceBgView = nullptr;
    QLabel *topSpeedLabel = nullptr;
    QLabel *aveSpeedLabel = nullptr;
    QLabel *distanceLabel = nullptr;
    QToolButton *settingButton = nullptr; // sends settingButtonClicked

    QWidget *m_mediaPanel = nullptr;
    QWidget *m_listPanel = nullptr;
    QWidget *m_speedPanel = nullptr;
    QWidget *m_compassPanel = nullptr;
    QWidget *m_gsensorPanel = nullptr;
    QWidget *m_mapPanel = nullptr;
    QWidget *m_instrumentRow = nullptr;
    QWidget *m_rightColumn = nullptr;
    QWidget *m_leftReserve = nullptr;
    QWidget *m_rightReserve = nullptr;
    QList<QPair<QLabel *, QString>> m_panelCaptions; // caption label, key

    MainViewParts m_parts;
    std::function<QString()> m_chooseMbtiles;
    AlertHandler m_alert;
};
