#pragma once
// Every visible text is looked up by key under the language the user chose.
// Tables are Qt Linguist files compiled to ":/i18n/trava_<code>.qm" (context "Trava",
// source text = key).
#include <QString>
#include <QStringList>

class MLanguageManager {
public:
    // The text for key in the stored language; the key itself when the table lacks it;
    // a null string when the language has no table. Chooses and stores a language on
    // first use (the primary subtag of the system's first preferred language, "de-DE" ->
    // "de", when it is one of the four, else "en").
    static QString DPLocalizedString(const QString &key);
    // The same for a key written in the code (Latin-1), the one short form every view uses.
    static QString localized(const char *key) { return DPLocalizedString(QString::fromLatin1(key)); }
    // The same with fallback (UTF-8) in place of the key or of no text, for texts painted
    // into a picture, where a bare key or an empty box would be all the user sees.
    static QString localized(const char *key, const char *fallback);
    // The same in the given language ("en", "ja", "fr", "de"; any other reads as "en"), not
    // the stored one: for a document written in a language fixed beforehand. Safe on any thread.
    static QString localized(const QString &language, const char *key, const char *fallback);

    // 0 en, 1 ja, 2 fr, 3 de; other indexes are ignored. Posts kChangeLanguageNocation
    // only when the stored language really changes.
    static void setNewLanguage(unsigned index);

    // The stored language code, choosing one first if none is stored.
    static QString currentLanguage();
    // Display name of the stored language for the language box.
    static QString languageDisplayName();
    // Box index of the stored language (0 when it is none of the four).
    static int languageIndex();
    static const QStringList &languageCodes();
    static const QStringList &languageDisplayNames();

    // The system's preferred languages, first one first; tests may replace them.
    static void setPreferredLanguagesForTesting(const QStringList &languages);
};
