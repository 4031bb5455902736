#include "instruments/dashboardrenderer.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "instruments/compasspainter.h"
#include "instruments/gsensorpainter.h"
#include "instruments/map/mappainter.h"
#include "instruments/readoutcards.h"
#include "instruments/speeddialpainter.h"

namespace {
using W = DashboardRenderer::Widget;

// The order along a row or down a column: the dials first, where a driver looks.
constexpr W kOrder[] = {W::Dial, W::Compass, W::SpeedReadout, W::DateTime, W::Position,
                        W::ReadoutCards, W::GSensor, W::Route};

// In a row: the width of each widget in heights (0: shares what is left, at least `min`).
// In a column: the height in widths.
struct Share {
    double row, rowMin, column;
};
Share shareOf(W w)
{
    switch (w) {
    case W::Dial:
    case W::Compass: return {1.0, 0, 0.5};
    case W::SpeedReadout: return {1.1, 0, 0.28};
    case W::DateTime: return {1.7, 0, 0.14};
    case W::Position: return {1.7, 0, 0.22};
    case W::ReadoutCards: return {3.4, 0, 0.34};
    case W::GSensor: return {0, 1.6, 0.5};
    case W::Route: return {0, 1.0, 0};
    default: return {0, 0, 0};
    }
}

void paintBacking(QPainter &p, const QRectF &box)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 20, 170));
    p.drawRoundedRect(box, 6, 6);
    p.restore();
}

bool isPaintable(QImage::Format f)
{
    return f != QImage::Format_Invalid && f != QImage::Format_Mono && f != QImage::Format_MonoLSB &&
           f != QImage::Format_Indexed8 && f != QImage::Format_Alpha8 && f != QImage::Format_Grayscale8 &&
           f != QImage::Format_Grayscale16;
}
} // namespace

DashboardRenderer::DashboardRenderer(Widgets widgets, Placement placement) : m_widgets(widgets), m_placement(placement)
{
}

void DashboardRenderer::setExtent(double fraction)
{
    if (std::isfinite(fraction))
        m_extent = std::clamp(fraction, 0.05, 1.0);
}

QList<QPair<DashboardRenderer::Widget, QRectF>> DashboardRenderer::layout(const QRectF &box) const
{
    QList<QPair<Widget, QRectF>> out;
    if (!(box.width() > 0 && box.height() > 0))
        return out;
    QList<Widget> chosen;
    for (W w : kOrder)
        if (m_widgets.testFlag(w))
            chosen << w;
    if (chosen.isEmpty())
        return out;
    const bool row = box.width() >= box.height() * 1.5;
    const double across = row ? box.height() : box.width(); // the fixed side
    const double gap = std::max(2.0, across * 0.04);
    const double along = row ? box.width() : box.height();

    // Dials side by side in a column: two squares in one line.
    const bool pairDials = !row && m_widgets.testFlag(Dial) && m_widgets.testFlag(Compass);
    std::vector<double> size(std::size_t(chosen.size()), 0.0);
    double fixed = 0, flexMin = 0;
    int flexCount = 0;
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        const Share s = shareOf(chosen[i]);
        const double want = (row ? s.row : s.column) * across;
        if (pairDials && chosen[i] == Compass)
            continue; // shares the dial's line
        if (want > 0) {
            size[std::size_t(i)] = want;
            fixed += want;
        } else {
            ++flexCount;
            flexMin += (row ? s.rowMin : 0.5) * across;
        }
    }
    const int lines = int(chosen.size()) - (pairDials ? 1 : 0);
    const double room = along - gap * (lines - 1);
    double scale = 1.0;
    if (fixed + flexMin > room && fixed + flexMin > 0)
        scale = std::max(0.0, room) / (fixed + flexMin);
    const double flexEach = flexCount ? std::max(0.0, room - fixed * scale) / flexCount : 0.0;

    double pos = row ? box.left() : box.top();
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        const W w = chosen[i];
        if (pairDials && w == Compass)
            continue;
        const double len = size[std::size_t(i)] > 0 ? size[std::size_t(i)] * scale : flexEach;
        QRectF r = row ? QRectF(pos, box.top(), len, across) : QRectF(box.left(), pos, across, len);
        if (row && (w == Dial || w == Compass)) {
            // Squares: a scaled-down dial keeps its centre in the band.
            const double side = std::min(len, across);
            r = QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
        }
        if (pairDials && w == Dial) {
            const double side = std::min(len, across / 2);
            out.append({Dial, QRectF(box.left() + across / 4 - side / 2, pos + (len - side) / 2, side, side)});
            out.append({Compass, QRectF(box.left() + across * 3 / 4 - side / 2, pos + (len - side) / 2, side, side)});
        } else {
            out.append({w, r});
        }
        pos += len + gap;
    }
    return out;
}

void DashboardRenderer::paint(QPainter &p, const QRectF &box, const DashboardState &state) const
{
    if (m_backdrop.alpha() > 0)
        p.fillRect(box, m_backdrop);
    const QStringList noTime{QStringLiteral("----/--/-- --:--:--")};
    for (const auto &[widget, r] : layout(box)) {
        if (r.width() < 1 || r.height() < 1)
            continue;
        p.save();
        p.setClipRect(r, Qt::IntersectClip);
        switch (widget) {
        case Dial: SpeedDialPainter::paint(p, r, state); break;
        case Compass: CompassPainter::paint(p, r, state); break;
        case SpeedReadout:
            ReadoutCards::paintCard(p, r, {state.readouts.speed}, int(std::min(r.height() * 0.36, r.width() * 0.2)), true,
                                    true);
            break;
        case DateTime:
            ReadoutCards::paintCard(p, r, state.hasSample() ? QStringList{QString::fromStdString(state.sample.time)} : noTime,
                                    int(std::min(r.height() * 0.22, r.width() * 0.085)), false, true);
            break;
        case Position:
            ReadoutCards::paintCard(p, r, {state.readouts.lat, state.readouts.lon},
                                    int(std::min(r.height() * 0.2, r.width() * 0.08)), false, false);
            break;
        case ReadoutCards: ReadoutCards::paint(p, r, state); break;
        case GSensor:
            paintBacking(p, r);
            GsensorPainter::paint(p, r, state);
            break;
        case Route: MapPainter::paint(p, r, state, m_tiles); break;
        default: break;
        }
        p.restore();
    }
}

QImage DashboardRenderer::render(const DashboardState &state, QSize size, qreal dpr) const
{
    if (!(dpr > 0) || !std::isfinite(dpr))
        dpr = 1.0;
    dpr = std::clamp(dpr, 0.25, 8.0);
    const QSize pixels(int(std::lround(size.width() * dpr)), int(std::lround(size.height() * dpr)));
    // A band beyond any screen or frame is refused rather than allocated.
    if (pixels.width() <= 0 || pixels.height() <= 0 || pixels.width() > 16384 || pixels.height() > 16384)
        return QImage();
    QImage img(pixels, QImage::Format_ARGB32_Premultiplied);
    if (img.isNull())
        return img;
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paint(p, QRectF(QPointF(0, 0), QSizeF(size)), state);
    return img;
}

QRect DashboardRenderer::bandRect(QSize frame) const
{
    const int w = frame.width(), h = frame.height();
    if (w <= 0 || h <= 0)
        return QRect();
    const int band = std::clamp(int(std::lround(h * m_extent)), 1, h);
    const int corner = std::clamp(int(std::lround(w * 0.5)), 1, w);
    const int panel = std::clamp(int(std::lround(w * m_extent * 1.4)), 1, w);
    switch (m_placement) {
    case Placement::BottomBand: return QRect(0, h - band, w, band);
    case Placement::TopBand: return QRect(0, 0, w, band);
    case Placement::TopLeft: return QRect(0, 0, corner, band);
    case Placement::TopRight: return QRect(w - corner, 0, corner, band);
    case Placement::BottomLeft: return QRect(0, h - band, corner, band);
    case Placement::BottomRight: return QRect(w - corner, h - band, corner, band);
    case Placement::LeftPanel: return QRect(0, 0, panel, h);
    case Placement::RightPanel: return QRect(w - panel, 0, panel, h);
    }
    return QRect();
}

void DashboardRenderer::compose(QImage &frame, const DashboardState &state) const
{
    if (frame.isNull())
        return;
    if (!isPaintable(frame.format()))
        frame.convertTo(frame.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const QRect band = bandRect(frame.deviceIndependentSize().toSize());
    if (band.isEmpty())
        return;
    QPainter p(&frame);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paint(p, QRectF(band), state);
}
