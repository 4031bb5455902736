#include "app/settingspanel.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/viewstyle.h"
#include "core/mlanguagemanager.h"
#include "core/mtool.h"
#include "core/preferences.h"
#include "instruments/map/mapsourcepreference.h"

using ViewStyle::makeLabel;

namespace {
constexpr int kWidth = 340;
constexpr int kFadeMs = 100;
const QColor kCaptionColor(80, 84, 90);
const QColor kTextColor(30, 30, 30);


// A section: its caption, then the white card that holds its controls.
ColorPanel *addSection(QVBoxLayout *outer, QWidget *panel, QLabel *&caption, const QString &captionName,
                       const QString &cardName)
{
    caption = makeLabel(captionName, panel, 10, kCaptionColor, true);
    outer->addWidget(caption);
    auto *bg = new ColorPanel(cardName, Qt::white, panel);
    bg->setCornerRadius(6);
    outer->addWidget(bg);
    outer->addSpacing(6);
    return bg;
}
} // namespace

SettingsPanel::SettingsPanel(QWidget *parent)
    : ColorPanel(QStringLiteral("settingView"), ViewStyle::kWindowGrey, parent)
{
    setBorder(ViewStyle::kSettingBorder, 1);
    setCornerRadius(8);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 14, 16, 16);
    outer->setSpacing(6);

    basicSetView = addSection(outer, this, baseSettingLabel, QStringLiteral("baseSettingLabel"),
                              QStringLiteral("basicSetView"));
    buildBasicSettings();
    m_nextSectionIndex = outer->count();
    softServerBackgroundView = addSection(outer, this, softServerLabel, QStringLiteral("softServerLabel"),
                                          QStringLiteral("softServerBackgroundView"));
    buildSoftwareService();
    abouBackgroundView = addSection(outer, this, aboutLabel, QStringLiteral("aboutLabel"),
                                    QStringLiteral("abouBackgroundView"));
    buildAbout();
    outer->addStretch(1);

    m_fade = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(m_fade);
    raise();

    connect(languageBox, &QComboBox::activated, this, &SettingsPanel::languageChosen);
    connect(speedUnitBox, &QComboBox::activated, this, &SettingsPanel::speedUnitChosen);
    connect(mapBox, &QComboBox::activated, this, &SettingsPanel::mapChosen);
    connect(viewUpgradeButton, &QPushButton::clicked, this, &SettingsPanel::upgradeRequested);
}

SettingsPanel::Section SettingsPanel::addSettingsSection(const QString &captionName, const QString &cardName)
{
    auto *outer = static_cast<QVBoxLayout *>(layout());
    Section section;
    section.caption = makeLabel(captionName, this, 10, kCaptionColor, true);
    section.card = new ColorPanel(cardName, Qt::white, this);
    section.card->setCornerRadius(6);
    outer->insertWidget(m_nextSectionIndex++, section.caption);
    outer->insertWidget(m_nextSectionIndex++, section.card);
    outer->insertSpacing(m_nextSectionIndex++, 6);
    return section;
}

QString SettingsPanel::mapChoice(int index) const
{
    return mapBox->itemData(index).toString();
}

QAbstractButton *SettingsPanel::upgradeButton() const
{
    return viewUpgradeButton;
}

void SettingsPanel::buildBasicSettings()
{
    auto *g = new QGridLayout(basicSetView);
    g->setContentsMargins(14, 10, 14, 10);
    g->setHorizontalSpacing(12);
    g->setVerticalSpacing(8);
    languageLabel = makeLabel(QStringLiteral("languageLabel"), basicSetView, 10, kTextColor);
    speedUnitLabel = makeLabel(QStringLiteral("speedUnitLabel"), basicSetView, 10, kTextColor);
    mapLabel = makeLabel(QStringLiteral("mapLabel"), basicSetView, 10, kTextColor);
    languageBox = new QComboBox(basicSetView);
    languageBox->setObjectName(QStringLiteral("languageBox"));
    languageBox->addItems(MLanguageManager::languageDisplayNames());
    speedUnitBox = new QComboBox(basicSetView);
    speedUnitBox->setObjectName(QStringLiteral("speedUnitBox"));
    speedUnitBox->addItems({QStringLiteral("KMH"), QStringLiteral("MPH")});
    mapBox = new QComboBox(basicSetView);
    mapBox->setObjectName(QStringLiteral("mapBox"));
    mapBox->addItem(QStringLiteral("OpenStreetMap"));
    const QList<QPair<QLabel *, QComboBox *>> rows{
        {languageLabel, languageBox}, {speedUnitLabel, speedUnitBox}, {mapLabel, mapBox}};
    for (int i = 0; i < rows.size(); ++i) {
        g->addWidget(rows[i].first, i, 0);
        rows[i].second->setMinimumWidth(150);
        g->addWidget(rows[i].second, i, 1, Qt::AlignRight);
    }
    g->setColumnStretch(0, 1);
}

void SettingsPanel::buildSoftwareService()
{
    auto *h = new QHBoxLayout(softServerBackgroundView);
    h->setContentsMargins(14, 10, 14, 10);
    versionLabel = makeLabel(QStringLiteral("versionLabel"), softServerBackgroundView, 10, kTextColor);
    viewUpgradeButton = new QPushButton(softServerBackgroundView);
    viewUpgradeButton->setObjectName(QStringLiteral("viewUpgradeButton"));
    QPalette bp = viewUpgradeButton->palette();
    bp.setColor(QPalette::ButtonText, Qt::black);
    viewUpgradeButton->setPalette(bp);
    h->addWidget(versionLabel, 1);
    h->addWidget(viewUpgradeButton);
}

void SettingsPanel::buildAbout()
{
    auto *v = new QVBoxLayout(abouBackgroundView);
    v->setContentsMargins(14, 10, 14, 10);
    v->setSpacing(4);
    companyNameLabel = makeLabel(QStringLiteral("companyNameLabel"), abouBackgroundView, 10, kTextColor, true);
    companyUrlLabel = makeLabel(QStringLiteral("companyUrlLabel"), abouBackgroundView, 9.5, kTextColor);
    supportUrlLabel = makeLabel(QStringLiteral("supportUrlLabel"), abouBackgroundView, 9.5, kTextColor);
    for (QLabel *lab : {companyNameLabel, companyUrlLabel, supportUrlLabel}) {
        lab->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lab->setWordWrap(true);
        v->addWidget(lab);
    }
}

void SettingsPanel::setValueForLabel()
{
    baseSettingLabel->setText(MLanguageManager::localized("Basic.settings"));
    softServerLabel->setText(MLanguageManager::localized("Software.service"));
    aboutLabel->setText(MLanguageManager::localized("About"));
    languageLabel->setText(MLanguageManager::localized("language"));
    speedUnitLabel->setText(MLanguageManager::localized("Speed.unit"));
    mapLabel->setText(MLanguageManager::localized("Map"));
    viewUpgradeButton->setText(MLanguageManager::localized("Monitoring.and.Upgrading"));
    QString version = MLanguageManager::localized("Version");
    versionLabel->setText(version.replace(QLatin1String("%@"), MTool::currentVersion()));
    companyNameLabel->setText(MLanguageManager::localized("The.Company"));
    companyUrlLabel->setText(MLanguageManager::localized("Web"));
    supportUrlLabel->setText(MLanguageManager::localized("Tech.Support"));
    languageBox->setCurrentText(MLanguageManager::languageDisplayName());
    speedUnitBox->setCurrentText(Preferences::speedUnitType());
    mapBox->setToolTip(MLanguageManager::localized("Map"));
    adjustSize();
}

void SettingsPanel::fillMapBox()
{
    const QSignalBlocker block(mapBox);
    mapBox->clear();
    mapBox->addItem(QStringLiteral("OpenStreetMap"), QStringLiteral("osm"));
    const QString offline = MapSourcePreference::storedMbtilesPath();
    if (!offline.isEmpty())
        mapBox->addItem(QFileInfo(offline).fileName(), QStringLiteral("mbtiles:") + offline);
    mapBox->addItem(MLanguageManager::localized("Map.chooseFile"), QStringLiteral("choose"));
    mapBox->setCurrentIndex(offline.isEmpty() ? 0 : 1);
    if (!offline.isEmpty())
        mapBox->setItemData(1, offline.toHtmlEscaped(), Qt::ToolTipRole);
}

void SettingsPanel::fadeTo(bool shown, const QRect &geometry)
{
    if (m_animation)
        m_animation->stop();
    auto *animation = new QPropertyAnimation(m_fade, "opacity", this);
    animation->setDuration(kFadeMs);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    if (shown) {
        m_fade->setOpacity(0.0);
        setGeometry(geometry);
        show();
        raise();
        animation->setStartValue(0.0);
        animation->setEndValue(1.0);
    } else {
        animation->setStartValue(m_fade->opacity());
        animation->setEndValue(0.0);
        connect(animation, &QPropertyAnimation::finished, this, &QWidget::hide);
    }
    m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void SettingsPanel::setShown(bool shown, const QRect &geometry)
{
    if (m_animation)
        m_animation->stop();
    m_fade->setOpacity(shown ? 1.0 : 0.0);
    setGeometry(geometry);
    setVisible(shown);
    if (shown)
        raise();
}

QRect SettingsPanel::placementIn(const QRect &area) const
{
    const int w = qMin(kWidth, area.width());
    const int h = qMin(sizeHint().height(), area.height());
    return QRect(area.x() + area.width() - w, area.y(), w, h);
}
