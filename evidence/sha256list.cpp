#include "evidence/sha256list.h"

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
