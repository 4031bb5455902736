#pragma once
// Turns a picture about its centre, for bar pictures of vertical sliders.
#include <QImage>

// Angle in degrees, counter-clockwise on screen for positive values (the usual
// mathematical sense). Quarter turns swap width and height, half turns keep the size,
// any other angle yields a square of the larger side plus 20 so that the corners fit.
// A whole turn (or 0) gives back the picture itself.
QImage imageRotated(const QImage &image, double degrees);
