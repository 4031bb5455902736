#include <QSettings>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "core/preferences.h"
#include "support/testsettings.h"

class TestLanguageManager : public QObject {
    Q_OBJECT
    TestSettings settings;

    int languageNotifications(const std::function<void()> &action)
    {
        int count = 0;
        QObject receiver;
        NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), &receiver,
                                                  [&count](const QVariant &) { ++count; });
        action();
        return count;
    }

private slots:
    void init()
    {
        TestSettings::clear();
        MLanguageManager::setPreferredLanguagesForTesting({});
    }

    void firstLookupChoosesBySystemPrimaryLanguage_data()
    {
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("openText");
        QTest::newRow("fr-CA") << QStringList{"fr-CA", "en"} << "fr" << QString::fromUtf8("Ouvrir…");
        QTest::newRow("de-DE") << QStringList{"de-DE"} << "de" << QString::fromUtf8("Öffnen…");
        QTest::newRow("ja-JP") << QStringList{"ja-JP", "en-US"} << "ja" << QString::fromUtf8("開く…");
        QTest::newRow("de_AT") << QStringList{"de_AT"} << "de" << QString::fromUtf8("Öffnen…");
        QTest::newRow("en-GB") << QStringList{"en-GB", "fr"} << "en" << QString::fromUtf8("Open…");
        QTest::newRow("dsb-DE is not de") << QStringList{"dsb-DE"} << "en" << QString::fromUtf8("Open…");
        QTest::newRow("de") << QStringList{"de"} << "de" << QString::fromUtf8("Öffnen…");
        QTest::newRow("ja") << QStringList{"ja", "en"} << "ja" << QString::fromUtf8("開く…");
        QTest::newRow("zh-Hans-CN") << QStringList{"zh-Hans-CN"} << "en" << QString::fromUtf8("Open…");
        QTest::newRow("none") << QStringList{} << "en" << QString::fromUtf8("Open…");
    }
    void firstLookupChoosesBySystemPrimaryLanguage()
    {
        QFETCH(QStringList, system);
        QFETCH(QString, stored);
        QFETCH(QString, openText);
        MLanguageManager::setPreferredLanguagesForTesting(system.isEmpty() ? QStringList{QString()} : system);
        QVERIFY(!QSettings().contains(kSelectLanguage));
        QCOMPARE(MLanguageManager::DPLocalizedString(QStringLiteral("Open")), openText);
        QCOMPARE(QSettings().value(kSelectLanguage).toString(), stored);
    }

    void storedEmptyStringIsReplaced()
    {
        QSettings().setValue(kSelectLanguage, QString());
        MLanguageManager::setPreferredLanguagesForTesting({QStringLiteral("fr")});
        QCOMPARE(MLanguageManager::DPLocalizedString(QStringLiteral("Close")), QStringLiteral("Fermer"));
        QCOMPARE(QSettings().value(kSelectLanguage).toString(), QStringLiteral("fr"));
    }

    void storedLanguageWinsOverSystem()
    {
        QSettings().setValue(kSelectLanguage, QStringLiteral("ja"));
        MLanguageManager::setPreferredLanguagesForTesting({QStringLiteral("de")});
        QCOMPARE(MLanguageManager::DPLocalizedString(QStringLiteral("File")), QString::fromUtf8("ファイル"));
        QCOMPARE(QSettings().value(kSelectLanguage).toString(), QStringLiteral("ja"));
    }

    void missingKeyYieldsKeyAndMissingTableYieldsNothing()
    {
        QSettings().setValue(kSelectLanguage, QStringLiteral("de"));
        QCOMPARE(MLanguageManager::DPLocalizedString(QStringLiteral("No.such.key")), QStringLiteral("No.such.key"));
        // A stored code without a table (no action of ours writes one) gives no text.
        QSettings().setValue(kSelectLanguage, QStringLiteral("zh-Hans"));
        QVERIFY(MLanguageManager::DPLocalizedString(QStringLiteral("OK")).isNull());
        QCOMPARE(MLanguageManager::languageDisplayName(), QString::fromUtf8("简体中文"));
        // Painted texts fall back to the text the code gives, never to the key or nothing.
        QCOMPARE(MLanguageManager::localized("OK", "Fine"), QStringLiteral("Fine"));
        QSettings().setValue(kSelectLanguage, QStringLiteral("de"));
        QCOMPARE(MLanguageManager::localized("No.such.key", "Grüße"), QString::fromUtf8("Grüße"));
        QCOMPARE(MLanguageManager::localized("Map.offline", "unused"), QStringLiteral("Karte offline: nur die Route"));
    }

    // A named language, not the stored one, and the same answer from other threads.
    void lookupInANamedLanguage()
    {
        QSettings().setValue(kSelectLanguage, QStringLiteral("fr"));
        QHash<QString, QString> stored;
        for (const QString &code : MLanguageManager::languageCodes()) {
            QSettings().setValue(kSelectLanguage, code);
            stored.insert(code, MLanguageManager::localized("Map.offline", "unused"));
        }
        QSettings().setValue(kSelectLanguage, QStringLiteral("fr"));
        QVERIFY(stored.value(QStringLiteral("de")) != stored.value(QStringLiteral("en")));
        QList<QThread *> threads;
        QHash<QString, QString> named[4];
        for (int i = 0; i < 4; ++i)
            threads << QThread::create([&named, i] {
                for (const QString &code : MLanguageManager::languageCodes())
                    named[i].insert(code, MLanguageManager::localized(code, "Map.offline", "unused"));
            });
        for (QThread *t : threads)
            t->start();
        for (QThread *t : threads) {
            QVERIFY(t->wait(10000));
            delete t;
        }
        for (const QHash<QString, QString> &n : named)
            QCOMPARE(n, stored);
        QCOMPARE(MLanguageManager::currentLanguage(), QStringLiteral("fr"));
        // An unknown code reads as English; a key no table has gives the fallback.
        QCOMPARE(MLanguageManager::localized(QStringLiteral("xx"), "Map.offline", "unused"), stored.value(QStringLiteral("en")));
        QCOMPARE(MLanguageManager::localized(QStringLiteral("ja"), "No.such.key", "Grüße"), QString::fromUtf8("Grüße"));
    }

    void placeholdersSurviveInEveryLanguage()
    {
        for (const QString &code : MLanguageManager::languageCodes()) {
            QSettings().setValue(kSelectLanguage, code);
            for (const char *key : {"Hide", "Quit", "Version"}) {
                const QString text = MLanguageManager::DPLocalizedString(QString::fromLatin1(key));
                QVERIFY2(text.count(QStringLiteral("%@")) == 1, qPrintable(code + ": " + key + " = " + text));
            }
        }
    }

    void changeNotifiesOnlyOnRealChange()
    {
        QSettings().setValue(kSelectLanguage, QStringLiteral("en"));
        QCOMPARE(languageNotifications([] { MLanguageManager::setNewLanguage(0); }), 0);
        QCOMPARE(languageNotifications([] { MLanguageManager::setNewLanguage(4); }), 0);
        QCOMPARE(languageNotifications([] { MLanguageManager::setNewLanguage(unsigned(-1)); }), 0);
        QCOMPARE(QSettings().value(kSelectLanguage).toString(), QStringLiteral("en"));

        QCOMPARE(languageNotifications([] { MLanguageManager::setNewLanguage(2); }), 1);
        QCOMPARE(QSettings().value(kSelectLanguage).toString(), QStringLiteral("fr"));
        QCOMPARE(MLanguageManager::DPLocalizedString(QStringLiteral("Delete")), QStringLiteral("Supprimer"));
        QCOMPARE(languageNotifications([] { MLanguageManager::setNewLanguage(2); }), 0);
        QCOMPARE(languageNotifications([] { MLanguageManager::setNewLanguage(3); }), 1);
        QCOMPARE(MLanguageManager::languageIndex(), 3);
    }

    void displayNameByContainment_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("absent") << QString() << "English";
        QTest::newRow("ja") << "ja" << QString::fromUtf8("日本語");
        QTest::newRow("fr") << "fr" << QString::fromUtf8("Français");
        QTest::newRow("de") << "de" << "Deutsch";
        QTest::newRow("other") << "it" << "English";
    }
    void displayNameByContainment()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        if (!stored.isEmpty())
            QSettings().setValue(kSelectLanguage, stored);
        QCOMPARE(MLanguageManager::languageDisplayName(), shown);
    }

    void preferenceDefaults()
    {
        QCOMPARE(Preferences::speedUnitType(), QStringLiteral("KMH"));
        Preferences::registerSpeedUnitDefault();
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QStringLiteral("KMH"));
        Preferences::setSpeedUnitType(QStringLiteral("MPH"));
        Preferences::registerSpeedUnitDefault();
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QStringLiteral("MPH"));

        Preferences::registerSoundDefaults();
        QCOMPARE(QSettings().value(kVideoSound).toString(), QStringLiteral("16"));
        QCOMPARE(QSettings().value(kAudioSwitch).toBool(), true);
    }

    void soundDefaultsLeaveAStoredVolumeAlone()
    {
        QSettings().setValue(kVideoSound, QStringLiteral("7"));
        Preferences::registerSoundDefaults();
        QCOMPARE(QSettings().value(kVideoSound).toString(), QStringLiteral("7"));
        QVERIFY(!QSettings().contains(kAudioSwitch));
    }

    void settingsStayInTheTestDirectory()
    {
        QSettings().setValue(kSpeedUnitType, QStringLiteral("MPH"));
        QSettings s;
        s.sync();
        QVERIFY2(s.fileName().startsWith(settings.path()), qPrintable(s.fileName()));
    }
};

QTEST_MAIN(TestLanguageManager)
#include "tst_mlanguagemanager.moc"
