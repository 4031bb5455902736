#pragma once
// The settings panel that fades in over the top right of the main view: basic settings
// (language, speed unit, map), the software service (version, update check) and the about
// section. It builds and captions its own controls and says what the user chose; the main
// view answers (app/composition.cpp connects them) and decides where the panel sits. Tools
// of our own add their sections with addSettingsSection().
#include <QPointer>

#include "app/colorpanel.h"

class QAbstractButton;
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

    // A section of its own after the basic settings (and after the sections added before):
    // its caption label and the white card to fill, both named for tests and style sheets.
    struct Section {
        QLabel *caption = nullptr;
        ColorPanel *card = nullptr;
    };
    Section addSettingsSection(const QString &captionName, const QString &cardName);

    // What a map box entry stands for: "osm", "mbtiles:<path>" or "choose".
    QString mapChoice(int index) const;
    // The update check's button, which its answers are shown next to.
    QAbstractButton *upgradeButton() const;

signals:
    // The index chosen in the language, speed-unit and map boxes.
    void languageChosen(int index);
    void speedUnitChosen(int index);
    void mapChosen(int index);
    void upgradeRequested();

private:
    // The scene's names. Basic settings.
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

    void buildBasicSettings();
    void buildSoftwareService();
    void buildAbout();

    QGraphicsOpacityEffect *m_fade = nullptr;
    QPointer<QPropertyAnimation> m_animation;
    int m_nextSectionIndex = 0; // where addSettingsSection() puts the next one
};
