#pragma once
// Keeps a test's preferences in a temporary directory of its own, never the user's.
#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "core/preferences.h"

class TestSettings {
public:
    TestSettings()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("TravaTest"));
        QCoreApplication::setApplicationName(QStringLiteral("Trava Player"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        clear();
    }
    static void clear()
    {
        QSettings s;
        s.clear();
        s.sync();
    }
    // Cleared, with the texts in English: for tests that compare the words shown.
    static void clearInEnglish()
    {
        clear();
        QSettings().setValue(kSelectLanguage, QStringLiteral("en"));
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// For test binaries without a fixture object: the process's settings live in one temporary
// directory kept until the process ends.
inline void isolateSettings()
{
    static TestSettings settings;
}
