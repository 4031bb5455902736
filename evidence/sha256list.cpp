#include "evidence/sha256list.h"

#include <QCryptographicHash>
#include <QFile>

namespace {
constexpr qint64 kSlice = 1 << 20;
}

QByteArray sha256OfFile(const QString &path, const std::function<bool()> &cancelled,
                        const std::function<void(qint64)> &advanced, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray slice(kSlice, Qt::Uninitialized);
    for (;;) {
        if (cancelled && cancelled())
            return {};
        const qint64 n = file.read(slice.data(), kSlice);
        if (n < 0) {
            if (error)
                *error = file.errorString();
            return {};
        }
        if (n == 0)
            break;
        hash.addData(QByteArrayView(slice.constData(), n));
        if (advanced)
            advanced(n);
    }
    return hash.result().toHex();
}

QByteArray sha256sumLine(const QByteArray &hexDigest, const QByteArray &name)
{
    QByteArray escaped;
    escaped.reserve(name.size());
    bool special = false;
    for (const char c : name) {
        switch (c) {
        case '\\': escaped += "\\\\"; special = true; break;
        case '\n': escaped += "\\n"; special = true; break;
        case '\r': escaped += "\\r"; special = true; break;
        default: escaped += c;
        }
    }
    return (special ? QByteArray("\\") : QByteArray()) + hexDigest + "  " + escaped + '\n';
}
