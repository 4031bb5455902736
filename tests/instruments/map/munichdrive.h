#pragma once
// A believable drive through Munich's old town for pictures and timing: one sample a
// second along real streets, at town speeds.
#include <QString>

#include "track/gpsitem.h"

Track munichDrive();
// An .mbtiles file of plain generated map tiles (streets, river, parks) around the
// drive, at the zoom levels next to zoom.
bool buildMunichMbtiles(const QString &path, double zoom);
