#pragma once
// Where a recording's telemetry may be found besides the recording itself: the other channels
// of its moment on a camera's card (most cameras store telemetry in the front file only, some
// in the rear, some in both). Extraction takes the recording's own first and falls back to
// these, in order. Set from the GUI thread, read by the extraction worker.
#include <QString>
#include <QStringList>

namespace TelemetrySources {

// others replaces what path had; an empty list forgets it.
void setAlternates(const QString &path, const QStringList &others);
QStringList alternates(const QString &path);

} // namespace TelemetrySources
