#pragma once
// The one main view: title strip background, video area, media list, speed dial, compass,
// G-sensor chart, route map, read-outs and the settings panel. This file lays the scene
// out and answers the window's controls; every instrument sits in a named panel so the
// real widget is put in with installPanelWidget(panel, widget), which replaces the panel's
// resting look. How the parts are wired to each other is in app/composition.cpp.
#include <functional>
#include <QWidget>

#include "app/composition.h"
#include "app/settingspanel.h"
#include "core/mediaplayerdelegate.h"
#include "core/mtool.h"

class ColorPanel;
class QComboBox;
class QLabel;
class QPushButton;
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

    // Containers of the panels that other views fill. Each has a layout whose content is
    // a resting-look placeholder until installPanelWidget() puts the real view in.
    QWidget *mediaPanel() const { return m_mediaPanel; }    // video area with its control bar
    QWidget *listPanel() const { return m_listPanel; }      // media list
    QWidget *speedPanel() const { return m_speedPanel; }    // speed dial
    QWidget *compassPanel() const { return m_compassPanel; }
    QWidget *gsensorPanel() const { return m_gsensorPanel; } // inside stateView
    QWidget *mapPanel() const { return m_mapPanel; }

    // Replaces whatever the panel shows with widget (which the panel then owns) and
    // returns widget, so `speedView = vc->installPanelWidget(vc->speedPanel(), new SpeedView)`.
    template <typename W>
    W *installPanelWidget(QWidget *panel, W *widget)
    {
        installPanelWidgetImpl(panel, widget);
        return widget;
    }

    // Writes every caption of the settings panel and the panel titles in the stored
    // language; run at start and on every language change.
    void setValueForLabel();
    // Shows or hides the settings panel at once (the toggle with its fade is the
    // controller's showSetting()).
    void setSettingPanelVisible(bool visible);
    // Where the settings panel sits for the current size (top right, under the strip).
    QRect settingPanelGeometry() const;

    // The scene, under the names the rest of the program knows them by. View fields point
    // at the panels' current content (a placeholder until the real view is installed).
    bool isSetShow = false;
    QLabel *titleLabel = nullptr;
    QWidget *speedView = nullptr;
    QWidget *compassView = nullptr;
    QLabel *baseSettingLabel = nullptr;
    QLabel *softServerLabel = nullptr;
    QLabel *aboutLabel = nullptr;
    QLabel *languageLabel = nullptr;
    QLabel *speedUnitLabel = nullptr;
    QPushButton *viewUpgradeButton = nullptr;
    QLabel *companyNameLabel = nullptr;
    QLabel *companyUrlLabel = nullptr;
    QLabel *supportUrlLabel = nullptr;
    ColorPanel *titleBarView = nullptr;
    ColorPanel *stateView = nullptr;
    QWidget *mapView = nullptr;
    QWidget *mediaView = nullptr;
    SettingsPanel *settingView = nullptr;
    ColorPanel *abouBackgroundView = nullptr;
    ColorPanel *basicSetView = nullptr;
    ColorPanel *softServerBackgroundView = nullptr;
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
    QComboBox *languageBox = nullptr;
    QComboBox *mapBox = nullptr;
    QComboBox *speedUnitBox = nullptr;
    QLabel *versionLabel = nullptr;
    QWidget *listTableView = nullptr;

    // Controls without a field of their own in the scene description.
    QToolButton *settingButton = nullptr; // sends showSetting
    QLabel *mapLabel = nullptr;           // caption of mapBox

    // Width the window controller keeps free at each end of titleBarView for the menus and
    // the window buttons that its title strip lays over it.
    void setTitleStripReserve(int left, int right);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void setupBasicUI();
    void changeLanguage();
    void buildTitleBar();
    QWidget *buildReadouts();
    QWidget *buildStatePanel();
    QWidget *buildInstrumentColumn();
    void buildSettingPanel();
    QWidget *makePanel(const QString &name, const QString &captionKey, QWidget *content, QWidget **container);
    void installPanelWidgetImpl(QWidget *panel, QWidget *widget);
    void updateInstrumentRow();

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
