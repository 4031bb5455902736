#include "app/colorpanel.h"

#include <QPainter>

ColorPanel::ColorPanel(const QString &name, const QColor &background, QWidget *parent)
    : QWidget(parent), m_background(background)
{
    setObjectName(name);
    setAttribute(Qt::WA_StyledBackground, false);
}

void ColorPanel::setBorder(const QColor &c, int width)
{
    m_border = c;
    m_borderWidth = width;
    update();
}

void ColorPanel::setCornerRadius(qreal r)
{
    m_radius = r;
    update();
}

void ColorPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_radius > 0);
    const qreal inset = m_borderWidth / 2.0;
    const QRectF r = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    p.setBrush(m_background);
    if (m_borderWidth > 0)
        p.setPen(QPen(m_border, m_borderWidth));
    else
        p.setPen(Qt::NoPen);
    p.drawRoundedRect(r, m_radius, m_radius);
}
