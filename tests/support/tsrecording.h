// Test support: a generated transport-stream recording with a drive's telemetry, one
// sample a second from a given time of 2026/05/14, heading north-east at 40 km/h. Padding
// packets sit between the first and the second half of the samples, so that a decode has
// read part of the telemetry (and reports progress) long before it ends: cutting it short
// there leaves a part that looks like a shorter recording.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>

#include "telemetry/kalgpsapi.h"

inline QByteArray tsTelemetryPacket(int index, const QByteArray &text)
{
    QByteArray p(188, char(0xFF));
    p[0] = 0x47;
    p[1] = 0x43; // a telemetry PID with its start flag
    p[2] = 0x00;
    p[3] = 0x10;
    for (int i = 4; i < 10; ++i)
        p[i] = 0;
    KalSetEncType(1);
    unsigned char group[20 + 132];
    MakeHeader(group, 1);
    MakeEncryptDataBlock(index, text.constData(), int(text.size()), group + 20);
    KalSetEncType(0);
    p.replace(10, int(sizeof group), reinterpret_cast<const char *>(group), int(sizeof group));
    return p;
}

// samples seconds from 08:15:00 + firstSecond; paddingMiB of padding in the middle.
inline bool writeTsRecording(const QString &path, int firstSecond, int samples, int paddingMiB = 2)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray pad(188, char(0xFF));
    pad[0] = 0x47;
    pad[1] = 0x1F; // the null PID
    pad[2] = char(0xFF);
    for (int i = 0; i < samples; ++i) {
        if (i == samples / 2)
            for (int k = 0; k < (paddingMiB << 20) / 188; ++k)
                f.write(pad);
        const int s = 8 * 3600 + 15 * 60 + firstSecond + i;
        char text[128];
        std::snprintf(text, sizeof text, "2026/05/14 %02d:%02d:%02d N:48.%04d E:11.%04d 40.0 km/h x:0.10 y:-0.20 z:0.98",
                      s / 3600, s / 60 % 60, s % 60, 1000 + firstSecond + i, 5000 + firstSecond + i);
        f.write(tsTelemetryPacket(firstSecond + i, QByteArray(text)));
    }
    return f.error() == QFile::NoError;
}
