#pragma once
// How the speed instrument looks, wherever it is drawn: the dial picture filling the
// box with the speed as a whole number over its unit text. The window's SpeedView and
// the dashboard renderer both draw through here.
#include <QFont>
#include <QRectF>
#include <QString>

struct DashboardState;
class QPainter;

namespace SpeedDialPainter {
inline const QString kDialPicture = QStringLiteral("转速表");

// The text bands for a box of the given size, relative to its top-left corner: the
// number 30 high from 26.25 above the centre, the unit 22.5 high right under it.
QRectF unitTextFrame(const QSizeF &size);
QRectF numberTextFrame(const QSizeF &size);
QFont numberFont();
QFont unitFont();

// The speed as the read-out shows it: km/h, or mph for "MPH", truncated toward zero;
// a speed without a number (or NaN) reads 0.
int displayedSpeed(const std::string &speedText, const QString &unit);

void paint(QPainter &p, const QRectF &box, const QString &number, const QString &unit);
// The sample of the state, or the resting 0 over the unit before the first sample.
void paint(QPainter &p, const QRectF &box, const DashboardState &state);
} // namespace SpeedDialPainter
