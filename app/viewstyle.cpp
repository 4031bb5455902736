#include "app/viewstyle.h"

#include <QLabel>

#include "app/colorpanel.h"

namespace ViewStyle {

QLabel *makeLabel(const QString &name, QWidget *parent, qreal pointSize, const QColor &color, bool bold)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    // File names and other outside text reach these labels: never as rich text.
    l->setTextFormat(Qt::PlainText);
    QFont f = l->font();
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    return l;
}

QLabel *captionLabel(QWidget *parent)
{
    auto *l = makeLabel(QStringLiteral("caption"), parent, 8.5, QColor(154, 160, 167), true);
    l->setContentsMargins(2, 0, 0, 0);
    return l;
}

ColorPanel *card(const QString &name, QWidget *parent, const QColor &c, qreal radius)
{
    auto *p = new ColorPanel(name, c, parent);
    p->setCornerRadius(radius);
    return p;
}

} // namespace ViewStyle
