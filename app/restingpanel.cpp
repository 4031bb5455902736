#include "app/restingpanel.h"

#include <QPainter>
#include <QPainterPath>

#include "core/appfonts.h"
#include "core/imagenamed.h"
#include "core/mlanguagemanager.h"
#include "core/preferences.h"

namespace {
const QColor kCaption(154, 160, 167);
const QColor kGrid(70, 74, 80);

QRect centredSquare(const QRect &r, int margin)
{
    const int side = qMax(0, qMin(r.width(), r.height()) - 2 * margin);
    return QRect(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
}

void drawPicture(QPainter &p, const QString &name, const QRect &target)
{
    if (target.isEmpty())
        return;
    const qreal dpr = p.device()->devicePixelRatioF();
    const QPixmap pm = pixmapNamed(name, target.size(), dpr);
    if (!pm.isNull())
        p.drawPixmap(target.topLeft(), pm);
}
} // namespace

RestingPanel::RestingPanel(Kind kind, QWidget *parent) : QWidget(parent), m_kind(kind)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setMinimumSize(40, 40);
}

void RestingPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    switch (m_kind) {
    case Video: paintVideo(p); break;
    case Speed: paintDial(p, false); break;
    case Compass: paintDial(p, true); break;
    case GSensor: paintGSensor(p); break;
    case Map: paintMap(p); break;
    case List: paintList(p); break;
    }
}

void RestingPanel::paintVideo(QPainter &p)
{
    p.fillRect(rect(), Qt::black);
    // The placeholder picture keeps its 16:9 shape and fills the area above the bar.
    const int barH = 44;
    QRect area = rect().adjusted(0, 0, 0, -barH);
    QSize pic(16, 9);
    pic.scale(area.size(), Qt::KeepAspectRatio);
    drawPicture(p, QStringLiteral("timg"),
                QRect(QPoint(area.center().x() - pic.width() / 2, area.center().y() - pic.height() / 2), pic));

    // Idle control bar: previous, play, stop, next, the clock, position and volume.
    const QRect bar(0, height() - barH, width(), barH);
    p.fillRect(bar, QColor(20, 22, 25, 235));
    p.setPen(QColor(255, 255, 255, 28));
    p.drawLine(bar.topLeft(), bar.topRight());

    const int cy = bar.center().y();
    int x = 12;
    auto glyph = [&](const QString &name, int size) {
        drawPicture(p, name, QRect(x, cy - size / 2, size, size));
        x += size + 10;
    };
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 235, 235));
    // previous
    QPainterPath prev;
    prev.addRect(x, cy - 7, 2.5, 14);
    prev.moveTo(x + 14, cy - 7); prev.lineTo(x + 4, cy); prev.lineTo(x + 14, cy + 7); prev.closeSubpath();
    p.drawPath(prev);
    x += 24;
    glyph(QStringLiteral("play"), 26);
    p.setBrush(QColor(235, 235, 235));
    p.drawRoundedRect(QRectF(x + 2, cy - 7, 14, 14), 2, 2);
    x += 26;
    QPainterPath next;
    next.moveTo(x, cy - 7); next.lineTo(x + 10, cy); next.lineTo(x, cy + 7); next.closeSubpath();
    next.addRect(x + 11.5, cy - 7, 2.5, 14);
    p.drawPath(next);
    x += 26;

    QFont mono = font();
    mono.setPointSizeF(9.5);
    mono.setStyleHint(QFont::Monospace);
    mono.setFamily(QStringLiteral("DejaVu Sans Mono"));
    p.setFont(mono);
    p.setPen(QColor(220, 220, 220));
    const QString clock = QStringLiteral("00:00:00|00:00:00");
    const int clockW = p.fontMetrics().horizontalAdvance(clock);
    p.drawText(QRect(x, bar.top(), clockW, barH), Qt::AlignVCenter, clock);
    x += clockW + 14;

    const int volW = 70;
    const int soundX = width() - volW - 12 - 22 - 8;
    const QRect track(x, cy - 2, qMax(0, soundX - x - 14), 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 50));
    p.drawRoundedRect(track, 2, 2);
    p.setBrush(QColor(46, 196, 255));
    p.drawEllipse(QPointF(track.left() + 3, cy), 6, 6);

    x = soundX;
    glyph(QStringLiteral("audioON"), 22);
    const QRect vol(x, cy - 2, volW, 4);
    p.setBrush(QColor(255, 255, 255, 50));
    p.drawRoundedRect(vol, 2, 2);
    p.setBrush(QColor(46, 196, 255));
    const int filled = volW * 16 / 20;
    p.drawRoundedRect(QRect(vol.left(), vol.top(), filled, 4), 2, 2);
    p.setBrush(QColor(240, 240, 240));
    p.drawEllipse(QPointF(vol.left() + filled, cy), 5, 5);
}

void RestingPanel::paintDial(QPainter &p, bool compass)
{
    const QRect sq = centredSquare(rect(), 2);
    drawPicture(p, compass ? QStringLiteral("指南针") : QStringLiteral("转速表"), sq);
    if (compass) {
        drawPicture(p, QStringLiteral("指南针指针"), sq);
        return;
    }
    // The read-out at rest: 0 over the unit text, in the bands the gauge uses.
    const qreal scale = sq.height() / 200.0;
    QFont number = font();
    number.setPointSizeF(qMax(8.0, 26 * scale));
    number.setBold(true);
    p.setFont(number);
    p.setPen(Qt::white);
    const QRectF numRect(sq.left(), sq.center().y() - 26.25 * scale, sq.width(), 30 * scale);
    p.drawText(numRect, Qt::AlignCenter, QStringLiteral("0"));
    p.setFont(fontNamed(QStringLiteral("MSYH"), qMax(6.0, 11 * scale)));
    p.setPen(QColor(190, 196, 203));
    const QRectF unitRect(sq.left(), numRect.bottom(), sq.width(), 22.5 * scale);
    p.drawText(unitRect, Qt::AlignCenter, Preferences::speedUnitType());
}

void RestingPanel::paintGSensor(QPainter &p)
{
    const QRect r = rect().adjusted(34, 6, -8, -18);
    if (r.width() < 10 || r.height() < 10)
        return;
    QFont small = font();
    small.setPointSizeF(8);
    p.setFont(small);
    // Grid: 1 g steps from +2 g to -2 g.
    for (int i = 0; i <= 4; ++i) {
        const int y = r.top() + r.height() * i / 4;
        p.setPen(QPen(i == 2 ? QColor(120, 124, 130) : kGrid, 1, i == 2 ? Qt::SolidLine : Qt::DotLine));
        p.drawLine(r.left(), y, r.right(), y);
        p.setPen(kCaption);
        p.drawText(QRect(0, y - 8, 30, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(2 - i));
    }
    for (int i = 0; i <= 10; ++i) {
        const int x = r.left() + r.width() * i / 10;
        p.setPen(QPen(kGrid, 1, Qt::DotLine));
        p.drawLine(x, r.top(), x, r.bottom());
    }
    // Three flat traces at rest and the legend.
    const QColor axes[] = {QColor(255, 90, 79), QColor(75, 227, 138), QColor(46, 196, 255)};
    const char *names[] = {"X", "Y", "Z"};
    const int mid = r.center().y();
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(axes[i], 1.6));
        p.drawLine(r.left(), mid + (i - 1) * 2, r.right(), mid + (i - 1) * 2);
    }
    int lx = r.right() - 96;
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(axes[i]);
        p.drawRoundedRect(QRectF(lx, height() - 13, 12, 4), 2, 2);
        p.setPen(kCaption);
        p.drawText(QRect(lx + 16, height() - 18, 16, 14), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(names[i]));
        lx += 34;
    }
}

void RestingPanel::paintMap(QPainter &p)
{
    // Offline look: a quiet street grid with the route start marker in the middle.
    p.fillRect(rect(), QColor(36, 39, 43));
    p.setPen(QPen(QColor(52, 56, 61), 1));
    for (int x = 0; x < width(); x += 28)
        p.drawLine(x, 0, x, height());
    for (int y = 0; y < height(); y += 28)
        p.drawLine(0, y, width(), y);
    p.setPen(QPen(QColor(62, 67, 73), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(width() * 0.1, height() * 0.85), QPointF(width() * 0.9, height() * 0.2));
    p.drawLine(QPointF(0, height() * 0.45), QPointF(width(), height() * 0.55));
    p.setPen(QPen(QColor(74, 79, 86), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(width() * 0.35, 0), QPointF(width() * 0.3, height()));

    const QPointF c(width() / 2.0, height() / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(46, 196, 255, 60));
    p.drawEllipse(c, 18, 18);
    p.setBrush(QColor(46, 196, 255));
    p.drawEllipse(c, 7, 7);
    p.setBrush(Qt::white);
    p.drawEllipse(c, 2.5, 2.5);
}

void RestingPanel::paintList(QPainter &p)
{
    // Zebra rows of an empty table under its column title.
    const int header = 24;
    p.fillRect(QRect(0, 0, width(), header), QColor(62, 66, 71));
    QFont f = font();
    f.setPointSizeF(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(220, 224, 228));
    const QString title = MLanguageManager::DPLocalizedString(QStringLiteral("File.name"));
    p.drawText(QRect(10, 0, width() - 20, header), Qt::AlignVCenter | Qt::AlignLeft, title);
    for (int y = header, row = 0; y < height(); y += 26, ++row)
        p.fillRect(QRect(0, y, width(), 26), row % 2 ? QColor(44, 47, 51) : QColor(49, 49, 49));

    // A drop hint: a film frame with an arrow into it.
    const QPointF c(width() / 2.0, header + (height() - header) / 2.0);
    p.setPen(QPen(QColor(110, 116, 123), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(c.x() - 26, c.y() - 8, 52, 36), 5, 5);
    p.drawLine(QPointF(c.x(), c.y() - 34), QPointF(c.x(), c.y() + 10));
    p.drawLine(QPointF(c.x() - 9, c.y() + 1), QPointF(c.x(), c.y() + 10));
    p.drawLine(QPointF(c.x() + 9, c.y() + 1), QPointF(c.x(), c.y() + 10));
}
