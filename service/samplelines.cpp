#include "service/samplelines.h"
#include "core/logging.h"

#include <QStringDecoder>
#include <QtDebug>

QStringList splitLines(const QString &text)
{
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u';' && (i + 1 >= text.size() || text[i + 1] != u':')) {
            lines.append(line);
            line.clear();
        } else {
            line.append(text[i]);
        }
    }
    // The text after the last ';' is normally empty; a cut-off last line is still kept.
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

QStringList utf8Lines(QByteArrayView bytes)
{
    // Latin-1 maps each byte to one character, so the split sees the bytes themselves.
    const QStringList raw = splitLines(QString::fromLatin1(bytes));
    QStringList lines;
    lines.reserve(raw.size());
    qsizetype dropped = 0;
    for (const QString &line : raw) {
        const QByteArray bytesOfLine = line.toLatin1();
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString decoded = utf8(bytesOfLine);
        if (utf8.hasError()) {
            ++dropped;
            continue;
        }
        lines.append(std::move(decoded));
    }
    if (dropped)
        qCInfo(lcService) << "telemetry lines that are not UTF-8 dropped:" << dropped;
    return lines;
}

