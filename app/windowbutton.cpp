#include "app/windowbutton.h"

#include <QPainter>

WindowButton::WindowButton(Role role, QWidget *parent) : QAbstractButton(parent), m_role(role)
{
    static const char *const names[] = {"closeButton", "miniaturizeButton", "zoomButton"};
    setObjectName(QString::fromLatin1(names[role]));
    setFixedSize(kDiameter, kDiameter);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void WindowButton::setSymbolsShown(bool shown)
{
    if (m_symbols != shown) {
        m_symbols = shown;
        update();
    }
}

void WindowButton::paintEvent(QPaintEvent *)
{
    static const QColor fills[] = {QColor(255, 95, 87), QColor(254, 188, 46), QColor(40, 200, 64)};
    static const QColor rims[] = {QColor(226, 70, 63), QColor(223, 160, 35), QColor(29, 170, 44)};
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = isEnabled() ? fills[m_role] : QColor(90, 94, 99);
    if (isDown())
        fill = fill.darker(125);
    p.setPen(QPen(isEnabled() ? rims[m_role] : QColor(80, 84, 89), 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(0.5, 0.5, width() - 1, height() - 1));
    if (!m_symbols || !isEnabled())
        return;
    p.setPen(QPen(QColor(0, 0, 0, 150), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF c = QRectF(rect()).center();
    const qreal d = width() * 0.22;
    switch (m_role) {
    case Close:
        p.drawLine(c + QPointF(-d, -d), c + QPointF(d, d));
        p.drawLine(c + QPointF(-d, d), c + QPointF(d, -d));
        break;
    case Minimize:
        p.drawLine(c + QPointF(-d - 1, 0), c + QPointF(d + 1, 0));
        break;
    case Zoom: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 150));
        const qreal e = d + 0.8;
        p.drawPolygon(QPolygonF{c + QPointF(-e, -e), c + QPointF(e * 0.45, -e), c + QPointF(-e, e * 0.45)});
        p.drawPolygon(QPolygonF{c + QPointF(e, e), c + QPointF(-e * 0.45, e), c + QPointF(e, -e * 0.45)});
        break;
    }
    }
}
