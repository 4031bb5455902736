#include "instruments/readoutcards.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>
#include <algorithm>

QRectF ReadoutCards::cardFrame(const QRectF &box, int card)
{
    const QRectF inner = box.adjusted(4, 4, -4, -4);
    const double free = std::max(0.0, inner.width() - 8);
    const double widths[3] = {free * 3 / 11, free * 4 / 11, free * 4 / 11};
    double x = inner.left();
    for (int i = 0; i < card; ++i)
        x += widths[i] + 4;
    return QRectF(x, inner.top(), widths[std::clamp(card, 0, 2)], inner.height());
}

void ReadoutCards::paintCard(QPainter &p, const QRectF &card, const QStringList &lines, int pixelSize, bool bold,
                             bool centred)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kCard);
    p.drawRoundedRect(card, 5, 5);
    const QRectF text = card.adjusted(12, 2, -12, -2);
    QFont f;
    f.setPixelSize(std::max(1, pixelSize));
    f.setBold(bold);
    // Larger than the window's, a text shrinks to its card rather than being cut short.
    if (pixelSize > 9) {
        double widest = 0, tallest = 0;
        const QFontMetricsF probe(f);
        for (const QString &line : lines)
            widest = std::max(widest, probe.horizontalAdvance(line));
        tallest = probe.height() * lines.size();
        const double fit = std::min(widest > 0 ? text.width() / widest : 1.0, tallest > 0 ? text.height() / tallest : 1.0);
        if (fit < 1.0)
            f.setPixelSize(std::max(9, int(pixelSize * fit)));
    }
    p.setFont(f);
    p.setPen(kText);
    const QFontMetricsF fm(f);
    const double spacing = lines.size() > 2 ? 0 : 2;
    const double block = lines.size() * fm.height() + (lines.size() - 1) * spacing;
    double y = text.top() + (text.height() - block) / 2;
    p.setClipRect(card);
    for (const QString &line : lines) {
        const QString shown = fm.elidedText(line, Qt::ElideRight, text.width());
        p.drawText(QRectF(text.left(), y, text.width(), fm.height()),
                   (centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, shown);
        y += fm.height() + spacing;
    }
    p.restore();
}

void ReadoutCards::paint(QPainter &p, const QRectF &box, const DashboardState::Readouts &t)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kFrame);
    p.drawRoundedRect(box, 7, 7);
    p.restore();
    // The window's point sizes (24, 10.5, 9.5) at the screen's 96 dots per inch.
    const double scale = std::clamp(box.height() / 82.0, 0.5, 4.0);
    paintCard(p, cardFrame(box, 0), {t.speed}, int(32 * scale), true, true);
    paintCard(p, cardFrame(box, 1), {t.lat, t.lon}, int(14 * scale), false, false);
    paintCard(p, cardFrame(box, 2), {t.topSpeed, t.aveSpeed, t.distance}, int(13 * scale), false, false);
}
