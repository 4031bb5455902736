#pragma once
// A moment of a multi-channel camera, made by hand: copies of one clip under a card's names
// (2026_0514_091500_0001F.MP4, ..._0001R.MP4, ...) and the model the list would hand over,
// the front file as the main one with the other channels beside it.
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include "core/mfilemodel.h"

inline QString channelLetter(const QString &channel)
{
    return channel == QLatin1String("rear")        ? QStringLiteral("R")
           : channel == QLatin1String("interior")  ? QStringLiteral("I")
           : channel == QLatin1String("telephoto") ? QStringLiteral("T")
                                                   : QStringLiteral("F");
}

// channels: the main one first ("front"), then the others. An empty model when a copy fails.
inline MFileModel channelMoment(const QString &cardDir, const QString &clip, const QString &moment,
                                const QStringList &channels)
{
    QDir(cardDir).mkpath(QStringLiteral("Movie"));
    MFileModel model;
    for (const QString &channel : channels) {
        const QString name = moment + channelLetter(channel) + QStringLiteral(".MP4");
        const QString path = cardDir + QStringLiteral("/Movie/") + name;
        if (!QFile::exists(path) && !QFile::copy(clip, path))
            return MFileModel();
        if (model.isEmpty()) {
            model = MFileModel(name, path);
            model.channel = channel;
        } else {
            model.otherChannels << MChannelFile{channel, path};
        }
    }
    return model;
}
