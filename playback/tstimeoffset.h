#pragma once
// Transport streams carry a programme clock that starts ahead of the first picture (muxers
// send the clock early so that decoders can buffer; 0.7 s is common). libVLC reports playback
// time on that clock, so in a TS the reported time runs ahead of the picture on screen by
// the gap between the first clock reference and the first video presentation stamp.
// Telemetry is indexed by picture time, so the player subtracts this gap.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace TsTimeOffset {
// Gap in milliseconds between the first PCR and the first video PTS of a transport stream
// held in data (the head of the file is enough); 0 when data is not a TS, when either stamp
// is missing, or when the gap is not plausible (negative or 10 s and more).
qint64 fromData(const QByteArray &data);
// Reads the head of the file and applies fromData; 0 for unreadable files.
qint64 forFile(const QString &path);
} // namespace TsTimeOffset
