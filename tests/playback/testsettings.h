#pragma once
// Keeps the tests' preferences away from the user's: every QSettings of the test process
// lands in a temporary directory that goes away with the test.
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

inline void isolateSettings()
{
    static QTemporaryDir dir;
    QCoreApplication::setOrganizationName(QStringLiteral("TravaPlaybackTest"));
    QCoreApplication::setApplicationName(QStringLiteral("playback-test"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QSettings().clear();
}

#include "mediaplayerdelegate.h"

#include <QList>
#include <QStringList>

// Remembers everything the player and the drop target report.
struct RecordingDelegate : MediaPlayerDelegate {
    QList<quint64> states;
    QList<double> times;
    QList<QStringList> fileLists;
    void mediaPlayerCurrentState(QObject *, quint64 state) override { states << state; }
    void mediaPlayerCurrentTime(QObject *, double seconds) override { times << seconds; }
    void mediaPlayerReadFileList(QObject *, const QStringList &paths) override { fileLists << paths; }
};
