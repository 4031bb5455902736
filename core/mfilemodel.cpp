#include "core/mfilemodel.h"

#include <QFileInfo>

namespace {
bool isField(const QString &key)
{
    for (const char *f : {"fName", "fLocalPath", "channel", "kind", "otherChannels"})
        if (key == QLatin1String(f))
            return true;
    return false;
}

void assign(MFileModel &m, const QString &field, const QVariant &value)
{
    if (field == QLatin1String("fName"))
        m.fName = value.toString();
    else if (field == QLatin1String("fLocalPath"))
        m.fLocalPath = value.toString();
    else if (field == QLatin1String("channel"))
        m.channel = value.toString();
    else if (field == QLatin1String("kind"))
        m.kind = value.toString();
    else if (field == QLatin1String("otherChannels")) {
        m.otherChannels.clear();
        for (const QVariant &v : value.toList()) {
            const QVariantMap c = v.toMap();
            if (!c.value(QStringLiteral("fLocalPath")).toString().isEmpty())
                m.otherChannels.append({c.value(QStringLiteral("channel")).toString(),
                                        c.value(QStringLiteral("fLocalPath")).toString()});
        }
    }
}
} // namespace

MFileModel MFileModel::initWithDictionary(const QVariantMap &dict)
{
    MFileModel m;
    const QVariantMap renames = gh_exchangeDict();
    for (auto it = dict.cbegin(); it != dict.cend(); ++it) {
        if (isField(it.key()))
            assign(m, it.key(), it.value());
        else if (renames.contains(it.key()))
            assign(m, renames.value(it.key()).toString(), it.value());
    }
    return m;
}

QVariantMap MFileModel::toDictionary() const
{
    QVariantMap dict{{QStringLiteral("fName"), fName}, {QStringLiteral("fLocalPath"), fLocalPath}};
    // A lone file's dictionary stays the two keys it always had.
    if (!channel.isEmpty())
        dict.insert(QStringLiteral("channel"), channel);
    if (!kind.isEmpty())
        dict.insert(QStringLiteral("kind"), kind);
    if (!otherChannels.isEmpty()) {
        QVariantList others;
        for (const MChannelFile &c : otherChannels)
            others.append(QVariantMap{{QStringLiteral("channel"), c.channel}, {QStringLiteral("fLocalPath"), c.fLocalPath}});
        dict.insert(QStringLiteral("otherChannels"), others);
    }
    return dict;
}

MFileModel MFileModel::fromPath(const QString &path)
{
    return MFileModel(QFileInfo(path).fileName(), path);
}
