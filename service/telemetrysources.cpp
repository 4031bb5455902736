#include "service/telemetrysources.h"

#include <QHash>

#include <mutex>

namespace {
std::mutex &guard()
{
    static std::mutex m;
    return m;
}
QHash<QString, QStringList> &table()
{
    static QHash<QString, QStringList> t;
    return t;
}
} // namespace

namespace TelemetrySources {

void setAlternates(const QString &path, const QStringList &others)
{
    const std::lock_guard<std::mutex> lock(guard());
    if (others.isEmpty())
        table().remove(path);
    else
        table().insert(path, others);
}

QStringList alternates(const QString &path)
{
    const std::lock_guard<std::mutex> lock(guard());
    return table().value(path);
}

} // namespace TelemetrySources
