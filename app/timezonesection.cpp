#include "app/timezonesection.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTimeZone>
#include <QVBoxLayout>

#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "core/preferences.h"
#include "core/zoneclocks.h"

namespace {
QString loc(const char *key) { return MLanguageManager::localized(key); }
} // namespace

TimeZoneSection::TimeZoneSection(const SettingsPanel::Section &section, QObject *parent)
    : QObject(parent), m_section(section)
{
    auto *v = new QVBoxLayout(section.card);
    v->setContentsMargins(12, 8, 12, 8);
    v->setSpacing(4);
    m_folderLabel = new QLabel(section.card);
    m_folderLabel->setObjectName(QStringLiteral("timeZoneFolderLabel"));
    m_folderLabel->setTextFormat(Qt::PlainText);
    m_folderLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_box = new QComboBox(section.card);
    m_box->setObjectName(QStringLiteral("timeZoneBox"));
    m_box->addItem(QString(), QStringLiteral("recorded"));
    m_box->addItem(QString(), QStringLiteral("auto"));
    for (const QByteArray &id : QTimeZone::availableTimeZoneIds())
        m_box->addItem(QString::fromUtf8(id), QString::fromUtf8(id));
    m_box->setEnabled(false);
    v->addWidget(m_folderLabel);
    v->addWidget(m_box);
    connect(m_box, &QComboBox::activated, this, [this](int index) {
        if (m_folder.isEmpty())
            return;
        ZoneClocks::shared()->setFolderChoice(m_folder,
                                              ZoneChoice::fromText(m_box->itemData(index).toString().toStdString()));
    });
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { retitle(); });
    retitle();
}

void TimeZoneSection::retitle()
{
    m_section.caption->setText(loc("Clock.section"));
    m_box->setItemText(0, loc("Clock.recorded"));
    m_box->setItemText(1, loc("Clock.automatic"));
    m_folderLabel->setText(m_folder.isEmpty() ? QString()
                                              : loc("Clock.folder").arg(QDir::toNativeSeparators(m_folder)));
    m_folderLabel->setToolTip(m_folder);
}

void TimeZoneSection::setRecording(const QString &path)
{
    m_folder = path.isEmpty() ? QString() : ZoneClocks::folderOf(path);
    m_box->setEnabled(!m_folder.isEmpty());
    showChoice();
    retitle();
}

void TimeZoneSection::showChoice()
{
    const int at = m_folder.isEmpty()
                       ? 0
                       : m_box->findData(QString::fromStdString(ZoneClocks::shared()->folderChoice(m_folder).text()));
    m_box->setCurrentIndex(at < 0 ? 0 : at);
}
