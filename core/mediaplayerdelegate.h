#pragma once
// How the player view, its drop target and the media list report to their receiver.
// Every method is optional: the defaults do nothing, so a receiver overrides only what
// it cares about. Reporters hold the receiver as a plain (non-owning) pointer.
#include <QStringList>
#include <QtGlobal>

#include "core/mfilemodel.h"

class QObject;

// Raw numbers are compared by receivers; 1 and 4 are never sent.
enum MediaPlayState : quint64 {
    MediaPlayStateError = 0,
    MediaPlayStatePlaying = 2,
    MediaPlayStatePaused = 3,
    MediaPlayStateStopped = 5,
    MediaPlayStateFinished = 6,
};

class MediaPlayerDelegate {
public:
    virtual ~MediaPlayerDelegate() = default;

    virtual void mediaPlayerDidDeleteModelIsSelect(QObject *sender, const MFileModel &model, bool isSelect)
    { Q_UNUSED(sender) Q_UNUSED(model) Q_UNUSED(isSelect) }
    virtual void mediaPlayerDidSelectModel(QObject *sender, const MFileModel &model)
    { Q_UNUSED(sender) Q_UNUSED(model) }
    virtual void mediaPlayerCurrentTime(QObject *sender, double seconds)
    { Q_UNUSED(sender) Q_UNUSED(seconds) }
    virtual void mediaPlayerCurrentState(QObject *sender, quint64 state)
    { Q_UNUSED(sender) Q_UNUSED(state) }
    virtual void mediaPlayerReadFileList(QObject *sender, const QStringList &paths)
    { Q_UNUSED(sender) Q_UNUSED(paths) }
};
