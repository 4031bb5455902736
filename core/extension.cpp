#include "core/extension.h"

#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace Extension {

int containerHeight(const QWidget *w)
{
    if (const QWidget *p = w->parentWidget(); p && !w->isWindow())
        return p->height();
    if (const QScreen *s = w->screen())
        return s->availableGeometry().bottom() + 1;
    return 0;
}

namespace {
QRect frame(const QWidget *w) { return w->geometry(); }
// Qt's top for a y-up y and a height.
int topFor(const QWidget *w, int y, int height) { return containerHeight(w) - y - height; }
} // namespace

int x(const QWidget *w) { return frame(w).x(); }
int y(const QWidget *w) { return containerHeight(w) - frame(w).y() - frame(w).height(); }
int width(const QWidget *w) { return frame(w).width(); }
int height(const QWidget *w) { return frame(w).height(); }
QPoint origin(const QWidget *w) { return {x(w), y(w)}; }
QSize size(const QWidget *w) { return frame(w).size(); }

void setX(QWidget *w, int nx) { w->move(nx, w->geometry().y()); }

void setY(QWidget *w, int ny) { w->move(w->geometry().x(), topFor(w, ny, w->height())); }

void setWidth(QWidget *w, int nw) { w->resize(nw, w->height()); }

void setHeight(QWidget *w, int nh)
{
    const int bottomY = y(w);
    w->setGeometry(w->geometry().x(), topFor(w, bottomY, nh), w->width(), nh);
}

void setOrigin(QWidget *w, const QPoint &o) { w->move(o.x(), topFor(w, o.y(), w->height())); }

void setSize(QWidget *w, const QSize &s)
{
    const int bottomY = y(w);
    w->setGeometry(w->geometry().x(), topFor(w, bottomY, s.height()), s.width(), s.height());
}

void setAnchorPoint(QWidget *w, const QPointF &anchor) { w->setProperty("anchorPoint", anchor); }

QPointF anchorPoint(const QWidget *w)
{
    const QVariant v = w->property("anchorPoint");
    return v.isValid() ? v.toPointF() : QPointF(0, 0);
}

} // namespace Extension
