#pragma once
#include "core/mediaplayerdelegate.h"

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
