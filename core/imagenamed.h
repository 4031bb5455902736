#pragma once
// Pictures are looked up by name, like bundle images: ":/images/<name>.svg" (or .png).
// A missing picture yields a null image/pixmap so that the caller shows nothing in its place.
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

bool imageExists(const QString &name);
// Natural size of the picture (the SVG's default size), or an invalid size when missing.
QSize imageNaturalSize(const QString &name);
// Renders the named picture at size (device-independent pixels) for a device pixel ratio.
QPixmap pixmapNamed(const QString &name, const QSize &size, qreal devicePixelRatio = 1.0);
QImage imageNamed(const QString &name, const QSize &size);
