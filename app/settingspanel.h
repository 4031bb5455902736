#pragma once
// The settings panel that fades in over the top right of the main view: basic settings
// (language, speed unit, map), the software service (version, update check) and the about
// section. It builds and captions its own controls; the main view answers what they send
// and decides where the panel sits.
#include <QPointer>

#include "app/colorpanel.h"

class QComboBox;
class QGraphicsOpacityEffect;
class QLabel;
class QPropertyAnimation;
class QPushButton;

class SettingsPanel : public ColorPanel {
    Q_OBJECT
public:
    explicit SettingsPanel(QWidget *parent);

    // Every caption, and what the language and speed-unit boxes show, in the stored
    // language and preferences.
    void setValueForLabel();
    // OpenStreetMap, the stored offline map if there is one, and the entry that asks for a
    // file; the box shows what the map uses.
    void fillMapBox();

    // Fades in from hidden, or out to hidden, in 0.1 s; geometry is where a fade-in shows.
    void fadeTo(bool shown, const QRect &geometry);
    // Shown or hidden at once; a running fade stops.
    void setShown(bool shown, const QRect &geometry);
    // Where the panel sits inside area (the host's room under its title strip): top right,
    // as high as its content needs.
    QRect placementIn(const QRect &area) const;

    // Basic settings.
    QLabel *baseSettingLabel = nullptr;
    ColorPanel *basicSetView = nullptr;
    QLabel *languageLabel = nullptr;
    QComboBox *languageBox = nullptr;
    QLabel *speedUnitLabel = nullptr;
    QComboBox *speedUnitBox = nullptr;
    QLabel *mapLabel = nullptr;
    QComboBox *mapBox = nullptr;
    // Software service.
    QLabel *softServerLabel = nullptr;
    ColorPanel *softServerBackgroundView = nullptr;
    QLabel *versionLabel = nullptr;
    QPushButton *viewUpgradeButton = nullptr;
    // About.
    QLabel *aboutLabel = nullptr;
    ColorPanel *abouBackgroundView = nullptr;
    QLabel *companyNameLabel = nullptr;
    QLabel *companyUrlLabel = nullptr;
    QLabel *supportUrlLabel = nullptr;

private:
    void buildBasicSettings();
    void buildSoftwareService();
    void buildAbout();

    QGraphicsOpacityEffect *m_fade = nullptr;
    QPointer<QPropertyAnimation> m_animation;
};
