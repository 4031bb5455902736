#include "core/mlanguagemanager.h"

#include <QHash>
#include <QLocale>
#include <QMutex>
#include <QSettings>
#include <QTranslator>
#include <memory>

#include "core/notificationhub.h"
#include "core/preferences.h"

namespace {
QStringList &preferredOverride()
{
    static QStringList list;
    return list;
}

QString systemFirstLanguage()
{
    const QStringList langs = preferredOverride().isEmpty() ? QLocale::system().uiLanguages()
                                                            : preferredOverride();
    return langs.isEmpty() ? QString() : langs.first();
}

// Loaded tables by code; a null entry remembers that a code has no table. A table once
// loaded stays and is only read, so the lock guards the cache, not the lookups.
QTranslator *translatorFor(const QString &code)
{
    static QHash<QString, std::shared_ptr<QTranslator>> cache;
    static QMutex lock;
    const QMutexLocker locked(&lock);
    auto it = cache.find(code);
    if (it == cache.end()) {
        auto t = std::make_shared<QTranslator>();
        if (!t->load(QStringLiteral(":/i18n/trava_%1.qm").arg(code)))
            t.reset();
        it = cache.insert(code, t);
    }
    return it->get();
}
} // namespace

const QStringList &MLanguageManager::languageCodes()
{
    static const QStringList codes{QStringLiteral("en"), QStringLiteral("ja"), QStringLiteral("fr"),
                                   QStringLiteral("de")};
    return codes;
}

const QStringList &MLanguageManager::languageDisplayNames()
{
    static const QStringList names{QStringLiteral("English"), QStringLiteral("日本語"),
                                   QStringLiteral("Français"), QStringLiteral("Deutsch")};
    return names;
}

void MLanguageManager::setPreferredLanguagesForTesting(const QStringList &languages)
{
    preferredOverride() = languages;
}

QString MLanguageManager::currentLanguage()
{
    QSettings s;
    QString code = s.value(kSelectLanguage).toString();
    if (code.isEmpty()) {
        // By the primary language subtag: a German desktop says "de-DE", a Canadian French
        // one "fr-CA"; either starts in its language, not in English.
        const QString primary = systemFirstLanguage().section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
        code = languageCodes().contains(primary) ? primary : QStringLiteral("en");
        s.setValue(kSelectLanguage, code);
    }
    return code;
}

QString MLanguageManager::DPLocalizedString(const QString &key)
{
    QTranslator *t = translatorFor(currentLanguage());
    if (!t)
        return QString();
    const QString text = t->translate("Trava", key.toUtf8().constData());
    return text.isEmpty() ? key : text;
}

QString MLanguageManager::localized(const char *key, const char *fallback)
{
    const QString text = localized(key);
    return text.isEmpty() || text == QLatin1String(key) ? QString::fromUtf8(fallback) : text;
}

QString MLanguageManager::localized(const QString &language, const char *key, const char *fallback)
{
    QTranslator *t = translatorFor(languageCodes().contains(language) ? language : QStringLiteral("en"));
    const QString text = t ? t->translate("Trava", key) : QString();
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

void MLanguageManager::setNewLanguage(unsigned index)
{
    if (index >= unsigned(languageCodes().size()))
        return;
    const QString code = languageCodes().at(int(index));
    QSettings s;
    if (s.value(kSelectLanguage).toString() == code)
        return;
    s.setValue(kSelectLanguage, code);
    NotificationHub::defaultCenter()->post(QString::fromLatin1(kChangeLanguageNocation));
}

QString MLanguageManager::languageDisplayName()
{
    const QString v = QSettings().value(kSelectLanguage).toString();
    if (v.contains(QLatin1String("zh-Hans")))
        return QStringLiteral("简体中文");
    if (v.contains(QLatin1String("ja")))
        return languageDisplayNames().at(1);
    if (v.contains(QLatin1String("fr")))
        return languageDisplayNames().at(2);
    if (v.contains(QLatin1String("de")))
        return languageDisplayNames().at(3);
    return languageDisplayNames().at(0);
}

int MLanguageManager::languageIndex()
{
    const int i = languageCodes().indexOf(QSettings().value(kSelectLanguage).toString());
    return i < 0 ? 0 : i;
}
