#include "playback/tstimeoffset.h"

#include <QFile>

namespace TsTimeOffset {
namespace {
constexpr int kPacket = 188;
constexpr qint64 kHeadBytes = 2 * 1024 * 1024;
constexpr qint64 kClockWrap = qint64(1) << 33; // 90 kHz stamps are 33 bits wide

quint8 at(const QByteArray &d, qsizetype i) { return quint8(d[i]); }

// Two packets in a row start with the sync byte: the same test demuxers use to sniff TS.
qsizetype firstSync(const QByteArray &d)
{
    for (qsizetype i = 0; i < kPacket && i + 2 * kPacket < d.size(); ++i) {
        if (at(d, i) == 0x47 && at(d, i + kPacket) == 0x47 && at(d, i + 2 * kPacket) == 0x47)
            return i;
    }
    return -1;
}

qint64 readStamp(const QByteArray &d, qsizetype p)
{
    return (qint64(at(d, p) & 0x0E) << 29) | (qint64(at(d, p + 1)) << 22) | (qint64(at(d, p + 2) & 0xFE) << 14)
        | (qint64(at(d, p + 3)) << 7) | (qint64(at(d, p + 4)) >> 1);
}
} // namespace

qint64 fromData(const QByteArray &d)
{
    const qsizetype start = firstSync(d);
    if (start < 0)
        return 0;
    qint64 pcr = -1;
    qint64 pts = -1;
    for (qsizetype p = start; p + kPacket <= d.size() && (pcr < 0 || pts < 0); p += kPacket) {
        if (at(d, p) != 0x47)
            break; // lost sync: not worth resynchronising for a head probe
        const bool unitStart = at(d, p + 1) & 0x40;
        const int control = (at(d, p + 3) >> 4) & 0x3;
        qsizetype payload = p + 4;
        if (control & 0x2) {
            const int length = at(d, p + 4);
            if (length > 183)
                continue;
            if (pcr < 0 && length >= 7 && (at(d, p + 5) & 0x10)) {
                const qsizetype q = p + 6;
                pcr = (qint64(at(d, q)) << 25) | (qint64(at(d, q + 1)) << 17) | (qint64(at(d, q + 2)) << 9)
                    | (qint64(at(d, q + 3)) << 1) | (qint64(at(d, q + 4)) >> 7);
            }
            payload = p + 5 + length;
        }
        if (!(control & 0x1) || !unitStart || pts >= 0)
            continue;
        const qsizetype end = p + kPacket;
        if (payload + 14 > end)
            continue;
        const bool pesStart = at(d, payload) == 0 && at(d, payload + 1) == 0 && at(d, payload + 2) == 1;
        const int streamId = at(d, payload + 3);
        if (!pesStart || streamId < 0xE0 || streamId > 0xEF)
            continue;
        if (at(d, payload + 7) & 0x80)
            pts = readStamp(d, payload + 9);
    }
    if (pcr < 0 || pts < 0)
        return 0;
    const qint64 gap = ((pts - pcr) % kClockWrap + kClockWrap) % kClockWrap;
    const qint64 ms = gap / 90;
    return ms < 10000 ? ms : 0;
}

qint64 forFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return fromData(f.read(kHeadBytes));
}

} // namespace TsTimeOffset
