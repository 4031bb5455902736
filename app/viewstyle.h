#pragma once
// The main view's look in code: the dark cards and the labels that sit on them.
#include <QColor>
#include <QString>

class ColorPanel;
class QLabel;
class QWidget;

namespace ViewStyle {
inline const QColor kDark(49, 49, 49);
inline const QColor kReadoutFrame(94, 94, 94);
inline const QColor kWindowGrey(240, 240, 240);
inline const QColor kSettingBorder(197, 197, 197);

// A label named name, in the given point size and text colour.
QLabel *makeLabel(const QString &name, QWidget *parent, qreal pointSize, const QColor &color, bool bold = false);
// The small upper-case caption over a card's content.
QLabel *captionLabel(QWidget *parent);
// A rounded card in colour c.
ColorPanel *card(const QString &name, QWidget *parent, const QColor &c = kDark, qreal radius = 6);
} // namespace ViewStyle
