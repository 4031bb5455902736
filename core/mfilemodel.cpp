#include "core/mfilemodel.h"

#include <QFileInfo>

namespace {
void assign(MFileModel &m, const QString &field, const QVariant &value)
{
    if (field == QLatin1String("fName"))
        m.fName = value.toString();
    else if (field == QLatin1String("fLocalPath"))
        m.fLocalPath = value.toString();
}
} // namespace

MFileModel MFileModel::initWithDictionary(const QVariantMap &dict)
{
    MFileModel m;
    const QVariantMap renames = gh_exchangeDict();
    for (auto it = dict.cbegin(); it != dict.cend(); ++it) {
        if (it.key() == QLatin1String("fName") || it.key() == QLatin1String("fLocalPath"))
            assign(m, it.key(), it.value());
        else if (renames.contains(it.key()))
            assign(m, renames.value(it.key()).toString(), it.value());
    }
    return m;
}

QVariantMap MFileModel::toDictionary() const
{
    return {{QStringLiteral("fName"), fName}, {QStringLiteral("fLocalPath"), fLocalPath}};
}

MFileModel MFileModel::fromPath(const QString &path)
{
    return MFileModel(QFileInfo(path).fileName(), path);
}
